// Targets of the rules, the clean-up, the filters and the date renderer. Every new name a rule
// gives is also put to the checks a rename meets: a name with "\", "/" or ":" standing as a
// character of its own, or one Windows itself reads otherwise (a device name, a wildcard),
// must be refused by the plan of the run and by the guarded rename.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <limits>
#include <string>

#include "Fuzz.h"
#include "support/Oracles.h"
#include "rules/CleanUp.h"
#include "rules/DatePattern.h"
#include "rules/DateRule.h"
#include "disk/DiskState.h"
#include "rules/Filter.h"
#include "disk/RenamePlan.h"
#include "rules/Rules.h"
#include "text/StringEx.h"
#include "text/utf16.h"

using rules::AddInputs;
using rules::AnalysisColumn;
using rules::AnalyzeName;
using rules::AutoCleanName;
using rules::BadNewName;
using rules::CleanUpOptions;
using rules::DateEra;
using rules::DateInputs;
using rules::DateKind;
using rules::DateLocale;
using rules::DateSources;
using rules::DateTime;
using rules::EncodeDateTime;
using rules::FileTimeKind;
using rules::LetterCase;
using rules::MatchesFilter;
using rules::NameAnalysis;
using rules::NumberingInputs;
using rules::PreviewAdd;
using rules::PreviewCase;
using rules::PreviewDate;
using rules::PreviewNumber;
using rules::PreviewReplace;
using rules::PreviewWidth;
using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;
using rules::RenderDatePattern;
using rules::ReplaceAll;
using rules::ReplaceInputs;
using rules::WidthChoice;
using rules::WidthFlagsFromGroups;
using rules::WidthGroups;
using rules::kMaxStart;
using rules::kMaxDateText;
using rules::kMaxStep;
using disk::DiskState;
using disk::RenamePlan;

