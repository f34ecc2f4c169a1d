// The drop-down histories of the rule inputs, on the combo boxes that show them.
#pragma once

#include <windows.h>

namespace rules {
class RenameList;
}  // namespace rules

namespace app {

// Pushes the box's text onto its entries (at most `length` of them), then focuses the box.
void PushHistory(HWND box, int length);
// Cuts the box's entries to `length`.
void TrimHistory(HWND box, int length);
// Removes every entry; the box keeps its text.
void ClearHistory(HWND box);
// An empty box takes the first row's base name.
void FillFromFirstEntry(HWND box, const rules::RenameList& list);

}  // namespace app
