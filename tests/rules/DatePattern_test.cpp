#include "rules/DatePattern.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "disk/DateLocale.h"
#include "text/sjis.h"

using rules::DateLocale;
using rules::DateTime;
using rules::EncodeDateTime;
using rules::RenderDatePattern;
using disk::CurrentDateLocale;

namespace {

struct Case {
  const char* pattern;
  std::string expected;
};

// Wednesday 7 May 2003, afternoon, with milliseconds.
const DateTime kWednesday = EncodeDateTime(2003, 5, 7, 13, 4, 5, 678);
// A morning with one-digit parts.
const DateTime kMorning = EncodeDateTime(2003, 5, 7, 9, 4, 5, 7);

// The built-in Japanese table, with month names that tell the two forms apart.
DateLocale TestLocale() {
  DateLocale locale;
  locale.shortMonthNames[4] = "May";
  locale.monthNames[4] = "MayFull";
  return locale;
}

void ExpectAll(DateTime value, const DateLocale& locale, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(RenderDatePattern(c.pattern, value, locale), c.expected) << "pattern " << c.pattern;
  }
}

TEST(RenderDatePattern, EverySpecifierInBothCases) {
  ExpectAll(kWednesday, TestLocale(),
            {{"d", "7"}, {"dd", "07"}, {"ddd", "水"}, {"dddd", "水曜日"},
             {"ddddd", "2003/05/07"}, {"dddddd", "2003年5月7日"}, {"ddddddd", "2003年5月7日"},
             {"e", "15"}, {"ee", "15"}, {"g", "平"}, {"gg", "平成"},
             {"m", "5"}, {"mm", "05"}, {"mmm", "May"}, {"mmmm", "MayFull"}, {"mmmmm", "MayFull"},
             {"y", "03"}, {"yy", "03"}, {"yyy", "2003"}, {"yyyy", "2003"},
             {"h", "13"}, {"hh", "13"}, {"n", "4"}, {"nn", "04"}, {"s", "5"}, {"ss", "05"},
             {"z", "678"}, {"zzz", "678"},
             {"t", "13:04"}, {"tt", "13:04:05"}, {"c", "2003/05/07 13:04:05"},
             {"YYYY/MM/DD HH:NN:SS", "2003/05/07 13:04:05"}, {"Dddd", "水曜日"},
             {"xyzq", "x03678q"}});
  ExpectAll(kMorning, TestLocale(),
            {{"h", "9"}, {"hh", "09"}, {"z", "7"}, {"zz", "007"}, {"zzz", "007"}, {"e", "15"}});
  ExpectAll(EncodeDateTime(2003, 5, 7), TestLocale(), {{"c", "2003/05/07"}, {"", "2003/05/07"}});
  EXPECT_EQ(RenderDatePattern("", kWednesday, TestLocale()), "2003/05/07 13:04:05");
}

TEST(RenderDatePattern, MinuteAfterHour) {
  ExpectAll(kWednesday, TestLocale(),
            {{"hh:mm", "13:04"}, {"h\"時\"m\"分\"", "13時4分"}, {"mm hh", "05 13"},
             {"hh nn mm", "13 04 05"}, {"hh mmm", "13 May"}});
}

TEST(RenderDatePattern, TwelveHourClock) {
  const DateLocale locale = TestLocale();
  ExpectAll(kWednesday, locale,
            {{"h am/pm", "1 pm"}, {"h AM/PM", "1 PM"}, {"hh Am/pM", "01 pM"}, {"h a/p", "1 p"},
             {"h A/P", "1 P"}, {"h ampm", "1 午後"}, {"h\"時\"am/pm", "1時pm"},
             {"am/pm hh", "pm 13"}, {"hh hh am/pm", "13 01 pm"}, {"a", "a"}});
  ExpectAll(kMorning, locale, {{"hh am/pm", "09 am"}, {"h AMPM", "9 午前"}});
  ExpectAll(EncodeDateTime(2003, 5, 7, 0, 30), locale, {{"h:nn a/p", "12:30 a"}});
  ExpectAll(EncodeDateTime(2003, 5, 7, 12, 0), locale, {{"h:nn a/p", "12:00 p"}});
}

TEST(RenderDatePattern, QuotedTexts) {
  ExpectAll(kWednesday, TestLocale(),
            {{"'yy'\"dd\"", "yydd"}, {"\"it's\"", "it's"}, {"yy\"dd", "03dd"}, {"yy'h:mm", "03h:mm"},
             {"\"\"", ""}, {"''", ""}});
}

TEST(RenderDatePattern, TrailBytesAreNoSpecifiers) {
  // 年 is 94 4E ("N"), ド is 83 68 ("h"): neither may count as a specifier.
  ExpectAll(kWednesday, TestLocale(),
            {{"yyyy\x94\x4E", "2003\x94\x4E"}, {"\x83\x68mm", "\x83\x68" "05"}});
}

