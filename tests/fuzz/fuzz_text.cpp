// Targets of the UTF-16 text helpers, the StringEx conversions and the rules on names of every
// kind (WideText). Each conversion is checked to work character by character: its result must
// be the results of the input's characters one after another, so a split surrogate pair would
// show as a piece that belongs to no character. Every preview must give what the rule's own
// function gives for the row's base name.
#include <algorithm>
#include <string>

#include "Fuzz.h"
#include "rules/CleanUp.h"
#include "rules/DatePattern.h"
#include "rules/DateRule.h"
#include "rules/Filter.h"
#include "rules/RegexRule.h"
#include "rules/Rules.h"
#include "support/Oracles.h"
#include "text/StringEx.h"
#include "text/utf16.h"

namespace fuzz {
namespace {

bool IsBlank(wchar_t c) { return c <= 0x20 || c == 0x3000; }
bool IsSpace(wchar_t c) { return c == L' ' || c == 0x3000; }

// Fails when the output holds a lone surrogate that no input held.
void CheckPairs(Case& c, std::wstring_view out, std::size_t loneIn, const char* what) {
  if (loneIn == 0) c.Check(LoneSurrogates(out) == 0, what, out);
}

std::wstring Join(const std::vector<std::wstring_view>& pieces) {
  std::wstring out;
  for (std::wstring_view p : pieces) out += p;
  return out;
}

void CaseMap(Case& c, bool upper) {
  const std::wstring s = WideText(c.rng);
  c.Input("text", s);
  auto map = [upper](std::wstring_view t) { return upper ? utf16::Upper(t) : utf16::Lower(t); };
  const std::wstring out = map(s);
  std::wstring expected;
  for (std::wstring_view ch : WideChars(s)) {
    const std::wstring one = map(ch);
    if (!c.Check(one.size() == ch.size() && WideChars(one).size() == 1, "a character maps to no single character", one,
                 ch)) {
      return;
    }
    expected += one;
  }
  c.Check(out == expected, "the text maps otherwise than its characters", out, expected);
  const std::wstring platform = upper ? oracle::PlatformUpper(s) : oracle::PlatformLower(s);
  c.Check(out == platform, "the mapping differs from the platform's", out, platform);
  c.Check(map(out) == out, "mapping twice differs from mapping once", map(out), out);
  CheckPairs(c, out, LoneSurrogates(s), "a pair split by the case mapping");
  std::wstring appended = L"x";
  if (upper) utf16::AppendUpper(s, appended);
  else utf16::AppendLower(s, appended);
  c.Check(appended == L"x" + out, "Append differs from the plain mapping", appended, L"x" + out);
}

void Upper(Case& c) { CaseMap(c, true); }
void Lower(Case& c) { CaseMap(c, false); }

void Trim(Case& c) {
  std::wstring s;
  for (int k = c.rng.Between(0, 4); k > 0; --k) s += c.rng.Percent(50) ? L" " : c.rng.Percent(50) ? L"\u3000" : L"\t";
  s += WideText(c.rng, 8);
  for (int k = c.rng.Between(0, 4); k > 0; --k) s += c.rng.Percent(50) ? L" " : c.rng.Percent(50) ? L"\u3000" : L"\x01";
  c.Input("text", s);
  const std::wstring out = TrimWide(s);
  std::size_t first = 0, last = s.size();
  while (first < last && IsBlank(s[first])) ++first;
  while (last > first && IsBlank(s[last - 1])) --last;
  const std::wstring expected = s.substr(first, last - first);
  c.Check(out == expected, "not trimmed at the blanks", out, expected);
  c.Check(TrimWide(out) == out, "trimming twice differs from trimming once", TrimWide(out), out);
  std::wstring inPlace = s;
  TrimWideInPlace(inPlace);
  c.Check(inPlace == out, "trimming in place differs", inPlace, out);
}

void CapitalizeFirstTarget(Case& c) {
  const std::wstring s = WideText(c.rng);
  c.Input("text", s);
  const std::wstring out = CapitalizeFirst(s);
  std::wstring expected;
  bool first = true;
  for (std::wstring_view ch : WideChars(s)) {
    expected += first ? utf16::Upper(ch) : utf16::Lower(ch);
    first = false;
  }
  c.Check(out == expected, "not capitalized character by character", out, expected);
  CheckPairs(c, out, LoneSurrogates(s), "a pair split by CapitalizeFirst");
}

void CapitalizeWordsTarget(Case& c) {
  std::wstring s = WideText(c.rng);
  if (c.rng.Percent(50)) s = WideText(c.rng, 6) + (c.rng.Percent(50) ? L" " : L"\u3000") + WideText(c.rng, 6);
  c.Input("text", s);
  const std::wstring out = CapitalizeWords(s);
  // The first character upper-cased; after a space the lower-cased character upper-cased; any
  // other lower-cased.
  std::wstring expected;
  bool first = true, afterSpace = false;
  for (std::wstring_view ch : WideChars(s)) {
    const std::wstring lower = utf16::Lower(ch);
    expected += first ? utf16::Upper(ch) : afterSpace ? utf16::Upper(lower) : lower;
    afterSpace = lower.size() == 1 && IsSpace(lower[0]);
    first = false;
  }
  c.Check(out == expected, "words not capitalized character by character", out, expected);
  CheckPairs(c, out, LoneSurrogates(s), "a pair split by CapitalizeWords");
}

WidthFlags RandomFlags(Rng& rng) {
  if (rng.Percent(20)) return static_cast<WidthFlags>(rng.Next());  // bits 10 to 15 too
  WidthFlags flags = 0;
  for (int pair = 0; pair < 5; ++pair) {
    const unsigned roll = rng.Below(4);
    if (roll == 1) flags |= static_cast<WidthFlags>(1u << (2 * pair));
    if (roll == 2) flags |= static_cast<WidthFlags>(2u << (2 * pair));
  }
  return flags;
}

// Where the width classes lie: ASCII, U+3000..U+3015, U+FF00..U+FF5F and "♯".
bool InWidthClasses(std::wstring_view ch) {
  if (ch.size() != 1) return false;
  const wchar_t u = ch[0];
  return u < 0x80 || (u >= 0x3000 && u <= 0x3015) || (u >= 0xFF00 && u <= 0xFF5F) || u == 0x266F;
}

void Width(Case& c) {
  const std::wstring s = WideText(c.rng);
  const WidthFlags flags = RandomFlags(c.rng);
  c.Input("text", s);
  c.Input("flags", flags);
  const std::wstring out = ConvertWidth(s, flags);
  std::wstring expected;
  for (std::wstring_view ch : WideChars(s)) {
    const std::wstring one = ConvertWidth(ch, flags);
    if (one != ch &&
        !c.Check(InWidthClasses(ch) && one.size() == 1, "a character outside the classes converted", one, ch)) {
      return;
    }
    expected += one;
  }
  c.Check(out == expected, "not converted character by character", out, expected);
  if ((flags & 0x03FF) == 0) c.Check(out == s, "flags 0 change the text", out, s);
  // Only one side of every class: converting again changes nothing.
  const WidthFlags toHalf = flags & 0x0155, toWide = flags & 0x02AA;
  for (WidthFlags one : {toHalf, toWide}) {
    const std::wstring once = ConvertWidth(s, one);
    c.Check(ConvertWidth(once, one) == once, "converting to one side twice differs", ConvertWidth(once, one), once);
  }
}

bool IsMark(std::wstring_view ch) { return ch == L"\uFF9E" || ch == L"\uFF9F"; }

void Kana(Case& c) {
  const std::wstring s = WideText(c.rng);
  c.Input("text", s);
  const std::wstring out = HalfKanaToWide(s);
  const std::vector<std::wstring_view> chars = WideChars(s);
  std::wstring expected;
  for (std::size_t k = 0; k < chars.size(); ++k) {
    const std::wstring_view ch = chars[k];
    if (!(ch.size() == 1 && ch[0] >= 0xFF61 && ch[0] <= 0xFF9F)) {
      expected += ch;
      continue;
    }
    // A kana takes up the mark after it; a mark alone gives nothing.
    std::wstring pair(ch);
    if (k + 1 < chars.size() && IsMark(chars[k + 1])) pair += chars[k + 1];
    const std::wstring one = HalfKanaToWide(pair);
    if (IsMark(ch)) {
      c.Check(one.empty(), "a mark gives something", one);
    } else if (!c.Check(one.size() == 1 && !(one[0] >= 0xFF61 && one[0] <= 0xFF9F),
                        "a kana gives no full-width character", one, pair)) {
      return;
    }
    expected += one;
  }
  c.Check(out == expected, "not converted character by character", out, expected);
  c.Check(HalfKanaToWide(out) == out, "converting twice differs", HalfKanaToWide(out), out);
}

void ComposeTarget(Case& c) {
  const std::wstring s = WideText(c.rng);
  c.Input("text", s);
  const std::wstring out = utf16::Compose(s);
  c.Check(utf16::Compose(out) == out, "composing twice differs", utf16::Compose(out), out);
  CheckPairs(c, out, LoneSurrogates(s), "a pair split by the composition");
  if (!utf16::NeedsCompose(s)) c.Check(out == s, "a text that needs nothing changed", out, s);
  if (LoneSurrogates(s) == 0) c.Check(!utf16::NeedsCompose(out), "a composed text still needs composing", out);
}

// The path helpers: the parts put together give the path, cut at characters.
void Paths(Case& c) {
  std::wstring path;
  for (int k = c.rng.Between(0, 4); k > 0; --k) {
    path += WideText(c.rng, 5);
    path += c.rng.Percent(70) ? L"\\" : L":";
  }
  path += WideText(c.rng, 8);
  if (c.rng.Percent(60)) path += L"." + WideText(c.rng, 3);
  c.Input("path", path);
  const std::size_t nameAt = utf16::FileNameStart(path);
  c.Check(nameAt == 0 || path[nameAt - 1] == L'\\' || path[nameAt - 1] == L':', "the folder part ends in no delimiter");
  const std::wstring_view name = utf16::FileName(path);
  c.Check(name.find_first_of(L"\\:") == std::wstring_view::npos, "a delimiter stands in the file name", name);
  const std::wstring_view ext = utf16::Extension(path);
  c.Check(Join({utf16::FolderPart(path), name}) == path, "folder + name is not the path");
  c.Check(Join({utf16::StripExtension(path), ext}) == path, "stripped + extension is not the path");
  c.Check(Join({utf16::FolderPart(path), utf16::BaseName(path), ext}) == path,
          "folder + base + extension is not the path");
  if (!ext.empty()) {
    c.Check(ext[0] == L'.' && ext.find(L'.', 1) == std::wstring_view::npos, "the extension is not from the last \".\"",
            ext);
  } else {
    c.Check(name.find(L'.') == std::wstring_view::npos, "a \".\" in the name gives no extension", name);
  }

  // Find: the units equal, at the first place where the occurrence begins and ends at
  // character boundaries.
  const std::wstring pattern = c.rng.Percent(70) ? WidePiece(c.rng, path) : WideText(c.rng, 2);
  c.Input("pattern", pattern);
  const std::size_t at = utf16::Find(path, pattern);
  std::size_t model = utf16::npos;
  if (!pattern.empty()) {
    for (std::size_t i = 0; i + pattern.size() <= path.size(); i = utf16::NextChar(path, i)) {
      if (path.compare(i, pattern.size(), pattern) == 0 && utf16::AtCharStart(path, i + pattern.size())) {
        model = i;
        break;
      }
    }
  }
  c.Check(at == model, ("Find gives " + std::to_string(static_cast<long long>(at)) + ", whole characters at " +
                        std::to_string(static_cast<long long>(model)))
                           .c_str());
  const std::wstring lower = utf16::AsciiLower(path);
  std::wstring expected = path;
  for (wchar_t& u : expected) u = utf16::AsciiLowerChar(u);
  c.Check(lower == expected, "AsciiLower touches more than A-Z", lower, expected);
  c.Check(utf16::EqualsIgnoringAsciiCase(path, lower), "a text differs from its lower case");
}

// ---- The rules on names of every kind ---------------------------------------------------------

// A list of 1 to 4 rows named by WideText, one in three without an extension.
rules::RenameList WideList(Case& c) {
  rules::RenameList list;
  const int n = c.rng.Between(1, 4);
  for (int k = 0; k < n; ++k) {
    std::wstring name = WideText(c.rng, 10);
    if (c.rng.Percent(66)) name += L"." + WideText(c.rng, 3);
    c.Input("name", name);
    list.Add(name, L"C:\\d\\");
  }
  return list;
}

std::size_t LoneIn(const rules::RenameList& list) {
  std::size_t n = 0;
  for (const rules::RenameEntry& row : list) n += LoneSurrogates(row.fileName);
  return n;
}

// ReplaceAll as the rule states it: left to right, whole characters at both ends.
std::wstring ReplaceModel(std::wstring_view text, std::wstring_view search, std::wstring_view with) {
  if (search.empty()) return std::wstring(text);
  std::wstring out;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, search.size(), search) == 0 && utf16::AtCharStart(text, i + search.size())) {
      out += with;
      i += search.size();
    } else {
      const std::size_t next = utf16::NextChar(text, i);
      out.append(text, i, next - i);
      i = next;
    }
  }
  return out;
}

