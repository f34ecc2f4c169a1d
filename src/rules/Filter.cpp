#include "rules/Filter.h"

#include <string>

#include "text/sjis.h"

namespace rules {

namespace {

bool HasEntry(std::string_view list, std::string_view item) {
  return ForEachFilterEntry(list, [&](std::string_view entry) { return sjis::EqualsIgnoringAsciiCase(entry, item); });
}

}  // namespace

bool MatchesFilter(std::string_view path, std::string_view filterNames, std::string_view filterExts) {
  std::string_view name = sjis::FileName(path);
  return HasEntry(filterNames, name) || HasEntry(filterExts, sjis::Extension(name));
}

}  // namespace rules
