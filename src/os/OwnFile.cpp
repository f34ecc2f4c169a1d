#include "os/OwnFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string_view>
#include <vector>

namespace os {

namespace {

// Wine's GetFinalPathNameByHandleW answers only within MAX_PATH. It gives the handle's object
// name ("\??\C:\...") with "\\?\" in front; asked here without that bound.
bool ObjectPathUnderWine(HANDLE h, std::wstring& out) {
  struct Name {
    USHORT length, maximumLength;
    PWSTR buffer;
  };
  using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  if (!query) return false;
  // Room for the longest name a UNICODE_STRING holds.
  std::vector<std::uint64_t> buf((sizeof(Name) + 0x10000) / sizeof(std::uint64_t) + 1);
  ULONG got = 0;
  constexpr int kObjectNameInformation = 1;
  if (query(h, kObjectNameInformation, buf.data(), static_cast<ULONG>(buf.size() * sizeof buf[0]), &got) != 0) {
    return false;
  }
  const auto* name = reinterpret_cast<const Name*>(buf.data());
  if (!name->buffer) return false;
  std::wstring_view w(name->buffer, name->length / sizeof(wchar_t));
  if (!w.starts_with(L"\\??\\")) return false;
  out.assign(L"\\\\?\\").append(w.substr(4));
  return true;
}

// A full path as the native API takes it ("\??\C:\...", "\??\UNC\server\...").
std::wstring NtPath(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\")) return L"\\??\\" + path.substr(4);
  if (path.starts_with(L"\\\\")) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace

bool UnderWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
  }();
  return wine;
}

// The handle's final path without the "\\?\" of its answer ("C:\...", "\\server\...").
std::wstring FinalPath(HANDLE h) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  std::wstring buf(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), kFlags);
  if (n >= buf.size()) {  // the size it needs, with the terminating null
    buf.assign(n, L'\0');
    n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), kFlags);
    if (n >= buf.size()) return {};
  }
  buf.resize(n);
  if (n == 0 && (!UnderWine() || !ObjectPathUnderWine(h, buf))) return {};
  if (buf.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + buf.substr(8);
  if (buf.starts_with(L"\\\\?\\")) return buf.substr(4);
  return buf;
}


DWORD RenameHandle(HANDLE h, const std::wstring& to, bool replace) {
  const std::wstring target = NtPath(to);
  std::vector<unsigned char> buf(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, target.data(), info->FileNameLength);
  if (SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buf.size()))) return 0;
  const DWORD error = GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

bool DeleteByHandle(HANDLE h) {
  FILE_DISPOSITION_INFO info{TRUE};
  return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != 0;
}

bool IsPlainFileAt(HANDLE h, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))) {
    return false;
  }
  // The handle must reach the entry itself: its final path is its folder's final path and
  // its own name (the folder itself may be reached through a link, or by a short name).
  std::wstring full(32768, L'\0');
  wchar_t* namePart = nullptr;
  DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), &namePart);
  if (n == 0 || n >= full.size() || !namePart) return false;
  // The name as the folder lists it: the path may give it in another letter case.
  WIN32_FIND_DATAW listed;
  if (!unique_find(FindFirstFileW(full.c_str(), &listed))) return false;
  const std::wstring name(listed.cFileName);
  std::wstring folder(full.data(), static_cast<std::size_t>(namePart - full.data()));
  if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();  // "C:\" stays a root
  const unique_file dir(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir) return false;
  std::wstring expected = FinalPath(dir.get());
  if (expected.empty()) return false;
  if (expected.back() != L'\\') expected += L'\\';
  expected += name;
  return SamePathText(FinalPath(h), expected);
}

std::wstring ErrorText(DWORD error) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n' || out.back() == L' ' || out.back() == L'.' ||
                          out.back() == L'\x3002')) {
    out.pop_back();
  }
  for (wchar_t& c : out) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  if (out.empty()) out = L"error " + std::to_wstring(error);
  return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FileStamp StampOf(const std::wstring& path) {
  FileStamp s;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return s;
  s.exists = true;
  s.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  s.time = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return s;
}

// ---------------------------------------------------------------------------------------------
// The settings file

namespace {

// The entry itself where the platform can (a link is not followed), a folder too; no sharing
// is denied to anyone.
unique_file OpenEntry(const std::wstring& path, DWORD access) {
  return unique_file(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                 nullptr));
}

// Deletes the file through its handle (one made here), never by a name that may have come
// to name another.
void Discard(unique_file& h) {
  DeleteByHandle(h.get());
  h.reset();
}

// Whether `path` reaches the handle's file through a link (Windows opens the link itself and
// marks it a reparse point; Wine follows a Linux link all the same, but the handle's final path
// then names the file pointed to, not the entry the folder lists).
bool ThroughLink(HANDLE h, const std::wstring& path, DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsPlainFileAt(h, path);
}

