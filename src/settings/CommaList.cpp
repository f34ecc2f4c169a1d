#include "settings/CommaList.h"

#include "text/sjis.h"

namespace settings {

namespace {

// No trail byte of CP932 is below 0x40, so these byte tests never match half a character.
bool IsBlank(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b >= 1 && b <= 32;
}

// The next character's end: a lead byte takes the next byte as its trail only where that can
// be one, so a lead byte alone before a quote, blank or "," leaves it standing.
std::size_t Next(std::string_view s, std::size_t i) {
  if (i + 1 < s.size() && sjis::IsLeadByte(static_cast<unsigned char>(s[i])) &&
      static_cast<unsigned char>(s[i + 1]) >= 0x40) {
    return i + 2;
  }
  return i + 1;
}

bool NeedsQuotes(std::string_view item, bool last) {
  if (item.empty()) return last;  // an empty item in the middle reads back from ",,"
  if (item.front() == '"') return true;
  for (char c : item) {
    if (static_cast<unsigned char>(c) < '!' || c == ',') return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> ReadCommaList(std::string_view value, std::size_t maxItems) {
  std::vector<std::string> items;
  std::size_t i = 0;
  const std::size_t n = value.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(value[i])) ++i;
  };
  skipBlanks();
  while (i < n && items.size() < maxItems) {
    std::string item;
    if (value[i] == '"') {
      ++i;
      while (i < n) {
        if (value[i] == '"') {
          if (i + 1 < n && value[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        std::size_t next = Next(value, i);
        item.append(value.substr(i, next - i));
        i = next;
      }
    } else {
      std::size_t start = i;
      while (i < n && !IsBlank(value[i]) && value[i] != ',') i = Next(value, i);
      item.assign(value.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (i < n && value[i] == ',') {
      ++i;
      skipBlanks();
    }
  }
  return items;
}

std::string WriteCommaList(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const std::string& item = items[k];
    if (k > 0) out += ',';
    if (!NeedsQuotes(item, k + 1 == items.size())) {
      out += item;
      continue;
    }
    out += '"';
    for (char c : item) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

std::string JoinPresets(const std::vector<std::string>& presets) { return WriteCommaList(presets); }

}  // namespace settings
