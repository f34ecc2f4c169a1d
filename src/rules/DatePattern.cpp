#include "rules/DatePattern.h"

#include <algorithm>
#include <cmath>

#include "text/utf16.h"

namespace rules {

namespace {

constexpr long long kMsPerDay = 86400000;
constexpr long long kSerialOf1970 = 25569;  // 1 January 1970 as a day number

// Day number since 1 January 1970 of a proleptic Gregorian date, and back.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

struct Moment {
  int year, month, day, dayOfWeek;  // dayOfWeek 0 is Sunday
  int hour, minute, second, millisecond;
  long long msOfDay;
};

Moment Decode(DateTime value) {
  // A value no calendar date stands for (years 1 to 9999) renders as 0.
  if (!(value > -693594.0 && value < 2958466.0)) value = 0;
  long long days = static_cast<long long>(std::trunc(value));
  // Rounded to the millisecond: 10:15:36 stored as a fraction must not come out as :35.999.
  long long ms = std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++days;
  }
  Moment t{};
  CivilFromDays(days - kSerialOf1970, t.year, t.month, t.day);
  t.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7);  // day 0 was a Saturday
  t.msOfDay = ms;
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  return t;
}

void AppendNumber(std::wstring& out, long long number, int width = 1) {
  const std::wstring digits = std::to_wstring(number);
  if (digits.size() < static_cast<std::size_t>(width)) out.append(width - digits.size(), L'0');
  out += digits;
}

using utf16::AsciiLowerChar;

int Hour12(int hour) { return hour % 12 == 0 ? 12 : hour % 12; }

// The era a date falls in; null before the first one.
const DateEra* EraOf(const Moment& t, const DateLocale& locale) {
  const int key = t.year * 10000 + t.month * 100 + t.day;
  const DateEra* found = nullptr;
  for (const DateEra& era : locale.eras) {
    if (era.start <= key) found = &era;
  }
  return found;
}

// Before the first era the Gregorian year stands in.
int EraYear(const Moment& t, const DateLocale& locale) {
  const DateEra* era = EraOf(t, locale);
  return era ? t.year - era->start / 10000 + 1 : t.year;
}

std::wstring_view EraName(const Moment& t, const DateLocale& locale, bool full) {
  const DateEra* era = EraOf(t, locale);
  if (!era) return {};
  return full ? era->name : era->abbreviation;
}

// Length of the run of the unit at i, compared exactly or ignoring ASCII case.
std::size_t RunLength(std::wstring_view s, std::size_t i, bool ignoreCase) {
  std::size_t j = i + 1;
  if (ignoreCase) {
    while (j < s.size() && AsciiLowerChar(s[j]) == AsciiLowerChar(s[i])) ++j;
  } else {
    while (j < s.size() && s[j] == s[i]) ++j;
  }
  return j - i;
}

