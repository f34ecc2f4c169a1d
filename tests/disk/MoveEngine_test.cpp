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
#include "text/sjis.h"

using rules::RenameEntry;
using rules::RenameList;
using disk::RenameRows;
using disk::RunReport;

namespace {

using Names = std::vector<std::string>;

// One file to a new name through a context of its own, with every refusal a move shares.
bool RenameAlone(const std::string& from, const std::string& to) {
  disk::MoveContext moves(nullptr, disk::RunKind::Rename);
  return moves.Rename(from, to, false).moved;
}

void SetAttributes(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(sjis::ToUtf16Lenient(path).c_str(), attributes));
}

struct NameCase {
  const char* label;
  const char* newName;  // relative to the folder of a.jpg, which also holds the folder "x"
  bool renamed;
};

class RenameNewName : public testing::TestWithParam<NameCase> {};

TEST_P(RenameNewName, RenamesInPlaceOrLeavesEverythingAsItWas) {
  const NameCase& c = GetParam();
  TempDir dir;
  std::string oldPath = dir.Touch("a.jpg", "A");
  dir.Mkdir("x");
  std::string newPath = dir.path() + c.newName;
  EXPECT_EQ(RenameAlone(oldPath, newPath), c.renamed);
  if (c.renamed) {
    EXPECT_EQ(FileContent(newPath), "A");
    Names expected{c.newName, "x"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderListing(dir.path()), expected);
  } else {
    EXPECT_EQ(FileContent(oldPath), "A");
    EXPECT_EQ(FolderListing(dir.path()), (Names{"a.jpg", "x"}));
    EXPECT_EQ(FolderListing(dir.path() + "x"), Names{});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RenameNewName,
    testing::Values(NameCase{"Identical", "a.jpg", false}, NameCase{"EmptyBase", ".jpg", false},
                    NameCase{"Con", "con.jpg", false}, NameCase{"Prn", "prn.jpg", false},
                    NameCase{"Aux", "aux", false}, NameCase{"IntoSubFolder", "x\\y.jpg", false},
                    NameCase{"IntoParent", "..\\z.jpg", false}, NameCase{"Stream", "a:b.jpg", false},
                    NameCase{"Slash", "a/b.jpg", false}, NameCase{"SlashInto", "x/y.jpg", false},
                    NameCase{"OnlyDots", "..", false}, NameCase{"DotsAndSpaces", ". .", false},
                    NameCase{"Plain", "b.jpg", true}, NameCase{"NoExtension", "b", true},
                    // ソ is 83 5C: its trail byte is no delimiter.
                    NameCase{"SoKatakana", "\x83\x5C.jpg", true}, NameCase{"Japanese", "写真ソ.txt", true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Rename, RefusesAnotherFolderAndLosesNothing) {
  TempDir dir, other;
  std::string oldPath = dir.Touch("a.jpg", "A");
  EXPECT_FALSE(RenameAlone(oldPath, other.path() + "a.jpg"));
  EXPECT_FALSE(RenameAlone(oldPath, other.path() + "b.jpg"));
  EXPECT_EQ(FolderListing(other.path()), Names{});
  EXPECT_EQ(FileContent(oldPath), "A");
}

TEST(Rename, RefusesStreamsOfTheOldFile) {
  TempDir dir;
  std::string oldPath = dir.Touch("a.jpg", "A");
  EXPECT_FALSE(RenameAlone(oldPath + ":s", oldPath + ":t"));
  EXPECT_FALSE(RenameAlone(oldPath + ":s", dir.path() + "b.jpg"));
  EXPECT_EQ(FolderListing(dir.path()), Names{"a.jpg"});
  EXPECT_EQ(FileContent(oldPath), "A");
}

TEST(Rename, UpperCaseDeviceNameIsLeftToTheFileSystem) {
  // Whatever a bare move does with CON.jpg, the move does the same.
  TempDir bare, safe;
  std::string barePath = bare.Touch("a.jpg", "A");
  std::string safePath = safe.Touch("a.jpg", "A");
  bool moved = MoveFileW(sjis::ToUtf16Lenient(barePath).c_str(), sjis::ToUtf16Lenient(bare.path() + "CON.jpg").c_str()) != 0;
  EXPECT_EQ(RenameAlone(safePath, safe.path() + "CON.jpg"), moved);
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
  std::string oldPath = c.folder ? dir.Mkdir("a.jpg") : c.missing ? dir.path() + "a.jpg" : dir.Touch("a.jpg", "A");
  if (c.attributes) SetAttributes(oldPath, c.attributes);
  EXPECT_FALSE(RenameAlone(oldPath, dir.path() + "b.jpg"));
  EXPECT_FALSE(dir.Exists("b.jpg"));
  EXPECT_EQ(dir.Exists("a.jpg"), !c.missing);
  if (c.attributes) SetAttributes(oldPath, FILE_ATTRIBUTE_NORMAL);
}

// 拡張子変更 refuses what the run refuses, and its row says why as the run's would.
TEST_P(RenameOldFile, TheChangeOfExtensionRefusesItAsTheRunDoes) {
  const OldCase& c = GetParam();
  if (!c.attributes) GTEST_SKIP() << "refused by its attributes only";
  TempDir dir;
  const std::string path = dir.Touch("a.jpg", "A");
  SetAttributes(path, c.attributes);
  RenameList list;
  list.Add("a.jpg", dir.path());
  list[0].newName = "b";
  list[0].selected = true;
  disk::DiskState disk;
  disk::CheckRows(list, disk);
  const rules::Refusal run = list[0].refusal;
  const disk::RunReport report = disk::ChangeExtensions(list, ".png", disk);
  EXPECT_EQ(report.refused, 1u);
  EXPECT_EQ(report.renamed, 0u);
  list[0].newName = "a";  // a rule that keeps the name: only what 拡張子変更 met is said
  disk::CheckRows(list, disk);
  EXPECT_EQ(list[0].refusal, run);
  EXPECT_NE(run, rules::Refusal::None);
  EXPECT_EQ(FolderListing(dir.path()), Names{"a.jpg"});
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
  std::string a = dir.Touch("a.jpg", "A");
  std::string b = dir.Touch("b.jpg", "B");
  EXPECT_FALSE(RenameAlone(a, b));
  EXPECT_EQ(FileContent(a), "A");
  EXPECT_EQ(FileContent(b), "B");
}

// A plain move keeps the old spelling when only the letter case changes; the file must bear
// the new one on disk.
TEST(Rename, CaseOnlyChangeLandsOnDisk) {
  const std::pair<const char*, const char*> cases[] = {
      {"holiday.txt", "HOLIDAY.txt"}, {"README.TXT", "readme.TXT"}, {"写真holiday.jpg", "写真Holiday.jpg"},
      {"ａｂｃ.txt", "ＡＢＣ.txt"}};
  for (const auto& [from, to] : cases) {
    SCOPED_TRACE(to);
    TempDir dir;
    std::string oldPath = dir.Touch(from, "R");
    EXPECT_TRUE(RenameAlone(oldPath, dir.path() + to));
    EXPECT_EQ(FolderListing(dir.path()), Names{to});
    EXPECT_EQ(FileContent(dir.path() + to), "R");
  }
}

TEST(Rename, CaseOnlyChangeOntoAnotherFileKeepsBothAsTheyWere) {
  // A case-sensitive disk (Linux under Wine, some shares) can hold a.txt and A.txt at once:
  // the second step then finds its name taken and the file gets its old name back.
  TempDir dir;
  std::string oldPath = dir.Touch("a.txt", "lower");
  if (!dir.TouchUnix("A.txt", "upper")) GTEST_SKIP() << "needs Wine's Linux side to make a second spelling";
  EXPECT_FALSE(RenameAlone(oldPath, dir.path() + "A.txt"));
  EXPECT_EQ(FolderListing(dir.path()), (Names{"A.txt", "a.txt"}));
  EXPECT_EQ(FileContent(oldPath), "lower");
  EXPECT_EQ(FileContent(dir.path() + "A.txt"), "upper");
}

TEST(Rename, ANameTheVolumeCantHoldLeavesTheFileAsItWas) {
  // A platform that cuts the name (Wine keeps 255 bytes of UTF-8) reports success; the file
  // is found under the cut name and moved back.
  TempDir dir;
  std::string oldPath = dir.Touch("s.txt", "S");
  std::string name;
  for (int i = 0; i < 300; ++i) name += "あ";
  EXPECT_FALSE(RenameAlone(oldPath, dir.path() + name + ".txt"));
  EXPECT_EQ(FolderListing(dir.path()), Names{"s.txt"});
  EXPECT_EQ(FileContent(oldPath), "S");
}

// Rows in list order as "file name|new name".
Names Rows(const RenameList& list) {
  Names rows;
  for (const RenameEntry& r : list) rows.push_back(r.fileName + "|" + r.newName);
  return rows;
}

struct RenameRowsTest : testing::Test {
  TempDir dir;
  RenameList list;
  void Row(const std::string& fileName, const std::string& newName) {
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
  const std::vector<std::array<const char*, 3>> rows = {
      {"p\\", "a.txt", "b"}, {"p\\", "b.txt", "a"}, {"q\\", "a.txt", "b"}, {"q\\", "b.txt", "c"}};
  for (const auto& [folder, file, newName] : rows) {
    dir.Touch(std::string(folder) + file, std::string(folder) + file);
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
  EXPECT_EQ(FolderListing(dir.path() + "p"), (Names{"a.txt", "b.txt"}));
  EXPECT_EQ(FileContent(dir.path() + "p\\a.txt"), "p\\b.txt");
  EXPECT_EQ(FileContent(dir.path() + "p\\b.txt"), "p\\a.txt");
  EXPECT_EQ(FolderListing(dir.path() + "q"), (Names{"b.txt", "c.txt"}));
  EXPECT_EQ(FileContent(dir.path() + "q\\b.txt"), "q\\a.txt");
  EXPECT_EQ(FileContent(dir.path() + "q\\c.txt"), "q\\b.txt");
}

TEST_F(RenameRowsTest, KeepsTheExtensionAndResortsOnce) {
  Row("a.JPG", "z");
  Row("b.txt", "m");
  Row("c", "k");
  RenameRows(list, false);
  EXPECT_EQ(Rows(list), (Names{"k|k", "m.txt|m", "z.JPG|z"}));
  EXPECT_EQ(FolderListing(dir.path()), (Names{"k", "m.txt", "z.JPG"}));
}

TEST_F(RenameRowsTest, ClearItemsLeavesOnlyTheFailedRow) {
  Row("a.txt", "x");
  Row("b.txt", "y");
  Row("c.txt", "z");
  SetAttributes(dir.path() + "b.txt", FILE_ATTRIBUTE_READONLY);
  RenameRows(list, true);
  EXPECT_EQ(Rows(list), (Names{"b.txt|y"}));
  EXPECT_EQ(FolderListing(dir.path()), (Names{"b.txt", "x.txt", "z.txt"}));
  SetAttributes(dir.path() + "b.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RenameRowsTest, RowsThatCouldLeaveTheirFolderStay) {
  dir.Mkdir("sub");
  Row("a.txt", "sub\\a");
  Row("b.txt", "..\\b");
  Row("c.txt", "c:stream");
  RenameRows(list, true);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(FolderListing(dir.path()), (Names{"a.txt", "b.txt", "c.txt", "sub"}));
  EXPECT_EQ(FolderListing(dir.path() + "sub"), Names{});
}

TEST_F(RenameRowsTest, SecondRunWithUnchangedNamesRenamesNothing) {
  Row("a.txt", "x");
  Row("b.txt", "y");
  RenameRows(list, false);
  Names after = Rows(list);
  // Every new path now equals its current path.
  RenameRows(list, false);
  EXPECT_EQ(Rows(list), after);
  EXPECT_EQ(FolderListing(dir.path()), (Names{"x.txt", "y.txt"}));
  EXPECT_EQ(FileContent(dir.path() + "x.txt"), "a.txt");
  EXPECT_EQ(FileContent(dir.path() + "y.txt"), "b.txt");
}

// Stopped after its first file, a run leaves every file either renamed with its row updated
// (or cleared) or untouched with its row kept, and sorting back on.
TEST(RenameRowsStopped, EachFileIsRenamedWithItsRowOrUntouched) {
  for (bool clear : {false, true}) {
    SCOPED_TRACE(clear);
    TempDir dir;
    RenameList list;
    const Names names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    for (const std::string& n : names) {
      dir.Touch(n, n);
      list.Add(n, dir.path());
    }
    for (RenameEntry& r : list) r.newName = std::string("x").append(r.BaseName());
    std::size_t calls = 0;
    bool whole = RenameRows(list, clear, [&](std::size_t, std::size_t) { return ++calls > 1; });
    EXPECT_FALSE(whole);
    EXPECT_TRUE(list.sorting());

    std::size_t renamed = 0;
    for (const std::string& n : names) {
      std::string moved = std::string("x").append(n);
      bool listedOld = false, listedNew = false;
      for (const RenameEntry& r : list) {
        listedOld = listedOld || r.fileName == n;
        listedNew = listedNew || r.fileName == moved;
      }
      if (FileContent(dir.path() + moved) == n) {
        ++renamed;
        EXPECT_FALSE(dir.Exists(n)) << n;
        EXPECT_FALSE(listedOld) << n;
        EXPECT_EQ(listedNew, !clear) << n;
      } else {
        EXPECT_EQ(FileContent(dir.path() + n), n);
        EXPECT_TRUE(listedOld) << n;
      }
    }
    // Only the last row was tried: the run asks after each file.
    EXPECT_EQ(renamed, 1u);
    EXPECT_TRUE(dir.Exists("xd.txt"));
    EXPECT_EQ(list.size(), clear ? 3u : 4u);
  }
}

}  // namespace
