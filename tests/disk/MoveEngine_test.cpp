#include "disk/MoveEngine.h"
#include "disk/RenameRun.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "disk/ChangeExtension.h"
#include "disk/DiskState.h"
#include "os/FileSystem.h"
#include "disk/RenamePlan.h"
#include "rules/RenameList.h"
#include "support/TempDir.h"
#include "text/utf16.h"

using rules::RenameEntry;
using rules::RenameList;
using disk::RenameRows;
using disk::RunReport;

namespace {

using Names = std::vector<std::wstring>;

// One file to a new name through a context of its own, with every refusal a move shares.
bool RenameAlone(const std::wstring& from, const std::wstring& to) {
  disk::MoveContext moves(nullptr, disk::RunKind::Rename);
  return moves.Rename(from, to, false).moved;
}

void SetAttributes(const std::wstring& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(std::wstring(path).c_str(), attributes));
}

struct NameCase {
  const char* label;
  const wchar_t* newName;  // relative to the folder of a.jpg, which also holds the folder L"x"
  bool renamed;
};

class RenameNewName : public testing::TestWithParam<NameCase> {};

TEST_P(RenameNewName, RenamesInPlaceOrLeavesEverythingAsItWas) {
  const NameCase& c = GetParam();
  TempDir dir;
  std::wstring oldPath = dir.Touch(L"a.jpg", L"A");
  dir.Mkdir(L"x");
  std::wstring newPath = dir.path() + c.newName;
  EXPECT_EQ(RenameAlone(oldPath, newPath), c.renamed);
  if (c.renamed) {
    EXPECT_EQ(FileText(newPath), L"A");
    Names expected{c.newName, L"x"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderListing(dir.path()), expected);
  } else {
    EXPECT_EQ(FileText(oldPath), L"A");
    EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.jpg", L"x"}));
    EXPECT_EQ(FolderListing(dir.path() + L"x"), Names{});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RenameNewName,
    testing::Values(NameCase{"Identical", L"a.jpg", false}, NameCase{"EmptyBase", L".jpg", false},
                    NameCase{"Con", L"con.jpg", false}, NameCase{"Prn", L"prn.jpg", false},
                    NameCase{"Aux", L"aux", false}, NameCase{"IntoSubFolder", L"x\\y.jpg", false},
                    NameCase{"IntoParent", L"..\\z.jpg", false}, NameCase{"Stream", L"a:b.jpg", false},
                    NameCase{"Slash", L"a/b.jpg", false}, NameCase{"SlashInto", L"x/y.jpg", false},
                    NameCase{"OnlyDots", L"..", false}, NameCase{"DotsAndSpaces", L". .", false},
                    NameCase{"Plain", L"b.jpg", true}, NameCase{"NoExtension", L"b", true},
                    // ソ is 83 5C in Shift_JIS: its second byte is a "\" there.
                    NameCase{"SoKatakana", L"ソ.jpg", true}, NameCase{"Japanese", L"写真ソ.txt", true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Rename, RefusesAnotherFolderAndLosesNothing) {
  TempDir dir, other;
  std::wstring oldPath = dir.Touch(L"a.jpg", L"A");
  EXPECT_FALSE(RenameAlone(oldPath, other.path() + L"a.jpg"));
  EXPECT_FALSE(RenameAlone(oldPath, other.path() + L"b.jpg"));
  EXPECT_EQ(FolderListing(other.path()), Names{});
  EXPECT_EQ(FileText(oldPath), L"A");
}

TEST(Rename, RefusesStreamsOfTheOldFile) {
  TempDir dir;
  std::wstring oldPath = dir.Touch(L"a.jpg", L"A");
  EXPECT_FALSE(RenameAlone(oldPath + L":s", oldPath + L":t"));
  EXPECT_FALSE(RenameAlone(oldPath + L":s", dir.path() + L"b.jpg"));
  EXPECT_EQ(FolderListing(dir.path()), Names{L"a.jpg"});
  EXPECT_EQ(FileText(oldPath), L"A");
}

TEST(Rename, UpperCaseDeviceNameIsLeftToTheFileSystem) {
  // Whatever a bare move does with CON.jpg, the move does the same.
  TempDir bare, safe;
  std::wstring barePath = bare.Touch(L"a.jpg", L"A");
  std::wstring safePath = safe.Touch(L"a.jpg", L"A");
  bool moved = MoveFileW(std::wstring(barePath).c_str(), std::wstring(bare.path() + L"CON.jpg").c_str()) != 0;
  EXPECT_EQ(RenameAlone(safePath, safe.path() + L"CON.jpg"), moved);
  EXPECT_EQ(FolderListing(safe.path()), FolderListing(bare.path()));
}

struct OldCase {
  const char* label;
  DWORD attributes;  // 0: leave as created
  bool folder, missing;
};

class RenameOldFile : public testing::TestWithParam<OldCase> {};

TEST_P(RenameOldFile, IsNeverRenamed) {
  const OldCase& c = GetParam();
  TempDir dir;
  std::wstring oldPath = c.folder ? dir.Mkdir(L"a.jpg") : c.missing ? dir.path() + L"a.jpg" : dir.Touch(L"a.jpg", L"A");
  if (c.attributes) SetAttributes(oldPath, c.attributes);
  EXPECT_FALSE(RenameAlone(oldPath, dir.path() + L"b.jpg"));
  EXPECT_FALSE(dir.Exists(L"b.jpg"));
  EXPECT_EQ(dir.Exists(L"a.jpg"), !c.missing);
  if (c.attributes) SetAttributes(oldPath, FILE_ATTRIBUTE_NORMAL);
}

// 拡張子変更 refuses what the run refuses, and its row says why as the run's would.
TEST_P(RenameOldFile, TheChangeOfExtensionRefusesItAsTheRunDoes) {
  const OldCase& c = GetParam();
  if (!c.attributes) GTEST_SKIP() << "refused by its attributes only";
  TempDir dir;
  const std::wstring path = dir.Touch(L"a.jpg", L"A");
  SetAttributes(path, c.attributes);
  RenameList list;
  list.Add(L"a.jpg", dir.path());
  list[0].newName = L"b";
  list[0].selected = true;
  disk::DiskState disk;
  disk::CheckRows(list, disk);
  const rules::Refusal run = list[0].refusal;
  const disk::RunReport report = disk::ChangeExtensions(list, L".png", disk);
  EXPECT_EQ(report.refused, 1u);
  EXPECT_EQ(report.renamed, 0u);
  list[0].newName = L"a";  // a rule that keeps the name: only what 拡張子変更 met is said
  disk::CheckRows(list, disk);
  EXPECT_EQ(list[0].refusal, run);
  EXPECT_NE(run, rules::Refusal::None);
  EXPECT_EQ(FolderListing(dir.path()), Names{L"a.jpg"});
  SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(Refusals, RenameOldFile,
                         testing::Values(OldCase{"ReadOnly", FILE_ATTRIBUTE_READONLY, false, false},
                                         OldCase{"Hidden", FILE_ATTRIBUTE_HIDDEN, false, false},
                                         OldCase{"System", FILE_ATTRIBUTE_SYSTEM, false, false},
                                         OldCase{"Folder", 0, true, false},
                                         OldCase{"Missing", 0, false, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Rename, NeverReplacesAnExistingFile) {
  TempDir dir;
  std::wstring a = dir.Touch(L"a.jpg", L"A");
  std::wstring b = dir.Touch(L"b.jpg", L"B");
  EXPECT_FALSE(RenameAlone(a, b));
  EXPECT_EQ(FileText(a), L"A");
  EXPECT_EQ(FileText(b), L"B");
}

// A plain move keeps the old spelling when only the letter case changes; the file must bear
// the new one on disk.
TEST(Rename, CaseOnlyChangeLandsOnDisk) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"holiday.txt", L"HOLIDAY.txt"}, {L"README.TXT", L"readme.TXT"}, {L"写真holiday.jpg", L"写真Holiday.jpg"},
      {L"ａｂｃ.txt", L"ＡＢＣ.txt"}};
  for (const auto& [from, to] : cases) {
    SCOPED_TRACE(to);
    TempDir dir;
    std::wstring oldPath = dir.Touch(from, L"R");
    EXPECT_TRUE(RenameAlone(oldPath, dir.path() + to));
    EXPECT_EQ(FolderListing(dir.path()), Names{to});
    EXPECT_EQ(FileText(dir.path() + to), L"R");
  }
}

TEST(Rename, CaseOnlyChangeOntoAnotherFileKeepsBothAsTheyWere) {
  // A case-sensitive disk (Linux under Wine, some shares) can hold a.txt and A.txt at once:
  // the second step then finds its name taken and the file gets its old name back.
  TempDir dir;
  std::wstring oldPath = dir.Touch(L"a.txt", L"lower");
  if (!dir.TouchUnix(L"A.txt", "upper")) GTEST_SKIP() << "needs Wine's Linux side to make a second spelling";
  EXPECT_FALSE(RenameAlone(oldPath, dir.path() + L"A.txt"));
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"A.txt", L"a.txt"}));
  EXPECT_EQ(FileText(oldPath), L"lower");
  EXPECT_EQ(FileText(dir.path() + L"A.txt"), L"upper");
}

