#include "text/StringEx.h"

#include <utility>

#include "text/sjis.h"

// Every conversion walks the CP932 string one character at a time with sjis::NextChar and
// looks at that character's bytes. CP932 is stateless, so these bytes are exactly what
// converting the character's UTF-16 unit on its own would give.

namespace {

// One CP932 character: one or two bytes (one for a lead byte cut off at the end).
struct Char {
  unsigned char b0 = 0, b1 = 0;
  std::size_t len = 0;

  bool Is(unsigned char x) const { return len == 1 && b0 == x; }
  bool Is(unsigned char lead, unsigned char trail) const {
    return len == 2 && b0 == lead && b1 == trail;
  }
  // Single byte in [lo, hi].
  bool In(unsigned char lo, unsigned char hi) const { return len == 1 && b0 >= lo && b0 <= hi; }
  // Two bytes with this lead byte and a trail byte in [lo, hi].
  bool In(unsigned char lead, unsigned char lo, unsigned char hi) const {
    return len == 2 && b0 == lead && b1 >= lo && b1 <= hi;
  }
  constexpr void Set(unsigned char x) { b0 = x, len = 1; }
  constexpr void Set(unsigned char lead, unsigned char trail) { b0 = lead, b1 = trail, len = 2; }
};

Char CharAt(std::string_view s, std::size_t i, std::size_t next) {
  Char c;
  c.len = next - i;
  c.b0 = static_cast<unsigned char>(s[i]);
  if (c.len == 2) c.b1 = static_cast<unsigned char>(s[i + 1]);
  return c;
}

bool IsBlank(std::string_view s, std::size_t i, std::size_t next) {
  Char c = CharAt(s, i, next);
  return c.In(0x00, 0x20) || c.Is(0x81, 0x40);
}

bool IsSpace(const Char& c) { return c.Is(0x20) || c.Is(0x81, 0x40); }

// Half-width symbols and their full-width forms; toHalfTrail is the trail byte (lead 81)
// that turns into the symbol. "#" comes back from the sharp sign, not from "＃".
struct SymbolPair {
  unsigned char half, toWideTrail, toHalfTrail;
};
constexpr SymbolPair kSymbols[] = {
    {0x21, 0x49, 0x49}, {0x23, 0x94, 0xF2}, {0x24, 0x90, 0x90}, {0x25, 0x93, 0x93},
    {0x26, 0x95, 0x95}, {0x2B, 0x7B, 0x7B}, {0x2D, 0x7C, 0x7C}, {0x3D, 0x81, 0x81},
    {0x40, 0x97, 0x97}, {0x5E, 0x4F, 0x4F}, {0x7E, 0x60, 0x60},
};

// Half-width brackets of 81 69 .. 81 70; the tortoise-shell pair reads as square brackets.
constexpr unsigned char kHalfBrackets[] = {'(', ')', '[', ']', '[', ']', '{', '}'};

// The symbol and bracket tables by byte, so that a character is converted without a search:
// the trail byte (lead 81) each half-width byte becomes, and the byte each trail becomes.
struct ByteMaps {
  unsigned char symbolToWide[0x80] = {}, symbolToHalf[0x100] = {}, bracketToWide[0x80] = {};
  constexpr ByteMaps() {
    for (const SymbolPair& p : kSymbols) {
      symbolToWide[p.half] = p.toWideTrail;
      symbolToHalf[p.toHalfTrail] = p.half;
    }
    // Only the round, square and curly brackets; 〔 〕 are never made.
    for (unsigned trail : {0x69u, 0x6Au, 0x6Du, 0x6Eu, 0x6Fu, 0x70u}) {
      bracketToWide[kHalfBrackets[trail - 0x69]] = static_cast<unsigned char>(trail);
    }
  }
};
constexpr ByteMaps kMaps;

void ApplyWidth(Char& c, WidthFlags flags) {
  using namespace width;
  // Every class is ASCII or has the lead byte 81 or 82; nothing else is ever converted.
  if (c.len == 1 ? c.b0 >= 0x80 : c.len != 2 || (c.b0 != 0x81 && c.b0 != 0x82)) return;
  if (flags & kSpaceToHalf) {
    if (c.Is(0x81, 0x40)) c.Set(0x20);
    if (c.Is(0x81, 0x51)) c.Set(0x5F);
  }
  if (flags & kSpaceToWide) {
    if (c.Is(0x20)) c.Set(0x81, 0x40);
    if (c.Is(0x5F)) c.Set(0x81, 0x51);
  }
  if ((flags & kDigitToHalf) && c.In(0x82, 0x4F, 0x58)) c.Set(c.b1 - 0x1F);
  if ((flags & kDigitToWide) && c.In(0x30, 0x39)) c.Set(0x82, c.b0 + 0x1F);
  if ((flags & kBracketToHalf) && c.In(0x81, 0x69, 0x70)) c.Set(kHalfBrackets[c.b1 - 0x69]);
  if ((flags & kBracketToWide) && c.len == 1 && c.b0 < 0x80 && kMaps.bracketToWide[c.b0]) {
    c.Set(0x81, kMaps.bracketToWide[c.b0]);
  }
  if (flags & kLetterToHalf) {
    if (c.In(0x82, 0x60, 0x79)) c.Set(c.b1 - 0x1F);
    if (c.In(0x82, 0x81, 0x9A)) c.Set(c.b1 - 0x20);
  }
  if (flags & kLetterToWide) {
    if (c.In(0x41, 0x5A)) c.Set(0x82, c.b0 + 0x1F);
    if (c.In(0x61, 0x7A)) c.Set(0x82, c.b0 + 0x20);
  }
  if ((flags & kSymbolToHalf) && c.len == 2 && c.b0 == 0x81 && kMaps.symbolToHalf[c.b1]) {
    c.Set(kMaps.symbolToHalf[c.b1]);
  }
  if ((flags & kSymbolToWide) && c.len == 1 && c.b0 < 0x80 && kMaps.symbolToWide[c.b0]) {
    c.Set(0x81, kMaps.symbolToWide[c.b0]);
  }
}

// Full-width form of the half-width byte b (A1..DF); v is 1 before "ﾞ", 2 before "ﾟ".
// The marks themselves give nothing (len 0).
constexpr Char WideKana(unsigned char b, unsigned v) {
  Char c;
  auto kata = [&c](unsigned trail) { c.Set(0x83, static_cast<unsigned char>(trail)); };
  if (b == 0xA1) c.Set(0x81, 0x42);
  else if (b == 0xA2) c.Set(0x81, 0x75);
  else if (b == 0xA3) c.Set(0x81, 0x76);
  else if (b == 0xA4) c.Set(0x81, 0x41);
  else if (b == 0xA5) c.Set(0x81, 0x45);
  else if (b == 0xA6) kata(0x92);
  else if (b <= 0xAB) kata(0x40 + 2 * (b - 0xA7));
  else if (b <= 0xAE) kata(0x83 + 2 * (b - 0xAC));
  else if (b == 0xAF) kata(0x62);
  else if (b == 0xB0) c.Set(0x81, 0x5B);
  else if (b <= 0xB5) kata(0x41 + 2 * (b - 0xB1));
  // These rows have voiced forms only; before "ﾟ" they take their plain form.
  else if (b <= 0xC1) kata(0x4A + 2 * (b - 0xB6) + (v == 1 ? 1 : 0));
  else if (b <= 0xC4) kata(0x63 + 2 * (b - 0xC2) + (v == 1 ? 1 : 0));
  else if (b <= 0xC9) kata(b - 0x5C);
  else if (b <= 0xCE) kata(0x6E + 3 * (b - 0xCA) + v);
  else if (b <= 0xD0) kata(b - 0x52);
  else if (b <= 0xD3) kata(b - 0x51);
  else if (b <= 0xD6) kata(0x84 + 2 * (b - 0xD4));
  else if (b <= 0xDB) kata(b - 0x4E);
  else if (b == 0xDC) kata(0x8F);
  else if (b == 0xDD) kata(0x93);
  return c;  // DE, DF: the marks vanish
}

}  // namespace

