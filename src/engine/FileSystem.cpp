#include "engine/FileSystem.h"

#include <utility>

#include "text/sjis.h"

namespace fs {

namespace {

// A CP932 path that has no exact UTF-16 form names nothing: the caller must not guess.
bool WidePath(std::string_view path, std::wstring& out) {
  return !path.empty() && sjis::ToWide(path, out);
}

// The entry's name as CP932, only when converting it back gives the very same name: a name
// that would come back as a look-alike (another file's name) is no name of ours.
bool ExactName(const wchar_t* wide, std::string& out) {
  std::wstring_view name(wide);
  std::wstring back;
  return !name.empty() && sjis::FromWide(name, out) && sjis::ToWide(out, back) && back == name;
}

void Fill(const WIN32_FIND_DATAW& data, std::string name, Entry& out) {
  out.name = std::move(name);
  out.attributes = data.dwFileAttributes;
  out.creation = data.ftCreationTime;
  out.lastWrite = data.ftLastWriteTime;
  out.lastAccess = data.ftLastAccessTime;
}

}  // namespace

std::string FullPath(std::string_view path) {
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

bool Move(std::string_view from, std::string_view to) {
  std::wstring wFrom, wTo;
  if (!WidePath(from, wFrom) || !WidePath(to, wTo)) return false;
  // No MOVEFILE_REPLACE_EXISTING: an existing target makes the move fail.
  return MoveFileW(wFrom.c_str(), wTo.c_str()) != 0;
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
  if (folder.empty()) return;
  std::string pattern = sjis::JoinPath(folder, "*.*");
  std::wstring w;
  if (!sjis::ToWide(pattern, w)) return;
  handle_ = FindFirstFileW(w.c_str(), &data_);
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
      return false;
    }
    // Names with no exact CP932 form never enter the program.
    if (ExactName(data_.cFileName, narrow)) break;
  }
  Fill(data_, std::move(narrow), out);
  return true;
}

}  // namespace fs