namespace fuzz {
namespace {

// ---- Wide texts -------------------------------------------------------------------------------

// The pieces one after another.
std::wstring WCat(std::initializer_list<std::wstring_view> pieces) {
  std::wstring out;
  for (std::wstring_view p : pieces) out += p;
  return out;
}

// Whether a text holds no surrogate without its other half: every character whole.
bool Whole(std::wstring_view s) { return LoneSurrogates(s) == 0; }

// A random text of whole characters only (the lone surrogates the generator draws left out).
std::wstring WholeText(Rng& rng, int maxChars = 24) {
  std::wstring out;
  for (std::wstring_view ch : WideChars(WideText(rng, maxChars))) {
    if (!(ch.size() == 1 && (utf16::IsHighSurrogate(ch[0]) || utf16::IsLowSurrogate(ch[0])))) out += ch;
  }
  return out;
}

// Mostly whole text; otherwise one with the lone surrogates the generator draws, now and then
// a high one at the end, whose other half never comes.
std::wstring AnyWide(Rng& rng, int maxChars = 24) {
  if (rng.Percent(60)) return WholeText(rng, maxChars);
  std::wstring s = WideText(rng, maxChars);
  if (rng.Percent(25)) s += static_cast<wchar_t>(0xD800 + rng.Below(0x400));
  return s;
}

// Whether "\", "/" or ":" stands in s (no surrogate half is one of them).
bool HasDelimiter(std::wstring_view s) { return s.find_first_of(L"\\/:") != std::wstring_view::npos; }

// ---- Rules ------------------------------------------------------------------------------------

// Folders that don't exist: the plan lists them once and finds nothing in them.
const wchar_t* const kFolders[] = {L"C:\\kinoha-fuzz\\", L"C:\\kinoha-fuzz\\表\\", L"C:\\kinoha-fuzz\\ソフト\\",
                                   L"C:\\kinoha-fuzz\\caf\u00E9 \U0001F600\\"};
const wchar_t* const kExtensions[] = {L"",    L".txt", L".JPEG", L".jpeg",          L".lnk",    L".表",
                                      L".ソ", L". ",   L".c:d",  L".\u00C9T\u00C9", L".\u301C", L".\U0001F600"};

// A name as a folder listing gives it: no "\", "/" or ":" of its own.
std::wstring FileName(Rng& rng) {
  std::wstring name;
  do name = rng.Percent(90) ? WholeText(rng, 12) : AnyWide(rng, 12);
  while (HasDelimiter(name));
  name += rng.Percent(80) ? std::wstring(rng.Pick(kExtensions)) : WCat({L".", AnyWide(rng, 3)});
  return name;
}

// One to three rows with random names; whether every name is whole.
bool MakeRows(Case& c, RenameList& list) {
  list.BeginBatch();
  bool valid = true;
  for (int k = c.rng.Between(1, 3); k > 0; --k) {
    std::wstring name = FileName(c.rng);
    c.Input("file", name);
    valid = valid && Whole(name);
    list.Add(std::move(name), c.rng.Pick(kFolders));
  }
  list.EndBatch();
  return valid;
}

// Whether Windows reads the path otherwise than written, or holds a character no long file
// name may hold.
bool ReadOtherwise(const std::wstring& path) {
  wchar_t full[1024];
  const DWORD n = GetFullPathNameW(path.c_str(), 1024, full, nullptr);
  if (n == 0 || n >= 1024 || path != std::wstring_view(full, n)) return true;
  for (wchar_t ch : std::wstring_view(path).substr(path.rfind(L'\\') + 1)) {
    if (!(PathGetCharTypeW(ch) & GCT_LFNCHAR)) return true;
  }
  return false;
}

// What the run would do with the row's new name, asked of both checks it passes: the plan's
// judgement and the guarded rename's refusal (the folder part kept, BadNewName).
void CheckNewName(Case& c, const RenameEntry& row, bool inputsValid) {
  const std::wstring& name = row.newName;
  if (name == row.BaseName()) return;  // no rename
  if (inputsValid) c.Check(Whole(name), "whole inputs gave a name with a split pair", name);
  const std::wstring newPath = WCat({row.folder(), name, row.Extension()});
  const std::wstring oldPath = row.CurrentPath();
  const bool guardAccepts = newPath != oldPath && utf16::FolderPart(newPath) == utf16::FolderPart(oldPath) &&
                            !BadNewName(utf16::FileName(newPath));
  static DiskState disk;
  RenameList one;
  one.Add(row.fileName, row.folder());
  one[0].newName = name;
  const RenamePlan plan(one, disk);
  const bool planRefuses = plan.refusal(0) == Refusal::BadName;
  if (HasDelimiter(name)) {
    c.Check(!guardAccepts, "the guarded rename accepts a name with a delimiter", name);
    c.Check(planRefuses, "the run's plan accepts a name with a delimiter", name);
  }
  // One decision: the plan refuses exactly what BadNewName does (every UTF-16 text is a name,
  // lone surrogates too).
  if (newPath != oldPath) {
    // And by the platform's own word, a name it reads otherwise (a device, an ending dropped)
    // or with a character that is no name's is refused.
    if (ReadOtherwise(newPath))
      c.Check(planRefuses && !guardAccepts, "a name the platform reads otherwise is taken", name);
    const bool bad = BadNewName(WCat({name, row.Extension()}));
    c.Check(planRefuses == bad,
            planRefuses ? "the plan refuses a name BadNewName takes" : "the plan takes a name BadNewName refuses",
            name);
  }
}

void Number(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  NumberingInputs in;
  in.baseText = AnyWide(c.rng, 8);
  in.start = c.rng.Between(-5, 1100);
  in.step = c.rng.Between(-5, 120);
  in.column = c.rng.Between(-2, 12);
  in.startText = c.rng.Percent(70) ? std::to_wstring(c.rng.Between(0, 100000)) : AnyWide(c.rng, 4);
  in.divider = c.rng.Percent(50);
  c.Input("base", in.baseText);
  c.Input("start", in.start);
  c.Input("step", in.step);
  c.Input("column", in.column);
  c.Input("startText", in.startText);
  valid = valid && Whole(in.baseText);
  PreviewNumber(list, in);
  const long long start = std::clamp(in.start, 0, kMaxStart), step = std::clamp(in.step, 1, kMaxStep);
  const std::wstring prefix = WCat({in.baseText, in.divider ? L"_" : L""});
  // The start text widens the numbers by its length in UTF-16 units.
  const std::size_t width = std::max({std::to_wstring(start + step * static_cast<int>(list.size() - 1)).size(),
                                      static_cast<std::size_t>(std::clamp(in.column, 1, 10)), in.startText.size()});
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::wstring number = std::to_wstring(start + step * static_cast<int>(i));
    const std::wstring expected = WCat({prefix, std::wstring(width - number.size(), L'0'), number});
    c.Check(list[i].newName == expected, "numbered otherwise", list[i].newName, expected);
    CheckNewName(c, list[i], valid);

    // The analysis gives back the name: base text, "_" when the divider is on, the digits.
    const std::wstring_view base = list[i].BaseName();
    const NameAnalysis a = AnalyzeName(base);
    const bool digits = !base.empty() && base.back() >= L'0' && base.back() <= L'9';
    const std::wstring back = WCat({a.baseText, a.divider ? L"_" : L"", digits ? std::wstring_view(a.startText) : L""});
    c.Check(back == base, "the analysis doesn't give the name back", back, base);
    c.Check(digits || a.startText == L"0", "a name without digits doesn't start at 0", a.startText);
    c.Check(AnalysisColumn(a) >= 1 && AnalysisColumn(a) <= 10, "the digit count leaves 1 to 10");
  }
}

// ReplaceAll as its definition says: occurrences of whole characters, left to right (never
// one that begins or ends inside a surrogate pair).
std::wstring ReplaceModel(std::wstring_view text, std::wstring_view search, std::wstring_view replacement) {
  std::wstring out;
  auto boundary = [&](std::size_t at) {
    std::size_t i = 0;
    while (i < at) i = utf16::NextChar(text, i);
    return i == at;
  };
  for (std::size_t i = 0; i < text.size();) {
    if (!search.empty() && text.compare(i, search.size(), search) == 0 && boundary(i + search.size())) {
      out += replacement;
      i += search.size();
      continue;
    }
    const std::size_t next = utf16::NextChar(text, i);
    out.append(text, i, next - i);
    i = next;
  }
  return out;
}

// Names the platform reads otherwise, for whole names replaced.
const wchar_t* const kNoNames[] = {L"con", L"Nul",  L"com1 ", L"CONOUT$", L"lpt9", L"a*b",
                                   L"q?",  L"x<y>", L"p|q",   L"\"",      L"\t"};

void Replace(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  const std::wstring text = AnyWide(c.rng);
  std::wstring search = c.rng.Percent(75) ? WidePiece(c.rng, text) : AnyWide(c.rng, 2);
  std::wstring replacement = c.rng.Percent(20) ? std::wstring() : AnyWide(c.rng, 4);
  if (c.rng.Percent(10)) {
    search = list[0].BaseName();
    replacement = c.rng.Pick(kNoNames);
  }
  c.Input("text", text);
  c.Input("search", search);
  c.Input("replacement", replacement);
  const std::wstring out = ReplaceAll(text, search, replacement);
  const std::wstring expected = ReplaceModel(text, search, replacement);
  c.Check(out == expected, "replaced otherwise than whole characters", out, expected);

  ReplaceInputs in{search, replacement, c.rng.Percent(50)};
  valid = valid && Whole(search) && Whole(replacement);
  PreviewReplace(list, in);
  for (const RenameEntry& row : list) {
    std::wstring name = ReplaceAll(row.BaseName(), search, replacement);
    if (in.trim) name = TrimWide(std::wstring_view(name));
    c.Check(row.newName == name, "the rule replaces otherwise", row.newName, name);
    CheckNewName(c, row, valid);
  }
}

void Add(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  AddInputs in{AnyWide(c.rng, 6), c.rng.Percent(50), c.rng.Percent(60), c.rng.Percent(50)};
  c.Input("text", in.text);
  valid = valid && Whole(in.text);
  PreviewAdd(list, in);
  for (const RenameEntry& row : list) {
    std::wstring expected(row.BaseName());
    const std::wstring_view join = in.divider ? L"_" : L"";
    if (in.head) expected = WCat({in.text, join, expected});
    if (in.tail) expected = WCat({expected, join, in.text});
    c.Check(row.newName == expected, "added otherwise", row.newName, expected);
    CheckNewName(c, row, valid);
  }
}

void CaseRule(Case& c) {
  RenameList list;
  const bool valid = MakeRows(c, list);
  const auto kind = static_cast<LetterCase>(c.rng.Between(-1, 3));
  c.Input("case", static_cast<int>(kind));
  PreviewCase(list, kind);
  for (const RenameEntry& row : list) {
    const std::wstring_view base = row.BaseName();
    std::wstring expected;
    switch (kind) {
      case LetterCase::Upper: expected = utf16::Upper(base); break;
      case LetterCase::Lower: expected = utf16::Lower(base); break;
      case LetterCase::FirstLetter: expected = CapitalizeFirst(base); break;
      case LetterCase::EachWord: expected = CapitalizeWords(base); break;
      default: expected = std::wstring(base); break;
    }
    c.Check(row.newName == expected, "the case rule maps otherwise", row.newName, expected);
    CheckNewName(c, row, valid);
  }
}

void WidthRule(Case& c) {
  RenameList list;
  const bool valid = MakeRows(c, list);
  WidthGroups g;
  for (WidthChoice* choice : {&g.letters, &g.digits, &g.brackets, &g.spaces, &g.symbols}) {
    *choice = static_cast<WidthChoice>(c.rng.Below(3));
  }
  const WidthFlags flags = WidthFlagsFromGroups(g);
  const bool kana = c.rng.Percent(50);
  c.Input("flags", flags);
  c.Input("kana", static_cast<long long>(kana));
  // The rule never sets both bits of a pair.
  for (int pair = 0; pair < 5; ++pair) c.Check(((flags >> (2 * pair)) & 3) != 3, "both directions of a class");
  PreviewWidth(list, flags, kana);
  for (const RenameEntry& row : list) {
    std::wstring expected = ConvertWidth(row.BaseName(), flags);
    if (kana) expected = HalfKanaToWide(std::wstring_view(expected));
    c.Check(row.newName == expected, "the width rule converts otherwise", row.newName, expected);
    CheckNewName(c, row, valid);
  }
}

// ---- Dates ------------------------------------------------------------------------------------

const wchar_t* const kSpecifiers[] = {L"y",     L"yy",    L"yyy", L"yyyy", L"m",    L"mm",    L"mmm",    L"mmmm",
                                      L"mmmmm", L"d",     L"dd",  L"ddd",  L"dddd", L"ddddd", L"dddddd", L"ddddddd",
                                      L"h",     L"hh",    L"n",   L"nn",   L"s",    L"ss",    L"z",      L"zz",
                                      L"zzz",   L"t",     L"tt",  L"c",    L"g",    L"gg",    L"e",      L"ee",
                                      L"am/pm", L"AM/PM", L"a/p", L"A/P",  L"ampm", L"/",     L":",      L"\"",
                                      L"'",     L"a",     L"Y",   L"M",    L"D",    L"H",     L"N",      L"S"};

std::wstring Pattern(Rng& rng) {
  std::wstring p;
  for (int k = rng.Between(0, 12); k > 0; --k) {
    unsigned roll = rng.Below(10);
    if (roll < 5) p += rng.Pick(kSpecifiers);
    else if (roll < 7) p += WCat({L"\"", AnyWide(rng, 3), rng.Percent(85) ? L"\"" : L""});
    else AppendWideChar(rng, p);
  }
  return p;
}

const wchar_t* const kPictureLetters[] = {L"d",  L"dd",   L"ddd", L"dddd", L"M",  L"MM", L"MMM", L"MMMM", L"y",
                                          L"yy", L"yyyy", L"g",   L"gg",   L"h",  L"hh", L"H",   L"HH",   L"m",
                                          L"mm", L"s",    L"ss",  L"t",    L"tt", L"'",  L"''",  L"/"};

std::wstring Picture(Rng& rng) {
  std::wstring p;
  for (int k = rng.Between(0, 6); k > 0; --k) {
    if (rng.Percent(60)) p += rng.Pick(kPictureLetters);
    else AppendWideChar(rng, p);
  }
  return p;
}

// The built-in Japanese names, or names, pictures and eras drawn at random.
DateLocale Locale(Rng& rng, bool& valid) {
  DateLocale l;
  valid = true;
  if (rng.Percent(40)) return l;
  auto text = [&](std::wstring& s) {
    s = rng.Percent(70) ? WholeText(rng, 5) : AnyWide(rng, 5);
    valid = valid && Whole(s);
  };
  for (std::wstring& s : l.dayNames) text(s);
  for (std::wstring& s : l.shortDayNames) text(s);
  for (std::wstring& s : l.monthNames) text(s);
  for (std::wstring& s : l.shortMonthNames) text(s);
  text(l.dateSeparator);
  text(l.timeSeparator);
  text(l.am);
  text(l.pm);
  for (std::wstring* s : {&l.shortDateFormat, &l.longDateFormat, &l.shortTimeFormat, &l.longTimeFormat}) {
    *s = Picture(rng);
    valid = valid && Whole(*s);
  }
  l.eraYears = rng.Percent(50);
  l.eras.resize(rng.Below(4));
  for (DateEra& era : l.eras) {
    era.start = rng.Between(1, 99991231);
    text(era.name);
    text(era.abbreviation);
  }
  return l;
}

DateTime Value(Rng& rng) {
  switch (rng.Below(8)) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return rng.Percent(50) ? std::numeric_limits<double>::infinity() : -1e300;
    case 2: return static_cast<double>(rng.Between(-700000, 3000000));
    case 3: return -693593.999999 + rng.Below(10) * 0.1;    // about 1 January 0001
    case 4: return 2958465.9999999 - rng.Below(10) * 1e-9;  // 31 December 9999, last instant
    default:
      return EncodeDateTime(rng.Between(1, 9999), rng.Between(1, 12), rng.Between(1, 28), rng.Between(0, 23),
                            rng.Between(0, 59), rng.Between(0, 59), rng.Between(0, 999));
  }
}

