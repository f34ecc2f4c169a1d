// Faults that strike after the files were listed and checked. Whatever happens, each file is
// renamed with its row or left with its row, nothing is lost or overwritten, no temporary
// name stays, and the journal holds exactly the moves made, so that undo restores every name.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "disk/DiskState.h"
#include "os/FileSystem.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"
#include "disk/Undo.h"
#include "support/TempDir.h"
#include "text/utf16.h"

using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;
using disk::CheckRows;
using disk::DiskState;
using disk::IsTemporaryName;
using disk::Journal;
using disk::Move;
using disk::Mover;
using disk::Progress;
using disk::RenameRows;
using disk::UndoMoves;
using disk::UndoResult;

namespace {

using Names = std::vector<std::wstring>;

// Fails the moves numbered in `failing` (1: the first move the program asks for) with `error`.
class MoveFaults {
 public:
  MoveFaults(std::vector<int> failing, DWORD error) : failing_(std::move(failing)), error_(error) {}
  Mover mover() {
    return [this](fs::OpenFile& file, std::wstring_view to) -> std::uint32_t {
      return std::count(failing_.begin(), failing_.end(), ++count_) ? error_ : file.RenameTo(to);
    };
  }

 private:
  std::vector<int> failing_;
  DWORD error_ = 0;
  int count_ = 0;
};

// A folder of listed and checked files, a journal in a folder of its own, and a fault.
struct Scene {
  TempDir dir, journalDir;
  std::wstring journalPath = journalDir.path() + L"Kinoha.undo";
  Journal journal{std::wstring(journalPath)};
  RenameList list;
  DiskState disk;
  HANDLE held = INVALID_HANDLE_VALUE;
  std::unique_ptr<MoveFaults> faults;

  Scene() = default;
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;
  ~Scene() {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }

  // Files of `folder` ("" or "p\\") whose content is their relative path, each to get the
  // new base name "x" + its base name (or `newName`); then the preview's check.
  void List(const std::wstring& folder, const Names& names, const wchar_t* newName = nullptr) {
    for (const std::wstring& n : names) {
      dir.Touch(folder + n, folder + n);
      list.Add(n, dir.path() + folder);
    }
    for (RenameEntry& r : list) {
      if (r.newName.empty()) r.newName = newName ? std::wstring(newName) : std::wstring(L"x").append(r.BaseName());
    }
    ASSERT_EQ(CheckRows(list, disk), 0u);
  }

  // The run, after which the fault is lifted.
  void Run(const Progress& progress = {}) {
    RenameRows(list, false, progress, &disk, &journal, nullptr, faults ? faults->mover() : Mover{});
    faults.reset();
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
  }

  // Each row names a file that holds the row's own first path: renamed (fileName is
  // "x" + the old name) or untouched; a row whose file was deleted keeps its old name.
  // Rows of the same file names trading names: row k gets the base name of row next[k].
  void Trade(const Names& names, const std::vector<int>& next) {
    List(L"", names);
    for (std::size_t k = 0; k < names.size(); ++k) {
      list[k].newName = std::wstring(utf16::BaseName(names[static_cast<std::size_t>(next[k])]));
    }
    ASSERT_EQ(CheckRows(list, disk), 0u);
  }

  // Each file of `names` under its own name, with its row; nothing else in the folder.
  void ExpectUnderOldNames(const Names& names) {
    EXPECT_EQ(FolderListing(dir.path()), names);
    for (std::size_t k = 0; k < names.size(); ++k) {
      EXPECT_EQ(FileText(dir.path() + names[k]), names[k]);
      EXPECT_EQ(list[k].fileName, names[k]);
    }
  }

  void ExpectRowsFollowTheirFiles() {
    for (const RenameEntry& r : list) {
      std::wstring relative = r.CurrentPath().substr(dir.path().size());
      std::wstring content = FileText(r.CurrentPath());
      if (content == L"<missing>") {
        EXPECT_NE(r.fileName[0], L'x') << relative;
        continue;
      }
      std::wstring folder(utf16::FolderPart(content));
      EXPECT_TRUE(relative == content || relative == folder + L"x" + content.substr(folder.size())) << relative;
    }
  }

