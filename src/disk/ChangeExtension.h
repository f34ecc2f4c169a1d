// The list command that changes the extension of the selected rows' files on disk.
#pragma once

#include <string>
#include <string_view>

#include "disk/Progress.h"
#include "rules/ExtensionAnswer.h"

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

class Journal;

// Gives every selected row's file (folder rows are left alone), where it still exists, the
// extension (a name without one gets it appended) with GuardedMove, which never replaces a file and carries out a change
// of letter case; a renamed row takes the new name. Rows keep their places while it runs; the
// list re-sorts once at the end, also when progress asks it to stop between two files. The
// moves go to the journal, if any, as one run.
void ChangeExtensions(rules::RenameList& list, std::string_view extension, const Progress& progress = {},
                      Journal* journal = nullptr);

}  // namespace disk