// A character beyond ASCII, which is never a specifier: one the generator draws, or a unit
// whose low byte is a specifier's letter, quote or separator (surrogate halves among them),
// which code that looked at a byte of it would take for one.
void AppendLiteralChar(Rng& rng, std::wstring& out) {
  if (rng.Percent(30)) {
    static const char kAscii[] = "ymdhnsztcgeaYMDHNSZTCGEA\"'/:";
    out += static_cast<wchar_t>((1 + rng.Below(0xFF)) << 8 |
                                static_cast<unsigned char>(kAscii[rng.Below(sizeof kAscii - 1)]));
    return;
  }
  std::wstring ch;
  do {
    ch.clear();
    AppendWideChar(rng, ch);
  } while (std::any_of(ch.begin(), ch.end(), [](wchar_t u) { return u < 0x80; }));
  out += ch;
}

void Date(Case& c) {
  std::wstring pattern = Pattern(c.rng);
  // Literal texts must come out as they are: a unit beyond ASCII is never a specifier, nor
  // is a quote inside quotes; past the bound they are cut, never inside a surrogate pair.
  const unsigned literal = c.rng.Below(10);
  std::wstring expected;
  if (literal == 0) {
    pattern.clear();
    for (int k = c.rng.Percent(70) ? c.rng.Between(1, 200) : c.rng.Between(3500, 4600); k > 0; --k) {
      AppendLiteralChar(c.rng, pattern);
    }
    expected = pattern;
  } else if (literal == 1) {
    std::wstring inside = WideText(c.rng, 150);
    if (!inside.empty() && c.rng.Percent(25)) {
      while (inside.size() <= kMaxDateText) inside += std::wstring(inside);
    }
    inside.erase(std::remove(inside.begin(), inside.end(), L'"'), inside.end());
    pattern = WCat({L"\"", inside, L"\""});
    expected = inside;
  }
  bool localeValid = true;
  const DateLocale locale = Locale(c.rng, localeValid);
  const DateTime value = Value(c.rng);
  c.Input("pattern", pattern);
  c.InputReal("value", value);
  c.Input("whole names", static_cast<long long>(localeValid));
  const std::wstring out = RenderDatePattern(pattern, value, locale);
  c.Check(out.size() <= kMaxDateText, "longer than the bound", out);
  if (Whole(pattern) && localeValid) c.Check(Whole(out), "a whole pattern and names gave a split pair", out);
  if (literal <= 1 && !pattern.empty()) {
    // Cut after the last whole character within the bound.
    if (expected.size() > kMaxDateText) {
      expected.resize(utf16::AtCharStart(expected, kMaxDateText) ? kMaxDateText : kMaxDateText - 1);
    }
    c.Check(out == expected, "a literal text changed", out, expected);
  }
  c.Check(RenderDatePattern(pattern, value, locale) == out, "two renderings differ");
}

