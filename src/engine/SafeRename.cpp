#include "engine/SafeRename.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/RenameList.h"
#include "text/sjis.h"

namespace {

// The new file name must name an entry of the old path's folder: no other folder, no
// delimiter inside the name (a ":" would make an alternate data stream), and not a name
// made only of dots and spaces, which the file system reads as the folder or its parent.
bool StaysInFolder(std::string_view oldPath, std::string_view newPath) {
  std::string_view folder = sjis::FolderPart(oldPath);
  // "C:\a.txt:s" is a stream of a.txt, not a file of the folder; only a drive ends in ":".
  if (folder.size() > 2 && folder.back() == ':') return false;
  if (sjis::FolderPart(newPath) != folder) return false;
  std::string_view name = sjis::FileName(newPath);
  if (sjis::Contains(name, "\\") || sjis::Contains(name, "/") || sjis::Contains(name, ":")) {
    return false;
  }
  return name.find_first_not_of(". ") != std::string_view::npos;
}

}  // namespace

bool SafeRename(std::string_view oldPath, std::string_view newPath) {
  // A case-only change differs byte for byte and is carried out.
  if (newPath == oldPath) return false;
  if (!StaysInFolder(oldPath, newPath)) return false;
  std::string_view base = sjis::BaseName(newPath);
  if (base.empty()) return false;
  if (base == "con" || base == "prn" || base == "aux") return false;
  // Missing files read as all bits set, which the mask catches too.
  if (fs::Attributes(oldPath) & 0x1F) return false;
  return fs::Move(oldPath, newPath);
}

namespace {

// The run's hold on the list: sorting is off while it runs; at its end, however it ends, the
// renamed rows to clear leave in one pass (one at a time would move the rows kept behind
// them again and again) and sorting comes back on.
class RunScope {
 public:
  explicit RunScope(RenameList& list) : list_(list), cleared_(list.size(), false) { list_.SetSorting(false); }
  ~RunScope() {
    if (any_) list_.RemoveRows(cleared_);
    list_.SetSorting(true);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  // Rows are cleared from the last one down, so positions stay valid until the end.
  void Clear(std::size_t i) { cleared_[i] = any_ = true; }

 private:
  RenameList& list_;
  std::vector<bool> cleared_;
  bool any_ = false;
};

}  // namespace

bool RenameRows(RenameList& list, bool clearItems, const Progress& progress) {
  RunScope scope(list);
  const std::size_t total = list.size();
  ProgressGate gate(progress);
  std::size_t done = 0;
  // Last row first: with a shift upward (a to b, b to c) b must move out of the way first.
  for (std::size_t i = total; i-- > 0;) {
    const RenameEntry& row = list[i];
    std::string newFileName = row.newName;
    newFileName += row.Extension();
    std::string newPath = row.folder + newFileName;
    if (SafeRename(row.CurrentPath(), newPath)) {
      if (clearItems) {
        scope.Clear(i);
      } else {
        list.SetFileName(i, std::move(newFileName));
      }
    }
    if (!gate.Step(++done, total)) break;
  }
  gate.Finish(done, total);
  return done == total;
}
