#include "rules/NameTable.h"

#include <algorithm>

#include "text/utf16.h"

namespace rules {

std::uint32_t NameTable::Hash(std::wstring_view key) {
  // FNV-1a over the units' bytes.
  std::uint32_t h = 2166136261u;
  for (wchar_t c : key) {
    h ^= static_cast<std::uint32_t>(c) & 0xFF;
    h *= 16777619u;
    h ^= static_cast<std::uint32_t>(c) >> 8;
    h *= 16777619u;
  }
  return h;
}

std::uint32_t NameTable::Insert(std::wstring_view key, std::uint32_t hash) {
  // One probe: room is made first, so the slot the search ends on is where a new key goes.
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  for (; slots_[i].index != npos; i = (i + 1) & mask) {
    if (slots_[i].hash == hash && Key(slots_[i].index) == key) return slots_[i].index;
  }
  slots_[i].hash = hash;
  slots_[i].index = count_;
  spans_.emplace_back(static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()));
  keys_.append(key);
  return count_++;
}

void NameTable::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.index == npos) continue;
    std::size_t i = s.hash & mask;
    while (slots_[i].index != npos) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

void HashIndex::Clear() {
  if (count_ == 0) return;
  std::fill(slots_.begin(), slots_.end(), Slot{});
  count_ = 0;
}

void HashIndex::Insert(std::uint32_t hash, std::uint32_t value) {
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  while (slots_[i].value != 0xFFFFFFFFu) i = (i + 1) & mask;
  slots_[i] = Slot{hash, value};
  ++count_;
}

void HashIndex::Reserve(std::size_t n) {
  while (slots_.size() < 2 * (count_ + n)) Grow();
}

void HashIndex::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.value == 0xFFFFFFFFu) continue;
    std::size_t i = s.hash & mask;
    while (slots_[i].value != 0xFFFFFFFFu) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

void FoldName(std::wstring_view name, std::wstring& out) { utf16::FoldName(name, out); }

}  // namespace rules
