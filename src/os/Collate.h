// The user's locale's order of names.
#pragma once

#include <string>
#include <string_view>

namespace os {

// The locale's case-sensitive comparison as a byte string that compares with memcmp in the
// same order (LCMapString sort key of the user default locale).
std::string SortKey(std::wstring_view name);

// Names as Explorer orders them (StrCmpLogicalW): runs of digits compare as numbers. <0, 0, >0.
int LogicalCompare(const wchar_t* a, const wchar_t* b);

}  // namespace os
