// Drop-down input histories: most recently used first, each text once, at most N entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Trims units <= 32 from both ends (full-width spaces stay), inserts the text at the top,
// removes its later duplicates, and drops the entry at index n when the list then holds more
// than n. An empty trimmed text changes nothing. Returns whether anything was pushed.
bool PushHistory(std::vector<std::wstring>& entries, std::wstring_view text, int n);
// Cuts the list to n entries.
void TrimHistory(std::vector<std::wstring>& entries, int n);
// The entry at p moves to the front; those before it move down by one, those after it stay.
// Nothing moves for p = 0 or a p outside the list. Returns whether the order changed.
bool MoveToFront(std::vector<std::wstring>& entries, int p);

}  // namespace settings
