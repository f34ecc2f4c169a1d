// The list command that changes the extension of the selected rows' files on disk.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "disk/Progress.h"
#include "disk/SafeRename.h"
#include "rules/ExtensionAnswer.h"

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

class DiskState;
class Journal;

// What a change of extension did.
struct ExtensionReport {
  std::size_t changed = 0;  // files that now bear the new extension
  std::size_t failed = 0;   // files the move refused (a name taken, a link, the platform)
  bool stopped = false;     // progress asked to stop before every row was visited
};

// Gives every selected row's file (folder rows are left alone), where it still exists, the
// extension (a name without one gets it appended) with GuardedMove, which never replaces a
// file and carries out a change of letter case; a renamed row takes the new name. A file that
// bears the new name already, byte for byte, is left alone and counted nowhere. Rows keep
// their places while it runs; the list re-sorts once at the end, also when progress asks it to
// stop between two files. The moves go to the journal, if any, as one run. With the list's
// disk state a folder must still be the one the intake found.
ExtensionReport ChangeExtensions(rules::RenameList& list, std::string_view extension, const Progress& progress = {},
                                 Journal* journal = nullptr, const DiskState* disk = nullptr,
                                 const Mover& mover = {});

}  // namespace disk