TEST(RenderDatePattern, CutAfterTheLastWholeCharacterWithin256Bytes) {
  const std::string x254(254, 'x');
  const std::string x255(255, 'x');
  EXPECT_EQ(RenderDatePattern(x254 + "年", 0, TestLocale()), x254 + "年");
  EXPECT_EQ(RenderDatePattern(x255 + "年y", 0, TestLocale()), x255);
  EXPECT_EQ(RenderDatePattern(std::string(100, 'c'), 0, TestLocale()).size(), 256u);
  // A lone lead byte at the end would pair with the "_" that follows it.
  EXPECT_EQ(RenderDatePattern("ab\x83", 0, TestLocale()), "ab");
}

TEST(RenderDatePattern, DecodesValues) {
  const DateLocale locale = TestLocale();
  EXPECT_EQ(RenderDatePattern("yyyy/mm/dd hh:nn:ss zzz dddd", 0, locale), "1899/12/30 00:00:00 000 土曜日");
  // Stored as a fraction of a day, a whole second must not come out one lower.
  const double day = EncodeDateTime(2003, 5, 7);
  for (int s = 0; s < 86400; s += 7) {
    const std::string expected = std::to_string(s / 3600 + 100).substr(1) + ":" +
                                 std::to_string(s / 60 % 60 + 100).substr(1) + ":" +
                                 std::to_string(s % 60 + 100).substr(1);
    ASSERT_EQ(RenderDatePattern("hh:nn:ss zzz", day + s / 86400.0, locale), expected + " 000");
  }
  EXPECT_EQ(RenderDatePattern("yyyy/mm/dd hh:nn:ss", day + (86400000 - 0.4) / 86400000, locale),
            "2003/05/08 00:00:00");
  EXPECT_EQ(RenderDatePattern("yyyy/mm/dd hh:nn", EncodeDateTime(1899, 12, 29, 6), locale), "1899/12/29 06:00");
}

TEST(RenderDatePattern, Eras) {
  ExpectAll(EncodeDateTime(1989, 1, 7), TestLocale(), {{"gge", "昭和64"}});
  ExpectAll(EncodeDateTime(1989, 1, 8), TestLocale(), {{"gge", "平成1"}, {"gee", "平01"}});
  ExpectAll(EncodeDateTime(2019, 5, 1), TestLocale(), {{"gge", "令和1"}});
  ExpectAll(EncodeDateTime(1850, 1, 1), TestLocale(), {{"[g]e", "[]1850"}});
}

TEST(RenderDatePattern, RegionalPicturesAndSeparators) {
  DateLocale locale = TestLocale();
  locale.dateSeparator = "-";
  locale.timeSeparator = "時";
  locale.longDateFormat = "ggy'年'M'月'd'日' (ddd) 'o''clock' MMM";
  locale.longTimeFormat = "tt h:mm:ss t HH";
  locale.shortDateFormat = "yy/MM/dd";
  locale.eraYears = true;
  ExpectAll(kWednesday, locale,
            {{"dddddd", "平成15年5月7日 (水) o'clock May"}, {"tt", "午後 1:04:05 午 13"}, {"ddddd", "15/05/07"},
             {"yyyy/mm/dd hh:nn", "2003-05-07 13時04"}});
}

TEST(RenderDatePattern, PlatformFormatsAndDefaultPresets) {
  const DateLocale locale = CurrentDateLocale();
  const DateTime value = EncodeDateTime(2003, 5, 7, 13, 4, 5);
  // The regional pictures are rendered by our own code; the platform's functions must agree.
  SYSTEMTIME st{};
  st.wYear = 2003, st.wMonth = 5, st.wDay = 7, st.wDayOfWeek = 3, st.wHour = 13, st.wMinute = 4, st.wSecond = 5;
  wchar_t buffer[256];
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, buffer, 256), 0);
  EXPECT_EQ(RenderDatePattern("dddddd", value, locale), sjis::FromUtf16Lenient(buffer));
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 256), 0);
  const std::string shortDate = sjis::FromUtf16Lenient(buffer);
  EXPECT_EQ(RenderDatePattern("ddddd", value, locale), shortDate);
  ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 256), 0);
  EXPECT_EQ(RenderDatePattern("tt", value, locale), sjis::FromUtf16Lenient(buffer));
  EXPECT_EQ(RenderDatePattern("c", value, locale), shortDate + " " + sjis::FromUtf16Lenient(buffer));

  ExpectAll(value, locale,
            {{"yy\"年\"mm\"月\"dd\"日\"", "03\x94\x4E" "05\x8C\x8E" "07\x93\xFA"},
             {"mm\"月\"dd\"日\"", "05月07日"},
             {"mm\"月\"dd\"日（\"dddd\"）\"", "05月07日\x81\x69水曜日\x81\x6A"},
             {"gge", "平成15"}});
  EXPECT_EQ(RenderDatePattern("dddddd", value, locale).rfind("2003年5月7日", 0), 0u);
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

  ExpectAll(EncodeDateTime(2003, 5, 7), locale, {{"g/gge", "Ｈ/平成15"}});
  ExpectAll(EncodeDateTime(2031, 4, 1), locale, {{"gge", "令和13"}});
  ExpectAll(EncodeDateTime(2031, 4, 2), locale, {{"gge", "新元1"}});
}

}  // namespace