namespace {

// Where the blanks at both ends stop: [first, last), first == s.size() when all are blanks.
std::pair<std::size_t, std::size_t> TrimBounds(std::string_view s) {
  // Most texts start and end in no blank, which shows at the end bytes: a blank is a byte up
  // to 20 (never a trail byte) or 81 40. The first byte starts a character; a last byte that
  // is not 40 is no "　", whether it is a trail byte or not.
  if (!s.empty()) {
    const unsigned char head = static_cast<unsigned char>(s[0]), tail = static_cast<unsigned char>(s.back());
    if (head > 0x20 && !(head == 0x81 && s.size() > 1 && s[1] == '\x40') && tail > 0x20 && tail != 0x40) {
      return {0, s.size()};
    }
  }
  std::size_t first = s.size(), last = s.size();
  // One forward pass: a backward scan could misread a trail byte 81 before 40 as "　".
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next = sjis::NextChar(s, i);
    if (!IsBlank(s, i, next)) {
      if (first == s.size()) first = i;
      last = next;
    }
    i = next;
  }
  return {first, last};
}

}  // namespace

std::string TrimWide(std::string_view s) {
  const auto [first, last] = TrimBounds(s);
  if (first == s.size()) return std::string();
  return std::string(s.substr(first, last - first));
}