void ReplaceTarget(Case& c) {
  rules::RenameList list = WideList(c);
  rules::ReplaceInputs in;
  in.search = c.rng.Percent(70) ? WidePiece(c.rng, list[0].BaseName()) : WideText(c.rng, 2);
  in.replacement = WideText(c.rng, 3);
  in.trim = c.rng.Percent(30);
  c.Input("search", in.search);
  c.Input("replacement", in.replacement);
  c.Input("trim", in.trim);
  rules::PreviewReplace(list, in);
  for (const rules::RenameEntry& row : list) {
    std::wstring expected = rules::ReplaceAll(row.BaseName(), in.search, in.replacement);
    const std::wstring model = ReplaceModel(row.BaseName(), in.search, in.replacement);
    if (!c.Check(expected == model, "ReplaceAll differs from whole-character replacing", expected, model)) return;
    if (!utf16::Contains(row.BaseName(), in.search)) {
      c.Check(expected == row.BaseName(), "a search that isn't there changes the name", expected, row.BaseName());
    }
    if (in.trim) TrimWideInPlace(expected);
    c.Check(row.newName == expected, "the preview differs from ReplaceAll", row.newName, expected);
    CheckPairs(c, row.newName, LoneIn(list) + LoneSurrogates(in.search) + LoneSurrogates(in.replacement),
               "a pair split by the replace");
  }
}

