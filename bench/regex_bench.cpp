// Times the replace page's regular-expression preview against its plain replace of the same
// text over 100,000 names, in the same rounds, and against the plain copy loop: what reading
// the search as an expression costs. Then the worst case: 3,000 names on which "(a+)+$" takes
// all of its steps, where the preview is cut at its time limit.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "rules/RegexRule.h"
#include "rules/RenameList.h"
#include "rules/Rules.h"

#include "BenchClock.h"

using rules::PreviewRegexReplace;
using rules::PreviewReplace;
using rules::RenameEntry;
using rules::RenameList;

namespace {

constexpr int kRounds = 5;

RenameList MakeList(int rows) {
  static const wchar_t* const stems[] = {L"DSC", L"IMG_", L"写真", L"ソース", L"my file "};
  RenameList list;
  list.BeginBatch();
  for (int i = 0; i < rows; ++i) {
    std::wstring name = stems[i % 5];
    name += std::to_wstring(i * 7919 % 100000);
    name += L".jpg";
    list.Add(std::move(name), L"C:\\ベンチ\\");
  }
  list.EndBatch();
  return list;
}

double Best(RenameList& list, const std::function<void(RenameList&)>& rule) {
  double best = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    double t0 = Now();
    rule(list);
    best = std::min(best, Now() - t0);
  }
  return best;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  RenameList list = MakeList(100000);
  const struct {
    const char* what;
    const wchar_t *plain, *regex, *replacement;
  } cases[] = {
      {"a literal", L"DSC", L"DSC", L"写真_"},
      {"a group", L"DSC", L"DSC(\\d+)", L"写真_$1"},
      {"characters", L"写真", L"写.", L"画像"},
  };
  const double copy = Best(list, [](RenameList& l) {
    for (RenameEntry& row : l) row.newName.assign(row.BaseName());
  });
  for (const auto& c : cases) {
    const double plain = Best(list, [&](RenameList& l) { PreviewReplace(l, {c.plain, c.replacement, false}); });
    bool made = true;  // a preview past the time limit ends as an error
    const double regex = Best(list, [&](RenameList& l) { made &= PreviewRegexReplace(l, {c.regex, c.replacement, false}); });
    std::printf("regex %-10s 100000 rows: %8.1f ms, plain replace %6.1f ms (%.1fx), copy loop %5.1f ms (%.1fx)%s\n",
                c.what, regex, plain, regex / plain, copy, regex / copy, made ? "" : ", a round cut");
  }
  // Names on which the match takes nearly all the steps one name is allowed: the longest run
  // of "a" that one name still completes.
  std::size_t run = 8;
  for (;; ++run) {
    RenameList one;
    one.Add(std::wstring(run + 1, L'a') + L"b.txt", L"C:\\ベンチ\\");
    if (!PreviewRegexReplace(one, {L"(a+)+$", L"x", false})) break;
  }
  RenameList worst;
  for (int i = 0; i < 3000; ++i) {
    worst.Add(std::wstring(run, L'a') + L"b" + std::to_wstring(i) + L".txt", L"C:\\ベンチ\\");
  }
  double t0 = Now();
  const bool made = PreviewRegexReplace(worst, {L"(a+)+$", L"x", false});
  std::printf("regex (a+)+$ 3000 rows of %u a: %8.1f ms, %s\n", static_cast<unsigned>(run), Now() - t0,
              made ? "made" : "cut, an error");
}
