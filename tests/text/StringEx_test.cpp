#include "text/StringEx.h"

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/Oracles.h"
#include "text/TextTestUtil.h"
#include "text/utf16.h"

using namespace std::literals;

namespace {

struct Case {
  std::wstring_view in, out;
};

template <class Fn>
void ExpectOne(Fn fn, std::wstring_view in, std::wstring_view expected) {
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
      {L"", L""},
      {L" \t\u3000 \r\n", L""},          // ASCII, control and full-width blanks only
      {L"　a b　", L"a b"},
      {L"a\t", L"a"},
      {L"a　b", L"a　b"},
      {L"  a  b  ", L"a  b"},
      {L"\x01x\x1F", L"x"},
      {L"\0a\0"sv, L"a"},
      {L"\x7F", L"\x7F"},                  // DEL is no blank
      {L" ｱ ", L"ｱ"},
  };
  ExpectAll(kTrim, cases);
}

TEST(TrimWide, OnlyBlanksGoAndNoPairIsSplit) {
  const Case cases[] = {
      {L"a＝@", L"a＝@"},
      {L" ァ ", L"ァ"},
      {L"\u3000\U0001F600\u3000", L"\U0001F600"},
      {L" \xD83D ", L"\xD83D"},     // a lone surrogate is a character of its own
      {L"\u2003x\u00A0", L"\u2003x\u00A0"},  // no other blank of Unicode counts
  };
  ExpectAll(kTrim, cases);
}

TEST(CapitalizeFirst, UpperCasesTheFirstCharacterAndLowerCasesTheRest) {
  const Case cases[] = {
      {L"", L""},
      {L"hELLO wORLD", L"Hello world"},
      {L"x", L"X"},
      {L" aBC", L" abc"},
      {L"ａＢＣ", L"Ａｂｃ"},
      {L"αΒΓ", L"Αβγ"},
      {L"ソA", L"ソa"},
      {L"アAB", L"アab"},
      {L"ヂ", L"ヂ"},
      {L"ｱBC", L"ｱbc"},
      {L"1ST", L"1st"},
  };
  ExpectAll(kFirst, cases);
}

TEST(CapitalizeWords, StartsAWordOnlyAfterAnAsciiOrFullWidthSpace) {
  const Case cases[] = {
      {L"", L""},
      {L"hELLO wORLD", L"Hello World"},
      {L"a　b", L"A　B"},
      {L"my_file-name.old", L"My_file-name.old"},
      {L"a   bC", L"A   Bc"},
      {L"ａ　ｂ ｃ", L"Ａ　Ｂ Ｃ"},
      {L" x", L" X"},
      {L"x ", L"X "},
      {L"a\tb", L"A\tb"},
      {L"a(b) [c]", L"A(b) [c]"},
      {L"ﾊ aB", L"ﾊ Ab"},
      {L"a ア", L"A ア"},
      {L"A ヂ", L"A ヂ"},
      {L"a ソx", L"A ソx"},
      {L"αB γΔ", L"Αb Γδ"},
  };
  ExpectAll(kWords, cases);
}

struct WidthCase {
  WidthFlags flags;
  std::wstring_view in, out;
};

void ExpectWidth(const WidthCase& c) {
  SCOPED_TRACE("flags " + std::to_string(c.flags));
  ExpectOne([&](std::wstring_view t) { return ConvertWidth(t, c.flags); }, c.in, c.out);
}

