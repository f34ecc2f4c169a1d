#include "text/sjis.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>

namespace sjis {

namespace {

// Whether every ".", ":" and "\" byte of the path stands as a character of its own, seen
// without a walk: "\" can be a trail byte, and "." or ":" right after a byte that can lead
// would be taken as its trail in invalid text. This runs for every row of every preview.
bool DelimitersPlain(std::string_view path) {
  for (std::size_t i = path.find_first_of(".:\\"); i != npos; i = path.find_first_of(".:\\", i + 1)) {
    if (path[i] == '\\' || (i > 0 && IsLeadByte(static_cast<unsigned char>(path[i - 1])))) return false;
  }
  return true;
}

// Where the file name starts (after the last "\" or ":") and the "." of its extension (npos
// for none): without a walk where the delimiters are plain, as in a name from a listing.
struct Parts {
  std::size_t start = 0, dot = npos;
};
Parts NameParts(std::string_view path) {
  Parts parts;
  if (DelimitersPlain(path)) {
    const std::size_t colon = path.rfind(':');
    parts.start = colon == npos ? 0 : colon + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != npos && dot >= parts.start) parts.dot = dot;
    return parts;
  }
  for (std::size_t i = 0; i < path.size(); i = NextChar(path, i)) {
    const char c = path[i];
    if (c == '.') {
      parts.dot = i;
    } else if (c == '\\' || c == ':') {
      parts.start = i + 1;
      parts.dot = npos;
    }
  }
  return parts;
}

}  // namespace

std::size_t FileNameStart(std::string_view path) { return NameParts(path).start; }

std::size_t ExtensionStart(std::string_view path) { return NameParts(path).dot; }

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

std::string_view WithoutFinalDelimiter(std::string_view folder) {
  // A "\" of its own, not the trail byte of a character such as "ソ".
  if (folder.size() > 1 && folder.back() == '\\' && FileNameStart(folder) == folder.size() &&
      folder[folder.size() - 2] != ':') {
    folder.remove_suffix(1);
  }
  return folder;
}

std::string_view BaseName(std::string_view path) {
  const Parts parts = NameParts(path);
  return path.substr(parts.start, (parts.dot == npos ? path.size() : parts.dot) - parts.start);
}

std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from) {
  if (pattern.empty() || pattern.size() > text.size()) return npos;
  // A pattern that ends in a lone lead byte matches only where the text's character ends
  // there too, never the first half of a double-byte character.
  std::size_t last = 0;
  for (std::size_t i = 0; i < pattern.size(); i = NextChar(pattern, i)) last = i;
  const bool loneLead = last + 1 == pattern.size() && IsLeadByte(static_cast<unsigned char>(pattern[last]));
  // `from` is expected to be a character start; step from there so trail bytes are skipped.
  // The first byte is looked at before the rest: a rule searches every name of the list.
  for (std::size_t i = from; i + pattern.size() <= text.size(); i = NextChar(text, i)) {
    if (text[i] == pattern[0] && text.compare(i, pattern.size(), pattern) == 0 &&
        (!loneLead || NextChar(text, i + last) == i + pattern.size())) {
      return i;
    }
  }
  return npos;
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i = NextChar(out, i)) out[i] = AsciiLowerChar(out[i]);
  return out;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // A single-byte character never has a lead byte's value, so walking a's characters walks b's
  // as long as they agree.
  for (std::size_t i = 0; i < a.size();) {
    std::size_t next = NextChar(a, i);
    if (next - i == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i])) {
      return false;
    }
    i = next;
  }
  return true;
}

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

std::string FromUtf8Lenient(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return FromUtf16Lenient(w);
}

std::string ToUtf8Lenient(std::string_view s) {
  const std::wstring w = ToUtf16Lenient(s);
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

namespace {

std::string PlatformMapValid(std::string_view s, bool upper);

// The platform's mapping of a whole text, through UTF-16 with code page 932 named explicitly,
// so the result is what the A functions give on a Japanese system whatever the system code
// page is. Invalid characters stay as they are between mapped runs: the A functions leave a
// lone lead byte alone (and would turn other invalid pairs into "・", which loses the bytes).
std::string PlatformMapCase(std::string_view s, bool upper) {
  std::string out;
  std::wstring w;
  std::size_t run = 0;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next = NextChar(s, i);
    if (!ToUtf16(s.substr(i, next - i), w)) {
      out += PlatformMapValid(s.substr(run, i - run), upper);
      out.append(s.data() + i, next - i);
      run = next;
    }
    i = next;
  }
  out += PlatformMapValid(s.substr(run), upper);
  return out;
}

// A text whose mapping would leave CP932 (no such case is known) is returned unchanged.
std::string PlatformMapValid(std::string_view s, bool upper) {
  std::wstring w;
  if (s.empty() || !ToUtf16(s, w)) return std::string(s);
  if (upper) {
    CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  } else {
    CharLowerBuffW(w.data(), static_cast<DWORD>(w.size()));
  }
  std::string out;
  if (!FromUtf16(w, out)) return std::string(s);
  return out;
}

// The same mapping one character at a time, from a table made once with the platform's own
// calls: a call per name costs more than all the rest of a case rule. CP932 is stateless and
// the case mapping works unit by unit, so a text maps as its characters do, and it stays as
// it is when any of them has no mapping.
//
// Entries are indexed by the character's bytes (b, or lead << 8 | trail) and hold the
// result's bytes the same way: below 0x100 one byte, else two.
constexpr std::uint16_t kNoMapping = 0xFFFF;  // invalid, or its mapping has no CP932 form
constexpr std::uint16_t kAskPlatform = 0xFFFE;  // a result of another shape: none is known

struct CaseTable {
  std::uint16_t upper[0x10000];
  std::uint16_t lower[0x10000];
  std::uint8_t utf8[0x10000];  // the character's length in UTF-8; 0 where it is none
};

std::uint16_t CodeFromUtf16(const wchar_t* w, int n) {
  char out[8];
  BOOL usedDefault = FALSE;
  int m = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, w, n, out, sizeof out, nullptr, &usedDefault);
  if (m <= 0) return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? kAskPlatform : kNoMapping;
  if (usedDefault) return kNoMapping;
  if (m == 1) return static_cast<unsigned char>(out[0]);
  std::uint16_t code = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                                  static_cast<unsigned char>(out[1]));
  if (m == 2 && out[0] != 0 && code != kNoMapping && code != kAskPlatform) return code;
  return kAskPlatform;
}

