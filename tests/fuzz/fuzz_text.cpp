// Targets of the Shift_JIS helpers and the StringEx conversions. Each conversion is checked
// to work character by character: its result must be the results of the input's characters
// one after another (a split character would show as a piece that belongs to no character).
#include <string>

#include "Fuzz.h"
#include "support/Oracles.h"
#include "text/StringEx.h"
#include "text/sjis.h"

namespace fuzz {
namespace {

bool IsBlankChar(std::string_view ch) {
  return (ch.size() == 1 && static_cast<unsigned char>(ch[0]) <= 0x20) || ch == "\x81\x40";
}

bool IsSpaceChar(std::string_view ch) { return ch == " " || ch == "\x81\x40"; }

// A whole valid text must give a whole valid text.
void CheckValid(Case& c, std::string_view in, std::string_view out, const char* what) {
  if (Valid(in)) c.Check(Valid(out), what, out);
}

void CaseMap(Case& c, bool upper) {
  const std::string s = AnyText(c.rng);
  c.Input("text", s);
  auto map = [upper](std::string_view t) { return upper ? sjis::Upper(t) : sjis::Lower(t); };
  const std::string out = map(s);
  std::string expected;
  for (std::string_view ch : Chars(s)) {
    const std::string one = map(ch);
    if (!Valid(ch)) {
      c.Check(one == ch, "an invalid character is not kept as it is", one, ch);
    } else if (!c.Check(Valid(one) && Chars(one).size() == 1, "a character maps to no single valid character", one)) {
      return;
    }
    expected += one;
  }
  c.Check(out == expected, "the text maps otherwise than its characters", out, expected);
  CheckValid(c, s, out, "valid text mapped to invalid text");
  if (Valid(s)) {
    const std::string platform = upper ? oracle::PlatformUpper(s) : oracle::PlatformLower(s);
    c.Check(out == platform, "the table differs from the platform", out, platform);
  }
  std::string appended = "x";
  if (upper) sjis::AppendUpper(s, appended);
  else sjis::AppendLower(s, appended);
  c.Check(appended == Cat({"x", out}), "Append differs from the plain mapping", appended, Cat({"x", out}));
}

void Upper(Case& c) { CaseMap(c, true); }
void Lower(Case& c) { CaseMap(c, false); }

void Trim(Case& c) {
  std::string s;
  // Blanks of every kind around and inside.
  for (int k = c.rng.Between(0, 4); k > 0; --k) s += c.rng.Percent(50) ? " " : c.rng.Percent(50) ? "\x81\x40" : "\t";
  s += AnyText(c.rng, 8);
  for (int k = c.rng.Between(0, 4); k > 0; --k) s += c.rng.Percent(50) ? " " : c.rng.Percent(50) ? "\x81\x40" : "\x01";
  if (c.rng.Percent(10)) s += "\x81";
  c.Input("text", s);
  const std::string out = TrimWide(std::string_view(s));
  // Cut at character boundaries: the first non-blank character to the last.
  std::size_t first = std::string::npos, last = 0;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t next = sjis::NextChar(s, i);
    if (!IsBlankChar(std::string_view(s).substr(i, next - i))) {
      if (first == std::string::npos) first = i;
      last = next;
    }
    i = next;
  }
  const std::string expected = first == std::string::npos ? std::string() : s.substr(first, last - first);
  c.Check(out == expected, "not trimmed at whole blank characters", out, expected);
}

void CapitalizeFirstTarget(Case& c) {
  const std::string s = AnyText(c.rng);
  c.Input("text", s);
  const std::string out = CapitalizeFirst(std::string_view(s));
  std::string expected;
  bool first = true;
  for (std::string_view ch : Chars(s)) {
    expected += first ? sjis::Upper(ch) : sjis::Lower(ch);
    first = false;
  }
  c.Check(out == expected, "not capitalized character by character", out, expected);
  CheckValid(c, s, out, "valid text capitalized to invalid text");
}

void CapitalizeWordsTarget(Case& c) {
  std::string s = AnyText(c.rng);
  if (c.rng.Percent(50)) s = AnyText(c.rng, 6) + (c.rng.Percent(50) ? " " : "\x81\x40") + AnyText(c.rng, 6);
  c.Input("text", s);
  const std::string out = CapitalizeWords(std::string_view(s));
  // The first character upper-cased; after a space (read in the lower-cased text) the
  // lower-cased character upper-cased; any other lower-cased.
  std::string expected;
  std::string prev;
  bool first = true;
  for (std::string_view ch : Chars(s)) {
    const std::string lower = sjis::Lower(ch);
    expected += first ? sjis::Upper(ch) : IsSpaceChar(prev) ? sjis::Upper(lower) : lower;
    prev = lower;
    first = false;
  }
  c.Check(out == expected, "words not capitalized character by character", out, expected);
  CheckValid(c, s, out, "valid text capitalized to invalid text");
}

WidthFlags RandomFlags(Rng& rng) {
  if (rng.Percent(20)) return static_cast<WidthFlags>(rng.Next());  // bits 10 to 15 too
  WidthFlags flags = 0;
  for (int pair = 0; pair < 5; ++pair) {
    unsigned roll = rng.Below(4);
    if (roll == 1) flags |= static_cast<WidthFlags>(1u << (2 * pair));
    if (roll == 2) flags |= static_cast<WidthFlags>(2u << (2 * pair));
  }
  return flags;
}

void Width(Case& c) {
  const std::string s = AnyText(c.rng);
  const WidthFlags flags = RandomFlags(c.rng);
  c.Input("text", s);
  c.Input("flags", flags);
  const std::string out = ConvertWidth(std::string_view(s), flags);
  std::string expected;
  for (std::string_view ch : Chars(s)) {
    const std::string one = ConvertWidth(ch, flags);
    // Only ASCII and the rows 81 and 82 are ever converted, each into one valid character.
    const bool convertible = (ch.size() == 1 && static_cast<unsigned char>(ch[0]) < 0x80) ||
                             (ch.size() == 2 && (ch[0] == '\x81' || ch[0] == '\x82'));
    if (one != ch) {
      if (!c.Check(convertible && Valid(one) && Chars(one).size() == 1, "a character converted into no single character",
                   one, ch)) {
        return;
      }
    }
    expected += one;
  }
  c.Check(out == expected, "not converted character by character", out, expected);
  CheckValid(c, s, out, "valid text converted to invalid text");
  if (flags == 0) c.Check(out == s, "flags 0 change the text", out, s);
}

bool IsMark(std::string_view ch) { return ch == "\xDE" || ch == "\xDF"; }

void Kana(Case& c) {
  std::string s = AnyText(c.rng);
  c.Input("text", s);
  const std::string out = HalfKanaToWide(std::string_view(s));
  const std::vector<std::string_view> chars = Chars(s);
  std::string expected;
  for (std::size_t k = 0; k < chars.size(); ++k) {
    const std::string_view ch = chars[k];
    const bool kana = ch.size() == 1 && static_cast<unsigned char>(ch[0]) >= 0xA1 && static_cast<unsigned char>(ch[0]) <= 0xDF;
    if (!kana) {
      expected += ch;
      continue;
    }
    // A kana takes up the mark after it; a mark alone gives nothing.
    std::string pair(ch);
    if (k + 1 < chars.size() && IsMark(chars[k + 1])) pair += chars[k + 1];
    const std::string one = HalfKanaToWide(std::string_view(pair));
    if (IsMark(ch)) {
      c.Check(one.empty(), "a mark gives something", one);
    } else if (!c.Check(one.size() == 2 && Valid(one), "a kana gives no full-width character", one, pair)) {
      return;
    }
    expected += one;
  }
  c.Check(out == expected, "not converted character by character", out, expected);
  CheckValid(c, s, out, "valid text converted to invalid text");
}

// The path helpers: the parts put together give the path, and they are cut at characters.
void Paths(Case& c) {
  std::string path;
  for (int k = c.rng.Between(0, 4); k > 0; --k) {
    path += AnyText(c.rng, 5);
    path += c.rng.Percent(70) ? "\\" : ":";
  }
  path += AnyText(c.rng, 8);
  if (c.rng.Percent(60)) path += Cat({".", AnyText(c.rng, 3)});
  c.Input("path", path);
  auto starts = [&](std::size_t at) {  // whether at is a character boundary of path
    std::size_t i = 0;
    while (i < at) i = sjis::NextChar(path, i);
    return i == at;
  };
  const std::size_t nameAt = sjis::FileNameStart(path);
  c.Check(starts(nameAt), "the file name starts inside a character");
  c.Check(nameAt == 0 || path[nameAt - 1] == '\\' || path[nameAt - 1] == ':', "the folder part ends in no delimiter");
  const std::string_view name = sjis::FileName(path);
  bool delimiter = false;
  for (std::string_view ch : Chars(name)) delimiter |= ch == "\\" || ch == ":";
  c.Check(!delimiter, "a delimiter stands in the file name", name);
  const std::string_view ext = sjis::Extension(path);
  c.Check(Cat({sjis::FolderPart(path), name}) == path, "folder + name is not the path");
  c.Check(Cat({sjis::StripExtension(path), ext}) == path, "stripped + extension is not the path");
  c.Check(Cat({sjis::FolderPart(path), sjis::BaseName(path), ext}) == path,
          "folder + base + extension is not the path");
  if (!ext.empty()) {
    c.Check(ext[0] == '.' && starts(path.size() - ext.size()), "the extension starts at no \".\" character", ext);
    bool laterDot = false;
    for (std::string_view ch : Chars(ext.substr(1))) laterDot |= ch == ".";
    c.Check(!laterDot, "the extension is not from the last \".\"", ext);
  } else {
    bool dot = false;
    for (std::string_view ch : Chars(name)) dot |= ch == ".";
    c.Check(!dot, "a \".\" in the name gives no extension", name);
  }

  // Find: at a character start, the bytes equal, no earlier start, and the occurrence ends
  // where a character ends (else it would take half of one).
  const std::string pattern = c.rng.Percent(70) ? Piece(c.rng, path) : AnyText(c.rng, 2);
  c.Input("pattern", pattern);
  const std::size_t at = sjis::Find(path, pattern);
  std::size_t model = sjis::npos;
  if (!pattern.empty()) {
    for (std::size_t i = 0; i + pattern.size() <= path.size(); i = sjis::NextChar(path, i)) {
      if (path.compare(i, pattern.size(), pattern) == 0 && starts(i + pattern.size())) {
        model = i;
        break;
      }
    }
  }
  c.Check(at == model, ("Find gives " + std::to_string(static_cast<long long>(at)) + ", whole characters at " +
                        std::to_string(static_cast<long long>(model)))
                           .c_str());

  const std::string lower = sjis::AsciiLower(path);
  std::string expected;
  for (std::string_view ch : Chars(path)) expected += ch.size() == 1 ? std::string(1, sjis::AsciiLowerChar(ch[0])) : std::string(ch);
  c.Check(lower == expected, "AsciiLower touches more than single-byte A-Z", lower, expected);
  c.Check(sjis::EqualsIgnoringAsciiCase(path, lower), "a text differs from its lower case");
}

}  // namespace

void AddTextTargets(std::vector<Target>& targets) {
  targets.push_back({"upper", Upper});
  targets.push_back({"lower", Lower});
  targets.push_back({"trim", Trim});
  targets.push_back({"capfirst", CapitalizeFirstTarget});
  targets.push_back({"capwords", CapitalizeWordsTarget});
  targets.push_back({"width", Width});
  targets.push_back({"kana", Kana});
  targets.push_back({"paths", Paths});
}

}  // namespace fuzz
