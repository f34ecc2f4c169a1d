#include "engine/RenamePlan.h"

#include <windows.h>

#include "text/sjis.h"

bool BadNewName(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); i = sjis::NextChar(name, i)) {
    char c = name[i];
    if (c == '\\' || c == '/' || c == ':') return true;
  }
  // Only dots and blanks: the file system reads such a name as the folder or its parent.
  if (name.find_first_not_of(". ") == std::string_view::npos) return true;
  std::string_view base = sjis::BaseName(name);
  return base.empty() || base == "con" || base == "prn" || base == "aux";
}

RenamePlan::RenamePlan(const RenameList& list, DiskState& disk) : list_(list), disk_(disk) {}

RenamePlan::Folder& RenamePlan::FolderOf(const std::string& folder) {
  // Rows of one folder mostly follow each other.
  if (lastFolder_ < folders_.size() && folderNames_[lastFolder_] == folder) return folders_[lastFolder_];
  auto known = index_.find(folder);
  if (known != index_.end()) {
    lastFolder_ = known->second;
    return folders_[lastFolder_];
  }
  Folder f;
  f.state = &disk_.Folder(folder);
  f.left.assign(f.state->size(), 0);
  folders_.push_back(std::move(f));
  folderNames_.push_back(folder);
  lastFolder_ = folders_.size() - 1;
  index_.emplace(folder, lastFolder_);
  return folders_.back();
}

Refusal RenamePlan::Judge(std::size_t i) {
  row_ = static_cast<std::size_t>(-1);
  const RenameEntry& row = list_[i];
  // The same name (the extension is the row's own) is no rename and no refusal.
  if (row.newName == row.BaseName()) return Refusal::None;
  std::string_view ext = row.Extension();
  scratch_.assign(row.newName).append(ext);
  if (BadNewName(scratch_)) return Refusal::BadName;

  Folder& f = FolderOf(row.folder);
  FoldName(row.fileName, ownKey_);
  own_ = f.state->Find(ownKey_);
  if (own_ >= f.left.size() || (*f.state)[own_].count <= f.left[own_]) return Refusal::Missing;
  const std::uint32_t attributes = (*f.state)[own_].attributes;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Refusal::Missing;  // a folder is no file of ours
  if (attributes & FILE_ATTRIBUTE_READONLY) return Refusal::ReadOnly;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) return Refusal::Hidden;
  if (attributes & (FILE_ATTRIBUTE_SYSTEM | 0x8)) return Refusal::System;

  FoldName(scratch_, newKey_);
  newHash_ = NameTable::Hash(newKey_);
  if (f.arrived.Find(newKey_, newHash_) != NameTable::npos) return Refusal::Duplicate;
  const std::uint32_t there = f.state->Find(newKey_);
  if (there != NameTable::npos && there < f.left.size()) {
    std::uint32_t present = (*f.state)[there].count - f.left[there];
    // A change of letter case only: the row's own file doesn't stand in its way.
    if (there == own_) --present;
    if (present > 0) {
      return ((*f.state)[there].attributes & FILE_ATTRIBUTE_DIRECTORY) ? Refusal::TakenByFolder : Refusal::Taken;
    }
  }
  row_ = i;
  return Refusal::None;
}

void RenamePlan::Moved(std::size_t i) {
  if (i != row_) return;
  Folder& f = folders_[lastFolder_];
  ++f.left[own_];
  f.arrived.Insert(newKey_, newHash_);
  row_ = static_cast<std::size_t>(-1);
}

std::size_t CheckRows(RenameList& list, DiskState& disk) {
  RenamePlan plan(list, disk);
  std::size_t refused = 0;
  for (std::size_t i = list.size(); i-- > 0;) {
    Refusal r = plan.Judge(i);
    list[i].refusal = r;
    if (r == Refusal::None) {
      plan.Moved(i);
    } else {
      ++refused;
    }
  }
  return refused;
}
