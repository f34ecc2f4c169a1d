#include "disk/Undo.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "disk/ChangeExtension.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"
#include "disk/DiskState.h"
#include "disk/RenameRun.h"
#include "intake/Intake.h"
#include "support/TempDir.h"
#include "text/sjis.h"
#include "text/utf16.h"

using rules::RenameEntry;
using rules::RenameList;
using disk::ChangeExtensions;
using disk::DiskState;
using disk::Journal;
using disk::IsTemporaryName;
using disk::JournalRun;
using disk::Move;
using disk::RedoMoves;
using disk::RenameRows;
using disk::RunKind;
using disk::UndoFailure;
using disk::UndoMoves;
using disk::UndoProblem;
using disk::UndoResult;
using intake::AddFiles;
using intake::IntakeOptions;

namespace {

using Names = std::vector<std::wstring>;

fs::FileId IdOf(const std::wstring& path) {
  fs::OpenFile file(path);
  fs::FileId id;
  file.Id(id);
  return id;
}

Names FileNames(const RenameList& list) {
  Names names;
  for (const RenameEntry& r : list) names.push_back(r.fileName);
  return names;
}

struct UndoTest : testing::Test {
  TempDir dir;
  RenameList list;
  // Files whose content is their own name, listed with their new names.
  void Rows(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& rows) {
    for (const auto& [file, newName] : rows) {
      dir.Touch(file, file);
      list.Add(file, dir.path());
    }
    for (RenameEntry& r : list) {
      for (const auto& [file, newName] : rows) {
        if (r.fileName == file) r.newName = newName;
      }
    }
  }
  void ExpectFilesBack(const Names& names) {
    EXPECT_EQ(FolderListing(dir.path()), names);
    for (const std::wstring& n : names) EXPECT_EQ(FileText(dir.path() + n), n);
  }
};

TEST_F(UndoTest, ShiftSwapAndCaseChangeComeBackAndCountFiles) {
  Rows({{L"a.jpg", L"b"}, {L"b.jpg", L"c"}, {L"readme.txt", L"README"}, {L"x.txt", L"y"}, {L"y.txt", L"x"}});
  Journal journal;
  RenameRows(list, false, {}, nullptr, &journal);
  ASSERT_EQ(FolderListing(dir.path()), (Names{L"README.txt", L"b.jpg", L"c.jpg", L"x.txt", L"y.txt"}));
  UndoResult r = UndoMoves(journal.Moves(), list);
  EXPECT_EQ(r.restored, 5u) << "files, not moves: the case change and the swap take two and three";
  EXPECT_EQ(r.failed, 0u);
  ExpectFilesBack({L"a.jpg", L"b.jpg", L"readme.txt", L"x.txt", L"y.txt"});
  EXPECT_EQ(FileNames(list), (Names{L"a.jpg", L"b.jpg", L"readme.txt", L"x.txt", L"y.txt"}));
}

TEST_F(UndoTest, FilesGoneOrWhoseOldNameIsTakenAreReportedAndTheRestComeBack) {
  Rows({{L"a.txt", L"x"}, {L"b.txt", L"y"}, {L"c.txt", L"z"}});
  Journal journal;
  RenameRows(list, true, {}, nullptr, &journal);
  ASSERT_TRUE(DeleteFileW(std::wstring(dir.path() + L"z.txt").c_str()));
  dir.Touch(L"b.txt", L"someone else's");
  UndoResult r = UndoMoves(journal.Moves(), list);
  EXPECT_EQ(r.restored, 1u);
  EXPECT_EQ(r.failed, 2u);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"y.txt"}));
  EXPECT_EQ(FileText(dir.path() + L"a.txt"), L"a.txt");
  EXPECT_EQ(FileText(dir.path() + L"b.txt"), L"someone else's");
  EXPECT_EQ(FileText(dir.path() + L"y.txt"), L"b.txt");
}

TEST_F(UndoTest, AStoppedRunComesBackWhole) {
  Rows({{L"a.txt", L"x"}, {L"b.txt", L"y"}, {L"c.txt", L"z"}});
  Journal journal;
  std::size_t calls = 0;
  RenameRows(list, false, [&](std::size_t, std::size_t) { return ++calls > 1; }, nullptr, &journal);
  ASSERT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"z.txt"}));
  UndoResult r = UndoMoves(journal.Moves(), list);
  EXPECT_EQ(r.restored, 1u);
  EXPECT_EQ(r.failed, 0u);
  ExpectFilesBack({L"a.txt", L"b.txt", L"c.txt"});
}

