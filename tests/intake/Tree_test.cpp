// Folders expanded with their whole tree, their folders as rows, hidden entries left out.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "intake/Intake.h"
#include "intake/Tree.h"
#include "rules/RenameList.h"
#include "support/TempDir.h"
#include "text/sjis.h"

using intake::AddFiles;
using intake::IntakeOptions;
using intake::IntakeSkips;
using Names = std::vector<std::string>;

namespace {

// Rows as the フォルダ column shows them, "column|name", with "/" for a folder row; sorted.
Names Column(const rules::RenameList& list) {
  Names rows;
  for (const auto& r : list) rows.push_back(r.folder.substr(r.root()) + "|" + r.fileName + (r.isFolder() ? "/" : ""));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void SetAttributes(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(sjis::ToUtf16Lenient(path).c_str(), attributes));
}

TEST(Tree, GivesFilesOfEveryDepthWithTheColumnFromTheGivenFolder) {
  TempDir dir;
  const std::string photos = dir.Mkdir("photos");
  dir.Touch("photos\\a.txt");
  const std::string b = dir.Touch("photos\\2024\\b.txt");
  dir.Touch("photos\\2024\\04\\c.txt");
  dir.Mkdir("photos\\empty");
  struct Case {
    bool subFolders;
    Names paths, rows;
  } cases[] = {
      {false, {photos}, {"photos\\|a.txt"}},
      {true, {photos}, {"photos\\2024\\04\\|c.txt", "photos\\2024\\|b.txt", "photos\\|a.txt"}},
      {true, {b}, {"2024\\|b.txt"}},  // a file given directly shows its own folder
  };
  for (const Case& c : cases) {
    rules::RenameList list;
    IntakeOptions options;
    options.subFolders = c.subFolders;
    options.dropDir = true;
    std::pair<std::size_t, std::size_t> last;  // the progress ends on the files, all known
    AddFiles(list, c.paths, options, [&](std::size_t done, std::size_t total) { return last = {done, total}, true; });
    EXPECT_EQ(Column(list), c.rows) << c.subFolders << " " << c.paths[0];
    EXPECT_EQ(last, std::make_pair(list.size(), list.size()));
  }
  // The column starts past "C:\x\", and shows all of a drive's or share's root.
  EXPECT_EQ(intake::ParentLength("C:\\x\\photos\\"), 5u);
  EXPECT_EQ(intake::ParentLength("C:\\x\\\x83\x5C"), 5u);  // "ソ" ends in the byte of "\"
  EXPECT_EQ(intake::ParentLength("\\\\srv\\share\\x\\"), 12u);
  for (const char* root : {"C:\\", "\\\\srv\\share\\", "\\\\srv\\share"}) EXPECT_EQ(intake::ParentLength(root), 0u);
}

// A link to a folder, pointing back up or across to another tree, is neither entered nor a
// row; the walk ends and lists nothing twice or from outside.
TEST(Tree, LinksToFoldersAreNeitherEnteredNorRows) {
  if (!UnderWine()) GTEST_SKIP() << "needs Wine's Linux side to make the links";
  TempDir dir;
  const std::string a = dir.Mkdir("a");
  dir.Touch("a\\x.txt");
  dir.Touch("a\\sub\\y.txt");
  dir.Touch("b\\z.txt");
  ASSERT_TRUE(dir.LinkUnix("up", "..", "a\\sub") && dir.LinkUnix("across", "../b", "a"));
  rules::RenameList list;
  IntakeOptions options;
  options.subFolders = options.folderItems = true;
  AddFiles(list, {a}, options);
  EXPECT_EQ(Column(list), (Names{"a\\sub\\|y.txt", "a\\|sub/", "a\\|x.txt"}));
}

TEST(Tree, FoldersInsideAreRowsWithTheirWholeNameAndMetOnce) {
  TempDir dir;
  const std::string photos = dir.Mkdir("photos");
  dir.Touch("photos\\2024.04\\a.jpg");
  dir.Mkdir("photos\\old [1]");  // the clean-up never renames a folder
  dir.Mkdir("photos\\skip");
  rules::RenameList list;
  IntakeOptions options;
  options.folderItems = true;
  options.cleanUp.removeBracketNumber = true;
  options.filterNames = "skip;";
  options.filterExts = ".04;";  // a folder has no extension
  IntakeSkips skipped;
  AddFiles(list, {photos, photos, photos + "\\2024.04"}, options, {}, nullptr, &skipped);
  EXPECT_EQ(Column(list), (Names{"2024.04\\|a.jpg", "photos\\|2024.04/", "photos\\|old [1]/"}));
  const auto folder = std::find_if(list.begin(), list.end(), [](const auto& r) { return r.fileName == "2024.04"; });
  ASSERT_NE(folder, list.end());
  EXPECT_EQ(folder->BaseName(), "2024.04");
  EXPECT_EQ(skipped[intake::Skip::Duplicate], 2u);  // both folder rows of the second listing
  EXPECT_TRUE(dir.Exists("photos\\old [1]"));
}

TEST(Tree, HiddenAndSystemEntriesInsideAreLeftOutAndCounted) {
  TempDir dir;
  const std::string f = dir.Mkdir("f");
  dir.Touch("f\\plain.txt");
  const std::string hidden = dir.Touch("f\\hidden.txt");
  SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(dir.Touch("f\\system.txt"), FILE_ATTRIBUTE_SYSTEM);
  dir.Touch("f\\hid\\inner.txt");  // a hidden folder counts one, its contents never looked at
  SetAttributes(f + "\\hid", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(dir.Touch("f\\sub\\deep.txt"), FILE_ATTRIBUTE_SYSTEM);
  // A folder no Shift_JIS name can reach: not entered, and said.
  ASSERT_TRUE(CreateDirectoryW((dir.wpath() + L"\\f\\\u2603").c_str(), nullptr));
  dir.TouchW(L"f\\\u2603\\x.txt");
  rules::RenameList list;
  IntakeOptions options;
  options.subFolders = options.folderItems = options.skipHidden = options.dropDir = true;
  IntakeSkips skipped;
  AddFiles(list, {f, hidden}, options, {}, nullptr, &skipped);  // a path given is taken as given
  EXPECT_EQ(Column(list), (Names{"f\\|hidden.txt", "f\\|plain.txt", "f\\|sub/"}));
  EXPECT_EQ(skipped.hidden, 4u);
  EXPECT_EQ(skipped.total(), 1u);
  EXPECT_EQ(skipped[intake::Skip::NotShiftJis], 1u);
}

}  // namespace
