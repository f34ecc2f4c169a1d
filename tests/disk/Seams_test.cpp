// The seams between runs, windows and sessions: the journal is on disk before each move, one
// window at a time holds it, a file is the one recorded only with its birth, a name held by a
// link that points nowhere is taken, a folder swapped for a link is not entered, and an undo
// cut short goes on where it stopped.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "disk/ChangeExtension.h"
#include "disk/DiskState.h"
#include "disk/Journal.h"
#include "disk/RenameRun.h"
#include "disk/Undo.h"
#include "intake/Intake.h"
#include "rules/RenameList.h"
#include "support/TempDir.h"
#include "text/utf16.h"

using disk::DiskState;
using disk::Journal;
using disk::Move;
using disk::UndoFailure;
using disk::UndoMoves;
using disk::UndoResult;
using rules::RenameEntry;
using rules::RenameList;

namespace {

using Names = std::vector<std::wstring>;


// "name=content" for each file of the folder, sorted.
Names FilesWithContents(const std::wstring& folder) {
  Names out;
  for (const std::wstring& n : FolderListing(folder)) out.push_back(n + L"=" + FileText(folder + n));
  return out;
}

struct Seams : testing::Test {
  TempDir dir, home;
  std::wstring journalPath = home.path() + L"Kinoha.undo";
  std::wstring journalFile = std::wstring(journalPath);
  RenameList list;
  DiskState disk;

