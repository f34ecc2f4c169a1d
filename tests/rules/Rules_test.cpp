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

RenameList MakeList(const std::vector<std::string>& fileNames) {
  RenameList list;
  list.BeginBatch();
  for (const std::string& name : fileNames) list.Add(name, "C:\\Photos\\");
  list.EndBatch();
  return list;
}

// n rows named f000.txt, f001.txt, ... (their names don't matter to numbering)
RenameList MakeRows(int n) {
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back("f" + ZeroPad(i, 3) + ".txt");
  return MakeList(names);
}

std::vector<std::string> NewNames(const RenameList& list) {
  std::vector<std::string> out;
  for (const RenameEntry& row : list) out.push_back(row.newName);
  return out;
}

// The result of running a rule on a single file.
std::string RunOn(const std::string& fileName, const std::function<void(RenameList&)>& rule) {
  RenameList list = MakeList({fileName});
  list[0].newName = "stale";
  rule(list);
  return list[0].newName;
}

}  // namespace

// --- numbering ------------------------------------------------------------------------------

struct NumberCase {
  const char* what;
  NumberingInputs in;
  int rows;
  std::vector<std::string> first;  // the first rows' expected names
  std::string last;
};

class NumberRule : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberRule, NamesEveryRowWithOneWidth) {
  const NumberCase& c = GetParam();
  RenameList list = MakeRows(c.rows);
  PreviewNumber(list, c.in);
  std::vector<std::string> names = NewNames(list);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(c.rows));
  for (std::size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(names[i], c.first[i]) << "row " << i;
  EXPECT_EQ(names.back(), c.last);
  for (const std::string& name : names) EXPECT_EQ(name.size(), c.last.size()) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberRule,
    testing::Values(
        NumberCase{"worked example", {"photo", 1, 5, 3, "1", true}, 4,
                   {"photo_001", "photo_006", "photo_011", "photo_016"}, "photo_016"},
        NumberCase{"three rows", {"a", 1, 1, 1, "1", false}, 3, {"a1", "a2", "a3"}, "a3"},
        NumberCase{"eleven rows widen to the last number", {"a", 1, 1, 1, "1", false}, 11,
                   {"a01", "a02"}, "a11"},
        NumberCase{"start text 007 sets the width", {"a", 7, 1, 1, "007", false}, 11,
                   {"a007", "a008"}, "a017"},
        NumberCase{"start text longer than the start in force", {"", 1, 1, 1, "2001", false}, 3,
                   {"0001", "0002"}, "0003"},
        NumberCase{"digit count 10", {"a", 1, 1, 10, "1", false}, 3,
                   {"a0000000001", "a0000000002"}, "a0000000003"},
        NumberCase{"divider with an empty base text", {"", 1, 1, 1, "1", true}, 3,
                   {"_1", "_2"}, "_3"},
        NumberCase{"start 0, step 100", {"x", 0, 100, 1, "0", false}, 3, {"x000", "x100"}, "x200"}));

TEST(NumberRule, EmptyListWritesNothingAndDoesNotFault) {
  RenameList list;
  PreviewNumber(list, {"a", 1, 1, 1, "1", false});
  EXPECT_TRUE(list.empty());
}

// --- name analysis --------------------------------------------------------------------------

struct AnalysisCase {
  std::string baseName, startText;
  int column;
  std::string baseText;
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
    testing::Values(AnalysisCase{"IMG_0042", "0042", 4, "IMG", true},
                    AnalysisCase{"scan12", "12", 2, "scan", false},
                    AnalysisCase{"holiday", "0", 1, "holiday", false},
                    AnalysisCase{"memo_", "0", 1, "memo", true},
                    AnalysisCase{"2001", "2001", 4, "", false},
                    // ダ is 83 5F: its trail byte is the byte of "_"
                    AnalysisCase{"\x83\x5F" "12", "12", 2, "\x83", true},
                    // ソ is 83 5C: a trail byte that is no digit and no "_"
                    AnalysisCase{"ソ7", "7", 1, "ソ", false},
                    AnalysisCase{"a123456789012", "123456789012", 10, "a", false},
                    AnalysisCase{"", "0", 1, "", false}));

// --- replace --------------------------------------------------------------------------------

struct ReplaceCase {
  std::string fileName;
  ReplaceInputs in;
  std::string expected;
};

class ReplaceRule : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceRule, WritesTheReplacedBaseName) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewReplace(l, c.in); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceRule,
    testing::Values(
        ReplaceCase{"banana.txt", {"a", "b"}, "bbnbnb"},
        ReplaceCase{"aaaa.txt", {"aa", "X"}, "XX"},
        ReplaceCase{"aaa.txt", {"aa", "X"}, "Xa"},
        ReplaceCase{"aa.txt", {"a", "aa"}, "aaaa"},  // the replacement isn't searched again
        ReplaceCase{"img_01.jpg", {"IMG", "x"}, "img_01"},
        ReplaceCase{"ab.txt", {"ａ", "x"}, "ab"},  // full-width ａ is another character
        // ア is 83 41: its trail byte is the byte of A, which must not match there
        ReplaceCase{"\x83\x41" "A.txt", {"A", "B"}, "\x83\x41" "B"},
        ReplaceCase{"ソース.txt", {"\\", "_"}, "\x83\x5C\x81\x5B\x83\x58"},  // ソ 83 5C
        // a lone lead byte never matches the first half of a character: ャ (83 83) stays
        ReplaceCase{"\x83\x83" "A.txt", {"\x83", "Z"}, "\x83\x83" "A"},
        ReplaceCase{"photo.jpg", {"", "X"}, "photo"},
        ReplaceCase{"_x_.txt", {"_", " ", true}, "x"},
        ReplaceCase{"_x_.txt", {"_", "　", true}, "x"},  // full-width blank 81 40
        ReplaceCase{"_x_.txt", {"_", " ", false}, " x "},
        ReplaceCase{"photo.jpg", {"photo", ""}, ""},
        ReplaceCase{"a.b.c", {".", "-"}, "a-b"},  // the extension is out of reach
        ReplaceCase{".txt", {"t", "T"}, ""}));

