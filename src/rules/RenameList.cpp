#include "rules/RenameList.h"

#include <algorithm>
#include <iterator>
#include <numeric>

#include "os/Collate.h"
#include "text/sjis.h"

namespace rules {

std::string_view RenameEntry::BaseName() const { return sjis::BaseName(fileName); }
std::string_view RenameEntry::Extension() const { return sjis::Extension(fileName); }

namespace {
std::uint32_t ExtensionStartOf(std::string_view fileName) {
  std::size_t dot = sjis::ExtensionStart(fileName);
  return static_cast<std::uint32_t>(dot == sjis::npos ? fileName.size() : dot);
}
}  // namespace

std::string RenameEntry::NewPath() const {
  std::string path = folder;
  path += newName;
  path += Extension();
  return path;
}

void RenameList::Add(std::string fileName, std::string folder) {
  RenameEntry e;
  e.sortKey_ = os::SortKey(fileName);
  e.fileName = std::move(fileName);
  e.extensionStart_ = ExtensionStartOf(e.fileName);
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
  rows_[i].sortKey_ = os::SortKey(fileName);
  rows_[i].fileName = std::move(fileName);
  rows_[i].extensionStart_ = ExtensionStartOf(rows_[i].fileName);
  if (sorting_ && batch_ == 0) Sort();
}

void RenameList::Remove(std::size_t i) {
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
}

template <typename Pred>
void RenameList::RemoveWhere(Pred remove) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (remove(i, rows_[i])) continue;
    if (kept != i) rows_[kept] = std::move(rows_[i]);
    ++kept;
  }
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(kept), rows_.end());
}

void RenameList::RemoveRows(const std::vector<bool>& remove) {
  RemoveWhere([&](std::size_t i, const RenameEntry&) { return i < remove.size() && remove[i]; });
}

void RenameList::RemoveSelected() {
  RemoveWhere([](std::size_t, const RenameEntry& r) { return r.selected; });
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
  // Positions are sorted and the rows then moved along their cycles in place: sorting the
  // rows themselves would hold a second copy of them (10 MB at 100,000 rows) meanwhile.
  std::vector<std::size_t> from(rows_.size());
  std::iota(from.begin(), from.end(), std::size_t{0});
  std::stable_sort(from.begin(), from.end(),
                   [this](std::size_t a, std::size_t b) { return rows_[a].sortKey_ < rows_[b].sortKey_; });
  // from[k] is the position whose row goes to k.
  for (std::size_t start = 0; start < from.size(); ++start) {
    if (from[start] == start) continue;
    RenameEntry held = std::move(rows_[start]);
    std::size_t k = start;
    while (from[k] != start) {
      std::size_t next = from[k];
      rows_[k] = std::move(rows_[next]);
      from[k] = k;
      k = next;
    }
    rows_[k] = std::move(held);
    from[k] = k;
  }
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

void RenameList::SetMark(std::size_t i, RuleMark mark) {
  rows_[i].mark_ = mark;
  if (mark != RuleMark::None) ++marks_;
}

void RenameList::ClearMarks() {
  if (marks_ == 0) return;
  for (RenameEntry& row : rows_) row.mark_ = RuleMark::None;
  marks_ = 0;
}

void RenameList::SetFailure(std::size_t i, std::uint32_t error) {
  rows_[i].failure = error;
  if (error != 0) ++failures_;
}

void RenameList::ClearFailures() {
  if (failures_ == 0) return;
  for (RenameEntry& row : rows_) row.failure = 0;
  failures_ = 0;
}

}  // namespace rules
