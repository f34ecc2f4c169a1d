#include "os/UnixEntry.h"

#include <cstring>

#include "os/OwnFile.h"

namespace os {

namespace {

// struct statx as the kernel fills it: the fields read here and their offsets.
constexpr unsigned kStatxIno = 0x100, kStatxBtime = 0x800;
constexpr int kAtFdCwd = -100, kAtSymlinkNoFollow = 0x100;
constexpr std::size_t kInoAt = 32, kBtimeAt = 80;
// Seconds from 1601 to 1970.
constexpr std::uint64_t kEpochDelta = 11644473600ull;

// A Linux system call of up to five arguments (i386: int 0x80).
long LinuxCall(long number, long a, long b, long c, long d = 0, long e = 0) {
  long r = -1;
#if defined(__i386__)
  asm volatile("int $0x80" : "=a"(r) : "a"(number), "b"(a), "c"(b), "d"(c), "S"(d), "D"(e) : "memory");
#else
  (void)number, (void)a, (void)b, (void)c, (void)d, (void)e;
#endif
  return r;
}

constexpr long kOpen = 5, kClose = 6, kGetdents64 = 220, kStatx = 383;

}  // namespace

bool UnixLinkNames(const std::string& folder, std::vector<std::wstring>& out) {
  out.clear();
  if (!UnderWine() || folder.empty()) return false;
  constexpr long kReadOnlyDirectory = 0200000;  // O_RDONLY | O_DIRECTORY
  constexpr unsigned char kLink = 10;           // DT_LNK
  const long fd = LinuxCall(kOpen, reinterpret_cast<long>(folder.c_str()), kReadOnlyDirectory, 0);
  if (fd < 0) return false;
  alignas(8) char buf[32768];
  bool ok = true;
  for (;;) {
    const long n = LinuxCall(kGetdents64, fd, reinterpret_cast<long>(buf), sizeof buf);
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    // struct linux_dirent64: ino (8), off (8), reclen (2), type (1), name.
    for (long at = 0; at < n;) {
      unsigned short length = 0;
      std::memcpy(&length, buf + at + 16, sizeof length);
      if (length == 0) break;
      if (static_cast<unsigned char>(buf[at + 18]) == kLink) {
        const char* name = buf + at + 19;
        const int bytes = static_cast<int>(strnlen(name, static_cast<std::size_t>(length) - 19));
        const int units = MultiByteToWideChar(CP_UTF8, 0, name, bytes, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(units), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, name, bytes, wide.data(), units);
        if (units > 0) out.push_back(std::move(wide));
      }
      at += length;
    }
  }
  LinuxCall(kClose, fd, 0, 0);
  return ok;
}

std::string UnixPathOf(const std::wstring& path) {
  if (!UnderWine()) return {};
  using ToUnix = char*(CDECL*)(const wchar_t*);
  static const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return {};
  char* unix = toUnix(path.c_str());
  if (!unix) return {};
  std::string out(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return out;
}

bool StatUnix(const std::string& path, UnixEntry& out) {
  if (!UnderWine() || path.empty()) return false;
  alignas(8) unsigned char buf[256] = {};
  if (LinuxCall(kStatx, kAtFdCwd, reinterpret_cast<long>(path.c_str()), kAtSymlinkNoFollow, kStatxIno | kStatxBtime,
                reinterpret_cast<long>(buf)) != 0) {
    return false;
  }
  unsigned mask = 0;
  std::memcpy(&mask, buf, sizeof mask);
  out = UnixEntry{};
  std::memcpy(&out.inode, buf + kInoAt, sizeof out.inode);
  if (mask & kStatxBtime) {
    std::int64_t seconds = 0;
    std::uint32_t nanos = 0;
    std::memcpy(&seconds, buf + kBtimeAt, sizeof seconds);
    std::memcpy(&nanos, buf + kBtimeAt + 8, sizeof nanos);
    if (seconds > 0) out.birth = (static_cast<std::uint64_t>(seconds) + kEpochDelta) * 10000000ull + nanos / 100;
  }
  return true;
}

}  // namespace os