  // Files whose content is their own name, each listed with its new base name.
  void Rows(const std::vector<std::pair<std::wstring, std::wstring>>& rows) {
    list.Clear();
    for (const auto& [file, newName] : rows) {
      if (!dir.Exists(file)) dir.Touch(file, file);
      list.Add(file, dir.path());
    }
    for (RenameEntry& r : list) {
      for (const auto& [file, newName] : rows) {
        if (r.fileName == file) r.newName = newName;
      }
    }
    disk.Clear();
  }
  // Runs the rows through a journal read from the file, as a window holds it.
  void Run() {
    Journal journal(journalFile);
    Journal::Hold hold(journal);
    disk::RenameRows(list, false, {}, &disk, &journal);
  }
  UndoResult Undo(const std::vector<Move>& moves) {
    RenameList none;
    return UndoMoves(moves, none);
  }
  bool NoTemporaryName() const {
    for (const std::wstring& n : FolderListing(dir.path())) {
      if (disk::IsTemporaryName(n)) return false;
    }
    return true;
  }
};

// A mover that reads the journal file first: each move must find its own line there, on every
// path: the run (the cycles' temporary moves too), also when it writes the journal anew (the
// first run, and the one after ten), 拡張子変更 and the clean-up at intake.
TEST_F(Seams, EveryMoveIsInTheJournalFileBeforeItIsMade) {
  std::vector<bool> seen;
  const disk::Mover reads = [&](fs::OpenFile& f, std::wstring_view to) -> std::uint32_t {
    seen.push_back(FileText(journalPath).find(L"\t" + std::wstring(to) + L"\t") != std::wstring::npos);
    return f.RenameTo(to);
  };
  for (const int before : {0, 3, 10}) {
    SCOPED_TRACE(before);
    DeleteFileW(journalFile.c_str());
    for (int i = 0; i < before; ++i) {
      Rows({{L"seed.txt", L"seed2"}});
      Run();
      Rows({{L"seed2.txt", L"seed"}});
      Run();
    }
    Rows({{L"0_A.txt", L"A_0"}, {L"A_0.txt", L"0_A"}, {L"1_A.txt", L"x" + std::to_wstring(before)}});
    Journal journal(journalFile);
    seen.clear();
    disk::RunReport report;
    disk::RenameRows(list, false, {}, &disk, &journal, &report, reads);
    EXPECT_EQ(report.renamed, 3u);
    EXPECT_EQ(seen, std::vector<bool>(4, true));
  }
  DeleteFileW(journalFile.c_str());
  Journal journal(journalFile);
  Rows({{L"e.txt", L"e"}});
  list.SelectAll();
  seen.clear();
  EXPECT_EQ(disk::ChangeExtensions(list, L".md", disk, {}, &journal, reads).renamed, 1u);
  DeleteFileW(journalFile.c_str());
  intake::IntakeOptions options;
  options.cleanUp.jpegToJpg = true;
  options.journal = &journal;
  options.mover = reads;
  intake::AddFiles(list, {dir.Touch(L"p.jpeg")}, options);
  EXPECT_EQ(seen, std::vector<bool>(2, true));
  EXPECT_TRUE(dir.Exists(L"p.jpg"));
}

// A run that a crash before the journal was put in place left in a file of its own beside
// the journal is taken in when the journal is next held.
TEST_F(Seams, ARunLeftBesideTheJournalIsTakenIn) {
  dir.Touch(L"b.txt", L"a");
  fs::FileId id;
  fs::OpenFile(dir.path() + L"b.txt").Id(id);
  wchar_t idText[64];
  std::swprintf(idText, 64, L"%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  home.Touch(L"Kinoha.undo.1f2e-3.tmp", L"Kinoha 2 リネーム記録 2026/12/01 10:00:00\tリネーム\t#7\r\n" + dir.path() +
                                           L"a.txt\t" + dir.path() + L"b.txt\t" + idText + L"\r\n");
  Journal journal(journalFile);
  ASSERT_TRUE(journal.Take());
  journal.Release();
  EXPECT_FALSE(home.Exists(L"Kinoha.undo.1f2e-3.tmp"));
  EXPECT_EQ(Undo(Journal(journalFile).Moves()).restored, 1u);
  EXPECT_EQ(FolderListing(dir.path()), Names{L"a.txt"});
}

// While one window holds the journal another waits, and gives up when told to; once it has the
// journal it reads what the first one wrote.
TEST_F(Seams, OneWindowAtATimeAndTheNextReadsTheJournalAgain) {
  Journal first(journalFile), second(journalFile);
  EXPECT_FALSE(second.Available());
  ASSERT_TRUE(first.Take());
  Rows({{L"a.txt", L"b"}});
  disk::RenameRows(list, false, {}, &disk, &first);
  int waits = 0;
  bool had = true;
  std::thread other([&] { had = second.Take([&] { return ++waits < 3; }); });
  other.join();
  EXPECT_FALSE(had);
  EXPECT_EQ(waits, 3);
  first.Release();
  std::thread again([&] {
    had = second.Take();
    if (had) second.Release();
  });
  again.join();
  EXPECT_TRUE(had);
  ASSERT_EQ(second.Moves().size(), 1u);
  EXPECT_EQ(second.Moves()[0].to, dir.path() + L"b.txt");
}

// The undo takes back the file the run moved though it was edited since, but never a later
// file that got the same index (as a disk that hands a deleted file's index out again does).
TEST_F(Seams, AFileIsTheOneRecordedByItsBirthNotItsIndexAlone) {
  Rows({{L"a.txt", L"b"}, {L"c.txt", L"d"}});
  Run();
  std::vector<Move> moves = Journal(journalFile).Moves();
  ASSERT_EQ(moves.size(), 2u);
  if (UnderWine()) {
    EXPECT_NE(moves[0].id.birth, 0u) << "the Linux file system keeps births";
  }
  dir.Touch(L"b.txt", L"edited");
  ASSERT_TRUE(DeleteFileW(std::wstring(dir.path() + L"d.txt").c_str()));
  dir.Touch(L"d.txt", L"stranger");
  fs::FileId stranger;
  fs::OpenFile(dir.path() + L"d.txt").Id(stranger);
  for (Move& m : moves) {
    if (m.to == dir.path() + L"d.txt") m.id.index = stranger.index;  // the index handed out again
  }
  const UndoResult r = Undo(moves);
  EXPECT_EQ(r.restored, 1u);
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].why, UndoFailure::OtherFile);
  EXPECT_EQ(FilesWithContents(dir.path()), (Names{L"a.txt=edited", L"d.txt=stranger"}));
}

// A name held by a link that points nowhere is taken: Wine neither lists nor sees one, and its
// move would replace it.
TEST_F(Seams, ADanglingLinkIsNeverReplaced) {
  if (!UnderWine()) GTEST_SKIP();
  ASSERT_TRUE(dir.LinkUnix(L"b.txt", L"nowhere"));
  Rows({{L"a.txt", L"b"}});
  disk::RunReport report;
  disk::RenameRows(list, false, {}, &disk, nullptr, &report);
  EXPECT_EQ(report.renamed, 0u);
  EXPECT_EQ(list[0].fileName, L"a.txt");
  // A move that no listing guards (the clean-up's, 拡張子変更's) meets it too.
  disk::MoveContext moves(nullptr, disk::RunKind::CleanUp);
  EXPECT_FALSE(moves.Rename(dir.path() + L"a.txt", dir.path() + L"b.txt", false).moved);
  EXPECT_TRUE(dir.UnlinkUnix(L"b.txt")) << "the link is still there";
}

