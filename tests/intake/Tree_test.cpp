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

using intake::AddFiles;
using intake::IntakeOptions;
using intake::IntakeSkips;
using Names = std::vector<std::wstring>;

namespace {

// Rows as the フォルダ column shows them, "column|name", with "/" for a folder row; sorted.
Names Column(const rules::RenameList& list) {
  Names rows;
  for (const auto& r : list) {
    rows.push_back(r.folder().substr(r.root()) + L"|" + r.fileName + (r.isFolder() ? L"/" : L""));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void SetAttributes(const std::wstring& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
}

TEST(Tree, GivesFilesOfEveryDepthWithTheColumnFromTheGivenFolder) {
  TempDir dir;
  const std::wstring photos = dir.Mkdir(L"photos");
  dir.Touch(L"photos\\a.txt");
  const std::wstring b = dir.Touch(L"photos\\2024\\b.txt");
  dir.Touch(L"photos\\2024\\04\\c.txt");
  dir.Mkdir(L"photos\\empty");
  struct Case {
    bool subFolders;
    Names paths, rows;
  } cases[] = {
      {false, {photos}, {L"photos\\|a.txt"}},
      {true, {photos}, {L"photos\\2024\\04\\|c.txt", L"photos\\2024\\|b.txt", L"photos\\|a.txt"}},
      {true, {b}, {L"2024\\|b.txt"}},  // a file given directly shows its own folder
  };
  for (const Case& c : cases) {
    rules::RenameList list;
    IntakeOptions options;
    options.subFolders = c.subFolders;
    options.dropDir = true;
    std::pair<std::size_t, std::size_t> last;  // the progress ends on the files, all known
    AddFiles(list, c.paths, options, [&](std::size_t done, std::size_t total) { return last = {done, total}, true; });
    EXPECT_EQ(Column(list), c.rows) << c.subFolders << " " << testing::PrintToString(c.paths[0]);
    EXPECT_EQ(last, std::make_pair(list.size(), list.size()));
  }
  // The column starts past "C:\x\", and shows all of a drive's or share's root.
  EXPECT_EQ(intake::ParentLength(L"C:\\x\\photos\\"), 5u);
  EXPECT_EQ(intake::ParentLength(L"C:\\x\\ソ"), 5u);
  EXPECT_EQ(intake::ParentLength(L"\\\\srv\\share\\x\\"), 12u);
  for (const wchar_t* root : {L"C:\\", L"\\\\srv\\share\\", L"\\\\srv\\share"}) {
    EXPECT_EQ(intake::ParentLength(root), 0u);
  }
}

// A link to a folder, pointing back up or across to another tree, is neither entered nor a
// row; the walk ends and lists nothing twice or from outside.
TEST(Tree, LinksToFoldersAreNeitherEnteredNorRows) {
  if (!UnderWine()) GTEST_SKIP() << "needs Wine's Linux side to make the links";
  TempDir dir;
  const std::wstring a = dir.Mkdir(L"a");
  dir.Touch(L"a\\x.txt");
  dir.Touch(L"a\\sub\\y.txt");
  dir.Touch(L"b\\z.txt");
  ASSERT_TRUE(dir.LinkUnix(L"up", L"..", L"a\\sub") && dir.LinkUnix(L"across", L"../b", L"a"));
  rules::RenameList list;
  IntakeOptions options;
  options.subFolders = options.folderItems = true;
  AddFiles(list, {a}, options);
  EXPECT_EQ(Column(list), (Names{L"a\\sub\\|y.txt", L"a\\|sub/", L"a\\|x.txt"}));
}

TEST(Tree, FoldersInsideAreRowsWithTheirWholeNameAndMetOnce) {
  TempDir dir;
  const std::wstring photos = dir.Mkdir(L"photos");
  dir.Touch(L"photos\\2024.04\\a.jpg");
  dir.Mkdir(L"photos\\old [1]");  // the clean-up never renames a folder
  dir.Mkdir(L"photos\\skip");
  rules::RenameList list;
  IntakeOptions options;
  options.folderItems = true;
  options.cleanUp.removeBracketNumber = true;
  options.filterNames = L"skip;";
  options.filterExts = L".04;";  // a folder has no extension
  IntakeSkips skipped;
  AddFiles(list, {photos, photos, photos + L"\\2024.04"}, options, {}, nullptr, &skipped);
  EXPECT_EQ(Column(list), (Names{L"2024.04\\|a.jpg", L"photos\\|2024.04/", L"photos\\|old [1]/"}));
  const auto folder = std::find_if(list.begin(), list.end(), [](const auto& r) { return r.fileName == L"2024.04"; });
  ASSERT_NE(folder, list.end());
  EXPECT_EQ(folder->BaseName(), L"2024.04");
  EXPECT_EQ(skipped[intake::Skip::Duplicate], 2u);  // both folder rows of the second listing
  EXPECT_TRUE(dir.Exists(L"photos\\old [1]"));
}

TEST(Tree, HiddenAndSystemEntriesInsideAreLeftOutAndCounted) {
  TempDir dir;
  const std::wstring f = dir.Mkdir(L"f");
  dir.Touch(L"f\\plain.txt");
  const std::wstring hidden = dir.Touch(L"f\\hidden.txt");
  SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(dir.Touch(L"f\\system.txt"), FILE_ATTRIBUTE_SYSTEM);
  dir.Touch(L"f\\hid\\inner.txt");  // a hidden folder counts one, its contents never looked at
  SetAttributes(f + L"\\hid", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(dir.Touch(L"f\\sub\\deep.txt"), FILE_ATTRIBUTE_SYSTEM);
  dir.Touch(L"f\\\u2603\\x.txt");  // a folder with no Shift_JIS name is entered like any other
  rules::RenameList list;
  IntakeOptions options;
  options.subFolders = options.folderItems = options.skipHidden = options.dropDir = true;
  IntakeSkips skipped;
  AddFiles(list, {f, hidden}, options, {}, nullptr, &skipped);  // a path given is taken as given
  EXPECT_EQ(Column(list),
            (Names{L"f\\|hidden.txt", L"f\\|plain.txt", L"f\\|sub/", L"f\\|\u2603/", L"f\\\u2603\\|x.txt"}));
  EXPECT_EQ(skipped.hidden, 4u);
  EXPECT_EQ(skipped.total(), 0u);
}

}  // namespace
