#include "intake/Intake.h"

#include <windows.h>

#include <algorithm>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "os/FileSystem.h"
#include "rules/RenameList.h"
#include "disk/RenameRun.h"
#include "support/TempDir.h"
#include "text/sjis.h"

using rules::RenameEntry;
using rules::RenameList;
using disk::RenameRows;
using intake::AddFiles;
using intake::IntakeOptions;
using intake::IntakeSkips;
using intake::Skip;
using intake::kSkipReasons;

namespace {

using Names = std::vector<std::string>;

// Rows in list order as "folder|file name".
Names Rows(const RenameList& list) {
  Names rows;
  for (const RenameEntry& r : list) rows.push_back(r.folder + "|" + r.fileName);
  return rows;
}

// Rows as "folder|file name" in byte order, where the list's own order is beside the point.
Names SortedRows(const RenameList& list) {
  Names rows = Rows(list);
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The 8.3 alias the file system gives a path, as CP932.
std::string ShortPath(const std::wstring& longPath) {
  wchar_t buf[MAX_PATH];
  DWORD n = GetShortPathNameW(longPath.c_str(), buf, MAX_PATH);
  std::string out;
  if (n == 0 || n >= MAX_PATH || !sjis::FromUtf16(std::wstring(buf, n), out)) return std::string();
  return out;
}

struct IntakeTest : testing::Test {
  TempDir dir;
  RenameList list;
  IntakeOptions options;

  void Take(const Names& paths, bool dropDir) {
    options.dropDir = dropDir;
    AddFiles(list, paths, options);
  }
};

TEST_F(IntakeTest, FoldersOnlyDropListsTheFilesOfEveryFolder) {
  std::string f1 = dir.Mkdir("f1"), f2 = dir.Mkdir("f2");
  dir.Touch("f1\\b.txt");
  dir.Touch("f2\\a.txt");
  Take({f1, f2}, false);
  EXPECT_EQ(Rows(list), (Names{f2 + "\\|a.txt", f1 + "\\|b.txt"}));
}

TEST_F(IntakeTest, FolderAndFileWithoutTheOptionListsTheFileOnly) {
  std::string folder = dir.Mkdir("f");
  dir.Touch("f\\inner.txt");
  std::string file = dir.Touch("outer.txt");
  Take({folder, file}, false);
  EXPECT_EQ(Rows(list), (Names{dir.path() + "|outer.txt"}));
}

TEST_F(IntakeTest, FolderAndFileWithTheOptionListsBoth) {
  std::string folder = dir.Mkdir("f");
  dir.Touch("f\\inner.txt");
  std::string file = dir.Touch("outer.txt");
  Take({folder, file}, true);
  EXPECT_EQ(Rows(list), (Names{folder + "\\|inner.txt", dir.path() + "|outer.txt"}));
}

TEST_F(IntakeTest, ExpansionTakesHiddenAndSystemFilesButNeverEntersSubFolders) {
  std::string folder = dir.Mkdir("f");
  dir.Touch("f\\plain.txt");
  std::string hidden = dir.Touch("f\\hidden.txt");
  std::string system = dir.Touch("f\\system.txt");
  dir.Touch("f\\sub\\deep.txt");
  dir.Mkdir("f\\empty");
  SetFileAttributesW(sjis::ToUtf16Lenient(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(sjis::ToUtf16Lenient(system).c_str(), FILE_ATTRIBUTE_SYSTEM);
  Take({folder + "\\"}, false);  // a trailing delimiter doesn't double it in the rows
  std::string f = folder + "\\|";
  EXPECT_EQ(Rows(list), (Names{f + "hidden.txt", f + "plain.txt", f + "system.txt"}));
}

TEST_F(IntakeTest, EmptyOrMissingFolderAddsNothing) {
  std::string empty = dir.Mkdir("empty");
  Take({empty, dir.path() + "gone"}, true);
  EXPECT_TRUE(list.empty());
}

TEST_F(IntakeTest, MissingPathsAndFoldersGivenWithFilesAddNothing) {
  dir.Touch("f\\a.txt");  // a folder beside paths that are no folders is not expanded
  Take({dir.path() + "missing.txt", dir.path() + "missing\\a.txt", dir.path() + "f", ""}, false);
  EXPECT_TRUE(list.empty());
}

TEST_F(IntakeTest, ListsTheOnDiskSpelling) {
  dir.Touch("Photo.JPG");
  std::string alias = ShortPath(sjis::ToUtf16Lenient(dir.Touch("sub folder\\a long file name.txt")));
  ASSERT_NE(sjis::FileName(alias), "a long file name.txt");
  Take({dir.path() + "photo.jpg", alias}, false);
  EXPECT_EQ(SortedRows(list), (Names{std::string(sjis::FolderPart(alias)) + "|a long file name.txt",
                                     dir.path() + "|Photo.JPG"}));
}

TEST_F(IntakeTest, NamesWithoutAShiftJisFormAreNeverTakenIn) {
  std::string folder = dir.Mkdir("f");
  // Also look-alikes of characters CP932 has: wave dash for "～", minus sign for "－", cent.
  const wchar_t* foreign[] = {L"f\\x\u00A5..\u00A5y.txt", L"f\\caf\u00E9.txt", L"f\\\uD55C.txt",
                              L"f\\\U0001F600.txt", L"f\\a\u301C.txt", L"f\\\u2212.txt", L"f\\\u00A2.txt"};
  for (const wchar_t* name : foreign) {
    ASSERT_NE(GetFileAttributesW(dir.TouchW(name).c_str()), INVALID_FILE_ATTRIBUTES);
  }
  dir.Touch("f\\\x83\x5C.txt");  // ソ.txt has one
  Take({folder}, false);
  EXPECT_EQ(Rows(list), (Names{folder + "\\|\x83\x5C.txt"}));

  // Nor through the 8.3 alias of such a file: it would be listed under a name not its own.
  std::string alias = ShortPath(dir.wpath() + L"\\f\\caf\u00E9.txt");
  ASSERT_FALSE(alias.empty());
  EXPECT_TRUE(fs::ExistsAsFile(alias));
  list.Clear();
  Take({alias}, false);
  EXPECT_TRUE(list.empty());
}

}  // namespace

TEST_F(IntakeTest, RelativeAndSlashedPathsNameTheFileGiven) {
  dir.Touch("a.txt");
  dir.Touch("sub\\a.txt");
  std::string slashed = dir.path() + "sub\\a.txt";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  SetCurrentDirectoryW(dir.wpath().c_str());
  Take({"sub/a.txt", dir.path() + "sub/a.txt", slashed}, false);
  SetCurrentDirectoryW(cwd);
  EXPECT_EQ(Rows(list), Names(1, dir.path() + "sub\\|a.txt"));
  // The run renames the file that was given, not its namesake one folder up.
  ASSERT_FALSE(list.empty());
  list[0].newName = "b";
  RenameRows(list, false);
  EXPECT_TRUE(dir.Exists("sub\\b.txt"));
  EXPECT_TRUE(dir.Exists("a.txt"));
}

TEST_F(IntakeTest, CleanedFilesTakeTheFirstSuffixNoFileOrFolderBears) {
  dir.Touch("a.txt");
  dir.Mkdir("a_1.txt");
  dir.Touch("a_2.txt");
  dir.Mkdir("b.txt");
  std::string a = dir.Touch("a [1].txt"), b1 = dir.Touch("b [1].txt"), b2 = dir.Touch("b (1).txt");
  options.cleanUp.removeBracketNumber = options.cleanUp.removeParenNumber = true;
  Take({a, b1, b2}, false);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(FolderListing(dir.path()), (Names{"a.txt", "a_1.txt", "a_2.txt", "a_3.txt", "b.txt", "b_1.txt", "b_2.txt"}));
  EXPECT_TRUE(fs::IsFolder(dir.path() + "a_1.txt"));
  EXPECT_TRUE(fs::IsFolder(dir.path() + "b.txt"));
}

TEST_F(IntakeTest, AFileRenamedByTheCleanUpIsNotMetAgainInItsFolder) {
  std::string folder = dir.Mkdir("f");
  // Cleaned names that sort after the originals, where a search still open could find them
  // (on Windows; Wine lists a folder as it was when the search began).
  for (const char* name : {"a [1].txt", "b [2].txt", "c [3].txt", "d.txt"}) dir.Touch(std::string("f\\") + name);
  options.cleanUp.removeBracketNumber = true;
  Take({folder}, false);
  EXPECT_EQ(Rows(list), (Names{folder + "\\|d.txt"}));
  EXPECT_EQ(FolderListing(folder), (Names{"a.txt", "b.txt", "c.txt", "d.txt"}));
}

TEST_F(IntakeTest, AFileTheCleanUpCannotRenameIsTakenInUnderItsOwnName) {
  std::string folder = dir.Mkdir("f");
  std::string readOnly = dir.Touch("f\\r [1].txt"), hidden = dir.Touch("f\\h [1].txt");
  std::string system = dir.Touch("f\\s [1].txt");
  dir.Touch("f\\.jpeg");  // cleans to ".jpg", a name with an empty base that is refused
  SetFileAttributesW(sjis::ToUtf16Lenient(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(sjis::ToUtf16Lenient(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(sjis::ToUtf16Lenient(system).c_str(), FILE_ATTRIBUTE_SYSTEM);
  options.cleanUp.removeBracketNumber = options.cleanUp.jpegToJpg = true;
  options.filterNames = "s [1].txt;";  // the filter still applies to them
  Take({folder}, false);
  std::string f = folder + "\\|";
  EXPECT_EQ(SortedRows(list), (Names{f + ".jpeg", f + "h [1].txt", f + "r [1].txt"}));
  EXPECT_EQ(FolderListing(folder), (Names{".jpeg", "h [1].txt", "r [1].txt", "s [1].txt"}));
}

namespace {

// Rows as "folder|file name" with the folder given relative to the folder of the test,
// whether it is spelled long or as an 8.3 alias.
Names RowsUnder(const RenameList& list, const TempDir& dir) {
  const std::string roots[] = {dir.path(), ShortPath(dir.wpath()) + "\\"};
  Names rows;
  for (const RenameEntry& r : list) {
    std::string folder = "?" + r.folder;
    for (const std::string& root : roots) {
      if (r.folder.rfind(root, 0) == 0) folder = r.folder.substr(root.size());
    }
    rows.push_back(folder + "|" + r.fileName);
  }
  return rows;
}

// Entries a listing and a look-up may see differently: a long name with an 8.3 alias, a name
// with no Shift_JIS form (only its alias is CP932), a sub-folder with a file, a read-only file.
void MakeOddEntries(const TempDir& dir, const std::string& folder) {
  dir.Touch(folder + "\\a long file name.txt");
  dir.TouchW(sjis::ToUtf16Lenient(folder) + L"\\caf\u00E9.txt");
  dir.Touch(folder + "\\sub\\inner.txt");
  std::string readOnly = dir.Touch(folder + "\\ro.txt");
  SetFileAttributesW(sjis::ToUtf16Lenient(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  dir.Touch(folder + "\\Photo.JPG");
}

}  // namespace

TEST_F(IntakeTest, AFolderIsTakenAsALookUpPerFileTakesIt) {
  std::string folder = dir.Mkdir("f");
  MakeOddEntries(dir, "f");
  Take({folder}, false);

  // Every entry looked up on its own: by its CP932 name, or by its alias when it has none.
  RenameList each;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir.wpath() + L"\\f\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    std::string name;
    std::string path = sjis::FromUtf16(fd.cFileName, name) ? folder + "\\" + name
                                                           : ShortPath(dir.wpath() + L"\\f\\" + fd.cFileName);
    if (!fs::IsFolder(path)) AddFiles(each, {path}, options);
  } while (FindNextFileW(h, &fd));
  FindClose(h);

  EXPECT_EQ(Rows(list), Rows(each));
  std::string f = folder + "\\|";
  EXPECT_EQ(SortedRows(list), (Names{f + "Photo.JPG", f + "a long file name.txt", f + "ro.txt"}));
}

// Many given files of one folder are looked up in one listing of it; names it can't find as
// they stand (other letter case, 8.3 aliases, missing, renamed by the clean-up meanwhile) must
// still come out as their own look-ups make them.
TEST(GivenFiles, ManyOfOneFolderGiveTheRowsOfALookUpPerFile) {
  for (bool dropDir : {false, true}) {
    SCOPED_TRACE(dropDir);
    TempDir grouped, single;
    IntakeOptions options;
    options.dropDir = dropDir;
    options.cleanUp.removeBracketNumber = true;
    auto given = [](const TempDir& dir) {
      MakeOddEntries(dir, "f");
      dir.Touch("f\\c [1].txt");
      Names paths;
      for (int i = 0; i < 8; ++i) paths.push_back(dir.Touch("f\\n" + std::to_string(i) + ".txt"));
      std::string f = dir.path() + "f\\";
      Names more = {f + "photo.jpg",   ShortPath(dir.wpath() + L"\\f\\a long file name.txt"),
                    ShortPath(dir.wpath() + L"\\f\\caf\u00E9.txt"),
                    f + "sub",         f + "ro.txt",
                    f + "missing.txt", f + "n0.txt",
                    f + "c [1].txt",   f + "c [1].txt",  // renamed to c.txt by the first
                    f + "c.txt",       dir.path() + "f/n1.txt"};
      paths.insert(paths.end(), more.begin(), more.end());
      return paths;
    };
    RenameList listed, looked;
    AddFiles(listed, given(grouped), options);
    for (const std::string& p : given(single)) {
      std::string full = fs::FullPath(p);
      if (dropDir || !fs::IsFolder(full)) AddFiles(looked, {full}, options);
    }

    EXPECT_EQ(RowsUnder(listed, grouped), RowsUnder(looked, single));
    EXPECT_EQ(FolderListing(grouped.path() + "f"), FolderListing(single.path() + "f"));
    EXPECT_EQ(listed.size(), dropDir ? 13u : 12u);
  }
}

TEST_F(IntakeTest, StoppingKeepsTheRowsTakenSoFar) {
  std::string folder = dir.Mkdir("f");
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) dir.Touch(std::string("f\\") + name);
  std::vector<std::pair<std::size_t, std::size_t>> calls;
  bool whole = AddFiles(list, {folder}, options, [&](std::size_t done, std::size_t total) {
    calls.emplace_back(done, total);
    return false;
  });
  EXPECT_FALSE(whole);
  EXPECT_EQ(list.size(), 1u);
  // Asked after the first file, and told once more at the end.
  using Calls = std::vector<std::pair<std::size_t, std::size_t>>;
  EXPECT_EQ(calls, (Calls{{1, 3}, {1, 3}}));
}

// However often and however spelled a file comes in, it has one row; a disk that tells
// "a.txt" from "A.txt" keeps two rows for them.
TEST_F(IntakeTest, OneFileIsOneRow) {
  std::string folder = dir.Mkdir("Long Folder"), file = dir.Touch("Long Folder\\a long name.txt");
  std::string alias = ShortPath(sjis::ToUtf16Lenient(file));  // both parts 8.3
  options.dropDir = true;
  AddFiles(list, {folder, file, dir.path() + "LONG FOLDER", dir.path() + "long folder\\A LONG NAME.TXT",
                  folder + "\\.\\a long name.txt", alias},
           options);
  IntakeSkips skipped;
  AddFiles(list, {alias}, options, {}, nullptr, &skipped);  // dropped again later
  EXPECT_EQ(Rows(list), (Names{folder + "\\|a long name.txt"}));
  EXPECT_EQ(skipped[Skip::Duplicate], 1u);
  if (!UnderWine()) return;
  ASSERT_TRUE(dir.TouchUnix("A LONG NAME.TXT", "", "Long Folder"));
  list.Clear();
  AddFiles(list, {folder, file}, options);
  EXPECT_EQ(SortedRows(list), (Names{folder + "\\|A LONG NAME.TXT", folder + "\\|a long name.txt"}));
}

// Each path or entry the intake leaves out is counted once, under its reason.
TEST_F(IntakeTest, WhatIsLeftOutIsCountedByReason) {
  if (!UnderWine()) GTEST_SKIP() << "needs Wine's Linux side for a pipe and a name Win32 can't address";
  std::string folder = dir.Mkdir("f"), file = dir.Touch("f\\a.txt", "a");
  dir.Touch("f\\empty.txt");
  dir.Touch("f\\b.bak", "b");
  dir.Mkdir("f\\sub");
  dir.TouchW(L"f\\caf\u00E9.txt");
  ASSERT_TRUE(dir.TouchUnix("x.", "x", "f") && dir.FifoUnix("pipe", "f"));
  options.filterExts = ".bak;";
  options.dropDir = true;
  IntakeSkips skipped;
  AddFiles(list, {folder, file, folder + "\\pipe", dir.path() + "gone.txt", folder + ".\\a.txt", "\\\\.\\" + file},
           options, {}, nullptr, &skipped);
  EXPECT_EQ(SortedRows(list), (Names{folder + "\\|a.txt", folder + "\\|empty.txt"}));
  // gone.txt; "x." and "f.\"; café.txt; the pipe listed and given, "\\.\"; b.bak; a.txt again.
  EXPECT_EQ(skipped.counts, (std::array<std::size_t, kSkipReasons>{1, 2, 1, 3, 1, 1, 0, 0}));
}
