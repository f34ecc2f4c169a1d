#include "os/OwnFile.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "os/Handle.h"

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

}  // namespace os
