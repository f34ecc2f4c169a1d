#include "rules/DatePattern.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "disk/DateLocale.h"

using rules::DateLocale;
using rules::DateTime;
using rules::EncodeDateTime;
using rules::RenderDatePattern;
using disk::CurrentDateLocale;

namespace {

struct Case {
  const wchar_t* pattern;
  std::wstring expected;
};

// Wednesday 7 May 2003, afternoon, with milliseconds.
const DateTime kWednesday = EncodeDateTime(2003, 5, 7, 13, 4, 5, 678);
// A morning with one-digit parts.
const DateTime kMorning = EncodeDateTime(2003, 5, 7, 9, 4, 5, 7);

// The built-in Japanese table, with month names that tell the two forms apart.
DateLocale TestLocale() {
  DateLocale locale;
  locale.shortMonthNames[4] = L"May";
  locale.monthNames[4] = L"MayFull";
  return locale;
}

void ExpectAll(DateTime value, const DateLocale& locale, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(RenderDatePattern(c.pattern, value, locale), c.expected) << "pattern " << c.pattern;
  }
}

TEST(RenderDatePattern, EverySpecifierInBothCases) {
  ExpectAll(kWednesday, TestLocale(),
            {{L"d", L"7"}, {L"dd", L"07"}, {L"ddd", L"水"}, {L"dddd", L"水曜日"},
             {L"ddddd", L"2003/05/07"}, {L"dddddd", L"2003年5月7日"}, {L"ddddddd", L"2003年5月7日"},
             {L"e", L"15"}, {L"ee", L"15"}, {L"g", L"平"}, {L"gg", L"平成"},
             {L"m", L"5"}, {L"mm", L"05"}, {L"mmm", L"May"}, {L"mmmm", L"MayFull"}, {L"mmmmm", L"MayFull"},
             {L"y", L"03"}, {L"yy", L"03"}, {L"yyy", L"2003"}, {L"yyyy", L"2003"},
             {L"h", L"13"}, {L"hh", L"13"}, {L"n", L"4"}, {L"nn", L"04"}, {L"s", L"5"}, {L"ss", L"05"},
             {L"z", L"678"}, {L"zzz", L"678"},
             {L"t", L"13:04"}, {L"tt", L"13:04:05"}, {L"c", L"2003/05/07 13:04:05"},
             {L"YYYY/MM/DD HH:NN:SS", L"2003/05/07 13:04:05"}, {L"Dddd", L"水曜日"},
             {L"xyzq", L"x03678q"}});
  ExpectAll(kMorning, TestLocale(),
            {{L"h", L"9"}, {L"hh", L"09"}, {L"z", L"7"}, {L"zz", L"007"}, {L"zzz", L"007"}, {L"e", L"15"}});
  ExpectAll(EncodeDateTime(2003, 5, 7), TestLocale(), {{L"c", L"2003/05/07"}, {L"", L"2003/05/07"}});
  EXPECT_EQ(RenderDatePattern(L"", kWednesday, TestLocale()), L"2003/05/07 13:04:05");
}

TEST(RenderDatePattern, MinuteAfterHour) {
  ExpectAll(kWednesday, TestLocale(),
            {{L"hh:mm", L"13:04"}, {L"h\"時\"m\"分\"", L"13時4分"}, {L"mm hh", L"05 13"},
             {L"hh nn mm", L"13 04 05"}, {L"hh mmm", L"13 May"}});
}

