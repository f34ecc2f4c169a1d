// The folders a run (or an undo) moved, in the order it moved them, to bring the rows inside
// them along afterwards: one pass over the rows at the end rather than one per folder move.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

class FolderMoves {
 public:
  // The folder at `from` now bears `to` (full paths, without a trailing "\").
  void Add(const std::wstring& from, const std::wstring& to);
  bool empty() const { return moves_.empty(); }

  // A folder path (ending in "\") as it was before every move added so far: where a row
  // found there at the start stood.
  std::wstring Before(const std::wstring& folder) const;
  // Every row whose folder lies inside a moved folder takes the folder's path after all the
  // moves, in the order they were made; its root keeps pointing at the same folder.
  void ApplyTo(rules::RenameList& list) const;

 private:
  struct Step {
    std::wstring from, to;  // with the trailing "\"
  };
  // A path after the moves from `first` on; each replaced prefix's length, before and after.
  std::wstring After(const std::wstring& folder, std::vector<std::pair<std::uint32_t, std::uint32_t>>* cuts) const;
  std::vector<Step> moves_;
  // Moves by the folded path they left and the one they reached, in the order made.
  std::unordered_map<std::wstring, std::vector<std::uint32_t>> byFrom_, byTo_;
};

}  // namespace disk
