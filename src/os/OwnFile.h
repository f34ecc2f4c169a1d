// The program's own files (its journal, its settings) and the few platform calls on files that
// the engine shares with them, by path or by handle: a move through a handle renames exactly
// what the handle holds.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/Handle.h"

namespace os {

// Under Wine, which keeps files in a Linux file system and follows Linux links all the same.
bool UnderWine();
// The path the handle really reaches ("C:\dir\name" or "\\server\share\..."), without the
// "\\?\" of the platform's answer, at any length; empty when it can't be told.
std::wstring FinalPath(HANDLE h);
// Whether a handle opened on `path` without following a reparse point is a plain file at that
// very path: not a folder, a device or a pipe, and not a link's target (the handle's final path
// is its folder's and the name the folder lists).
bool IsPlainFileAt(HANDLE h, const std::wstring& path);
// Renames what the handle (opened with DELETE access) holds to the full path `to`; an existing
// entry of that name is replaced only with `replace`. 0 when done, else the error.
DWORD RenameHandle(HANDLE h, const std::wstring& to, bool replace);
// Deletes what the handle (opened with DELETE access) holds; false when it can't.
bool DeleteByHandle(HANDLE h);
// The platform's own words for an error code, in the user's language, on one line.
std::wstring ErrorText(DWORD error);

// Whether any entry answers to the path.
bool Exists(const std::wstring& path);
// A file's length and last write, to tell when another copy of the program changed it.
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0, time = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::wstring& path);

// The bytes a file at `path` may hold, as a full disk allows them: a file that may hold none
// is not made, and a write stops there, failing with ERROR_DISK_FULL. Null: as the disk has it.
using DiskRoom = std::uint64_t (*)(const std::wstring& path);

// ---- The settings file: opened without following a link, replaced through a temporary file
// made new beside it, and never cut short where the disk is full.

struct OwnFile {
  // Missing, a plain file, reached through a link, or no file at all (a folder, a pipe, a
  // device).
  enum class Found { Missing, File, Link, NotAFile, Failed };
  unique_file handle;  // for reading, when found
  Found found = Found::Failed;
  BY_HANDLE_FILE_INFORMATION info{};
  DWORD error = 0;
};
OwnFile OpenOwnFile(const std::wstring& path);
// The whole file (of a handle just opened), where it is no bigger than `max` and reads
// whole; else false (and empty).
bool ReadWhole(HANDLE h, std::string& out, std::uint64_t max = 0xFFFFFFFFu);
bool IsDiskFull(DWORD error);

enum class ReplaceStep { Done, NoTemporary, Failed };
// The new bytes in a temporary file beside the file, moved over it.
ReplaceStep ReplaceThroughTemporary(const std::wstring& path, const OwnFile& file, const std::string& bytes,
                                    DWORD& error, DiskRoom room = nullptr);
// The file itself rewritten, its old bytes put back where the write fails (`damaged` when not
// even that worked).
bool WriteInPlace(const std::wstring& path, const OwnFile& file, const std::string& old, const std::string& bytes,
                  DWORD& error, bool& damaged, DiskRoom room = nullptr);

// ---- The journal: appended to a line at a time, or written anew in a file of its own.

// Opens the entry for `access` without following a reparse point, only where it is a plain
// file: a link, a folder, or an empty entry (a pipe's open would wait for a writer; no journal
// of ours is empty) is never opened for real.
unique_file OpenPlain(const std::wstring& path, DWORD access);
// A file made new, never an entry that exists (null, GetLastError telling why, when not made).
unique_file CreateNew(const std::wstring& path, DWORD access, DWORD share);
// The bytes in one write: a crash leaves them whole or cut, never interleaved.
bool WriteOnce(HANDLE h, std::string_view bytes);
bool Flush(HANDLE h);
// Whether the file has no name but the one it was opened by: a second name would be written
// through as well.
bool OneName(HANDLE h);
bool SeekTo(HANDLE h, std::uint64_t at);
// The file ends at `at`.
bool CutAt(HANDLE h, std::uint64_t at);
// The names of the plain files (no folder, no link) that match a pattern ("C:\d\x.*.tmp").
std::vector<std::wstring> FilesMatching(const std::wstring& pattern);
// The named mutex of a file, made or opened: one name whatever the spelling of its path (its
// full path upper-cased, hashed, after `tag`), in the global namespace where the session may
// make one there, else in its own. Null when neither can be had.
unique_handle FileMutex(const std::wstring& file, const wchar_t* tag);
// Waits up to `ms` for the mutex: had (also where a holder died and the system let it go),
// still held by another, or failed.
enum class MutexWait { Had, Busy, Failed };
MutexWait WaitForMutex(HANDLE mutex, DWORD ms);
void ReleaseHeldMutex(HANDLE mutex);

}  // namespace os
