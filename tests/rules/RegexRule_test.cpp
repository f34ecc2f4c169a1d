#include "rules/RegexRule.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using rules::PreviewRegexReplace;
using rules::RegexClock;
using rules::RegexError;
using rules::RegexErrorText;
using rules::RenameEntry;
using rules::RenameList;
using rules::RuleMark;
using rules::kMaxRegexLength;

namespace {

struct RegexCase {
  const wchar_t* search;
  const wchar_t* replacement;
  const wchar_t* fileName;
  const wchar_t* newName;
};

TEST(RegexRule, ReplacesEveryMatchByCharactersWithTheGroups) {
  const RegexCase cases[] = {
      {L"DSC(\\d+)", L"写真_$1", L"DSC0042.JPG", L"写真_0042"},
      {L"o", L"0", L"foo.txt", L"f00"},
      {L"a", L"[$&]$$", L"cat.txt", L"c[a]$t"},
      {L"^.(.)", L"$1", L"アイウ.txt", L"イウ"},
      {L"\\x41", L"x", L"ア.txt", L"ア"},
      // "." takes a character beyond U+FFFF whole, also beside private-use characters.
      {L".", L"[$&]", L"\U0001F600é\uE000.txt", L"[\U0001F600][é][\uE000]"},
      {L"^.a", L"$&\U0001F601", L"\U0001F600a.txt", L"\U0001F600a\U0001F601"},
      {L"[\U0001F600〜]+", L"~", L"x\U0001F600〜\U0001F600y.txt", L"x~y"},
      {L"\U0001F600{2}", L"2", L"\U0001F600\U0001F600\U0001F600.txt", L"2\U0001F600"},
      {L".", L"-", L"\xD83Dx.txt", L"--"},  // a lone surrogate is one character too
      // Characters the locale's code page narrows to specials ("¦" to "|") are themselves.
      {L"\u00A6", L"x", L"a\u00A6|.txt", L"ax|"},
      {L"[\u00A6\u2215]+\\\u00A6", L"-", L"\u2215\u00A6\u00A6/.txt", L"-/"},
      {L"(\\w+) (\\w+)", L"$2 $1", L"ab cd.txt", L"cd ab"},
      {L"a|ab", L"x", L"ab.txt", L"xb"},              // the first alternative that matches wins
      {L"", L"x", L"abc.txt", L"abc"},                // an empty search matches nothing
      // The replacement by ECMAScript's rules: two digits only where they name a group.
      {L"(a)", L"$10", L"a.txt", L"a0"},
      {L"a", L"[$0]", L"cat.txt", L"c[$0]t"},
      {L"(a)", L"$2$<n>$", L"a.txt", L"$2$<n>$"},
      {L"(a)", L"$$1", L"a.txt", L"$1"},
      {L"a", L"($`)($')", L"cat.txt", L"c(c)(t)t"},
      {L"(a)|(b)", L"[$2]", L"ab.txt", L"[][b]"},     // a group that took no part gives nothing
      {L"(((((((((((a)))))))))))", L"$11$01$00", L"a.txt", L"aa$00"},
  };
  for (const RegexCase& c : cases) {
    RenameList list;
    list.Add(c.fileName, L"C:\\Photos\\");
    EXPECT_TRUE(PreviewRegexReplace(list, {c.search, c.replacement}));
    EXPECT_EQ(list[0].newName, c.newName) << c.search;
    EXPECT_EQ(list[0].mark(), RuleMark::None);
  }
}

// Whatever is typed, the preview ends, every row keeps its name and the reason is told.
TEST(RegexRule, ExpressionsThatCantBeAppliedLeaveEveryNameAndSayWhy) {
  const std::wstring longName(250, L'a');
  const std::wstring nested = std::wstring(60, L'(') + L"a" + std::wstring(60, L')');
  std::wstring stars = L"a";
  for (int i = 0; i < 40; ++i) stars = L"(" + stars + L")*";
  using E = RegexError;
  const std::pair<std::wstring, RegexError> cases[] = {
      {L"(", E::Paren}, {L"a)", E::StrayParen}, {L"[a", E::Bracket}, {L"a{2,1}", E::BadBrace}, {L"\\", E::Escape},
      {L"[z-a]", E::Range}, {L"*a", E::Repeat}, {L"a|+", E::Repeat}, {L"(a*)*b", E::TooSlow}, {L"(a|aa)*c", E::TooSlow},
      {L"((a*)*)*$x", E::TooSlow}, {std::wstring(kMaxRegexLength + 1, L'a'), E::TooLong}, {stars + L"b", E::TooSlow}};
  for (const auto& [search, reason] : cases) {
    RenameList list;
    list.Add(longName + L".txt", L"C:\\Photos\\");
    list.Add(L"x.txt", L"C:\\Photos\\");
    list[0].newName = list[1].newName = L"stale";
    RegexError why = E::None;
    EXPECT_FALSE(PreviewRegexReplace(list, {search, L"z"}, nullptr, &why)) << search;
    EXPECT_EQ(why, reason) << search << ": " << RegexErrorText(why);
    EXPECT_EQ(list[0].newName, longName) << search;
    EXPECT_EQ(list[1].newName, L"x") << search;
  }
  // Deep, but valid: it is applied.
  RenameList list;
  list.Add(longName + L".txt", L"C:\\Photos\\");
  EXPECT_TRUE(PreviewRegexReplace(list, {nested, L"b"}));
  EXPECT_EQ(list[0].newName, std::wstring(250, L'b'));
}

// The window waits for the preview: past one second it ends as an error, also in the middle
// of one name's match, and every row keeps its name. The clock says 1.2 s have gone at every
// look after the first.
TEST(RegexRule, APreviewPastOneSecondEndsAsAnError) {
  static int looks;
  const RegexClock late = [] { return std::uint64_t{looks++ == 0 ? 0u : 1200u}; };
  const struct {
    const wchar_t* search;
    std::wstring name;
    int rows;
  } cases[] = {
      {L"(a+)+$", std::wstring(14, L'a') + L"b", 1},  // one name, many steps (but fewer than its bound)
      {L"DSC(\\d+)", L"DSC0042", 3000},
  };
  for (const auto& c : cases) {
    RenameList list;
    for (int i = 0; i < c.rows; ++i) list.Add(c.name + L".jpg", L"C:\\Photos\\");
    looks = 0;
    EXPECT_FALSE(PreviewRegexReplace(list, {c.search, L"x"}, late)) << c.search;
    for (const RenameEntry& row : list) ASSERT_EQ(row.newName, c.name) << c.search;
    // In time, the same preview is made.
    EXPECT_TRUE(PreviewRegexReplace(list, {c.search, L"x"}, [] { return std::uint64_t{0}; })) << c.search;
  }
}

TEST(RegexRule, MoreCharactersBeyondUFFFFThanStandInsAreRefused) {
  std::wstring name;
  for (char32_t c = 0x20000; c <= 0x20000 + 0x1900; ++c) {
    name += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    name += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
  RenameList list;
  list.Add(name + L".txt", L"C:\\x\\");
  RegexError why = RegexError::None;
  EXPECT_FALSE(PreviewRegexReplace(list, {L"a", L"b"}, nullptr, &why));
  EXPECT_EQ(why, RegexError::Surrogates);
  EXPECT_EQ(list[0].newName, name);
  name.erase(name.size() - 2);  // one fewer: each has its stand-in
  list.SetFileName(0, name + L".txt");
  EXPECT_TRUE(PreviewRegexReplace(list, {L"^.", L""}, nullptr, &why));
  EXPECT_EQ(list[0].newName, name.substr(2));
}

TEST(RegexRule, TrimsTheResultsWhenAsked) {
  RenameList list;
  list.Add(L"a_b.txt", L"C:\\Photos\\");
  EXPECT_TRUE(PreviewRegexReplace(list, {L"_", L"　", true}));
  EXPECT_EQ(list[0].newName, L"a　b");
  EXPECT_TRUE(PreviewRegexReplace(list, {L"^a_", L"　 ", true}));
  EXPECT_EQ(list[0].newName, L"b");
}

}  // namespace