TEST(RenderDatePattern, TwelveHourClock) {
  const DateLocale locale = TestLocale();
  ExpectAll(kWednesday, locale,
            {{L"h am/pm", L"1 pm"}, {L"h AM/PM", L"1 PM"}, {L"hh Am/pM", L"01 pM"}, {L"h a/p", L"1 p"},
             {L"h A/P", L"1 P"}, {L"h ampm", L"1 午後"}, {L"h\"時\"am/pm", L"1時pm"},
             {L"am/pm hh", L"pm 13"}, {L"hh hh am/pm", L"13 01 pm"}, {L"a", L"a"}});
  ExpectAll(kMorning, locale, {{L"hh am/pm", L"09 am"}, {L"h AMPM", L"9 午前"}});
  ExpectAll(EncodeDateTime(2003, 5, 7, 0, 30), locale, {{L"h:nn a/p", L"12:30 a"}});
  ExpectAll(EncodeDateTime(2003, 5, 7, 12, 0), locale, {{L"h:nn a/p", L"12:00 p"}});
}

TEST(RenderDatePattern, QuotedTexts) {
  ExpectAll(kWednesday, TestLocale(),
            {{L"'yy'\"dd\"", L"yydd"}, {L"\"it's\"", L"it's"}, {L"yy\"dd", L"03dd"}, {L"yy'h:mm", L"03h:mm"},
             {L"\"\"", L""}, {L"''", L""}});
}

TEST(RenderDatePattern, CharactersBeyondAsciiAreNoSpecifiers) {
  ExpectAll(kWednesday, TestLocale(),
            {{L"yyyy年", L"2003年"},
             {L"\U0001F600mm\U0001F600", L"\U0001F60005\U0001F600"},
             {L"ｈ\xD83D\x64", L"ｈ\xD83D\x37"}});
}

// No cut at a name's length any more (a long name is refused later); only a bound far above
// any name, which never splits a pair.
TEST(RenderDatePattern, LongRenderingsAreWholeUpToTheBound) {
  const std::wstring x300(300, L'x');
  EXPECT_EQ(RenderDatePattern(x300 + L"年y", 0, TestLocale()), x300 + L"年99");
  EXPECT_EQ(RenderDatePattern(std::wstring(1000, L'c'), 0, TestLocale()).size(), rules::kMaxDateText);
  const std::wstring x(rules::kMaxDateText - 1, L'x');
  EXPECT_EQ(RenderDatePattern(x + L"\U0001F600", 0, TestLocale()), x);
}

TEST(RenderDatePattern, DecodesValues) {
  const DateLocale locale = TestLocale();
  EXPECT_EQ(RenderDatePattern(L"yyyy/mm/dd hh:nn:ss zzz dddd", 0, locale), L"1899/12/30 00:00:00 000 土曜日");
  // Stored as a fraction of a day, a whole second must not come out one lower.
  const double day = EncodeDateTime(2003, 5, 7);
  for (int s = 0; s < 86400; s += 7) {
    const std::wstring expected = std::to_wstring(s / 3600 + 100).substr(1) + L":" +
                                 std::to_wstring(s / 60 % 60 + 100).substr(1) + L":" +
                                 std::to_wstring(s % 60 + 100).substr(1);
    ASSERT_EQ(RenderDatePattern(L"hh:nn:ss zzz", day + s / 86400.0, locale), expected + L" 000");
  }
  EXPECT_EQ(RenderDatePattern(L"yyyy/mm/dd hh:nn:ss", day + (86400000 - 0.4) / 86400000, locale),
            L"2003/05/08 00:00:00");
  EXPECT_EQ(RenderDatePattern(L"yyyy/mm/dd hh:nn", EncodeDateTime(1899, 12, 29, 6), locale), L"1899/12/29 06:00");
}

TEST(RenderDatePattern, Eras) {
  ExpectAll(EncodeDateTime(1989, 1, 7), TestLocale(), {{L"gge", L"昭和64"}});
  ExpectAll(EncodeDateTime(1989, 1, 8), TestLocale(), {{L"gge", L"平成1"}, {L"gee", L"平01"}});
  ExpectAll(EncodeDateTime(2019, 5, 1), TestLocale(), {{L"gge", L"令和1"}});
  ExpectAll(EncodeDateTime(1850, 1, 1), TestLocale(), {{L"[g]e", L"[]1850"}});
}

