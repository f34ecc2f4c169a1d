#include "text/utf16.h"

#include <windows.h>

#include <memory>

namespace utf16 {

void AppendCode(std::wstring& out, char32_t code) {
  if (code >= 0x10000 && code <= 0x10FFFF) {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<wchar_t>(code);
  }
}

namespace {

// Where the file name starts (after the last "\" or ":") and the "." of its extension (npos
// for none). No unit of a surrogate pair is one of them, so no walk is needed.
struct Parts {
  std::size_t start = 0, dot = npos;
};
Parts NameParts(std::wstring_view path) {
  Parts parts;
  const std::size_t delimiter = path.find_last_of(L"\\:");
  parts.start = delimiter == npos ? 0 : delimiter + 1;
  const std::size_t dot = path.rfind(L'.');
  if (dot != npos && dot >= parts.start) parts.dot = dot;
  return parts;
}

}  // namespace

std::size_t FileNameStart(std::wstring_view path) { return NameParts(path).start; }

std::size_t ExtensionStart(std::wstring_view path) { return NameParts(path).dot; }

std::wstring_view Extension(std::wstring_view path) {
  const std::size_t dot = ExtensionStart(path);
  return dot == npos ? std::wstring_view() : path.substr(dot);
}

std::wstring_view StripExtension(std::wstring_view path) {
  const std::size_t dot = ExtensionStart(path);
  return dot == npos ? path : path.substr(0, dot);
}

std::wstring_view BaseName(std::wstring_view path) {
  const Parts parts = NameParts(path);
  return path.substr(parts.start, (parts.dot == npos ? path.size() : parts.dot) - parts.start);
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (path.empty() || path.back() != L'\\') path += L'\\';
  path += name;
  return path;
}

std::wstring_view WithoutFinalDelimiter(std::wstring_view folder) {
  if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.remove_suffix(1);
  return folder;
}

std::size_t Find(std::wstring_view text, std::wstring_view pattern, std::size_t from) {
  if (pattern.empty()) return npos;
  for (std::size_t i = text.find(pattern, from); i != npos; i = text.find(pattern, i + 1)) {
    if (AtCharStart(text, i) && AtCharStart(text, i + pattern.size())) return i;
  }
  return npos;
}

std::wstring AsciiLower(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = AsciiLowerChar(c);
  return out;
}

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i])) return false;
  }
  return true;
}

int CompareOrdinalIgnoringCase(std::wstring_view a, std::wstring_view b) {
  const int r = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
  return r == 0 ? (a < b ? -1 : a > b ? 1 : 0) : r - CSTR_EQUAL;
}

namespace {

// Each BMP unit's upper- and lower-case unit and whether it has a Shift_JIS form: made once
// with three platform calls and one conversion per Shift_JIS character, since a call per name
// would cost more than the rest of a case rule.
struct Tables {
  wchar_t upper[0x10000];
  wchar_t lower[0x10000];
  bool shiftJis[0x10000];
};

void MapAll(wchar_t* table, DWORD flags) {
  for (unsigned c = 0; c < 0x10000; ++c) table[c] = static_cast<wchar_t>(c);
  // Units of surrogates stay themselves: a pair maps as one character, apart from the table.
  const int low = 0xD800, high = 0xE000;
  LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, table, low, table, low, nullptr, nullptr, 0);
  LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, table + high, 0x10000 - high, table + high, 0x10000 - high,
                nullptr, nullptr, 0);
}

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  for (bool& b : t->shiftJis) b = false;
  wchar_t w[4];
  for (unsigned b = 0; b < 0x100; ++b) {
    const char c = static_cast<char>(b);
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, &c, 1, w, 4) == 1) t->shiftJis[w[0]] = true;
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const char c[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c, 2, w, 4) == 1) t->shiftJis[w[0]] = true;
    }
  }
  MapAll(t->upper, LCMAP_UPPERCASE);
  MapAll(t->lower, LCMAP_LOWERCASE);
  // A Shift_JIS character whose mapping leaves the set stays as it is, as it always has here.
  for (unsigned c = 0; c < 0x10000; ++c) {
    if (!t->shiftJis[c]) continue;
    if (!t->shiftJis[static_cast<std::uint16_t>(t->upper[c])]) t->upper[c] = static_cast<wchar_t>(c);
    if (!t->shiftJis[static_cast<std::uint16_t>(t->lower[c])]) t->lower[c] = static_cast<wchar_t>(c);
  }
  return t;
}

const Tables& GetTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

void AppendMapped(std::wstring_view s, bool upper, std::wstring& out) {
  const Tables& t = GetTables();
  const wchar_t* table = upper ? t.upper : t.lower;
  const std::size_t start = out.size();
  out.resize(start + s.size());
  wchar_t* p = out.data() + start;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const wchar_t c = s[i];
    if (IsHighSurrogate(c) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
      wchar_t pair[2] = {c, s[i + 1]};
      wchar_t mapped[4];
      const int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, upper ? LCMAP_UPPERCASE : LCMAP_LOWERCASE, pair, 2, mapped,
                                  4, nullptr, nullptr, 0);
      const bool ok = n == 2 && IsHighSurrogate(mapped[0]) && IsLowSurrogate(mapped[1]);
      p[i] = ok ? mapped[0] : pair[0];
      p[i + 1] = ok ? mapped[1] : pair[1];
      ++i;
    } else {
      p[i] = table[static_cast<std::uint16_t>(c)];
    }
  }
}

}  // namespace

