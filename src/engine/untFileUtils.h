// File dates as date-time values.
#pragma once

#include <string_view>

#include "engine/DatePattern.h"

enum FileTimeKind : unsigned char { ftCreation = 0, ftLastWrite = 1, ftLastAccess = 2 };

// The local date and time of the file time of the first directory entry matching the path
// (a folder's own time too), at DOS resolution: an even second, 0 ms. 0 when nothing is found.
DateTime GetFileDate(std::string_view path, FileTimeKind kind);
