// What the tests hold the program's text conversions against.
#pragma once

#include <string>
#include <string_view>

#include "text/StringEx.h"

namespace oracle {

// The platform's case mapping of a UTF-16 text, character by character (a surrogate pair as one): a character of
// the Shift_JIS set whose mapping would leave the set stays as it is (utf16::Upper/Lower).
std::wstring PlatformUpper(std::wstring_view s);
std::wstring PlatformLower(std::wstring_view s);

}  // namespace oracle

// The case and width rules' conversions into a string of their own.
std::wstring CapitalizeFirst(std::wstring_view s);
std::wstring CapitalizeWords(std::wstring_view s);
// The width rule (WidthConverter) over a whole text, one conversion at a time.
std::wstring ConvertWidth(std::wstring_view s, WidthFlags flags);
std::wstring HalfKanaToWide(std::wstring_view s);
