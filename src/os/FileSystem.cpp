#include "os/FileSystem.h"

#include <cstring>
#include <cwchar>
#include <vector>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "os/OwnFile.h"
#include "os/UnixEntry.h"
#include "text/utf16.h"

namespace fs {

namespace {

// Plain paths this long are cut by Win32 (a folder's at this length, which leaves room for an
// 8.3 name); they reach the file system in the "\\?\" form.
constexpr std::size_t kLongPath = MAX_PATH - 12;

// GetFullPathNameW, of any length.
bool FullUtf16(const std::wstring& path, std::wstring& out) {
  DWORD size = MAX_PATH;
  for (int tries = 0; tries < 3; ++tries) {  // the current folder may change between two calls
    out.resize(size);
    const DWORD n = GetFullPathNameW(path.c_str(), size, out.data(), nullptr);
    if (n == 0) return false;
    if (n < size) {
      out.resize(n);
      return true;
    }
    size = n;
  }
  return false;
}

// "\\?\", "\\.\" and "\??\" paths skip the platform's reading of a path: a path of ours never
// has one, so one from outside (a journal) names nothing.
bool Prefixed(std::wstring_view w) {
  return w.starts_with(L"\\\\?\\") || w.starts_with(L"\\\\.\\") || w.starts_with(L"\\??\\");
}

// A long path is given in the "\\?\" form, which is read as it stands: only one the platform
// reads as it stands anyway, so that both forms name the same entry. A path with a NUL would be
// cut short by the platform: it names nothing.
bool Utf16Path(std::wstring_view path, std::wstring& out) {
  if (path.empty() || path.find(L'\0') != std::wstring_view::npos || Prefixed(path)) return false;
  out.assign(path);
  if (out.size() < kLongPath) return true;
  std::wstring full;
  if (!FullUtf16(out, full) || full.size() != out.size()) return false;
  // GetFullPathName may write the drive letter in upper case.
  const std::size_t from = out[1] == L':' && (full[0] | 0x20) == (out[0] | 0x20) ? 1 : 0;
  if (full.compare(from, std::wstring::npos, out, from) != 0) return false;
  if (out.starts_with(L"\\\\")) {
    out.replace(0, 2, L"\\\\?\\UNC\\");
  } else if (out.size() >= 3 && out[1] == L':' && out[2] == L'\\') {
    out.insert(0, L"\\\\?\\");
  } else {
    return false;
  }
  return true;
}

// The entry's name, where the search gave one (cFileName ends in a NUL).
bool EntryName(const wchar_t* wide, std::wstring& out) {
  const std::size_t length = wcsnlen(wide, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  out.assign(wide, length);
  return true;
}

void Fill(const WIN32_FIND_DATAW& data, std::wstring name, Entry& out) {
  out.name = std::move(name);
  out.attributes = data.dwFileAttributes;
  out.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  out.creation = data.ftCreationTime;
  out.lastWrite = data.ftLastWriteTime;
  out.lastAccess = data.ftLastAccessTime;
}

// FullPath with one call into a buffer on the stack, for the usual short path: a drop can give
// thousands. Empty with `done` false when the path is too long for it.
std::wstring QuickFullPath(std::wstring_view path, bool& done) {
  constexpr DWORD kSize = 1024;
  done = false;
  if (path.empty() || path.size() >= kSize) return std::wstring();
  wchar_t w[kSize], full[kSize];
  path.copy(w, path.size());
  w[path.size()] = L'\0';
  done = true;
  const DWORD m = GetFullPathNameW(w, kSize, full, nullptr);
  if (m == 0) return std::wstring();
  if (m >= kSize) {
    done = false;
    return std::wstring();
  }
  return std::wstring(full, m);
}

}  // namespace

std::wstring FullPath(std::wstring_view path) {
  // A NUL would cut the path short: what follows it would be lost.
  if (path.find(L'\0') != std::wstring_view::npos) return std::wstring();
  bool done = false;
  std::wstring out = QuickFullPath(path, done);
  if (!done && (path.empty() || !FullUtf16(std::wstring(path), out))) return std::wstring();
  if (!out.starts_with(L"\\\\")) return out;
  // A "\\?\" path given is kept plain, where the plain path names the same entry; a device
  // ("\\.\con") is no file.
  std::wstring plain;
  if (out.starts_with(L"\\\\?\\UNC\\")) {
    plain = L"\\\\" + out.substr(8);
  } else if (out.starts_with(L"\\\\?\\") && out.size() >= 7 && out[5] == L':' && out[6] == L'\\') {
    plain = out.substr(4);
  } else if (out.starts_with(L"\\\\?\\") || out.starts_with(L"\\\\.\\")) {
    return std::wstring();
  } else {
    return out;
  }
  return FullPath(plain) == plain ? plain : std::wstring();
}

bool IsDevicePath(std::wstring_view path) {
  std::wstring full;
  return !path.empty() && path.find(L'\0') == std::wstring_view::npos && FullUtf16(std::wstring(path), full) &&
         (full.starts_with(L"\\\\.\\") || full.starts_with(L"\\??\\"));
}

bool Utf16PathOf(std::wstring_view path, std::wstring& out) { return Utf16Path(path, out); }

std::uint32_t Attributes(std::wstring_view path) {
  std::wstring w;
  if (!Utf16Path(path, w)) return kInvalidAttributes;
  return GetFileAttributesW(w.c_str());
}

bool ExistsAsFile(std::wstring_view path) {
  std::uint32_t a = Attributes(path);
  return a != kInvalidAttributes && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(std::wstring_view path) {
  std::uint32_t a = Attributes(path);
  return a != kInvalidAttributes && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

bool FileInfo(std::wstring_view path, BY_HANDLE_FILE_INFORMATION& info) {
  const os::unique_file h = OpenToIdentify(path);
  return h && GetFileInformationByHandle(h.get(), &info) != 0;
}

}  // namespace

NameLimit NameLimitOf(std::wstring_view folder) {
  NameLimit limit;
  limit.utf8 = os::UnderWine();
  std::wstring w;
  DWORD max = 0;
  if (!Utf16Path(folder, w)) return limit;
  // The volume's path is never longer than a full path on it, with a "\" added.
  std::wstring root(w.size() + 2, L'\0');
  if (!GetVolumePathNameW(w.c_str(), root.data(), static_cast<DWORD>(root.size()))) return limit;
  root.resize(std::wcslen(root.c_str()));
  // The volume's answer is kept: under Wine it costs as much as listing 50 entries.
  static std::map<std::wstring, DWORD> known;
  auto it = known.find(root);
  if (it == known.end()) {
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, &max, nullptr, nullptr, 0)) max = 0;
    it = known.emplace(root, max).first;
  }
  if (it->second > 0) limit.max = it->second;
  return limit;
}

namespace {

std::wstring FinalPathOf(HANDLE h) { return os::FinalPath(h); }

}  // namespace

std::wstring FinalPath(std::wstring_view path) {
  const os::unique_file h = OpenToIdentify(path);
  return h ? FinalPathOf(h.get()) : std::wstring();
}

OpenFile::OpenFile(std::wstring_view path) : from_(path) {
  std::wstring w;
  if (!Utf16Path(path, w)) {
    error_ = ERROR_INVALID_NAME;
    return;
  }
  handle_.reset(CreateFileW(w.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle_) error_ = GetLastError();
}

const std::wstring& OpenFile::FinalPath() const {
  if (!finalAsked_ && ok()) final_ = FinalPathOf(handle_.get());
  finalAsked_ = true;
  return final_;
}

namespace {

// A full UTF-16 path split into its folder ("C:\\" keeps its "\\") and its name.
bool Split(const std::wstring& path, std::wstring& folder, std::wstring& name) {
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 >= path.size()) return false;
  folder = path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  name = path.substr(slash + 1);
  return true;
}

}  // namespace

const std::string& UnixNames::Folder(const std::wstring& folder) {
  auto it = folders_.find(folder);
  if (it == folders_.end()) {
    std::string unix = os::UnixPathOf(folder);
    if (!unix.empty() && unix.back() != '/') unix += '/';
    it = folders_.emplace(folder, std::move(unix)).first;
  }
  return it->second;
}

// The Linux path of an entry of a full UTF-16 path: its folder's, asked once, and its name.
std::string UnixNames::Path(const std::wstring& path) {
  std::wstring folder, name;
  if (!Split(path, folder, name)) return {};
  const std::string& unixFolder = Folder(folder);
  if (unixFolder.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), nullptr,
                                    0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out = unixFolder;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name.data(), static_cast<int>(name.size()), out.data() + at, n,
                      nullptr, nullptr);
  return out;
}

