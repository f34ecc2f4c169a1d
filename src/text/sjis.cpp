#include "text/sjis.h"

#include <windows.h>

namespace sjis {

std::size_t FileNameStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i = NextChar(path, i)) {
    if (path[i] == '\\' || path[i] == ':') start = i + 1;
  }
  return start;
}

std::size_t ExtensionStart(std::string_view path) {
  std::size_t dot = npos;
  for (std::size_t i = FileNameStart(path); i < path.size(); i = NextChar(path, i)) {
    if (path[i] == '.') dot = i;
  }
  return dot;
}

std::string_view Extension(std::string_view path) {
  std::size_t dot = ExtensionStart(path);
  return dot == npos ? std::string_view() : path.substr(dot);
}

std::string_view StripExtension(std::string_view path) {
  std::size_t dot = ExtensionStart(path);
  return dot == npos ? path : path.substr(0, dot);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || FileNameStart(path) != path.size() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string_view BaseName(std::string_view path) {
  return StripExtension(path).substr(FileNameStart(path));
}

std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.empty() || pattern.size() > text.size()) return npos;
  // `from` is expected to be a character start; step from there so trail bytes are skipped.
  for (std::size_t i = from; i + pattern.size() <= text.size(); i = NextChar(text, i)) {
    if (text.compare(i, pattern.size(), pattern) == 0) return i;
  }
  return npos;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
  }
  return out;
}

bool ToWide(std::string_view s, std::wstring& out) {
  out.clear();
  if (s.empty()) return true;
  int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                              nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<std::size_t>(n));
  if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                          out.data(), n) != n) {
    out.clear();
    return false;
  }
  return true;
}

bool FromWide(std::wstring_view w, std::string& out) {
  out.clear();
  if (w.empty()) return true;
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                              nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<std::size_t>(n));
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                          out.data(), n, nullptr, &usedDefault) != n ||
      usedDefault) {
    out.clear();
    return false;
  }
  return true;
}

std::wstring Widen(std::string_view s) {
  std::wstring out;
  if (s.empty()) return out;
  int n = MultiByteToWideChar(kCodePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(kCodePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view w) {
  std::string out;
  if (w.empty()) return out;
  int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                              nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                      out.data(), n, nullptr, nullptr);
  return out;
}

namespace {

// Map through UTF-16 with code page 932 named explicitly, so the result is what the A
// functions give on a Japanese system whatever the system code page is. A text whose
// mapping would leave CP932 (no such case is known) is returned unchanged.
std::string MapCase(std::string_view s, bool upper) {
  std::wstring w;
  if (s.empty() || !ToWide(s, w)) return std::string(s);
  if (upper) {
    CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  } else {
    CharLowerBuffW(w.data(), static_cast<DWORD>(w.size()));
  }
  std::string out;
  if (!FromWide(w, out)) return std::string(s);
  return out;
}

}  // namespace

std::string Upper(std::string_view s) { return MapCase(s, true); }
std::string Lower(std::string_view s) { return MapCase(s, false); }

}  // namespace sjis
