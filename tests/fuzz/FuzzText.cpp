// The fuzz runner's generators: the seeded numbers and the random Shift_JIS and UTF-16 texts,
// shared with the golden answers' recorder.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Fuzz.h"
#include "text/sjis.h"
#include "text/utf16.h"

namespace fuzz {

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

Rng::Rng(std::uint64_t seed) {
  for (int i = 0; i < 4; i += 2) {
    std::uint64_t z = SplitMix(seed);
    s_[i] = static_cast<std::uint32_t>(z);
    s_[i + 1] = static_cast<std::uint32_t>(z >> 32);
  }
}

std::uint32_t Rng::Next() {
  auto rotl = [](std::uint32_t x, int k) { return (x << k) | (x >> (32 - k)); };
  const std::uint32_t result = rotl(s_[1] * 5, 7) * 9;
  const std::uint32_t t = s_[1] << 9;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 11);
  return result;
}

// ---- Texts ------------------------------------------------------------------------------------

namespace {

struct Codes {
  bool valid[0x10000] = {};
  std::vector<std::uint16_t> all, duplicates, cased, special;
};

const Codes& Table() {
  static const std::unique_ptr<Codes> codes = [] {
    auto c = std::make_unique<Codes>();
    wchar_t w[4];
    for (unsigned b = 0; b < 0x100; ++b) {
      char one = static_cast<char>(b);
      c->valid[b] = MultiByteToWideChar(sjis::kCodePage, MB_ERR_INVALID_CHARS, &one, 1, w, 4) > 0;
    }
    for (unsigned code = 0x8100; code < 0x10000; ++code) {
      if (!sjis::IsLeadByte(static_cast<unsigned char>(code >> 8))) continue;
      char two[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
      if (MultiByteToWideChar(sjis::kCodePage, MB_ERR_INVALID_CHARS, two, 2, w, 4) <= 0) continue;
      c->valid[code] = true;
      const auto u = static_cast<std::uint16_t>(code);
      c->all.push_back(u);
      // NEC row 13, the NEC-selected IBM extensions and the IBM extensions, which hold the same
      // characters twice or three times over (Roman numerals, ￢, ∵ and more).
      if ((code >= 0x8740 && code <= 0x879C) || (code >= 0xED40 && code <= 0xEEFC) || (code >= 0xFA40 && code <= 0xFC4B)) {
        c->duplicates.push_back(u);
      }
      // Letters that have a case: full-width Latin, Greek, Cyrillic, Roman numerals.
      if ((code >= 0x8260 && code <= 0x829A) || (code >= 0x839F && code <= 0x83D6) ||
          (code >= 0x8440 && code <= 0x8491) || (code >= 0x8754 && code <= 0x875D) ||
          (code >= 0xEEEF && code <= 0xEEF8) || (code >= 0xFA40 && code <= 0xFA53)) {
        c->cased.push_back(u);
      }
      // Trail bytes that are delimiters or specifiers elsewhere: ソ 83 5C, ー 81 5B, ポ 83 7C...
      unsigned trail = code & 0xFF;
      if (trail == 0x5C || trail == 0x5B || trail == 0x7C || trail == 0x5F || trail == 0x5D || trail == 0x40 ||
          (trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A)) {
        c->special.push_back(u);
      }
    }
    // The width and blank rows, more often than their share.
    for (unsigned code : {0x8140u, 0x8151u, 0x8160u, 0x8169u, 0x816Au, 0x816Bu, 0x816Cu, 0x816Du, 0x816Eu, 0x816Fu,
                          0x8170u, 0x8149u, 0x8194u, 0x81F2u, 0x8190u, 0x8193u, 0x8195u, 0x817Bu, 0x817Cu, 0x8181u,
                          0x8197u, 0x814Fu, 0x824Fu, 0x8258u, 0x8260u, 0x8279u, 0x8281u, 0x829Au}) {
      c->special.push_back(static_cast<std::uint16_t>(code));
    }
    return c;
  }();
  return *codes;
}

void PushCode(std::string& out, unsigned code) {
  if (code >= 0x100) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

constexpr std::string_view kAscii =
    " \\/:._-()[]{}\"',;=!#$%&+@^~`*?<>|0123456789AZaz_yYmMdDhHnNsSzZtTcCgGeEaApP/:\"'";

}  // namespace

bool ValidCode(unsigned code) { return code < 0x10000 && Table().valid[code]; }

bool Valid(std::string_view s) {
  std::wstring w;
  return sjis::ToUtf16(s, w);
}

std::vector<std::string_view> Chars(std::string_view s) {
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next = sjis::NextChar(s, i);
    chars.push_back(s.substr(i, next - i));
    i = next;
  }
  return chars;
}

bool EndsInLoneLead(std::string_view s) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < s.size(); i = sjis::NextChar(s, i)) last = i;
  return !s.empty() && last == s.size() - 1 && sjis::IsLeadByte(static_cast<unsigned char>(s.back()));
}

