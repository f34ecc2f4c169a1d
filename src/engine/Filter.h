// The filter lists that refuse files at intake by name or by extension. Pure: it only looks
// at the path's text.
#pragma once

#include <string_view>

// True when the file's name (with extension) equals an entry of filterNames, or its extension
// (with its ".") equals an entry of filterExts. The path's ASCII letters are lower-cased, the
// entries are compared as stored. Entries are separated by ";"; text after the last ";" is an
// entry too. An empty name or extension never matches, nor does an empty entry.
bool MatchesFilter(std::string_view path, std::string_view filterNames, std::string_view filterExts);
