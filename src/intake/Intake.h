// Taking dropped and command-line paths into the rename list: folders are expanded (one
// level, or their whole tree), each file is spelled as on disk, cleaned up at once or
// filtered out, or listed.
// The window brackets this with its redraw and does the follow-up (count, inputs, preview).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/CleanUp.h"
#include "disk/Progress.h"
#include "disk/MoveEngine.h"

namespace rules {
class RenameList;
}  // namespace rules
namespace disk {
class DiskState;
class Journal;
}  // namespace disk

namespace intake {

struct IntakeOptions {
  bool dropDir = false;  // expand folders also in a drop that holds files
  bool subFolders = false;   // an expanded folder gives the files of its whole tree
  bool folderItems = false;  // the folders inside an expanded folder are rows themselves
  bool skipHidden = false;   // entries with the hidden or system attribute are left out
  rules::CleanUpOptions cleanUp;
  // Refused names and extensions, each entry followed by ";" (extensions with their ".").
  std::wstring filterNames, filterExts;
  // Where AddFiles records the clean-up's renames, as one run, so that they can be undone.
  disk::Journal* journal = nullptr;
  // How the clean-up moves a file; empty: the file's own move (tests hand one that looks first).
  disk::Mover mover;
};

// Why the intake left a given path, or an entry of a folder it expanded, out of the list.
enum class Skip : std::uint8_t {
  Missing,      // names nothing
  BadName,      // no Win32 path addresses it as exactly that entry (see AddFiles)
  NotShiftJis,  // no longer counted: every name is taken in (kept so the others keep their numbers)
  NotAFile,     // a pipe, a device, a socket, or a path of the device namespace ("\\.\")
  Filtered,     // refused by the filter lists
  Duplicate,    // its file has a row already, or was met before in the same intake
  Folder,       // a folder given beside files and not expanded
  Unreadable,   // a folder that can't be listed
};
constexpr std::size_t kSkipReasons = 8;

// What one intake left out, by reason; sub-folders of an expanded folder that are not walked
// and links to folders are not counted.
struct IntakeSkips {
  std::array<std::size_t, kSkipReasons> counts{};
  // Hidden and system entries left out by choice (skipHidden): not in counts, since nothing
  // went wrong with them.
  std::size_t hidden = 0;
  // Files the clean-up renamed and so didn't list: not in counts either.
  std::size_t cleaned = 0;
  std::size_t& operator[](Skip s) { return counts[static_cast<std::size_t>(s)]; }
  std::size_t operator[](Skip s) const { return counts[static_cast<std::size_t>(s)]; }
  std::size_t total() const {
    std::size_t n = 0;
    for (std::size_t c : counts) n += c;
    return n;
  }
};

// Whether folders are expanded: always when every path is a folder, else as dropDir says.
bool ExpandFolders(const std::vector<std::wstring>& paths, bool dropDir);

// Every path in order, each made a full path with "\" delimiters first (relative paths
// from the current folder; a path with a part that ends in "." or a blank is skipped, since
// the platform would make it name another entry), folders expanded when ExpandFolders says
// so: every file directly inside, hidden and system files included unless skipHidden; with
// subFolders the files of the whole tree, with folderItems the folders inside as rows (the
// folder given is not one). A link or junction to a folder is never entered nor a row, and
// with subFolders no folder is entered twice (by identity; a given folder met again counts
// once as Duplicate). With skipHidden the hidden and system entries inside (a folder with its
// contents) are left out and counted in IntakeSkips::hidden; a path given is taken as given.
// Each listing is read before any of its entries is taken in, so a file the
// clean-up renames isn't met again; an entry whose name no path can address as exactly that
// entry, such as "a\b", "x:y", "a." or "nul.txt" on a disk that isn't Windows' own, is never
// taken in; nor is a path of the device namespace, "\\.\C:\a.txt", nor a pipe, a device or a
// socket, which Wine lists as empty files. The rows are appended and sorted once; each row's
// root is the length of the folder above the folder given (for a file given, above its folder).
// One file is one row: a file that has a row already, or is met again (a file and its
// folder, two spellings of one path, an 8.3 alias), is taken in once. Rows are the same file
// when their exact on-disk names match and their folders do, as spelled or as the platform
// resolves them; "a.txt" and "A.txt" of a disk that tells them apart stay two.
// With `skipped`, what the intake left out is counted there, by reason.
// Each file is spelled as on disk (letter case, long name for an 8.3 alias); renamed at once
// (and not listed) when the clean-up changes its name (with cleanUp.compose, also when it
// composes a name's split voiced marks), to stem_n.ext with the first free n
// when the cleaned name is taken by a file or folder; skipped when filtered; else listed. A
// file the clean-up can't rename (read-only, hidden, system, or the move refused) is taken
// in uncleaned.
// A folder's files are taken as its listing spells them, without a look-up per file; many
// given files of one folder are looked up in one listing of it. Either way the rows are
// those a look-up per file would give, in the same order, less the files met again.
// Progress counts files (and paths) handled against those known so far, a number that grows
// as folders are listed; when it asks to stop, the intake ends after the current file and
// keeps the rows taken. True when every path was taken in.
// With a disk state, the listing of each folder taken in is kept there (for the preview's
// check), and a folder in which the clean-up renamed a file is forgotten, to be listed again.
bool AddFiles(rules::RenameList& list, const std::vector<std::wstring>& paths, const IntakeOptions& options,
              const disk::Progress& progress = {}, disk::DiskState* disk = nullptr, IntakeSkips* skipped = nullptr);

}  // namespace intake