bool HasDelimiterChar(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next = sjis::NextChar(s, i);
    if (next == i + 1 && (s[i] == '\\' || s[i] == '/' || s[i] == ':')) return true;
    i = next;
  }
  return false;
}


std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view p : pieces) out += p;
  return out;
}

void AppendChar(Rng& rng, std::string& out, bool allowInvalid) {
  const Codes& t = Table();
  unsigned roll = rng.Below(allowInvalid ? 100 : 84);
  if (roll < 22) {
    out.push_back(kAscii[rng.Below(static_cast<std::uint32_t>(kAscii.size()))]);
  } else if (roll < 26) {
    out.push_back(static_cast<char>(rng.Percent(90) ? rng.Below(0x20) : 0x7F));  // control bytes
  } else if (roll < 38) {
    out.push_back(static_cast<char>(rng.Percent(30) ? 0xDE + rng.Below(2) : 0xA1 + rng.Below(0x3F)));  // half kana
  } else if (roll < 52) {
    PushCode(out, t.special[rng.Below(static_cast<std::uint32_t>(t.special.size()))]);
  } else if (roll < 62) {
    PushCode(out, t.all[rng.Below(static_cast<std::uint32_t>(t.all.size()))]);
  } else if (roll < 72) {
    PushCode(out, t.duplicates[rng.Below(static_cast<std::uint32_t>(t.duplicates.size()))]);
  } else if (roll < 84) {
    PushCode(out, t.cased[rng.Below(static_cast<std::uint32_t>(t.cased.size()))]);
  } else if (roll < 91) {
    // A lead byte and any trail byte at all, valid or not.
    unsigned lead = rng.Percent(50) ? 0x81 + rng.Below(0x1F) : 0xE0 + rng.Below(0x1D);
    out.push_back(static_cast<char>(lead));
    out.push_back(static_cast<char>(rng.Below(0x100)));
  } else if (roll < 96) {
    // A lead byte alone: mid-text it pairs with whatever follows.
    unsigned lead = rng.Percent(50) ? 0x81 + rng.Below(0x1F) : 0xE0 + rng.Below(0x1D);
    out.push_back(static_cast<char>(lead));
  } else {
    static const unsigned char kNever[] = {0x80, 0xA0, 0xFD, 0xFE, 0xFF};
    out.push_back(static_cast<char>(rng.Pick(kNever)));
  }
}

std::string Text(Rng& rng, bool allowInvalid, int maxChars) {
  int n;
  unsigned roll = rng.Below(100);
  if (roll < 3) n = 0;
  else if (roll < 55) n = rng.Between(1, 8);
  else if (roll < 93) n = rng.Between(1, maxChars);
  else n = rng.Between(1, maxChars * 12);
  std::string s;
  for (int i = 0; i < n; ++i) AppendChar(rng, s, allowInvalid);
  return s;
}

std::string AnyText(Rng& rng, int maxChars) {
  if (rng.Percent(55)) return Text(rng, false, maxChars);
  std::string s = Text(rng, true, maxChars);
  if (rng.Percent(20)) s.push_back(static_cast<char>(0x81 + rng.Below(0x1F)));
  return s;
}

std::string Piece(Rng& rng, std::string_view s) {
  if (s.empty()) return std::string();
  if (rng.Percent(50)) {
    std::size_t a = rng.Below(static_cast<std::uint32_t>(s.size()));
    std::size_t b = a + 1 + rng.Below(static_cast<std::uint32_t>(std::min<std::size_t>(s.size() - a, 6)));
    return std::string(s.substr(a, b - a));
  }
  std::vector<std::string_view> chars = Chars(s);
  std::size_t a = rng.Below(static_cast<std::uint32_t>(chars.size()));
  std::size_t n = 1 + rng.Below(static_cast<std::uint32_t>(std::min<std::size_t>(chars.size() - a, 4)));
  std::string out;
  for (std::size_t k = a; k < a + n; ++k) out += chars[k];
  return out;
}

// ---- Wide texts -------------------------------------------------------------------------------

std::vector<std::wstring_view> WideChars(std::wstring_view s) {
  std::vector<std::wstring_view> chars;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t next = utf16::NextChar(s, i);
    chars.push_back(s.substr(i, next - i));
    i = next;
  }
  return chars;
}