TEST_F(UndoTest, ChangeOfExtensionCaseLandsAndComesBack) {
  Rows({{L"p.jpg", L""}, {L"q.jpg", L""}});
  for (RenameEntry& r : list) r.selected = true;
  Journal journal;
  DiskState state;
  ChangeExtensions(list, L".JPG", state, {}, &journal);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"p.JPG", L"q.JPG"}));
  EXPECT_EQ(FileNames(list), (Names{L"p.JPG", L"q.JPG"}));
  UndoMoves(journal.Moves(), list);
  ExpectFilesBack({L"p.jpg", L"q.jpg"});
}

// A journal left by a run that was killed while it wrote a line: the line's move never
// began, and what the cut line seems to name is never touched.
TEST_F(UndoTest, JournalCutInTheMiddleOfALine) {
  std::wstring file = dir.wpath() + L"\\j.undo";
  TempDir files;
  for (const wchar_t* n : {L"x.txt", L"y.txt", L"z"}) files.Touch(n, n);
  {
    Journal journal(file);
    journal.BeginRun();
    for (const auto& [from, to] : {std::pair{L"a.txt", L"x.txt"}, {L"b.txt", L"y.txt"}, {L"c.txt", L"z.txt"}}) {
      journal.Record(files.path() + from, files.path() + to, IdOf(files.path() + to));
      journal.Landed();
    }
    journal.EndRun();
  }
  std::string text;
  {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[4096];
    DWORD got = 0;
    ReadFile(h, buf, sizeof buf, &got, nullptr);
    text.assign(buf, got);
    // Cut after "...\z" of the third line: without its line end it is no move.
    std::size_t cut = text.find(utf16::ToUtf8(files.path() + L"z.txt")) + utf16::ToUtf8(files.path()).size() + 1;
    SetFilePointer(h, static_cast<LONG>(cut), nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
  }
  Journal reopened(file);
  ASSERT_TRUE(reopened.Available());
  bool complete = true;
  std::vector<Move> moves = reopened.Moves(&complete);
  EXPECT_FALSE(complete);
  ASSERT_EQ(moves.size(), 2u);
  RenameList none;
  UndoResult r = UndoMoves(moves, none);
  EXPECT_EQ(r.restored, 2u);
  EXPECT_EQ(FolderListing(files.path()), (Names{L"a.txt", L"b.txt", L"z"}));
  EXPECT_EQ(FileText(files.path() + L"z"), L"z");
  reopened.Undone(r.Left(moves), r.Done(moves));
  EXPECT_FALSE(reopened.Available());
  EXPECT_TRUE(Journal(file).CanRedo()) << "the cut run can be made again after a restart";
}

// The program dies in a swap after parking one file under a temporary name, with the next
// move written down but not made (the mover throws where a killed process would stop): after a
// restart the undo brings both files back and leaves no temporary name.
TEST_F(UndoTest, ASwapCutOffByACrashComesBackAfterARestart) {
  Rows({{L"a.txt", L"b"}, {L"b.txt", L"a"}});
  TempDir home;
  const std::wstring file = home.wpath() + L"\\j.undo";
  {
    Journal journal(file);
    int moves = 0;
    disk::Mover dies = [&](fs::OpenFile& f, std::wstring_view to) -> std::uint32_t {
      if (++moves == 2) throw std::runtime_error("killed");
      return f.RenameTo(to);
    };
    EXPECT_THROW(RenameRows(list, false, {}, nullptr, &journal, nullptr, dies), std::runtime_error);
  }
  const Names cut = FolderListing(dir.path());
  ASSERT_TRUE(cut.size() == 2 && IsTemporaryName(cut[1])) << "b.txt and a.txt parked";
  Journal restarted(file);
  ASSERT_TRUE(restarted.Available());
  RenameList none;
  UndoMoves(restarted.Moves(), none);
  ExpectFilesBack({L"a.txt", L"b.txt"});
}

TEST_F(UndoTest, AJournalFileThatCantBeWrittenLeavesTheSessionsJournalInMemory) {
  Rows({{L"a.txt", L"x"}});
  Journal journal(dir.wpath() + L"\\no such folder\\Kinoha.undo");
  RenameRows(list, false, {}, nullptr, &journal);
  ASSERT_TRUE(journal.Available());
  const std::vector<Move> moves = journal.Moves();
  UndoResult r = UndoMoves(moves, list);
  ExpectFilesBack({L"a.txt"});
  journal.Undone(r.Left(moves), r.Done(moves));
  EXPECT_FALSE(journal.Available());
}

// What the undo met on each move it could not take back, in the order it met them.
std::vector<UndoFailure> Whys(const UndoResult& r) {
  std::vector<UndoFailure> whys;
  for (const UndoProblem& p : r.problems) whys.push_back(p.why);
  return whys;
}

// A renamed file replaced by a link to a file of another folder, and a journal written by
// hand to move files of a folder the user never gave: nothing outside moves.
TEST_F(UndoTest, NeverMovesAFileThatIsNotTheOneItMoved) {
  TempDir other;
  other.Touch(L"secret.txt", L"secret");
  other.Touch(L"b.txt", L"b");
  Rows({{L"a.txt", L"x"}, {L"c.txt", L"z"}});
  Journal journal;
  RenameRows(list, false, {}, nullptr, &journal);
  if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
  dir.UnlinkUnix(L"x.txt");
  ASSERT_TRUE(dir.LinkUnix(L"x.txt", L"../" + std::wstring(utf16::FileName(other.path().substr(0, other.path().size() - 1))) + L"/secret.txt"));
  // A stranger under the same name (made while the file still was, so it is another file).
  dir.Touch(L"s.tmp", L"a stranger of the same name");
  dir.UnlinkUnix(L"z.txt");
  ASSERT_TRUE(MoveFileW(std::wstring(dir.path() + L"s.tmp").c_str(), std::wstring(dir.path() + L"z.txt").c_str()));
  std::vector<Move> moves = journal.Moves();
  const fs::FileId someone = IdOf(other.path() + L"secret.txt");
  moves.push_back(Move{other.path() + L"a.txt", other.path() + L"b.txt", someone});  // not the file there
  moves.push_back(Move{other.path() + L"a.txt", other.path() + L"b.txt", {}, false});
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 0u);
  // Last move first: the two lines by hand, then x.txt, then z.txt.
  EXPECT_EQ(Whys(r), (std::vector<UndoFailure>{UndoFailure::NotOurs, UndoFailure::OtherFile, UndoFailure::Link,
                                               UndoFailure::OtherFile}));
  EXPECT_EQ(FolderListing(other.path()), (Names{L"b.txt", L"secret.txt"}));
  EXPECT_EQ(FileText(other.path() + L"secret.txt"), L"secret");
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"x.txt", L"z.txt"}));
}