void TrimWideInPlace(std::string& s) {
  const auto [first, last] = TrimBounds(s);
  if (first == s.size()) {
    s.clear();
    return;
  }
  s.erase(last);
  s.erase(0, first);
}

namespace {

// CapitalizeWords through whole-text mappings, for a text with a character whose mapping the
// tables can't give on their own.
std::string CapitalizeWordsByTexts(std::string_view s) {
  std::size_t second = sjis::NextChar(s, 0);
  std::string out;
  out.reserve(s.size());
  sjis::AppendUpper(s.substr(0, second), out);
  const std::string lower = sjis::Lower(s);

  // Gather the characters that start a word and upper-case them in one call; the case
  // mapping works character by character, so each keeps its place in the result.
  std::string starts;
  Char prev;
  for (std::size_t i = 0; i < lower.size();) {
    std::size_t next = sjis::NextChar(lower, i);
    if (i > 0 && IsSpace(prev)) starts.append(lower, i, next - i);
    prev = CharAt(lower, i, next);
    i = next;
  }
  std::string upper;
  sjis::AppendUpper(starts, upper);

  std::size_t u = 0;
  prev = Char();
  for (std::size_t i = 0; i < lower.size();) {
    std::size_t next = sjis::NextChar(lower, i);
    if (i > 0 && IsSpace(prev) && u < upper.size()) {
      std::size_t uNext = sjis::NextChar(upper, u);
      out.append(upper, u, uNext - u);
      u = uNext;
    } else if (i > 0) {
      out.append(lower, i, next - i);
    }
    prev = CharAt(lower, i, next);
    i = next;
  }
  return out;
}

// Runs write(buf), which writes at most cap bytes and returns how many it wrote, and appends
// them to out: through a buffer on the stack for a name, into out itself for longer text.
template <typename Write>
void AppendWritten(std::string& out, std::size_t cap, Write write) {
  char local[512];
  if (cap <= sizeof local) {
    out.append(local, write(local));
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + cap);
  out.resize(start + write(out.data() + start));
}

// Puts the character of a code (one byte below 0x100, else two) at buf[n].
inline void PutCode(char* buf, std::size_t& n, unsigned code) {
  if (code >= 0x100) buf[n++] = static_cast<char>(code >> 8);
  buf[n++] = static_cast<char>(code & 0xFF);
}

// Writes the code that code(i, index) gives for each character of s (index: its byte, or
// lead << 8 | trail) into out, or returns false, out unspecified, when one is kCaseSpecial.
template <typename Code>
bool MapChars(std::string_view s, std::string& out, Code code) {
  bool special = false;
  AppendWritten(out, 2 * s.size(), [&](char* buf) {
    // Held apart from what buf may alias, so the bytes written don't make them be read again.
    const char* const p = s.data();
    const std::size_t size = s.size();
    Code f = code;
    std::size_t n = 0;
    for (std::size_t i = 0; i < size;) {
      std::size_t next;
      const unsigned index = sjis::CodeAt(p, size, i, next);
      const unsigned c = f(i, index);
      if (c == sjis::kCaseSpecial) {
        special = true;
        return std::size_t{0};
      }
      PutCode(buf, n, c);
      i = next;
    }
    return n;
  });
  return !special;
}

// A character's code in a case table, its own where the table keeps it.
inline unsigned CaseCode(const std::uint16_t* table, unsigned index) {
  const unsigned code = table[index];
  return code == sjis::kCaseKeep ? index : code;
}

}  // namespace

// Both look each character up in the case tables on their own, as sjis::Upper and
// sjis::Lower do, rather than mapping whole texts into strings between.
void CapitalizeFirstTo(std::string_view s, std::string& out) {
  out.clear();
  const std::uint16_t* upper = sjis::UpperCodes();
  const std::uint16_t* lower = sjis::LowerCodes();
  const auto code = [upper, lower](std::size_t i, unsigned index) { return CaseCode(i == 0 ? upper : lower, index); };
  if (MapChars(s, out, code)) return;
  out.clear();
  std::size_t second = sjis::NextChar(s, 0);
  sjis::AppendUpper(s.substr(0, second), out);
  sjis::AppendLower(s.substr(second), out);
}