std::wstring RegexEscaped(std::wstring_view text) {
  std::wstring out;
  for (wchar_t u : text) {
    if (std::wstring_view(L"\\^$.|?*+()[]{}/").find(u) != std::wstring_view::npos) out += L'\\';
    out += u;
  }
  return out;
}

void RegexTarget(Case& c) {
  rules::RenameList list = WideList(c);
  const unsigned kind = c.rng.Below(3);
  std::wstring piece, with = WideText(c.rng, 3);
  std::wstring plainWith;
  for (wchar_t u : with) (u == L'$' ? plainWith += L"$$" : plainWith += u);
  rules::RegexInputs in;
  if (kind == 0) {
    in = {L".", L"[$&]"};
  } else if (kind == 1) {
    in = {L"^(.)(.*)$", L"$2$1"};
  } else {
    piece = WidePiece(c.rng, list[0].BaseName());
    if (piece.empty()) piece = L"a";
    in = {RegexEscaped(piece), plainWith};
  }
  c.Input("search", in.search);
  c.Input("replacement", in.replacement);
  rules::RegexError why = rules::RegexError::None;
  const bool ok = rules::PreviewRegexReplace(list, in, nullptr, &why);
  if (!c.Check(ok, ("the expression is refused: " + std::to_string(static_cast<int>(why))).c_str())) return;
  for (const rules::RenameEntry& row : list) {
    const std::vector<std::wstring_view> chars = WideChars(row.BaseName());
    std::wstring expected;
    if (kind == 0) {
      // "." takes any character but a line terminator.
      for (std::wstring_view ch : chars) {
        const bool ends = ch.size() == 1 &&
                          std::wstring_view(L"\n\r\u2028\u2029").find(ch[0]) != std::wstring_view::npos;
        expected += ends ? std::wstring(ch) : L"[" + std::wstring(ch) + L"]";
      }
    } else if (kind == 1) {
      // Line terminators stop "." and "$" at them: only a name without one is foreseen here.
      if (row.BaseName().find_first_of(L"\n\r\u2028\u2029") != std::wstring_view::npos) continue;
      expected = chars.empty() ? std::wstring() : Join({row.BaseName().substr(chars[0].size()), chars[0]});
    } else {
      expected = rules::ReplaceAll(row.BaseName(), piece, with);
    }
    c.Check(row.newName == expected, "the expression doesn't take whole characters", row.newName, expected);
  }
}

