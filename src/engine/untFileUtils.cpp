#include "engine/untFileUtils.h"

#include <windows.h>

#include "engine/FileSystem.h"

DateTime GetFileDate(std::string_view path, FileTimeKind kind) {
  fs::Entry entry;
  if (!fs::FindEntry(path, entry)) return 0;
  const FILETIME* utc = nullptr;
  switch (kind) {
    case ftCreation: utc = &entry.creation; break;
    case ftLastWrite: utc = &entry.lastWrite; break;
    case ftLastAccess: utc = &entry.lastAccess; break;
    default: return 0;
  }
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(utc, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
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