  // What the journal file holds, read as the next session would; complete with its end line.
  std::vector<Move> JournalFile() {
    bool complete = false;
    std::vector<Move> moves = Journal(std::wstring(journalPath)).Moves(&complete);
    EXPECT_TRUE(complete);
    return moves;
  }

  // The moves a run made: from the last row's file to the first's, those now under "x" names.
  std::vector<std::pair<std::wstring, std::wstring>> MovesMade(const std::wstring& folder, const Names& names) {
    std::vector<std::pair<std::wstring, std::wstring>> moves;
    for (auto n = names.rbegin(); n != names.rend(); ++n) {
      std::wstring to = dir.path() + folder + L"x" + *n;
      if (FileText(to) == folder + *n) moves.emplace_back(dir.path() + folder + *n, to);
    }
    return moves;
  }

  static std::vector<std::pair<std::wstring, std::wstring>> Pairs(const std::vector<Move>& moves) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (const Move& m : moves) pairs.emplace_back(m.from, m.to);
    return pairs;
  }

  // Undo takes back every move of the journal and nothing else.
  void ExpectUndoRestores(std::size_t moves) {
    UndoResult r = UndoMoves(journal.Moves(), list);
    EXPECT_EQ(r.restored, moves);
    EXPECT_EQ(r.failed, 0u);
    for (const RenameEntry& row : list) {
      const std::wstring content = FileText(row.CurrentPath());
      if (content != L"<missing>") {
        EXPECT_EQ(content, row.CurrentPath().substr(dir.path().size()));
      }
    }
  }
};

const Names kFiles = {L"a.txt", L"b.txt", L"c.txt", L"d.txt"};

struct FileFault {
  const char* label;
  void (*strike)(Scene&);  // on b.txt, after the check, before the run
  Names after, contents;      // the folder's entries after the run, and what each holds
  Refusal mark;               // what b.txt's row says after the run
  DWORD failure;              // the platform's reason the row keeps, where the move was refused
};

class FaultOnOneFile : public testing::TestWithParam<FileFault> {};