namespace {

std::wstring Upper(std::wstring s) {
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

}  // namespace

std::vector<std::wstring> LinkNames(std::wstring_view folder) {
  std::vector<std::wstring> out;
  std::wstring w;
  std::vector<std::wstring> links;
  if (!os::UnderWine() || !Utf16Path(folder, w)) return out;
  if (w.size() > 3 && w.back() == L'\\') w.pop_back();
  UnixNames names;
  if (!os::UnixLinkNames(names.Folder(w), links)) return out;
  return links;
}

bool EntryId(std::wstring_view path, FileId& out, std::wstring* finalFolder) {
  std::wstring bare(path);
  if (bare.size() > 3 && bare.back() == L'\\') bare.pop_back();  // "C:\" stays a root
  const os::unique_file h = OpenToIdentify(bare);
  if (!h) return false;
  if (finalFolder) {
    *finalFolder = FinalPathOf(h.get());
    if (finalFolder->empty()) return false;
    if (finalFolder->back() != L'\\') *finalFolder += L'\\';
  }
  // The index alone: the volume's serial costs Wine ten times as much, and the caller compares
  // the final path as well.
  out = FileId{};
  if (!FileIndex(h.get(), out.index)) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info)) return false;
    out.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  }
  return out.valid();
}

bool UnixNames::Held(std::wstring_view path) {
  if (!os::UnderWine()) return false;
  std::wstring w, folder, name;
  if (!Utf16Path(path, w) || !Split(w, folder, name)) return false;
  auto it = links_.find(folder);
  if (it == links_.end()) {
    std::vector<std::wstring> links;
    os::UnixLinkNames(Folder(folder), links);
    std::unordered_set<std::wstring> upper;
    for (std::wstring& link : links) upper.insert(Upper(std::move(link)));
    it = links_.emplace(folder, std::move(upper)).first;
  }
  return it->second.count(Upper(name)) != 0;
}

