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
  const char* search;
  const char* replacement;
  const char* fileName;
  const char* newName;
};

TEST(RegexRule, ReplacesEveryMatchByCharactersWithTheGroups) {
  const RegexCase cases[] = {
      {"DSC(\\d+)", "写真_$1", "DSC0042.JPG", "写真_0042"},
      {"o", "0", "foo.txt", "f00"},
      {"a", "[$&]$$", "cat.txt", "c[a]$t"},
      {"^.(.)", "$1", "アイウ.txt", "イウ"},        // "." takes ア whole, never a byte of it
      {"\\x41", "x", "ア.txt", "ア"},             // ア is 83 41: no "A" inside it
      {"(\\w+) (\\w+)", "$2 $1", "ab cd.txt", "cd ab"},
      {"a|ab", "x", "ab.txt", "xb"},              // the first alternative that matches wins
      {"", "x", "abc.txt", "abc"},                // an empty search matches nothing
      // The replacement by ECMAScript's rules: two digits only where they name a group.
      {"(a)", "$10", "a.txt", "a0"},
      {"a", "[$0]", "cat.txt", "c[$0]t"},
      {"(a)", "$2$<n>$", "a.txt", "$2$<n>$"},
      {"(a)", "$$1", "a.txt", "$1"},
      {"a", "($`)($')", "cat.txt", "c(c)(t)t"},
      {"(a)|(b)", "[$2]", "ab.txt", "[][b]"},     // a group that took no part gives nothing
      {"(((((((((((a)))))))))))", "$11$01$00", "a.txt", "aa$00"},
  };
  for (const RegexCase& c : cases) {
    RenameList list;
    list.Add(c.fileName, "C:\\Photos\\");
    EXPECT_TRUE(PreviewRegexReplace(list, {c.search, c.replacement}));
    EXPECT_EQ(list[0].newName, c.newName) << c.search;
    EXPECT_EQ(list[0].mark(), RuleMark::None);
  }
}

// Whatever is typed, the preview ends, every row keeps its name and the reason is told.
TEST(RegexRule, ExpressionsThatCantBeAppliedLeaveEveryNameAndSayWhy) {
  const std::string longName(250, 'a');
  const std::string nested = std::string(60, '(') + "a" + std::string(60, ')');
  std::string stars = "a";
  for (int i = 0; i < 40; ++i) stars = "(" + stars + ")*";
  using E = RegexError;
  const std::pair<std::string, RegexError> cases[] = {
      {"(", E::Paren}, {"a)", E::StrayParen}, {"[a", E::Bracket}, {"a{2,1}", E::BadBrace}, {"\\", E::Escape},
      {"[z-a]", E::Range}, {"*a", E::Repeat}, {"a|+", E::Repeat}, {"(a*)*b", E::TooSlow}, {"(a|aa)*c", E::TooSlow},
      {"((a*)*)*$x", E::TooSlow}, {std::string(kMaxRegexLength + 1, 'a'), E::TooLong}, {stars + "b", E::TooSlow}};
  for (const auto& [search, reason] : cases) {
    RenameList list;
    list.Add(longName + ".txt", "C:\\Photos\\");
    list.Add("x.txt", "C:\\Photos\\");
    list[0].newName = list[1].newName = "stale";
    RegexError why = E::None;
    EXPECT_FALSE(PreviewRegexReplace(list, {search, "z"}, nullptr, &why)) << search;
    EXPECT_EQ(why, reason) << search << ": " << RegexErrorText(why);
    EXPECT_EQ(list[0].newName, longName) << search;
    EXPECT_EQ(list[1].newName, "x") << search;
  }
  // Deep, but valid: it is applied.
  RenameList list;
  list.Add(longName + ".txt", "C:\\Photos\\");
  EXPECT_TRUE(PreviewRegexReplace(list, {nested, "b"}));
  EXPECT_EQ(list[0].newName, std::string(250, 'b'));
}

// The window waits for the preview: past one second it ends as an error, also in the middle
// of one name's match, and every row keeps its name. The clock says 1.2 s have gone at every
// look after the first.
TEST(RegexRule, APreviewPastOneSecondEndsAsAnError) {
  static int looks;
  const RegexClock late = [] { return std::uint64_t{looks++ == 0 ? 0u : 1200u}; };
  const struct {
    const char* search;
    std::string name;
    int rows;
  } cases[] = {
      {"(a+)+$", std::string(14, 'a') + "b", 1},  // one name, many steps (but fewer than its bound)
      {"DSC(\\d+)", "DSC0042", 3000},
  };
  for (const auto& c : cases) {
    RenameList list;
    for (int i = 0; i < c.rows; ++i) list.Add(c.name + ".jpg", "C:\\Photos\\");
    looks = 0;
    EXPECT_FALSE(PreviewRegexReplace(list, {c.search, "x"}, late)) << c.search;
    for (const RenameEntry& row : list) ASSERT_EQ(row.newName, c.name) << c.search;
    // In time, the same preview is made.
    EXPECT_TRUE(PreviewRegexReplace(list, {c.search, "x"}, [] { return std::uint64_t{0}; })) << c.search;
  }
}

TEST(RegexRule, TrimsTheResultsWhenAsked) {
  RenameList list;
  list.Add("a_b.txt", "C:\\Photos\\");
  EXPECT_TRUE(PreviewRegexReplace(list, {"_", "　", true}));
  EXPECT_EQ(list[0].newName, "a　b");
  EXPECT_TRUE(PreviewRegexReplace(list, {"^a_", "　 ", true}));
  EXPECT_EQ(list[0].newName, "b");
}

}  // namespace
