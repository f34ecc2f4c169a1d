#include "rules/ExtensionAnswer.h"

#include <gtest/gtest.h>

using rules::ExtensionFromAnswer;

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