// --- add ------------------------------------------------------------------------------------

struct AddCase {
  std::string fileName, text;
  bool head, tail, divider;
  std::string expected;
};

class AddRule : public testing::TestWithParam<AddCase> {};

TEST_P(AddRule, PutsTheTextAroundTheBaseName) {
  const AddCase& c = GetParam();
  AddInputs in{c.text, c.head, c.tail, c.divider};
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewAdd(l, in); }), c.expected);
}

const AddCase kAddCases[] = {
    {"photo.jpg", "2024", true, false, true, "2024_photo"},
    {"photo.jpg", "2024", false, true, false, "photo2024"},
    {"photo.jpg", "", false, true, true, "photo_"},
    {"photo.jpg", "", true, false, true, "_photo"},
    {"x.jpg", "a", true, true, true, "a_x_a"},
    {"photo.jpg", "a", false, false, true, "photo"},
    {".txt", "a", false, true, true, "_a"},
};
INSTANTIATE_TEST_SUITE_P(Cases, AddRule, testing::ValuesIn(kAddCases));

// --- letter case ----------------------------------------------------------------------------

struct CaseCase {
  std::string fileName;
  LetterCase item;
  std::string expected;
};

class CaseRule : public testing::TestWithParam<CaseCase> {};

TEST_P(CaseRule, ChangesOnlyTheBaseName) {
  const CaseCase& c = GetParam();
  EXPECT_EQ(RunOn(c.fileName, [&](RenameList& l) { PreviewCase(l, c.item); }), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaseRule,
    testing::Values(CaseCase{"README.TXT", LetterCase::Lower, "readme"},
                    CaseCase{"readme.txt", LetterCase::Upper, "README"},
                    CaseCase{"mY fILE.txt", LetterCase::FirstLetter, "My file"},
                    CaseCase{"mY fILE.txt", LetterCase::EachWord, "My File"},
                    CaseCase{"my_file.txt", LetterCase::FirstLetter, "My_file"},
                    CaseCase{"my_file.txt", LetterCase::EachWord, "My_file"},
                    CaseCase{"mY fILE.txt", LetterCase::None, "mY fILE"},
                    // ａｂｃ 82 81..82 83 become Ａ 82 60..
                    CaseCase{"ａｂｃ.txt", LetterCase::Upper, "\x82\x60\x82\x61\x82\x62"},
                    // ア's trail byte 41 is no letter to lower-case
                    CaseCase{"\x83\x41" "A.txt", LetterCase::Lower, "\x83\x41" "a"},
                    CaseCase{".TXT", LetterCase::Lower, ""}));

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
  std::string fileName;
  Groups groups;
  bool kana;
  std::string expected;
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
    testing::Values(WidthCase{"２０２４年.txt", {0, 1, 0, 0, 0}, false, "2024年"},
                    // ａｂｃ then ガ 83 4B from ｶﾞ B6 DE
                    WidthCase{"abcｶﾞ.txt", {2, 0, 0, 0, 0}, true, "\x82\x81\x82\x82\x82\x83\x83\x4B"},
                    WidthCase{"abcｶﾞ.txt", {0, 0, 0, 0, 0}, true, "abcガ"},
                    WidthCase{"abcｶﾞ.txt", {0, 0, 0, 0, 0}, false, "abc\xB6\xDE"},
                    WidthCase{"ＡＢＣ.ＴＸＴ", {1, 0, 0, 0, 0}, false, "ABC"},
                    WidthCase{"（a）　＿！1.txt", {0, 2, 1, 1, 1}, false, "(a) _!１"},
                    WidthCase{"(a) _!.txt", {0, 0, 2, 2, 2}, false, "（a）　＿！"},
                    WidthCase{"ｶﾞ１ (Ａ)　x.txt", {0, 0, 0, 0, 0}, false, "ｶﾞ１ (Ａ)　x"},
                    WidthCase{".txt", {2, 2, 2, 2, 2}, true, ""}));

// --- every rule writes every row, whatever came before ----------------------------------

namespace {

struct NamedRule {
  const char* name;
  std::function<void(RenameList&)> run;
};

std::vector<NamedRule> AllRules() {
  return {
      {"number", [](RenameList& l) { PreviewNumber(l, {"n", 1, 1, 1, "1", true}); }},
      {"replace", [](RenameList& l) { PreviewReplace(l, {"a", "b"}); }},
      {"replace-nothing", [](RenameList& l) { PreviewReplace(l, {}); }},
      {"add", [](RenameList& l) { PreviewAdd(l, {"x", true, false, true}); }},
      {"case", [](RenameList& l) { PreviewCase(l, LetterCase::Upper); }},
      {"case-none", [](RenameList& l) { PreviewCase(l, LetterCase::None); }},
      {"width", [](RenameList& l) { PreviewWidth(l, WidthFlagsFromGroups(G(2, 2, 2, 2, 2)), true); }},
      {"width-none", [](RenameList& l) { PreviewWidth(l, 0, false); }},
  };
}

const std::vector<std::string> kMixedNames = {"banana.txt", "IMG_0042.JPG", "写真ｶﾞ (1).jpg",
                                              ".txt", "ソース.c", "memo_.txt"};

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
