#include "disk/ChangeExtension.h"

#include <gtest/gtest.h>

#include "rules/RenameList.h"
#include "support/TempDir.h"

TEST(ExtensionFromAnswer, PutsTheDotInFrontAndRefusesWhatCantBeAnExtension) {
  struct Case {
    const char* answer;
    const char* expected;
  } cases[] = {
      {"txt", ".txt"}, {".txt", ".txt"}, {"tar.gz", ".tar.gz"}, {"\x83\x5C", ".\x83\x5C"},  // ソ: its 5C is no "\"
      {"", ""},        {".", ""},        {"..", ""},           {"txt.", ""},
      {"txt ", ""},    {"a\\b", ""},     {"/x", ""},           {"x:y", ""},
      {"\t", ""},      {"j*g", ""},     {"x?", ""},           {"<p>", ""},
      {"a|b", ""},     {"\"q", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtensionFromAnswer(c.answer), c.expected) << c.answer;
}

TEST(ChangeExtensions, RenamesTheSelectedFilesThatExistWithoutReplacingAny) {
  TempDir dir;
  for (const char* n : {"a.jpg", "a.png", "readme", "keep.jpg"}) dir.Touch(n);
  RenameList list;
  for (const char* n : {"a.jpg", "a.png", "readme", "keep.jpg", "gone.jpg"}) list.Add(n, dir.path());
  for (auto& row : list) row.selected = row.fileName != "keep.jpg";
  ChangeExtensions(list, ".txt");
  std::vector<std::string> names;
  for (const auto& row : list) names.push_back(row.fileName);
  // a.png finds a.txt taken by a.jpg's rename and keeps its name; the missing file is skipped.
  EXPECT_EQ(names, (std::vector<std::string>{"a.png", "a.txt", "gone.jpg", "keep.jpg", "readme.txt"}));
  EXPECT_EQ(FolderListing(dir.path()), (std::vector<std::string>{"a.png", "a.txt", "keep.jpg", "readme.txt"}));
  EXPECT_TRUE(list.sorting());
}