void CaseRuleTarget(Case& c) {
  rules::RenameList list = WideList(c);
  const auto kind = static_cast<rules::LetterCase>(c.rng.Between(-1, 3));
  c.Input("case", static_cast<int>(kind));
  rules::PreviewCase(list, kind);
  for (const rules::RenameEntry& row : list) {
    const std::wstring_view base = row.BaseName();
    std::wstring expected;
    switch (kind) {
      case rules::LetterCase::Upper: expected = utf16::Upper(base); break;
      case rules::LetterCase::Lower: expected = utf16::Lower(base); break;
      case rules::LetterCase::FirstLetter: expected = CapitalizeFirst(base); break;
      case rules::LetterCase::EachWord: expected = CapitalizeWords(base); break;
      default: expected = base; break;
    }
    c.Check(row.newName == expected, "the preview differs from the case mapping", row.newName, expected);
    CheckPairs(c, row.newName, LoneIn(list), "a pair split by the letter case");
  }
  // Upper and lower case again: the names stay.
  if (kind == rules::LetterCase::Upper || kind == rules::LetterCase::Lower) {
    rules::RenameList again;
    for (const rules::RenameEntry& row : list) again.Add(row.newName + std::wstring(row.Extension()), L"C:\\d\\");
    rules::PreviewCase(again, kind);
    for (const rules::RenameEntry& row : again) {
      c.Check(row.newName == row.BaseName(), "the letter case twice differs", row.newName, row.BaseName());
    }
  }
}

