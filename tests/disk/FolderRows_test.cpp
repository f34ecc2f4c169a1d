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
#include "text/sjis.h"

using disk::DiskState;
using rules::Refusal;
using rules::RenameList;

namespace {

struct TreeRow {
  const char* folder;  // relative, as the row spells it
  const char* name;
  bool isFolder;
  const char* newName;
  Refusal expected;
  const char* landsIn;  // the row's folder after the run
};

// Folders and files at several depths in one run: inner rows move before their folders, the
// rows inside (refused ones too, and one spelling its folder in other letters) follow their
// folders, and the run is taken back and made again.
TEST(FolderRows, ATreeIsRenamedUndoneAndRedone) {
  const std::vector<TreeRow> rows = {
      {"", "x", true, "x2", Refusal::None, ""},
      {"x\\", "a.txt", false, "a2", Refusal::None, "x2\\"},
      {"x\\", "y", true, "y2", Refusal::None, "x2\\"},
      {"X\\y\\", "b.txt", false, "b2", Refusal::None, "x2\\y2\\"},
      {"x\\y\\", "locked.txt", false, "l2", Refusal::ReadOnly, "x2\\y2\\"},
      {"x\\y\\", "z", true, "z2", Refusal::None, "x2\\y2\\"},
      {"x\\y\\z\\", "c.txt", false, "c2", Refusal::None, "x2\\y2\\z2\\"},
      {"", "old", true, "new", Refusal::None, ""},  // with a file inside that isn't listed
      {"", "f", false, "old", Refusal::None, ""},   // takes the name the folder frees
      {"", "d1", true, "dup", Refusal::Duplicate, ""},
      {"", "d2", false, "dup", Refusal::None, ""},
      {"", "t", true, "stay", Refusal::Taken, ""},
      {"", "gone", true, "g2", Refusal::Missing, ""},  // a file now
      {"", "cs", true, "CS", Refusal::None, ""},  // letter case only
      {"cs\\", "in.txt", false, "in2", Refusal::None, "CS\\"},
  };
  TempDir dir;
  dir.Touch("old\\in.txt", "in");
  dir.Touch("stay", "stay");
  RenameList list;
  for (const TreeRow& r : rows) {
    const std::string relative = std::string(r.folder) + r.name;
    if (r.isFolder && r.expected != Refusal::Missing) dir.Mkdir(relative);
    else dir.Touch(relative, relative);
    // c.txt's folder z was given itself: its column starts at z.
    const std::string root = r.name == std::string("c.txt") ? "x\\y\\" : "";
    const auto rootSize = static_cast<std::uint32_t>((dir.path() + root).size());
    list.Add(r.name, dir.path() + r.folder, 0, 0, 0, r.isFolder, rootSize);
  }
  for (rules::RenameEntry& e : list) {
    for (const TreeRow& r : rows) {
      if (e.fileName == r.name && e.folder == dir.path() + r.folder) e.newName = r.newName;
    }
  }
  const std::wstring locked = sjis::ToUtf16Lenient(dir.path() + "x\\y\\locked.txt");
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  auto rowOf = [&](const TreeRow& r) -> const rules::RenameEntry& {
    for (const rules::RenameEntry& e : list) {
      if (e.newName == r.newName && e.isFolder() == r.isFolder) return e;
    }
    throw std::logic_error(r.name);
  };
  auto expectRows = [&](bool renamed, const char* when) {
    for (const TreeRow& r : rows) {
      const rules::RenameEntry& e = rowOf(r);
      const bool moved = renamed && r.expected == Refusal::None;
      // A folder moved back is spelled as the disk spells it.
      const std::string folder = dir.path() + (renamed ? r.landsIn : r.folder);
      EXPECT_EQ(sjis::Upper(e.folder), sjis::Upper(folder)) << when << " " << r.name;
      EXPECT_EQ(e.fileName, moved ? r.newName + std::string(sjis::Extension(r.name)) : r.name) << when;
      if (!r.isFolder) {
        EXPECT_EQ(FileContent(e.CurrentPath()), std::string(r.folder) + r.name) << when;
      } else if (r.expected != Refusal::Missing) {
        EXPECT_TRUE(fs::IsFolder(e.CurrentPath())) << when << " " << r.name;
      }
    }
    const rules::RenameEntry& c = rowOf(rows[6]);
    EXPECT_EQ(c.folder.substr(c.root()), renamed ? "z2\\" : "z\\") << when;
    EXPECT_EQ(FileContent(dir.path() + (renamed ? "new" : "old") + "\\in.txt"), "in") << when;
  };

  DiskState disk;
  disk::CheckRows(list, disk);
  for (const TreeRow& r : rows) EXPECT_EQ(rowOf(r).refusal, r.expected) << r.name;
  disk::Journal journal;
  disk::RenameRows(list, false, {}, &disk, &journal);
  expectRows(true, "run");
  EXPECT_EQ(FileContent(dir.path() + "stay"), "stay");

  std::vector<disk::Move> moves = journal.Moves();
  disk::UndoResult undo = disk::UndoMoves(moves, list);
  EXPECT_EQ(undo.failed, 0u);
  expectRows(false, "undo");
  journal.Undone(undo.Left(moves), undo.Done(moves));
  moves = journal.RedoMoves();
  EXPECT_EQ(disk::RedoMoves(moves, list).failed, 0u);
  expectRows(true, "redo");
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A link to a folder of the same parent: the check refuses it, and the move itself would not
// rename the folder it leads to.
TEST(FolderRows, AFolderLinkIsRefusedAndNotMoved) {
  TempDir dir;
  dir.Touch("G\\x.txt", "x");
  if (!dir.LinkUnix("F", "G")) GTEST_SKIP() << "links are made through Wine's Linux side";
  RenameList list;
  list.Add("F", dir.path(), 0, 0, 0, true);
  list[0].newName = "F2";
  DiskState disk;
  disk::CheckRows(list, disk);
  EXPECT_EQ(list[0].refusal, Refusal::Link);
  const std::string link = dir.path() + "F";
  disk::MoveContext moves(nullptr, disk::RunKind::Rename);
  const disk::MoveReport report = moves.Move(link, dir.path() + "F2", fs::Attributes(link));
  EXPECT_FALSE(report.moved);
  EXPECT_TRUE(report.elsewhere);
  EXPECT_EQ(FolderListing(dir.path()), (std::vector<std::string>{"F", "G"}));
  EXPECT_EQ(FileContent(dir.path() + "G\\x.txt"), "x");
}

}  // namespace
