#include "rules/Rules.h"

#include <algorithm>
#include <charconv>

#include "text/utf16.h"

namespace rules {

namespace {

int DecimalLength(long long number) { return static_cast<int>(std::to_string(number).size()); }

// out += ZeroPad(number, width), without a string in between.
void AppendZeroPadded(std::wstring& out, long long number, int width) {
  char digits[24];
  const std::size_t n = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
  if (width > 0 && n < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - n, L'0');
  out.append(digits, digits + n);
}

// ReplaceAll into out. Each rule writes into the row's new name, whose buffer the last
// preview left: a rule runs over every row at each change of its inputs.
void ReplaceInto(std::wstring_view text, std::wstring_view search, std::wstring_view replacement, std::wstring& out) {
  out.clear();
  if (search.empty()) {
    out.append(text);
    return;
  }
  std::size_t copied = 0;  // text before this is already in out
  std::size_t from = 0;    // always a character start of text
  for (;;) {
    const std::size_t at = utf16::Find(text, search, from);
    if (at == utf16::npos) break;
    out.append(text.data() + copied, at - copied);
    out += replacement;
    copied = at + search.size();
    // Find takes an occurrence only where it ends at a character boundary, so the next one
    // starts a character.
    from = copied;
  }
  if (copied < text.size()) out.append(text.data() + copied, text.size() - copied);
}

}  // namespace

std::wstring ZeroPad(int number, int width) {
  std::wstring out;
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

  std::wstring prefix = in.baseText;
  if (in.divider) prefix += L'_';
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

NameAnalysis AnalyzeName(std::wstring_view baseName) {
  // An empty base name (".txt") comes out as a name without trailing digits, i.e. start "0",
  // empty base text, no divider.
  std::size_t digitsAt = baseName.size();
  while (digitsAt > 0 && baseName[digitsAt - 1] >= L'0' && baseName[digitsAt - 1] <= L'9') --digitsAt;

  NameAnalysis result;
  result.startText = digitsAt < baseName.size() ? std::wstring(baseName.substr(digitsAt)) : L"0";
  std::wstring_view prefix = baseName.substr(0, digitsAt);
  result.divider = !prefix.empty() && prefix.back() == L'_';
  if (result.divider) prefix.remove_suffix(1);
  result.baseText = std::wstring(prefix);
  return result;
}

int AnalysisColumn(const NameAnalysis& analysis) {
  return static_cast<int>(std::clamp<std::size_t>(analysis.startText.size(), 1, 10));
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view search, std::wstring_view replacement) {
  std::wstring out;
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
    std::wstring& name = row.newName;
    name.clear();
    if (in.head) {
      name += in.text;
      if (in.divider) name += L'_';
    }
    name += row.BaseName();
    if (in.tail) {
      if (in.divider) name += L'_';
      name += in.text;
    }
  }
}

void PreviewCase(RenameList& list, LetterCase letterCase) {
  for (RenameEntry& row : list) {
    const std::wstring_view base = row.BaseName();
    std::wstring& name = row.newName;
    switch (letterCase) {
      case LetterCase::Upper:
        name.clear();
        utf16::AppendUpper(base, name);
        break;
      case LetterCase::Lower:
        name.clear();
        utf16::AppendLower(base, name);
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
