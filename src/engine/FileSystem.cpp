#include "engine/FileSystem.h"

#include <cstring>
#include <cwchar>
#include <vector>
#include <map>
#include <utility>

#include "text/sjis.h"

namespace fs {

MoveFaultHook moveFaultForTests = nullptr;

namespace {

// The test hook's verdict on a move: true when it fails the move (last error set).
bool FaultInjected(std::string_view from, std::string_view to) {
  if (!moveFaultForTests) return false;
  const DWORD error = moveFaultForTests(from, to);
  if (error == 0) return false;
  SetLastError(error);
  return true;
}

// A CP932 path that has no exact UTF-16 form names nothing: the caller must not guess.
bool WidePath(std::string_view path, std::wstring& out) {
  return !path.empty() && sjis::ToWide(path, out);
}

// The entry's name as CP932, only when converting it back gives the very same name: a name
// that would come back as a look-alike (another file's name) is no name of ours. The same
// conversions as sjis::FromWide and sjis::ToWide, one call each into buffers that fit any
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
  std::string quick = QuickFullPath(path, done);
  if (done) return quick;
  std::wstring w;
  if (!WidePath(path, w)) return std::string();
  DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::string();
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return std::string();
  full.resize(n);
  std::string out;
  return sjis::FromWide(full, out) ? out : std::string();
}

std::uint32_t Attributes(std::string_view path) {
  std::wstring w;
  if (!WidePath(path, w)) return kInvalidAttributes;
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

// Attributes only: no sharing is denied to anyone, and a folder opens too.
HANDLE OpenEntry(std::string_view path) {
  std::wstring w;
  if (!WidePath(path, w)) return INVALID_HANDLE_VALUE;
  return CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool FileId(std::string_view path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = OpenEntry(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

bool UnderWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
  }();
  return wine;
}

NameLimit NameLimitOf(std::string_view folder) {
  NameLimit limit;
  limit.utf8 = UnderWine();
  std::wstring w;
  wchar_t root[MAX_PATH + 1];
  DWORD max = 0;
  if (!WidePath(folder, w) || !GetVolumePathNameW(w.c_str(), root, MAX_PATH + 1)) return limit;
  // The volume's answer is kept: under Wine it costs as much as listing 50 entries.
  static std::map<std::wstring, DWORD> known;
  auto it = known.find(root);
  if (it == known.end()) {
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, &max, nullptr, nullptr, 0)) max = 0;
    it = known.emplace(root, max).first;
  }
  if (it->second > 0) limit.max = it->second;
  return limit;
}

namespace {

std::string FinalPathOf(HANDLE h) {
  wchar_t buf[1024];
  DWORD n = GetFinalPathNameByHandleW(h, buf, 1024, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 1024) return std::string();
  std::wstring_view w(buf, n);
  std::wstring out;
  if (w.starts_with(L"\\\\?\\UNC\\")) {
    out = L"\\\\" + std::wstring(w.substr(8));
  } else if (w.starts_with(L"\\\\?\\")) {
    out = std::wstring(w.substr(4));
  } else {
    out = std::wstring(w);
  }
  std::string narrow;
  return sjis::FromWide(out, narrow) ? narrow : std::string();
}

}  // namespace

std::string FinalPath(std::string_view path) {
  HANDLE h = OpenEntry(path);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::string out = FinalPathOf(h);
  CloseHandle(h);
  return out;
}

MoveResult MoveChecked(std::string_view from, std::string_view to, bool (*accept)(std::string_view, std::string_view),
                       std::string_view context) {
  std::wstring wFrom, wTo;
  if (!WidePath(from, wFrom) || !WidePath(to, wTo)) return MoveResult::Failed;
  HANDLE h = CreateFileW(wFrom.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return MoveResult::Failed;
  if (!accept(FinalPathOf(h), context)) {
    CloseHandle(h);
    return MoveResult::Refused;
  }
  // A path Win32 would read otherwise (a device name such as "CON.jpg", a trailing dot) is
  // refused, as MoveFile refuses it: an NT path would make a file no Win32 path can reach.
  wchar_t full[1024];
  DWORD n = GetFullPathNameW(wTo.c_str(), 1024, full, nullptr);
  if (n == 0 || n >= 1024 || wTo != std::wstring_view(full, n)) {
    CloseHandle(h);
    return MoveResult::Failed;
  }
  // The new name as an NT path ("\??\C:\...", "\??\UNC\server\..."), with no root handle;
  // never replacing.
  std::wstring target;
  if (wTo.starts_with(L"\\\\?\\")) {
    target = L"\\??\\" + wTo.substr(4);
  } else if (wTo.starts_with(L"\\\\")) {
    target = L"\\??\\UNC\\" + wTo.substr(2);
  } else {
    target = L"\\??\\" + wTo;
  }
  std::vector<unsigned char> buf(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, target.data(), info->FileNameLength);
  BOOL ok = !FaultInjected(from, to) &&
            SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buf.size()));
  CloseHandle(h);
  return ok ? MoveResult::Moved : MoveResult::Failed;
}

bool SameFile(std::string_view a, std::string_view b) {
  BY_HANDLE_FILE_INFORMATION x{}, y{};
  return FileId(a, x) && FileId(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool Opens(std::string_view path) {
  HANDLE h = OpenEntry(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool Move(std::string_view from, std::string_view to) {
  std::wstring wFrom, wTo;
  if (!WidePath(from, wFrom) || !WidePath(to, wTo)) return false;
  if (FaultInjected(from, to)) return false;
  // No MOVEFILE_REPLACE_EXISTING: an existing target makes the move fail.
  return MoveFileW(wFrom.c_str(), wTo.c_str()) != 0;
}

bool IsDiskFile(std::string_view path) {
  if (Attributes(path) != kInvalidAttributes) return true;
  HANDLE h = OpenEntry(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool disk = GetFileType(h) == FILE_TYPE_DISK;
  CloseHandle(h);
  return disk;
}

bool FindEntry(std::string_view path, Entry& out) {
  // A wildcard would turn the lookup of one entry into a pattern search that reports some
  // other file's name.
  std::string_view name = sjis::FileName(path);
  if (name.empty() || sjis::Contains(name, "*") || sjis::Contains(name, "?")) return false;
  std::wstring w;
  if (!WidePath(path, w)) return false;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(w.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  std::string narrow;
  if (!ExactName(data.cFileName, narrow)) return false;
  Fill(data, std::move(narrow), out);
  return true;
}

FolderSearch::FolderSearch(std::string_view folder) {
  failed_ = true;
  if (folder.empty()) return;
  std::string pattern = sjis::JoinPath(folder, "*.*");
  std::wstring w;
  if (!sjis::ToWide(pattern, w)) return;
  handle_ = FindFirstFileW(w.c_str(), &data_);
  // A drive's empty root lists nothing at all; every other folder lists "." and "..".
  failed_ = handle_ == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND;
}

FolderSearch::~FolderSearch() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

bool FolderSearch::Next(Entry& out) {
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  std::string narrow;
  for (;;) {
    if (first_) {
      first_ = false;
    } else if (!FindNextFileW(handle_, &data_)) {
      failed_ = GetLastError() != ERROR_NO_MORE_FILES;
      return false;
    }
    // Names with no exact CP932 form never enter the program.
    if (ExactName(data_.cFileName, narrow)) break;
    if (!(data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++foreignFiles_;
  }
  Fill(data_, std::move(narrow), out);
  return true;
}

}  // namespace fs
