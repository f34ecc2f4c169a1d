#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "disk/DiskState.h"
#include "disk/Journal.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"
#include "disk/Undo.h"
#include "rules/RenameList.h"
#include "support/TempDir.h"
#include "text/utf16.h"

using disk::DiskState;
using rules::Refusal;
using rules::RenameList;

namespace {

struct TreeRow {
  const wchar_t* folder;  // relative, as the row spells it
  const wchar_t* name;
  bool isFolder;
  const wchar_t* newName;
  Refusal expected;
  const wchar_t* landsIn;  // the row's folder after the run
};

// Folders and files at several depths in one run: inner rows move before their folders, the
// rows inside (refused ones too, and one spelling its folder in other letters) follow their
// folders, and the run is taken back and made again.
TEST(FolderRows, ATreeIsRenamedUndoneAndRedone) {
  const std::vector<TreeRow> rows = {
      {L"", L"x", true, L"x2", Refusal::None, L""},
      {L"x\\", L"a.txt", false, L"a2", Refusal::None, L"x2\\"},
      {L"x\\", L"y", true, L"y2", Refusal::None, L"x2\\"},
      {L"X\\y\\", L"b.txt", false, L"b2", Refusal::None, L"x2\\y2\\"},
      {L"x\\y\\", L"locked.txt", false, L"l2", Refusal::ReadOnly, L"x2\\y2\\"},
      {L"x\\y\\", L"z", true, L"z2", Refusal::None, L"x2\\y2\\"},
      {L"x\\y\\z\\", L"c.txt", false, L"c2", Refusal::None, L"x2\\y2\\z2\\"},
      {L"", L"old", true, L"new", Refusal::None, L""},  // with a file inside that isn't listed
      {L"", L"f", false, L"old", Refusal::None, L""},   // takes the name the folder frees
      {L"", L"d1", true, L"dup", Refusal::Duplicate, L""},
      {L"", L"d2", false, L"dup", Refusal::None, L""},
      {L"", L"t", true, L"stay", Refusal::Taken, L""},
      {L"", L"gone", true, L"g2", Refusal::Missing, L""},  // a file now
      {L"", L"cs", true, L"CS", Refusal::None, L""},  // letter case only
      {L"cs\\", L"in.txt", false, L"in2", Refusal::None, L"CS\\"},
  };
  TempDir dir;
  dir.Touch(L"old\\in.txt", L"in");
  dir.Touch(L"stay", L"stay");
  RenameList list;
  for (const TreeRow& r : rows) {
    const std::wstring relative = std::wstring(r.folder) + r.name;
    if (r.isFolder && r.expected != Refusal::Missing) dir.Mkdir(relative);
    else dir.Touch(relative, relative);
    // c.txt's folder z was given itself: its column starts at z.
    const std::wstring root = r.name == std::wstring(L"c.txt") ? L"x\\y\\" : L"";
    const auto rootSize = static_cast<std::uint32_t>((dir.path() + root).size());
    list.Add(r.name, dir.path() + r.folder, 0, 0, 0, r.isFolder, rootSize);
  }
  for (rules::RenameEntry& e : list) {
    for (const TreeRow& r : rows) {
      if (e.fileName == r.name && e.folder() == dir.path() + r.folder) e.newName = r.newName;
    }
  }
  const std::wstring locked = std::wstring(dir.path() + L"x\\y\\locked.txt");
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  auto rowOf = [&](const TreeRow& r) -> const rules::RenameEntry& {
    for (const rules::RenameEntry& e : list) {
      if (e.newName == r.newName && e.isFolder() == r.isFolder) return e;
    }
    throw std::logic_error("no row");
  };
  auto expectRows = [&](bool renamed, const wchar_t* when) {
    for (const TreeRow& r : rows) {
      const rules::RenameEntry& e = rowOf(r);
      const bool moved = renamed && r.expected == Refusal::None;
      // A folder moved back is spelled as the disk spells it.
      const std::wstring folder = dir.path() + (renamed ? r.landsIn : r.folder);
      EXPECT_EQ(utf16::Upper(e.folder()), utf16::Upper(folder)) << when << " " << r.name;
      EXPECT_EQ(e.fileName, moved ? r.newName + std::wstring(utf16::Extension(r.name)) : r.name) << when;
      if (!r.isFolder) {
        EXPECT_EQ(FileText(e.CurrentPath()), std::wstring(r.folder) + r.name) << when;
      } else if (r.expected != Refusal::Missing) {
        EXPECT_TRUE(fs::IsFolder(e.CurrentPath())) << when << " " << r.name;
      }
    }
    const rules::RenameEntry& c = rowOf(rows[6]);
    EXPECT_EQ(c.folder().substr(c.root()), renamed ? L"z2\\" : L"z\\") << when;
    EXPECT_EQ(FileText(dir.path() + (renamed ? L"new" : L"old") + L"\\in.txt"), L"in") << when;
  };

  DiskState disk;
  disk::CheckRows(list, disk);
  for (const TreeRow& r : rows) EXPECT_EQ(rowOf(r).refusal, r.expected) << r.name;
  disk::Journal journal;
  disk::RenameRows(list, false, {}, &disk, &journal);
  expectRows(true, L"run");
  EXPECT_EQ(FileText(dir.path() + L"stay"), L"stay");

  std::vector<disk::Move> moves = journal.Moves();
  disk::UndoResult undo = disk::UndoMoves(moves, list);
  EXPECT_EQ(undo.failed, 0u);
  expectRows(false, L"undo");
  journal.Undone(undo.Left(moves), undo.Done(moves));
  moves = journal.RedoMoves();
  EXPECT_EQ(disk::RedoMoves(moves, list).failed, 0u);
  expectRows(true, L"redo");
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A link to a folder of the same parent: the check refuses it, and the move itself would not
// rename the folder it leads to.
TEST(FolderRows, AFolderLinkIsRefusedAndNotMoved) {
  TempDir dir;
  dir.Touch(L"G\\x.txt", L"x");
  if (!dir.LinkUnix(L"F", L"G")) GTEST_SKIP() << "links are made through Wine's Linux side";
  RenameList list;
  list.Add(L"F", dir.path(), 0, 0, 0, true);
  list[0].newName = L"F2";
  DiskState disk;
  disk::CheckRows(list, disk);
  EXPECT_EQ(list[0].refusal, Refusal::Link);
  const std::wstring link = dir.path() + L"F";
  disk::MoveContext moves(nullptr, disk::RunKind::Rename);
  const disk::MoveReport report = moves.Move(link, dir.path() + L"F2", fs::Attributes(link));
  EXPECT_FALSE(report.moved);
  EXPECT_TRUE(report.elsewhere);
  EXPECT_EQ(FolderListing(dir.path()), (std::vector<std::wstring>{L"F", L"G"}));
  EXPECT_EQ(FileText(dir.path() + L"G\\x.txt"), L"x");
}

}  // namespace