TEST(Rename, ANameTheVolumeCantHoldLeavesTheFileAsItWas) {
  // A platform that cuts the name (Wine keeps 255 bytes of UTF-8) reports success; the file
  // is found under the cut name and moved back.
  TempDir dir;
  std::wstring oldPath = dir.Touch(L"s.txt", L"S");
  std::wstring name;
  for (int i = 0; i < 300; ++i) name += L"あ";
  EXPECT_FALSE(RenameAlone(oldPath, dir.path() + name + L".txt"));
  EXPECT_EQ(FolderListing(dir.path()), Names{L"s.txt"});
  EXPECT_EQ(FileText(oldPath), L"S");
}

// Rows in list order as "file name|new name".
Names Rows(const RenameList& list) {
  Names rows;
  for (const RenameEntry& r : list) rows.push_back(r.fileName + L"|" + r.newName);
  return rows;
}

struct RenameRowsTest : testing::Test {
  TempDir dir;
  RenameList list;
  void Row(const std::wstring& fileName, const std::wstring& newName) {
    dir.Touch(fileName, fileName);
    list.Add(fileName, dir.path());
    for (RenameEntry& r : list) {
      if (r.fileName == fileName) r.newName = newName;
    }
  }
};

// Chains and swaps land in one run, each folder's names apart from the other's.
TEST_F(RenameRowsTest, ChainsAndSwapsInTwoFoldersLandInOneRun) {
  // folder, file, new name: a swap in p, a chain in q whose free end comes last in the list.
  const std::vector<std::array<const wchar_t*, 3>> rows = {
      {L"p\\", L"a.txt", L"b"}, {L"p\\", L"b.txt", L"a"}, {L"q\\", L"a.txt", L"b"}, {L"q\\", L"b.txt", L"c"}};
  for (const auto& [folder, file, newName] : rows) {
    dir.Touch(std::wstring(folder) + file, std::wstring(folder) + file);
    list.Add(file, dir.path() + folder);
  }
  for (RenameEntry& r : list) {
    for (const auto& [folder, file, newName] : rows) {
      if (r.CurrentPath() == dir.path() + folder + file) r.newName = newName;
    }
  }
  RunReport report;
  EXPECT_TRUE(RenameRows(list, false, {}, nullptr, nullptr, &report));
  EXPECT_EQ(report.renamed, 4u);
  EXPECT_EQ(FolderListing(dir.path() + L"p"), (Names{L"a.txt", L"b.txt"}));
  EXPECT_EQ(FileText(dir.path() + L"p\\a.txt"), L"p\\b.txt");
  EXPECT_EQ(FileText(dir.path() + L"p\\b.txt"), L"p\\a.txt");
  EXPECT_EQ(FolderListing(dir.path() + L"q"), (Names{L"b.txt", L"c.txt"}));
  EXPECT_EQ(FileText(dir.path() + L"q\\b.txt"), L"q\\a.txt");
  EXPECT_EQ(FileText(dir.path() + L"q\\c.txt"), L"q\\b.txt");
}

