#include "support/Oracles.h"

#include <windows.h>

#include "text/utf16.h"

namespace {

std::wstring MapCharacters(std::wstring_view s, bool upper) {
  std::wstring out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t next = utf16::NextChar(s, i);
    const std::wstring_view c = s.substr(i, next - i);
    std::wstring mapped(c);
    if (upper) {
      CharUpperBuffW(mapped.data(), static_cast<DWORD>(mapped.size()));
    } else {
      CharLowerBuffW(mapped.data(), static_cast<DWORD>(mapped.size()));
    }
    out += utf16::HasShiftJisForm(c) && !utf16::HasShiftJisForm(mapped) ? c : std::wstring_view(mapped);
    i = next;
  }
  return out;
}

std::wstring Convert(std::wstring_view s, WidthFlags flags, bool kana) {
  std::wstring out;
  WidthConverter(flags, kana).Convert(s, out);
  return out;
}

}  // namespace

namespace oracle {

std::wstring PlatformUpper(std::wstring_view s) { return MapCharacters(s, true); }
std::wstring PlatformLower(std::wstring_view s) { return MapCharacters(s, false); }

}  // namespace oracle

std::wstring CapitalizeFirst(std::wstring_view s) {
  std::wstring out;
  CapitalizeFirstTo(s, out);
  return out;
}

std::wstring CapitalizeWords(std::wstring_view s) {
  std::wstring out;
  CapitalizeWordsTo(s, out);
  return out;
}

std::wstring ConvertWidth(std::wstring_view s, WidthFlags flags) { return Convert(s, flags, false); }
std::wstring HalfKanaToWide(std::wstring_view s) { return Convert(s, 0, true); }
