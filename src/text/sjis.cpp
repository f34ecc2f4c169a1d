#include "text/sjis.h"

#include <windows.h>

namespace sjis {

bool ToUtf16(std::string_view s, std::wstring& out) {
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

bool FromUtf16(std::wstring_view w, std::string& out) {
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

std::wstring ToUtf16Lenient(std::string_view s) {
  std::wstring out;
  if (s.empty()) return out;
  int n = MultiByteToWideChar(kCodePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(kCodePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string FromUtf16Lenient(std::wstring_view w) {
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

}  // namespace sjis
