// The one boundary between the program's names and the file system. Names and paths are
// UTF-16 as the platform holds them and reach it through the W functions unchanged.
#pragma once

#include <windows.h>

#include "os/Handle.h"
#include "os/OwnFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace fs {

constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

struct Entry {
  std::wstring name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  FILETIME creation{}, lastWrite{}, lastAccess{};
};

// Paths are plain ("C:\dir\name", "\\server\share\name") inside the program, however long:
// one of MAX_PATH - 12 UTF-16 units or more reaches the file system in its "\\?\" form, and
// only when the platform reads it as it stands (a full path, no "." or ".." parts, no part
// ending in "." or a blank, no device name), so that it names what the plain path names.

// The full path (GetFullPathName): relative to the current folder, "/" made "\", "." and
// ".." resolved; a "\\?\" path given is made plain. Empty when the path is empty, has no
// plain form, or names a device.
std::wstring FullPath(std::wstring_view path);
// Whether the platform reads the path as a device ("\\.\C:\a.txt", "\\.\pipe\x", or "con",
// which it makes "\\.\con"): nothing of the file system's names.
bool IsDevicePath(std::wstring_view path);
// The path the boundary hands to the platform (the "\\?\" form where it is long); false when
// it names nothing of ours.
bool Utf16PathOf(std::wstring_view path, std::wstring& out);
// GetFileAttributes; kInvalidAttributes when missing or not convertible.
std::uint32_t Attributes(std::wstring_view path);
// An existing directory entry that is not a folder.
bool ExistsAsFile(std::wstring_view path);
// An existing folder.
bool IsFolder(std::wstring_view path);
// Whether `b` opens the very file (or folder) that `a` opens: same volume, same file index.
// False when either can't be opened.
bool SameFile(std::wstring_view a, std::wstring_view b);
// Whether anything at all opens under the path (a file system that ignores letter case opens
// an entry of another spelling).
bool Opens(std::wstring_view path);
// The longest file name a folder's volume holds: `max` UTF-16 units, or, where the names are
// kept in UTF-8 (Wine on Linux, whose file systems count bytes), `max` bytes of UTF-8.
struct NameLimit {
  std::uint32_t max = 255;
  bool utf8 = false;
  bool Holds(std::uint32_t units, std::uint32_t utf8Bytes) const { return (utf8 ? utf8Bytes : units) <= max; }
};
NameLimit NameLimitOf(std::wstring_view folder);
// Under Wine, which keeps names in the Linux file system.
inline bool UnderWine() { return os::UnderWine(); }
// The path the platform really reaches for `path` ("C:\dir\name" or "\\server\share\..."),
// from a handle opened without following a reparse point where the platform can; empty when
// it can't be opened. Wine follows a Linux link all the same, and so tells where it points.
std::wstring FinalPath(std::wstring_view path);
// A folder's final path with its trailing "\" ("C:\" stays a root); empty when not told.
std::wstring FinalFolderPath(std::wstring_view folder);
// Whether an entry reached at `reached` (its final path) is the entry at `path` itself: in the
// folder whose final path is `finalFolder`, under its own name (letter case aside). False when
// either can't be told. Wine follows a Linux link all the same: this tells it.
bool ReachedItself(std::wstring_view reached, std::wstring_view finalFolder, std::wstring_view path);
// Which file a handle reaches: its volume's serial and its index there, and its birth (its
// creation time; under Wine the Linux file system's own). The same file keeps them across
// renames and edits; another file has others. Some disks hand a deleted file's index to the
// next new file at once: the birth tells them apart.
struct FileId {
  std::uint32_t volume = 0;
  std::uint64_t index = 0;
  std::uint64_t birth = 0;  // 100 ns units since 1601; 0 where it isn't known
  std::uint64_t indexHigh = 0;  // the upper half of a 128-bit index (WholeId only; ReFS has them)
  bool valid() const { return volume != 0 || index != 0; }
  friend bool operator==(const FileId&, const FileId&) = default;
  // Whether a file found now is the one recorded: an old record without a birth goes by the
  // index alone; a recorded birth must be met.
  bool IsRecorded(const FileId& recorded) const {
    return volume == recorded.volume && index == recorded.index && (recorded.birth == 0 || birth == recorded.birth);
  }
};

// The index of the entry at the path (a folder's: "C:\\dir\\" or without the "\\"), its volume
// left 0, not following a reparse point where the platform can; false when it can't be opened.
// With `finalFolder`, the final path the same handle reaches, with a trailing "\\".
bool EntryId(std::wstring_view path, FileId& out, std::wstring* finalFolder = nullptr);
// Under Wine, the names of the links of a folder, for its listing: a link that points
// nowhere holds its name though Wine doesn't list it. Empty elsewhere.
std::vector<std::wstring> LinkNames(std::wstring_view folder);