// The journal's own file as a link to a file elsewhere: the run never writes through it, and
// neither an undo nor its end deletes what it points to.
TEST_F(UndoTest, AJournalThatIsALinkIsNeverWrittenOrDeletedThrough) {
  if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
  TempDir home, elsewhere;
  elsewhere.Touch(L"precious.txt", L"precious");
  const std::wstring up = std::wstring(utf16::FileName(elsewhere.path().substr(0, elsewhere.path().size() - 1)));
  ASSERT_TRUE(home.LinkUnix(L"Kinoha.undo", L"../" + up + L"/precious.txt"));
  Rows({{L"a.txt", L"x"}});
  Journal journal(home.wpath() + L"\\Kinoha.undo");
  RenameRows(list, false, {}, nullptr, &journal);
  EXPECT_FALSE(journal.TakeProblem().empty());
  EXPECT_TRUE(journal.TakeProblem().empty()) << "said once";
  const std::vector<Move> moves = journal.Moves();
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 1u);
  journal.Undone(r.Left(moves), r.Done(moves));
  EXPECT_EQ(FileText(elsewhere.path() + L"precious.txt"), L"precious");
  EXPECT_EQ(FolderListing(home.path()), Names{L"Kinoha.undo"});
  ExpectFilesBack({L"a.txt"});
}