void WidthRuleTarget(Case& c) {
  rules::RenameList list = WideList(c);
  const WidthFlags flags = RandomFlags(c.rng);
  const bool kana = c.rng.Percent(50);
  c.Input("flags", flags);
  c.Input("kana", kana);
  rules::PreviewWidth(list, flags, kana);
  const WidthConverter converter(flags, kana);
  std::wstring expected;
  for (const rules::RenameEntry& row : list) {
    converter.Convert(row.BaseName(), expected);
    c.Check(row.newName == expected, "the preview differs from the converter", row.newName, expected);
    // Characters outside the classes (the half-width kana aside) are all still there.
    auto outside = [](std::wstring_view s) {
      std::size_t n = 0;
      for (std::wstring_view ch : WideChars(s)) n += !InWidthClasses(ch) && !(ch[0] >= 0xFF61 && ch[0] <= 0xFF9F);
      return n;
    };
    if (!kana) c.Check(outside(row.newName) == outside(row.BaseName()), "a character outside the classes is lost");
  }
}

void NumberAddTarget(Case& c) {
  rules::RenameList list = WideList(c);
  rules::NumberingInputs number;
  number.baseText = WideText(c.rng, 6);
  number.divider = c.rng.Percent(50);
  c.Input("base", number.baseText);
  rules::PreviewNumber(list, number);
  const std::wstring prefix = number.baseText + (number.divider ? L"_" : L"");
  for (const rules::RenameEntry& row : list) {
    const bool digits = row.newName.size() > prefix.size() &&
                        row.newName.find_first_not_of(L"0123456789", prefix.size()) == std::wstring::npos;
    c.Check(row.newName.compare(0, prefix.size(), prefix) == 0 && digits, "a number not after the base text",
            row.newName);
  }
  rules::AddInputs add{WideText(c.rng, 4), c.rng.Percent(50), c.rng.Percent(50), c.rng.Percent(50)};
  c.Input("add", add.text);
  rules::PreviewAdd(list, add);
  for (const rules::RenameEntry& row : list) {
    const std::wstring_view base = row.BaseName();
    const std::wstring joint = add.divider ? L"_" : L"";
    const std::wstring expected = (add.head ? add.text + joint : L"") + std::wstring(base) +
                                  (add.tail ? joint + add.text : L"");
    c.Check(row.newName == expected, "the added text is not where it belongs", row.newName, expected);
  }
}

