#include "disk/FolderMoves.h"

#include <algorithm>
#include <utility>

#include "rules/NameTable.h"
#include "rules/RenameList.h"

using rules::FoldName;

namespace disk {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// Calls visit(length, folded) for each folder the path lies in, itself included: each
// prefix that ends in "\".
template <typename Visit>
void ForEachPrefix(const std::wstring& path, Visit visit) {
  std::wstring folded;
  for (std::size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    FoldName(std::wstring_view(path).substr(0, at + 1), folded);
    visit(at + 1, folded);
  }
}

}  // namespace

void FolderMoves::Add(const std::wstring& from, const std::wstring& to) {
  const auto k = static_cast<std::uint32_t>(moves_.size());
  moves_.push_back(Step{from + L'\\', to + L'\\'});
  std::wstring key;
  FoldName(moves_.back().from, key);
  byFrom_[key].push_back(k);
  FoldName(moves_.back().to, key);
  byTo_[key].push_back(k);
}

// Move by move, in the order made: the first move from `next` on that left a folder the path
// lies in takes it along, and so on from the move after it.
std::wstring FolderMoves::After(const std::wstring& folder,
                               std::vector<std::pair<std::uint32_t, std::uint32_t>>* cuts) const {
  std::wstring path = folder;
  for (std::uint32_t next = 0;;) {
    std::uint32_t best = kNone;
    std::size_t length = 0;
    ForEachPrefix(path, [&](std::size_t n, const std::wstring& key) {
      auto it = byFrom_.find(key);
      if (it == byFrom_.end()) return;
      auto k = std::lower_bound(it->second.begin(), it->second.end(), next);
      if (k != it->second.end() && *k < best) best = *k, length = n;
    });
    if (best == kNone) return path;
    const std::wstring& to = moves_[best].to;
    if (cuts) cuts->emplace_back(static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(to.size()));
    path = to + path.substr(length);
    next = best + 1;
  }
}

// The same, backwards: the last move that reached a folder the path lies in, and so on before it.
std::wstring FolderMoves::Before(const std::wstring& folder) const {
  std::wstring path = folder;
  for (std::uint32_t end = static_cast<std::uint32_t>(moves_.size());;) {
    std::uint32_t best = kNone;
    std::size_t length = 0;
    ForEachPrefix(path, [&](std::size_t n, const std::wstring& key) {
      auto it = byTo_.find(key);
      if (it == byTo_.end()) return;
      auto k = std::lower_bound(it->second.begin(), it->second.end(), end);
      if (k == it->second.begin()) return;
      --k;
      if (best == kNone || *k > best) best = *k, length = n;
    });
    if (best == kNone) return path;
    path = moves_[best].from + path.substr(length);
    end = best;
  }
}

void FolderMoves::ApplyTo(rules::RenameList& list) const {
  if (moves_.empty()) return;
  struct Result {
    std::wstring folder;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> cuts;
  };
  // Rows of one folder share its answer: one look per folder, not per row.
  std::unordered_map<std::wstring, Result> known;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const rules::RenameEntry& row = list[i];
    auto it = known.find(row.folder());
    if (it == known.end()) {
      Result r;
      r.folder = After(row.folder(), &r.cuts);
      it = known.emplace(row.folder(), std::move(r)).first;
    }
    const Result& r = it->second;
    if (r.cuts.empty()) continue;
    // A moved folder at or above the place the row's root points to shifts the root by the
    // difference of its names; one below it leaves the root alone.
    std::uint32_t root = row.root();
    for (auto [before, after] : r.cuts) {
      if (before <= root) root = root - before + after;
    }
    list.SetFolder(i, r.folder, root);
  }
}

}  // namespace disk
