#include "settings/OwnFile.h"

#include <algorithm>
#include <cstring>

#include "settings/SettingsFile.h"

namespace settings {

std::uint64_t (*settingsRoomForTests)(const std::wstring& path) = nullptr;

namespace ownfile {

namespace {

// The entry itself where the platform can (a link is not followed), a folder too; no sharing
// is denied to anyone.
os::unique_file OpenEntry(const std::wstring& path, DWORD access) {
  return os::unique_file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                     nullptr));
}

// Deletes the file through its handle (one made here), never by a name that may have come
// to name another.
void Discard(os::unique_file& h) {
  os::DeleteByHandle(h.get());
  h.reset();
}

// Whether `path` reaches the handle's file through a link (Windows opens the link itself and
// marks it a reparse point; Wine follows a Linux link all the same, but the handle's final path
// then names the file pointed to, not the entry the folder lists).
bool ThroughLink(HANDLE h, const std::wstring& path, DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !os::IsPlainFileAt(h, path);
}

}  // namespace

void Open(const std::wstring& path, Opened& file) {
  file.handle = OpenEntry(path, GENERIC_READ);
  if (!file.handle) {
    file.error = GetLastError();
    const bool missing = file.error == ERROR_FILE_NOT_FOUND || file.error == ERROR_PATH_NOT_FOUND;
    file.found = missing ? Found::Missing : Found::Failed;
    return;
  }
  HANDLE h = file.handle.get();
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &file.info) ||
      (file.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    file.found = Found::NotAFile;
  } else {
    file.found = ThroughLink(h, path, file.info.dwFileAttributes) ? Found::Link : Found::File;
  }
}

bool ReadAll(HANDLE h, std::string& out) {
  out.clear();
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0) out.append(buf, got);
  return ok;
}

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

namespace {

// All of the bytes from the file's start. A short write is asked again, so that a full disk
// fails with its own reason.
bool WriteAll(HANDLE h, const std::wstring& path, std::string_view bytes) {
  std::size_t end = bytes.size();
  if (settingsRoomForTests) end = static_cast<std::size_t>(std::min<std::uint64_t>(end, settingsRoomForTests(path)));
  for (std::size_t at = 0; at < end;) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(end - at, 1u << 24));
    if (!WriteFile(h, bytes.data() + at, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    at += written;
  }
  if (end < bytes.size()) SetLastError(ERROR_DISK_FULL);
  return end == bytes.size();
}

}  // namespace

// A new file beside the settings file, moved over it, so a crash never leaves half a file.
// Its name is one no entry bears: CREATE_NEW never opens what exists and never follows a
// link, dangling or not, so a name taken by anything makes the next name be tried.
Step ReplaceThroughTemporary(const std::wstring& path, const Opened& file, const std::string& bytes, DWORD& error) {
  os::unique_file temp;
  std::wstring name;
  for (int i = 0; i < 100 && !temp; ++i) {
    name = path + (i == 0 ? L"" : L"." + std::to_wstring(i)) + L".tmp";
    if (settingsRoomForTests && settingsRoomForTests(name) == 0) {
      error = ERROR_DISK_FULL;
      return Step::NoTemporary;
    }
    temp.reset(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    error = GetLastError();
    if (!temp && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Step::NoTemporary;
  }
  if (!temp) return Step::NoTemporary;
  if (!WriteAll(temp.get(), name, bytes) || !FlushFileBuffers(temp.get())) {
    error = GetLastError();
    Discard(temp);
    return Step::NoTemporary;
  }
  // A hidden or system file stays so.
  const DWORD attributes = file.info.dwFileAttributes;
  if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
    FILE_BASIC_INFO basic{};  // times of zero are left as they are
    basic.FileAttributes = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    SetFileInformationByHandle(temp.get(), FileBasicInfo, &basic, sizeof basic);
  }
  // Where there was no file, nothing that bears its name now is replaced. Wine takes a
  // dangling link for no file and would let the move replace it, so a file made there (and
  // removed again) first proves the name free.
  if (file.found == Found::Missing) {
    os::unique_file probe(CreateFileW(path.c_str(), DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
      error = GetLastError();
      Discard(temp);
      return Step::Failed;
    }
    Discard(probe);
  }
  if (os::RenameHandle(temp.get(), path, file.found != Found::Missing) != 0) {
    error = GetLastError();
    Discard(temp);
    return Step::Failed;
  }
  return Step::Done;
}

// The file itself rewritten, where no file could be written beside it, through a handle that
// is still the file that was read (or a new file, where there was none). Where the write
// fails, the old bytes, which fit where they were, are put back; false then, and `damaged`
// when not even that worked.
bool WriteInPlace(const std::wstring& path, const Opened& file, const std::string& old, const std::string& bytes,
                  DWORD& error, bool& damaged) {
  os::unique_file h;
  if (file.found == Found::Missing) {
    h.reset(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  } else {
    h = OpenEntry(path, GENERIC_READ | GENERIC_WRITE);
    BY_HANDLE_FILE_INFORMATION now{};
    if (h && (!GetFileInformationByHandle(h.get(), &now) ||
                   now.dwVolumeSerialNumber != file.info.dwVolumeSerialNumber ||
                   now.nFileIndexHigh != file.info.nFileIndexHigh || now.nFileIndexLow != file.info.nFileIndexLow ||
                   ThroughLink(h.get(), path, now.dwFileAttributes))) {
      return false;  // something else has taken its place
    }
  }
  if (!h) return false;
  if (WriteAll(h.get(), path, bytes) && SetEndOfFile(h.get()) && FlushFileBuffers(h.get())) return true;
  error = GetLastError();
  if (file.found == Found::Missing) {
    Discard(h);
    return false;
  }
  LARGE_INTEGER start{};
  damaged = !SetFilePointerEx(h.get(), start, nullptr, FILE_BEGIN) || !WriteAll(h.get(), path, old) ||
            !SetEndOfFile(h.get()) || !FlushFileBuffers(h.get());
  return false;
}

}  // namespace ownfile

}  // namespace settings
