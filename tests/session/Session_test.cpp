#include "session/Session.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempDir.h"

using rules::RenameEntry;
using rules::RenameList;
using session::Session;

namespace {

using Names = std::vector<std::wstring>;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

struct SessionTest : testing::Test {
  TempDir dir;
  Session session;
  // The folder's files, content their own names, taken in and previewed as prefix + number.
  void TakeIn(const Names& files) {
    for (const std::wstring& n : files) dir.Touch(n, n);
    ASSERT_FALSE(session.TakeIn({dir.path()}, {}).failure);
    session.Preview(
        [](RenameList& list) {
          for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].newName = std::wstring(L"n").append(std::to_wstring(i + 1));
          }
        },
        false);
  }
  Names NewNames() {
    Names names;
    for (const RenameEntry& row : session.list()) names.push_back(row.newName);
    return names;
  }
};

// Rows bound for one name: the second is refused as a duplicate, or numbered where asked; a
// refused row that leaves the list leaves the count.
TEST_F(SessionTest, ThePreviewCountsTheRowsItRefusesOrNumbersThem) {
  for (const wchar_t* n : {L"b1.txt", L"b2.txt"}) dir.Touch(n);
  ASSERT_FALSE(session.TakeIn({dir.path()}, {}).failure);
  const auto same = [name = std::wstring(L"b")](RenameList& list) {
    for (RenameEntry& row : list) row.newName = name;
  };
  const session::Marks numbered = session.Preview(same, true);
  EXPECT_EQ(NewNames(), (Names{L"b", L"b_2"}));
  EXPECT_EQ(numbered.refused + numbered.duplicates, 0u);
  const session::Marks refused = session.Preview(same, false);
  EXPECT_EQ(refused.refused, 1u);
  EXPECT_EQ(refused.duplicates, 1u);
  EXPECT_EQ(session.Preview({}, false).refused, 0u) << "no rule judges no row";
  session.Preview(same, false);
  for (RenameEntry& row : session.list()) row.selected = row.refusal != rules::Refusal::None;
  EXPECT_TRUE(session.RemoveSelected());
  EXPECT_EQ(session.marks().refused + session.marks().duplicates, 0u);
}

// A run cut off by a failure tells it and what it renamed; its undo asks the journal again
// and refuses moves that are no longer what it holds.
TEST_F(SessionTest, ARunCutOffIsToldAndItsUndoChecksTheJournalFirst) {
  TakeIn({L"a.txt", L"b.txt", L"c.txt"});
  int moves = 0;
  session.SetMover([&](fs::OpenFile& file, std::wstring_view to) -> std::uint32_t {
    if (++moves == 2) throw std::runtime_error("broken");
    return file.RenameTo(to);
  });
  const auto hold = session.Hold();
  ASSERT_TRUE(hold);
  const session::RunReport run = session.Rename(false, true);
  EXPECT_EQ(run.failure, "broken");
  EXPECT_EQ(run.renamed, 1u);
  EXPECT_EQ(run.rows, 3u);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"n3.txt"}));

  std::vector<disk::Move> asked = session.JournalMoves(false);
  ASSERT_FALSE(asked.empty());
  std::vector<disk::Move> other = asked;
  other[0].from = dir.path() + L"z.txt";
  EXPECT_TRUE(session.TakeBack(false, other).moves.changed);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"n3.txt"}));
  const session::TakeBackReport undo = session.TakeBack(false, asked);
  EXPECT_FALSE(undo.failure);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt"}));
  EXPECT_FALSE(session.CanUndo());
  EXPECT_TRUE(session.CanRedo());
}

// An undo cut off by a failure inside leaves the journal as it was: a second undo takes the
// whole run back, passing over what already moved.
TEST_F(SessionTest, AnUndoCutOffLeavesTheJournalForASecondOne) {
  TakeIn({L"a.txt", L"b.txt", L"c.txt"});
  const auto hold = session.Hold();
  ASSERT_EQ(session.Rename(false, true).renamed, 3u);
  const std::vector<disk::Move> asked = session.JournalMoves(false);
  const session::TakeBackReport cut =
      session.TakeBack(false, asked, [](std::size_t, std::size_t) -> bool { throw std::runtime_error("stop"); });
  EXPECT_EQ(cut.failure, "stop");
  EXPECT_EQ(cut.moves.result.restored, 0u);
  ASSERT_EQ(session.JournalMoves(false).size(), asked.size());
  EXPECT_FALSE(session.TakeBack(false, session.JournalMoves(false)).failure);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt"}));
  EXPECT_FALSE(session.CanUndo());
}

// With the compose option the intake joins a Mac's split voiced mark as a clean-up move, which
// the undo takes back; names beside it, Shift_JIS or not, stay as they are.
TEST_F(SessionTest, TheUndoBringsBackTheMacNameTheIntakeComposed) {
  const std::wstring mac = L"\u30B7\u3099\u30FC\u30EB.txt", composed = L"\u30B8\u30FC\u30EB.txt";
  const Names others = {L"写真.jpg", L"\uD55C\uAD6D\uC5B4.txt", L"\U0001F600.txt"};  // in listing order
  for (const std::wstring& n : others) dir.Touch(n);
  dir.Touch(mac);
  intake::IntakeOptions options;
  options.cleanUp.compose = true;
  ASSERT_TRUE(Session::IntakeMoves(options));
  const auto hold = session.Hold();
  ASSERT_FALSE(session.TakeIn({dir.path()}, options).failure);
  EXPECT_EQ(session.skipped().cleaned, 1u);
  EXPECT_EQ(session.list().size(), others.size());
  Names listing = {composed};
  listing.insert(listing.end(), others.begin(), others.end());
  EXPECT_EQ(FolderListing(dir.path()), listing);

  const std::vector<disk::Move> asked = session.JournalMoves(false);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_FALSE(session.TakeBack(false, asked).failure);
  listing[0] = mac;
  EXPECT_EQ(FolderListing(dir.path()), listing);
}

// 濁点・半濁点を結合 on listed rows: the selected Mac names composed on disk as one run, the
// unselected one and a name with nothing to join left alone; the undo takes it back.
TEST_F(SessionTest, TheListCommandComposesTheSelectedMacNamesAndTheUndoSplitsThemAgain) {
  const std::wstring mac = L"\u30B7\u3099\u30FC\u30EB.txt", macE = L"Beyonce\u0301.mp3";
  for (const std::wstring& n : {mac, macE, std::wstring(L"\u30D5\u309A.txt"), std::wstring(L"写真.jpg")}) dir.Touch(n);
  const auto hold = session.Hold();
  ASSERT_FALSE(session.TakeIn({dir.path()}, {}).failure);
  for (auto& row : session.list()) row.selected = row.fileName != L"\u30D5\u309A.txt";
  const session::ExtensionReport report = session.Compose(false);
  ASSERT_FALSE(report.failure);
  EXPECT_EQ(report.changes.renamed, 2u);
  const Names composed = {L"Beyonc\u00E9.mp3", L"\u30B8\u30FC\u30EB.txt", L"\u30D5\u309A.txt", L"写真.jpg"};
  EXPECT_EQ(Sorted(FolderListing(dir.path())), Sorted(composed));
  EXPECT_FALSE(session.TakeBack(false, session.JournalMoves(false)).failure);
  EXPECT_EQ(Sorted(FolderListing(dir.path())), Sorted(Names{macE, mac, L"\u30D5\u309A.txt", L"写真.jpg"}));
}

}  // namespace
