// The automatic clean-up of incoming file names: shortcut and copy decorations, numbers in
// brackets, blanks at both ends and ".jpeg". Pure: it computes a path and never touches the disk.
#pragma once

#include <string>
#include <string_view>

namespace rules {

// One flag per check box of the clean-up group.
struct CleanUpOptions {
  bool removeShortcut = false;       // "へのショートカット" in .lnk names
  bool removeBracketNumber = false;  // "[n]", n = 0…99
  bool removeParenNumber = false;    // "(n)", n = 0…99
  bool removeCopy = false;           // "コピー ～ "
  bool trim = false;                 // blanks at both ends (TrimWide)
  bool jpegToJpg = false;            // extension ".jpeg" in any case -> ".jpg"
  bool compose = false;              // split voiced marks and accents joined (NFC), before the rest

  bool operator==(const CleanUpOptions&) const = default;
  // Whether any option is on: compared as a whole, so an option added later counts too.
  bool Any() const { return !(*this == CleanUpOptions{}); }
};

// The text with every occurrence of the pattern removed; the search restarts from the start
// after each removal, so pieces brought together by a removal go too. Occurrences are only
// taken at character boundaries.
std::wstring RemoveAll(std::wstring_view text, std::wstring_view pattern);

// The path the file would have after the clean-up: same folder, the base name cleaned (back
// to the original when cleaning empties it), the extension changed only by jpegToJpg. With
// every option off the path comes back unit for unit.
std::wstring AutoCleanName(std::wstring_view path, const CleanUpOptions& options);

}  // namespace rules
