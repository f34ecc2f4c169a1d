#include "text/sjis.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/Oracles.h"
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

TEST(SjisPath, SplitsIntoFolderNameAndExtension) {
  const PathCase cases[] = {
      {"C:\\Photos\\a.jpg", "C:\\Photos\\", "a.jpg", ".jpg", "a", "C:\\Photos\\a"},
      {"C:\\d\\.txt", "C:\\d\\", ".txt", ".txt", "", "C:\\d\\"},
      {"C:\\d\\a.b.c", "C:\\d\\", "a.b.c", ".c", "a.b", "C:\\d\\a.b"},
      {"C:\\d\\noext", "C:\\d\\", "noext", "", "noext", "C:\\d\\noext"},
      {"C:\\d\\a.", "C:\\d\\", "a.", ".", "a", "C:\\d\\a"},
      {"C:\\my.dir\\file", "C:\\my.dir\\", "file", "", "file", "C:\\my.dir\\file"},
      {"C:\\my.dir\\f.txt", "C:\\my.dir\\", "f.txt", ".txt", "f", "C:\\my.dir\\f"},
      {"C:file.txt", "C:", "file.txt", ".txt", "file", "C:file"},
      {"plain.txt", "", "plain.txt", ".txt", "plain", "plain"},
      {"", "", "", "", "", ""},
      // 5C as a trail byte is no delimiter, in the folder or in the file name.
      {"C:\\ソ\\表.txt", "C:\\ソ\\", "表.txt", ".txt", "表", "C:\\ソ\\表"},
      {"C:\\能\\ソ", "C:\\能\\", "ソ", "", "ソ", "C:\\能\\ソ"},
      {"C:\\d\\ポー表", "C:\\d\\", "ポー表", "", "ポー表", "C:\\d\\ポー表"},
      {"C:\\表.d\\能", "C:\\表.d\\", "能", "", "能", "C:\\表.d\\能"},
      {"表\\ソ.ソ", "表\\", "ソ.ソ", ".ソ", "ソ", "表\\ソ"},
      {"\x83\x5C\x83\x5C", "", "\x83\x5C\x83\x5C", "", "\x83\x5C\x83\x5C",
       "\x83\x5C\x83\x5C"},
      // In invalid text a lead byte takes a ":" or "." as its trail: the parts agree on it.
      {"a\x8D:b.c", "", "a\x8D:b.c", ".c", "a\x8D:b", "a\x8D:b"},
      {"x.y\x83.txt", "", "x.y\x83.txt", ".y\x83.txt", "x", "x"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(Hex(c.path));
    EXPECT_EQ(Hex(sjis::FolderPart(c.path)), Hex(c.folder));
    EXPECT_EQ(Hex(sjis::FileName(c.path)), Hex(c.fileName));
    EXPECT_EQ(Hex(sjis::Extension(c.path)), Hex(c.extension));
    EXPECT_EQ(Hex(sjis::BaseName(c.path)), Hex(c.baseName));
    EXPECT_EQ(Hex(sjis::StripExtension(c.path)), Hex(c.stripped));
    EXPECT_EQ(sjis::FileNameStart(c.path), c.folder.size());
  }
}

TEST(SjisPath, LeadByteAtTheEndCountsAsOneCharacter) {
  EXPECT_EQ(sjis::NextChar("a\x83"sv, 1), 2u);
  EXPECT_EQ(sjis::NextChar("\x83"sv, 0), 1u);
  EXPECT_EQ(sjis::NextChar(""sv, 0), 0u);
  EXPECT_EQ(Hex(sjis::FileName("d\\a\x83"sv)), Hex("a\x83"));
}

struct FindCase {
  std::string_view text, pattern;
  std::size_t from, expected;
};

TEST(SjisFind, MatchesOnlyWhereACharacterBegins) {
  const FindCase cases[] = {
      {"アA", "A", 0, 2},            // 83 41 41: not at the trail byte 41
      {"ア", "A", 0, sjis::npos},
      {"ー1]", "[", 0, sjis::npos},  // 81 5B 31 5D
      {"ー1]", "]", 0, 3},
      {"ー[", "[", 0, 2},
      {"ソ\\", "\\", 0, 2},
      {"表示", "\\", 0, sjis::npos},
      {"ポ|", "|", 0, 2},
      {"\x83\x41\x83\x41", "\x41\x83", 0, sjis::npos},  // would straddle two characters
      {"\x83\x83" "A", "\x83", 0, sjis::npos},  // would take half of ャ
      {"a\x83", "\x83", 0, 1},                     // a lone lead byte where the text has one
      {"abcabc", "bc", 0, 1},
      {"abcabc", "bc", 2, 4},
      {"abc", "abcd", 0, sjis::npos},
      {"abc", "", 0, sjis::npos},
      {"", "a", 0, sjis::npos},
      {"", "", 0, sjis::npos},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(Hex(c.text) + " / " + Hex(c.pattern));
    EXPECT_EQ(sjis::Find(c.text, c.pattern, c.from), c.expected);
  }
  EXPECT_FALSE(sjis::Contains("ソ", "\\"));
  EXPECT_TRUE(sjis::Contains("aソ\\", "\\"));
}

TEST(SjisAsciiLower, LowersSingleByteLettersAndNeverATrailByte) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"ABC xyz", "abc xyz"},
      {"@AZ[", "@az["},
      {"アイコン.DB", "アイコン.db"},  // trail bytes 41, 43, 52 stay
      {"Ａａ", "Ａａ"},                // full-width letters stay
      {"ｱﾞ", "ｱﾞ"},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(Hex(in));
    EXPECT_EQ(Hex(sjis::AsciiLower(in)), Hex(out));
  }
  EXPECT_TRUE(sjis::EqualsIgnoringAsciiCase("アイコン.Db", "アイコン.dB"));
  EXPECT_FALSE(sjis::EqualsIgnoringAsciiCase("アイコン.db", "ヂツコン.db"));  // 83 41 vs 83 61
}

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

