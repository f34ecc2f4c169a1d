#include "support/Oracles.h"

#include <windows.h>

#include "text/sjis.h"
#include "text/utf16.h"

namespace {

// A text whose mapping would leave CP932 is returned unchanged.
std::string MapValid(std::string_view s, bool upper) {
  std::wstring w;
  if (s.empty() || !sjis::ToUtf16(s, w)) return std::string(s);
  if (upper) {
    CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  } else {
    CharLowerBuffW(w.data(), static_cast<DWORD>(w.size()));
  }
  std::string out;
  if (!sjis::FromUtf16(w, out)) return std::string(s);
  return out;
}

std::string MapCase(std::string_view s, bool upper) {
  std::string out;
  std::wstring w;
  std::size_t run = 0;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t next = sjis::NextChar(s, i);
    if (!sjis::ToUtf16(s.substr(i, next - i), w)) {
      out += MapValid(s.substr(run, i - run), upper);
      out.append(s.data() + i, next - i);
      run = next;
    }
    i = next;
  }
  out += MapValid(s.substr(run), upper);
  return out;
}

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

std::string PlatformUpper(std::string_view s) { return MapCase(s, true); }
std::string PlatformLower(std::string_view s) { return MapCase(s, false); }
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
