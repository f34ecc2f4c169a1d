#include "disk/RenamePlan.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "disk/RenameRun.h"
#include "intake/Intake.h"
#include "rules/Rules.h"
#include "support/TempDir.h"
#include "text/sjis.h"

using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;
using disk::CheckRows;
using disk::DiskState;
using disk::JudgeFiles;
using disk::NumberDuplicates;
using disk::RenameRows;
using intake::AddFiles;
using intake::IntakeOptions;

namespace {

// 300 characters: more than any volume holds, in UTF-16 units or in UTF-8 bytes.
const std::string kLongName = [] {
  std::string s;
  for (int i = 0; i < 300; ++i) s += "あ";
  return s;
}();
const char* const kLong = kLongName.c_str();

struct Row {
  const char* file;
  const char* newName;
  Refusal expected;
};

struct PlanCase {
  const char* label;
  std::vector<const char*> others;  // files on disk that aren't listed ("name/" makes a folder)
  std::vector<Row> rows;
  const char* readOnly = nullptr;
};

class PlanMatchesRun : public testing::TestWithParam<PlanCase> {};

// The marks are exactly the rows the run then leaves unrenamed.
TEST_P(PlanMatchesRun, MarkedRowsAreTheRowsTheRunLeaves) {
  const PlanCase& c = GetParam();
  TempDir dir;
  for (const char* other : c.others) {
    std::string name = other;
    if (name.back() == '/') {
      dir.Mkdir(name.substr(0, name.size() - 1));
    } else {
      dir.Touch(name);
    }
  }
  RenameList list;
  for (const Row& r : c.rows) {
    dir.Touch(r.file, r.file);
    list.Add(r.file, dir.path());
  }
  if (c.readOnly) SetFileAttributesW(sjis::ToUtf16Lenient(dir.path() + c.readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  std::map<std::string, const Row*> byFile;
  for (const Row& r : c.rows) byFile[r.file] = &r;
  for (RenameEntry& e : list) e.newName = byFile[e.fileName]->newName;

  DiskState disk;
  std::size_t refused = CheckRows(list, disk);
  std::map<std::string, Refusal> marks;
  std::size_t expectedRefused = 0;
  for (const RenameEntry& e : list) {
    marks[e.fileName] = e.refusal;
    EXPECT_EQ(static_cast<int>(e.refusal), static_cast<int>(byFile[e.fileName]->expected)) << e.fileName;
    expectedRefused += byFile[e.fileName]->expected != Refusal::None;
  }
  EXPECT_EQ(refused, expectedRefused);

  RenameRows(list, false, {}, &disk);
  EXPECT_EQ(FolderListing(dir.path()).size(), c.others.size() + c.rows.size()) << "no temporary name is left";
  std::size_t left = 0;
  for (const RenameEntry& e : list) {
    bool renamed = e.fileName == e.newName + std::string(e.Extension());
    // Each row's own file landed under its name (a file holds its first name).
    EXPECT_EQ(byFile[FileContent(e.CurrentPath())]->newName, e.newName) << e.fileName;
    EXPECT_EQ(!renamed, marks.count(e.fileName) && marks[e.fileName] != Refusal::None) << e.fileName;
    left += !renamed;
  }
  EXPECT_EQ(left, refused);
  if (c.readOnly) SetFileAttributesW(sjis::ToUtf16Lenient(dir.path() + c.readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanMatchesRun,
    testing::Values(
        PlanCase{"ShiftUp", {}, {{"a.jpg", "b", Refusal::None}, {"b.jpg", "c", Refusal::None}}},
        // A chain lands from its free end, whichever way it runs; a cycle through a temporary name.
        PlanCase{"ShiftDown", {}, {{"b.jpg", "a", Refusal::None}, {"c.jpg", "b", Refusal::None}}},
        PlanCase{"NumberedWithAGap", {}, {{"x01.txt", "x01", Refusal::None}, {"x02.txt", "x02", Refusal::None},
                                          {"x04.txt", "x03", Refusal::None}, {"x05.txt", "x04", Refusal::None},
                                          {"x06.txt", "x05", Refusal::None}}},
        PlanCase{"Swap", {}, {{"ab.txt", "BA", Refusal::None}, {"ba.txt", "ab", Refusal::None}}},
        PlanCase{"CycleOfThree", {}, {{"a.txt", "b", Refusal::None}, {"b.txt", "c", Refusal::None},
                                      {"c.txt", "a", Refusal::None}, {"d.txt", "e", Refusal::None}}},
        // c.txt stays, and so do the rows waiting for its name, one behind the other.
        PlanCase{"ChainBrokenByAFileThatStays", {}, {{"a.txt", "b", Refusal::Taken}, {"b.txt", "c", Refusal::Taken},
                                                     {"c.txt", "d", Refusal::ReadOnly}}, "c.txt"},
        PlanCase{"UnchangedRowHoldsItsName", {}, {{"a.txt", "a", Refusal::None}, {"b.txt", "A", Refusal::Taken}}},
        // The last row goes first and takes the name.
        PlanCase{"TwoRowsOneTarget", {}, {{"a.txt", "z", Refusal::Duplicate}, {"b.txt", "z", Refusal::None}}},
        PlanCase{"TakenOutsideTheList", {"k.txt"}, {{"a.txt", "K", Refusal::Taken}, {"b.txt", "m", Refusal::None}}},
        PlanCase{"TakenByFolder", {"sub.txt/"}, {{"a.txt", "sub", Refusal::TakenByFolder}}},
        PlanCase{"ReadOnly", {}, {{"r.txt", "x", Refusal::ReadOnly}, {"s.txt", "y", Refusal::None}}, "r.txt"},
        PlanCase{"Backslash", {}, {{"a.txt", "x\\y", Refusal::BadName}, {"b.txt", "", Refusal::BadName}}},
        // The platform would drop the ending: the file would keep its name.
        PlanCase{"EndsInDotOrBlank", {}, {{"k", "k.", Refusal::BadName}, {"m", "m ", Refusal::BadName}}},
        // Devices in any letter case, with an extension and blanks before it.
        PlanCase{"DeviceNames", {}, {{"a.txt", "CON", Refusal::BadName}, {"b", "Nul", Refusal::BadName},
                                     {"c", "com1.txt", Refusal::BadName}, {"d.jpg", "lpt9  ", Refusal::BadName},
                                     {"e.txt", "CONOUT$", Refusal::BadName}, {"f.txt", "console", Refusal::None}}},
        PlanCase{"WildcardsAndControls", {}, {{"a.txt", "a*b", Refusal::BadName}, {"b.txt", "q?", Refusal::BadName},
                                              {"c.txt", "x<y>", Refusal::BadName}, {"d.txt", "p|q", Refusal::BadName},
                                              {"e.txt", "\"hi\"", Refusal::BadName}, {"f.txt", "t\tx", Refusal::BadName}}},
        PlanCase{"LongerThanAnyVolumeHolds", {}, {{"s.txt", kLong, Refusal::TooLong}}},
        // A change of letter case is a change; the same name is none and no refusal.
        PlanCase{"CaseAndSame", {}, {{"m.txt", "M", Refusal::None}, {"n.txt", "n", Refusal::None}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CheckRows, AFileGoneSinceTheListingIsMarkedOnceListedAgain) {
  TempDir dir;
  dir.Touch("a.txt");
  RenameList list;
  list.Add("a.txt", dir.path());
  list[0].newName = "b";
  DiskState disk;
  EXPECT_EQ(CheckRows(list, disk), 0u);
  DeleteFileW(sjis::ToUtf16Lenient(dir.path() + "a.txt").c_str());
  EXPECT_EQ(CheckRows(list, disk), 0u) << "the listing stands until it is refreshed";
  disk.Forget(dir.path());
  EXPECT_EQ(CheckRows(list, disk), 1u);
  EXPECT_EQ(list[0].refusal, Refusal::Missing);
}

// A folder nested past MAX_PATH: its files are taken in, pass the check and are renamed, a
// change of letter case too.
TEST(LongPath, FilesPastMaxPathAreTakenInCheckedAndRenamed) {
  TempDir dir;
  std::string deep = dir.path();
  for (char part = 'a'; part < 'g'; ++part) {
    deep.append(50, part);
    ASSERT_TRUE(CreateDirectoryW(sjis::ToUtf16Lenient("\\\\?\\" + deep).c_str(), nullptr));
    deep += '\\';
  }
  for (const char* name : {"a.txt", "c.txt"}) {
    HANDLE h = CreateFileW(sjis::ToUtf16Lenient("\\\\?\\" + deep + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  ASSERT_GT(deep.size(), 300u);
  RenameList list;
  DiskState disk;
  AddFiles(list, {deep.substr(0, deep.size() - 1)}, IntakeOptions{}, {}, &disk);
  ASSERT_EQ(list.size(), 2u);
  list[0].newName = "b";
  list[1].newName = "C";
  EXPECT_EQ(CheckRows(list, disk), 0u);
  EXPECT_TRUE(RenameRows(list, false, {}, &disk));
  EXPECT_EQ(FolderListing(deep), (std::vector<std::string>{"C.txt", "b.txt"}));
}

// A folder that can't be listed (here: renamed away) tells nothing of its files: its rows
// say so, rather than call every file gone.
TEST(CheckRows, RowsOfAFolderThatCantBeListedSaySo) {
  TempDir dir;
  dir.Touch("p\\a.txt");
  dir.Touch("q\\b.txt");
  RenameList list;
  list.Add("a.txt", dir.path() + "p\\");
  list.Add("b.txt", dir.path() + "q\\");
  for (RenameEntry& e : list) e.newName = "x";
  ASSERT_TRUE(MoveFileW(sjis::ToUtf16Lenient(dir.path() + "p").c_str(), sjis::ToUtf16Lenient(dir.path() + "p2").c_str()));
  ASSERT_TRUE(DeleteFileW(sjis::ToUtf16Lenient(dir.path() + "q\\b.txt").c_str()));
  DiskState disk;
  EXPECT_EQ(CheckRows(list, disk), 2u);
  EXPECT_EQ(list[0].refusal, Refusal::Unreadable);
  EXPECT_EQ(list[1].refusal, Refusal::Missing);
}

// Numbering passes over the rows the run leaves whatever their names: they keep their names
// and say why, and the others are numbered on without a gap. Names another rule left say nothing.
TEST(JudgeFiles, RowsThatStayTakeNoNumberAndSayWhy) {
  TempDir dir;
  RenameList list;
  for (const char* name : {".picasa.ini", "P1.jpg", "P2.jpg", "P3.jpg"}) {
    dir.Touch(name);
    list.Add(name, dir.path());
  }
  list.Add("P2gone.jpg", dir.path());
  list.Add("P2x.jpg", dir.path() + "gone\\");
  SetFileAttributesW(sjis::ToUtf16Lenient(dir.path() + ".picasa.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
  DiskState disk;
  const disk::RowFiles files = JudgeFiles(list, disk);
  rules::PreviewNumber(list, {"hana", 1, 1, 4, "1", true}, files.Stays());
  EXPECT_EQ(CheckRows(list, disk, &files), 3u);
  std::vector<std::pair<std::string, Refusal>> rows;
  for (const RenameEntry& e : list) rows.emplace_back(e.newName, e.refusal);
  EXPECT_EQ(rows, (decltype(rows){{".picasa", Refusal::Hidden}, {"hana_0001", Refusal::None},
                                  {"hana_0002", Refusal::None}, {"P2gone", Refusal::Missing},
                                  {"P2x", Refusal::Unreadable}, {"hana_0003", Refusal::None}}));
  list.ClearMarks();
  EXPECT_EQ(CheckRows(list, disk), 0u);
}

}  // namespace

// Numbered in list order: the first row keeps a free name, the others take the smallest number
// free in the folder and among the run's names; a name a file that stays holds is numbered for
// every row, and a row that waited for a numbered one then keeps its name.
TEST(NumberDuplicates, FirstRowKeepsTheNameTheOthersTakeFreeNumbers) {
  TempDir dir;
  dir.Touch("z_2.txt");
  dir.Touch("k.txt");
  RenameList list;
  const std::vector<std::string> files = {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt", "g.txt"};
  const std::vector<std::string> newNames = {"z", "Z", "z", "k", "e", "g", "k"};
  for (const std::string& f : files) list.Add(dir.Touch(f, f).substr(dir.path().size()), dir.path());
  for (std::size_t k = 0; k < files.size(); ++k) list[k].newName = newNames[k];
  DiskState disk;
  EXPECT_EQ(NumberDuplicates(list, disk), 4u);
  std::vector<std::string> numbered;
  for (const RenameEntry& e : list) numbered.push_back(e.newName);
  EXPECT_EQ(numbered, (std::vector<std::string>{"z", "Z_3", "z_4", "k_2", "e", "g", "k_3"}));
  EXPECT_EQ(CheckRows(list, disk), 0u);
}

TEST(DiskStateTest, AFolderListedAgainRefreshesItsRowsSizeAndTimes) {
  TempDir dir;
  dir.Touch("a.txt", "12");
  RenameList list;
  list.Add("a.txt", dir.path());  // told nothing yet
  list.Add("gone.txt", dir.path(), 7, 1, 1);
  DiskState disk;
  list[0].newName = list[1].newName = "b";
  CheckRows(list, disk);
  disk.RefreshRows(list);
  EXPECT_EQ(list[0].size, 2u);
  EXPECT_NE(list[0].lastWrite, 0u);
  EXPECT_EQ(list[1].size, 7u) << "a file the listing lacks keeps what was told";
  dir.Touch("a.txt", "12345");
  disk.RefreshRows(list);
  EXPECT_EQ(list[0].size, 2u) << "no listing read, nothing asked";
  disk.Clear();
  CheckRows(list, disk);
  disk.RefreshRows(list);
  EXPECT_EQ(list[0].size, 5u);
}
