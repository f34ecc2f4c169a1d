// The filter lists that refuse files at intake by name or by extension. Pure: it only looks
// at the path's text.
#pragma once

#include <string_view>

namespace rules {

// True when the file's name (with extension) equals an entry of filterNames, or its extension
// (with its ".") equals an entry of filterExts. Two texts that both have a Shift_JIS form
// compare as they always have: only the letter case of "A"-"Z" doesn't count; any other pair
// by the platform's ordinal comparison ignoring case. Entries are separated by ";"; text
// after the last ";" is an entry too. An empty name or extension never matches, nor does an
// empty entry.
bool MatchesFilter(std::wstring_view path, std::wstring_view filterNames, std::wstring_view filterExts);

// Visits the entries of a filter string, each followed by ";" (a last one may lack it), in
// order, leaving out empty ones, which name nothing; stops at the first visit that returns
// true and returns true then.
template <typename Visit>
bool ForEachFilterEntry(std::wstring_view list, Visit&& visit) {
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find(L';', start);
    if (end == std::wstring_view::npos) end = list.size();
    if (end > start && visit(list.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace rules
