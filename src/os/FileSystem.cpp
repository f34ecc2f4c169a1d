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
#include "text/sjis.h"

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

// A CP932 path that has no exact UTF-16 form names nothing: the caller must not guess. A long
// path is given in the "\\?\" form, which is read as it stands: only one the platform reads as
// it stands anyway, so that both forms name the same entry.
bool Utf16Path(std::string_view path, std::wstring& out) {
  if (path.empty() || !sjis::ToUtf16(path, out) || Prefixed(out)) return false;
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

// The entry's name as CP932, only when converting it back gives the very same name: a name
// that would come back as a look-alike (another file's name) is no name of ours. The same
// conversions as sjis::FromUtf16 and sjis::ToUtf16, one call each into buffers that fit any
// entry's name: this runs for every entry of every listed folder.
bool ExactName(const wchar_t* wide, std::string& out) {
  constexpr int kMaxName = MAX_PATH;  // cFileName's size, with its terminating null
  const int length = static_cast<int>(wcsnlen(wide, kMaxName));
  if (length == 0 || length >= kMaxName) return false;
  char narrow[2 * kMaxName];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(sjis::kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, narrow, sizeof narrow,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  wchar_t back[kMaxName];
  const int m = MultiByteToWideChar(sjis::kCodePage, MB_ERR_INVALID_CHARS, narrow, n, back, kMaxName);
  if (m != length || std::wmemcmp(back, wide, static_cast<std::size_t>(length)) != 0) return false;
  out.assign(narrow, static_cast<std::size_t>(n));
  return true;
}

void Fill(const WIN32_FIND_DATAW& data, std::string name, Entry& out) {
  out.name = std::move(name);
  out.attributes = data.dwFileAttributes;
  out.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  out.creation = data.ftCreationTime;
  out.lastWrite = data.ftLastWriteTime;
  out.lastAccess = data.ftLastAccessTime;
}

// FullPath with one call per step into buffers on the stack, for the usual short path: a drop
// can give thousands. Empty with `done` false when the path is too long for them.
std::string QuickFullPath(std::string_view path, bool& done) {
  constexpr int kSize = 1024;
  done = false;
  if (path.empty() || path.size() >= kSize) return std::string();
  wchar_t w[kSize], full[kSize];
  int n = MultiByteToWideChar(sjis::kCodePage, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), w,
                              kSize - 1);
  done = true;
  if (n <= 0) return std::string();
  w[n] = L'\0';
  DWORD m = GetFullPathNameW(w, kSize, full, nullptr);
  if (m == 0) return std::string();
  if (m >= static_cast<DWORD>(kSize)) {
    done = false;
    return std::string();
  }
  char narrow[2 * kSize];
  BOOL usedDefault = FALSE;
  int k = WideCharToMultiByte(sjis::kCodePage, WC_NO_BEST_FIT_CHARS, full, static_cast<int>(m), narrow, sizeof narrow,
                              nullptr, &usedDefault);
  if (k <= 0 || usedDefault) return std::string();
  return std::string(narrow, static_cast<std::size_t>(k));
}

}  // namespace

std::string FullPath(std::string_view path) {
  bool done = false;
  std::string out = QuickFullPath(path, done);
  if (!done) {
    std::wstring w, full;
    if (path.empty() || !sjis::ToUtf16(path, w) || !FullUtf16(w, full) || !sjis::FromUtf16(full, out)) {
      return std::string();
    }
  }
  if (!out.starts_with("\\\\")) return out;
  // A "\\?\" path given is kept plain, where the plain path names the same entry; a device
  // ("\\.\con") is no file.
  std::string plain;
  if (out.starts_with("\\\\?\\UNC\\")) {
    plain = "\\\\" + out.substr(8);
  } else if (out.starts_with("\\\\?\\") && out.size() >= 7 && out[5] == ':' && out[6] == '\\') {
    plain = out.substr(4);
  } else if (out.starts_with("\\\\?\\") || out.starts_with("\\\\.\\")) {
    return std::string();
  } else {
    return out;
  }
  return FullPath(plain) == plain ? plain : std::string();
}