void HoldOpen(Scene& t) {
  // Sharing is enforced by the server for every handle, the program's own too.
  t.held = CreateFileW(std::wstring(t.dir.path() + L"b.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(t.held, INVALID_HANDLE_VALUE);
}
void Delete(Scene& t) { ASSERT_TRUE(DeleteFileW(std::wstring(t.dir.path() + L"b.txt").c_str())); }
void MakeReadOnly(Scene& t) {
  ASSERT_TRUE(SetFileAttributesW(std::wstring(t.dir.path() + L"b.txt").c_str(), FILE_ATTRIBUTE_READONLY));
}
void TakeItsNewName(Scene& t) { t.dir.Touch(L"xb.txt", L"intruder"); }
// b.txt's move is the run's third: d.txt's comes first.
void DiskFull(Scene& t) { t.faults = std::make_unique<MoveFaults>(std::vector<int>{3}, ERROR_DISK_FULL); }
void AccessDenied(Scene& t) { t.faults = std::make_unique<MoveFaults>(std::vector<int>{3}, ERROR_ACCESS_DENIED); }

TEST_P(FaultOnOneFile, OnlyThatFileKeepsItsNameAndUndoRestoresTheRest) {
  Scene t;
  const FileFault& c = GetParam();
  t.List(L"", kFiles);
  c.strike(t);
  if (HasFatalFailure()) return;
  t.Run();
  ASSERT_EQ(FolderListing(t.dir.path()), c.after);
  for (std::size_t i = 0; i < c.after.size(); ++i) EXPECT_EQ(FileText(t.dir.path() + c.after[i]), c.contents[i]);
  t.ExpectRowsFollowTheirFiles();
  CheckRows(t.list, t.disk);
  const RenameEntry& b = t.list[0];
  EXPECT_EQ(b.fileName, L"b.txt");
  EXPECT_EQ(static_cast<int>(b.refusal), static_cast<int>(c.mark));
  EXPECT_EQ(b.failure, c.failure);
  const auto made = t.MovesMade(L"", kFiles);
  EXPECT_EQ(made.size(), 3u);
  EXPECT_EQ(Scene::Pairs(t.JournalFile()), made);
  EXPECT_EQ(Scene::Pairs(t.journal.Moves()), made);
  t.ExpectUndoRestores(made.size());
  SetFileAttributesW(std::wstring(t.dir.path() + L"b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

const Names kOthersRenamed = {L"b.txt", L"xa.txt", L"xc.txt", L"xd.txt"};
const Names kOthersContents = {L"b.txt", L"a.txt", L"c.txt", L"d.txt"};

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultOnOneFile,
    testing::Values(FileFault{"HeldOpenWithoutDeleteSharing", HoldOpen, kOthersRenamed, kOthersContents,
                              Refusal::Failed, ERROR_SHARING_VIOLATION},
                    FileFault{"Deleted", Delete, {L"xa.txt", L"xc.txt", L"xd.txt"}, {L"a.txt", L"c.txt", L"d.txt"},
                              Refusal::Missing, 0},
                    FileFault{"MadeReadOnly", MakeReadOnly, kOthersRenamed, kOthersContents, Refusal::ReadOnly, 0},
                    FileFault{"NewNameTaken",
                              TakeItsNewName,
                              {L"b.txt", L"xa.txt", L"xb.txt", L"xc.txt", L"xd.txt"},
                              {L"b.txt", L"a.txt", L"intruder", L"c.txt", L"d.txt"},
                              Refusal::Taken, ERROR_ALREADY_EXISTS},
                    FileFault{"DiskFull", DiskFull, kOthersRenamed, kOthersContents, Refusal::Failed, ERROR_DISK_FULL},
                    FileFault{"AccessDenied", AccessDenied, kOthersRenamed, kOthersContents, Refusal::Failed,
                              ERROR_ACCESS_DENIED}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Faults, FolderRenamedAwayKeepsItsRowsAndTheOtherFolderIsRenamed) {
  Scene t;
  const Names names = {L"a.txt", L"b.txt"};
  t.List(L"p\\", names);
  t.List(L"q\\", names);
  const std::wstring q = std::wstring(t.dir.path() + L"q"), q2 = std::wstring(t.dir.path() + L"q2");
  ASSERT_TRUE(MoveFileW(q.c_str(), q2.c_str()));
  t.Run();
  EXPECT_EQ(FolderListing(t.dir.path() + L"p"), (Names{L"xa.txt", L"xb.txt"}));
  EXPECT_EQ(FolderListing(t.dir.path() + L"q2"), names);
  EXPECT_EQ(FileText(t.dir.path() + L"q2\\a.txt"), L"q\\a.txt");
  const auto made = t.MovesMade(L"p\\", names);
  EXPECT_EQ(made.size(), 2u);
  EXPECT_EQ(Scene::Pairs(t.JournalFile()), made);
  // Back in place, the folder's rows still name its untouched files.
  ASSERT_TRUE(MoveFileW(q2.c_str(), q.c_str()));
  t.ExpectRowsFollowTheirFiles();
  EXPECT_EQ(FolderListing(t.dir.path() + L"q"), names);
  t.ExpectUndoRestores(2);
}

// A change of letter case goes old -> temporary -> new; the moves numbered here fail.
struct CaseFault {
  const char* label;
  std::vector<int> failing;
  DWORD error;
  bool renamed;
};

class FaultInCaseChange : public testing::TestWithParam<CaseFault> {};

TEST_P(FaultInCaseChange, EndsUnderOneOfItsNamesWithItsRowAndRecord) {
  Scene t;
  const CaseFault& c = GetParam();
  t.List(L"", {L"readme.txt"}, L"README");
  t.faults = std::make_unique<MoveFaults>(c.failing, c.error);
  t.Run();
  const std::wstring name = c.renamed ? L"README.txt" : L"readme.txt";
  EXPECT_EQ(FolderListing(t.dir.path()), Names{name});
  EXPECT_EQ(FileText(t.dir.path() + name), L"readme.txt");
  EXPECT_EQ(t.list[0].fileName, name);
  if (!c.renamed) {
    EXPECT_EQ(FileText(t.journalPath), L"<missing>") << "a run that moved nothing leaves the journal as it was";
    return;
  }
  const std::vector<Move> moves = t.JournalFile();
  EXPECT_EQ(Scene::Pairs(moves), Scene::Pairs(t.journal.Moves()));
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(moves[0].from, t.dir.path() + L"readme.txt");
  EXPECT_TRUE(IsTemporaryName(utf16::FileName(moves[0].to)));
  EXPECT_EQ(moves[1].from, moves[0].to);
  EXPECT_EQ(moves[1].to, t.dir.path() + L"README.txt");
  UndoMoves(moves, t.list);
  EXPECT_EQ(FolderListing(t.dir.path()), Names{L"readme.txt"});
  EXPECT_EQ(t.list[0].fileName, L"readme.txt");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultInCaseChange,
    testing::Values(CaseFault{"SecondStepDiskFull", {2}, ERROR_DISK_FULL, false},
                    CaseFault{"SecondStepAndWayBackDenied", {2, 3}, ERROR_ACCESS_DENIED, true},
                    CaseFault{"ThreeStepsDenied", {2, 3, 4}, ERROR_ACCESS_DENIED, false},
                    CaseFault{"FirstStepDenied", {1}, ERROR_ACCESS_DENIED, false}),
    [](const auto& info) { return std::string(info.param.label); });

// The cycle a -> b -> c -> a moves c -> temporary, b -> c, a -> b, temporary -> a; the moves
// numbered here fail. What was begun is taken back through the journal: every file is under
// its old name and no temporary name stays, or the undo brings each file back.
struct CycleFault {
  const char* label;
  std::vector<int> failing;
  bool tidy;  // false: a move back failed too, and only the undo restores the names
};

class FaultInCycle : public testing::TestWithParam<CycleFault> {};

TEST_P(FaultInCycle, LeavesEveryFileRestorable) {
  Scene t;
  const Names names = {L"a.txt", L"b.txt", L"c.txt"};
  t.Trade(names, {1, 2, 0});
  t.faults = std::make_unique<MoveFaults>(GetParam().failing, ERROR_ACCESS_DENIED);
  t.Run();
  if (!t.journal.Moves().empty()) {
    EXPECT_EQ(Scene::Pairs(t.JournalFile()), Scene::Pairs(t.journal.Moves()));
  }
  if (GetParam().tidy) t.ExpectUnderOldNames(names);
  UndoMoves(t.journal.Moves(), t.list);
  t.ExpectUnderOldNames(names);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultInCycle,
    testing::Values(CycleFault{"FirstStep", {1}, true}, CycleFault{"SecondStep", {2}, true},
                    CycleFault{"ThirdStep", {3}, true}, CycleFault{"LastStep", {4}, true},
                    CycleFault{"ThirdStepAndTheWayBack", {3, 4}, false}),
    [](const auto& info) { return std::string(info.param.label); });

// Asked to stop, the run finishes the cycle it began: one swap lands whole, the other waits.
TEST(Faults, StopLeavesNoFileUnderATemporaryName) {
  Scene t;
  t.Trade({L"a.txt", L"b.txt", L"c.txt", L"d.txt"}, {1, 0, 3, 2});
  t.Run([](std::size_t, std::size_t) { return false; });
  EXPECT_EQ(FolderListing(t.dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt", L"d.txt"}));
  EXPECT_EQ(FileText(t.dir.path() + L"a.txt"), L"a.txt");
  EXPECT_EQ(FileText(t.dir.path() + L"c.txt"), L"d.txt");
  EXPECT_EQ(t.journal.Moves().size(), 3u);
}

// A run in which every move fails leaves the last run's journal as it was, file and memory.
TEST(Faults, ARunThatMovesNothingKeepsTheLastJournal) {
  Scene t;
  t.List(L"", {L"a.txt"});
  t.Run();
  const auto first = t.MovesMade(L"", {L"a.txt"});
  ASSERT_EQ(first.size(), 1u);
  t.List(L"", {L"b.txt", L"c.txt"});
  t.faults = std::make_unique<MoveFaults>(std::vector<int>{1, 2, 3}, ERROR_ACCESS_DENIED);
  t.Run();
  EXPECT_EQ(FolderListing(t.dir.path()), (Names{L"b.txt", L"c.txt", L"xa.txt"}));
  EXPECT_EQ(Scene::Pairs(t.JournalFile()), first);
  EXPECT_EQ(Scene::Pairs(t.journal.Moves()), first);
}

// A journal file that can't be written: the run goes on, the session's journal takes it back,
// and what the next session finds in the file is this run or nothing.
TEST(Faults, JournalFileInTheWayOfTheRun) {
  struct Obstacle {
    const char* label;
    bool readOnlyEarlierJournal;  // else a folder of the journal's name
  };
  for (Obstacle o : {Obstacle{"ReadOnlyEarlierJournal", true}, Obstacle{"Folder", false}}) {
    SCOPED_TRACE(o.label);
    Scene t;
    const Names names = {L"a.txt", L"b.txt"};
    t.List(L"", names);
    if (o.readOnlyEarlierJournal) {
      t.journalDir.Touch(L"Kinoha.undo",
                         L"Kinoha リネーム記録 2000/01/01 00:00:00\r\nC:\\e\\f\tC:\\e\\g\r\n完了\r\n");
      ASSERT_TRUE(SetFileAttributesW(std::wstring(t.journalPath).c_str(), FILE_ATTRIBUTE_READONLY));
    } else {
      t.journalDir.Mkdir(L"Kinoha.undo");
    }
    t.Run();
    EXPECT_EQ(FolderListing(t.dir.path()), (Names{L"xa.txt", L"xb.txt"}));
    const auto made = t.MovesMade(L"", names);
    EXPECT_EQ(Scene::Pairs(t.journal.Moves()), made);
    Journal next(std::wstring(t.journalPath));
    EXPECT_EQ(next.Available(), o.readOnlyEarlierJournal);
    EXPECT_EQ(Scene::Pairs(next.Moves()), o.readOnlyEarlierJournal ? made : decltype(made){});
    EXPECT_EQ(t.journal.TakeProblem().empty(), o.readOnlyEarlierJournal) << "a journal kept in memory is said";
    t.ExpectUndoRestores(2);
  }
}

// A folder that was a link when a run asked where it leads, and is a real folder holding a
// link to the old target's file at the next run: that file lies outside and stays there.
TEST(Faults, AFolderThatStoppedBeingALinkIsAskedAgain) {
  TempDir dir;
  dir.Touch(L"G\\x.txt", L"x");
  dir.Touch(L"G\\y.txt", L"y");
  if (!dir.LinkUnix(L"F", L"G")) GTEST_SKIP() << "links are made through Wine's Linux side";
  RenameList list;
  list.Add(L"y.txt", dir.path() + L"F\\");
  list[0].newName = L"y2";
  RenameRows(list, false);
  ASSERT_EQ(FolderListing(dir.path() + L"G"), (Names{L"x.txt", L"y2.txt"}));
  ASSERT_TRUE(dir.UnlinkUnix(L"F"));
  dir.Mkdir(L"F");
  ASSERT_TRUE(dir.LinkUnix(L"x.txt", L"../G/x.txt", L"F"));
  RenameList again;
  again.Add(L"x.txt", dir.path() + L"F\\");
  again[0].newName = L"z";
  RenameRows(again, false);
  EXPECT_EQ(FolderListing(dir.path() + L"G"), (Names{L"x.txt", L"y2.txt"}));
  EXPECT_EQ(again[0].fileName, L"x.txt");
}

}  // namespace