void DateRuleTarget(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  DateInputs in;
  in.text = c.rng.Percent(50) ? std::wstring() : AnyWide(c.rng, 6);
  in.hasDate = c.rng.Percent(85);
  in.pattern = Pattern(c.rng);
  in.kind = static_cast<DateKind>(c.rng.Below(3));
  in.head = c.rng.Percent(50);
  in.tail = c.rng.Percent(70);
  bool localeValid = true;
  const DateLocale locale = Locale(c.rng, localeValid);
  const DateTime now = Value(c.rng), file = Value(c.rng);
  c.Input("text", in.text);
  c.Input("pattern", in.pattern);
  valid = valid && localeValid && Whole(in.text) && Whole(in.pattern);
  DateSources sources;
  sources.now = [now] { return now; };
  sources.fileDate = [file](const RenameEntry&, FileTimeKind) { return file; };
  for (RenameEntry& row : list) row.newName = L"before";
  PreviewDate(list, in, locale, sources);
  for (const RenameEntry& row : list) {
    std::wstring expected = L"before";
    if (in.head || in.tail) {
      const std::wstring date = in.hasDate
                                    ? RenderDatePattern(in.pattern, in.kind == DateKind::Today ? now : file, locale)
                                    : std::wstring();
      const std::wstring text = in.text.empty() ? std::wstring(row.BaseName()) : in.text;
      expected = in.head ? WCat({date, L"_", text}) : WCat({text, L"_", date});
    }
    c.Check(row.newName == expected, "the date rule joins otherwise", row.newName, expected);
    CheckNewName(c, row, valid);
  }
}