// The file's index alone (FileInternalInformation): under Wine GetFileInformationByHandle costs
// about 100 us, most of it the volume's serial, which a folder's files share.
bool FileIndex(HANDLE h, std::uint64_t& index) {
  using Query = LONG(WINAPI*)(HANDLE, void*, void*, ULONG, ULONG);
  static const Query query = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationFile")))
                 : nullptr;
  }();
  if (!query) return false;
  struct {
    void* status;
    ULONG_PTR information;
  } io{};
  LARGE_INTEGER value{};
  constexpr ULONG kFileInternalInformation = 6;
  if (query(h, &io, &value, sizeof value, kFileInternalInformation) != 0) return false;
  index = static_cast<std::uint64_t>(value.QuadPart);
  return true;
}

os::unique_file OpenToIdentify(std::wstring_view path) {
  std::wstring w;
  if (!Utf16Path(path, w)) return os::unique_file();
  return os::unique_file(CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool WholeId(HANDLE h, FileId& out) {
  out = FileId{};
  // FILE_ID_INFO: the volume's 64-bit serial and the 128-bit index. The class is named in the
  // headers of Windows 8 on; the program builds for Windows 7 too, where the call fails.
  constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
  struct {
    std::uint64_t volume;
    std::uint64_t index[2];
  } id{};
  if (GetFileInformationByHandleEx(h, kFileIdInfo, &id, sizeof id)) {
    // Only the serial's lower half, as GetFileInformationByHandle gives it, is kept.
    out.volume = static_cast<std::uint32_t>(id.volume);
    out.index = id.index[0];
    out.indexHigh = id.index[1];
    return true;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return false;
  out.volume = info.dwVolumeSerialNumber;
  out.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}

std::wstring FinalFolderPath(std::wstring_view folder) {
  std::wstring bare(folder);
  if (bare.size() > 3 && bare.back() == L'\\') bare.pop_back();  // "C:\" stays a root
  std::wstring final = FinalPath(bare);
  if (!final.empty() && final.back() != L'\\') final += L'\\';
  return final;
}

bool ReachedItself(std::wstring_view reached, std::wstring_view finalFolder, std::wstring_view path) {
  if (reached.empty() || finalFolder.empty()) return false;  // what can't be asked isn't ours
  // Letter case aside, as the file system compares names.
  std::wstring a, b;
  utf16::FoldName(utf16::FolderPart(reached), a);
  utf16::FoldName(finalFolder, b);
  if (a != b) return false;
  utf16::FoldName(utf16::FileName(reached), a);
  utf16::FoldName(utf16::FileName(path), b);
  return a == b;
}

bool OpenFile::Id(FileId& out, UnixNames* names) const {
  if (!ok()) return false;
  // The volume's serial, asked once per folder (a run's rows go from folder to folder as
  // their names sort): every file of a folder lies on its volume.
  static std::unordered_map<std::wstring, std::uint32_t> volumes;
  const std::wstring folder(utf16::FolderPart(from_));
  auto known = volumes.find(folder);
  if (known == volumes.end()) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_.get(), &info)) return false;
    if (volumes.size() > 4096) volumes.clear();
    known = volumes.emplace(folder, info.dwVolumeSerialNumber).first;
  }
  out.volume = known->second;
  if (!FileIndex(handle_.get(), out.index)) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_.get(), &info)) return false;
    out.index = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  }
  out.birth = 0;
  if (os::UnderWine()) {
    // Wine's creation time moves with every edit; the Linux file system keeps the birth. It is
    // the handle's file only where the inode is the index Wine gave.
    const std::wstring& final = FinalPath();
    os::UnixEntry entry;
    UnixNames own;
    UnixNames& unix = names ? *names : own;
    if (!final.empty() && os::StatUnix(unix.Path(final), entry) && entry.inode == out.index) {
      out.birth = entry.birth;
    }
  } else {
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(handle_.get(), FileBasicInfo, &basic, sizeof basic)) {
      out.birth = static_cast<std::uint64_t>(basic.CreationTime.QuadPart);
    }
  }
  return out.valid();
}