TEST(SjisCase, UpperAndLowerFollowTheLocaleNotTheBytes) {
  struct Case {
    std::string_view in, upper, lower;
  };
  const Case cases[] = {
      {"abC", "ABC", "abc"},
      {"ａ", "\x82\x60", "\x82\x81"},  // ａ → Ａ
      {"Ａ", "Ａ", "ａ"},
      {"ソ", "ソ", "ソ"},
      {"ア", "ア", "ア"},              // 83 41 stays: not an ASCII "A"
      {"ヂ", "ヂ", "ヂ"},              // 83 61 stays: not an ASCII "a"
      {"ｱﾞa", "ｱﾞA", "ｱﾞa"},
      {"αΩ", "ΑΩ", "αω"},
      {"", "", ""},
      // A lone lead byte stays, and the rest is still mapped, as the A functions do.
      {"a\x82", "A\x82", "a\x82"},
      {"Xy\x84\x61Z", "XY\x84\x61Z", "xy\x84\x61z"},  // an unassigned pair is kept, not made "・"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.in));
    EXPECT_EQ(Hex(sjis::Upper(c.in)), Hex(c.upper));
    EXPECT_EQ(Hex(sjis::Lower(c.in)), Hex(c.lower));
  }
}

// Every character of CP932, each as its own string.
static std::vector<std::string> AllCp932Characters() {
  std::vector<std::string> chars;
  std::wstring w;
  for (unsigned b = 0x01; b <= 0xDF; ++b) {
    if (sjis::IsLeadByte(static_cast<unsigned char>(b))) continue;
    std::string s(1, static_cast<char>(b));
    if (sjis::ToUtf16(s, w)) chars.push_back(s);
  }
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      std::string s{static_cast<char>(lead), static_cast<char>(trail)};
      if (sjis::ToUtf16(s, w)) chars.push_back(s);
    }
  }
  return chars;
}

// The capitalisation code maps many characters in one call and takes them apart again;
// that is sound only if the mapping of a string is the mapping of each of its characters.
TEST(SjisCase, MappingAStringMapsEachCharacterOnItsOwn) {
  const std::vector<std::string> chars = AllCp932Characters();
  ASSERT_GT(chars.size(), 7000u);
  std::string all, upperEach, lowerEach;
  for (const std::string& c : chars) {
    all += c;
    upperEach += sjis::Upper(c);
    lowerEach += sjis::Lower(c);
  }
  EXPECT_EQ(sjis::Upper(all), upperEach);
  EXPECT_EQ(sjis::Lower(all), lowerEach);
}

// The case tables must give what the platform gives for every one- and two-byte code, valid
// or not, on its own and inside a text (where one that can't be mapped keeps the whole text).
TEST(SjisCase, TablesGiveWhatThePlatformGives) {
  std::vector<std::string> codes;
  for (unsigned b = 0; b < 0x100; ++b) codes.emplace_back(1, static_cast<char>(b));
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0; trail < 0x100; ++trail) {
      codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  int mismatches = 0;
  for (const std::string& c : codes) {
    for (const std::string& s : {c, "a" + c + "\x82\x81z"}) {
      std::string upper = sjis::Upper(s), lower = sjis::Lower(s);
      if (upper == oracle::PlatformUpper(s) && lower == oracle::PlatformLower(s)) continue;
      if (++mismatches <= 10) ADD_FAILURE() << Hex(s) << ": " << Hex(upper) << " / " << Hex(lower);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(Sjis, JoinPathAddsOneDelimiterAndTheFolderShownDropsIt) {
  struct Case {
    const char* folder;
    const char* joined;
    const char* shown;
  };
  const Case cases[] = {
      {"C:\\Photos", "C:\\Photos\\a.jpg", "C:\\Photos"},
      {"C:\\Photos\\", "C:\\Photos\\a.jpg", "C:\\Photos"},
      {"C:\\", "C:\\a.jpg", "C:\\"},
      {"C:\\\x83\x5C", "C:\\\x83\x5C\\a.jpg", "C:\\\x83\x5C"},  // ソ ends in the byte 5C, which is no delimiter
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sjis::JoinPath(c.folder, "a.jpg"), c.joined) << c.folder;
    EXPECT_EQ(sjis::WithoutFinalDelimiter(c.folder), c.shown) << c.folder;
  }
}