// After the intake, a folder of the tree becomes a link to a folder outside: nothing in it is
// renamed, neither the file that now shows through it nor anything else.
TEST_F(Seams, AFolderSwappedForALinkAfterTheIntakeIsNotEntered) {
  if (!UnderWine()) GTEST_SKIP();
  dir.Touch(L"root\\sub\\a.txt", L"ours");
  dir.Touch(L"outside\\a.txt", L"not ours");
  intake::IntakeOptions options;
  options.subFolders = true;
  intake::AddFiles(list, {dir.path() + L"root"}, options, {}, &disk);
  ASSERT_EQ(list.size(), 1u);
  ASSERT_NE(disk.TakenIn(dir.path() + L"root\\sub\\"), nullptr);
  list[0].newName = L"A";
  ASSERT_TRUE(MoveFileW(std::wstring(dir.path() + L"root\\sub").c_str(),
                        std::wstring(dir.path() + L"root\\old").c_str()));
  ASSERT_TRUE(dir.LinkUnix(L"sub", L"../outside", L"root"));
  disk::RunReport report;
  disk::RenameRows(list, false, {}, &disk, nullptr, &report);
  EXPECT_EQ(report.renamed, 0u);
  EXPECT_EQ(FilesWithContents(dir.path() + L"outside\\"), Names{L"a.txt=not ours"});
  EXPECT_EQ(FilesWithContents(dir.path() + L"root\\old\\"), Names{L"a.txt=ours"});
}

// An undo of swaps killed halfway (the journal not told) is taken again whole: what it had done
// counts as done, nothing as a failure, and the run is settled. Esc never leaves a file under
// a temporary name.
TEST_F(Seams, AnUndoCutShortGoesOnAndEscWaitsForTheParkedFile) {
  Rows({{L"a.txt", L"b"}, {L"b.txt", L"a"}, {L"c.txt", L"d"}, {L"d.txt", L"c"}});
  Run();
  Journal journal(journalFile);
  const std::vector<Move> moves = journal.Moves();
  ASSERT_EQ(moves.size(), 6u);
  // Killed after the last four moves were taken back: one file waits under a temporary name.
  Undo(std::vector<Move>(moves.begin() + 2, moves.end()));
  ASSERT_FALSE(NoTemporaryName());
  const UndoResult again = Undo(moves);
  EXPECT_EQ(again.failed, 0u);
  EXPECT_EQ(again.restored, 4u);
  EXPECT_EQ(FilesWithContents(dir.path()), (Names{L"a.txt=a.txt", L"b.txt=b.txt", L"c.txt=c.txt", L"d.txt=d.txt"}));
  journal.Undone(again.Left(moves), again.Done(moves));
  EXPECT_FALSE(journal.Available());
  ASSERT_TRUE(journal.CanRedo());
  // Made again and taken back with Esc at the first report.
  RenameList none;
  disk::RedoMoves(journal.RedoMoves(), none);
  const UndoResult stopped = UndoMoves(moves, none, [](std::size_t, std::size_t) { return false; });
  EXPECT_GT(stopped.remaining, 0u);
  EXPECT_TRUE(NoTemporaryName());
}

// A file of the newer run deleted by hand is reported once; the next undo goes on to the run
// before it.
TEST_F(Seams, AFileGoneIsReportedOnceAndTheRunBeforeIsReached) {
  Rows({{L"a1.txt", L"b1"}, {L"a2.txt", L"b2"}});
  Run();
  Rows({{L"b1.txt", L"c1"}, {L"b2.txt", L"c2"}});
  Run();
  ASSERT_TRUE(DeleteFileW(std::wstring(dir.path() + L"c1.txt").c_str()));
  {
    Journal journal(journalFile);
    const std::vector<Move> moves = journal.Moves();
    const UndoResult r = Undo(moves);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0].why, UndoFailure::Gone);
    journal.Undone(r.Left(moves), r.Done(moves));
  }
  const std::vector<Move> older = Journal(journalFile).Moves();
  ASSERT_EQ(older.size(), 2u);
  EXPECT_EQ(Undo(older).restored, 1u);
  EXPECT_EQ(FolderListing(dir.path()), Names{L"a2.txt"});
}

// A journal that is no journal of ours is kept aside, never over an older one kept aside, and
// a new one is started.
TEST_F(Seams, ADamagedJournalIsKeptAsideAndANewOneStarted) {
  home.Touch(L"Kinoha.undo.bad", L"older");
  home.Touch(L"Kinoha.undo", L"garbage\r\n");
  Journal journal(journalFile);
  ASSERT_TRUE(journal.Take());
  EXPECT_EQ(journal.TakeSetAside(), journalFile + L".bad2");
  Rows({{L"a.txt", L"b"}});
  disk::RenameRows(list, false, {}, &disk, &journal);
  journal.Release();
  EXPECT_EQ(FileText(journalPath + L".bad2"), L"garbage\r\n");
  EXPECT_EQ(FileText(journalPath + L".bad"), L"older");
  EXPECT_EQ(Journal(journalFile).Moves().size(), 1u);
}

}  // namespace
