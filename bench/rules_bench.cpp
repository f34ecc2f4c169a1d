// Times each naming rule over 100,000 mixed Japanese/ASCII names against a bare loop that
// only copies each base name into the new name, in the same run.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "engine/RenameList.h"
#include "engine/Rules.h"

#include "BenchClock.h"

namespace {

constexpr int kRows = 100000;

RenameList MakeList() {
  static const char* const stems[] = {"写真",   "IMG_",     "ｶﾞｲﾄﾞ",  "ソース",  "my file ",
                                      "ＡＢＣ", "holiday_", "２０２４年", "memo",  "ダウンロード"};
  static const char* const exts[] = {".jpg", ".TXT", ".png", ".ＴＸＴ", ""};
  RenameList list;
  list.BeginBatch();
  for (int i = 0; i < kRows; ++i) {
    std::string name = stems[i % 10];
    name += std::to_string(i * 7919 % 100000);
    name += exts[i % 5];
    list.Add(std::move(name), "C:\\ベンチ\\");
  }
  list.EndBatch();
  return list;
}

double Time(RenameList& list, const std::function<void(RenameList&)>& rule) {
  double best = 1e300;
  for (int round = 0; round < 3; ++round) {
    double t0 = Now();
    rule(list);
    double t = Now() - t0;
    if (t < best) best = t;
  }
  return best;
}

}  // namespace

int main() {
  RenameList list = MakeList();
  std::printf("%d rows, best of 3 rounds\n", kRows);

  const double bare = Time(list, [](RenameList& l) {
    for (RenameEntry& row : l) row.newName = std::string(row.BaseName());
  });
  std::printf("%-12s %8.2f ms %8.1f ns/row\n", "bare loop", bare, bare * 1e6 / kRows);

  struct Rule {
    const char* name;
    std::function<void(RenameList&)> run;
  };
  constexpr WidthChoice H = WidthChoice::Half, W = WidthChoice::Wide;
  const Rule rules[] = {
      {"number", [](RenameList& l) { PreviewNumber(l, {"photo", 1, 1, 3, "1", true}); }},
      {"replace", [](RenameList& l) { PreviewReplace(l, {"_", " ", true}); }},
      {"add", [](RenameList& l) { PreviewAdd(l, {"2024", true, false, true}); }},
      {"case upper", [](RenameList& l) { PreviewCase(l, LetterCase::Upper); }},
      {"case lower", [](RenameList& l) { PreviewCase(l, LetterCase::Lower); }},
      {"case first", [](RenameList& l) { PreviewCase(l, LetterCase::FirstLetter); }},
      {"case words", [](RenameList& l) { PreviewCase(l, LetterCase::EachWord); }},
      {"width none", [](RenameList& l) { PreviewWidth(l, 0, false); }},
      {"width half", [](RenameList& l) { PreviewWidth(l, WidthFlagsFromGroups({H, H, H, H, H}), true); }},
      {"width wide", [](RenameList& l) { PreviewWidth(l, WidthFlagsFromGroups({W, W, W, W, W}), true); }},
  };
  for (const Rule& rule : rules) {
    const double ms = Time(list, rule.run);
    std::printf("%-12s %8.2f ms %8.1f ns/row %6.1fx bare\n", rule.name, ms, ms * 1e6 / kRows,
                bare > 0 ? ms / bare : 0.0);
  }
  return 0;
}
