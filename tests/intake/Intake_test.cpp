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
#include "text/utf16.h"

using rules::RenameEntry;
using rules::RenameList;
using disk::RenameRows;
using intake::AddFiles;
using intake::IntakeOptions;
using intake::IntakeSkips;
using intake::Skip;
using intake::kSkipReasons;

namespace {

using Names = std::vector<std::wstring>;

// Rows in list order as "folder|file name".
Names Rows(const RenameList& list) {
  Names rows;
  for (const RenameEntry& r : list) rows.push_back(r.folder() + L"|" + r.fileName);
  return rows;
}

// Rows as "folder|file name" in byte order, where the list's own order is beside the point.
Names SortedRows(const RenameList& list) {
  Names rows = Rows(list);
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The 8.3 alias the file system gives a path.
std::wstring ShortPath(const std::wstring& longPath) {
  wchar_t buf[MAX_PATH];
  DWORD n = GetShortPathNameW(longPath.c_str(), buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(buf, n);
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
  std::wstring f1 = dir.Mkdir(L"f1"), f2 = dir.Mkdir(L"f2");
  dir.Touch(L"f1\\b.txt");
  dir.Touch(L"f2\\a.txt");
  Take({f1, f2}, false);
  EXPECT_EQ(Rows(list), (Names{f2 + L"\\|a.txt", f1 + L"\\|b.txt"}));
}

TEST_F(IntakeTest, FolderAndFileWithoutTheOptionListsTheFileOnly) {
  std::wstring folder = dir.Mkdir(L"f");
  dir.Touch(L"f\\inner.txt");
  std::wstring file = dir.Touch(L"outer.txt");
  Take({folder, file}, false);
  EXPECT_EQ(Rows(list), (Names{dir.path() + L"|outer.txt"}));
}

TEST_F(IntakeTest, FolderAndFileWithTheOptionListsBoth) {
  std::wstring folder = dir.Mkdir(L"f");
  dir.Touch(L"f\\inner.txt");
  std::wstring file = dir.Touch(L"outer.txt");
  Take({folder, file}, true);
  EXPECT_EQ(Rows(list), (Names{folder + L"\\|inner.txt", dir.path() + L"|outer.txt"}));
}

TEST_F(IntakeTest, ExpansionTakesHiddenAndSystemFilesButNeverEntersSubFolders) {
  std::wstring folder = dir.Mkdir(L"f");
  dir.Touch(L"f\\plain.txt");
  std::wstring hidden = dir.Touch(L"f\\hidden.txt");
  std::wstring system = dir.Touch(L"f\\system.txt");
  dir.Touch(L"f\\sub\\deep.txt");
  dir.Mkdir(L"f\\empty");
  SetFileAttributesW((hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((system).c_str(), FILE_ATTRIBUTE_SYSTEM);
  Take({folder + L"\\"}, false);  // a trailing delimiter doesn't double it in the rows
  std::wstring f = folder + L"\\|";
  EXPECT_EQ(Rows(list), (Names{f + L"hidden.txt", f + L"plain.txt", f + L"system.txt"}));
}

TEST_F(IntakeTest, EmptyOrMissingFolderAddsNothing) {
  std::wstring empty = dir.Mkdir(L"empty");
  Take({empty, dir.path() + L"gone"}, true);
  EXPECT_TRUE(list.empty());
}

TEST_F(IntakeTest, MissingPathsAndFoldersGivenWithFilesAddNothing) {
  dir.Touch(L"f\\a.txt");  // a folder beside paths that are no folders is not expanded
  Take({dir.path() + L"missing.txt", dir.path() + L"missing\\a.txt", dir.path() + L"f", L""}, false);
  EXPECT_TRUE(list.empty());
}

TEST_F(IntakeTest, ListsTheOnDiskSpelling) {
  dir.Touch(L"Photo.JPG");
  std::wstring alias = ShortPath(dir.Touch(L"sub folder\\a long file name.txt"));
  ASSERT_NE(utf16::FileName(alias), L"a long file name.txt");
  Take({dir.path() + L"photo.jpg", alias}, false);
  EXPECT_EQ(SortedRows(list), (Names{std::wstring(utf16::FolderPart(alias)) + L"|a long file name.txt",
                                     dir.path() + L"|Photo.JPG"}));
}

// Every name the disk holds is taken in as it spells it, also through an 8.3 alias.
TEST_F(IntakeTest, NamesWithoutAShiftJisFormAreTakenIn) {
  std::wstring folder = dir.Mkdir(L"f");
  // Also look-alikes of characters CP932 has (yen, minus sign, cent) and a Mac's split mark.
  const std::wstring names[] = {L"Beyonc\u00E9 - Halo.mp3", L"\u301C\u30E1\u30E2.txt", L"\u30B7\u3099\u30FC\u30EB.txt",
                                L"\U0001F600.txt", L"\uD55C\uAD6D\uC5B4.txt", L"x\u00A5..\u00A5y.txt", L"\u2212.txt",
                                L"\u00A2.txt", L"ソ.txt", L"写真.jpg"};
  Names expected;
  for (const std::wstring& name : names) {
    dir.Touch(L"f\\" + name);
    expected.push_back(folder + L"\\|" + name);
  }
  Take({folder}, false);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(SortedRows(list), expected);

  std::wstring alias = ShortPath(folder + L"\\Beyonc\u00E9 - Halo.mp3");
  ASSERT_FALSE(alias.empty());
  list.Clear();
  Take({alias}, false);
  EXPECT_EQ(Rows(list), (Names{std::wstring(utf16::FolderPart(alias)) + L"|Beyonc\u00E9 - Halo.mp3"}));
}

}  // namespace

TEST_F(IntakeTest, RelativeAndSlashedPathsNameTheFileGiven) {
  dir.Touch(L"a.txt");
  dir.Touch(L"sub\\a.txt");
  std::wstring slashed = dir.path() + L"sub\\a.txt";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  SetCurrentDirectoryW(dir.wpath().c_str());
  Take({L"sub/a.txt", dir.path() + L"sub/a.txt", slashed}, false);
  SetCurrentDirectoryW(cwd);
  EXPECT_EQ(Rows(list), Names(1, dir.path() + L"sub\\|a.txt"));
  // The run renames the file that was given, not its namesake one folder up.
  ASSERT_FALSE(list.empty());
  list[0].newName = L"b";
  RenameRows(list, false);
  EXPECT_TRUE(dir.Exists(L"sub\\b.txt"));
  EXPECT_TRUE(dir.Exists(L"a.txt"));
}

TEST_F(IntakeTest, CleanedFilesTakeTheFirstSuffixNoFileOrFolderBears) {
  dir.Touch(L"a.txt");
  dir.Mkdir(L"a_1.txt");
  dir.Touch(L"a_2.txt");
  dir.Mkdir(L"b.txt");
  std::wstring a = dir.Touch(L"a [1].txt"), b1 = dir.Touch(L"b [1].txt"), b2 = dir.Touch(L"b (1).txt");
  options.cleanUp.removeBracketNumber = options.cleanUp.removeParenNumber = true;
  Take({a, b1, b2}, false);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(FolderListing(dir.path()),
            (Names{L"a.txt", L"a_1.txt", L"a_2.txt", L"a_3.txt", L"b.txt", L"b_1.txt", L"b_2.txt"}));
  EXPECT_TRUE(fs::IsFolder(dir.path() + L"a_1.txt"));
  EXPECT_TRUE(fs::IsFolder(dir.path() + L"b.txt"));
}

TEST_F(IntakeTest, AFileRenamedByTheCleanUpIsNotMetAgainInItsFolder) {
  std::wstring folder = dir.Mkdir(L"f");
  // Cleaned names that sort after the originals, where a search still open could find them
  // (on Windows; Wine lists a folder as it was when the search began).
  for (const wchar_t* name : {L"a [1].txt", L"b [2].txt", L"c [3].txt", L"d.txt"}) {
    dir.Touch(std::wstring(L"f\\") + name);
  }
  options.cleanUp.removeBracketNumber = true;
  Take({folder}, false);
  EXPECT_EQ(Rows(list), (Names{folder + L"\\|d.txt"}));
  EXPECT_EQ(FolderListing(folder), (Names{L"a.txt", L"b.txt", L"c.txt", L"d.txt"}));
}

TEST_F(IntakeTest, AFileTheCleanUpCannotRenameIsTakenInUnderItsOwnName) {
  std::wstring folder = dir.Mkdir(L"f");
  std::wstring readOnly = dir.Touch(L"f\\r [1].txt"), hidden = dir.Touch(L"f\\h [1].txt");
  std::wstring system = dir.Touch(L"f\\s [1].txt");
  dir.Touch(L"f\\.jpeg");  // cleans to ".jpg", a name with an empty base that is refused
  SetFileAttributesW((readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW((hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW((system).c_str(), FILE_ATTRIBUTE_SYSTEM);
  options.cleanUp.removeBracketNumber = options.cleanUp.jpegToJpg = true;
  options.filterNames = L"s [1].txt;";  // the filter still applies to them
  Take({folder}, false);
  std::wstring f = folder + L"\\|";
  EXPECT_EQ(SortedRows(list), (Names{f + L".jpeg", f + L"h [1].txt", f + L"r [1].txt"}));
  EXPECT_EQ(FolderListing(folder), (Names{L".jpeg", L"h [1].txt", L"r [1].txt", L"s [1].txt"}));
}

namespace {

// Rows as "folder|file name" with the folder given relative to the folder of the test,
// whether it is spelled long or as an 8.3 alias.
Names RowsUnder(const RenameList& list, const TempDir& dir) {
  const std::wstring roots[] = {dir.path(), ShortPath(dir.wpath()) + L"\\"};
  Names rows;
  for (const RenameEntry& r : list) {
    std::wstring folder = L"?" + r.folder();
    for (const std::wstring& root : roots) {
      if (r.folder().rfind(root, 0) == 0) folder = r.folder().substr(root.size());
    }
    rows.push_back(folder + L"|" + r.fileName);
  }
  return rows;
}

// Entries a listing and a look-up may see differently: a long name with an 8.3 alias, a name
// with no Shift_JIS form, a sub-folder with a file, a read-only file.
void MakeOddEntries(const TempDir& dir, const std::wstring& folder) {
  dir.Touch(folder + L"\\a long file name.txt");
  dir.Touch(folder + L"\\caf\u00E9.txt");
  dir.Touch(folder + L"\\sub\\inner.txt");
  std::wstring readOnly = dir.Touch(folder + L"\\ro.txt");
  SetFileAttributesW((readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  dir.Touch(folder + L"\\Photo.JPG");
}

}  // namespace

TEST_F(IntakeTest, AFolderIsTakenAsALookUpPerFileTakesIt) {
  std::wstring folder = dir.Mkdir(L"f");
  MakeOddEntries(dir, L"f");
  Take({folder}, false);

  // Every entry looked up on its own.
  RenameList each;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir.wpath() + L"\\f\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    std::wstring path = folder + L"\\" + fd.cFileName;
    if (!fs::IsFolder(path)) AddFiles(each, {path}, options);
  } while (FindNextFileW(h, &fd));
  FindClose(h);

  EXPECT_EQ(Rows(list), Rows(each));
  std::wstring f = folder + L"\\|";
  EXPECT_EQ(SortedRows(list),
            (Names{f + L"Photo.JPG", f + L"a long file name.txt", f + L"caf\u00E9.txt", f + L"ro.txt"}));
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
      MakeOddEntries(dir, L"f");
      dir.Touch(L"f\\c [1].txt");
      Names paths;
      for (int i = 0; i < 8; ++i) paths.push_back(dir.Touch(L"f\\n" + std::to_wstring(i) + L".txt"));
      std::wstring f = dir.path() + L"f\\";
      Names more = {f + L"photo.jpg",   ShortPath(dir.wpath() + L"\\f\\a long file name.txt"),
                    ShortPath(dir.wpath() + L"\\f\\caf\u00E9.txt"),
                    f + L"sub",         f + L"ro.txt",
                    f + L"missing.txt", f + L"n0.txt",
                    f + L"c [1].txt",   f + L"c [1].txt",  // renamed to c.txt by the first
                    f + L"c.txt",       dir.path() + L"f/n1.txt"};
      paths.insert(paths.end(), more.begin(), more.end());
      return paths;
    };
    RenameList listed, looked;
    AddFiles(listed, given(grouped), options);
    for (const std::wstring& p : given(single)) {
      std::wstring full = fs::FullPath(p);
      if (dropDir || !fs::IsFolder(full)) AddFiles(looked, {full}, options);
    }

    EXPECT_EQ(RowsUnder(listed, grouped), RowsUnder(looked, single));
    EXPECT_EQ(FolderListing(grouped.path() + L"f"), FolderListing(single.path() + L"f"));
    EXPECT_EQ(listed.size(), dropDir ? 14u : 13u);
  }
}

TEST_F(IntakeTest, StoppingKeepsTheRowsTakenSoFar) {
  std::wstring folder = dir.Mkdir(L"f");
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) dir.Touch(std::wstring(L"f\\") + name);
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
  std::wstring folder = dir.Mkdir(L"Long Folder"), file = dir.Touch(L"Long Folder\\a long name.txt");
  std::wstring alias = ShortPath(file);  // both parts 8.3
  options.dropDir = true;
  AddFiles(list, {folder, file, dir.path() + L"LONG FOLDER", dir.path() + L"long folder\\A LONG NAME.TXT",
                  folder + L"\\.\\a long name.txt", alias},
           options);
  IntakeSkips skipped;
  AddFiles(list, {alias}, options, {}, nullptr, &skipped);  // dropped again later
  EXPECT_EQ(Rows(list), (Names{folder + L"\\|a long name.txt"}));
  EXPECT_EQ(skipped[Skip::Duplicate], 1u);
  if (!UnderWine()) return;
  ASSERT_TRUE(dir.TouchUnix(L"A LONG NAME.TXT", "", L"Long Folder"));
  list.Clear();
  AddFiles(list, {folder, file}, options);
  EXPECT_EQ(SortedRows(list), (Names{folder + L"\\|A LONG NAME.TXT", folder + L"\\|a long name.txt"}));
}

// Each path or entry the intake leaves out is counted once, under its reason.
TEST_F(IntakeTest, WhatIsLeftOutIsCountedByReason) {
  if (!UnderWine()) GTEST_SKIP() << "needs Wine's Linux side for a pipe and a name Win32 can't address";
  std::wstring folder = dir.Mkdir(L"f"), file = dir.Touch(L"f\\a.txt", "a");
  dir.Touch(L"f\\empty.txt");
  dir.Touch(L"f\\b.bak", "b");
  dir.Mkdir(L"f\\sub");
  dir.Touch(L"f\\caf\u00E9.txt");
  ASSERT_TRUE(dir.TouchUnix(L"x.", "x", L"f") && dir.FifoUnix(L"pipe", L"f"));
  options.filterExts = L".bak;";
  options.dropDir = true;
  IntakeSkips skipped;
  AddFiles(list, {folder, file, folder + L"\\pipe", dir.path() + L"gone.txt", folder + L".\\a.txt", L"\\\\.\\" + file},
           options, {}, nullptr, &skipped);
  EXPECT_EQ(SortedRows(list),
            (Names{folder + L"\\|a.txt", folder + L"\\|caf\u00E9.txt", folder + L"\\|empty.txt"}));
  // gone.txt; "x." and "f.\"; the pipe listed and given, "\\.\"; b.bak; a.txt again.
  EXPECT_EQ(skipped.counts, (std::array<std::size_t, kSkipReasons>{1, 2, 0, 3, 1, 1, 0, 0}));
}
