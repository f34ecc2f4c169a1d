#include "support/TempDir.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "os/FileSystem.h"

namespace {

// The Linux system calls of a 32-bit process, made straight from the program: under Wine the
// Windows program is a Linux process, and its file system is Linux's.
long LinuxCall(long number, long a = 0, long b = 0, long c = 0) {
#if defined(__i386__) && defined(__GNUC__)
  long result;
  asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
  return result;
#else
  (void)number, (void)a, (void)b, (void)c;
  return -1;
#endif
}

constexpr long kWrite = 4, kOpen = 5, kClose = 6, kUnlink = 10, kMknod = 14, kSymlink = 83, kRmdir = 40,
               kGetdents64 = 220;
constexpr long kIsDirectory = 21;

using UnixNameFn = char*(__cdecl*)(const wchar_t*);

UnixNameFn UnixNameFunction() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  // Through void*: the export's real type isn't FARPROC's.
  void* fn = reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name"));
  return reinterpret_cast<UnixNameFn>(fn);
}

std::string UnixPath(const std::wstring& windowsPath) {
  UnixNameFn fn = UnixNameFunction();
  char* path = fn ? fn(windowsPath.c_str()) : nullptr;
  if (!path) return std::string();
  std::string out = path;
  HeapFree(GetProcessHeap(), 0, path);
  return out;
}

std::string Utf8(const std::wstring& wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// Removes a folder and everything in it by Linux's own calls, by the names Linux has: a name
// Win32 can't address (such as "..\\x") must not be handed to DeleteFileW, which would read it
// as a path. A link is removed, never followed.
void RemoveTreeUnix(const std::string& dir) {
  long fd = LinuxCall(kOpen, reinterpret_cast<long>(dir.c_str()), 0x10000 /* O_DIRECTORY */);
  if (fd >= 0) {
    std::vector<std::string> names;
    alignas(8) char buf[4096];
    long got;
    while ((got = LinuxCall(kGetdents64, fd, reinterpret_cast<long>(buf), sizeof buf)) > 0) {
      for (long at = 0; at < got;) {
        unsigned short length;
        std::memcpy(&length, buf + at + 16, sizeof length);
        std::string name = buf + at + 19;
        if (name != "." && name != "..") names.push_back(name);
        at += length;
      }
    }
    LinuxCall(kClose, fd);
    for (const std::string& name : names) {
      std::string path = dir + "/" + name;
      if (LinuxCall(kUnlink, reinterpret_cast<long>(path.c_str())) == -kIsDirectory) RemoveTreeUnix(path);
    }
  }
  LinuxCall(kRmdir, reinterpret_cast<long>(dir.c_str()));
}

void RemoveTree(const std::wstring& dir) {
  if (UnderWine()) {
    std::string unix = UnixPath(dir);
    if (!unix.empty()) {
      RemoveTreeUnix(unix);
      return;
    }
  }
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring dir = std::wstring(base) + L"kinoha_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                     std::to_wstring(counter++);
  RemoveTree(dir);
  CreateDirectoryW(dir.c_str(), nullptr);
  path_ = dir + L"\\";
}

TempDir::~TempDir() { RemoveTree(wpath()); }

std::wstring TempDir::wpath() const { return path_.substr(0, path_.size() - 1); }

std::wstring TempDir::Mkdir(const std::wstring& relative) const {
  std::wstring full = path_ + relative;
  for (std::size_t i = path_.size(); i <= full.size(); ++i) {
    if (i == full.size() || full[i] == L'\\') CreateDirectoryW(full.substr(0, i).c_str(), nullptr);
  }
  return full;
}

std::wstring TempDir::Touch(const std::wstring& relative, const std::string& content) const {
  std::wstring full = path_ + relative;
  std::size_t slash = full.find_last_of(L'\\');
  if (slash > path_.size()) Mkdir(full.substr(path_.size(), slash - path_.size()));
  HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
  }
  return full;
}

std::wstring TempDir::Touch(const std::wstring& relative, std::wstring_view content) const {
  return Touch(relative, Utf8(std::wstring(content)));
}

bool TempDir::Exists(const std::wstring& relative) const {
  return GetFileAttributesW((path_ + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") && UnixNameFunction();
}

std::string TempDir::UnixEntry(const std::wstring& name, const std::wstring& folder) const {
  if (!UnderWine()) return std::string();
  std::string path = UnixPath(folder.empty() ? wpath() : path_ + folder);
  if (path.empty()) return path;
  path += '/';
  path += Utf8(name);
  return path;
}

bool TempDir::TouchUnix(const std::wstring& name, const std::string& content, const std::wstring& folder) const {
  std::string path = UnixEntry(name, folder);
  return !path.empty() && TouchUnixBytes(path.substr(path.rfind('/') + 1), content, folder);
}

bool TempDir::TouchUnixBytes(const std::string& bytes, const std::string& content, const std::wstring& folder) const {
  std::string path = UnixEntry(L"", folder);
  if (path.empty()) return false;
  path += bytes;
  constexpr long kCreateExclusive = 0x41 | 0x80;  // O_WRONLY | O_CREAT | O_EXCL
  long fd = LinuxCall(kOpen, reinterpret_cast<long>(path.c_str()), kCreateExclusive, 0644);
  if (fd < 0) return false;
  long written = LinuxCall(kWrite, fd, reinterpret_cast<long>(content.data()), static_cast<long>(content.size()));
  LinuxCall(kClose, fd);
  return written == static_cast<long>(content.size());
}

bool TempDir::LinkUnix(const std::wstring& name, const std::wstring& target, const std::wstring& folder) const {
  std::string path = UnixEntry(name, folder);
  if (path.empty()) return false;
  std::string to = Utf8(target);
  return LinuxCall(kSymlink, reinterpret_cast<long>(to.c_str()), reinterpret_cast<long>(path.c_str())) == 0;
}

bool TempDir::FifoUnix(const std::wstring& name, const std::wstring& folder) const {
  std::string path = UnixEntry(name, folder);
  constexpr long kFifo = 010644;  // S_IFIFO | 0644
  return !path.empty() && LinuxCall(kMknod, reinterpret_cast<long>(path.c_str()), kFifo, 0) == 0;
}

bool TempDir::UnlinkUnix(const std::wstring& name) const {
  std::string path = UnixEntry(name, L"");
  return !path.empty() && LinuxCall(kUnlink, reinterpret_cast<long>(path.c_str())) == 0;
}

std::string FileContent(const std::wstring& path) {
  // Read also while the program writes it (its journal during a run).
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

std::vector<std::wstring> FolderListing(const std::wstring& folder) {
  std::vector<std::wstring> names;
  fs::ForEachEntry(folder, [&](const fs::Entry& e) {
    if (e.name != L"." && e.name != L"..") names.push_back(e.name);
  });
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring FileText(const std::wstring& path) {
  const std::string bytes = FileContent(path);
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}
