// Renaming one file inside its folder, with the refusals that keep the rename run and the
// intake's clean-up from touching anything but ordinary files in place.
#pragma once

#include <string_view>

#include "engine/Progress.h"

class RenameList;

// True when the file at oldPath now bears newPath. Never replaces an existing file, never
// moves a file out of its folder, never renames folders, read-only, hidden or system files.
bool SafeRename(std::string_view oldPath, std::string_view newPath);

// The rename run over the whole list, last row first: each row's file gets its new name
// plus its current extension. A renamed row leaves the list when clearItems is set, else it
// takes its new file name; a refused or failed row stays as it was. Sorting is off during
// the run and re-sorts once at its end, also when the run stops early or throws.
// Progress counts the rows tried; when it asks to stop, the rows not yet tried stay as they
// are. True when every row was tried.
bool RenameRows(RenameList& list, bool clearItems, const Progress& progress = {});
