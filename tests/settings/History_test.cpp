#include "settings/History.h"

#include <gtest/gtest.h>

using settings::MoveToFront;
using settings::PushHistory;

using Entries = std::vector<std::wstring>;

TEST(History, PushCases) {
  struct Case {
    const char* what;
    Entries before;
    std::wstring text;
    int n;
    Entries after;
    bool pushed;
  };
  const Case cases[] = {
      {"trimmed around, kept inside", {}, L" \t a b \r\n", 5, {L"a b"}, true},
      {"full-width spaces are kept", {}, L"\u3000x\u3000", 5, {L"\u3000x\u3000"}, true},
      {"existing text moves to the top", {L"a", L"b", L"c"}, L"c", 5, {L"c", L"a", L"b"}, true},
      {"empty text changes nothing", {L"a"}, L"", 5, {L"a"}, false},
      {"blank text changes nothing", {L"a"}, L"   ", 5, {L"a"}, false},
      {"the oldest entry drops out", {L"a", L"b", L"c"}, L"d", 3, {L"d", L"a", L"b"}, true},
      {"an over-long history keeps its length", {L"a", L"b", L"c", L"d", L"e"}, L"x", 3,
       {L"x", L"a", L"b", L"d", L"e"}, true},
      {"letter case makes a different text", {L"abc"}, L"ABC", 5, {L"ABC", L"abc"}, true},
      {"every copy of the text goes", {L"a", L"x", L"b", L"x", L"x"}, L"x", 10, {L"x", L"a", L"b"}, true},
      {"an accent makes a different text, a pair stays whole", {L"cafe", L"\U0001F600"}, L" caf\u00E9\t", 5,
       {L"caf\u00E9", L"cafe", L"\U0001F600"}, true},
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
      {2, {L"P2", L"P0", L"P1", L"P3"}, true},
      {3, {L"P3", L"P0", L"P1", L"P2"}, true},
      {0, {L"P0", L"P1", L"P2", L"P3"}, false},
      {-1, {L"P0", L"P1", L"P2", L"P3"}, false},
      {4, {L"P0", L"P1", L"P2", L"P3"}, false},
  };
  for (const Case& c : cases) {
    Entries e{L"P0", L"P1", L"P2", L"P3"};
    EXPECT_EQ(MoveToFront(e, c.p), c.moved) << c.p;
    EXPECT_EQ(e, c.after) << c.p;
  }
}
