// The one boundary between the program's CP932 names and the file system. Every call goes
// through the W functions with an exact conversion: a name with no exact CP932 form never
// enters the program (enumeration skips it) and a CP932 path that can't be converted names
// nothing (queries fail, moves are refused).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace fs {

constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

struct Entry {
  std::string name;  // CP932
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  FILETIME creation{}, lastWrite{}, lastAccess{};
};

// The full path (GetFullPathName): relative to the current folder, "/" made "\", "." and
// ".." resolved. Empty when the path is empty or has no exact form either way.
std::string FullPath(std::string_view path);
// GetFileAttributes; kInvalidAttributes when missing or not convertible.
std::uint32_t Attributes(std::string_view path);
// An existing directory entry that is not a folder.
bool ExistsAsFile(std::string_view path);
// An existing folder.
bool IsFolder(std::string_view path);
// Whether `b` opens the very file (or folder) that `a` opens: same volume, same file index.
// False when either can't be opened.
bool SameFile(std::string_view a, std::string_view b);
// Whether anything at all opens under the path (a file system that ignores letter case opens
// an entry of another spelling).
bool Opens(std::string_view path);
// The longest file name a folder's volume holds: `max` UTF-16 units, or, where the names are
// kept in UTF-8 (Wine on Linux, whose file systems count bytes), `max` bytes of UTF-8.
struct NameLimit {
  std::uint32_t max = 255;
  bool utf8 = false;
  bool Holds(std::uint32_t units, std::uint32_t utf8Bytes) const { return (utf8 ? utf8Bytes : units) <= max; }
};
NameLimit NameLimitOf(std::string_view folder);
// Under Wine, which keeps names in the Linux file system.
bool UnderWine();
// The path the platform really reaches for `path` ("C:\dir\name" or "\\server\share\..."),
// from a handle opened without following a reparse point where the platform can; empty when
// it can't be opened. Wine follows a Linux link all the same, and so tells where it points.
std::string FinalPath(std::string_view path);
// A move through one handle that first asks where the file really is: the file at `from` is
// opened (without following a reparse point where the platform can), `accept` is asked with
// the handle's final path (as FinalPath gives it; empty when it can't be told), and only then
// is it renamed to `to`, never replacing a file. Costs one query more than MoveFile, whose
// open and rename it does itself.
enum class MoveResult { Moved, Refused, Failed };
MoveResult MoveChecked(std::string_view from, std::string_view to, bool (*accept)(std::string_view, std::string_view),
                       std::string_view context);
// MoveFile: never replaces an existing file.
bool Move(std::string_view from, std::string_view to);
// Test hook, null in the program: asked before every move of Move and MoveChecked; a nonzero
// answer fails that move with this error code (as GetLastError gives it), touching nothing.
// For faults the platform can't be made to show, such as a full disk.
using MoveFaultHook = DWORD (*)(std::string_view from, std::string_view to);
extern MoveFaultHook moveFaultForTests;
// Whether the entry is a file on a disk, not a pipe, a device or a socket (Wine lists those
// as plain empty files). An entry whose attributes can be read is one: Wine reads them of
// files and folders only. Else its handle is asked, opened for attributes only, which never
// waits on a pipe. False when nothing opens.
bool IsDiskFile(std::string_view path);
// FindFirstFile on the path itself (every attribute admitted); false when nothing is found or
// the entry's name has no exact CP932 form.
bool FindEntry(std::string_view path, Entry& out);

// Walks the entries of folder\*.* in the order the search returns them, "." and ".." and
// sub-folders included; entries whose names have no exact CP932 form are skipped.
// `visit` is called as visit(const Entry&). The search is closed in every case.
template <typename Visit>
void ForEachEntry(std::string_view folder, Visit&& visit);

// Implementation detail of ForEachEntry.
class FolderSearch {
 public:
  explicit FolderSearch(std::string_view folder);
  ~FolderSearch();
  FolderSearch(const FolderSearch&) = delete;
  FolderSearch& operator=(const FolderSearch&) = delete;
  bool Next(Entry& out);
  // Whether the listing failed (the folder is gone, can't be read, or stopped answering)
  // rather than ended; and how many files Next skipped for names with no exact CP932 form.
  bool failed() const { return failed_; }
  std::size_t foreignFiles() const { return foreignFiles_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool first_ = true;
  bool failed_ = false;
  std::size_t foreignFiles_ = 0;
  WIN32_FIND_DATAW data_{};
};

template <typename Visit>
void ForEachEntry(std::string_view folder, Visit&& visit) {
  FolderSearch search(folder);
  Entry e;
  while (search.Next(e)) visit(static_cast<const Entry&>(e));
}

}  // namespace fs
