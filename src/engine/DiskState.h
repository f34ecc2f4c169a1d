// What the listed folders hold, as their last listing showed them: every entry by its name
// folded the way the file system compares names (letter case ignored), with its attributes.
// The preview's check, the rename run and the undo read names from here, so that none of
// them asks the disk once per row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fs {
struct Entry;
}

// A set of byte strings with an index each (0, 1, 2... in the order of insertion), the keys
// kept in one buffer: a folder of 100,000 names costs no allocation per name.
class NameTable {
 public:
  static constexpr std::uint32_t npos = 0xFFFFFFFFu;

  static std::uint32_t Hash(std::string_view key);
  std::uint32_t Find(std::string_view key, std::uint32_t hash) const;
  // The key's index; a missing key is added with the next index.
  std::uint32_t Insert(std::string_view key, std::uint32_t hash);
  std::size_t size() const { return count_; }
  // Empties the table and keeps its memory.
  void Clear();

 private:
  struct Slot {
    std::uint32_t hash = 0, offset = 0, length = 0, index = npos;
  };
  void Grow();
  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::string keys_;
  std::uint32_t count_ = 0;
};

// The name as the file system compares it: upper case, as the code page's case pairs go.
void FoldName(std::string_view name, std::string& out);

// One folder's entries ("." and ".." left out), by folded name.
class FolderState {
 public:
  struct Info {
    std::uint32_t attributes = 0;
    std::uint32_t count = 0;  // entries of this folded name (a case-sensitive disk has several)
  };

  // Reads the folder's listing; false (and empty) when it can't be listed.
  bool List(const std::string& folder);
  void Add(const fs::Entry& entry);
  void Add(std::string_view name, std::uint32_t attributes);
  // The index of the folded name, or NameTable::npos.
  std::uint32_t Find(std::string_view folded) const { return names_.Find(folded, NameTable::Hash(folded)); }
  // A name's count goes up (a file moved in) or down (moved away).
  void Arrive(std::string_view folded, std::uint32_t attributes);
  void Leave(std::uint32_t index) {
    if (info_[index].count > 0) --info_[index].count;
  }
  Info& operator[](std::uint32_t index) { return info_[index]; }
  const Info& operator[](std::uint32_t index) const { return info_[index]; }
  std::size_t size() const { return info_.size(); }

 private:
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
  void Clear() { folders_.clear(); }
  bool Known(std::string_view folder) const;

 private:
  std::unordered_map<std::string, FolderState> folders_;
  std::string key_;
};
