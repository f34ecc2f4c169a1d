#include "settings/History.h"

#include <algorithm>

namespace settings {

namespace {

bool IsBlankUnit(wchar_t c) { return c <= 32; }

}  // namespace

bool PushHistory(std::vector<std::wstring>& entries, std::wstring_view text, int n) {
  while (!text.empty() && IsBlankUnit(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankUnit(text.back())) text.remove_suffix(1);
  if (text.empty()) return false;
  // Entries compare exactly, unit for unit.
  entries.insert(entries.begin(), std::wstring(text));
  entries.erase(std::remove(entries.begin() + 1, entries.end(), entries.front()), entries.end());
  // One out for one in: a history loaded longer than n keeps its length until trimmed.
  if (n >= 0 && entries.size() > static_cast<std::size_t>(n)) entries.erase(entries.begin() + n);
  return true;
}

void TrimHistory(std::vector<std::wstring>& entries, int n) {
  if (n >= 0 && entries.size() > static_cast<std::size_t>(n)) entries.resize(static_cast<std::size_t>(n));
}

bool MoveToFront(std::vector<std::wstring>& entries, int p) {
  if (p <= 0 || static_cast<std::size_t>(p) >= entries.size()) return false;
  std::rotate(entries.begin(), entries.begin() + p, entries.begin() + p + 1);
  return true;
}

}  // namespace settings
