#include "disk/DiskState.h"

#include <cstring>
#include <utility>

#include "disk/FileSystem.h"
#include "disk/RenamePlan.h"
#include "text/sjis.h"

using rules::FoldName;
using rules::NameTable;

namespace disk {

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

DiskState::DiskState() : planMemory_(std::make_unique<PlanMemory>()) {}
DiskState::~DiskState() = default;

FolderState& DiskState::Folder(const std::string& folder) {
  FoldName(folder, key_);
  auto it = folders_.find(key_);
  if (it != folders_.end()) return it->second;
  FolderState& state = folders_[key_];
  state.List(folder);
  state.limit_ = fs::NameLimitOf(folder);
  return state;
}

void DiskState::Store(const std::string& folder, FolderState state) {
  FoldName(folder, key_);
  state.limit_ = fs::NameLimitOf(folder);
  folders_[key_] = std::move(state);
}

void DiskState::Forget(std::string_view folder) {
  FoldName(folder, key_);
  folders_.erase(key_);
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

}  // namespace disk