// ---- Intake -----------------------------------------------------------------------------------

// With look-alikes the clean-up must leave ("〜" U+301C for "～" U+FF5E) and split voiced
// marks it finds only once composed.
const wchar_t* const kDecorations[] = {L" へのショートカット",
                                       L"へのショートカット",
                                       L"へのｼｮｰﾄｶｯﾄ",
                                       L"コピー ～ ",
                                       L"ｺﾋﾟｰ ～ ",
                                       L"(1)",
                                       L" (12)",
                                       L"(99)",
                                       L"(100)",
                                       L"[0]",
                                       L" [7]",
                                       L"[42]",
                                       L"( 1)",
                                       L" ",
                                       L"　",
                                       L"\t",
                                       L"(",
                                       L"[",
                                       L")",
                                       L"]",
                                       L"コピー \u301C ",
                                       L"コヒ\u309Aー ～ ",
                                       L"へのショ\u30FCトカット",
                                       L"へのシ\u3099ョートカット"};
const wchar_t* const kCleanExtensions[] = {L".lnk", L".LNK", L".jpeg", L".JPEG",       L".JpEg",  L".jpg",
                                           L"",     L".txt", L". ",    L".jpe\u0301g", L".\u00E9"};

void Clean(Case& c) {
  std::wstring name;
  for (int k = c.rng.Between(1, 5); k > 0; --k) {
    name += c.rng.Percent(50) ? std::wstring(c.rng.Pick(kDecorations)) : AnyWide(c.rng, 4);
  }
  const std::wstring path = WCat({c.rng.Pick(kFolders), name, c.rng.Pick(kCleanExtensions)});
  CleanUpOptions o;
  for (bool* flag : {&o.removeShortcut, &o.removeBracketNumber, &o.removeParenNumber, &o.removeCopy, &o.trim,
                     &o.jpegToJpg, &o.compose}) {
    *flag = c.rng.Percent(50);
  }
  c.Input("path", path);
  c.Input("options", o.removeShortcut | o.removeBracketNumber << 1 | o.removeParenNumber << 2 | o.removeCopy << 3 |
                         o.trim << 4 | o.jpegToJpg << 5 | o.compose << 6);
  const std::wstring out = AutoCleanName(path, o);
  c.Check(utf16::FolderPart(out) == utf16::FolderPart(path), "the clean-up leaves the folder", out, path);
  if (Whole(path)) c.Check(Whole(out), "a whole path cleaned to a split pair", out);
  if (o == CleanUpOptions{}) c.Check(out == path, "no option changed the path", out, path);
  // The extension changes only by composing (when asked and needed) and by ".jpeg".
  const std::wstring_view outExt = utf16::Extension(out);
  std::wstring ext(utf16::Extension(path));
  if (o.compose && utf16::NeedsCompose(ext)) ext = utf16::Compose(ext);
  const bool jpeg = o.jpegToJpg && utf16::AsciiLower(ext) == L".jpeg";
  c.Check(jpeg ? outExt == L".jpg" : outExt == ext, "the extension changed otherwise", outExt, ext);
  c.Check(!utf16::BaseName(out).empty() || utf16::BaseName(path).empty(), "the base name was cleaned away");
  // The guarded rename sees the same folder and a name no delimiter has come into.
  if (out != path && !HasDelimiter(utf16::FileName(path))) {
    c.Check(!HasDelimiter(utf16::FileName(out)), "a delimiter came into the name", out);
  }
}

