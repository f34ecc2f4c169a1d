#include "text/sjis.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "text/TextTestUtil.h"

using namespace std::literals;

TEST(Platform, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

// The trail-byte traps used below, with their bytes.
TEST(SjisLiterals, TrapCharactersHaveTheirCp932Bytes) {
  EXPECT_EQ("ソ"sv, "\x83\x5C"sv);
  EXPECT_EQ("ー"sv, "\x81\x5B"sv);
  EXPECT_EQ("ポ"sv, "\x83\x7C"sv);
  EXPECT_EQ("表"sv, "\x95\x5C"sv);
  EXPECT_EQ("能"sv, "\x94\x5C"sv);
  EXPECT_EQ("ア"sv, "\x83\x41"sv);
}

struct PathCase {
  std::string_view path, folder, fileName, extension, baseName, stripped;
};

TEST(SjisStrict, FromWideRefusesCharactersWithoutAnExactCp932Form) {
  const std::wstring_view refused[] = {
      L"\u00A5",               // ¥ would best-fit to "\"
      L"x\u00A5..\u00A5y.txt",
      L"caf\u00E9.txt",        // é would best-fit to "e"
      L"\uD55C",               // 한
      L"a\U0001F600",          // surrogate pair
  };
  const wchar_t loneSurrogate[] = {L'a', static_cast<wchar_t>(0xD800), 0};
  std::vector<std::wstring_view> all(std::begin(refused), std::end(refused));
  all.push_back(loneSurrogate);
  for (std::wstring_view w : all) {
    std::string out = "junk";
    EXPECT_FALSE(sjis::FromUtf16(w, out)) << w.size();
    EXPECT_TRUE(out.empty());
  }
}

TEST(SjisStrict, JapaneseNamesConvertExactlyBothWays) {
  const std::pair<std::wstring_view, std::string_view> cases[] = {
      {L"\u30BD\u8868.txt", "\x83\x5C\x95\x5C.txt"},  // ソ表.txt
      {L"日本語ー能ポ", "日本語ー能ポ"},
      {L"\uFF76\uFF9E", "\xB6\xDE"},                  // ｶﾞ
      {L"\uFF5E\uFF0D", "\x81\x60\x81\x7C"},          // ～－
      {L"", ""},
  };
  for (const auto& [w, s] : cases) {
    SCOPED_TRACE(Hex(s));
    std::string narrow = "junk";
    EXPECT_TRUE(sjis::FromUtf16(w, narrow));
    EXPECT_EQ(Hex(narrow), Hex(s));
    std::wstring wide = L"junk";
    EXPECT_TRUE(sjis::ToUtf16(s, wide));
    EXPECT_EQ(wide, w);
  }
}

TEST(SjisStrict, ToWideRefusesBytesThatAreNotCp932) {
  for (std::string_view s : {"\x81"sv, "a\x83"sv, "\x81\x7F"sv}) {
    std::wstring out = L"junk";
    EXPECT_FALSE(sjis::ToUtf16(s, out)) << Hex(s);
    EXPECT_TRUE(out.empty());
  }
}

TEST(SjisLenient, NarrowNeverBestFits) {
  EXPECT_EQ(sjis::FromUtf16Lenient(L"caf\u00E9"), "caf?");
  EXPECT_EQ(sjis::FromUtf16Lenient(L"\u00A5"), "?");
  EXPECT_EQ(sjis::ToUtf16Lenient("ソ"), L"\u30BD");
}
