// Rendering of date-format presets.
#pragma once

#include <string>
#include <string_view>

// The preset rendered with the current local date and time, as the date-format drop-down
// shows it.
std::string RenderDatePatternNow(std::string_view pattern);