TEST(RenderDatePattern, RegionalPicturesAndSeparators) {
  DateLocale locale = TestLocale();
  locale.dateSeparator = L"-";
  locale.timeSeparator = L"時";
  locale.longDateFormat = L"ggy'年'M'月'd'日' (ddd) 'o''clock' MMM";
  locale.longTimeFormat = L"tt h:mm:ss t HH";
  locale.shortDateFormat = L"yy/MM/dd";
  locale.eraYears = true;
  ExpectAll(kWednesday, locale,
            {{L"dddddd", L"平成15年5月7日 (水) o'clock May"}, {L"tt", L"午後 1:04:05 午 13"}, {L"ddddd", L"15/05/07"},
             {L"yyyy/mm/dd hh:nn", L"2003-05-07 13時04"}});
}

TEST(RenderDatePattern, PlatformFormatsAndDefaultPresets) {
  const DateLocale locale = CurrentDateLocale();
  const DateTime value = EncodeDateTime(2003, 5, 7, 13, 4, 5);
  // The regional pictures are rendered by our own code; the platform's functions must agree.
  SYSTEMTIME st{};
  st.wYear = 2003, st.wMonth = 5, st.wDay = 7, st.wDayOfWeek = 3, st.wHour = 13, st.wMinute = 4, st.wSecond = 5;
  wchar_t buffer[256];
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, buffer, 256), 0);
  EXPECT_EQ(RenderDatePattern(L"dddddd", value, locale), buffer);
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 256), 0);
  const std::wstring shortDate = buffer;
  EXPECT_EQ(RenderDatePattern(L"ddddd", value, locale), shortDate);
  ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 256), 0);
  EXPECT_EQ(RenderDatePattern(L"tt", value, locale), buffer);
  EXPECT_EQ(RenderDatePattern(L"c", value, locale), shortDate + L" " + buffer);

  ExpectAll(value, locale,
            {{L"yy\"年\"mm\"月\"dd\"日\"", L"03年05月07日"},
             {L"mm\"月\"dd\"日\"", L"05月07日"},
             {L"mm\"月\"dd\"日（\"dddd\"）\"", L"05月07日（水曜日）"},
             {L"gge", L"平成15"}});
  EXPECT_EQ(RenderDatePattern(L"dddddd", value, locale).rfind(L"2003年5月7日", 0), 0u);
}

// Windows keeps its Japanese eras in the registry, and updates add new ones there. Wine has
// no such key: the test writes one into its private prefix and removes it afterwards.
TEST(RenderDatePattern, ErasFromTheRegistry) {
  const wchar_t* kEras = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese\\Eras";
  auto exists = [](const wchar_t* path) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  };
  if (exists(kEras)) GTEST_SKIP() << "the system has its own era table";
  // Remove afterwards only the levels the test creates.
  std::vector<const wchar_t*> created = {kEras};
  for (const wchar_t* level : {L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese",
                               L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars"}) {
    if (!exists(level)) created.push_back(level);
  }
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEras, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  auto set = [&](const wchar_t* name, const std::wstring& data) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  };
  set(L"1989 01 08", L"平成_Ｈ_Heisei_H");
  set(L"2031 04 02", L"新元_新_Shingen_S");
  set(L"not a date", L"x_y");
  const DateLocale locale = CurrentDateLocale();
  RegCloseKey(key);
  for (const wchar_t* level : created) RegDeleteKeyW(HKEY_LOCAL_MACHINE, level);

  ExpectAll(EncodeDateTime(2003, 5, 7), locale, {{L"g/gge", L"Ｈ/平成15"}});
  ExpectAll(EncodeDateTime(2031, 4, 1), locale, {{L"gge", L"令和13"}});
  ExpectAll(EncodeDateTime(2031, 4, 2), locale, {{L"gge", L"新元1"}});
}

}  // namespace
