#include "rules/Rules.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using rules::AddInputs;
using rules::AnalysisColumn;
using rules::AnalyzeName;
using rules::LetterCase;
using rules::NameAnalysis;
using rules::NumberingInputs;
using rules::PreviewAdd;
using rules::PreviewCase;
using rules::PreviewNumber;
using rules::PreviewReplace;
using rules::PreviewWidth;
using rules::RenameEntry;
using rules::RenameList;
using rules::ReplaceInputs;
using rules::WidthChoice;
using rules::WidthFlagsFromGroups;
using rules::WidthGroups;
using rules::ZeroPad;

namespace {

RenameList MakeList(const std::vector<std::wstring>& fileNames) {
  RenameList list;
  list.BeginBatch();
  for (const std::wstring& name : fileNames) list.Add(name, L"C:\\Photos\\");
  list.EndBatch();
  return list;
}

// n rows named f000.txt, f001.txt, ... (their names don't matter to numbering)
RenameList MakeRows(int n) {
  std::vector<std::wstring> names;
  for (int i = 0; i < n; ++i) names.push_back(L"f" + ZeroPad(i, 3) + L".txt");
  return MakeList(names);
}

std::vector<std::wstring> NewNames(const RenameList& list) {
  std::vector<std::wstring> out;
  for (const RenameEntry& row : list) out.push_back(row.newName);
  return out;
}

// The result of running a rule on a single file.
std::wstring RunOn(const std::wstring& fileName, const std::function<void(RenameList&)>& rule) {
  RenameList list = MakeList({fileName});
  list[0].newName = L"stale";
  rule(list);
  return list[0].newName;
}

}  // namespace

// --- numbering ------------------------------------------------------------------------------

struct NumberCase {
  const wchar_t* what;
  NumberingInputs in;
  int rows;
  std::vector<std::wstring> first;  // the first rows' expected names
  std::wstring last;
};

class NumberRule : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberRule, NamesEveryRowWithOneWidth) {
  const NumberCase& c = GetParam();
  RenameList list = MakeRows(c.rows);
  PreviewNumber(list, c.in);
  std::vector<std::wstring> names = NewNames(list);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(c.rows));
  for (std::size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(names[i], c.first[i]) << "row " << i;
  EXPECT_EQ(names.back(), c.last);
  for (const std::wstring& name : names) EXPECT_EQ(name.size(), c.last.size()) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberRule,
    testing::Values(
        NumberCase{L"worked example", {L"photo", 1, 5, 3, L"1", true}, 4,
                   {L"photo_001", L"photo_006", L"photo_011", L"photo_016"}, L"photo_016"},
        NumberCase{L"three rows", {L"a", 1, 1, 1, L"1", false}, 3, {L"a1", L"a2", L"a3"}, L"a3"},
        NumberCase{L"eleven rows widen to the last number", {L"a", 1, 1, 1, L"1", false}, 11,
                   {L"a01", L"a02"}, L"a11"},
        NumberCase{L"start text 007 sets the width", {L"a", 7, 1, 1, L"007", false}, 11,
                   {L"a007", L"a008"}, L"a017"},
        NumberCase{L"start text longer than the start in force", {L"", 1, 1, 1, L"2001", false}, 3,
                   {L"0001", L"0002"}, L"0003"},
        NumberCase{L"digit count 10", {L"a", 1, 1, 10, L"1", false}, 3,
                   {L"a0000000001", L"a0000000002"}, L"a0000000003"},
        NumberCase{L"divider with an empty base text", {L"", 1, 1, 1, L"1", true}, 3,
                   {L"_1", L"_2"}, L"_3"},
        NumberCase{L"start 0, step 100", {L"x", 0, 100, 1, L"0", false}, 3, {L"x000", L"x100"}, L"x200"}));

TEST(NumberRule, EmptyListWritesNothingAndDoesNotFault) {
  RenameList list;
  PreviewNumber(list, {L"a", 1, 1, 1, L"1", false});
  EXPECT_TRUE(list.empty());
}

// --- name analysis --------------------------------------------------------------------------

struct AnalysisCase {
  std::wstring baseName, startText;
  int column;
  std::wstring baseText;
  bool divider;
};

class Analysis : public testing::TestWithParam<AnalysisCase> {};

TEST_P(Analysis, SplitsOffTheTrailingNumber) {
  const AnalysisCase& c = GetParam();
  NameAnalysis a = AnalyzeName(c.baseName);
  EXPECT_EQ(a.startText, c.startText);
  EXPECT_EQ(AnalysisColumn(a), c.column);
  EXPECT_EQ(a.baseText, c.baseText);
  EXPECT_EQ(a.divider, c.divider);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Analysis,
    testing::Values(AnalysisCase{L"IMG_0042", L"0042", 4, L"IMG", true},
                    AnalysisCase{L"scan12", L"12", 2, L"scan", false},
                    AnalysisCase{L"holiday", L"0", 1, L"holiday", false},
                    AnalysisCase{L"memo_", L"0", 1, L"memo", true},
                    AnalysisCase{L"2001", L"2001", 4, L"", false},
                    AnalysisCase{L"ダ12", L"12", 2, L"ダ", false},
                    AnalysisCase{L"\U0001F600_7", L"7", 1, L"\U0001F600", true},
                    AnalysisCase{L"ソ１2", L"2", 1, L"ソ１", false},  // only ASCII digits count
                    AnalysisCase{L"a123456789012", L"123456789012", 10, L"a", false},
                    AnalysisCase{L"", L"0", 1, L"", false}));