// A partly failed undo keeps what it could not take back, so that a second one can retry.
TEST_F(UndoTest, WhatCouldNotBeTakenBackStaysForASecondUndo) {
  TempDir home;
  const std::wstring file = home.wpath() + L"\\Kinoha.undo";
  Rows({{L"a.txt", L"x"}, {L"b.txt", L"y"}});
  Journal journal(file);
  RenameRows(list, false, {}, nullptr, &journal);
  dir.Touch(L"b.txt", L"in the way");
  std::vector<Move> moves = journal.Moves();
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 1u);
  EXPECT_EQ(Whys(r), std::vector<UndoFailure>{UndoFailure::Taken});
  journal.Undone(r.Left(moves), r.Done(moves));
  Journal next(file);
  ASSERT_EQ(next.Moves().size(), 1u);
  EXPECT_EQ(next.Moves()[0].to, dir.path() + L"y.txt");
  ASSERT_TRUE(DeleteFileW(std::wstring(dir.path() + L"b.txt").c_str()));
  EXPECT_EQ(UndoMoves(next.Moves(), list).restored, 1u);
  ExpectFilesBack({L"a.txt", L"b.txt"});
}

// Runs taken back three deep and made again, each step by a journal read anew from the file,
// as after a restart; a new run drops what could still be made again.
TEST_F(UndoTest, RunsComeBackOneByOneAndAreMadeAgainAcrossRestarts) {
  const std::wstring file = dir.wpath() + L"\\Kinoha.undo";
  TempDir files;
  files.Touch(L"a.txt", L"a");
  RenameList rows;
  DiskState disk;
  rows.Add(L"a.txt", files.path());
  for (const wchar_t* name : {L"b", L"c", L"d"}) {
    Journal journal(file);
    rows[0].newName = name;
    RenameRows(rows, false, {}, &disk, &journal);
  }
  auto step = [&](bool redo, const wchar_t* expected) {
    Journal journal(file);
    const std::vector<Move> moves = redo ? journal.RedoMoves() : journal.Moves();
    UndoResult r = redo ? RedoMoves(moves, rows) : UndoMoves(moves, rows);
    EXPECT_EQ(r.restored, 1u) << expected;
    redo ? journal.Redone(r.Left(moves), r.Done(moves)) : journal.Undone(r.Left(moves), r.Done(moves));
    EXPECT_EQ(FolderListing(files.path()), Names{expected});
  };
  step(false, L"c.txt");
  step(false, L"b.txt");
  step(false, L"a.txt");
  EXPECT_FALSE(Journal(file).Available());
  step(true, L"b.txt");
  step(true, L"c.txt");
  EXPECT_EQ(rows[0].fileName, L"c.txt");
  rows[0].newName = L"e";
  {
    Journal journal(file);
    disk.Clear();
    RenameRows(rows, false, {}, &disk, &journal);
    EXPECT_FALSE(journal.CanRedo()) << "a new run drops the run that could be made again";
  }
  step(false, L"c.txt");
  step(true, L"e.txt");
}

// Eleven runs hold the newest ten; a cleaned-up intake is a run that brings the old name back.
TEST_F(UndoTest, TheNewestTenRunsAndTheCleanUpAreKept) {
  const std::wstring file = dir.wpath() + L"\\Kinoha.undo";
  TempDir files;
  Journal journal(file);
  for (int i = 0; i < 11; ++i) {
    journal.BeginRun();
    journal.Record(files.path() + L"p" + std::to_wstring(i), files.path() + L"q", fs::FileId{1, 1});
    journal.Landed();
    journal.EndRun();
  }
  std::vector<JournalRun> runs = Journal::ParseRuns(FileContent(file)).runs;
  ASSERT_EQ(runs.size(), 10u);
  EXPECT_EQ(runs.front().moves[0].from, files.path() + L"p1");
  files.Touch(L"x (1).txt", L"x");
  IntakeOptions options;
  options.cleanUp.removeParenNumber = true;
  options.journal = &journal;
  RenameList none;
  AddFiles(none, {files.path() + L"x (1).txt"}, options);
  ASSERT_EQ(FolderListing(files.path()), Names{L"x.txt"});
  runs = Journal::ParseRuns(FileContent(file)).runs;
  ASSERT_EQ(runs.size(), 10u);
  EXPECT_EQ(runs.back().kind, RunKind::CleanUp);
  EXPECT_EQ(UndoMoves(Journal(file).Moves(), none).restored, 1u);
  EXPECT_EQ(FolderListing(files.path()), Names{L"x (1).txt"});
}