TEST(ConvertWidth, EachPairOfBitsConvertsItsClass) {
  const WidthCase cases[] = {
      {0x0000, L"ＡＢ１２ （x）　＃ｶﾞ", L"ＡＢ１２ （x）　＃ｶﾞ"},
      {0x0000, L"", L""},
      {0x0001, L"　＿ _", L" _ _"},
      {0x0002, L" _　＿", L"　＿　＿"},
      {0x0004, L"ＡＢ１２", L"ＡＢ12"},
      {0x0004, L"０９", L"09"},
      {0x0008, L"/09:", L"/０９:"},
      {0x0044, L"ＡＢ１２", L"AB12"},
      {0x0040, L"ＡＺａｚ", L"AZaz"},
      {0x0080, L"Abc", L"Ａｂｃ"},
      {0x0080, L"AZaz@[`{", L"ＡＺａｚ@[`{"},
      {0x0010, L"（）〔〕［］｛｝", L"()[][]{}"},
      {0x0010, L"〔x〕", L"[x]"},
      {0x0020, L"()[]{}", L"（）［］｛｝"},
      {0x0020, L"[x]", L"［x］"},  // never 〔x〕
      {0x0010, L"「」【】＜＞", L"「」【】＜＞"},
      {0x0020, L"<>", L"<>"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, SymbolTableBothWays) {
  const WidthCase cases[] = {
      {0x0100, L"＃♯", L"＃#"},  // "＃" stays, "♯" becomes "#"
      {0x0100, L"！＄％＆＋－＝＠＾～", L"!$%&+-=@^~"},
      {0x0100, L"\uFF0D\uFF5E\u301C\u2212", L"-~\u301C\u2212"},  // look-alikes without a Shift_JIS form stay
      {0x0200, L"#!", L"＃！"},
      {0x0200, L"!#$%&+-=@^~", L"！＃＄％＆＋－＝＠＾～"},
      {0x0100, L"＊：？＿", L"＊：？＿"},          // no other symbol is converted
      {0x0200, L"*:?_'\"`|", L"*:?_'\"`|"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, BothBitsOfAPairRunHalfThenWide) {
  const WidthCase cases[] = {
      {0x000C, L"1１", L"１１"},
      {0x0003, L" 　_＿", L"　　＿＿"},
      {0x0030, L"〔(］", L"［（］"},
      {0x00C0, L"Ａa", L"Ａａ"},
      {0x0300, L"♯#＃", L"＃＃＃"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, OneDirectionOfEveryClassAtOnce) {
  const WidthCase cases[] = {
      {0x0155, L"　＿０９（〕ＡｚＺ！＠♯", L" _09(]AzZ!@#"},
      {0x02AA, L" _09([Aza!@#", L"　＿０９（［Ａｚａ！＠＃"},
      {0x03FF, L"ｶﾞ漢字かなカナΑ", L"ｶﾞ漢字かなカナΑ"},
  };
  for (const WidthCase& c : cases) ExpectWidth(c);
}

TEST(ConvertWidth, BitsTenToFifteenAreIgnored) {
  const std::wstring_view in = L"ＡＢ１２ (x)#　ｱ";
  EXPECT_EQ(ConvertWidth(in, 0xFC00), in);
  for (WidthFlags bit = 1; bit <= 0x0200; bit <<= 1) {
    SCOPED_TRACE(bit);
    EXPECT_EQ(Hex(ConvertWidth(in, static_cast<WidthFlags>(bit | 0xFC00))), Hex(ConvertWidth(in, bit)));
  }
}

TEST(HalfKanaToWide, EveryHalfWidthCharacter) {
  const Case cases[] = {
      {L"｡｢｣､･", L"。「」、・"},
      {L"ｦｧｨｩｪｫｬｭｮｯｰ", L"ヲァィゥェォャュョッー"},
      {L"ｱｲｳｴｵ", L"アイウエオ"},
      {L"ｶｷｸｹｺｻｼｽｾｿﾀﾁ", L"カキクケコサシスセソタチ"},
      {L"ﾂﾃﾄ", L"ツテト"},
      {L"ﾅﾆﾇﾈﾉ", L"ナニヌネノ"},
      {L"ﾊﾋﾌﾍﾎ", L"ハヒフヘホ"},
      {L"ﾏﾐﾑﾒﾓ", L"マミムメモ"},  // ム lies after the gap at 83 7F
      {L"ﾔﾕﾖ", L"ヤユヨ"},
      {L"ﾗﾘﾙﾚﾛﾜﾝ", L"ラリルレロワン"},
      {L"ﾞﾟ", L""},
  };
  ExpectAll(kKana, cases);
  EXPECT_EQ(Hex(HalfKanaToWide(L"ｶﾞﾑﾊﾟ"sv)), Hex(L"ガムパ"));
}

TEST(HalfKanaToWide, VoicedAndSemiVoicedMarksFoldIntoTheCharacter) {
  const Case cases[] = {
      {L"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞ", L"ガギグゲゴザジズゼゾダヂ"},
      {L"ﾂﾞﾃﾞﾄﾞ", L"ヅデド"},
      {L"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", L"バビブベボ"},
      {L"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", L"パピプペポ"},
      {L"ｶﾞｲﾄﾞ", L"ガイド"},
      {L"ﾊﾟﾝ", L"パン"},
      {L"ﾊﾞﾝ", L"バン"},
      {L"ｶ", L"カ"},        // no mark after the last character
      {L"ﾊﾞﾞ", L"バ"},      // the second mark just vanishes
      {L"ｼ\u3099", L"シ\u3099"},  // a combining mark is no half-width one
      {L"ﾊﾞﾟ", L"バ"},
  };
  ExpectAll(kKana, cases);
}

TEST(HalfKanaToWide, MarksThatNoCharacterTakesVanish) {
  const Case cases[] = {
      {L"ﾞｱ", L"ア"},
      {L"aﾞ", L"a"},
      {L"aﾟb", L"ab"},
      {L"ｳﾞｧ", L"ウァ"},      // never ヴ
      {L"ﾏﾞｱﾟｰﾞﾝﾟ", L"マアーン"},
      {L"｢ｱｲ｣", L"「アイ」"},
      // ｶ to ﾄ have no semi-voiced forms: they stay plain and the mark goes.
      {L"ｶﾟﾁﾟﾂﾟﾄﾟ", L"カチツト"},
  };
  ExpectAll(kKana, cases);
}

TEST(HalfKanaToWide, OnlyHalfWidthKanaAreConverted) {
  const Case cases[] = {
      {L"萎衣", L"萎衣"},
      {L"Γ", L"Γ"},
      {L"ｶ萎", L"カ萎"},
      {L"萎ｶﾞ", L"萎ガ"},
      {L"abc カナ漢字ＡＢ", L"abc カナ漢字ＡＢ"},
      {L"", L""},
  };
  ExpectAll(kKana, cases);
}

namespace {

// Every UTF-16 unit but the surrogates, and a few pairs.
std::vector<std::wstring> AllUnits() {
  std::vector<std::wstring> units;
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (!utf16::IsHighSurrogate(static_cast<wchar_t>(c)) && !utf16::IsLowSurrogate(static_cast<wchar_t>(c))) {
      units.emplace_back(1, static_cast<wchar_t>(c));
    }
  }
  for (const wchar_t* pair : {L"\U0001F600", L"\U00020BB7", L"\U00010400", L"\U0001D400"}) units.emplace_back(pair);
  return units;
}

std::wstring Repeated(std::wstring_view piece) {
  std::wstring s;
  while (s.size() < 2000) s += piece;
  return s;
}

}  // namespace

// The width rule's table against the two conversions it stands for, for every unit alone and
// before each mark, and for a long text.
TEST(WidthConverter, GivesConvertWidthThenHalfKanaToWide) {
  std::vector<std::wstring> texts = {Repeated(L"ｶﾞA１ (x)＃ﾊﾟ　ＡＢｃ漢字_＿ﾞ")};
  for (const std::wstring& code : AllUnits()) {
    for (const wchar_t* mark : {L"", L"ﾞ", L"ﾟ"}) texts.push_back(code + mark);
  }
  for (WidthFlags flags : {0x0000, 0x0155, 0x02AA, 0x03FF, 0xFC00}) {
    for (bool kana : {false, true}) {
      SCOPED_TRACE("flags " + std::to_string(flags) + (kana ? " kana" : ""));
      const WidthConverter converter(flags, kana);
      int mismatches = 0;
      std::wstring out = L"stale";
      for (const std::wstring& s : texts) {
        converter.Convert(s, out);
        std::wstring expected = ConvertWidth(s, flags);
        if (kana) expected = HalfKanaToWide(expected);
        if (out != expected && ++mismatches <= 5) ADD_FAILURE() << Hex(s) << ": " << Hex(out);
      }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

TEST(ConvertWidth, CharactersOutsideTheClassesStay) {
  const std::wstring_view in = L"한국어\u301C\u2014\u2019é\U0001F600\xD83D";
  for (WidthFlags flags : {0x0155, 0x02AA}) {
    std::wstring out;
    WidthConverter(flags, true).Convert(in, out);
    EXPECT_EQ(Hex(out), Hex(in)) << flags;
  }
}

// Capitalisation against the case mappings of whole texts, for every unit and a few pairs.
TEST(CapitalizeWords, EachCharacterAsTheCaseMappingsGiveIt) {
  int mismatches = 0;
  for (const std::wstring& c : AllUnits()) {
    if (c == L" " || c == L"\u3000") continue;  // a space would start the word after it
    const std::wstring s = c + L" " + c + c + L"\u3000" + c;
    const std::wstring lower = utf16::Lower(c);
    const std::wstring words = utf16::Upper(c) + L" " + utf16::Upper(lower) + lower + L"\u3000" + utf16::Upper(lower);
    const std::wstring first = utf16::Upper(c) + utf16::Lower(s.substr(c.size()));
    if ((CapitalizeWords(s) != words || CapitalizeFirst(s) != first) && ++mismatches <= 5) {
      ADD_FAILURE() << Hex(s) << ": " << Hex(CapitalizeWords(s));
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(CapitalizeWords(Repeated(L"aB ｃＤ　")), Repeated(L"Ab Ｃｄ　"));
}

TEST(CapitalizeWords, LettersBeyondShiftJisAndPairsStayWhole) {
  const Case cases[] = {
      {L"éCOLE ßA", L"École ßa"},
      {L"\U0001F600a b", L"\U0001F600a B"},
      {L"a \U0001F600B", L"A \U0001F600b"},
  };
  ExpectAll(kWords, cases);
  EXPECT_EQ(Hex(CapitalizeFirst(L"\U0001F600AB"sv)), Hex(L"\U0001F600ab"sv));
}