// --- replace --------------------------------------------------------------------------------

struct ReplaceCase {
  std::wstring fileName;
  ReplaceInputs in;
  std::wstring expected;
};

class ReplaceRule : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceRule, WritesTheReplacedBaseName) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewReplace(l, c.in); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceRule,
    testing::Values(
        ReplaceCase{L"banana.txt", {L"a", L"b"}, L"bbnbnb"},
        ReplaceCase{L"aaaa.txt", {L"aa", L"X"}, L"XX"},
        ReplaceCase{L"aaa.txt", {L"aa", L"X"}, L"Xa"},
        ReplaceCase{L"aa.txt", {L"a", L"aa"}, L"aaaa"},  // the replacement isn't searched again
        ReplaceCase{L"img_01.jpg", {L"IMG", L"x"}, L"img_01"},
        ReplaceCase{L"ab.txt", {L"ａ", L"x"}, L"ab"},  // full-width ａ is another character
        ReplaceCase{L"アA.txt", {L"A", L"B"}, L"アB"},
        ReplaceCase{L"〜～.txt", {L"～", L"~"}, L"〜~"},  // U+301C is not Shift_JIS's U+FF5E
        ReplaceCase{L"a\U0001F600b\U0001F600.txt", {L"\U0001F600", L"é"}, L"aébé"},
        // half of a pair never matches: the pair stays whole
        ReplaceCase{L"\U0001F600\U0001F601.txt", {L"\xDE00\xD83D", L"Z"}, L"\U0001F600\U0001F601"},
        ReplaceCase{L"\U0001F600.txt", {L"\xD83D", L"Z"}, L"\U0001F600"},
        ReplaceCase{L"photo.jpg", {L"", L"X"}, L"photo"},
        ReplaceCase{L"_x_.txt", {L"_", L" ", true}, L"x"},
        ReplaceCase{L"_x_.txt", {L"_", L"　", true}, L"x"},  // full-width blank
        ReplaceCase{L"_x_.txt", {L"_", L" ", false}, L" x "},
        ReplaceCase{L"photo.jpg", {L"photo", L""}, L""},
        ReplaceCase{L"a.b.c", {L".", L"-"}, L"a-b"},  // the extension is out of reach
        ReplaceCase{L".txt", {L"t", L"T"}, L""}));

// --- add ------------------------------------------------------------------------------------

struct AddCase {
  std::wstring fileName, text;
  bool head, tail, divider;
  std::wstring expected;
};

class AddRule : public testing::TestWithParam<AddCase> {};

TEST_P(AddRule, PutsTheTextAroundTheBaseName) {
  const AddCase& c = GetParam();
  AddInputs in{c.text, c.head, c.tail, c.divider};
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewAdd(l, in); }), c.expected);
}

const AddCase kAddCases[] = {
    {L"photo.jpg", L"2024", true, false, true, L"2024_photo"},
    {L"photo.jpg", L"2024", false, true, false, L"photo2024"},
    {L"photo.jpg", L"", false, true, true, L"photo_"},
    {L"photo.jpg", L"", true, false, true, L"_photo"},
    {L"x.jpg", L"a", true, true, true, L"a_x_a"},
    {L"photo.jpg", L"a", false, false, true, L"photo"},
    {L".txt", L"a", false, true, true, L"_a"},
};
INSTANTIATE_TEST_SUITE_P(Cases, AddRule, testing::ValuesIn(kAddCases));

// --- letter case ----------------------------------------------------------------------------

struct CaseCase {
  std::wstring fileName;
  LetterCase item;
  std::wstring expected;
};

class CaseRule : public testing::TestWithParam<CaseCase> {};

