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
#include "text/utf16.h"

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
const std::wstring kLongName = [] {
  std::wstring s;
  for (int i = 0; i < 300; ++i) s += L"あ";
  return s;
}();
const wchar_t* const kLong = kLongName.c_str();
// With ".txt", names of 255 and 256 UTF-16 units (and as many bytes of UTF-8).
const std::wstring kFitsName(251, L'a'), kOverName(252, L'a');

struct Row {
  const wchar_t* file;
  const wchar_t* newName;
  Refusal expected;
};

struct PlanCase {
  const char* label;
  std::vector<const wchar_t*> others;  // files on disk that aren't listed (L"name/" makes a folder)
  std::vector<Row> rows;
  const wchar_t* readOnly = nullptr;
};

class PlanMatchesRun : public testing::TestWithParam<PlanCase> {};

// The marks are exactly the rows the run then leaves unrenamed.
TEST_P(PlanMatchesRun, MarkedRowsAreTheRowsTheRunLeaves) {
  const PlanCase& c = GetParam();
  TempDir dir;
  for (const wchar_t* other : c.others) {
    std::wstring name = other;
    if (name.back() == L'/') {
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
  if (c.readOnly) SetFileAttributesW(std::wstring(dir.path() + c.readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  std::map<std::wstring, const Row*> byFile;
  for (const Row& r : c.rows) byFile[r.file] = &r;
  for (RenameEntry& e : list) e.newName = byFile[e.fileName]->newName;

  DiskState disk;
  std::size_t refused = CheckRows(list, disk);
  std::map<std::wstring, Refusal> marks;
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
    bool renamed = e.fileName == e.newName + std::wstring(e.Extension());
    // Each row's own file landed under its name (a file holds its first name).
    EXPECT_EQ(byFile[FileText(e.CurrentPath())]->newName, e.newName) << e.fileName;
    EXPECT_EQ(!renamed, marks.count(e.fileName) && marks[e.fileName] != Refusal::None) << e.fileName;
    left += !renamed;
  }
  EXPECT_EQ(left, refused);
  if (c.readOnly) SetFileAttributesW(std::wstring(dir.path() + c.readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanMatchesRun,
    testing::Values(
        PlanCase{"ShiftUp", {}, {{L"a.jpg", L"b", Refusal::None}, {L"b.jpg", L"c", Refusal::None}}},
        // A chain lands from its free end, whichever way it runs; a cycle through a temporary name.
        PlanCase{"ShiftDown", {}, {{L"b.jpg", L"a", Refusal::None}, {L"c.jpg", L"b", Refusal::None}}},
        PlanCase{"NumberedWithAGap", {}, {{L"x01.txt", L"x01", Refusal::None}, {L"x02.txt", L"x02", Refusal::None},
                                          {L"x04.txt", L"x03", Refusal::None}, {L"x05.txt", L"x04", Refusal::None},
                                          {L"x06.txt", L"x05", Refusal::None}}},
        PlanCase{"Swap", {}, {{L"ab.txt", L"BA", Refusal::None}, {L"ba.txt", L"ab", Refusal::None}}},
        PlanCase{"CycleOfThree", {}, {{L"a.txt", L"b", Refusal::None}, {L"b.txt", L"c", Refusal::None},
                                      {L"c.txt", L"a", Refusal::None}, {L"d.txt", L"e", Refusal::None}}},
        // c.txt stays, and so do the rows waiting for its name, one behind the other.
        PlanCase{"ChainBrokenByAFileThatStays", {}, {{L"a.txt", L"b", Refusal::Taken}, {L"b.txt", L"c", Refusal::Taken},
                                                     {L"c.txt", L"d", Refusal::ReadOnly}}, L"c.txt"},
        PlanCase{"UnchangedRowHoldsItsName", {}, {{L"a.txt", L"a", Refusal::None}, {L"b.txt", L"A", Refusal::Taken}}},
        // The last row goes first and takes the name.
        PlanCase{"TwoRowsOneTarget", {}, {{L"a.txt", L"z", Refusal::Duplicate}, {L"b.txt", L"z", Refusal::None}}},
        PlanCase{"TakenOutsideTheList", {L"k.txt"}, {{L"a.txt", L"K", Refusal::Taken}, {L"b.txt", L"m", Refusal::None}}},
        PlanCase{"TakenByFolder", {L"sub.txt/"}, {{L"a.txt", L"sub", Refusal::TakenByFolder}}},
        PlanCase{"ReadOnly", {}, {{L"r.txt", L"x", Refusal::ReadOnly}, {L"s.txt", L"y", Refusal::None}}, L"r.txt"},
        PlanCase{"Backslash", {}, {{L"a.txt", L"x\\y", Refusal::BadName}, {L"b.txt", L"", Refusal::BadName}}},
        // The platform would drop the ending: the file would keep its name.
        PlanCase{"EndsInDotOrBlank", {}, {{L"k", L"k.", Refusal::BadName}, {L"m", L"m ", Refusal::BadName}}},
        // Devices in any letter case, with an extension and blanks before it.
        PlanCase{"DeviceNames", {}, {{L"a.txt", L"CON", Refusal::BadName}, {L"b", L"Nul", Refusal::BadName},
                                     {L"c", L"com1.txt", Refusal::BadName}, {L"d.jpg", L"lpt9  ", Refusal::BadName},
                                     {L"e.txt", L"CONOUT$", Refusal::BadName}, {L"f.txt", L"console", Refusal::None}}},
        PlanCase{"WildcardsAndControls", {}, {{L"a.txt", L"a*b", Refusal::BadName}, {L"b.txt", L"q?", Refusal::BadName},
                                              {L"c.txt", L"x<y>", Refusal::BadName}, {L"d.txt", L"p|q", Refusal::BadName},
                                              {L"e.txt", L"\"hi\"", Refusal::BadName}, {L"f.txt", L"t\tx", Refusal::BadName}}},
        PlanCase{"LongerThanAnyVolumeHolds", {}, {{L"s.txt", kLong, Refusal::TooLong}}},
        PlanCase{"LongestName", {}, {{L"s.txt", kOverName.c_str(), Refusal::TooLong}, {L"t.txt", kFitsName.c_str(), Refusal::None}}},
        PlanCase{"NoShiftJisForm", {L"한국어.txt"}, {{L"Beyoncé.mp3", L"\U0001F600", Refusal::None}, {L"〜メモ.txt", L"한국어", Refusal::Taken},
                                                     {L"\U0001F600.txt", L"シ\u3099", Refusal::None}}},
        // A change of letter case is a change; the same name is none and no refusal.
        PlanCase{"CaseAndSame", {}, {{L"m.txt", L"M", Refusal::None}, {L"n.txt", L"n", Refusal::None}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CheckRows, AFileGoneSinceTheListingIsMarkedOnceListedAgain) {
  TempDir dir;
  dir.Touch(L"a.txt");
  RenameList list;
  list.Add(L"a.txt", dir.path());
  list[0].newName = L"b";
  DiskState disk;
  EXPECT_EQ(CheckRows(list, disk), 0u);
  DeleteFileW(std::wstring(dir.path() + L"a.txt").c_str());
  EXPECT_EQ(CheckRows(list, disk), 0u) << "the listing stands until it is refreshed";
  disk.Forget(dir.path());
  EXPECT_EQ(CheckRows(list, disk), 1u);
  EXPECT_EQ(list[0].refusal, Refusal::Missing);
}

// A folder nested past MAX_PATH: its files are taken in, pass the check and are renamed, a
// change of letter case too.
TEST(LongPath, FilesPastMaxPathAreTakenInCheckedAndRenamed) {
  TempDir dir;
  std::wstring deep = dir.path();
  for (char part = L'a'; part < L'g'; ++part) {
    deep.append(50, part);
    ASSERT_TRUE(CreateDirectoryW(std::wstring(L"\\\\?\\" + deep).c_str(), nullptr));
    deep += L'\\';
  }
  for (const wchar_t* name : {L"a.txt", L"c.txt"}) {
    HANDLE h = CreateFileW(std::wstring(L"\\\\?\\" + deep + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  ASSERT_GT(deep.size(), 300u);
  RenameList list;
  DiskState disk;
  AddFiles(list, {deep.substr(0, deep.size() - 1)}, IntakeOptions{}, {}, &disk);
  ASSERT_EQ(list.size(), 2u);
  list[0].newName = L"b";
  list[1].newName = L"C";
  EXPECT_EQ(CheckRows(list, disk), 0u);
  EXPECT_TRUE(RenameRows(list, false, {}, &disk));
  EXPECT_EQ(FolderListing(deep), (std::vector<std::wstring>{L"C.txt", L"b.txt"}));
}

// A folder that can't be listed (here: renamed away) tells nothing of its files: its rows
// say so, rather than call every file gone.
TEST(CheckRows, RowsOfAFolderThatCantBeListedSaySo) {
  TempDir dir;
  dir.Touch(L"p\\a.txt");
  dir.Touch(L"q\\b.txt");
  RenameList list;
  list.Add(L"a.txt", dir.path() + L"p\\");
  list.Add(L"b.txt", dir.path() + L"q\\");
  for (RenameEntry& e : list) e.newName = L"x";
  ASSERT_TRUE(MoveFileW(std::wstring(dir.path() + L"p").c_str(), std::wstring(dir.path() + L"p2").c_str()));
  ASSERT_TRUE(DeleteFileW(std::wstring(dir.path() + L"q\\b.txt").c_str()));
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
  for (const wchar_t* name : {L".picasa.ini", L"P1.jpg", L"P2.jpg", L"P3.jpg"}) {
    dir.Touch(name);
    list.Add(name, dir.path());
  }
  list.Add(L"P2gone.jpg", dir.path());
  list.Add(L"P2x.jpg", dir.path() + L"gone\\");
  SetFileAttributesW(std::wstring(dir.path() + L".picasa.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
  DiskState disk;
  const disk::RowFiles files = JudgeFiles(list, disk);
  rules::PreviewNumber(list, {L"hana", 1, 1, 4, L"1", true}, files.Stays());
  EXPECT_EQ(CheckRows(list, disk, &files), 3u);
  std::vector<std::pair<std::wstring, Refusal>> rows;
  for (const RenameEntry& e : list) rows.emplace_back(e.newName, e.refusal);
  EXPECT_EQ(rows, (decltype(rows){{L".picasa", Refusal::Hidden}, {L"hana_0001", Refusal::None},
                                  {L"hana_0002", Refusal::None}, {L"P2gone", Refusal::Missing},
                                  {L"P2x", Refusal::Unreadable}, {L"hana_0003", Refusal::None}}));
  list.ClearMarks();
  EXPECT_EQ(CheckRows(list, disk), 0u);
}

}  // namespace

// Numbered in list order: the first row keeps a free name, the others take the smallest number
// free in the folder and among the run's names; a name a file that stays holds is numbered for
// every row, and a row that waited for a numbered one then keeps its name.
TEST(NumberDuplicates, FirstRowKeepsTheNameTheOthersTakeFreeNumbers) {
  TempDir dir;
  dir.Touch(L"z_2.txt");
  dir.Touch(L"k.txt");
  RenameList list;
  const std::vector<std::wstring> files = {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt", L"f.txt", L"g.txt"};
  const std::vector<std::wstring> newNames = {L"z", L"Z", L"z", L"k", L"e", L"g", L"k"};
  for (const std::wstring& f : files) list.Add(dir.Touch(f, f).substr(dir.path().size()), dir.path());
  for (std::size_t k = 0; k < files.size(); ++k) list[k].newName = newNames[k];
  DiskState disk;
  EXPECT_EQ(NumberDuplicates(list, disk), 4u);
  std::vector<std::wstring> numbered;
  for (const RenameEntry& e : list) numbered.push_back(e.newName);
  EXPECT_EQ(numbered, (std::vector<std::wstring>{L"z", L"Z_3", L"z_4", L"k_2", L"e", L"g", L"k_3"}));
  EXPECT_EQ(CheckRows(list, disk), 0u);
}

TEST(DiskStateTest, AFolderListedAgainRefreshesItsRowsSizeAndTimes) {
  TempDir dir;
  dir.Touch(L"a.txt", L"12");
  RenameList list;
  list.Add(L"a.txt", dir.path());  // told nothing yet
  list.Add(L"gone.txt", dir.path(), 7, 1, 1);
  DiskState disk;
  list[0].newName = list[1].newName = L"b";
  CheckRows(list, disk);
  disk.RefreshRows(list);
  EXPECT_EQ(list[0].size, 2u);
  EXPECT_NE(list[0].lastWrite, 0u);
  EXPECT_EQ(list[1].size, 7u) << "a file the listing lacks keeps what was told";
  dir.Touch(L"a.txt", L"12345");
  disk.RefreshRows(list);
  EXPECT_EQ(list[0].size, 2u) << "no listing read, nothing asked";
  disk.Clear();
  CheckRows(list, disk);
  disk.RefreshRows(list);
  EXPECT_EQ(list[0].size, 5u);
}
