#include "engine/Filter.h"

#include <string>

#include "text/sjis.h"

namespace {

// Whether the ";"-separated list holds the item as a whole entry. Splitting at the byte ";"
// is safe: 3B is never the trail byte of a double-byte character.
bool HasEntry(std::string_view list, std::string_view item) {
  if (item.empty()) return false;
  for (std::size_t start = 0; start <= list.size();) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (list.substr(start, end - start) == item) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool MatchesFilter(std::string_view path, std::string_view filterNames, std::string_view filterExts) {
  std::string name = sjis::AsciiLower(sjis::FileName(path));
  return HasEntry(filterNames, name) || HasEntry(filterExts, sjis::Extension(name));
}