TEST_P(CaseRule, ChangesOnlyTheBaseName) {
  const CaseCase& c = GetParam();
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewCase(l, c.item); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaseRule,
    testing::Values(CaseCase{L"README.TXT", LetterCase::Lower, L"readme"},
                    CaseCase{L"readme.txt", LetterCase::Upper, L"README"},
                    CaseCase{L"mY fILE.txt", LetterCase::FirstLetter, L"My file"},
                    CaseCase{L"mY fILE.txt", LetterCase::EachWord, L"My File"},
                    CaseCase{L"my_file.txt", LetterCase::FirstLetter, L"My_file"},
                    CaseCase{L"my_file.txt", LetterCase::EachWord, L"My_file"},
                    CaseCase{L"mY fILE.txt", LetterCase::None, L"mY fILE"},
                    CaseCase{L"ａｂｃ.txt", LetterCase::Upper, L"ＡＢＣ"},
                    CaseCase{L"アA.txt", LetterCase::Lower, L"アa"},
                    CaseCase{L"école ÉTÉ.txt", LetterCase::Upper, L"ÉCOLE ÉTÉ"},
                    CaseCase{L"ÉCOLE été.txt", LetterCase::Lower, L"école été"},
                    CaseCase{L"\U0001F600éTÉ ÉTÉ.txt", LetterCase::EachWord, L"\U0001F600été Été"},
                    CaseCase{L".TXT", LetterCase::Lower, L""}));

// --- width ----------------------------------------------------------------------------------

// Groups from item positions: 0 ignore, 1 half, 2 wide.
static WidthGroups G(int letters, int digits, int brackets, int spaces, int symbols) {
  auto c = [](int item) { return static_cast<WidthChoice>(item); };
  return {c(letters), c(digits), c(brackets), c(spaces), c(symbols)};
}

struct Groups {
  int word, num, kakko, space, symbol;
};

struct WidthCase {
  std::wstring fileName;
  Groups groups;
  bool kana;
  std::wstring expected;
};

class WidthRule : public testing::TestWithParam<WidthCase> {};

TEST_P(WidthRule, ConvertsTheBaseName) {
  const WidthCase& c = GetParam();
  const Groups& g = c.groups;
  WidthFlags flags = WidthFlagsFromGroups(G(g.word, g.num, g.kakko, g.space, g.symbol));
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewWidth(l, flags, c.kana); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WidthRule,
    testing::Values(WidthCase{L"２０２４年.txt", {0, 1, 0, 0, 0}, false, L"2024年"},
                    WidthCase{L"abcｶﾞ.txt", {2, 0, 0, 0, 0}, true, L"ａｂｃガ"},
                    WidthCase{L"abcｶﾞ.txt", {0, 0, 0, 0, 0}, true, L"abcガ"},
                    WidthCase{L"abcｶﾞ.txt", {0, 0, 0, 0, 0}, false, L"abcｶﾞ"},
                    WidthCase{L"한국어 1\U0001F600é.txt", {2, 2, 2, 2, 2}, true, L"한국어　１\U0001F600é"},
                    WidthCase{L"ＡＢＣ.ＴＸＴ", {1, 0, 0, 0, 0}, false, L"ABC"},
                    WidthCase{L"（a）　＿！1.txt", {0, 2, 1, 1, 1}, false, L"(a) _!１"},
                    WidthCase{L"(a) _!.txt", {0, 0, 2, 2, 2}, false, L"（a）　＿！"},
                    WidthCase{L"ｶﾞ１ (Ａ)　x.txt", {0, 0, 0, 0, 0}, false, L"ｶﾞ１ (Ａ)　x"},
                    WidthCase{L".txt", {2, 2, 2, 2, 2}, true, L""}));

// --- every rule writes every row, whatever came before ----------------------------------

namespace {

struct NamedRule {
  const wchar_t* name;
  std::function<void(RenameList&)> run;
};

std::vector<NamedRule> AllRules() {
  return {
      {L"number", [](RenameList& l) { PreviewNumber(l, {L"n", 1, 1, 1, L"1", true}); }},
      {L"replace", [](RenameList& l) { PreviewReplace(l, {L"a", L"b"}); }},
      {L"replace-nothing", [](RenameList& l) { PreviewReplace(l, {}); }},
      {L"add", [](RenameList& l) { PreviewAdd(l, {L"x", true, false, true}); }},
      {L"case", [](RenameList& l) { PreviewCase(l, LetterCase::Upper); }},
      {L"case-none", [](RenameList& l) { PreviewCase(l, LetterCase::None); }},
      {L"width", [](RenameList& l) { PreviewWidth(l, WidthFlagsFromGroups(G(2, 2, 2, 2, 2)), true); }},
      {L"width-none", [](RenameList& l) { PreviewWidth(l, 0, false); }},
  };
}

const std::vector<std::wstring> kMixedNames = {L"banana.txt", L"IMG_0042.JPG", L"写真ｶﾞ (1).jpg",
                                              L".txt", L"ソース.c", L"memo_.txt", L"\U0001F600é.txt"};

}  // namespace

TEST(EveryRule, LeavesNoNameFromAnEarlierRule) {
  for (const NamedRule& first : AllRules()) {
    for (const NamedRule& second : AllRules()) {
      RenameList fresh = MakeList(kMixedNames);
      second.run(fresh);
      RenameList reused = MakeList(kMixedNames);
      first.run(reused);
      second.run(reused);
      EXPECT_EQ(NewNames(reused), NewNames(fresh)) << first.name << " then " << second.name;
    }
  }
}
