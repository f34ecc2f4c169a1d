// Renaming one file inside its folder, with the refusals that keep the rename run and the
// intake's clean-up from touching anything but ordinary files in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "os/FileSystem.h"
#include "disk/Progress.h"

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

class DiskState;
class Journal;

// What a move that didn't happen met.
struct MoveReport {
  bool elsewhere = false;  // a link to a file of another folder
  bool otherFile = false;  // not the file that was expected
  std::uint32_t error = 0;  // the platform's error code, where it refused the move
  fs::FileId id;            // the file that moved, where it did
};

// How a move is made, once the file is open and asked: renames it to `to` (a full path),
// never replacing an entry; 0 when done, else the platform's error code. Empty: the file's
// own RenameTo. A test hands one that fails where the platform can't be made to (a full disk).
using Mover = std::function<std::uint32_t(fs::OpenFile& file, std::string_view to)>;

// Moves the file at `from` to the name `to` in the same folder; true when it now bears
// exactly that name. Never replaces an existing file or folder, never moves out of the
// folder. Every move goes through one handle opened on the file, which is asked first and
// renamed then: with the file's attributes (as listed or asked), a link to a file of another
// folder is not moved (Wine renames the file a Linux link points to, and lists such a link as
// a plain file, so there every file is asked; Windows renames a link itself, and its links
// are reparse points, the only files asked there); with `expect`, only the file of that
// identity moves. A change of letter case alone goes through a temporary name of the folder
// (a plain move reports success and keeps the old spelling) and is read back from the
// folder; when it can't be finished the file gets its old name back. A folder (attributes with
// the folder bit) moves the same way; a folder that is a reparse point (a link or junction) is
// never moved, and where it is asked (under Wine, every time) it must be reached at its own
// path, not merely in its parent. With a journal, each
// move is recorded with the file's identity before it is made, a move that failed or was
// taken back leaves the record again, and a move that landed tells the journal so. A move
// that landed leaves the file's identity in the report.
bool GuardedMove(std::string_view from, std::string_view to, Journal* journal, std::uint32_t attributes,
                 MoveReport* report = nullptr, const fs::FileId* expect = nullptr, const Mover& mover = {});
// GuardedMove asks each folder's own final path once and keeps it; a run (of renames, of a
// change of extension, of the intake's clean-up) starts by forgetting them, since a folder
// may have become a link, or stopped being one, since the last. With the list's disk state,
// a folder the intake recorded must still be that folder (DiskState::TakeIn) for its files
// to move.
void ForgetFolderPaths(const DiskState* disk = nullptr);
// Whether a file name is one of GuardedMove's temporary names.
bool IsTemporaryName(std::string_view fileName);

// True when the file at oldPath now bears newPath. Refuses an unchanged path, a new name
// that BadNewName refuses, folders, read-only, hidden or system files; then moves with
// GuardedMove, which leaves a link to another folder's file alone.
bool SafeRename(std::string_view oldPath, std::string_view newPath, Journal* journal = nullptr,
                const Mover& mover = {});

// The rename run over the whole list: each row's file gets its new name plus its current
// extension, where RenamePlan (over `disk`, the listings the preview's check used; a state of
// its own when none is given) says the run renames it, in the plan's order: chains from their
// free ends, and each cycle of rows trading names through one temporary name of the folder;
// rows of deeper folders go first, so every row inside a folder moves before the folder does.
// A folder row's folder moves as a whole, and at the end of the run every row whose folder
// lies inside a renamed one (in the run or not, refused or not) takes its new path, its root
// kept on the same folder. The listings are read again when next needed. A renamed row leaves the list when clearItems
// is set, else it takes its new file name; a refused or failed row stays as it was, and so do
// the rows that waited for it. Sorting is off during the run and re-sorts once at its end,
// also when the run stops early or throws. The run's moves go to the journal, if any.
// Progress counts the rows tried; when it asks to stop, the rows not yet tried stay as they
// are, and a cycle begun is finished first, so that no file keeps a temporary name. True when
// every row was tried. A row whose move the platform refused keeps its failure
// (RenameList::SetFailure) until the next preview; the report counts what happened, also when
// the run ends by an exception.
struct RunReport {
  std::size_t renamed = 0, failed = 0;
};
bool RenameRows(rules::RenameList& list, bool clearItems, const Progress& progress = {}, DiskState* disk = nullptr,
                Journal* journal = nullptr, RunReport* report = nullptr, const Mover& mover = {});

}  // namespace disk
