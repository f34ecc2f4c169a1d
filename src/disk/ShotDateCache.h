// File dates as date-time values, and the dates of shooting read from the files and kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "os/FileSystem.h"
#include "rules/DatePattern.h"
#include "rules/DateRule.h"

namespace disk {

// The local date and time of the file time of the first directory entry matching the path
// (a folder's own time too), at DOS resolution: an even second, 0 ms. 0 when nothing is found.
rules::DateTime GetFileDate(std::wstring_view path, rules::FileTimeKind kind);
// The same of a UTC file time in 100 ns units.
rules::DateTime FileTimeDate(std::uint64_t ticks);
// The row's time as its listing told it (GetFileDate for a row taken in without its times).
rules::DateTime RowFileDate(const rules::RenameEntry& row, rules::FileTimeKind kind);

// ---- The date of shooting ------------------------------------------------------------------

// The Exif date of shooting of the file at the path (a JPEG or a TIFF, told by its bytes, not
// its name), read without the cache: one open with every sharing, the first 64 KiB in one
// read and, for a TIFF whose IFDs lie further on, the few bytes they need (Exif.h bounds
// them). A folder, a link or any other reparse point, a file that can't be opened and a
// file without a valid date give false. Nothing is followed: neither a link nor an IFD chain.
bool ReadShotDate(std::wstring_view path, rules::DateTime& out);

// Dates of shooting kept per path with the file's last-write time and size, so that a
// preview of 10,000 photos reads each file once and a file changed since is read again.
// Each lookup costs one look at the file (fs::LookAtFile).
class ShotDateCache {
 public:
  bool Get(std::wstring_view path, rules::DateTime& out);
  void Clear();
  std::size_t size() const { return entries_.size(); }
  // Past this many paths the cache starts again empty.
  static constexpr std::size_t kMaxEntries = 200000;

 private:
  struct Entry {
    fs::FileLook stamp;
    bool has = false;
    rules::DateTime date = 0;
  };
  std::unordered_map<std::wstring, Entry> entries_;
};

// The program's one cache (one thread uses it).
ShotDateCache& TheShotDateCache();
// TheShotDateCache().Get: the date rule's source for 撮影日.
bool GetShotDate(std::wstring_view path, rules::DateTime& out);

// The 撮影日 order's key of a row: its date of shooting, else its last-write date.
double ShotOrderKey(const rules::RenameEntry& row);

// The date rule's sources on this machine: the clock, the files' times, the shot-date cache.
rules::DateSources DiskDateSources();

}  // namespace disk