void CleanTarget(Case& c) {
  std::wstring name = WideText(c.rng, 10);
  static const wchar_t* kDecorations[] = {L" [1]",
                                          L"(2)",
                                          L" \u3078\u306E\u30B7\u30E7\u30FC\u30C8\u30AB\u30C3\u30C8",
                                          L"\u30B3\u30D4\u30FC \uFF5E ",
                                          L"\u30B3\u30D2\u309A\u30FC \uFF5E ",
                                          L"\u3000"};
  if (c.rng.Percent(50)) name = c.rng.Pick(kDecorations) + name;
  if (c.rng.Percent(50)) name += c.rng.Pick(kDecorations);
  static const wchar_t* kExts[] = {L".lnk", L".jpeg", L".JPEG", L".te\u0301xt", L""};
  name += c.rng.Percent(50) ? std::wstring(c.rng.Pick(kExts)) : L"." + WideText(c.rng, 3);
  std::erase_if(name, [](wchar_t u) { return u == L'\\' || u == L':'; });  // a name, not a path
  const std::wstring folder = L"C:\\x [1]\\";
  rules::CleanUpOptions o;
  o.removeShortcut = c.rng.Percent(50), o.removeBracketNumber = c.rng.Percent(50),
  o.removeParenNumber = c.rng.Percent(50);
  o.removeCopy = c.rng.Percent(50), o.trim = c.rng.Percent(50), o.jpegToJpg = c.rng.Percent(50),
  o.compose = c.rng.Percent(50);
  c.Input("name", name);
  c.Input("options", o.removeShortcut | o.removeBracketNumber << 1 | o.removeParenNumber << 2 | o.removeCopy << 3 |
                         o.trim << 4 | o.jpegToJpg << 5 | o.compose << 6);
  const std::wstring path = folder + name;
  const std::wstring out = rules::AutoCleanName(path, o);
  c.Check(out.compare(0, folder.size(), folder) == 0 && utf16::FolderPart(out) == folder, "the folder changed", out);
  c.Check(rules::AutoCleanName(path, rules::CleanUpOptions{}) == path, "every option off changes the path");
  CheckPairs(c, out, LoneSurrogates(name), "a pair split by the clean-up");
  if (!utf16::BaseName(path).empty()) c.Check(!utf16::BaseName(out).empty(), "the base name cleaned away", out);
  if (!o.compose && !o.jpegToJpg) {
    c.Check(utf16::Extension(out) == utf16::Extension(path), "the extension changed", out);
  }
  rules::CleanUpOptions composeOnly;
  composeOnly.compose = true;
  const std::wstring composed = folder + utf16::Compose(utf16::BaseName(path)) + utf16::Compose(utf16::Extension(path));
  c.Check(rules::AutoCleanName(path, composeOnly) == composed, "composing alone differs from Compose",
          rules::AutoCleanName(path, composeOnly), composed);
}

void FilterTarget(Case& c) {
  std::wstring name = WideText(c.rng, 8);
  if (c.rng.Percent(70)) name += L"." + WideText(c.rng, 3);
  name.erase(std::remove_if(name.begin(), name.end(), [](wchar_t u) { return u == L'\\' || u == L':' || u == L';'; }),
             name.end());
  const std::wstring path = L"C:\\d\\" + name;
  std::wstring names, exts;
  // The name itself, a variant in another case of "A"-"Z" or the platform's, or others.
  for (int k = c.rng.Between(0, 3); k > 0; --k) {
    std::wstring entry = WideText(c.rng, 4);
    std::erase(entry, L';');
    names += entry + L";";
  }
  const unsigned roll = c.rng.Below(4);
  std::wstring listed = name;
  if (roll == 1) listed = utf16::AsciiLower(name);
  if (roll == 2) listed = utf16::Upper(name);
  if (roll != 3) names += listed + (c.rng.Percent(50) ? L";" : L"");
  exts = c.rng.Percent(50) ? std::wstring(utf16::Extension(name)) + L";" : L"";
  c.Input("path", path);
  c.Input("names", names);
  c.Input("exts", exts);
  const bool got = rules::MatchesFilter(path, names, exts);
  auto same = [](std::wstring_view a, std::wstring_view b) {
    if (utf16::EqualsIgnoringAsciiCase(a, b)) return true;
    return !(utf16::HasShiftJisForm(a) && utf16::HasShiftJisForm(b)) && utf16::CompareOrdinalIgnoringCase(a, b) == 0;
  };
  bool expected = false;
  rules::ForEachFilterEntry(names, [&](std::wstring_view e) { return expected = !name.empty() && same(e, name); });
  if (!expected && !utf16::Extension(name).empty()) {
    rules::ForEachFilterEntry(exts, [&](std::wstring_view e) { return expected = same(e, utf16::Extension(name)); });
  }
  c.Check(got == expected, expected ? "a listed name passes" : "an unlisted name is refused");
  if (!name.empty() && roll <= 1) c.Check(got, "the name itself listed passes");
}

