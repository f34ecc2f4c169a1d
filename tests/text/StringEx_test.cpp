#include "text/StringEx.h"

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/Oracles.h"
#include "text/TextTestUtil.h"
#include "text/sjis.h"

using namespace std::literals;

namespace {

struct Case {
  std::string_view in, out;
};

template <class Fn>
void ExpectOne(Fn fn, std::string_view in, std::string_view expected) {
  EXPECT_EQ(Hex(fn(in)), Hex(expected)) << "input " << Hex(in);
}

template <class Fn, std::size_t N>
void ExpectAll(Fn fn, const Case (&cases)[N]) {
  for (const Case& c : cases) ExpectOne(fn, c.in, c.out);
}

const auto kTrim = [](auto t) { return TrimWide(t); };
const auto kFirst = [](auto t) { return CapitalizeFirst(t); };
const auto kWords = [](auto t) { return CapitalizeWords(t); };
const auto kKana = [](auto t) { return HalfKanaToWide(t); };

}  // namespace

TEST(TrimWide, RemovesBlanksAtBothEndsOnly) {
  const Case cases[] = {
      {"", ""},
      {" \t\x81\x40 \r\n", ""},          // ASCII, control and full-width blanks only
      {"　a b　", "a b"},
      {"a\t", "a"},
      {"a　b", "a　b"},
      {"  a  b  ", "a  b"},
      {"\x01x\x1F", "x"},
      {"\0a\0"sv, "a"},
      {"\x7F", "\x7F"},                  // DEL is no blank
      {" ｱ ", "ｱ"},
  };
  ExpectAll(kTrim, cases);
}

TEST(TrimWide, TrailBytesAreNotBlanks) {
  const Case cases[] = {
      {"a＝@", "a＝@"},   // 61 81 81 40: the 81 40 at the end is no full-width space
      {"＝@", "＝@"},
      {" ァ ", "ァ"},      // 83 40
      {"　ソ　", "ソ"},
  };
  ExpectAll(kTrim, cases);
}

TEST(CapitalizeFirst, UpperCasesTheFirstCharacterAndLowerCasesTheRest) {
  const Case cases[] = {
      {"", ""},
      {"hELLO wORLD", "Hello world"},
      {"x", "X"},
      {" aBC", " abc"},
      {"ａＢＣ", "\x82\x60\x82\x82\x82\x83"},  // Ａｂｃ
      {"αΒΓ", "Αβγ"},
      {"ソA", "ソa"},
      {"アAB", "アab"},   // 83 41 stays: its trail byte is no "A"
      {"ヂ", "ヂ"},        // 83 61 stays: its trail byte is no "a"
      {"ｱBC", "ｱbc"},
      {"1ST", "1st"},
  };
  ExpectAll(kFirst, cases);
}

TEST(CapitalizeWords, StartsAWordOnlyAfterAnAsciiOrFullWidthSpace) {
  const Case cases[] = {
      {"", ""},
      {"hELLO wORLD", "Hello World"},
      {"a　b", "A　B"},
      {"my_file-name.old", "My_file-name.old"},
      {"a   bC", "A   Bc"},
      {"ａ　ｂ ｃ", "Ａ　Ｂ Ｃ"},
      {" x", " X"},
      {"x ", "X "},
      {"a\tb", "A\tb"},
      {"a(b) [c]", "A(b) [c]"},
      {"ﾊ aB", "ﾊ Ab"},
      {"a ア", "A ア"},    // capitalised ア is still 83 41
      {"A ヂ", "A ヂ"},    // 83 61 does not turn into ア
      {"a ソx", "A ソx"},
      {"αB γΔ", "Αb Γδ"},
  };
  ExpectAll(kWords, cases);
}

TEST(CapitalizeWords, AFullWidthSpaceIsAWholeCharacterNotTwoBytes) {
  const Case cases[] = {
      {"A＝@x", "A＝@x"},   // 81 81 40 78: the bytes 81 40 are no full-width space here
      {"Aァx", "Aァx"},     // 83 40
  };
  ExpectAll(kWords, cases);
}

