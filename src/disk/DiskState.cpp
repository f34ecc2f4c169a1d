#include "disk/DiskState.h"

#include <cstring>
#include <utility>

#include "disk/FileSystem.h"
#include "text/sjis.h"

std::uint32_t NameTable::Hash(std::string_view key) {
  // FNV-1a, as FoldedName hashes while it folds.
  std::uint32_t h = 2166136261u;
  for (char c : key) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  return h;
}

std::uint32_t NameTable::Insert(std::string_view key, std::uint32_t hash) {
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

namespace {

constexpr std::uint32_t kFnvBasis = 2166136261u, kFnvPrime = 16777619u;

// Calls visit(code, position, bytes) for each character of s with its upper-case code;
// false as soon as a character needs more than the table.
template <typename Visit>
bool ForEachFolded(std::string_view s, const std::uint16_t* table, Visit&& visit) {
  for (std::size_t i = 0; i < s.size();) {
    unsigned index = static_cast<unsigned char>(s[i]);
    std::size_t bytes = 1;
    if (sjis::IsLeadByte(static_cast<unsigned char>(index)) && i + 1 < s.size()) {
      index = index << 8 | static_cast<unsigned char>(s[i + 1]);
      bytes = 2;
    }
    std::uint16_t code = table[index];
    if (code >= sjis::kCaseSpecial) return false;
    visit(code, i, bytes);
    i += bytes;
  }
  return true;
}

}  // namespace

bool FoldedName::Fold(std::string_view first, std::string_view second) {
  first_ = first;
  second_ = second;
  refusedChar_ = false;
  lastDot_ = std::string_view::npos;
  std::uint32_t h = kFnvBasis, units = 0, utf8 = 0;
  const std::uint16_t* table = sjis::UpperCodes();
  const std::uint8_t* lengths = sjis::Utf8Lengths();
  const std::string_view* piece = &first;
  std::size_t offset = 0;
  auto visit = [&](std::uint16_t code, std::size_t at, std::size_t bytes) {
    ++units;
    unsigned index = static_cast<unsigned char>((*piece)[at]);
    if (bytes == 2) index = index << 8 | static_cast<unsigned char>((*piece)[at + 1]);
    utf8 += lengths[index];
    if (bytes == 1) {
      const char c = (*piece)[at];
      if (c == '.') lastDot_ = offset + at;
      refusedChar_ |= fs::RefusedInName(static_cast<unsigned char>(c));
    }
    if (code >= 0x100) {
      h = (h ^ (code >> 8)) * kFnvPrime;
    }
    h = (h ^ (code & 0xFF)) * kFnvPrime;
  };
  if (!ForEachFolded(first, table, visit)) return false;
  offset = first.size();
  piece = &second;
  if (!ForEachFolded(second, table, visit)) return false;
  hash_ = h;
  units_ = units;
  utf8_ = utf8;
  return true;
}

bool FoldedName::Equals(std::string_view folded) const {
  std::size_t at = 0;
  bool same = true;
  auto compare = [&](std::uint16_t code, std::size_t, std::size_t) {
    if (!same) return;
    if (code >= 0x100) {
      if (at >= folded.size() || static_cast<unsigned char>(folded[at]) != (code >> 8)) same = false;
      ++at;
    }
    if (at >= folded.size() || static_cast<unsigned char>(folded[at]) != (code & 0xFF)) same = false;
    ++at;
  };
  const std::uint16_t* table = sjis::UpperCodes();
  return ForEachFolded(first_, table, compare) && ForEachFolded(second_, table, compare) && same &&
         at == folded.size();
}

namespace {
std::uint32_t NextSerial() {
  static std::uint32_t serial = 0;
  return ++serial;
}
}  // namespace

void FoldName(std::string_view name, std::string& out) {
  out.clear();
  sjis::AppendUpper(name, out);
}

bool FolderState::List(const std::string& folder) {
  *this = FolderState();
  bool listed = false;
  if (fs::IsFolder(folder)) {
    fs::FolderSearch search(folder);
    fs::Entry e;
    while (search.Next(e)) Add(e);
    listed = !search.failed();
  }
  // A listing cut short is no listing: none of its entries is known for certain.
  if (!listed) *this = FolderState();
  readable_ = listed;
  return listed;
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
  state.serial_ = NextSerial();
  state.limit_ = fs::NameLimitOf(folder);
  return state;
}

void DiskState::Store(const std::string& folder, FolderState state) {
  FoldName(folder, key_);
  state.serial_ = NextSerial();
  state.limit_ = fs::NameLimitOf(folder);
  folders_[key_] = std::move(state);
}

void DiskState::Forget(std::string_view folder) {
  FoldName(folder, key_);
  if (folders_.erase(key_)) ++generation_;
}

void DiskState::NoteLink(std::string_view path) {
  std::string key;
  FoldName(path, key);
  links_.insert(std::move(key));
}

bool DiskState::IsLink(std::string_view path) const {
  std::string key;
  FoldName(path, key);
  return links_.count(key) != 0;
}
