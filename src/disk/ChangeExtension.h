// The list command that changes the extension of the selected rows' files on disk.
#pragma once

#include <string>
#include <string_view>

#include "disk/Progress.h"

class Journal;
class RenameList;

// The extension an answer gives, with "." put in front when missing; empty when the answer
// can't be one: empty or only ".", holding "\", "/" or ":" (which would reach out of the
// folder or into a stream), a character no name holds (fs::RefusedInName), or ending in "."
// or a blank, which Windows strips, so the row would no longer name its file.
std::string ExtensionFromAnswer(std::string_view answer);

// Gives every selected row's file, where it still exists, the extension (a name without one
// gets it appended) with GuardedMove, which never replaces a file and carries out a change
// of letter case; a renamed row takes the new name. Rows keep their places while it runs; the
// list re-sorts once at the end, also when progress asks it to stop between two files. The
// moves go to the journal, if any.
void ChangeExtensions(RenameList& list, std::string_view extension, const Progress& progress = {},
                      Journal* journal = nullptr);
