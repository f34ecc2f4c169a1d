// The platform's side of the date renderer: the regional names and formats read from the
// system, and the clock.
#pragma once

#include <string>
#include <string_view>

#include "rules/DatePattern.h"

namespace disk {

// The current regional names and formats (the built-in Japanese ones where the system has none).
rules::DateLocale CurrentDateLocale();
// The local date and time now.
rules::DateTime NowDateTime();
// The pattern rendered with the local date and time now and the current regional settings.
std::wstring RenderDatePatternNow(std::wstring_view pattern);

}  // namespace disk
