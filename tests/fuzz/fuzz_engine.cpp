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
#include "text/sjis.h"

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
using rules::kMaxStep;
using disk::DiskState;
using disk::RenamePlan;

namespace fuzz {
namespace {

// Folders that don't exist: the plan lists them once and finds nothing in them.
const char* const kFolders[] = {"C:\\kinoha-fuzz\\", "C:\\kinoha-fuzz\\表\\", "C:\\kinoha-fuzz\\ソフト\\"};
const char* const kExtensions[] = {"", ".txt", ".JPEG", ".jpeg", ".lnk", ".表", ".ソ", ". ", ".c:d"};

// A name as a folder listing gives it: no "\", "/" or ":" of its own.
std::string FileName(Rng& rng) {
  std::string name;
  do name = rng.Percent(90) ? Text(rng, false, 12) : AnyText(rng, 12);
  while (HasDelimiterChar(name));
  name += rng.Percent(80) ? std::string(rng.Pick(kExtensions)) : Cat({".", AnyText(rng, 3)});
  return name;
}

// One to three rows with random names.
bool MakeRows(Case& c, RenameList& list) {
  list.BeginBatch();
  bool valid = true;
  for (int k = c.rng.Between(1, 3); k > 0; --k) {
    std::string name = FileName(c.rng);
    c.Input("file", name);
    valid = valid && Valid(name);
    list.Add(std::move(name), c.rng.Pick(kFolders));
  }
  list.EndBatch();
  return valid;
}

// Whether Windows reads the path otherwise than written, or holds a character no long file
// name may hold.
bool ReadOtherwise(const std::string& path) {
  std::wstring w;
  if (!sjis::ToUtf16(path, w)) return false;
  wchar_t full[1024];
  const DWORD n = GetFullPathNameW(w.c_str(), 1024, full, nullptr);
  if (n == 0 || n >= 1024 || w != std::wstring_view(full, n)) return true;
  for (wchar_t ch : std::wstring_view(w).substr(w.rfind(L'\\') + 1)) {
    if (!(PathGetCharTypeW(ch) & GCT_LFNCHAR)) return true;
  }
  return false;
}

// What the run would do with the row's new name, asked of both checks it passes: the plan's
// judgement and the guarded rename's refusal (the folder part kept, BadNewName).
void CheckNewName(Case& c, const RenameEntry& row, bool inputsValid) {
  const std::string& name = row.newName;
  if (name == row.BaseName()) return;  // no rename
  if (inputsValid) c.Check(Valid(name), "valid inputs gave an invalid name", name);
  const std::string newPath = Cat({row.folder, name, row.Extension()});
  const std::string oldPath = row.CurrentPath();
  const bool guardAccepts =
      newPath != oldPath && sjis::FolderPart(newPath) == sjis::FolderPart(oldPath) && !BadNewName(sjis::FileName(newPath));
  static DiskState disk;
  RenameList one;
  one.Add(row.fileName, row.folder);
  one[0].newName = name;
  const RenamePlan plan(one, disk);
  const bool planRefuses = plan.refusal(0) == Refusal::BadName;
  if (HasDelimiterChar(name)) {
    c.Check(!guardAccepts, "the guarded rename accepts a name with a delimiter", name);
    c.Check(planRefuses, "the run's plan accepts a name with a delimiter", name);
  }
  // One decision: where the name is a whole text the plan refuses exactly what BadNewName does.
  if (Valid(name) && newPath != oldPath) {
    // And by the platform's own word, a name it reads otherwise (a device, an ending dropped)
    // or with a character that is no name's is refused.
    if (ReadOtherwise(newPath)) c.Check(planRefuses && !guardAccepts, "a name the platform reads otherwise is taken", name);
    const bool bad = BadNewName(Cat({name, row.Extension()}));
    c.Check(planRefuses == bad, planRefuses ? "the plan refuses a name BadNewName takes" : "the plan takes a name BadNewName refuses",
            name);
  }
}

void Number(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  NumberingInputs in;
  in.baseText = AnyText(c.rng, 8);
  in.start = c.rng.Between(-5, 1100);
  in.step = c.rng.Between(-5, 120);
  in.column = c.rng.Between(-2, 12);
  in.startText = c.rng.Percent(70) ? std::to_string(c.rng.Between(0, 100000)) : AnyText(c.rng, 4);
  in.divider = c.rng.Percent(50);
  c.Input("base", in.baseText);
  c.Input("start", in.start);
  c.Input("step", in.step);
  c.Input("column", in.column);
  c.Input("startText", in.startText);
  valid = valid && Valid(in.baseText);
  PreviewNumber(list, in);
  const long long start = std::clamp(in.start, 0, kMaxStart), step = std::clamp(in.step, 1, kMaxStep);
  const std::string prefix = Cat({in.baseText, in.divider ? "_" : ""});
  const std::size_t width = std::max({std::to_string(start + step * static_cast<int>(list.size() - 1)).size(),
                                      static_cast<std::size_t>(std::clamp(in.column, 1, 10)), in.startText.size()});
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string number = std::to_string(start + step * static_cast<int>(i));
    const std::string expected = Cat({prefix, std::string(width - number.size(), '0'), number});
    c.Check(list[i].newName == expected, "numbered otherwise", list[i].newName, expected);
    CheckNewName(c, list[i], valid);

    // The analysis gives back the name: base text, "_" when the divider is on, the digits. The
    // "_" is a byte test on purpose, so it may be the trail byte of ダ (83 5F).
    const std::string_view base = list[i].BaseName();
    const NameAnalysis a = AnalyzeName(base);
    const bool digits = !base.empty() && base.back() >= '0' && base.back() <= '9';
    const std::string back = Cat({a.baseText, a.divider ? "_" : "", digits ? std::string_view(a.startText) : ""});
    c.Check(back == base, "the analysis doesn't give the name back", back, base);
    c.Check(digits || a.startText == "0", "a name without digits doesn't start at 0", a.startText);
    c.Check(AnalysisColumn(a) >= 1 && AnalysisColumn(a) <= 10, "the digit count leaves 1 to 10");
  }
}

// ReplaceAll as its definition says: occurrences of whole characters, left to right.
std::string ReplaceModel(std::string_view text, std::string_view search, std::string_view replacement) {
  std::string out;
  auto boundary = [&](std::size_t at) {
    std::size_t i = 0;
    while (i < at) i = sjis::NextChar(text, i);
    return i == at;
  };
  for (std::size_t i = 0; i < text.size();) {
    if (!search.empty() && text.compare(i, search.size(), search) == 0 && boundary(i + search.size())) {
      out += replacement;
      i += search.size();
      continue;
    }
    const std::size_t next = sjis::NextChar(text, i);
    out.append(text, i, next - i);
    i = next;
  }
  return out;
}

// Names the platform reads otherwise, for whole names replaced.
const char* const kNoNames[] = {"con", "Nul", "com1 ", "CONOUT$", "lpt9", "a*b", "q?", "x<y>", "p|q", "\"", "\t"};

void Replace(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  const std::string text = AnyText(c.rng);
  std::string search = c.rng.Percent(75) ? Piece(c.rng, text) : AnyText(c.rng, 2);
  std::string replacement = c.rng.Percent(20) ? std::string() : AnyText(c.rng, 4);
  if (c.rng.Percent(10)) {
    search = list[0].BaseName();
    replacement = c.rng.Pick(kNoNames);
  }
  c.Input("text", text);
  c.Input("search", search);
  c.Input("replacement", replacement);
  const std::string out = ReplaceAll(text, search, replacement);
  const std::string expected = ReplaceModel(text, search, replacement);
  c.Check(out == expected, "replaced otherwise than whole characters", out, expected);

  ReplaceInputs in{search, replacement, c.rng.Percent(50)};
  valid = valid && Valid(search) && Valid(replacement);
  PreviewReplace(list, in);
  for (const RenameEntry& row : list) {
    std::string name = ReplaceAll(row.BaseName(), search, replacement);
    if (in.trim) name = TrimWide(std::string_view(name));
    c.Check(row.newName == name, "the rule replaces otherwise", row.newName, name);
    CheckNewName(c, row, valid);
  }
}

void Add(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  AddInputs in{AnyText(c.rng, 6), c.rng.Percent(50), c.rng.Percent(60), c.rng.Percent(50)};
  c.Input("text", in.text);
  valid = valid && Valid(in.text);
  PreviewAdd(list, in);
  for (const RenameEntry& row : list) {
    std::string expected(row.BaseName());
    const std::string join = in.divider ? "_" : "";
    if (in.head) expected = Cat({in.text, join, expected});
    if (in.tail) expected = Cat({expected, join, in.text});
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
    const std::string_view base = row.BaseName();
    std::string expected;
    switch (kind) {
      case LetterCase::Upper: expected = sjis::Upper(base); break;
      case LetterCase::Lower: expected = sjis::Lower(base); break;
      case LetterCase::FirstLetter: expected = CapitalizeFirst(base); break;
      case LetterCase::EachWord: expected = CapitalizeWords(base); break;
      default: expected = std::string(base); break;
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
    std::string expected = ConvertWidth(row.BaseName(), flags);
    if (kana) expected = HalfKanaToWide(std::string_view(expected));
    c.Check(row.newName == expected, "the width rule converts otherwise", row.newName, expected);
    CheckNewName(c, row, valid);
  }
}

// ---- Dates ------------------------------------------------------------------------------------

const char* const kSpecifiers[] = {"y", "yy", "yyy", "yyyy", "m", "mm", "mmm", "mmmm", "mmmmm", "d", "dd", "ddd",
                                   "dddd", "ddddd", "dddddd", "ddddddd", "h", "hh", "n", "nn", "s", "ss", "z",
                                   "zz", "zzz", "t", "tt", "c", "g", "gg", "e", "ee", "am/pm", "AM/PM", "a/p",
                                   "A/P", "ampm", "/", ":", "\"", "'", "a", "Y", "M", "D", "H", "N", "S"};

std::string Pattern(Rng& rng) {
  std::string p;
  for (int k = rng.Between(0, 12); k > 0; --k) {
    unsigned roll = rng.Below(10);
    if (roll < 5) p += rng.Pick(kSpecifiers);
    else if (roll < 7) p += Cat({"\"", AnyText(rng, 3), rng.Percent(85) ? "\"" : ""});
    else AppendChar(rng, p, rng.Percent(40));
  }
  return p;
}

const char* const kPictureLetters[] = {"d", "dd", "ddd", "dddd", "M", "MM", "MMM", "MMMM", "y", "yy", "yyyy",
                                        "g", "gg", "h", "hh", "H", "HH", "m", "mm", "s", "ss", "t", "tt", "'", "''", "/"};

std::string Picture(Rng& rng) {
  std::string p;
  for (int k = rng.Between(0, 6); k > 0; --k) {
    if (rng.Percent(60)) p += rng.Pick(kPictureLetters);
    else AppendChar(rng, p, rng.Percent(30));
  }
  return p;
}

// The built-in Japanese names, or names, pictures and eras drawn at random.
DateLocale Locale(Rng& rng, bool& valid) {
  DateLocale l;
  valid = true;
  if (rng.Percent(40)) return l;
  auto text = [&](std::string& s) {
    s = rng.Percent(70) ? Text(rng, false, 5) : AnyText(rng, 5);
    valid = valid && Valid(s);
  };
  for (std::string& s : l.dayNames) text(s);
  for (std::string& s : l.shortDayNames) text(s);
  for (std::string& s : l.monthNames) text(s);
  for (std::string& s : l.shortMonthNames) text(s);
  text(l.dateSeparator);
  text(l.timeSeparator);
  text(l.am);
  text(l.pm);
  for (std::string* s : {&l.shortDateFormat, &l.longDateFormat, &l.shortTimeFormat, &l.longTimeFormat}) {
    *s = Picture(rng);
    valid = valid && Valid(*s);
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
    case 3: return -693593.999999 + rng.Below(10) * 0.1;  // about 1 January 0001
    case 4: return 2958465.9999999 - rng.Below(10) * 1e-9;  // 31 December 9999, last instant
    default:
      return EncodeDateTime(rng.Between(1, 9999), rng.Between(1, 12), rng.Between(1, 28), rng.Between(0, 23),
                            rng.Between(0, 59), rng.Between(0, 59), rng.Between(0, 999));
  }
}

void Date(Case& c) {
  std::string pattern = Pattern(c.rng);
  // Literal texts must come out as they are: a trail byte is never a specifier.
  const unsigned literal = c.rng.Below(10);
  std::string expected;
  if (literal == 0) {
    pattern.clear();
    for (int k = c.rng.Between(1, 200); k > 0; --k) {
      std::string ch;
      AppendChar(c.rng, ch, false);
      if (ch.size() == 2) pattern += ch;
    }
    expected = pattern;
  } else if (literal == 1) {
    std::string inside = Text(c.rng, false, 150);
    inside.erase(std::remove(inside.begin(), inside.end(), '"'), inside.end());  // 22 is never a trail byte
    pattern = Cat({"\"", inside, "\""});
    expected = inside;
  }
  bool localeValid = true;
  const DateLocale locale = Locale(c.rng, localeValid);
  const DateTime value = Value(c.rng);
  c.Input("pattern", pattern);
  c.InputReal("value", value);
  c.Input("valid names", static_cast<long long>(localeValid));
  const std::string out = RenderDatePattern(pattern, value, locale);
  c.Check(out.size() <= 256, "longer than 256 bytes", out);
  c.Check(!EndsInLoneLead(out), "ends in a lone lead byte", out);
  if (Valid(pattern) && localeValid) c.Check(Valid(out), "valid pattern and names gave invalid text", out);
  if (literal <= 1 && !pattern.empty()) {
    // Cut after the last whole character within 256 bytes.
    std::size_t end = 0;
    for (std::size_t i = 0; i < expected.size(); i = sjis::NextChar(expected, i)) {
      if (sjis::NextChar(expected, i) > 256) break;
      end = sjis::NextChar(expected, i);
    }
    expected.resize(end);
    c.Check(out == expected, "a literal text changed", out, expected);
  }
  c.Check(RenderDatePattern(pattern, value, locale) == out, "two renderings differ");
}

void DateRuleTarget(Case& c) {
  RenameList list;
  bool valid = MakeRows(c, list);
  DateInputs in;
  in.text = c.rng.Percent(50) ? std::string() : AnyText(c.rng, 6);
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
  valid = valid && localeValid && Valid(in.text) && Valid(in.pattern);
  DateSources sources;
  sources.now = [now] { return now; };
  sources.fileDate = [file](const RenameEntry&, FileTimeKind) { return file; };
  for (RenameEntry& row : list) row.newName = "before";
  PreviewDate(list, in, locale, sources);
  for (const RenameEntry& row : list) {
    std::string expected = "before";
    if (in.head || in.tail) {
      const std::string date =
          in.hasDate ? RenderDatePattern(in.pattern, in.kind == DateKind::Today ? now : file, locale) : std::string();
      const std::string text = in.text.empty() ? std::string(row.BaseName()) : in.text;
      expected = in.head ? Cat({date, "_", text}) : Cat({text, "_", date});
    }
    c.Check(row.newName == expected, "the date rule joins otherwise", row.newName, expected);
    CheckNewName(c, row, valid);
  }
}

// ---- Intake -----------------------------------------------------------------------------------

const char* const kDecorations[] = {" へのショートカット", "へのショートカット", "へのｼｮｰﾄｶｯﾄ", "コピー ～ ", "ｺﾋﾟｰ ～ ",
                                     "(1)", " (12)", "(99)", "(100)", "[0]", " [7]", "[42]", "( 1)", " ", "　",
                                     "\t", "(", "[", ")", "]"};
const char* const kCleanExtensions[] = {".lnk", ".LNK", ".jpeg", ".JPEG", ".JpEg", ".jpg", "", ".txt", ". "};

void Clean(Case& c) {
  std::string name;
  for (int k = c.rng.Between(1, 5); k > 0; --k) {
    name += c.rng.Percent(50) ? std::string(c.rng.Pick(kDecorations)) : AnyText(c.rng, 4);
  }
  const std::string path = Cat({c.rng.Pick(kFolders), name, c.rng.Pick(kCleanExtensions)});
  CleanUpOptions o;
  for (bool* flag : {&o.removeShortcut, &o.removeBracketNumber, &o.removeParenNumber, &o.removeCopy, &o.trim, &o.jpegToJpg}) {
    *flag = c.rng.Percent(50);
  }
  c.Input("path", path);
  c.Input("options", o.removeShortcut | o.removeBracketNumber << 1 | o.removeParenNumber << 2 | o.removeCopy << 3 |
                         o.trim << 4 | o.jpegToJpg << 5);
  const std::string out = AutoCleanName(path, o);
  c.Check(sjis::FolderPart(out) == sjis::FolderPart(path), "the clean-up leaves the folder", out, path);
  if (Valid(path)) c.Check(Valid(out), "valid path cleaned to invalid text", out);
  if (o == CleanUpOptions{}) c.Check(out == path, "no option changed the path", out, path);
  const std::string_view ext = sjis::Extension(path), outExt = sjis::Extension(out);
  const bool jpeg = o.jpegToJpg && sjis::AsciiLower(ext) == ".jpeg";
  c.Check(jpeg ? outExt == ".jpg" : outExt == ext, "the extension changed otherwise", outExt, ext);
  c.Check(!sjis::BaseName(out).empty() || sjis::BaseName(path).empty(), "the base name was cleaned away");
  // The guarded rename sees the same folder and a name no delimiter has come into.
  if (out != path && !HasDelimiterChar(sjis::FileName(path))) {
    c.Check(!HasDelimiterChar(sjis::FileName(out)), "a delimiter came into the name", out);
  }
}

// Flips the letter case of single-byte A-Z at random; double-byte characters stay.
std::string FlipAscii(Rng& rng, std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); i = sjis::NextChar(out, i)) {
    char& ch = out[i];
    if (sjis::NextChar(out, i) == i + 1 && rng.Percent(50)) {
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 0x20);
      else if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 0x20);
    }
  }
  return out;
}

