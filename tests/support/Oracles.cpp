#include "support/Oracles.h"

#include <windows.h>

#include "text/sjis.h"

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

std::string Convert(std::string_view s, WidthFlags flags, bool kana) {
  std::string out;
  WidthConverter(flags, kana).Convert(s, out);
  return out;
}

}  // namespace

namespace oracle {

std::string PlatformUpper(std::string_view s) { return MapCase(s, true); }
std::string PlatformLower(std::string_view s) { return MapCase(s, false); }

}  // namespace oracle

std::string CapitalizeFirst(std::string_view s) {
  std::string out;
  CapitalizeFirstTo(s, out);
  return out;
}

std::string CapitalizeWords(std::string_view s) {
  std::string out;
  CapitalizeWordsTo(s, out);
  return out;
}

std::string ConvertWidth(std::string_view s, WidthFlags flags) { return Convert(s, flags, false); }
std::string HalfKanaToWide(std::string_view s) { return Convert(s, 0, true); }