bool IsDevicePath(std::string_view path) {
  std::wstring w, full;
  return sjis::ToUtf16(path, w) && FullUtf16(w, full) && (full.starts_with(L"\\\\.\\") || full.starts_with(L"\\??\\"));
}

bool Utf16PathOf(std::string_view path, std::wstring& out) { return Utf16Path(path, out); }

std::uint32_t Attributes(std::string_view path) {
  std::wstring w;
  if (!Utf16Path(path, w)) return kInvalidAttributes;
  return GetFileAttributesW(w.c_str());
}

bool ExistsAsFile(std::string_view path) {
  std::uint32_t a = Attributes(path);
  return a != kInvalidAttributes && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(std::string_view path) {
  std::uint32_t a = Attributes(path);
  return a != kInvalidAttributes && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

bool FileInfo(std::string_view path, BY_HANDLE_FILE_INFORMATION& info) {
  const os::unique_file h = OpenToIdentify(path);
  return h && GetFileInformationByHandle(h.get(), &info) != 0;
}

}  // namespace

NameLimit NameLimitOf(std::string_view folder) {
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

std::string FinalPathOf(HANDLE h) {
  std::string narrow;
  const std::wstring wide = os::FinalPath(h);
  return !wide.empty() && sjis::FromUtf16(wide, narrow) ? narrow : std::string();
}

}  // namespace

std::string FinalPath(std::string_view path) {
  const os::unique_file h = OpenToIdentify(path);
  return h ? FinalPathOf(h.get()) : std::string();
}

OpenFile::OpenFile(std::string_view path) : from_(path) {
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

const std::string& OpenFile::FinalPath() const {
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

std::vector<std::string> LinkNames(std::string_view folder) {
  std::vector<std::string> out;
  std::wstring w;
  std::vector<std::wstring> links;
  if (!os::UnderWine() || !Utf16Path(folder, w)) return out;
  if (w.size() > 3 && w.back() == L'\\') w.pop_back();
  UnixNames names;
  if (!os::UnixLinkNames(names.Folder(w), links)) return out;
  std::string narrow;
  for (const std::wstring& link : links) {
    if (sjis::FromUtf16(link, narrow)) out.push_back(narrow);
  }
  return out;
}

bool EntryId(std::string_view path, FileId& out, std::string* finalFolder) {
  std::string bare(path);
  if (bare.size() > 3 && bare.back() == '\\') bare.pop_back();  // "C:\" stays a root
  const os::unique_file h = OpenToIdentify(bare);
  if (!h) return false;
  if (finalFolder) {
    *finalFolder = FinalPathOf(h.get());
    if (finalFolder->empty()) return false;
    if (finalFolder->back() != '\\') *finalFolder += '\\';
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

bool UnixNames::Held(std::string_view path) {
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

os::unique_file OpenToIdentify(std::string_view path) {
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

std::string FinalFolderPath(std::string_view folder) {
  std::string bare(folder);
  if (bare.size() > 3 && bare.back() == '\\') bare.pop_back();  // "C:\" stays a root
  std::string final = FinalPath(bare);
  if (!final.empty() && final.back() != '\\') final += '\\';
  return final;
}

bool ReachedItself(std::string_view reached, std::string_view finalFolder, std::string_view path) {
  if (reached.empty() || finalFolder.empty()) return false;  // what can't be asked isn't ours
  std::string a, b;
  sjis::AppendUpper(sjis::FolderPart(reached), a);
  sjis::AppendUpper(finalFolder, b);
  if (a != b) return false;
  a.clear();
  b.clear();
  sjis::AppendUpper(sjis::FileName(reached), a);
  sjis::AppendUpper(sjis::FileName(path), b);
  return a == b;
}

bool OpenFile::Id(FileId& out, UnixNames* names) const {
  if (!ok()) return false;
  // The volume's serial, asked once per folder (a run's rows go from folder to folder as
  // their names sort): every file of a folder lies on its volume.
  static std::unordered_map<std::string, std::uint32_t> volumes;
  const std::string folder(sjis::FolderPart(from_));
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
    std::wstring final;
    os::UnixEntry entry;
    UnixNames own;
    UnixNames& unix = names ? *names : own;
    if (sjis::ToUtf16(FinalPath(), final) && os::StatUnix(unix.Path(final), entry) && entry.inode == out.index) {
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

DWORD OpenFile::RenameTo(std::string_view to) {
  if (!ok()) return error_ ? error_ : ERROR_INVALID_HANDLE;
  std::wstring wTo;
  if (!Utf16Path(to, wTo)) return ERROR_INVALID_NAME;
  // A path Win32 would read otherwise (a device name such as "CON.jpg", a trailing dot) is
  // refused, as MoveFile refuses it: an NT path would make a file no Win32 path can reach.
  std::wstring full;
  if (!FullUtf16(wTo, full) || full != wTo) return ERROR_INVALID_NAME;
  return os::RenameHandle(handle_.get(), wTo, false);
}

bool SameFile(std::string_view a, std::string_view b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return FileInfo(a, x) && FileInfo(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool Opens(std::string_view path) { return static_cast<bool>(OpenToIdentify(path)); }

bool IsDiskFile(std::string_view path) {
  if (Attributes(path) != kInvalidAttributes) return true;
  const os::unique_file h = OpenToIdentify(path);
  return h && GetFileType(h.get()) == FILE_TYPE_DISK;
}

bool LookAtFile(std::string_view path, FileLook& out) {
  std::wstring wide;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Utf16Path(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  out.lastWrite = std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
  out.size = std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
  return true;
}

os::unique_file OpenForReading(std::string_view path) {
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

bool FindEntry(std::string_view path, Entry& out) {
  // A wildcard would turn the lookup of one entry into a pattern search that reports some
  // other file's name.
  // '"', "<" and ">" are wildcards too; "/" and ":" would reach another entry.
  std::string_view name = sjis::FileName(path);
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); i = sjis::NextChar(name, i)) {
    if (sjis::RefusedInName(static_cast<unsigned char>(name[i]))) return false;
  }
  std::wstring w;
  if (!Utf16Path(path, w)) return false;
  WIN32_FIND_DATAW data;
  if (!os::unique_find(FindFirstFileW(w.c_str(), &data))) return false;
  std::string narrow;
  if (!ExactName(data.cFileName, narrow)) return false;
  Fill(data, std::move(narrow), out);
  return true;
}

FolderSearch::FolderSearch(std::string_view folder) {
  failed_ = true;
  if (folder.empty()) return;
  // "*" rather than "*.*": read as it stands (a "\\?\" path), "*.*" would want a dot.
  std::string pattern = sjis::JoinPath(folder, "*");
  std::wstring w;
  if (!Utf16Path(pattern, w)) return;
  handle_.reset(FindFirstFileW(w.c_str(), &data_));
  // A drive's empty root lists nothing at all; every other folder lists "." and "..".
  failed_ = !handle_ && GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool FolderSearch::Next(Entry& out) {
  if (!handle_) return false;
  std::string narrow;
  for (;;) {
    if (first_) {
      first_ = false;
    } else if (!FindNextFileW(handle_.get(), &data_)) {
      failed_ = GetLastError() != ERROR_NO_MORE_FILES;
      return false;
    }
    // Names with no exact CP932 form never enter the program.
    if (ExactName(data_.cFileName, narrow)) break;
    if (!(data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ++foreignFiles_;
    } else if (!(data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      ++foreignFolders_;
    }
  }
  Fill(data_, std::move(narrow), out);
  return true;
}

}  // namespace fs