// Flips the letter case of A-Z at random, and now and then maps another character's case by
// the platform; surrogate pairs stay whole.
std::wstring FlipCase(Rng& rng, std::wstring_view s) {
  std::wstring out;
  for (std::wstring_view ch : WideChars(s)) {
    const wchar_t u = ch[0];
    if (ch.size() == 1 && u < 0x80 && rng.Percent(50)) {
      if (u >= L'a' && u <= L'z') out += static_cast<wchar_t>(u - 0x20);
      else if (u >= L'A' && u <= L'Z') out += static_cast<wchar_t>(u + 0x20);
      else out += u;
    } else if (rng.Percent(30)) {
      out += rng.Percent(50) ? oracle::PlatformUpper(ch) : oracle::PlatformLower(ch);
    } else {
      out += ch;
    }
  }
  return out;
}

// The filter's definition of one entry naming an item: two texts that both have a Shift_JIS
// form are the same but for the case of A-Z; any other pair by the platform's ordinal
// comparison ignoring case.
bool SameEntry(std::wstring_view entry, std::wstring_view item) {
  if (utf16::HasShiftJisForm(entry) && utf16::HasShiftJisForm(item)) {
    if (entry.size() != item.size()) return false;
    for (std::size_t i = 0; i < entry.size(); ++i) {
      if (utf16::AsciiLowerChar(entry[i]) != utf16::AsciiLowerChar(item[i])) return false;
    }
    return true;
  }
  return CompareStringOrdinal(entry.data(), static_cast<int>(entry.size()), item.data(), static_cast<int>(item.size()),
                              TRUE) == CSTR_EQUAL;
}

