#include "disk/Undo.h"

#include <windows.h>

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

using Names = std::vector<std::string>;

fs::FileId IdOf(const std::string& path) {
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
  void Rows(const std::vector<std::pair<const char*, const char*>>& rows) {
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
    for (const std::string& n : names) EXPECT_EQ(FileContent(dir.path() + n), n);
  }
};

TEST_F(UndoTest, ShiftSwapAndCaseChangeComeBackAndCountFiles) {
  Rows({{"a.jpg", "b"}, {"b.jpg", "c"}, {"readme.txt", "README"}, {"x.txt", "y"}, {"y.txt", "x"}});
  Journal journal;
  RenameRows(list, false, {}, nullptr, &journal);
  ASSERT_EQ(FolderListing(dir.path()), (Names{"README.txt", "b.jpg", "c.jpg", "x.txt", "y.txt"}));
  UndoResult r = UndoMoves(journal.Moves(), list);
  EXPECT_EQ(r.restored, 5u) << "files, not moves: the case change and the swap take two and three";
  EXPECT_EQ(r.failed, 0u);
  ExpectFilesBack({"a.jpg", "b.jpg", "readme.txt", "x.txt", "y.txt"});
  EXPECT_EQ(FileNames(list), (Names{"a.jpg", "b.jpg", "readme.txt", "x.txt", "y.txt"}));
}

TEST_F(UndoTest, FilesGoneOrWhoseOldNameIsTakenAreReportedAndTheRestComeBack) {
  Rows({{"a.txt", "x"}, {"b.txt", "y"}, {"c.txt", "z"}});
  Journal journal;
  RenameRows(list, true, {}, nullptr, &journal);
  ASSERT_TRUE(DeleteFileW(sjis::ToUtf16Lenient(dir.path() + "z.txt").c_str()));
  dir.Touch("b.txt", "someone else's");
  UndoResult r = UndoMoves(journal.Moves(), list);
  EXPECT_EQ(r.restored, 1u);
  EXPECT_EQ(r.failed, 2u);
  EXPECT_EQ(FolderListing(dir.path()), (Names{"a.txt", "b.txt", "y.txt"}));
  EXPECT_EQ(FileContent(dir.path() + "a.txt"), "a.txt");
  EXPECT_EQ(FileContent(dir.path() + "b.txt"), "someone else's");
  EXPECT_EQ(FileContent(dir.path() + "y.txt"), "b.txt");
}

TEST_F(UndoTest, AStoppedRunComesBackWhole) {
  Rows({{"a.txt", "x"}, {"b.txt", "y"}, {"c.txt", "z"}});
  Journal journal;
  std::size_t calls = 0;
  RenameRows(list, false, [&](std::size_t, std::size_t) { return ++calls > 1; }, nullptr, &journal);
  ASSERT_EQ(FolderListing(dir.path()), (Names{"a.txt", "b.txt", "z.txt"}));
  UndoResult r = UndoMoves(journal.Moves(), list);
  EXPECT_EQ(r.restored, 1u);
  EXPECT_EQ(r.failed, 0u);
  ExpectFilesBack({"a.txt", "b.txt", "c.txt"});
}

TEST_F(UndoTest, ChangeOfExtensionCaseLandsAndComesBack) {
  Rows({{"p.jpg", ""}, {"q.jpg", ""}});
  for (RenameEntry& r : list) r.selected = true;
  Journal journal;
  DiskState state;
  ChangeExtensions(list, ".JPG", state, {}, &journal);
  EXPECT_EQ(FolderListing(dir.path()), (Names{"p.JPG", "q.JPG"}));
  EXPECT_EQ(FileNames(list), (Names{"p.JPG", "q.JPG"}));
  UndoMoves(journal.Moves(), list);
  ExpectFilesBack({"p.jpg", "q.jpg"});
}