TEST(JournalParse, LinesThatAreNoMovesOfOursAreKeptToBeRefused) {
  const std::wstring id = L"\t0000ABCD:0000000000000042";
  const std::wstring body = L"C:\\d\\a.txt\tC:\\d\\b.txt" + id + L"\r\n"
                     L"\\\\srv\\s\\a\t\\\\srv\\s\\b" + id + L"\r\n"
                     L"C:\\d\\a.txt\tC:\\d\\b.txt\r\n"                   // no identity
                     L"C:\\d\\a.txt\tC:\\e\\b.txt" + id + L"\r\n"         // two folders
                     L"d\\a.txt\td\\b.txt" + id + L"\r\n"                     // relative
                     L"C:\\d\\..\\e\\a.txt\tC:\\d\\..\\e\\b.txt" + id + L"\r\n"  // a way out
                     L"C:\\d\\nul\tC:\\d\\b.txt" + id + L"\r\n"            // a device
                     L"\\\\?\\C:\\d\\a\t\\\\?\\C:\\d\\b" + id + L"\r\n"  // unparsed form
                     L"no tab\r\n"
                     L"完了\r\n"
                     L"C:\\d\\late\tC:\\d\\after" + id + L"\r\n";
  TempDir dir;
  auto movesIn = [&](const wchar_t* name, const std::string& bytes, bool* complete) {
    return Journal(dir.Touch(name, bytes)).Moves(complete);
  };
  // This version's journal, and one of earlier versions (Shift_JIS, its own header).
  for (const bool legacy : {false, true}) {
    SCOPED_TRACE(legacy ? "Shift_JIS" : "UTF-8");
    const std::wstring text = (legacy ? L"Kinoha " : L"Kinoha 2 ") + std::wstring(L"リネーム記録 2026/12/07 10:00:00\r\n") + body;
    bool complete = false;
    std::vector<Move> moves =
        movesIn(legacy ? L"old.undo" : L"a.undo", legacy ? sjis::FromUtf16Lenient(text) : utf16::ToUtf8(text), &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(moves.size(), 9u);
    std::vector<bool> plausible;
    for (const Move& m : moves) plausible.push_back(m.plausible);
    EXPECT_EQ(plausible, (std::vector<bool>{true, true, false, false, false, false, false, false, false}));
    EXPECT_EQ(moves[0].id, (fs::FileId{0xABCD, 0x42}));
  }
  EXPECT_TRUE(movesIn(L"b.undo", utf16::ToUtf8(L"not a journal\r\nC:\\d\\a\tC:\\d\\b" + id + L"\r\n"), nullptr).empty());
}

// Names with no Shift_JIS form go through a run, the journal file and an undo after a restart.
TEST_F(UndoTest, NamesWithNoShiftJisFormComeBackThroughTheJournal) {
  TempDir home;
  const std::wstring file = home.wpath() + L"\\Kinoha.undo";
  Rows({{L"Beyoncé.mp3", L"\U0001F600"}, {L"〜メモ.txt", L"한국어"}, {L"a.txt", L"Beyoncé"}});
  {
    Journal journal(file);
    RenameRows(list, false, {}, nullptr, &journal);
  }
  // Outside the test macros: their text of the arguments is Shift_JIS.
  const Names renamed = {L"Beyoncé.txt", L"한국어.txt", L"\U0001F600.mp3"};
  ASSERT_EQ(FolderListing(dir.path()), renamed);
  Journal restarted(file);
  const std::vector<Move> moves = restarted.Moves();
  ASSERT_EQ(moves.size(), 3u);
  const bool pairWhole = std::any_of(moves.begin(), moves.end(), [&](const Move& m) { return m.to == dir.path() + renamed[2]; });
  EXPECT_TRUE(pairWhole) << "a surrogate pair read back whole";
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 3u);
  const Names before = {L"Beyoncé.mp3", L"a.txt", L"〜メモ.txt"};
  ExpectFilesBack(before);
}