TEST(CapitalizationOfInvalidBytes, NothingIsLost) {
  // Names are always valid CP932; a stray byte must still come back, not vanish.
  EXPECT_EQ(Hex(CapitalizeFirst("ab\x81"sv)), Hex("Ab\x81"));
  EXPECT_EQ(Hex(CapitalizeWords("\x81"sv)), Hex("\x81"));
  EXPECT_EQ(Hex(TrimWide(" \x81"sv)), Hex("\x81"));
}

struct WidthCase {
  WidthFlags flags;
  std::string_view in, out;
};

void ExpectWidth(const WidthCase& c) {
  SCOPED_TRACE("flags " + std::to_string(c.flags));
  ExpectOne([&](std::string_view t) { return ConvertWidth(t, c.flags); }, c.in, c.out);
}

TEST(ConvertWidth, EachPairOfBitsConvertsItsClass) {
  const WidthCase cases[] = {
      {0x0000, "ＡＢ１２ （x）　＃ｶﾞ", "ＡＢ１２ （x）　＃ｶﾞ"},
      {0x0000, "", ""},
      {0x0001, "　＿ _", " _ _"},
      {0x0002, " _　＿", "　＿　＿"},
      {0x0004, "ＡＢ１２", "ＡＢ12"},
      {0x0004, "\x82\x4F\x82\x58", "09"},           // ０９
      {0x0008, "/09:", "/\x82\x4F\x82\x58:"},
      {0x0044, "ＡＢ１２", "AB12"},
      {0x0040, "ＡＺａｚ", "AZaz"},
      {0x0080, "Abc", "\x82\x60\x82\x82\x82\x83"},  // Ａｂｃ
      {0x0080, "AZaz@[`{", "ＡＺａｚ@[`{"},
      {0x0010, "（）〔〕［］｛｝", "()[][]{}"},
      {0x0010, "〔x〕", "[x]"},
      {0x0020, "()[]{}", "（）［］｛｝"},
      {0x0020, "[x]", "\x81\x6Dx\x81\x6E"},          // ［x］, never 〔x〕
      {0x0010, "「」【】＜＞", "「」【】＜＞"},
      {0x0020, "<>", "<>"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, SymbolTableBothWays) {
  const WidthCase cases[] = {
      {0x0100, "＃♯", "＃#"},                   // 81 94 stays, 81 F2 becomes "#"
      {0x0100, "！＄％＆＋－＝＠＾～", "!$%&+-=@^~"},
      {0x0100, "\x81\x7C\x81\x60", "-~"},        // －～ as U+FF0D, U+FF5E
      {0x0200, "#!", "\x81\x94\x81\x49"},        // ＃！
      {0x0200, "!#$%&+-=@^~", "！＃＄％＆＋－＝＠＾～"},
      {0x0100, "＊：？＿", "＊：？＿"},          // no other symbol is converted
      {0x0200, "*:?_'\"`|", "*:?_'\"`|"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, BothBitsOfAPairRunHalfThenWide) {
  const WidthCase cases[] = {
      {0x000C, "1１", "１１"},
      {0x0003, " 　_＿", "　　＿＿"},
      {0x0030, "〔(］", "［（］"},
      {0x00C0, "Ａa", "Ａａ"},
      {0x0300, "♯#＃", "＃＃＃"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, OneDirectionOfEveryClassAtOnce) {
  const WidthCase cases[] = {
      {0x0155, "　＿０９（〕ＡｚＺ！＠♯", " _09(]AzZ!@#"},
      {0x02AA, " _09([Aza!@#", "　＿０９（［Ａｚａ！＠＃"},
      {0x03FF, "ｶﾞ漢字かなカナΑ", "ｶﾞ漢字かなカナΑ"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, BitsTenToFifteenAreIgnored) {
  const std::string_view in = "ＡＢ１２ (x)#　ｱ";
  EXPECT_EQ(ConvertWidth(in, 0xFC00), in);
  for (WidthFlags bit = 1; bit <= 0x0200; bit <<= 1) {
    SCOPED_TRACE(bit);
    EXPECT_EQ(Hex(ConvertWidth(in, static_cast<WidthFlags>(bit | 0xFC00))), Hex(ConvertWidth(in, bit)));
  }
}

// Double-byte characters whose trail byte looks like a character some bit converts.
TEST(ConvertWidth, TrailBytesAreNeverConverted) {
  const std::string_view traps =
      "ダ"   // 83 5F "_"
      "ー"   // 81 5B "["
      "ゾ"   // 83 5D "]"
      "マ"   // 83 7D "}"
      "ァ"   // 83 40 "@"
      "タ"   // 83 5E "^"
      "ミ"   // 83 7E "~"
      "ア"   // 83 41 "A"
      "ヂ"   // 83 61 "a"
      "ソ"   // 83 5C
      "オ"   // 83 49: trail of "！" under another lead byte
      "グ"   // 83 4F: trail of "０"
      "チ"   // 83 60: trail of "Ａ", "～"
      "ボ"   // 83 7B: trail of "＋"
      "ポ";  // 83 7C: trail of "－"
  for (WidthFlags flags : {0x02AA, 0x0155, 0x03FF}) {
    ExpectWidth({flags, traps, traps});
  }
}

TEST(ConvertWidth, LeadByteAtTheEndPassesThrough) {
  EXPECT_EQ(Hex(ConvertWidth("A\x82"sv, 0x03FF)), Hex("Ａ\x82"));
  EXPECT_EQ(Hex(ConvertWidth("\x81"sv, 0x0155)), Hex("\x81"));
}

TEST(HalfKanaToWide, EveryHalfWidthCharacter) {
  const Case cases[] = {
      {"｡｢｣､･", "\x81\x42\x81\x75\x81\x76\x81\x41\x81\x45"},  // 。「」、・
      {"ｦｧｨｩｪｫｬｭｮｯｰ", "ヲァィゥェォャュョッー"},
      {"ｱｲｳｴｵ", "アイウエオ"},
      {"ｶｷｸｹｺｻｼｽｾｿﾀﾁ", "カキクケコサシスセソタチ"},
      {"ﾂﾃﾄ", "ツテト"},
      {"ﾅﾆﾇﾈﾉ", "ナニヌネノ"},
      {"ﾊﾋﾌﾍﾎ", "ハヒフヘホ"},
      {"ﾏﾐﾑﾒﾓ", "マミムメモ"},  // ﾑ 83 80: the trail byte 7F is skipped
      {"ﾔﾕﾖ", "ヤユヨ"},
      {"ﾗﾘﾙﾚﾛﾜﾝ", "ラリルレロワン"},
      {"ﾞﾟ", ""},
  };
  ExpectAll(kKana, cases);
  EXPECT_EQ(Hex(HalfKanaToWide("\xB6\xDE\xD1\xCA\xDF"sv)), Hex("\x83\x4B\x83\x80\x83\x70"));  // ガムパ
}

TEST(HalfKanaToWide, VoicedAndSemiVoicedMarksFoldIntoTheCharacter) {
  const Case cases[] = {
      {"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞ", "ガギグゲゴザジズゼゾダヂ"},
      {"ﾂﾞﾃﾞﾄﾞ", "ヅデド"},
      {"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", "バビブベボ"},
      {"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "パピプペポ"},
      {"ｶﾞｲﾄﾞ", "ガイド"},
      {"ﾊﾟﾝ", "パン"},
      {"ﾊﾞﾝ", "バン"},
      {"ｶ", "カ"},        // no mark after the last character
      {"ﾊﾞﾞ", "バ"},      // the second mark just vanishes
      {"ﾊﾞﾟ", "バ"},
  };
  ExpectAll(kKana, cases);
}

TEST(HalfKanaToWide, MarksThatNoCharacterTakesVanish) {
  const Case cases[] = {
      {"ﾞｱ", "ア"},
      {"aﾞ", "a"},
      {"aﾟb", "ab"},
      {"ｳﾞｧ", "ウァ"},      // never ヴ
      {"ﾏﾞｱﾟｰﾞﾝﾟ", "マアーン"},
      {"｢ｱｲ｣", "「アイ」"},
      // ｶ to ﾄ have no semi-voiced forms: they stay plain and the mark goes.
      {"ｶﾟﾁﾟﾂﾟﾄﾟ", "カチツト"},
  };
  ExpectAll(kKana, cases);
}

TEST(HalfKanaToWide, OnlySingleByteCharactersAreConverted) {
  const Case cases[] = {
      {"萎衣", "萎衣"},    // 88 DE, 88 DF: trail bytes that look like the marks
      {"Γ", "Γ"},          // 83 A1: a trail byte that looks like ｡
      {"ｶ萎", "カ萎"},
      {"萎ｶﾞ", "萎ガ"},
      {"abc カナ漢字ＡＢ", "abc カナ漢字ＡＢ"},
      {"", ""},
  };
  ExpectAll(kKana, cases);
  EXPECT_EQ(Hex(HalfKanaToWide("ｶ\x88"sv)), Hex("カ\x88"));  // lead byte cut off at the end
}

namespace {

// Every one- and two-byte code, valid or not, a lead byte alone among them.
std::vector<std::string> AllCodes() {
  std::vector<std::string> codes;
  for (unsigned b = 0; b < 0x100; ++b) codes.emplace_back(1, static_cast<char>(b));
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!sjis::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0; trail < 0x100; ++trail) codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }
  return codes;
}

// Longer than the buffer on the stack the conversions write names into.
std::string Repeated(std::string_view piece) {
  std::string s;
  while (s.size() < 2000) s += piece;
  return s;
}

}  // namespace

// The width rule's table against the two conversions it stands for, for every code alone and
// before each mark, and for a long text.
TEST(WidthConverter, GivesConvertWidthThenHalfKanaToWide) {
  std::vector<std::string> texts = {Repeated("ｶﾞA１ (x)＃ﾊﾟ　ＡＢｃ漢字_＿ﾞ")};
  for (const std::string& code : AllCodes()) {
    for (const char* mark : {"", "\xDE", "\xDF"}) texts.push_back(code + mark);
  }
  for (WidthFlags flags : {0x0000, 0x0155, 0x02AA, 0x03FF, 0xFC00}) {
    for (bool kana : {false, true}) {
      SCOPED_TRACE("flags " + std::to_string(flags) + (kana ? " kana" : ""));
      const WidthConverter converter(flags, kana);
      int mismatches = 0;
      std::string out = "stale";
      for (const std::string& s : texts) {
        converter.Convert(s, out);
        std::string expected = ConvertWidth(std::string_view(s), flags);
        if (kana) expected = HalfKanaToWide(std::string_view(expected));
        if (out != expected && ++mismatches <= 5) ADD_FAILURE() << Hex(s) << ": " << Hex(out);
      }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

// Capitalisation looks each character up in the case tables; it must give what the whole-text
// mappings give, for every code (a lone lead byte only at the end) and for a long text.
TEST(CapitalizeWords, EachCharacterAsTheCaseMappingsGiveIt) {
  int mismatches = 0;
  for (const std::string& c : AllCodes()) {
    if (c.size() == 1 && sjis::IsLeadByte(static_cast<unsigned char>(c[0]))) continue;
    if (c == " " || c == "\x81\x40") continue;  // a space would start the word after it
    const std::string s = c + " " + c + c + "\x81\x40" + c;
    const std::string lower = sjis::Lower(c);
    const std::string words = sjis::Upper(c) + " " + sjis::Upper(lower) + lower + "\x81\x40" + sjis::Upper(lower);
    const std::string first = sjis::Upper(c) + sjis::Lower(s.substr(c.size()));
    if ((CapitalizeWords(std::string_view(s)) != words || CapitalizeFirst(std::string_view(s)) != first) &&
        ++mismatches <= 5) {
      ADD_FAILURE() << Hex(s) << ": " << Hex(CapitalizeWords(std::string_view(s)));
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(CapitalizeWords(std::string_view(Repeated("aB ｃＤ　"))), Repeated("Ab Ｃｄ　"));
  std::string first = sjis::Lower(Repeated("aB ｃＤ　"));
  first[0] = 'A';
  EXPECT_EQ(CapitalizeFirst(std::string_view(Repeated("aB ｃＤ　"))), first);
}
