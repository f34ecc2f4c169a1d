// What the listed folders hold, as their last listing showed them: every entry by its name
// folded the way the file system compares names (letter case ignored), with its attributes.
// The preview's check, the rename run and the undo read names from here, so that none of
// them asks the disk once per row.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "os/FileSystem.h"
#include "rules/NameTable.h"
#include "rules/RenameList.h"

namespace disk {

// One folder's entries ("." and ".." left out), by folded name.
class FolderState {
 public:
  struct Info {
    std::uint32_t attributes = 0;
    std::uint32_t count = 0;  // entries of this folded name (a case-sensitive disk has several)
  };
  // What the folder's own listing told of an entry (UTC file times in 100 ns units).
  struct Facts {
    std::uint64_t size = 0, lastWrite = 0, creation = 0;
  };

  // Reads the folder's listing; false (and empty, and not readable) when it can't be listed.
  bool List(const std::wstring& folder);
  // False when the last listing failed: the folder is gone or can't be read, so what it
  // holds is not known (an empty listing would call every row's file gone).
  bool readable() const { return readable_; }
  void Add(const fs::Entry& entry);
  void Add(std::wstring_view name, std::uint32_t attributes);
  // Under Wine, the links the listing didn't show (they point nowhere): their names are held.
  // Read once per listing, when a plan first looks at the folder (an intake's listing goes
  // without: most folders are never renamed in).
  void AddUnlistedLinks(const std::wstring& folder);
  // The index of the folded name, or NameTable::npos.
  std::uint32_t Find(std::wstring_view folded) const { return names_.Find(folded, rules::NameTable::Hash(folded)); }
  // A name's count goes up (a file moved in) or down (moved away); Arrive gives its index.
  std::uint32_t Arrive(std::wstring_view folded, std::uint32_t attributes);
  void Leave(std::uint32_t index) {
    if (info_[index].count > 0) --info_[index].count;
  }
  // What List read of the entry at index; null when not known (a listing the intake made, an
  // entry the program moved in, or one of several of its folded name).
  const Facts* facts(std::uint32_t index) const {
    return index < facts_.size() && facts_[index].lastWrite != 0 ? &facts_[index] : nullptr;
  }
  Info& operator[](std::uint32_t index) { return info_[index]; }
  const Info& operator[](std::uint32_t index) const { return info_[index]; }
  std::size_t size() const { return info_.size(); }
  // The longest name the folder's volume holds.
  const fs::NameLimit& limit() const { return limit_; }

 private:
  friend class DiskState;
  bool readable_ = true;
  bool linksRead_ = false;
  fs::NameLimit limit_;
  rules::NameTable names_;
  std::vector<Info> info_;
  std::vector<Facts> facts_;  // by index, from List only: the intake's listings go without
  std::wstring scratch_;
};

// The rename plan's per-row state, kept here from one plan to the next: a check of 100,000
// rows would allocate (and the platform clear) megabytes each time (RenamePlan.h).
struct PlanMemory;

// The states of every folder the list has rows of, by folded folder path.
class DiskState {
 public:
  DiskState();
  ~DiskState();
  DiskState(const DiskState&) = delete;
  DiskState& operator=(const DiskState&) = delete;
  // For one plan at a time.
  PlanMemory& planMemory() { return *planMemory_; }
  // The folder's state, listed now when it isn't known. folder ends in "\".
  FolderState& Folder(const std::wstring& folder);
  // A listing the intake read anyway; it replaces what was known. With the limit of its
  // volume where the caller knows it (a walk that never crosses a link or a mount point stays
  // on the volume it started on), else asked.
  void Store(const std::wstring& folder, FolderState state, const fs::NameLimit* limit = nullptr);
  // Listed again when next asked: after the program's own moves, or to catch up with the disk.
  void Forget(std::wstring_view folder);
  // The folder and every folder inside it: after the folder was renamed.
  void ForgetTree(std::wstring_view folder);
  void Clear() {
    folders_.clear();
    fresh_.clear();
    folderLinks_.clear();
  }
  // A folder as the intake found it: its final path (with its "\") and its identity. Every
  // move of a row checks that the folder is still that one: a folder on the way swapped for a
  // link, or for another folder, between the intake and the run, is not the folder listed.
  struct TakenFolder {
    std::wstring finalPath;
    fs::FileId id;
  };
  // Recorded once per folder (ends in "\"), until ForgetTakenIn.
  void TakeIn(const std::wstring& folder);
  const TakenFolder* TakenIn(std::wstring_view folder) const;
  // The list was cleared: its folders are no longer known.
  void ForgetTakenIn() { takenIn_.clear(); }
  // The rows of the folders listed since the last call take what the listing told of their
  // files (size and times): no file-system call, only the listings read anyway.
  void RefreshRows(rules::RenameList& list);
  // Files found to be links to another folder: the checks refuse them from now on.
  void NoteLink(std::wstring_view path);
  bool HasLinks() const { return !links_.empty(); }
  bool IsLink(std::wstring_view path) const;
  // Whether the folder at path (no trailing "\") reaches another place than itself: a link
  // or junction, or under Wine a Linux link to a folder. Asked once per path until Clear.
  bool IsFolderLink(const std::wstring& path);

 private:
  std::unordered_map<std::wstring, FolderState> folders_;
  std::unordered_set<std::wstring> links_;  // folded paths
  std::unordered_set<std::wstring> fresh_;  // folded folders listed since the last RefreshRows
  std::unordered_map<std::wstring, bool> folderLinks_;  // by folded path
  std::unordered_map<std::wstring, TakenFolder> takenIn_;  // by folded path
  std::unique_ptr<PlanMemory> planMemory_;
  std::wstring key_;
};

}  // namespace disk