std::size_t LoneSurrogates(std::wstring_view s) {
  std::size_t n = 0;
  for (std::wstring_view ch : WideChars(s)) {
    n += ch.size() == 1 && (utf16::IsHighSurrogate(ch[0]) || utf16::IsLowSurrogate(ch[0]));
  }
  return n;
}

void AppendWideChar(Rng& rng, std::wstring& out) {
  static const wchar_t kLatin[] = {0xE9,  0xC9,  0xDF,  0xE0,  0xF1,  0xD1,  0xFC,  0xDC,  0xE7,
                                   0xC5,  0xE5,  0xFF,  0x178, 0x153, 0x152, 0x101, 0x100, 0x141,
                                   0x142, 0x17D, 0x17E, 0x131, 0x130, 0x1C5, 0xA0};
  static const wchar_t kLookAlikes[] = {0x301C, 0x2014, 0x2019, 0x2212, 0x2016, 0xA5, 0xA6, 0x20A9, 0xFF5E, 0x2225};
  const unsigned roll = rng.Below(100);
  if (roll < 50) {
    // A Shift_JIS character, as the narrow generator draws valid ones.
    std::string one;
    AppendChar(rng, one, false);
    wchar_t w[4];
    const int n = MultiByteToWideChar(sjis::kCodePage, 0, one.data(), static_cast<int>(one.size()), w, 4);
    out.append(w, static_cast<std::size_t>(n > 0 ? n : 0));
  } else if (roll < 60) {
    out += rng.Pick(kLatin);
  } else if (roll < 64) {
    out += static_cast<wchar_t>(0xC0 + rng.Below(0x180 - 0xC0));
  } else if (roll < 70) {
    out += rng.Pick(kLookAlikes);
  } else if (roll < 76) {
    // A combining mark: mostly after a kana or a Latin letter, which it may join.
    static const wchar_t kBases[] = {0x30B7, 0x30CF, 0x304B, 0x3046, 0x30A6, L'e', L'A', 0x30FC};
    if (rng.Percent(70)) out += rng.Pick(kBases);
    static const wchar_t kMarks[] = {0x3099, 0x309A, 0x301, 0x300, 0x308, 0x30A};
    out += rng.Pick(kMarks);
  } else if (roll < 82) {
    out += static_cast<wchar_t>(0xAC00 + rng.Below(0xD7A4 - 0xAC00));  // Hangul
  } else if (roll < 92) {
    // Beyond U+FFFF: emoji, the CJK extensions, Deseret (which has a case).
    static const char32_t kFrom[] = {0x1F300, 0x1F600, 0x20000, 0x2A700, 0x10400};
    static const std::uint32_t kSpan[] = {0x300, 0x50, 0xA6E0, 0x1000, 0x50};
    const std::uint32_t k = rng.Below(5);
    utf16::AppendCode(out, kFrom[k] + rng.Below(kSpan[k]));
  } else if (roll < 96) {
    out += static_cast<wchar_t>(0xE000 + rng.Below(0x1900));  // private use
  } else if (roll < 98) {
    out += static_cast<wchar_t>(rng.Percent(50) ? 0xD800 + rng.Below(0x400) : 0xDC00 + rng.Below(0x400));
  } else {
    static const wchar_t kOdd[] = {0xFEFF, 0x200B, 0x2003, 0x3000, 0xFFFD, 0xFF61, 0xFF9E, 0xFF9F, 0x266F};
    out += rng.Pick(kOdd);
  }
}

std::wstring WideText(Rng& rng, int maxChars) {
  int n;
  const unsigned roll = rng.Below(100);
  if (roll < 3) n = 0;
  else if (roll < 55) n = rng.Between(1, 8);
  else if (roll < 93) n = rng.Between(1, maxChars);
  else n = rng.Between(1, maxChars * 12);
  std::wstring s;
  for (int i = 0; i < n; ++i) AppendWideChar(rng, s);
  return s;
}

std::wstring WidePiece(Rng& rng, std::wstring_view s) {
  if (s.empty()) return std::wstring();
  if (rng.Percent(40)) {
    const std::size_t a = rng.Below(static_cast<std::uint32_t>(s.size()));
    const std::size_t b = a + 1 + rng.Below(static_cast<std::uint32_t>(std::min<std::size_t>(s.size() - a, 6)));
    return std::wstring(s.substr(a, b - a));
  }
  const std::vector<std::wstring_view> chars = WideChars(s);
  const std::size_t a = rng.Below(static_cast<std::uint32_t>(chars.size()));
  const std::size_t n = 1 + rng.Below(static_cast<std::uint32_t>(std::min<std::size_t>(chars.size() - a, 4)));
  std::wstring out;
  for (std::size_t k = a; k < a + n; ++k) out += chars[k];
  return out;
}

}  // namespace fuzz