TEST_F(RenameRowsTest, KeepsTheExtensionAndResortsOnce) {
  Row(L"a.JPG", L"z");
  Row(L"b.txt", L"m");
  Row(L"c", L"k");
  RenameRows(list, false);
  EXPECT_EQ(Rows(list), (Names{L"k|k", L"m.txt|m", L"z.JPG|z"}));
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"k", L"m.txt", L"z.JPG"}));
}

TEST_F(RenameRowsTest, ClearItemsLeavesOnlyTheFailedRow) {
  Row(L"a.txt", L"x");
  Row(L"b.txt", L"y");
  Row(L"c.txt", L"z");
  SetAttributes(dir.path() + L"b.txt", FILE_ATTRIBUTE_READONLY);
  RenameRows(list, true);
  EXPECT_EQ(Rows(list), (Names{L"b.txt|y"}));
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"b.txt", L"x.txt", L"z.txt"}));
  SetAttributes(dir.path() + L"b.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RenameRowsTest, RowsThatCouldLeaveTheirFolderStay) {
  dir.Mkdir(L"sub");
  Row(L"a.txt", L"sub\\a");
  Row(L"b.txt", L"..\\b");
  Row(L"c.txt", L"c:stream");
  RenameRows(list, true);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt", L"sub"}));
  EXPECT_EQ(FolderListing(dir.path() + L"sub"), Names{});
}

