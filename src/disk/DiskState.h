// What the listed folders hold, as their last listing showed them: every entry by its name
// folded the way the file system compares names (letter case ignored), with its attributes.
// The preview's check, the rename run and the undo read names from here, so that none of
// them asks the disk once per row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "disk/FileSystem.h"

// A set of byte strings with an index each (0, 1, 2... in the order of insertion), the keys
// kept in one buffer: a folder of 100,000 names costs no allocation per name.
class NameTable {
 public:
  static constexpr std::uint32_t npos = 0xFFFFFFFFu;

  static std::uint32_t Hash(std::string_view key);
  std::uint32_t Find(std::string_view key, std::uint32_t hash) const {
    return FindIf(hash, [&](std::string_view stored) { return stored == key; });
  }
  // The index of the key with this hash for which equal(key) holds, or npos: for a caller
  // that compares without making the key.
  template <typename Equal>
  std::uint32_t FindIf(std::uint32_t hash, Equal&& equal) const;
  // The key's index; a missing key is added with the next index.
  std::uint32_t Insert(std::string_view key, std::uint32_t hash);
  std::size_t size() const { return count_; }
  std::string_view Key(std::uint32_t index) const {
    return std::string_view(keys_).substr(spans_[index].first, spans_[index].second);
  }

 private:
  struct Slot {
    std::uint32_t hash = 0, index = npos;
  };
  void Grow();
  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::string keys_;
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

// The name as the file system compares it: upper case, as the code page's case pairs go.
void FoldName(std::string_view name, std::string& out);

// A name given in pieces (a new base name and an extension), folded and hashed in one pass
// without writing the folded bytes, and what the pass saw of its characters: the preview's
// check does this for every row.
class FoldedName {
 public:
  // False when a character needs more than the case table; FoldName then gives the key.
  bool Fold(std::string_view first, std::string_view second);
  std::uint32_t hash() const { return hash_; }
  // Whether the folded name is exactly this folded key.
  bool Equals(std::string_view folded) const;
  // Whether it holds a character no file name holds (fs::RefusedInName), and where its last
  // "." is.
  bool refusedChar() const { return refusedChar_; }
  std::size_t lastDot() const { return lastDot_; }
  // The whole name's length in UTF-16 units and in UTF-8 bytes.
  std::uint32_t units() const { return units_; }
  std::uint32_t utf8() const { return utf8_; }

 private:
  std::string_view first_, second_;
  std::uint32_t hash_ = 0, units_ = 0, utf8_ = 0;
  bool refusedChar_ = false;
  std::size_t lastDot_ = std::string_view::npos;
};

// One folder's entries ("." and ".." left out), by folded name. A plan's simulation of a run
// (RenamePlan) counts its moves in the same entries, stamped with the plan's number, so that
// nothing is cleared between two checks; the names it moves files to are in `arrived`.
class FolderState {
 public:
  struct Info {
    std::uint32_t attributes = 0;
    std::uint32_t count = 0;  // entries of this folded name (a case-sensitive disk has several)
    std::uint32_t plan = 0;   // the plan that `left` belongs to
    std::uint32_t left = 0;   // files of this name that plan moved away
  };

  // Reads the folder's listing; false (and empty, and not readable) when it can't be listed.
  bool List(const std::string& folder);
  // False when the last listing failed: the folder is gone or can't be read, so what it
  // holds is not known (an empty listing would call every row's file gone).
  bool readable() const { return readable_; }
  void Add(const fs::Entry& entry);
  void Add(std::string_view name, std::uint32_t attributes);
  // The index of the folded name, or NameTable::npos.
  std::uint32_t Find(std::string_view folded) const { return names_.Find(folded, NameTable::Hash(folded)); }
  std::uint32_t Find(const FoldedName& name) const {
    return names_.FindIf(name.hash(), [&](std::string_view stored) { return name.Equals(stored); });
  }
  // A name's count goes up (a file moved in) or down (moved away).
  void Arrive(std::string_view folded, std::uint32_t attributes);
  void Leave(std::uint32_t index) {
    if (info_[index].count > 0) --info_[index].count;
  }
  Info& operator[](std::uint32_t index) { return info_[index]; }
  const Info& operator[](std::uint32_t index) const { return info_[index]; }
  std::size_t size() const { return info_.size(); }
  // Tells this listing from every other one read in this process: a row may keep the index
  // of its own entry as long as the serial is the same.
  std::uint32_t serial() const { return serial_; }
  // The longest name the folder's volume holds.
  const fs::NameLimit& limit() const { return limit_; }

  // The names a plan moved files to, by the rows that moved there (one plan at a time).
  HashIndex arrived;
  std::uint32_t arrivedPlan = 0;

 private:
  friend class DiskState;
  std::uint32_t serial_ = 0;
  bool readable_ = true;
  fs::NameLimit limit_;
  NameTable names_;
  std::vector<Info> info_;
  std::string scratch_;
};

// The states of every folder the list has rows of, by folded folder path.
class DiskState {
 public:
  // The folder's state, listed now when it isn't known. folder ends in "\".
  FolderState& Folder(const std::string& folder);
  // A listing the intake read anyway; it replaces what was known.
  void Store(const std::string& folder, FolderState state);
  // Listed again when next asked: after the program's own moves, or to catch up with the disk.
  void Forget(std::string_view folder);
  void Clear() {
    folders_.clear();
    ++generation_;
  }
  // Files found to be links to another folder: the checks refuse them from now on.
  void NoteLink(std::string_view path);
  bool HasLinks() const { return !links_.empty(); }
  bool IsLink(std::string_view path) const;
  // Changes whenever a folder's state may have gone: a pointer to one taken under the same
  // generation still points to it.
  std::uint32_t generation() const { return generation_; }

 private:
  std::uint32_t generation_ = 1;
  std::unordered_map<std::string, FolderState> folders_;
  std::unordered_set<std::string> links_;  // folded paths
  std::string key_;
};