// A regional format picture, as GetDateFormat/GetTimeFormat read it: case-sensitive letters,
// '...' quoted with '' as a quote, everything else copied.
void RenderPicture(std::wstring& out, std::wstring_view picture, const Moment& t, const DateLocale& locale) {
  std::size_t i = 0;
  while (i < picture.size()) {
    const std::size_t next = utf16::NextChar(picture, i);
    const wchar_t c = picture[i];
    if (next - i > 1) {
      out.append(picture, i, next - i);
      i = next;
      continue;
    }
    if (c == L'\'') {
      std::size_t j = i + 1;
      while (j < picture.size()) {
        if (picture[j] == L'\'') {
          if (j + 1 < picture.size() && picture[j + 1] == L'\'') {
            out += L'\'';
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        const std::size_t k = utf16::NextChar(picture, j);
        out.append(picture, j, k - j);
        j = k;
      }
      i = j;
      continue;
    }
    const std::size_t n = RunLength(picture, i, false);
    const int year = locale.eraYears ? EraYear(t, locale) : t.year;
    switch (c) {
      case L'd':
        if (n <= 2) AppendNumber(out, t.day, static_cast<int>(n));
        else out += (n == 3 ? locale.shortDayNames : locale.dayNames)[t.dayOfWeek];
        break;
      case L'M':
        if (n <= 2) AppendNumber(out, t.month, static_cast<int>(n));
        else out += (n == 3 ? locale.shortMonthNames : locale.monthNames)[t.month - 1];
        break;
      case L'y':
        if (n <= 2) AppendNumber(out, year % 100, static_cast<int>(n));
        else AppendNumber(out, year, locale.eraYears ? 1 : 4);
        break;
      case L'g': out += EraName(t, locale, true); break;
      case L'h': AppendNumber(out, Hour12(t.hour), n >= 2 ? 2 : 1); break;
      case L'H': AppendNumber(out, t.hour, n >= 2 ? 2 : 1); break;
      case L'm': AppendNumber(out, t.minute, n >= 2 ? 2 : 1); break;
      case L's': AppendNumber(out, t.second, n >= 2 ? 2 : 1); break;
      case L't': {
        const std::wstring& designator = t.hour < 12 ? locale.am : locale.pm;
        if (n >= 2) out += designator;
        else out.append(designator, 0, utf16::NextChar(designator, 0));
        break;
      }
      default: out.append(picture, i, n); break;
    }
    i += n;
  }
}

// The length of an am/pm, ampm or a/p specifier at i, 0 when there is none.
std::size_t AmPmLength(std::wstring_view p, std::size_t i) {
  auto matches = [&](std::wstring_view word) {
    if (p.size() - i < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (AsciiLowerChar(p[i + k]) != word[k]) return false;
    }
    return true;
  };
  if (matches(L"am/pm")) return 5;
  if (matches(L"ampm")) return 4;
  if (matches(L"a/p")) return 3;
  return 0;
}

// Index of the quote that closes the quoted text starting at i, or the end of the pattern
// when it is never closed.
std::size_t ClosingQuote(std::wstring_view p, std::size_t i) {
  std::size_t j = i + 1;
  while (j < p.size() && p[j] != p[i]) j = utf16::NextChar(p, j);
  return j;
}

// An h uses the 12-hour clock when an am/pm specifier follows it before the next h.
bool TwelveHourClock(std::wstring_view p, std::size_t i) {
  while (i < p.size()) {
    const wchar_t c = p[i];
    if (c == L'"' || c == L'\'') {
      i = std::min(ClosingQuote(p, i) + 1, p.size());
    } else if (AsciiLowerChar(c) == L'h') {
      return false;
    } else if (AmPmLength(p, i) > 0) {
      return true;
    } else {
      i = utf16::NextChar(p, i);
    }
  }
  return false;
}

void RenderWholeDate(std::wstring& out, const Moment& t, const DateLocale& locale) {
  RenderPicture(out, locale.shortDateFormat, t, locale);
  if (t.msOfDay != 0) {
    out += L' ';
    RenderPicture(out, locale.longTimeFormat, t, locale);
  }
}

// Letter counts without a form of their own take the nearest one, and the longer one where
// two are equally near: y and yy are two digits, three or more y four; zz is zzz; seven or
// more d are dddddd; five or more m are mmmm; hh, nn, ss, ee, gg, tt from two letters on.
// Each c is a whole date of its own.
void RenderPattern(std::wstring& out, std::wstring_view p, const Moment& t, const DateLocale& locale) {
  wchar_t lastSpecifier = 0;  // lower case; decides whether m is a month or a minute
  std::size_t i = 0;
  // Once past the bound the rest would be cut anyway; the cut needs one unit beyond it.
  while (i < p.size() && out.size() <= kMaxDateText) {
    const std::size_t next = utf16::NextChar(p, i);
    const wchar_t c = p[i];
    if (next - i > 1) {  // a surrogate pair: never a specifier
      out.append(p, i, next - i);
      i = next;
      continue;
    }
    if (c == L'"' || c == L'\'') {
      const std::size_t close = ClosingQuote(p, i);
      out.append(p, i + 1, close - (i + 1));
      i = std::min(close + 1, p.size());
      continue;
    }
    if (c == L'/') {
      out += locale.dateSeparator;
      ++i;
      continue;
    }
    if (c == L':') {
      out += locale.timeSeparator;
      ++i;
      continue;
    }
    const wchar_t letter = AsciiLowerChar(c);
    if (letter == L'a') {
      const std::size_t length = AmPmLength(p, i);
      if (length == 0) {
        out += c;
        ++i;
        continue;
      }
      const bool morning = t.hour < 12;
      if (length == 4) {
        out += morning ? locale.am : locale.pm;
      } else {  // the half that applies, in the case it is written in
        const std::size_t half = length / 2;  // am/pm: 2, a/p: 1
        out.append(p, morning ? i : i + half + 1, half);
      }
      lastSpecifier = L'a';
      i += length;
      continue;
    }
    const std::size_t n = RunLength(p, i, true);
    std::size_t used = n;
    switch (letter) {
      case L'c':
        RenderWholeDate(out, t, locale);
        used = 1;
        break;
      case L'd':
        if (n <= 2) AppendNumber(out, t.day, static_cast<int>(n));
        else if (n == 3) out += locale.shortDayNames[t.dayOfWeek];
        else if (n == 4) out += locale.dayNames[t.dayOfWeek];
        else RenderPicture(out, n == 5 ? locale.shortDateFormat : locale.longDateFormat, t, locale);
        break;
      case L'e': AppendNumber(out, EraYear(t, locale), n >= 2 ? 2 : 1); break;
      case L'g': out += EraName(t, locale, n >= 2); break;
      case L'm':
        if (n <= 2 && lastSpecifier == L'h') AppendNumber(out, t.minute, static_cast<int>(n));
        else if (n <= 2) AppendNumber(out, t.month, static_cast<int>(n));
        else out += (n == 3 ? locale.shortMonthNames : locale.monthNames)[t.month - 1];
        break;
      case L'y':
        if (n <= 2) AppendNumber(out, t.year % 100, 2);
        else AppendNumber(out, t.year, 4);
        break;
      case L'h':
        AppendNumber(out, TwelveHourClock(p, i + n) ? Hour12(t.hour) : t.hour, n >= 2 ? 2 : 1);
        break;
      case L'n': AppendNumber(out, t.minute, n >= 2 ? 2 : 1); break;
      case L's': AppendNumber(out, t.second, n >= 2 ? 2 : 1); break;
      case L'z': AppendNumber(out, t.millisecond, n >= 2 ? 3 : 1); break;
      case L't':
        RenderPicture(out, n >= 2 ? locale.longTimeFormat : locale.shortTimeFormat, t, locale);
        break;
      default:
        out += c;
        i += 1;
        continue;
    }
    lastSpecifier = letter;
    i += used;
  }
}

// The longest prefix of whole characters within the bound.
void CutToWholeCharacters(std::wstring& s) {
  if (s.size() <= kMaxDateText) return;
  std::size_t end = kMaxDateText;
  if (!utf16::AtCharStart(s, end)) --end;
  s.resize(end);
}

}  // namespace

DateLocale::DateLocale()
    : dayNames{L"日曜日", L"月曜日", L"火曜日", L"水曜日", L"木曜日", L"金曜日", L"土曜日"},
      shortDayNames{L"日", L"月", L"火", L"水", L"木", L"金", L"土"},
      dateSeparator(L"/"),
      timeSeparator(L":"),
      am(L"午前"),
      pm(L"午後"),
      shortDateFormat(L"yyyy/MM/dd"),
      longDateFormat(L"yyyy'年'M'月'd'日'"),
      shortTimeFormat(L"H:mm"),
      longTimeFormat(L"H:mm:ss"),
      // The year 1868 counts wholly as Meiji 1, as the era's decree set it.
      eras{{18680101, L"明治", L"明"},
           {19120730, L"大正", L"大"},
           {19261225, L"昭和", L"昭"},
           {19890108, L"平成", L"平"},
           {20190501, L"令和", L"令"}} {
  for (int i = 0; i < 12; ++i) {
    monthNames[i] = std::to_wstring(i + 1) + L"月";
    shortMonthNames[i] = monthNames[i];
  }
}

DateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  const long long days = DaysFromCivil(year, month, day) + kSerialOf1970;
  const double time = static_cast<double>((hour * 3600LL + minute * 60LL + second) * 1000 + millisecond) /
                      static_cast<double>(kMsPerDay);
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

std::wstring RenderDatePattern(std::wstring_view pattern, DateTime value, const DateLocale& locale) {
  const Moment t = Decode(value);
  std::wstring out;
  if (pattern.empty()) RenderWholeDate(out, t, locale);
  else RenderPattern(out, pattern, t, locale);
  CutToWholeCharacters(out);
  return out;
}

}  // namespace rules