// Any name, a lone surrogate's too, reads back from the file as it was written.
TEST(JournalFile, NamesReadBackExactly) {
  TempDir home;
  const std::wstring file = home.wpath() + L"\\Kinoha.undo";
  const std::vector<std::wstring> names = {L"\U0001F600.txt", L"a\xD800.txt", L"\xDC00" L"b", L"x\xDBFF\xDFFF"};
  {
    Journal journal(file);
    journal.BeginRun();
    for (const std::wstring& name : names) journal.Record(L"C:\\d\\" + name, L"C:\\d\\n" + name, fs::FileId{1, 2});
    journal.Landed();
    journal.EndRun();
  }
  EXPECT_TRUE(FileContent(file).starts_with(utf16::ToUtf8(L"Kinoha 2 リネーム記録 ")));
  const std::vector<Move> moves = Journal(file).Moves();
  ASSERT_EQ(moves.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(moves[i].from, L"C:\\d\\" + names[i]);
    EXPECT_EQ(moves[i].to, L"C:\\d\\n" + names[i]);
  }
}

// A journal an earlier version wrote (Shift_JIS names) is undone, its line that doesn't
// convert refused, and it is written anew as UTF-8.
TEST_F(UndoTest, AShiftJisJournalOfEarlierVersionsIsUndone) {
  TempDir home;
  const std::wstring file = home.wpath() + L"\\Kinoha.undo";
  dir.Touch(L"写真.jpg", L"元.jpg");
  list.Add(L"写真.jpg", dir.path());
  wchar_t id[64];
  const fs::FileId moved = IdOf(dir.path() + L"写真.jpg");
  std::swprintf(id, 64, L"%08lX:%016llX", static_cast<unsigned long>(moved.volume),
                static_cast<unsigned long long>(moved.index));
  const std::string bytes = sjis::FromUtf16Lenient(L"Kinoha リネーム記録 2026/12/01 10:00:00\tリネーム\t#4\r\n" +
                                                   dir.path() + L"元.jpg\t" + dir.path() + L"写真.jpg\t" + id + L"\r\n") +
                            "C:\\d\\\x81\x7F\tC:\\d\\b\t" + utf16::ToUtf8(id) + "\r\n" +
                            sjis::FromUtf16Lenient(L"完了\r\n");
  home.Touch(L"Kinoha.undo", bytes);
  Journal journal(file);
  const std::vector<Move> moves = journal.Moves();
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_TRUE(moves[0].plausible);
  EXPECT_FALSE(moves[1].plausible) << "not Shift_JIS: refused as a damaged line";
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 1u);
  ExpectFilesBack({L"元.jpg"});
  journal.Undone(r.Left(moves), r.Done(moves));
  EXPECT_TRUE(FileContent(file).starts_with("Kinoha 2 "));
  EXPECT_EQ(Journal(file).RedoMoves().size(), 1u);
}

TEST(UndoQuestion, NamesTheFoldersWithTheMostMovesFirst) {
  struct Case {
    std::vector<std::pair<const wchar_t*, int>> folders;  // each folder's moves, in the order made
    bool redo;
    const wchar_t* question;
  } cases[] = {
      {{{L"C:\\b\\", 5}, {L"C:\\root\\", 50}},
       false,
       L"55件の名前を元に戻します（フォルダ: C:\\root、C:\\b）。よろしいですか？"},
      {{{L"C:\\", 1}}, false, L"1件の名前を元に戻します（フォルダ: C:\\）。よろしいですか？"},
      // Equals keep the order first met.
      {{{L"D:\\p\\", 1}, {L"D:\\q\\", 3}, {L"D:\\r\\", 2}, {L"D:\\s\\", 3}, {L"D:\\t\\", 1}},
       true,
       L"10件の名前の変更をやり直します（フォルダ: D:\\q、D:\\s、D:\\r ほか 2 フォルダ）。よろしいですか？"},
  };
  for (const Case& c : cases) {
    std::vector<Move> moves;
    for (const auto& [folder, n] : c.folders) {
      for (int i = 0; i < n; ++i) {
        const std::wstring name = folder + std::to_wstring(i);
        moves.push_back({name + L".a", name + L".b", {}});
      }
    }
    EXPECT_EQ(disk::UndoQuestion(moves, c.redo), c.question);
  }
}

}  // namespace
