// The naming rules. Each is a function of the rows and a plain inputs struct, filled by the
// window from its controls, and writes the new name of every row (row 0 first), so after a
// recomputation no row keeps a name from an earlier rule. Extensions are never touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/RenameList.h"
#include "text/StringEx.h"

namespace rules {

// Numbering: base text, optional "_", zero-padded sequence number in list order.
// The start and step boxes reach what the settings file's 16-bit values hold.
inline constexpr int kMaxStart = 32767;
inline constexpr int kMaxStep = 32767;
struct NumberingInputs {
  std::wstring baseText;
  int start = 1;               // up-down position, 0 to kMaxStart
  int step = 1;                // up-down position, 1 to kMaxStep
  int column = 1;              // up-down position (minimum digits), 1 to 10
  std::wstring startText = L"1"; // raw text of the start box; its length widens the numbers
  bool divider = false;
};

// Decimal form of number, led by "0"s up to width characters; never cut when longer.
std::wstring ZeroPad(int number, int width);
// Rows set in `stays` (those the run leaves whatever their names) keep their names, marked
// RuleMark::Kept, and take no number: the numbers run on over the other rows.
void PreviewNumber(RenameList& list, const NumberingInputs& in, const std::vector<bool>& stays = {});

// A base name split into base text, divider and trailing number, so that numbering with
// these values continues the name's scheme.
struct NameAnalysis {
  std::wstring startText;  // the trailing digits as they stand, or "0" when there are none
  std::wstring baseText;
  bool divider;
};
NameAnalysis AnalyzeName(std::wstring_view baseName);
// The digit count the window sets: the start text's length within the up-down's 1 to 10.
// The window takes an analysis only when the start text's value is at most kMaxStart.
int AnalysisColumn(const NameAnalysis& analysis);

// Replace: exact (UTF-16 units), case-sensitive, left to right, non-overlapping; an occurrence only
// begins and ends at character boundaries (never half a surrogate pair); an empty search
// matches nothing.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view search, std::wstring_view replacement);
struct ReplaceInputs {
  std::wstring search, replacement;
  bool trim = false;  // trim the results' blanks (full-width ones too)
};
void PreviewReplace(RenameList& list, const ReplaceInputs& in);

// Add: text before and/or after the base name, optionally joined with "_".
struct AddInputs {
  std::wstring text;
  bool head = false;
  bool tail = true;
  bool divider = false;
};
void PreviewAdd(RenameList& list, const AddInputs& in);

// Letter case; None (no choice made) leaves the base name as it is.
enum class LetterCase { None = -1, Upper, Lower, FirstLetter, EachWord };
void PreviewCase(RenameList& list, LetterCase letterCase);

// Width: each group of characters is left alone, made half-width or made full-width.
enum class WidthChoice { Ignore, Half, Wide };
struct WidthGroups {
  WidthChoice letters = WidthChoice::Ignore, digits = WidthChoice::Ignore, brackets = WidthChoice::Ignore,
              spaces = WidthChoice::Ignore, symbols = WidthChoice::Ignore;
};
WidthFlags WidthFlagsFromGroups(const WidthGroups& groups);
void PreviewWidth(RenameList& list, WidthFlags flags, bool kana);

}  // namespace rules
