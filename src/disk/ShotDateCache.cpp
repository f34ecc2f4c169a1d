#include "disk/ShotDateCache.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "rules/Exif.h"
#include "os/FileSystem.h"
#include "disk/DateLocale.h"

using rules::DateSources;
using rules::DateTime;
using rules::EncodeDateTime;
using rules::ExifBytes;
using rules::FileTimeKind;
using rules::ShotDateFrom;
using rules::ftCreation;
using rules::ftLastAccess;
using rules::ftLastWrite;
using rules::kExifJpegSearch;
using rules::kExifMaxRead;
using disk::NowDateTime;

namespace disk {

DateTime GetFileDate(std::wstring_view path, FileTimeKind kind) {
  fs::Entry entry;
  if (!fs::FindEntry(path, entry)) return 0;
  const FILETIME* utc = nullptr;
  switch (kind) {
    case ftCreation: utc = &entry.creation; break;
    case ftLastWrite: utc = &entry.lastWrite; break;
    case ftLastAccess: utc = &entry.lastAccess; break;
    default: return 0;
  }
  return FileTimeDate(std::uint64_t{utc->dwHighDateTime} << 32 | utc->dwLowDateTime);
}

DateTime FileTimeDate(std::uint64_t ticks) {
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
  // The year is checked first: past 2107 FileTimeToDosDateTime succeeds under Wine with the
  // year wrapped round.
  WORD dosDate = 0, dosTime = 0;
  if (st.wYear >= 1980 && st.wYear <= 2107 && FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
    return EncodeDateTime((dosDate >> 9) + 1980, (dosDate >> 5) & 0x0F, dosDate & 0x1F, dosTime >> 11,
                          (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2);
  }
  // Outside the DOS range the real local time, at the same two-second resolution, so every
  // file date looks alike (even second, 0 ms) and an old file doesn't turn into 1899.
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond & ~1);
}

// ---- The date of shooting ------------------------------------------------------------------

namespace {

// The bytes of an open file: its first 64 KiB read at once, anything further on read where
// asked, at most kExifMaxRead bytes more.
class FileBytes final : public ExifBytes {
 public:
  FileBytes(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
  bool ReadHead() {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size_, sizeof head_));
    return fs::ReadSome(file_, head_, want, headSize_);
  }
  std::uint64_t size() const override { return size_; }
  bool Read(std::uint64_t offset, std::size_t n, unsigned char* out) override {
    if (offset > size_ || n > size_ - offset) return false;
    if (offset <= headSize_ && n <= headSize_ - offset) {
      if (n > 0) std::memcpy(out, head_ + offset, n);
      return true;
    }
    if (n > kExifMaxRead - extra_) return false;
    extra_ += n;
    return fs::ReadAt(file_, offset, out, n);
  }

 private:
  HANDLE file_;
  std::uint64_t size_;
  std::size_t headSize_ = 0, extra_ = 0;
  unsigned char head_[kExifJpegSearch];
};

bool ReadShotDateOf(std::wstring_view path, std::uint64_t size, DateTime& out) {
  const os::unique_file file = fs::OpenForReading(path);
  if (!file) return false;
  // On the heap: 64 KiB is more than a stack frame should hold.
  auto bytes = std::make_unique<FileBytes>(file.get(), size);
  return bytes->ReadHead() && ShotDateFrom(*bytes, out);
}

}  // namespace

bool ReadShotDate(std::wstring_view path, DateTime& out) {
  fs::FileLook look;
  return fs::LookAtFile(path, look) && ReadShotDateOf(path, look.size, out);
}

bool ShotDateCache::Get(std::wstring_view path, DateTime& out) {
  fs::FileLook stamp;
  if (!fs::LookAtFile(path, stamp)) return false;
  const std::wstring key(path);
  if (auto it = entries_.find(key); it != entries_.end() && it->second.stamp == stamp) {
    if (it->second.has) out = it->second.date;
    return it->second.has;
  }
  // A file changed between the look and the read is kept under the older stamp: the next
  // lookup sees the newer one and reads it again.
  Entry entry;
  entry.stamp = stamp;
  entry.has = ReadShotDateOf(path, stamp.size, entry.date);
  if (entries_.size() >= kMaxEntries && entries_.find(key) == entries_.end()) entries_.clear();
  entries_[key] = entry;
  if (entry.has) out = entry.date;
  return entry.has;
}

void ShotDateCache::Clear() { entries_.clear(); }

ShotDateCache& TheShotDateCache() {
  static ShotDateCache cache;
  return cache;
}

bool GetShotDate(std::wstring_view path, DateTime& out) { return TheShotDateCache().Get(path, out); }

DateTime RowFileDate(const rules::RenameEntry& row, FileTimeKind kind) {
  // The listing's times; a row taken in without them asks the disk.
  const std::uint64_t ticks = kind == ftLastWrite ? row.lastWrite : kind == ftCreation ? row.creation : 0;
  return ticks != 0 ? FileTimeDate(ticks) : GetFileDate(row.CurrentPath(), kind);
}

double ShotOrderKey(const rules::RenameEntry& row) {
  DateTime value = 0;
  if (GetShotDate(row.CurrentPath(), value)) return value;
  return RowFileDate(row, ftLastWrite);
}

DateSources DiskDateSources() { return DateSources{NowDateTime, RowFileDate, GetShotDate}; }

}  // namespace disk