TEST_F(RenameRowsTest, SecondRunWithUnchangedNamesRenamesNothing) {
  Row(L"a.txt", L"x");
  Row(L"b.txt", L"y");
  RenameRows(list, false);
  Names after = Rows(list);
  // Every new path now equals its current path.
  RenameRows(list, false);
  EXPECT_EQ(Rows(list), after);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"x.txt", L"y.txt"}));
  EXPECT_EQ(FileText(dir.path() + L"x.txt"), L"a.txt");
  EXPECT_EQ(FileText(dir.path() + L"y.txt"), L"b.txt");
}

// Stopped after its first file, a run leaves every file either renamed with its row updated
// (or cleared) or untouched with its row kept, and sorting back on.
TEST(RenameRowsStopped, EachFileIsRenamedWithItsRowOrUntouched) {
  for (bool clear : {false, true}) {
    SCOPED_TRACE(clear);
    TempDir dir;
    RenameList list;
    const Names names = {L"a.txt", L"b.txt", L"c.txt", L"d.txt"};
    for (const std::wstring& n : names) {
      dir.Touch(n, n);
      list.Add(n, dir.path());
    }
    for (RenameEntry& r : list) r.newName = std::wstring(L"x").append(r.BaseName());
    std::size_t calls = 0;
    bool whole = RenameRows(list, clear, [&](std::size_t, std::size_t) { return ++calls > 1; });
    EXPECT_FALSE(whole);
    EXPECT_TRUE(list.sorting());

    std::size_t renamed = 0;
    for (const std::wstring& n : names) {
      std::wstring moved = std::wstring(L"x").append(n);
      bool listedOld = false, listedNew = false;
      for (const RenameEntry& r : list) {
        listedOld = listedOld || r.fileName == n;
        listedNew = listedNew || r.fileName == moved;
      }
      if (FileText(dir.path() + moved) == n) {
        ++renamed;
        EXPECT_FALSE(dir.Exists(n)) << n;
        EXPECT_FALSE(listedOld) << n;
        EXPECT_EQ(listedNew, !clear) << n;
      } else {
        EXPECT_EQ(FileText(dir.path() + n), n);
        EXPECT_TRUE(listedOld) << n;
      }
    }
    // Only the last row was tried: the run asks after each file.
    EXPECT_EQ(renamed, 1u);
    EXPECT_TRUE(dir.Exists(L"xd.txt"));
    EXPECT_EQ(list.size(), clear ? 3u : 4u);
  }
}

}  // namespace