// A journal left by a run that was killed while it wrote a line: the line's move never
// began, and what the cut line seems to name is never touched.
TEST_F(UndoTest, JournalCutInTheMiddleOfALine) {
  std::wstring file = dir.wpath() + L"\\j.undo";
  TempDir files;
  for (const char* n : {"x.txt", "y.txt", "z"}) files.Touch(n, n);
  {
    Journal journal(file);
    journal.BeginRun();
    for (const auto& [from, to] : {std::pair{"a.txt", "x.txt"}, {"b.txt", "y.txt"}, {"c.txt", "z.txt"}}) {
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
    std::size_t cut = text.find(files.path() + "z.txt") + files.path().size() + 1;
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
  EXPECT_EQ(FolderListing(files.path()), (Names{"a.txt", "b.txt", "z"}));
  EXPECT_EQ(FileContent(files.path() + "z"), "z");
  reopened.Undone(r.Left(moves), r.Done(moves));
  EXPECT_FALSE(reopened.Available());
  EXPECT_TRUE(Journal(file).CanRedo()) << "the cut run can be made again after a restart";
}

// The program dies in a swap after parking one file under a temporary name, with the next
// move written down but not made (the mover throws where a killed process would stop): after a
// restart the undo brings both files back and leaves no temporary name.
TEST_F(UndoTest, ASwapCutOffByACrashComesBackAfterARestart) {
  Rows({{"a.txt", "b"}, {"b.txt", "a"}});
  TempDir home;
  const std::wstring file = home.wpath() + L"\\j.undo";
  {
    Journal journal(file);
    int moves = 0;
    disk::Mover dies = [&](fs::OpenFile& f, std::string_view to) -> std::uint32_t {
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
  ExpectFilesBack({"a.txt", "b.txt"});
}

TEST_F(UndoTest, AJournalFileThatCantBeWrittenLeavesTheSessionsJournalInMemory) {
  Rows({{"a.txt", "x"}});
  Journal journal(dir.wpath() + L"\\no such folder\\Kinoha.undo");
  RenameRows(list, false, {}, nullptr, &journal);
  ASSERT_TRUE(journal.Available());
  const std::vector<Move> moves = journal.Moves();
  UndoResult r = UndoMoves(moves, list);
  ExpectFilesBack({"a.txt"});
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
  other.Touch("secret.txt", "secret");
  other.Touch("b.txt", "b");
  Rows({{"a.txt", "x"}, {"c.txt", "z"}});
  Journal journal;
  RenameRows(list, false, {}, nullptr, &journal);
  if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
  dir.UnlinkUnix("x.txt");
  ASSERT_TRUE(dir.LinkUnix("x.txt", "../" + std::string(sjis::FileName(other.path().substr(0, other.path().size() - 1))) + "/secret.txt"));
  // A stranger under the same name (made while the file still was, so it is another file).
  dir.Touch("s.tmp", "a stranger of the same name");
  dir.UnlinkUnix("z.txt");
  ASSERT_TRUE(MoveFileW(sjis::ToUtf16Lenient(dir.path() + "s.tmp").c_str(), sjis::ToUtf16Lenient(dir.path() + "z.txt").c_str()));
  std::vector<Move> moves = journal.Moves();
  const fs::FileId someone = IdOf(other.path() + "secret.txt");
  moves.push_back(Move{other.path() + "a.txt", other.path() + "b.txt", someone});  // not the file there
  moves.push_back(Move{other.path() + "a.txt", other.path() + "b.txt", {}, false});
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 0u);
  // Last move first: the two lines by hand, then x.txt, then z.txt.
  EXPECT_EQ(Whys(r), (std::vector<UndoFailure>{UndoFailure::NotOurs, UndoFailure::OtherFile, UndoFailure::Link,
                                               UndoFailure::OtherFile}));
  EXPECT_EQ(FolderListing(other.path()), (Names{"b.txt", "secret.txt"}));
  EXPECT_EQ(FileContent(other.path() + "secret.txt"), "secret");
  EXPECT_EQ(FolderListing(dir.path()), (Names{"x.txt", "z.txt"}));
}

// The journal's own file as a link to a file elsewhere: the run never writes through it, and
// neither an undo nor its end deletes what it points to.
TEST_F(UndoTest, AJournalThatIsALinkIsNeverWrittenOrDeletedThrough) {
  if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
  TempDir home, elsewhere;
  elsewhere.Touch("precious.txt", "precious");
  const std::string up = std::string(sjis::FileName(elsewhere.path().substr(0, elsewhere.path().size() - 1)));
  ASSERT_TRUE(home.LinkUnix("Kinoha.undo", "../" + up + "/precious.txt"));
  Rows({{"a.txt", "x"}});
  Journal journal(home.wpath() + L"\\Kinoha.undo");
  RenameRows(list, false, {}, nullptr, &journal);
  EXPECT_FALSE(journal.TakeProblem().empty());
  EXPECT_TRUE(journal.TakeProblem().empty()) << "said once";
  const std::vector<Move> moves = journal.Moves();
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 1u);
  journal.Undone(r.Left(moves), r.Done(moves));
  EXPECT_EQ(FileContent(elsewhere.path() + "precious.txt"), "precious");
  EXPECT_EQ(FolderListing(home.path()), Names{"Kinoha.undo"});
  ExpectFilesBack({"a.txt"});
}

// A partly failed undo keeps what it could not take back, so that a second one can retry.
TEST_F(UndoTest, WhatCouldNotBeTakenBackStaysForASecondUndo) {
  TempDir home;
  const std::wstring file = home.wpath() + L"\\Kinoha.undo";
  Rows({{"a.txt", "x"}, {"b.txt", "y"}});
  Journal journal(file);
  RenameRows(list, false, {}, nullptr, &journal);
  dir.Touch("b.txt", "in the way");
  std::vector<Move> moves = journal.Moves();
  UndoResult r = UndoMoves(moves, list);
  EXPECT_EQ(r.restored, 1u);
  EXPECT_EQ(Whys(r), std::vector<UndoFailure>{UndoFailure::Taken});
  journal.Undone(r.Left(moves), r.Done(moves));
  Journal next(file);
  ASSERT_EQ(next.Moves().size(), 1u);
  EXPECT_EQ(next.Moves()[0].to, dir.path() + "y.txt");
  ASSERT_TRUE(DeleteFileW(sjis::ToUtf16Lenient(dir.path() + "b.txt").c_str()));
  EXPECT_EQ(UndoMoves(next.Moves(), list).restored, 1u);
  ExpectFilesBack({"a.txt", "b.txt"});
}

// Runs taken back three deep and made again, each step by a journal read anew from the file,
// as after a restart; a new run drops what could still be made again.
TEST_F(UndoTest, RunsComeBackOneByOneAndAreMadeAgainAcrossRestarts) {
  const std::wstring file = dir.wpath() + L"\\Kinoha.undo";
  TempDir files;
  files.Touch("a.txt", "a");
  RenameList rows;
  DiskState disk;
  rows.Add("a.txt", files.path());
  for (const char* name : {"b", "c", "d"}) {
    Journal journal(file);
    rows[0].newName = name;
    RenameRows(rows, false, {}, &disk, &journal);
  }
  auto step = [&](bool redo, const char* expected) {
    Journal journal(file);
    const std::vector<Move> moves = redo ? journal.RedoMoves() : journal.Moves();
    UndoResult r = redo ? RedoMoves(moves, rows) : UndoMoves(moves, rows);
    EXPECT_EQ(r.restored, 1u) << expected;
    redo ? journal.Redone(r.Left(moves), r.Done(moves)) : journal.Undone(r.Left(moves), r.Done(moves));
    EXPECT_EQ(FolderListing(files.path()), Names{expected});
  };
  step(false, "c.txt");
  step(false, "b.txt");
  step(false, "a.txt");
  EXPECT_FALSE(Journal(file).Available());
  step(true, "b.txt");
  step(true, "c.txt");
  EXPECT_EQ(rows[0].fileName, "c.txt");
  rows[0].newName = "e";
  {
    Journal journal(file);
    disk.Clear();
    RenameRows(rows, false, {}, &disk, &journal);
    EXPECT_FALSE(journal.CanRedo()) << "a new run drops the run that could be made again";
  }
  step(false, "c.txt");
  step(true, "e.txt");
}

// Eleven runs hold the newest ten; a cleaned-up intake is a run that brings the old name back.
TEST_F(UndoTest, TheNewestTenRunsAndTheCleanUpAreKept) {
  const std::wstring file = dir.wpath() + L"\\Kinoha.undo";
  TempDir files;
  Journal journal(file);
  for (int i = 0; i < 11; ++i) {
    journal.BeginRun();
    journal.Record(files.path() + "p" + std::to_string(i), files.path() + "q", fs::FileId{1, 1});
    journal.Landed();
    journal.EndRun();
  }
  std::vector<JournalRun> runs = Journal::ParseRuns(FileContent(sjis::FromUtf16Lenient(file))).runs;
  ASSERT_EQ(runs.size(), 10u);
  EXPECT_EQ(runs.front().moves[0].from, files.path() + "p1");
  files.Touch("x (1).txt", "x");
  IntakeOptions options;
  options.cleanUp.removeParenNumber = true;
  options.journal = &journal;
  RenameList none;
  AddFiles(none, {files.path() + "x (1).txt"}, options);
  ASSERT_EQ(FolderListing(files.path()), Names{"x.txt"});
  runs = Journal::ParseRuns(FileContent(sjis::FromUtf16Lenient(file))).runs;
  ASSERT_EQ(runs.size(), 10u);
  EXPECT_EQ(runs.back().kind, RunKind::CleanUp);
  EXPECT_EQ(UndoMoves(Journal(file).Moves(), none).restored, 1u);
  EXPECT_EQ(FolderListing(files.path()), Names{"x (1).txt"});
}

TEST(JournalParse, LinesThatAreNoMovesOfOursAreKeptToBeRefused) {
  const std::string id = "\t0000ABCD:0000000000000042";
  std::string text = "Kinoha リネーム記録 2026/12/07 10:00:00\r\n"
                     "C:\\d\\a.txt\tC:\\d\\b.txt" + id + "\r\n"
                     "\\\\srv\\s\\a\t\\\\srv\\s\\b" + id + "\r\n"
                     "C:\\d\\a.txt\tC:\\d\\b.txt\r\n"                   // no identity
                     "C:\\d\\a.txt\tC:\\e\\b.txt" + id + "\r\n"         // two folders
                     "d\\a.txt\td\\b.txt" + id + "\r\n"                     // relative
                     "C:\\d\\..\\e\\a.txt\tC:\\d\\..\\e\\b.txt" + id + "\r\n"  // a way out
                     "C:\\d\\nul\tC:\\d\\b.txt" + id + "\r\n"            // a device
                     "\\\\?\\C:\\d\\a\t\\\\?\\C:\\d\\b" + id + "\r\n"  // unparsed form
                     "no tab\r\n"
                     "完了\r\n"
                     "C:\\d\\late\tC:\\d\\after" + id + "\r\n";
  TempDir dir;
  auto movesIn = [&](const char* name, const std::string& bytes, bool* complete) {
    return Journal(sjis::ToUtf16Lenient(dir.Touch(name, bytes))).Moves(complete);
  };
  bool complete = false;
  std::vector<Move> moves = movesIn("a.undo", text, &complete);
  EXPECT_TRUE(complete);
  ASSERT_EQ(moves.size(), 9u);
  std::vector<bool> plausible;
  for (const Move& m : moves) plausible.push_back(m.plausible);
  EXPECT_EQ(plausible, (std::vector<bool>{true, true, false, false, false, false, false, false, false}));
  EXPECT_EQ(moves[0].id, (fs::FileId{0xABCD, 0x42}));
  EXPECT_TRUE(movesIn("b.undo", "not a journal\r\nC:\\d\\a\tC:\\d\\b" + id + "\r\n", nullptr).empty());
}

TEST(UndoQuestion, NamesTheFoldersWithTheMostMovesFirst) {
  struct Case {
    std::vector<std::pair<const char*, int>> folders;  // each folder's moves, in the order made
    bool redo;
    const char* question;
  } cases[] = {
      {{{"C:\\b\\", 5}, {"C:\\root\\", 50}},
       false,
       "55件の名前を元に戻します（フォルダ: C:\\root、C:\\b）。よろしいですか？"},
      {{{"C:\\", 1}}, false, "1件の名前を元に戻します（フォルダ: C:\\）。よろしいですか？"},
      // Equals keep the order first met.
      {{{"D:\\p\\", 1}, {"D:\\q\\", 3}, {"D:\\r\\", 2}, {"D:\\s\\", 3}, {"D:\\t\\", 1}},
       true,
       "10件の名前の変更をやり直します（フォルダ: D:\\q、D:\\s、D:\\r ほか 2 フォルダ）。よろしいですか？"},
  };
  for (const Case& c : cases) {
    std::vector<Move> moves;
    for (const auto& [folder, n] : c.folders) {
      for (int i = 0; i < n; ++i) {
        const std::string name = folder + std::to_string(i);
        moves.push_back({name + ".a", name + ".b", {}});
      }
    }
    EXPECT_EQ(disk::UndoQuestion(moves, c.redo), c.question);
  }
}

}  // namespace