// All of the bytes from the file's start. A short write is asked again, so that a full disk
// fails with its own reason.
bool WriteAll(HANDLE h, const std::wstring& path, std::string_view bytes, DiskRoom room) {
  std::size_t end = bytes.size();
  if (room) end = static_cast<std::size_t>(std::min<std::uint64_t>(end, room(path)));
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

OwnFile OpenOwnFile(const std::wstring& path) {
  OwnFile file;
  using Found = OwnFile::Found;
  file.handle = OpenEntry(path, GENERIC_READ);
  if (!file.handle) {
    file.error = GetLastError();
    const bool missing = file.error == ERROR_FILE_NOT_FOUND || file.error == ERROR_PATH_NOT_FOUND;
    file.found = missing ? Found::Missing : Found::Failed;
    return file;
  }
  HANDLE h = file.handle.get();
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &file.info) ||
      (file.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    file.found = Found::NotAFile;
  } else {
    file.found = ThroughLink(h, path, file.info.dwFileAttributes) ? Found::Link : Found::File;
  }
  return file;
}

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// A new file beside the file, moved over it, so a crash never leaves half a file. Its name is
// one no entry bears: CREATE_NEW never opens what exists and never follows a link, dangling
// or not, so a name taken by anything makes the next name be tried.
ReplaceStep ReplaceThroughTemporary(const std::wstring& path, const OwnFile& file, const std::string& bytes,
                                    DWORD& error, DiskRoom room) {
  using Found = OwnFile::Found;
  unique_file temp;
  std::wstring name;
  for (int i = 0; i < 100 && !temp; ++i) {
    name = path + (i == 0 ? L"" : L"." + std::to_wstring(i)) + L".tmp";
    if (room && room(name) == 0) {
      error = ERROR_DISK_FULL;
      return ReplaceStep::NoTemporary;
    }
    temp = CreateNew(name, GENERIC_WRITE | DELETE, 0);
    error = GetLastError();
    if (!temp && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return ReplaceStep::NoTemporary;
  }
  if (!temp) return ReplaceStep::NoTemporary;
  if (!WriteAll(temp.get(), name, bytes, room) || !FlushFileBuffers(temp.get())) {
    error = GetLastError();
    Discard(temp);
    return ReplaceStep::NoTemporary;
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
    unique_file probe = CreateNew(path, DELETE, 0);
    if (!probe) {
      error = GetLastError();
      Discard(temp);
      return ReplaceStep::Failed;
    }
    Discard(probe);
  }
  if (RenameHandle(temp.get(), path, file.found != Found::Missing) != 0) {
    error = GetLastError();
    Discard(temp);
    return ReplaceStep::Failed;
  }
  return ReplaceStep::Done;
}

// The file itself rewritten, where no file could be written beside it, through a handle that
// is still the file that was read (or a new file, where there was none). Where the write
// fails, the old bytes, which fit where they were, are put back; false then, and `damaged`
// when not even that worked.
bool WriteInPlace(const std::wstring& path, const OwnFile& file, const std::string& old, const std::string& bytes,
                  DWORD& error, bool& damaged, DiskRoom room) {
  using Found = OwnFile::Found;
  unique_file h;
  if (file.found == Found::Missing) {
    h = CreateNew(path, GENERIC_WRITE | DELETE, 0);
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
  if (WriteAll(h.get(), path, bytes, room) && SetEndOfFile(h.get()) && FlushFileBuffers(h.get())) return true;
  error = GetLastError();
  if (file.found == Found::Missing) {
    Discard(h);
    return false;
  }
  LARGE_INTEGER start{};
  damaged = !SetFilePointerEx(h.get(), start, nullptr, FILE_BEGIN) || !WriteAll(h.get(), path, old, room) ||
            !SetEndOfFile(h.get()) || !FlushFileBuffers(h.get());
  return false;
}

// ---------------------------------------------------------------------------------------------
// The journal

unique_file OpenPlain(const std::wstring& path, DWORD access) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) ||
      (data.nFileSizeLow == 0 && data.nFileSizeHigh == 0)) {
    return {};
  }
  unique_file h(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (h && !IsPlainFileAt(h.get(), path)) return {};
  return h;
}

bool ReadWhole(HANDLE h, std::string& out, std::uint64_t max) {
  out.clear();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size) || static_cast<std::uint64_t>(size.QuadPart) > max) return false;
  out.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &got, nullptr) || got != out.size()) {
    out.clear();
    return false;
  }
  return true;
}

unique_file CreateNew(const std::wstring& path, DWORD access, DWORD share) {
  return unique_file(CreateFileW(path.c_str(), access, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteOnce(HANDLE h, std::string_view bytes) {
  DWORD written = 0;
  return WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool Flush(HANDLE h) { return FlushFileBuffers(h) != 0; }

bool OneName(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(h, &info) && info.nNumberOfLinks == 1;
}

bool SeekTo(HANDLE h, std::uint64_t at) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(at);
  return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) != 0;
}

bool CutAt(HANDLE h, std::uint64_t at) { return SeekTo(h, at) && SetEndOfFile(h); }

std::vector<std::wstring> FilesMatching(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  unique_find find(FindFirstFileW(pattern.c_str(), &data));
  if (!find) return names;
  do {
    if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
      names.push_back(data.cFileName);
    }
  } while (FindNextFileW(find.get(), &data));
  return names;
}

unique_handle FileMutex(const std::wstring& file, const wchar_t* tag) {
  wchar_t full[4096];
  const DWORD n = GetFullPathNameW(file.c_str(), 4096, full, nullptr);
  std::wstring path = n > 0 && n < 4096 ? std::wstring(full, n) : file;
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : path) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  unique_handle mutex;
  for (const wchar_t* space : {L"Global", L"Local"}) {
    wchar_t name[128];
    std::swprintf(name, 128, L"%ls\\%ls-%016llX", space, tag, static_cast<unsigned long long>(hash));
    mutex.reset(CreateMutexW(nullptr, FALSE, name));
    if (mutex) break;
  }
  return mutex;
}

MutexWait WaitForMutex(HANDLE mutex, DWORD ms) {
  switch (WaitForSingleObject(mutex, ms)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: return MutexWait::Had;
    case WAIT_TIMEOUT: return MutexWait::Busy;
    default: return MutexWait::Failed;
  }
}

void ReleaseHeldMutex(HANDLE mutex) { ReleaseMutex(mutex); }

}  // namespace os
