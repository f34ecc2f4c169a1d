#include "rules/Filter.h"

#include <string>

#include "text/utf16.h"

namespace rules {

namespace {

// Shift_JIS texts compare as they always have; the platform's wider case folding only where
// one side reaches beyond that set.
bool SameEntry(std::wstring_view entry, std::wstring_view item) {
  if (utf16::EqualsIgnoringAsciiCase(entry, item)) return true;
  if (utf16::HasShiftJisForm(entry) && utf16::HasShiftJisForm(item)) return false;
  return utf16::CompareOrdinalIgnoringCase(entry, item) == 0;
}

bool HasEntry(std::wstring_view list, std::wstring_view item) {
  if (item.empty()) return false;
  return ForEachFilterEntry(list, [&](std::wstring_view entry) { return SameEntry(entry, item); });
}

}  // namespace

bool MatchesFilter(std::wstring_view path, std::wstring_view filterNames, std::wstring_view filterExts) {
  std::wstring_view name = utf16::FileName(path);
  return HasEntry(filterNames, name) || HasEntry(filterExts, utf16::Extension(name));
}

}  // namespace rules
