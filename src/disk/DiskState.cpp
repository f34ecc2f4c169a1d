#include "disk/DiskState.h"

#include <cstring>
#include <utility>

#include "os/FileSystem.h"
#include "disk/RenamePlan.h"
#include "text/utf16.h"

using rules::FoldName;
using rules::NameTable;

namespace disk {

namespace {
std::uint64_t Ticks(const FILETIME& t) { return std::uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; }
}  // namespace

bool FolderState::List(const std::wstring& folder) {
  *this = FolderState();
  bool listed = false;
  if (fs::IsFolder(folder)) {
    fs::FolderSearch search(folder);
    fs::Entry e;
    while (search.Next(e)) {
      if (e.name == L"." || e.name == L"..") continue;
      FoldName(e.name, scratch_);
      const std::uint32_t i = Arrive(scratch_, e.attributes);
      if (facts_.size() <= i) facts_.resize(i + 1);
      if (info_[i].count == 1) facts_[i] = Facts{e.size, Ticks(e.lastWrite), Ticks(e.creation)};
    }
    listed = !search.failed();
  }
  // A listing cut short is no listing: none of its entries is known for certain.
  if (!listed) *this = FolderState();
  readable_ = listed;
  return listed;
}

void FolderState::Add(const fs::Entry& entry) { Add(entry.name, entry.attributes); }

void FolderState::Add(std::wstring_view name, std::uint32_t attributes) {
  if (name == L"." || name == L"..") return;
  FoldName(name, scratch_);
  Arrive(scratch_, attributes);
}

void FolderState::AddUnlistedLinks(const std::wstring& folder) {
  if (linksRead_ || !readable_) return;
  linksRead_ = true;
  for (const std::wstring& name : fs::LinkNames(folder)) {
    FoldName(name, scratch_);
    const std::uint32_t i = Find(scratch_);
    if (i == rules::NameTable::npos || info_[i].count == 0) Arrive(scratch_, FILE_ATTRIBUTE_REPARSE_POINT);
  }
}

std::uint32_t FolderState::Arrive(std::wstring_view folded, std::uint32_t attributes) {
  std::uint32_t i = names_.Insert(folded, NameTable::Hash(folded));
  if (i == info_.size()) info_.push_back(Info{});
  Info& info = info_[i];
  // Of several entries of one folded name, a folder among them decides: nothing moves onto it.
  if (info.count == 0 || (attributes & FILE_ATTRIBUTE_DIRECTORY)) info.attributes = attributes;
  // Another file now, or one of several: what the listing told is not known of it.
  if (i < facts_.size()) facts_[i] = Facts{};
  ++info.count;
  return i;
}

DiskState::DiskState() : planMemory_(std::make_unique<PlanMemory>()) {}
DiskState::~DiskState() = default;

FolderState& DiskState::Folder(const std::wstring& folder) {
  FoldName(folder, key_);
  auto it = folders_.find(key_);
  if (it != folders_.end()) return it->second;
  FolderState& state = folders_[key_];
  state.List(folder);
  state.limit_ = fs::NameLimitOf(folder);
  fresh_.insert(key_);
  return state;
}

void DiskState::RefreshRows(rules::RenameList& list) {
  if (fresh_.empty()) return;
  const std::wstring* lastFolder = nullptr;
  const FolderState* state = nullptr;
  std::wstring name;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const rules::RenameEntry& row = list[i];
    // Rows of one folder mostly come in runs: the folder is looked up once per run.
    if (!lastFolder || *lastFolder != row.folder()) {
      lastFolder = &row.folder();
      FoldName(row.folder(), key_);
      auto it = fresh_.count(key_) ? folders_.find(key_) : folders_.end();
      state = it != folders_.end() && it->second.readable() ? &it->second : nullptr;
    }
    if (!state) continue;
    FoldName(row.fileName, name);
    const std::uint32_t at = state->Find(name);
    if (at == NameTable::npos) continue;
    if (const FolderState::Facts* f = state->facts(at); f && (*state)[at].count == 1)
      list.SetFacts(i, f->size, f->lastWrite, f->creation);
  }
  fresh_.clear();
}

void DiskState::Store(const std::wstring& folder, FolderState state, const fs::NameLimit* limit) {
  FoldName(folder, key_);
  state.limit_ = limit ? *limit : fs::NameLimitOf(folder);
  folders_[key_] = std::move(state);
  fresh_.erase(key_);  // the intake gave its rows what it read
}

void DiskState::Forget(std::wstring_view folder) {
  FoldName(folder, key_);
  folders_.erase(key_);
  fresh_.erase(key_);
}

void DiskState::ForgetTree(std::wstring_view folder) {
  FoldName(folder, key_);
  if (key_.empty() || key_.back() != L'\\') key_ += L'\\';
  std::erase_if(folders_, [&](const auto& f) { return f.first.starts_with(key_); });
  std::erase_if(fresh_, [&](const std::wstring& f) { return f.starts_with(key_); });
  key_.pop_back();
  std::erase_if(folderLinks_, [&](const auto& f) { return f.first.starts_with(key_); });
}

void DiskState::TakeIn(const std::wstring& folder) {
  FoldName(folder, key_);
  if (takenIn_.count(key_)) return;
  TakenFolder taken;
  if (!fs::EntryId(folder, taken.id, &taken.finalPath)) return;
  takenIn_.emplace(key_, std::move(taken));
}

const DiskState::TakenFolder* DiskState::TakenIn(std::wstring_view folder) const {
  std::wstring key;
  FoldName(folder, key);
  auto it = takenIn_.find(key);
  return it == takenIn_.end() ? nullptr : &it->second;
}

bool DiskState::IsFolderLink(const std::wstring& path) {
  FoldName(path, key_);
  auto it = folderLinks_.find(key_);
  if (it != folderLinks_.end()) return it->second;
  // A folder that is itself is reached at its parent's final path and its own name.
  const bool link = !fs::ReachedItself(fs::FinalPath(path), fs::FinalFolderPath(utf16::FolderPart(path)), path);
  folderLinks_.emplace(key_, link);
  return link;
}

void DiskState::NoteLink(std::wstring_view path) {
  std::wstring key;
  FoldName(path, key);
  links_.insert(std::move(key));
}

bool DiskState::IsLink(std::wstring_view path) const {
  std::wstring key;
  FoldName(path, key);
  return links_.count(key) != 0;
}

}  // namespace disk
