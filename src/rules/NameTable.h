// Tables of names: texts by index and hash, and the folded form of a name by which
// the file system compares names. Pure: nothing here asks the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rules {

// A set of texts with an index each (0, 1, 2... in the order of insertion), the keys
// kept in one buffer: a folder of 100,000 names costs no allocation per name.
class NameTable {
 public:
  static constexpr std::uint32_t npos = 0xFFFFFFFFu;

  static std::uint32_t Hash(std::wstring_view key);
  std::uint32_t Find(std::wstring_view key, std::uint32_t hash) const {
    return FindIf(hash, [&](std::wstring_view stored) { return stored == key; });
  }
  // The index of the key with this hash for which equal(key) holds, or npos: for a caller
  // that compares without making the key.
  template <typename Equal>
  std::uint32_t FindIf(std::uint32_t hash, Equal&& equal) const;
  // The key's index; a missing key is added with the next index.
  std::uint32_t Insert(std::wstring_view key, std::uint32_t hash);
  std::size_t size() const { return count_; }
  std::wstring_view Key(std::uint32_t index) const {
    return std::wstring_view(keys_).substr(spans_[index].first, spans_[index].second);
  }

 private:
  struct Slot {
    std::uint32_t hash = 0, index = npos;
  };
  void Grow();
  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::wstring keys_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_;  // per index: offset, length
  std::uint32_t count_ = 0;
};

template <typename Equal>
std::uint32_t NameTable::FindIf(std::uint32_t hash, Equal&& equal) const {
  if (slots_.empty()) return npos;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.index == npos) return npos;
    if (s.hash == hash && equal(Key(s.index))) return s.index;
  }
}

// Values by a hash that stands for a key the caller knows how to compare: the names the run
// moves files to, each by the row that moves there.
class HashIndex {
 public:
  // Empties it and keeps its memory.
  void Clear();
  // Room for n values without growing on the way.
  void Reserve(std::size_t n);
  void Insert(std::uint32_t hash, std::uint32_t value);
  // Whether some value of this hash satisfies match(value).
  template <typename Match>
  bool Any(std::uint32_t hash, Match&& match) const;

 private:
  struct Slot {
    std::uint32_t hash = 0, value = 0xFFFFFFFFu;
  };
  void Grow();
  std::vector<Slot> slots_;
  std::uint32_t count_ = 0;
};

template <typename Match>
bool HashIndex::Any(std::uint32_t hash, Match&& match) const {
  if (count_ == 0) return false;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.value == 0xFFFFFFFFu) return false;
    if (s.hash == hash && match(s.value)) return true;
  }
}

// The name as the file system compares it: each unit upper-cased (utf16::FoldName).
void FoldName(std::wstring_view name, std::wstring& out);

}  // namespace rules
