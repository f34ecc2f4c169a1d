#include "engine/RenameList.h"

#include <windows.h>

#include <algorithm>

#include "text/sjis.h"

std::string_view RenameEntry::BaseName() const { return sjis::BaseName(fileName); }
std::string_view RenameEntry::Extension() const { return sjis::Extension(fileName); }

std::string RenameEntry::NewPath() const {
  std::string path = folder;
  path += newName;
  path += Extension();
  return path;
}

std::string SortKey(std::string_view name) {
  // lstrcmpA is CompareString with the user default locale and no flags; a sort key of the
  // same locale and flags orders the same way, and comparing keys is a memcmp.
  std::wstring w = sjis::Widen(name);
  if (w.empty()) return std::string();
  int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, w.c_str(), static_cast<int>(w.size()),
                       nullptr, 0);
  if (n <= 0) return std::string(name);
  std::string key(static_cast<std::size_t>(n), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, w.c_str(), static_cast<int>(w.size()),
               reinterpret_cast<LPWSTR>(key.data()), n);
  while (!key.empty() && key.back() == '\0') key.pop_back();  // the key ends in a NUL byte
  return key;
}

void RenameList::Add(std::string fileName, std::string folder) {
  RenameEntry e;
  e.sortKey_ = SortKey(fileName);
  e.fileName = std::move(fileName);
  e.folder = std::move(folder);
  if (batch_ > 0 || !sorting_) {
    rows_.push_back(std::move(e));
    return;
  }
  auto at = std::upper_bound(rows_.begin(), rows_.end(), e.sortKey_,
                             [](const std::string& key, const RenameEntry& r) { return key < r.sortKey_; });
  rows_.insert(at, std::move(e));
}

void RenameList::BeginBatch() { ++batch_; }

void RenameList::EndBatch() {
  if (batch_ > 0 && --batch_ == 0 && sorting_) Sort();
}

void RenameList::SetFileName(std::size_t i, std::string fileName) {
  rows_[i].sortKey_ = SortKey(fileName);
  rows_[i].fileName = std::move(fileName);
  if (sorting_ && batch_ == 0) Sort();
}

void RenameList::Remove(std::size_t i) {
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
}

void RenameList::RemoveSelected() {
  rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [](const RenameEntry& r) { return r.selected; }),
              rows_.end());
}

void RenameList::SetSorting(bool on) {
  if (on && !sorting_) {
    sorting_ = true;
    Sort();
  } else {
    sorting_ = on;
  }
}

void RenameList::Sort() {
  // Stable: rows with equal names keep their order, so a new row stays after its equals.
  std::stable_sort(rows_.begin(), rows_.end(),
                   [](const RenameEntry& a, const RenameEntry& b) { return a.sortKey_ < b.sortKey_; });
}

void RenameList::SelectAll(bool selected) {
  for (auto& r : rows_) r.selected = selected;
}

std::size_t RenameList::SelectedCount() const {
  return static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [](auto& r) { return r.selected; }));
}

std::size_t RenameList::FirstSelected() const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].selected) return i;
  }
  return npos;
}
