// The list commands that change the names of the selected rows' files on disk: the extension,
// and the composition of split voiced marks.
#pragma once

#include <string>

#include "disk/Progress.h"
#include "disk/RenameRun.h"

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

class DiskState;
class Journal;

// What a change of extension did: files that now bear the new extension (renamed), files
// the move refused (failed: a name taken at the last moment, the platform), files the plan
// refused with the run's reasons (refused), and whether progress stopped it.
using ExtensionReport = RunReport;

// Gives every selected row's file (folder rows are left alone) the extension (a name without
// one gets it appended): the rename run's plan and moves over those names, so it refuses what
// the run refuses (read-only, hidden and system files, a name taken by a file that stays, two
// rows wanting one name), each such row marked with why, and carries out chains, cycles and
// changes of letter case as the run does. A renamed row takes the new name. A file that bears
// the new name already, byte for byte, is left alone and counted nowhere. The list re-sorts
// once at the end, also when progress asks it to stop. The moves go to the journal, if any,
// as one run. `disk` holds the listings the preview used and the folders the intake found;
// they are read again when next needed.
ExtensionReport ChangeExtensions(rules::RenameList& list, const std::wstring& extension, DiskState& disk,
                                 const Progress& progress = {}, Journal* journal = nullptr, const Mover& mover = {});
// The same for 濁点・半濁点を結合: every selected row's file gets its name composed (a Mac's
// split voiced marks joined, utf16::Compose), as a rename run of the journal.
ExtensionReport ComposeNames(rules::RenameList& list, DiskState& disk, const Progress& progress = {},
                             Journal* journal = nullptr, const Mover& mover = {});

}  // namespace disk
