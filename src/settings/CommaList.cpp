#include "settings/CommaList.h"

namespace settings {

namespace {

// No unit of a surrogate pair is a blank, a quote or a ",", so these tests never match half a
// character.
bool IsBlank(wchar_t c) { return c >= 1 && c <= 32; }

bool NeedsQuotes(std::wstring_view item, bool last) {
  if (item.empty()) return last;  // an empty item in the middle reads back from ",,"
  if (item.front() == L'"') return true;
  for (wchar_t c : item) {
    if (c < L'!' || c == L',') return true;
  }
  return false;
}

}  // namespace

std::vector<std::wstring> ReadCommaList(std::wstring_view value, std::size_t maxItems) {
  std::vector<std::wstring> items;
  std::size_t i = 0;
  const std::size_t n = value.size();
  auto skipBlanks = [&] {
    while (i < n && IsBlank(value[i])) ++i;
  };
  skipBlanks();
  while (i < n && items.size() < maxItems) {
    std::wstring item;
    if (value[i] == L'"') {
      ++i;
      while (i < n) {
        if (value[i] == L'"') {
          if (i + 1 < n && value[i + 1] == L'"') {
            item += L'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += value[i++];
      }
    } else {
      std::size_t start = i;
      while (i < n && !IsBlank(value[i]) && value[i] != L',') ++i;
      item.assign(value.substr(start, i - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (i < n && value[i] == L',') {
      ++i;
      skipBlanks();
    }
  }
  return items;
}

std::wstring WriteCommaList(const std::vector<std::wstring>& items) {
  std::wstring out;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const std::wstring& item = items[k];
    if (k > 0) out += L',';
    if (!NeedsQuotes(item, k + 1 == items.size())) {
      out += item;
      continue;
    }
    out += L'"';
    for (wchar_t c : item) {
      if (c == L'"') out += L'"';
      out += c;
    }
    out += L'"';
  }
  return out;
}

std::wstring JoinPresets(const std::vector<std::wstring>& presets) { return WriteCommaList(presets); }

}  // namespace settings
