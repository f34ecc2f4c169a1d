#include "rules/NewName.h"

#include <gtest/gtest.h>

namespace {

TEST(SizeOfName, CountsUtf16UnitsAndUtf8Bytes) {
  const struct {
    const wchar_t* name;
    std::uint32_t units, utf8;
  } cases[] = {
      {L"", 0, 0},     {L"a.txt", 5, 5},      {L"é", 1, 2},
      {L"写真", 2, 6}, {L"\U0001F600", 2, 4}, {L"\xD83D", 1, 3},  // a lone surrogate as the platform writes it
  };
  for (const auto& c : cases) {
    const rules::NameSize size = rules::SizeOfName(c.name);
    EXPECT_EQ(size.units, c.units) << c.name;
    EXPECT_EQ(size.utf8, c.utf8) << c.name;
  }
}

TEST(BadNewName, LooksAtUnitsNotLookAlikes) {
  EXPECT_TRUE(rules::BadNewName(L"CON .txt"));
  EXPECT_TRUE(rules::BadNewName(L"a/b.txt"));
  EXPECT_TRUE(rules::BadNewName(L".txt"));
  EXPECT_FALSE(rules::BadNewName(L"a\uFF0Fb\uFF1A.txt"));  // full-width "／" and "："
  EXPECT_FALSE(rules::BadNewName(L"\U0001F600.txt"));
  EXPECT_FALSE(rules::BadNewName(L"ｃｏｎ.txt"));
}

}  // namespace
