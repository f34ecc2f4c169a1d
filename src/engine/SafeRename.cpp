#include "engine/SafeRename.h"

#include <string>
#include <utility>

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

void RenameRows(RenameList& list, bool clearItems) {
  list.SetSorting(false);
  // Last row first, so removing a row never shifts a row still to come.
  for (std::size_t i = list.size(); i-- > 0;) {
    const RenameEntry& row = list[i];
    std::string newFileName = row.newName;
    newFileName += row.Extension();
    std::string newPath = row.folder + newFileName;
    if (!SafeRename(row.CurrentPath(), newPath)) continue;
    if (clearItems) {
      list.Remove(i);
    } else {
      list.SetFileName(i, std::move(newFileName));
    }
  }
  list.SetSorting(true);
}
