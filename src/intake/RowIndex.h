// The rows an intake may meet again, by file, so that no file (or folder) gets a second row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "os/FileSystem.h"
#include "rules/NameTable.h"
#include "rules/RenameList.h"

namespace intake {

// The list's rows by their files, so that no file gets a second row. A row's file is its
// exact on-disk name in its folder; two spellings of one folder ("p\" and "P\", an 8.3
// alias, a link) are told the same by the folder's final path, asked only where it decides.
// The rows are indexed by name when first asked about, so a drop of folders onto an empty
// list, whose listings can't repeat a name, costs one final path per folder and no index.
// Row numbers hold while the intake only appends.
class RowIndex {
 public:
  explicit RowIndex(const rules::RenameList& list) : list_(list), before_(list.size()) {}

  // A number for each spelling of a folder.
  std::uint32_t FolderNumber(const std::wstring& folder) {
    auto [it, added] = numbers_.try_emplace(folder, static_cast<std::uint32_t>(folders_.size()));
    if (added) folders_.push_back(Folder{folder, kUnknown, false});
    return it->second;
  }

  // Whether any row may be of this folder: where the list had rows before the intake or rows
  // of many folders came in, else where a folder with rows is this one.
  bool MayHold(std::uint32_t folder) {
    if (before_ > 0 || folders_[folder].rows || withRows_.size() > kFewFolders) return true;
    for (std::uint32_t other : withRows_) {
      if (Resolved(other) == Resolved(folder)) return true;
    }
    return false;
  }

  // The row that names the file of this exact name in this folder, or kNoRow.
  static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;
  std::uint32_t Find(std::uint32_t folder, const std::wstring& name) {
    CatchUp();
    std::uint32_t found = kNoRow;
    // Folders first: a name often recurs in other folders, whose rows are then never read.
    byName_.Any(rules::NameTable::Hash(name), [&](std::uint32_t row) {
      if (!SameFolder(rowFolders_[row], folder) || list_[row].fileName != name) return false;
      found = row;
      return true;
    });
    return found;
  }

  // The row just appended is of the folder numbered `folder`.
  void Added(std::uint32_t folder) {
    const auto row = static_cast<std::uint32_t>(list_.size() - 1);
    if (runs_.empty() || runs_.back().second != folder) runs_.emplace_back(row, folder);
    if (!folders_[folder].rows) {
      folders_[folder].rows = true;
      withRows_.push_back(folder);
    }
  }

 private:
  static constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;
  static constexpr std::size_t kFewFolders = 64;

  // Indexes the rows not indexed yet: the list's own, then those appended since.
  void CatchUp() {
    for (std::size_t i = rowFolders_.size(); i < before_; ++i) {
      const bool same = i > 0 && list_[i].folder() == list_[i - 1].folder();
      Index(i, same ? rowFolders_.back() : FolderNumber(list_[i].folder()));
    }
    // The last run may grow yet, so it stays the one to go on from.
    for (; run_ < runs_.size(); ++run_) {
      const bool last = run_ + 1 == runs_.size();
      const std::size_t end = last ? list_.size() : runs_[run_ + 1].first;
      for (std::size_t i = std::max<std::size_t>(runs_[run_].first, rowFolders_.size()); i < end; ++i) {
        Index(i, runs_[run_].second);
      }
      if (last) break;
    }
  }

  void Index(std::size_t row, std::uint32_t folder) {
    rowFolders_.push_back(folder);
    byName_.Insert(rules::NameTable::Hash(list_[row].fileName), static_cast<std::uint32_t>(row));
  }

  bool SameFolder(std::uint32_t a, std::uint32_t b) { return a == b || Resolved(a) == Resolved(b); }

  // The number of the first spelling met that resolves to the same folder (its own where the
  // final path can't be told).
  std::uint32_t Resolved(std::uint32_t number) {
    Folder& f = folders_[number];
    if (f.resolved == kUnknown) {
      std::wstring path = fs::FinalPath(f.spelling);
      f.resolved = path.empty() ? number : finalPaths_.try_emplace(std::move(path), number).first->second;
    }
    return f.resolved;
  }

  struct Folder {
    std::wstring spelling;
    std::uint32_t resolved;
    bool rows;  // rows of it came in
  };
  const rules::RenameList& list_;
  const std::size_t before_;  // rows the list had before
  rules::HashIndex byName_;          // indexed rows by the hash of their file name
  std::vector<std::uint32_t> rowFolders_;  // per indexed row: its folder's number
  std::vector<std::pair<std::uint32_t, std::uint32_t>> runs_;  // appended rows: first row, folder
  std::size_t run_ = 0;                  // the run indexing goes on in
  std::vector<std::uint32_t> withRows_;  // folders with rows appended
  std::unordered_map<std::wstring, std::uint32_t> numbers_, finalPaths_;
  std::vector<Folder> folders_;  // by number
};

}  // namespace intake