void FillEntry(CaseTable& t, unsigned index, const char* bytes, int len) {
  wchar_t w[4];
  // The same conversion as ToUtf16, which fails exactly where it fails for the character.
  int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, len, w, 4);
  if (n <= 0) return;
  t.utf8[index] = static_cast<std::uint8_t>(
      WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr));
  wchar_t u[4], l[4];
  for (int k = 0; k < n; ++k) u[k] = l[k] = w[k];
  CharUpperBuffW(u, static_cast<DWORD>(n));
  CharLowerBuffW(l, static_cast<DWORD>(n));
  t.upper[index] = CodeFromUtf16(u, n);
  t.lower[index] = CodeFromUtf16(l, n);
}

std::unique_ptr<CaseTable> BuildCaseTable() {
  auto t = std::make_unique<CaseTable>();
  std::fill(std::begin(t->upper), std::end(t->upper), kNoMapping);
  std::fill(std::begin(t->lower), std::end(t->lower), kNoMapping);
  std::fill(std::begin(t->utf8), std::end(t->utf8), std::uint8_t{0});
  // A lead byte on its own is a character too, at the end of a text.
  for (unsigned b = 0; b < 0x100; ++b) {
    char c = static_cast<char>(b);
    FillEntry(*t, b, &c, 1);
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      char c[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      FillEntry(*t, lead << 8 | trail, c, 2);
    }
  }
  return t;
}

const CaseTable& Cases() {
  static const std::unique_ptr<CaseTable> table = BuildCaseTable();
  return *table;
}

void AppendMapped(std::string_view s, bool upper, std::string& out) {
  const std::uint16_t* table = upper ? Cases().upper : Cases().lower;
  // Written through a pointer, into a buffer on the stack for a name: a string checks its
  // capacity at every byte pushed. A character maps to at most two bytes.
  char local[512];
  const std::size_t start = out.size();
  char* buf = local;
  if (2 * s.size() > sizeof local) {
    out.resize(start + 2 * s.size());
    buf = out.data() + start;
  }
  // Held apart from what buf may alias, so the bytes written don't make them be read again.
  const char* const p = s.data();
  const std::size_t size = s.size();
  std::size_t n = 0;
  for (std::size_t i = 0; i < size;) {
    std::size_t next;
    const unsigned index = CodeAt(p, size, i, next);
    std::uint16_t code = table[index];
    if (code == kNoMapping) {
      // An invalid character (a lone lead byte) stays as it is, as the platform leaves it,
      // and the characters around it are still mapped.
      code = static_cast<std::uint16_t>(index);
    } else if (code == kAskPlatform) {
      out.resize(start);
      out += PlatformMapCase(s, upper);
      return;
    }
    if (code >= 0x100) buf[n++] = static_cast<char>(code >> 8);
    buf[n++] = static_cast<char>(code & 0xFF);
    i = next;
  }
  if (buf == local) {
    out.append(local, n);
  } else {
    out.resize(start + n);
  }
}

}  // namespace

std::string Upper(std::string_view s) {
  std::string out;
  AppendMapped(s, true, out);
  return out;
}

std::string Lower(std::string_view s) {
  std::string out;
  AppendMapped(s, false, out);
  return out;
}

void AppendUpper(std::string_view s, std::string& out) { AppendMapped(s, true, out); }

const std::uint8_t* Utf8Lengths() { return Cases().utf8; }

const std::uint16_t* UpperCodes() {
  static_assert(kAskPlatform == kCaseSpecial && kNoMapping == kCaseKeep);
  return Cases().upper;
}
const std::uint16_t* LowerCodes() { return Cases().lower; }
void AppendLower(std::string_view s, std::string& out) { AppendMapped(s, false, out); }

}  // namespace sjis
