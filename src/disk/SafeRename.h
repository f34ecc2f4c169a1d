// Renaming one file inside its folder, with the refusals that keep the rename run and the
// intake's clean-up from touching anything but ordinary files in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "disk/FileSystem.h"
#include "disk/Progress.h"

class DiskState;
class Journal;
class RenameList;

// What a move that didn't happen met.
struct MoveReport {
  bool elsewhere = false;  // a link to a file of another folder
  bool otherFile = false;  // not the file that was expected
  std::uint32_t error = 0;  // the platform's error code, where it refused the move
};

// Moves the file at `from` to the name `to` in the same folder; true when it now bears
// exactly that name. Never replaces an existing file or folder, never moves out of the
// folder. Every move goes through one handle opened on the file, which is asked first and
// renamed then: with the file's attributes (as listed or asked), a link to a file of another
// folder is not moved (Wine renames the file a Linux link points to, and lists such a link as
// a plain file, so there every file is asked; Windows renames a link itself, and its links
// are reparse points, the only files asked there); with `expect`, only the file of that
// identity moves. A change of letter case alone goes through a temporary name of the folder
// (a plain move reports success and keeps the old spelling) and is read back from the
// folder; when it can't be finished the file gets its old name back. With a journal, each
// move is recorded with the file's identity before it is made, a move that failed or was
// taken back leaves the record again, and a move that landed tells the journal so.
bool GuardedMove(std::string_view from, std::string_view to, Journal* journal, std::uint32_t attributes,
                 MoveReport* report = nullptr, const fs::FileId* expect = nullptr);
// GuardedMove asks each folder's own final path once and keeps it; a run (of renames, of a
// change of extension, of the intake's clean-up) starts by forgetting them, since a folder
// may have become a link, or stopped being one, since the last.
void ForgetFolderPaths();
// Whether a file name is one of GuardedMove's temporary names.
bool IsTemporaryName(std::string_view fileName);

// True when the file at oldPath now bears newPath. Refuses an unchanged path, a new name
// that BadNewName refuses, folders, read-only, hidden or system files; then moves with
// GuardedMove, which leaves a link to another folder's file alone.
bool SafeRename(std::string_view oldPath, std::string_view newPath, Journal* journal = nullptr);

// The rename run over the whole list, last row first: each row's file gets its new name
// plus its current extension, where RenamePlan (over `disk`, the listings the preview's check
// used; a state of its own when none is given) says the run renames it; the listings are
// read again when next needed. A renamed row leaves the list when
// clearItems is set, else it takes its new file name; a refused or failed row stays as it
// was. Sorting is off during the run and re-sorts once at its end, also when the run stops
// early or throws. The run's moves go to the journal, if any.
// Progress counts the rows tried; when it asks to stop, the rows not yet tried stay as they
// are. True when every row was tried. A row whose move the platform refused keeps its failure
// (RenameList::SetFailure) until the next preview; the report counts what happened, also when
// the run ends by an exception.
struct RunReport {
  std::size_t renamed = 0, failed = 0;
};
bool RenameRows(RenameList& list, bool clearItems, const Progress& progress = {}, DiskState* disk = nullptr,
                Journal* journal = nullptr, RunReport* report = nullptr);