std::wstring Upper(std::wstring_view s) {
  std::wstring out;
  AppendMapped(s, true, out);
  return out;
}

std::wstring Lower(std::wstring_view s) {
  std::wstring out;
  AppendMapped(s, false, out);
  return out;
}

void AppendUpper(std::wstring_view s, std::wstring& out) { AppendMapped(s, true, out); }
void AppendLower(std::wstring_view s, std::wstring& out) { AppendMapped(s, false, out); }

const wchar_t* FoldTable() { return GetTables().upper; }

void FoldName(std::wstring_view name, std::wstring& out) {
  const wchar_t* table = FoldTable();
  out.resize(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) out[i] = table[static_cast<std::uint16_t>(name[i])];
}

std::size_t Utf8Size(std::wstring_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next;
    const char32_t c = CodeAt(s, i, next);
    n += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    i = next;
  }
  return n;
}

bool HasShiftJisForm(std::wstring_view s) {
  const bool* table = GetTables().shiftJis;
  for (wchar_t c : s) {
    if (!table[static_cast<std::uint16_t>(c)]) return false;
  }
  return true;
}

namespace {

// CJK compatibility ideographs: NFC would replace each with its unified form, a character the
// user didn't ask to change (the Mac's own decomposition leaves them too).
bool KeptAsItIs(std::wstring_view s, std::size_t i, std::size_t& next) {
  const char32_t c = CodeAt(s, i, next);
  return (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x2F800 && c <= 0x2FA1F);
}

void AppendComposed(std::wstring_view s, std::wstring& out) {
  if (s.empty()) return;
  std::wstring buf(s.size() + 16, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int n = NormalizeString(NormalizationC, s.data(), static_cast<int>(s.size()), buf.data(),
                                  static_cast<int>(buf.size()));
    if (n > 0) {
      out.append(buf.data(), static_cast<std::size_t>(n));
      return;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buf.resize(buf.size() * 2);
  }
  out += s;  // the platform can't compose it (a lone surrogate): as it is
}

}  // namespace

std::wstring Compose(std::wstring_view s) {
  std::wstring out;
  std::size_t run = 0;
  for (std::size_t i = 0, next; i < s.size(); i = next) {
    if (KeptAsItIs(s, i, next)) {
      AppendComposed(s.substr(run, i - run), out);
      out.append(s.substr(i, next - i));
      run = next;
    }
  }
  AppendComposed(s.substr(run), out);
  return out;
}

bool NeedsCompose(std::wstring_view s) {
  // Every combining mark lies at U+0300 or above; most names have none there but kana and
  // kanji, which the platform's quick check then looks at.
  bool high = false;
  for (wchar_t c : s) high |= c >= 0x300;
  if (!high || IsNormalizedString(NormalizationC, s.data(), static_cast<int>(s.size()))) return false;
  return Compose(s) != s;
}

namespace {

// One code point from `at` on, or false (at untouched) where the bytes aren't WTF-8: no
// overlong form, nothing past U+10FFFF.
bool NextCode(std::string_view bytes, std::size_t& at, char32_t& code) {
  const auto b0 = static_cast<unsigned char>(bytes[at]);
  std::size_t n;
  char32_t min;
  if (b0 < 0x80) {
    code = b0;
    ++at;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    n = 2, min = 0x80, code = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, min = 0x800, code = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, min = 0x10000, code = b0 & 0x07;
  } else {
    return false;
  }
  if (bytes.size() - at < n) return false;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(bytes[at + k]);
    if ((b & 0xC0) != 0x80) return false;
    code = code << 6 | (b & 0x3F);
  }
  if (code < min || code > 0x10FFFF) return false;
  at += n;
  return true;
}

// The one reader of UTF-8 and WTF-8. Strict, false (out empty) at the first byte that isn't
// as written, and where `surrogates` is false at a surrogate's code; lenient, U+FFFD for it.
bool Decode(std::string_view bytes, std::wstring& out, bool surrogates, bool lenient) {
  out.clear();
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    char32_t code;
    const std::size_t from = at;
    bool ok = NextCode(bytes, at, code);
    if (ok && code >= 0xD800 && code <= 0xDFFF) {
      // A high surrogate written alone and then a low one would read back as a pair, which is
      // written as four bytes: no name of ours gives these.
      ok = surrogates && !(IsLowSurrogate(static_cast<wchar_t>(code)) && !out.empty() && IsHighSurrogate(out.back()));
    }
    if (!ok) {
      if (!lenient) {
        out.clear();
        return false;
      }
      out += L'\xFFFD';
      at = from + 1;
      continue;
    }
    AppendCode(out, code);
  }
  return true;
}

}  // namespace

bool FromUtf8(std::string_view utf8, std::wstring& out) { return Decode(utf8, out, false, false); }

bool FromWtf8(std::string_view bytes, std::wstring& out) { return Decode(bytes, out, true, false); }

std::wstring FromUtf8Leniently(std::string_view bytes) {
  std::wstring out;
  Decode(bytes, out, true, true);
  return out;
}

void AppendWtf8(std::string& out, std::wstring_view s) {
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next;
    AppendUtf8(out, CodeAt(s, i, next));
    i = next;
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string ToUtf8(std::wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next;
    const char32_t c = CodeAt(s, i, next);
    AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);  // a lone surrogate
    i = next;
  }
  return out;
}

}  // namespace utf16
