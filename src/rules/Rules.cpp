#include "rules/Rules.h"

#include <algorithm>
#include <charconv>

#include "text/sjis.h"

namespace rules {

namespace {

int DecimalLength(long long number) { return static_cast<int>(std::to_string(number).size()); }

// out += ZeroPad(number, width), without a string in between.
void AppendZeroPadded(std::string& out, long long number, int width) {
  char digits[24];
  const std::size_t n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
  if (width > 0 && n < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - n, '0');
  out.append(digits, n);
}

// ReplaceAll into out. Each rule writes into the row's new name, whose buffer the last
// preview left: a rule runs over every row at each change of its inputs.
void ReplaceInto(std::string_view text, std::string_view search, std::string_view replacement, std::string& out) {
  out.clear();
  if (search.empty()) {
    out.append(text);
    return;
  }
  std::size_t copied = 0;  // text before this is already in out
  std::size_t from = 0;    // always a character start of text
  for (;;) {
    const std::size_t at = sjis::Find(text, search, from);
    if (at == sjis::npos) break;
    out.append(text.data() + copied, at - copied);
    out += replacement;
    copied = at + search.size();
    // Go on from the first character start at or after the occurrence's end, so that a
    // search text ending in a lone lead byte can't make a trail byte look like a start.
    from = at;
    while (from < copied) from = sjis::NextChar(text, from);
  }
  if (copied < text.size()) out.append(text.data() + copied, text.size() - copied);
}

}  // namespace

std::string ZeroPad(int number, int width) {
  std::string out;
  AppendZeroPadded(out, number, width);
  return out;
}

void PreviewNumber(RenameList& list, const NumberingInputs& in, const std::vector<bool>& stays) {
  auto kept = [&](std::size_t i) { return i < stays.size() && stays[i]; };
  std::size_t n = list.size();  // the rows that take a number
  for (std::size_t i = 0; i < std::min(stays.size(), list.size()); ++i) n -= stays[i] ? 1 : 0;
  // The positions come from up-downs limited to these ranges; with them the 64-bit numbers
  // stay far from overflow for any list that fits in memory.
  const long long start = std::clamp(in.start, 0, kMaxStart);
  const long long step = std::clamp(in.step, 1, kMaxStep);
  const int column = std::clamp(in.column, 1, 10);

  // One width for the whole run, from the last number, so all numbers have the same length.
  int width = DecimalLength(static_cast<long long>(n > 0 ? n - 1 : 0) * step + start);
  width = std::max(width, column);
  width = std::max(width, static_cast<int>(in.startText.size()));

  std::string prefix = in.baseText;
  if (in.divider) prefix += '_';
  long long number = start;
  for (std::size_t i = 0; i < list.size(); ++i) {
    RenameEntry& row = list[i];
    if (kept(i)) {
      row.newName.assign(row.BaseName());
      list.SetMark(i, RuleMark::Kept);
      continue;
    }
    row.newName.assign(prefix);
    AppendZeroPadded(row.newName, number, width);
    number += step;
  }
}

NameAnalysis AnalyzeName(std::string_view baseName) {
  // Digits are single-byte characters and never trail bytes, so the run is whole characters.
  // An empty base name (".txt") has no byte to look at: it comes out as a name without
  // trailing digits, i.e. start "0", empty base text, no divider.
  std::size_t digitsAt = baseName.size();
  while (digitsAt > 0 && baseName[digitsAt - 1] >= '0' && baseName[digitsAt - 1] <= '9') --digitsAt;

  NameAnalysis result;
  result.startText = digitsAt < baseName.size() ? std::string(baseName.substr(digitsAt)) : "0";
  std::string_view prefix = baseName.substr(0, digitsAt);
  // A byte test on purpose: when the "_" byte is the trail byte of a character such as ダ
  // (83 5F), base text + "_" + number still gives back exactly the original bytes.
  result.divider = !prefix.empty() && prefix.back() == '_';
  if (result.divider) prefix.remove_suffix(1);
  result.baseText = std::string(prefix);
  return result;
}

int AnalysisColumn(const NameAnalysis& analysis) {
  return static_cast<int>(std::clamp<std::size_t>(analysis.startText.size(), 1, 10));
}

std::string ReplaceAll(std::string_view text, std::string_view search, std::string_view replacement) {
  std::string out;
  ReplaceInto(text, search, replacement, out);
  return out;
}

void PreviewReplace(RenameList& list, const ReplaceInputs& in) {
  for (RenameEntry& row : list) {
    ReplaceInto(row.BaseName(), in.search, in.replacement, row.newName);
    if (in.trim) TrimWideInPlace(row.newName);
  }
}

void PreviewAdd(RenameList& list, const AddInputs& in) {
  for (RenameEntry& row : list) {
    std::string& name = row.newName;
    name.clear();
    if (in.head) {
      name += in.text;
      if (in.divider) name += '_';
    }
    name += row.BaseName();
    if (in.tail) {
      if (in.divider) name += '_';
      name += in.text;
    }
  }
}

void PreviewCase(RenameList& list, LetterCase letterCase) {
  for (RenameEntry& row : list) {
    const std::string_view base = row.BaseName();
    std::string& name = row.newName;
    switch (letterCase) {
      case LetterCase::Upper:
        name.clear();
        sjis::AppendUpper(base, name);
        break;
      case LetterCase::Lower:
        name.clear();
        sjis::AppendLower(base, name);
        break;
      case LetterCase::FirstLetter: CapitalizeFirstTo(base, name); break;
      case LetterCase::EachWord: CapitalizeWordsTo(base, name); break;
      default: name.assign(base); break;
    }
  }
}

WidthFlags WidthFlagsFromGroups(const WidthGroups& g) {
  struct Group {
    WidthChoice choice;
    WidthFlags toHalf, toWide;
  };
  const Group groups[] = {
      {g.letters, width::kLetterToHalf, width::kLetterToWide},
      {g.digits, width::kDigitToHalf, width::kDigitToWide},
      {g.brackets, width::kBracketToHalf, width::kBracketToWide},
      {g.spaces, width::kSpaceToHalf, width::kSpaceToWide},
      {g.symbols, width::kSymbolToHalf, width::kSymbolToWide},
  };
  WidthFlags flags = 0;
  for (const Group& group : groups) {
    if (group.choice == WidthChoice::Half) flags |= group.toHalf;
    else if (group.choice == WidthChoice::Wide) flags |= group.toWide;
  }
  return flags;
}

void PreviewWidth(RenameList& list, WidthFlags flags, bool kana) {
  const WidthConverter converter(flags, kana);
  for (RenameEntry& row : list) converter.Convert(row.BaseName(), row.newName);
}

}  // namespace rules
