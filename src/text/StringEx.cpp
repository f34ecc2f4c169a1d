#include "text/StringEx.h"

#include <utility>

#include "text/utf16.h"

// The classes the width conversion knows are the Shift_JIS set's: ASCII, the full-width space
// and "＿", the full-width digits, letters and brackets, and eleven symbols. A character
// outside them, a surrogate pair among them, stays as it is.

namespace {

constexpr wchar_t kIdeoSpace = 0x3000;  // "　"
constexpr wchar_t kFullLow = 0xFF3F;    // "＿"
constexpr wchar_t kSharp = 0x266F;      // "♯"

bool IsBlank(wchar_t c) { return c <= 0x20 || c == kIdeoSpace; }
bool IsSpace(wchar_t c) { return c == L' ' || c == kIdeoSpace; }

// Half-width symbols and their full-width forms; toHalf is the character that turns into the
// symbol. "#" comes back from the sharp sign, not from "＃"; "～" is U+FF5E, Shift_JIS's own.
struct SymbolPair {
  wchar_t half, toWide, toHalf;
};
constexpr SymbolPair kSymbols[] = {
    {L'!', 0xFF01, 0xFF01}, {L'#', 0xFF03, kSharp}, {L'$', 0xFF04, 0xFF04}, {L'%', 0xFF05, 0xFF05},
    {L'&', 0xFF06, 0xFF06}, {L'+', 0xFF0B, 0xFF0B}, {L'-', 0xFF0D, 0xFF0D}, {L'=', 0xFF1D, 0xFF1D},
    {L'@', 0xFF20, 0xFF20}, {L'^', 0xFF3E, 0xFF3E}, {L'~', 0xFF5E, 0xFF5E},
};

// The full-width brackets "（）〔〕［］｛｝" and their half-width forms; the tortoise-shell pair
// reads as square brackets, and is never made.
struct BracketPair {
  wchar_t wide, half;
  bool made;
};
constexpr BracketPair kBrackets[] = {
    {0xFF08, L'(', true},  {0xFF09, L')', true},  {0x3014, L'[', false}, {0x3015, L']', false},
    {0xFF3B, L'[', true},  {0xFF3D, L']', true},  {0xFF5B, L'{', true},  {0xFF5D, L'}', true},
};

// One character through the classes the flags turn, in this order.
wchar_t ApplyWidth(wchar_t c, WidthFlags flags) {
  using namespace width;
  if (flags & kSpaceToHalf) {
    if (c == kIdeoSpace) c = L' ';
    if (c == kFullLow) c = L'_';
  }
  if (flags & kSpaceToWide) {
    if (c == L' ') c = kIdeoSpace;
    if (c == L'_') c = kFullLow;
  }
  if ((flags & kDigitToHalf) && c >= 0xFF10 && c <= 0xFF19) c = static_cast<wchar_t>(c - 0xFF10 + L'0');
  if ((flags & kDigitToWide) && c >= L'0' && c <= L'9') c = static_cast<wchar_t>(c - L'0' + 0xFF10);
  if (flags & kBracketToHalf) {
    for (const BracketPair& b : kBrackets) {
      if (c == b.wide) {
        c = b.half;
        break;
      }
    }
  }
  if (flags & kBracketToWide) {
    for (const BracketPair& b : kBrackets) {
      if (b.made && c == b.half) {
        c = b.wide;
        break;
      }
    }
  }
  if (flags & kLetterToHalf) {
    if (c >= 0xFF21 && c <= 0xFF3A) c = static_cast<wchar_t>(c - 0xFF21 + L'A');
    if (c >= 0xFF41 && c <= 0xFF5A) c = static_cast<wchar_t>(c - 0xFF41 + L'a');
  }
  if (flags & kLetterToWide) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + 0xFF21);
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + 0xFF41);
  }
  if (flags & kSymbolToHalf) {
    for (const SymbolPair& p : kSymbols) {
      if (c == p.toHalf) {
        c = p.half;
        break;
      }
    }
  }
  if (flags & kSymbolToWide) {
    for (const SymbolPair& p : kSymbols) {
      if (c == p.half) {
        c = p.toWide;
        break;
      }
    }
  }
  return c;
}

// Full-width katakana by their Shift_JIS trail byte (lead 83): 40..7E are U+30A1.., 80..96
// follow on after the gap at 7F.
constexpr wchar_t Katakana(unsigned trail) {
  return static_cast<wchar_t>(0x30A1 + (trail - 0x40) - (trail >= 0x80 ? 1 : 0));
}

// Full-width form of the half-width kana U+FF61 + (b - A1), b being its Shift_JIS byte
// (A1..DF); v is 1 before "ﾞ", 2 before "ﾟ". The marks themselves give nothing (0).
constexpr wchar_t WideKana(unsigned b, unsigned v) {
  if (b == 0xA1) return 0x3002;  // 。
  if (b == 0xA2) return 0x300C;  // 「
  if (b == 0xA3) return 0x300D;  // 」
  if (b == 0xA4) return 0x3001;  // 、
  if (b == 0xA5) return 0x30FB;  // ・
  if (b == 0xA6) return Katakana(0x92);
  if (b <= 0xAB) return Katakana(0x40 + 2 * (b - 0xA7));
  if (b <= 0xAE) return Katakana(0x83 + 2 * (b - 0xAC));
  if (b == 0xAF) return Katakana(0x62);
  if (b == 0xB0) return 0x30FC;  // ー
  if (b <= 0xB5) return Katakana(0x41 + 2 * (b - 0xB1));
  // These rows have voiced forms only; before "ﾟ" they take their plain form.
  if (b <= 0xC1) return Katakana(0x4A + 2 * (b - 0xB6) + (v == 1 ? 1 : 0));
  if (b <= 0xC4) return Katakana(0x63 + 2 * (b - 0xC2) + (v == 1 ? 1 : 0));
  if (b <= 0xC9) return Katakana(b - 0x5C);
  if (b <= 0xCE) return Katakana(0x6E + 3 * (b - 0xCA) + v);
  if (b <= 0xD0) return Katakana(b - 0x52);
  if (b <= 0xD3) return Katakana(b - 0x51);
  if (b <= 0xD6) return Katakana(0x84 + 2 * (b - 0xD4));
  if (b <= 0xDB) return Katakana(b - 0x4E);
  if (b == 0xDC) return Katakana(0x8F);
  if (b == 0xDD) return Katakana(0x93);
  return 0;  // DE, DF: the marks vanish
}