void CapitalizeWordsTo(std::string_view s, std::string& out) {
  out.clear();
  if (s.empty()) return;
  // The first character upper-cased; one after a space (as lower-cased) lower-cased and then
  // upper-cased; any other lower-cased.
  const std::uint16_t* upper = sjis::UpperCodes();
  const std::uint16_t* lower = sjis::LowerCodes();
  const bool mapped = MapChars(s, out, [upper, lower, afterSpace = false](std::size_t i, unsigned index) mutable {
    const unsigned lowered = CaseCode(lower, index);
    if (lowered == sjis::kCaseSpecial) return lowered;
    const bool start = i == 0 || afterSpace;
    afterSpace = lowered == 0x20 || lowered == 0x8140;
    return start ? CaseCode(upper, i == 0 ? index : lowered) : lowered;
  });
  if (!mapped) out = CapitalizeWordsByTexts(s);
}

namespace {

// The full-width forms of the half-width kana A1..DF, without a mark after them, before "ﾞ"
// and before "ﾟ"; 0 for the marks themselves, which give nothing.
struct KanaTable {
  std::uint16_t code[0x3F][3] = {};
  constexpr KanaTable() {
    for (unsigned b = 0xA1; b <= 0xDF; ++b) {
      for (unsigned v = 0; v < 3; ++v) {
        Char c = WideKana(static_cast<unsigned char>(b), v);
        code[b - 0xA1][v] = c.len == 0 ? 0 : c.len == 1 ? c.b0 : static_cast<std::uint16_t>(c.b0 << 8 | c.b1);
      }
    }
  }
};
constexpr KanaTable kKana;

std::uint16_t CodeOf(const Char& c) {
  return c.len == 1 ? c.b0 : static_cast<std::uint16_t>(c.b0 << 8 | c.b1);
}

}  // namespace

WidthConverter::WidthConverter(WidthFlags flags, bool kana)
    : identity_((flags & 0x03FF) == 0 && !kana), kana_(kana) {
  for (unsigned b = 0; b < 0x80; ++b) {
    Char c;
    c.Set(static_cast<unsigned char>(b));
    ApplyWidth(c, flags);
    ascii_[b] = CodeOf(c);
  }
  for (unsigned trail = 0; trail < 0x100; ++trail) {
    Char c;
    c.Set(0x81, static_cast<unsigned char>(trail));
    ApplyWidth(c, flags);
    row81_[trail] = CodeOf(c);
    c.Set(0x82, static_cast<unsigned char>(trail));
    ApplyWidth(c, flags);
    row82_[trail] = CodeOf(c);
  }
}

// The width conversion only ever makes ASCII and characters led by 81 or 82, so the half-width
// kana and marks it leaves are those of the text, and the kana are converted as they stand.
void WidthConverter::Convert(std::string_view s, std::string& out) const {
  out.clear();
  if (identity_) {
    out.append(s);
    return;
  }
  AppendWritten(out, 2 * s.size(), [&](char* buf) {
    const char* const p = s.data();  // as in MapChars
    const std::size_t size = s.size();
    const std::uint16_t* const ascii = ascii_;
    const std::uint16_t* const row81 = row81_;
    const std::uint16_t* const row82 = row82_;
    const bool kana = kana_;
    std::size_t n = 0;
    for (std::size_t i = 0; i < size;) {
      const unsigned char b = static_cast<unsigned char>(p[i]);
      if (b < 0x80) {
        PutCode(buf, n, ascii[b]);
        ++i;
      } else if (sjis::IsLeadByte(b) && i + 1 < size) {
        const unsigned char trail = static_cast<unsigned char>(p[i + 1]);
        if (b == 0x81) {
          PutCode(buf, n, row81[trail]);
        } else if (b == 0x82) {
          PutCode(buf, n, row82[trail]);
        } else {
          buf[n++] = static_cast<char>(b);
          buf[n++] = static_cast<char>(trail);
        }
        i += 2;
      } else if (kana && b >= 0xA1 && b <= 0xDF) {
        // DE and DF are never lead bytes, so such a byte is the whole next character.
        unsigned v = 0;
        if (i + 1 < size) {
          const unsigned char mark = static_cast<unsigned char>(p[i + 1]);
          v = mark == 0xDE ? 1 : mark == 0xDF ? 2 : 0;
        }
        const std::uint16_t code = kKana.code[b - 0xA1][v];
        if (code != 0) PutCode(buf, n, code);
        ++i;
      } else {
        buf[n++] = static_cast<char>(b);  // any other byte, or a lead byte cut off at the end
        ++i;
      }
    }
    return n;
  });
}
