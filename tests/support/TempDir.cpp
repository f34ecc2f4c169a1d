#include "support/TempDir.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>

#include "engine/FileSystem.h"
#include "text/sjis.h"

namespace {

void RemoveTree(const std::wstring& dir) {
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
  path_ = sjis::Narrow(dir) + "\\";
}

TempDir::~TempDir() { RemoveTree(wpath()); }

std::wstring TempDir::wpath() const {
  std::wstring w = sjis::Widen(path_);
  w.pop_back();
  return w;
}

std::string TempDir::Mkdir(const std::string& relative) const {
  std::string full = path_ + relative;
  std::wstring w = sjis::Widen(full);
  for (std::size_t i = path_.size(); i <= w.size(); ++i) {
    if (i == w.size() || w[i] == L'\\') CreateDirectoryW(w.substr(0, i).c_str(), nullptr);
  }
  return full;
}

std::string TempDir::Touch(const std::string& relative, const std::string& content) const {
  std::string full = path_ + relative;
  std::size_t slash = full.find_last_of('\\');
  if (slash > path_.size()) Mkdir(full.substr(path_.size(), slash - path_.size()));
  HANDLE h = CreateFileW(sjis::Widen(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
  }
  return full;
}

std::wstring TempDir::TouchW(const std::wstring& relative) const {
  std::wstring full = wpath() + L"\\" + relative;
  HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return full;
}

bool TempDir::Exists(const std::string& relative) const {
  return GetFileAttributesW(sjis::Widen(path_ + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderListing(const std::string& folder) {
  std::vector<std::string> names;
  fs::ForEachEntry(folder, [&](const fs::Entry& e) {
    if (e.name != "." && e.name != "..") names.push_back(e.name);
  });
  std::sort(names.begin(), names.end());
  return names;
}