// The index of the file a handle reaches (FileInternalInformation), without the volume's
// serial: under Wine a tenth of what GetFileInformationByHandle costs. False when not told.
bool FileIndex(HANDLE h, std::uint64_t& index);
// A folder (or file) opened only to tell which it is: for its attributes, which no folder
// refuses a reader, never through a reparse point. Null when it can't be opened.
os::unique_file OpenToIdentify(std::wstring_view path);
// The handle's volume and its whole index: the 128-bit one where the platform has it (Windows 8
// on, Wine), else the 64-bit one. No birth. False when it can't be told.
bool WholeId(HANDLE h, FileId& out);

// One directory entry held open for a move: opened without following a reparse point where
// the platform can (Wine follows a Linux link all the same, so FinalPath tells where it
// points), sharing everything, for renaming and reading its attributes. The move happens
// through this very handle, so what was asked of it is what moves.
// Under Wine, what one run of moves reads of the Linux side: each folder's Linux path and the
// links it holds, each read once and dropped with the holder (a folder may be renamed, and a
// link made, between two runs).
class UnixNames {
 public:
  // Whether a link bears the name: Windows lists a link that points nowhere and never moves
  // onto it, but Wine neither lists nor sees one and its no-replace move replaces it, so there
  // each folder's links are read from the Linux file system.
  bool Held(std::wstring_view path);
  // The Linux path of a folder (with its "/"), or of an entry, of a full UTF-16 path.
  const std::string& Folder(const std::wstring& folder);
  std::string Path(const std::wstring& path);

 private:
  std::unordered_map<std::wstring, std::string> folders_;
  std::unordered_map<std::wstring, std::unordered_set<std::wstring>> links_;  // upper-cased
};

class OpenFile {
 public:
  explicit OpenFile(std::wstring_view path);

  bool ok() const { return static_cast<bool>(handle_); }
  // Why it could not be opened (GetLastError), 0 when it was.
  DWORD error() const { return error_; }
  // The path the platform reaches (as fs::FinalPath gives it); empty when it can't be told.
  // Asked once.
  const std::wstring& FinalPath() const;
  // False when it can't be told. Under Wine the birth is read through `names` (its folder's
  // Linux path asked once for a run) or, without, asked now.
  bool Id(FileId& out, UnixNames* names = nullptr) const;
  // Renames it to `to` (a full path), never replacing an entry; 0 when done, else the error.
  // A path Win32 would read otherwise ("CON.jpg", a trailing dot) is refused as MoveFile
  // refuses it.
  DWORD RenameTo(std::wstring_view to);

 private:
  os::unique_file handle_;
  std::wstring from_;
  DWORD error_ = 0;
  mutable std::wstring final_;
  mutable bool finalAsked_ = false;
};

// Whether the entry is a file on a disk, not a pipe, a device or a socket (Wine lists those
// as plain empty files). An entry whose attributes can be read is one: Wine reads them of
// files and folders only. Else its handle is asked, opened for attributes only, which never
// waits on a pipe. False when nothing opens.
bool IsDiskFile(std::wstring_view path);
// A plain file's last write (100 ns units since 1601, UTC) and size, in one look
// (GetFileAttributesEx); false for a folder, a link or another reparse point, or nothing there.
struct FileLook {
  std::uint64_t lastWrite = 0, size = 0;
  bool operator==(const FileLook&) const = default;
};
bool LookAtFile(std::wstring_view path, FileLook& out);
// A file opened for reading, sharing everything (another may be writing it), never through a
// reparse point (a link that appeared since a look is not followed). Null when it can't be.
os::unique_file OpenForReading(std::wstring_view path);
// At most `n` bytes from the handle's place; `got` tells how many came.
bool ReadSome(HANDLE h, void* out, std::size_t n, std::size_t& got);
// Exactly `n` bytes from `offset`; false when fewer came.
bool ReadAt(HANDLE h, std::uint64_t offset, void* out, std::size_t n);

// FindFirstFile on the path itself (every attribute admitted); false when nothing is found.
bool FindEntry(std::wstring_view path, Entry& out);

// Walks the entries of folder\*.* in the order the search returns them, "." and ".." and
// sub-folders included.
// `visit` is called as visit(const Entry&). The search is closed in every case.
template <typename Visit>
void ForEachEntry(std::wstring_view folder, Visit&& visit);

// Implementation detail of ForEachEntry.
class FolderSearch {
 public:
  explicit FolderSearch(std::wstring_view folder);
  bool Next(Entry& out);
  // Whether the listing failed (the folder is gone, can't be read, or stopped answering)
  // rather than ended.
  bool failed() const { return failed_; }

 private:
  os::unique_find handle_;
  bool first_ = true;
  bool failed_ = false;
  WIN32_FIND_DATAW data_{};
};

template <typename Visit>
void ForEachEntry(std::wstring_view folder, Visit&& visit) {
  FolderSearch search(folder);
  Entry e;
  while (search.Next(e)) visit(static_cast<const Entry&>(e));
}

}  // namespace fs
