#include "settings/History.h"

#include <gtest/gtest.h>

using settings::MoveToFront;
using settings::PushHistory;

using Entries = std::vector<std::string>;

TEST(History, PushCases) {
  struct Case {
    const char* what;
    Entries before;
    std::string text;
    int n;
    Entries after;
    bool pushed;
  };
  const Case cases[] = {
      {"trimmed around, kept inside", {}, " \t a b \r\n", 5, {"a b"}, true},
      {"full-width spaces are kept", {}, "\x81\x40x\x81\x40", 5, {"\x81\x40x\x81\x40"}, true},
      {"existing text moves to the top", {"a", "b", "c"}, "c", 5, {"c", "a", "b"}, true},
      {"empty text changes nothing", {"a"}, "", 5, {"a"}, false},
      {"blank text changes nothing", {"a"}, "   ", 5, {"a"}, false},
      {"the oldest entry drops out", {"a", "b", "c"}, "d", 3, {"d", "a", "b"}, true},
      {"an over-long history keeps its length", {"a", "b", "c", "d", "e"}, "x", 3, {"x", "a", "b", "d", "e"}, true},
      {"letter case makes a different text", {"abc"}, "ABC", 5, {"ABC", "abc"}, true},
      {"every copy of the text goes", {"a", "x", "b", "x", "x"}, "x", 10, {"x", "a", "b"}, true},
  };
  for (const auto& c : cases) {
    Entries e = c.before;
    EXPECT_EQ(PushHistory(e, c.text, c.n), c.pushed) << c.what;
    EXPECT_EQ(e, c.after) << c.what;
  }
}

TEST(History, MoveToFrontKeepsEveryEntryOnce) {
  struct Case {
    int p;
    Entries after;
    bool moved;
  } cases[] = {
      {2, {"P2", "P0", "P1", "P3"}, true},
      {3, {"P3", "P0", "P1", "P2"}, true},
      {0, {"P0", "P1", "P2", "P3"}, false},
      {-1, {"P0", "P1", "P2", "P3"}, false},
      {4, {"P0", "P1", "P2", "P3"}, false},
  };
  for (const Case& c : cases) {
    Entries e{"P0", "P1", "P2", "P3"};
    EXPECT_EQ(MoveToFront(e, c.p), c.moved) << c.p;
    EXPECT_EQ(e, c.after) << c.p;
  }
}
