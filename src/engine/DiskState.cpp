#include "engine/DiskState.h"

#include <cstring>
#include <utility>

#include "engine/FileSystem.h"
#include "text/sjis.h"

std::uint32_t NameTable::Hash(std::string_view key) {
  // FNV-1a: names are short, and this is cheaper than the table's cache misses.
  std::uint32_t h = 2166136261u;
  for (char c : key) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

std::uint32_t NameTable::Find(std::string_view key, std::uint32_t hash) const {
  if (slots_.empty()) return npos;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.index == npos) return npos;
    if (s.hash == hash && s.length == key.size() && std::memcmp(keys_.data() + s.offset, key.data(), key.size()) == 0) {
      return s.index;
    }
  }
}

std::uint32_t NameTable::Insert(std::string_view key, std::uint32_t hash) {
  if ((count_ + 1) * 2 > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.index == npos) {
      s.hash = hash;
      s.offset = static_cast<std::uint32_t>(keys_.size());
      s.length = static_cast<std::uint32_t>(key.size());
      s.index = count_++;
      keys_.append(key);
      return s.index;
    }
    if (s.hash == hash && s.length == key.size() && std::memcmp(keys_.data() + s.offset, key.data(), key.size()) == 0) {
      return s.index;
    }
  }
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

void NameTable::Clear() {
  if (count_ == 0) return;
  std::fill(slots_.begin(), slots_.end(), Slot{});
  keys_.clear();
  count_ = 0;
}

void FoldName(std::string_view name, std::string& out) {
  out.clear();
  sjis::AppendUpper(name, out);
}

bool FolderState::List(const std::string& folder) {
  *this = FolderState();
  if (!fs::IsFolder(folder)) return false;
  fs::ForEachEntry(folder, [&](const fs::Entry& e) { Add(e); });
  return true;
}

void FolderState::Add(const fs::Entry& entry) { Add(entry.name, entry.attributes); }

void FolderState::Add(std::string_view name, std::uint32_t attributes) {
  if (name == "." || name == "..") return;
  FoldName(name, scratch_);
  Arrive(scratch_, attributes);
}

void FolderState::Arrive(std::string_view folded, std::uint32_t attributes) {
  std::uint32_t i = names_.Insert(folded, NameTable::Hash(folded));
  if (i == info_.size()) info_.push_back(Info{});
  Info& info = info_[i];
  // Of several entries of one folded name, a folder among them decides: nothing moves onto it.
  if (info.count == 0 || (attributes & FILE_ATTRIBUTE_DIRECTORY)) info.attributes = attributes;
  ++info.count;
}

FolderState& DiskState::Folder(const std::string& folder) {
  FoldName(folder, key_);
  auto it = folders_.find(key_);
  if (it != folders_.end()) return it->second;
  FolderState& state = folders_[key_];
  state.List(folder);
  return state;
}

void DiskState::Store(const std::string& folder, FolderState state) {
  FoldName(folder, key_);
  folders_[key_] = std::move(state);
}

void DiskState::Forget(std::string_view folder) {
  FoldName(folder, key_);
  folders_.erase(key_);
}

bool DiskState::Known(std::string_view folder) const {
  std::string key;
  FoldName(folder, key);
  return folders_.count(key) != 0;
}
