#include "settings/History.h"

#include <algorithm>

namespace settings {

namespace {

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

bool PushHistory(std::vector<std::string>& entries, std::string_view text, int n) {
  // Byte-wise trim is safe: no trail byte of CP932 is 32 or less.
  while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
  if (text.empty()) return false;
  entries.insert(entries.begin(), std::string(text));
  entries.erase(std::remove(entries.begin() + 1, entries.end(), entries.front()), entries.end());
  // One out for one in: a history loaded longer than n keeps its length until trimmed.
  if (n >= 0 && entries.size() > static_cast<std::size_t>(n)) entries.erase(entries.begin() + n);
  return true;
}

void TrimHistory(std::vector<std::string>& entries, int n) {
  if (n >= 0 && entries.size() > static_cast<std::size_t>(n)) entries.resize(static_cast<std::size_t>(n));
}

bool MoveToFront(std::vector<std::string>& entries, int p) {
  if (p <= 0 || static_cast<std::size_t>(p) >= entries.size()) return false;
  std::rotate(entries.begin(), entries.begin() + p, entries.begin() + p + 1);
  return true;
}

}  // namespace settings