void Filter(Case& c) {
  const std::string path = Cat({c.rng.Pick(kFolders), FileName(c.rng)});
  const std::string_view name = sjis::FileName(path), ext = sjis::Extension(name);
  auto list = [&](std::string_view own) {
    std::string l;
    for (int k = c.rng.Between(0, 4); k > 0; --k) {
      unsigned roll = c.rng.Below(4);
      l += roll == 0 ? FlipAscii(c.rng, own) : roll == 1 ? Piece(c.rng, own) : AnyText(c.rng, 4);
      if (c.rng.Percent(85)) l += ";";
    }
    return l;
  };
  const std::string names = list(name), exts = list(ext);
  c.Input("path", path);
  c.Input("names", names);
  c.Input("exts", exts);
  // The definition: an entry equals the name (or the extension) once single-byte A-Z are
  // lower-cased on both sides.
  auto has = [](std::string_view entries, std::string_view item) {
    if (item.empty()) return false;
    std::size_t start = 0;
    while (start <= entries.size()) {
      std::size_t end = entries.find(';', start);
      if (end == std::string_view::npos) end = entries.size();
      std::string_view entry = entries.substr(start, end - start);
      if (!entry.empty() && sjis::AsciiLower(entry) == sjis::AsciiLower(item)) return true;
      start = end + 1;
    }
    return false;
  };
  const bool expected = has(names, name) || has(exts, ext);
  c.Check(MatchesFilter(path, names, exts) == expected, expected ? "a listed name passes" : "an unlisted name is refused");
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
