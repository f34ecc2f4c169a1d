#include "engine/DatePattern.h"

// The pattern renderer comes with the date rule; until then a preset shows as written.
std::string RenderDatePatternNow(std::string_view pattern) { return std::string(pattern); }
