#include "engine/RegexRule.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

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
  };
  for (const RegexCase& c : cases) {
    RenameList list;
    list.Add(c.fileName, "C:\\Photos\\");
    EXPECT_TRUE(PreviewRegexReplace(list, {c.search, c.replacement}));
    EXPECT_EQ(list[0].newName, c.newName) << c.search;
    EXPECT_EQ(list[0].mark(), RuleMark::None);
  }
}

// Whatever is typed, the preview ends and every row keeps its name.
TEST(RegexRule, ExpressionsThatCantBeAppliedLeaveEveryName) {
  const std::string longName(250, 'a');
  const std::string nested = std::string(60, '(') + "a" + std::string(60, ')');
  std::string stars = "a";
  for (int i = 0; i < 40; ++i) stars = "(" + stars + ")*";
  const char* cases[] = {"(", "[a", "a{2,1}", "\\", "(a*)*b", "(a|aa)*c", "((a*)*)*$x"};
  std::vector<std::string> searches(std::begin(cases), std::end(cases));
  searches.push_back(std::string(kMaxRegexLength + 1, 'a'));
  searches.push_back(stars + "b");
  for (const std::string& search : searches) {
    RenameList list;
    list.Add(longName + ".txt", "C:\\Photos\\");
    list.Add("x.txt", "C:\\Photos\\");
    list[0].newName = list[1].newName = "stale";
    EXPECT_FALSE(PreviewRegexReplace(list, {search, "z"})) << search;
    EXPECT_EQ(list[0].newName, longName) << search;
    EXPECT_EQ(list[1].newName, "x") << search;
  }
  // Deep, but valid: it is applied.
  RenameList list;
  list.Add(longName + ".txt", "C:\\Photos\\");
  EXPECT_TRUE(PreviewRegexReplace(list, {nested, "b"}));
  EXPECT_EQ(list[0].newName, std::string(250, 'b'));
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
