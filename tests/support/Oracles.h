// What the tests hold the program's text conversions against.
#pragma once

#include <string>
#include <string_view>

#include "text/StringEx.h"

namespace oracle {

// The platform's case mapping of a whole CP932 text, asked of CharUpperBuffW/CharLowerBuffW
// on its UTF-16 form (code page 932 named): what sjis::Upper/Lower's tables must give.
// Invalid characters stay as they are between mapped runs.
std::string PlatformUpper(std::string_view s);
std::string PlatformLower(std::string_view s);

}  // namespace oracle

// The case and width rules' conversions into a string of their own.
std::string CapitalizeFirst(std::string_view s);
std::string CapitalizeWords(std::string_view s);
// The width rule (WidthConverter) over a whole text, one conversion at a time.
std::string ConvertWidth(std::string_view s, WidthFlags flags);
std::string HalfKanaToWide(std::string_view s);