DWORD OpenFile::RenameTo(std::wstring_view to) {
  if (!ok()) return error_ ? error_ : ERROR_INVALID_HANDLE;
  std::wstring wTo;
  if (!Utf16Path(to, wTo)) return ERROR_INVALID_NAME;
  // A path Win32 would read otherwise (a device name such as "CON.jpg", a trailing dot) is
  // refused, as MoveFile refuses it: an NT path would make a file no Win32 path can reach.
  std::wstring full;
  if (!FullUtf16(wTo, full) || full != wTo) return ERROR_INVALID_NAME;
  return os::RenameHandle(handle_.get(), wTo, false);
}

bool SameFile(std::wstring_view a, std::wstring_view b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return FileInfo(a, x) && FileInfo(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool Opens(std::wstring_view path) { return static_cast<bool>(OpenToIdentify(path)); }

bool IsDiskFile(std::wstring_view path) {
  if (Attributes(path) != kInvalidAttributes) return true;
  const os::unique_file h = OpenToIdentify(path);
  return h && GetFileType(h.get()) == FILE_TYPE_DISK;
}

bool LookAtFile(std::wstring_view path, FileLook& out) {
  std::wstring wide;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Utf16Path(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  out.lastWrite = std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
  out.size = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  return true;
}

os::unique_file OpenForReading(std::wstring_view path) {
  std::wstring wide;
  if (!Utf16Path(path, wide)) return os::unique_file();
  return os::unique_file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool ReadSome(HANDLE h, void* out, std::size_t n, std::size_t& got) {
  DWORD read = 0;
  const bool ok = ReadFile(h, out, static_cast<DWORD>(n), &read, nullptr) != 0;
  got = read;
  return ok;
}

bool ReadAt(HANDLE h, std::uint64_t offset, void* out, std::size_t n) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  std::size_t got = 0;
  return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ReadSome(h, out, n, got) && got == n;
}

bool FindEntry(std::wstring_view path, Entry& out) {
  // A wildcard would turn the lookup of one entry into a pattern search that reports some
  // other file's name.
  // '"', "<" and ">" are wildcards too; "/" and ":" would reach another entry.
  std::wstring_view name = utf16::FileName(path);
  if (name.empty()) return false;
  for (const wchar_t c : name) {
    if (utf16::RefusedInName(c)) return false;
  }
  std::wstring w;
  if (!Utf16Path(path, w)) return false;
  WIN32_FIND_DATAW data;
  if (!os::unique_find(FindFirstFileW(w.c_str(), &data))) return false;
  std::wstring found;
  if (!EntryName(data.cFileName, found)) return false;
  Fill(data, std::move(found), out);
  return true;
}

FolderSearch::FolderSearch(std::wstring_view folder) {
  failed_ = true;
  if (folder.empty()) return;
  // "*" rather than "*.*": read as it stands (a "\\?\" path), "*.*" would want a dot.
  std::wstring pattern = utf16::JoinPath(folder, L"*");
  std::wstring w;
  if (!Utf16Path(pattern, w)) return;
  handle_.reset(FindFirstFileW(w.c_str(), &data_));
  // A drive's empty root lists nothing at all; every other folder lists "." and "..".
  failed_ = !handle_ && GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool FolderSearch::Next(Entry& out) {
  if (!handle_) return false;
  std::wstring name;
  for (;;) {
    if (first_) {
      first_ = false;
    } else if (!FindNextFileW(handle_.get(), &data_)) {
      failed_ = GetLastError() != ERROR_NO_MORE_FILES;
      return false;
    }
    if (EntryName(data_.cFileName, name)) break;
  }
  Fill(data_, std::move(name), out);
  return true;
}

}  // namespace fs