constexpr wchar_t kHalfKanaFirst = 0xFF61, kHalfKanaLast = 0xFF9F;
constexpr wchar_t kVoiced = 0xFF9E, kSemiVoiced = 0xFF9F;

// The full-width forms of the half-width kana, without a mark after them, before "ﾞ" and
// before "ﾟ".
struct KanaTable {
  wchar_t code[0x3F][3] = {};
  constexpr KanaTable() {
    for (unsigned b = 0xA1; b <= 0xDF; ++b) {
      for (unsigned v = 0; v < 3; ++v) code[b - 0xA1][v] = WideKana(b, v);
    }
  }
};
constexpr KanaTable kKana;

// Where the blanks at both ends stop: [first, last), first == s.size() when all are blanks.
// A blank is never a surrogate, so no pair is cut.
std::pair<std::size_t, std::size_t> TrimBounds(std::wstring_view s) {
  std::size_t first = 0, last = s.size();
  while (first < last && IsBlank(s[first])) ++first;
  if (first == last) return {s.size(), s.size()};
  while (IsBlank(s[last - 1])) --last;
  return {first, last};
}

}  // namespace

std::wstring TrimWide(std::wstring_view s) {
  const auto [first, last] = TrimBounds(s);
  if (first == s.size()) return std::wstring();
  return std::wstring(s.substr(first, last - first));
}

void TrimWideInPlace(std::wstring& s) {
  const auto [first, last] = TrimBounds(s);
  if (first == s.size()) {
    s.clear();
    return;
  }
  s.erase(last);
  s.erase(0, first);
}

// The case mapping keeps every character's length (a pair maps as one), so the characters
// stay where they were.
void CapitalizeFirstTo(std::wstring_view s, std::wstring& out) {
  out.clear();
  const std::size_t second = utf16::NextChar(s, 0);
  utf16::AppendUpper(s.substr(0, second), out);
  utf16::AppendLower(s.substr(second), out);
}

void CapitalizeWordsTo(std::wstring_view s, std::wstring& out) {
  out.clear();
  if (s.empty()) return;
  // The first character upper-cased; one after a space (as lower-cased) lower-cased and then
  // upper-cased; any other lower-cased.
  const std::size_t second = utf16::NextChar(s, 0);
  utf16::AppendUpper(s.substr(0, second), out);
  utf16::AppendLower(s.substr(second), out);
  // Upper-casing maps a character to as many units as it has, so it is done in place: a unit
  // through the table, a pair through the platform.
  const wchar_t* upper = utf16::FoldTable();
  std::wstring pair;
  for (std::size_t i = second; i < out.size(); ++i) {
    if (!IsSpace(out[i - 1])) continue;
    const std::size_t next = utf16::NextChar(out, i);
    if (next - i == 1) {
      out[i] = upper[static_cast<std::uint16_t>(out[i])];
    } else {
      pair.clear();
      utf16::AppendUpper(std::wstring_view(out).substr(i, 2), pair);
      out[i] = pair[0];
      out[i + 1] = pair[1];
      ++i;
    }
  }
}

WidthConverter::WidthConverter(WidthFlags flags, bool kana)
    : identity_((flags & 0x03FF) == 0 && !kana), kana_(kana) {
  for (unsigned c = 0; c < 0x80; ++c) ascii_[c] = ApplyWidth(static_cast<wchar_t>(c), flags);
  for (unsigned c = 0; c < 0x16; ++c) cjk_[c] = ApplyWidth(static_cast<wchar_t>(0x3000 + c), flags);
  for (unsigned c = 0; c < 0x60; ++c) full_[c] = ApplyWidth(static_cast<wchar_t>(0xFF00 + c), flags);
  sharp_ = ApplyWidth(kSharp, flags);
}

// The width conversion only ever makes characters outside the half-width kana, so the kana
// and marks it leaves are those of the text, and the kana are converted as they stand.
void WidthConverter::Convert(std::wstring_view s, std::wstring& out) const {
  out.clear();
  if (identity_) {
    out.append(s);
    return;
  }
  out.reserve(s.size());
  const std::size_t size = s.size();
  for (std::size_t i = 0; i < size; ++i) {
    const wchar_t c = s[i];
    if (c < 0x80) {
      out += ascii_[c];
    } else if (c >= 0x3000 && c < 0x3016) {
      out += cjk_[c - 0x3000];
    } else if (c >= 0xFF00 && c < 0xFF60) {
      out += full_[c - 0xFF00];
    } else if (c == kSharp) {
      out += sharp_;
    } else if (kana_ && c >= kHalfKanaFirst && c <= kHalfKanaLast) {
      unsigned v = 0;
      if (i + 1 < size) v = s[i + 1] == kVoiced ? 1 : s[i + 1] == kSemiVoiced ? 2 : 0;
      const wchar_t wide = kKana.code[c - kHalfKanaFirst][v];
      if (wide != 0) out += wide;
    } else {
      out += c;  // any other unit; a surrogate is never converted, so a pair stays whole
    }
  }
}