void DateTarget(Case& c) {
  std::wstring pattern = WideText(c.rng, 12);
  static const wchar_t* kSpecifiers[] = {L"yyyy", L"mm", L"dd", L"hh:nn", L"ddd", L"gge", L"am/pm", L"c", L"\"", L"'"};
  for (int k = c.rng.Between(0, 4); k > 0; --k) {
    std::size_t at = c.rng.Below(static_cast<std::uint32_t>(pattern.size() + 1));
    if (!utf16::AtCharStart(pattern, at)) --at;
    pattern.insert(at, c.rng.Pick(kSpecifiers));
  }
  const rules::DateTime value = rules::EncodeDateTime(c.rng.Between(1800, 2100), c.rng.Between(1, 12),
                                                      c.rng.Between(1, 28), c.rng.Between(0, 23), c.rng.Between(0, 59));
  c.Input("pattern", pattern);
  c.InputReal("value", value);
  const rules::DateLocale locale;
  const std::wstring out = rules::RenderDatePattern(pattern, value, locale);
  c.Check(out.size() <= rules::kMaxDateText, "past the bound", out);
  c.Check(rules::RenderDatePattern(pattern, value, locale) == out, "two renderings differ");
  CheckPairs(c, out, LoneSurrogates(pattern), "a pair split by the date");
  // Every character beyond U+FFFF is copied as it stands: the names of the locale have none.
  auto pairs = [](std::wstring_view s) {
    std::size_t n = 0;
    for (std::wstring_view ch : WideChars(s)) n += ch.size() == 2;
    return n;
  };
  // (Lone halves may meet where a quote between them goes.)
  if (out.size() < rules::kMaxDateText && LoneSurrogates(pattern) == 0) {
    c.Check(pairs(out) == pairs(pattern), "a pair of the pattern lost", out, pattern);
  }

  // The rule's preview joins the rendering and the text.
  rules::RenameList list = WideList(c);
  rules::DateInputs in;
  in.hasDate = true, in.pattern = pattern, in.head = c.rng.Percent(50), in.tail = true;
  in.text = c.rng.Percent(50) ? WideText(c.rng, 4) : L"";
  rules::DateSources sources;
  sources.now = [value] { return value; };
  rules::PreviewDate(list, in, locale, sources);
  for (const rules::RenameEntry& row : list) {
    const std::wstring text = in.text.empty() ? std::wstring(row.BaseName()) : in.text;
    const std::wstring expected = in.head ? out + L"_" + text : text + L"_" + out;
    c.Check(row.newName == expected, "the preview differs from the rendering", row.newName, expected);
  }
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
  targets.push_back({"compose", ComposeTarget});
  targets.push_back({"paths", Paths});
  targets.push_back({"wide-replace", ReplaceTarget});
  targets.push_back({"wide-regex", RegexTarget});
  targets.push_back({"wide-case", CaseRuleTarget});
  targets.push_back({"wide-width", WidthRuleTarget});
  targets.push_back({"wide-number-add", NumberAddTarget});
  targets.push_back({"wide-clean", CleanTarget});
  targets.push_back({"wide-filter", FilterTarget});
  targets.push_back({"wide-date", DateTarget});
}

}  // namespace fuzz
