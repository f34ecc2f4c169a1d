// Times each naming rule over 1,000, 10,000 and 100,000 mixed Japanese/ASCII names against
// the plain copy loop that only copies each base name into the new name, measured in the same
// rounds; reports the peak working set after the rules ran over 100,000 rows. Both write into
// the rows' new names, whose buffers stay from one pass to the next as they do from one
// preview to the next in the window. Small lists sit in the cache, where the copy loop costs
// little more than finding each base name, so any work per character weighs most there.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "rules/RenameList.h"
#include "rules/Rules.h"
#include "text/utf16.h"

#include "BenchClock.h"
#include "BenchMemory.h"

using rules::LetterCase;
using rules::PreviewAdd;
using rules::PreviewCase;
using rules::PreviewNumber;
using rules::PreviewReplace;
using rules::PreviewWidth;
using rules::RenameEntry;
using rules::RenameList;
using rules::WidthChoice;
using rules::WidthFlagsFromGroups;

namespace {

// Best of many rounds: the machine is shared, and a round that meets another program's work
// says nothing of either loop.
constexpr int kRounds = 25;

RenameList MakeList(int rows) {
  static const wchar_t* const stems[] = {L"写真",   L"IMG_",     L"ｶﾞｲﾄﾞ",      L"ソース", L"my file ",
                                         L"ＡＢＣ", L"holiday_", L"２０２４年", L"memo",   L"ダウンロード"};
  static const wchar_t* const exts[] = {L".jpg", L".TXT", L".png", L".ＴＸＴ", L""};
  RenameList list;
  list.BeginBatch();
  for (int i = 0; i < rows; ++i) {
    std::wstring name = stems[i % 10];
    name += std::to_wstring(i * 7919 % 100000);
    name += exts[i % 5];
    list.Add(std::move(name), L"C:\\ベンチ\\");
  }
  list.EndBatch();
  return list;
}

using Rule = std::function<void(RenameList&)>;

// Copies into the row's own buffer, as a rule may: a copy through a temporary string would
// pay an allocation per name that the rule need not.
void CopyLoop(RenameList& list) {
  for (RenameEntry& row : list) row.newName.assign(row.BaseName());
}

// Milliseconds per pass over the list, best of the rounds; small lists are passed over
// several times per round so that each round lasts long enough to time.
double PerPass(RenameList& list, const Rule& rule, int passes) {
  double t0 = Now();
  for (int p = 0; p < passes; ++p) rule(list);
  return (Now() - t0) / passes;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  double t0 = Now();
  utf16::Upper(L"a");
  std::printf("case tables made in %.1f ms, once per process (not in the figures below)\n", Now() - t0);

  constexpr WidthChoice H = WidthChoice::Half, W = WidthChoice::Wide;
  const struct {
    const char* name;
    Rule run;
  } rules[] = {
      {"number", [](RenameList& l) { PreviewNumber(l, {L"photo", 1, 1, 3, L"1", true}); }},
      {"replace", [](RenameList& l) { PreviewReplace(l, {L"_", L" ", true}); }},
      {"add", [](RenameList& l) { PreviewAdd(l, {L"2024", true, false, true}); }},
      {"case upper", [](RenameList& l) { PreviewCase(l, LetterCase::Upper); }},
      {"case lower", [](RenameList& l) { PreviewCase(l, LetterCase::Lower); }},
      {"case first", [](RenameList& l) { PreviewCase(l, LetterCase::FirstLetter); }},
      {"case words", [](RenameList& l) { PreviewCase(l, LetterCase::EachWord); }},
      {"width none", [](RenameList& l) { PreviewWidth(l, 0, false); }},
      {"width half", [](RenameList& l) { PreviewWidth(l, WidthFlagsFromGroups({H, H, H, H, H}), true); }},
      {"width wide", [](RenameList& l) { PreviewWidth(l, WidthFlagsFromGroups({W, W, W, W, W}), true); }},
  };

  double worst = 0;
  for (int rows : {1000, 10000, 100000}) {
    RenameList list = MakeList(rows);
    const int passes = 100000 / rows;
    for (const auto& rule : rules) {
      double copy = 1e300, ms = 1e300;
      // Alternating with the copy loop, so both meet the same state of the machine.
      for (int round = 0; round < kRounds; ++round) {
        copy = std::min(copy, PerPass(list, CopyLoop, passes));
        ms = std::min(ms, PerPass(list, rule.run, passes));
      }
      const double ratio = ms / copy;
      worst = std::max(worst, ratio);
      std::printf("preview %-10s %7d rows: %8.3f ms, copy loop %8.3f ms, ratio %.2f (target <= 1.50)\n", rule.name,
                  rows, ms, copy, ratio);
    }
    if (rows == 100000) {
      std::printf("peak working set after 100,000 rows: %.1f MB (target < 50)\n", PeakWorkingSetMB());
    }
  }
  std::printf("highest ratio of any rule at any size: %.2f (target <= 1.50)\n", worst);
  return 0;
}