void Filter(Case& c) {
  const std::wstring path = WCat({c.rng.Pick(kFolders), FileName(c.rng)});
  const std::wstring_view name = utf16::FileName(path), ext = utf16::Extension(name);
  auto list = [&](std::wstring_view own) {
    std::wstring l;
    for (int k = c.rng.Between(0, 4); k > 0; --k) {
      unsigned roll = c.rng.Below(4);
      l += roll == 0 ? FlipCase(c.rng, own) : roll == 1 ? WidePiece(c.rng, own) : AnyWide(c.rng, 4);
      if (c.rng.Percent(85)) l += L';';
    }
    return l;
  };
  const std::wstring names = list(name), exts = list(ext);
  c.Input("path", path);
  c.Input("names", names);
  c.Input("exts", exts);
  auto has = [](std::wstring_view entries, std::wstring_view item) {
    if (item.empty()) return false;
    std::size_t start = 0;
    while (start <= entries.size()) {
      std::size_t end = entries.find(L';', start);
      if (end == std::wstring_view::npos) end = entries.size();
      std::wstring_view entry = entries.substr(start, end - start);
      if (!entry.empty() && SameEntry(entry, item)) return true;
      start = end + 1;
    }
    return false;
  };
  const bool expected = has(names, name) || has(exts, ext);
  c.Check(MatchesFilter(path, names, exts) == expected,
          expected ? "a listed name passes" : "an unlisted name is refused");
}

}  // namespace

void AddEngineTargets(std::vector<Target>& targets) {
  targets.push_back({"number", Number});
  targets.push_back({"replace", Replace});
  targets.push_back({"add", Add});
  targets.push_back({"case", CaseRule});
  targets.push_back({"widthrule", WidthRule});
  targets.push_back({"date", Date});
  targets.push_back({"daterule", DateRuleTarget});
  targets.push_back({"clean", Clean});
  targets.push_back({"filter", Filter});
}

}  // namespace fuzz
