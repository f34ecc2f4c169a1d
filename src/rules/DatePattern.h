// The date pattern language: date-format presets rendered with a date-time and the regional
// names and formats.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace rules {

// Days since 30 December 1899, the time of day as the fraction.
using DateTime = double;

// A Japanese era: its first day and its names.
struct DateEra {
  int start = 0;  // yyyymmdd
  std::wstring name, abbreviation;
};

// The regional names, formats and separators a rendering uses. Read from the platform once
// per recomputation, not once per row.
struct DateLocale {
  DateLocale();  // the built-in Japanese names and formats

  std::array<std::wstring, 7> dayNames, shortDayNames;  // Sunday first
  std::array<std::wstring, 12> monthNames, shortMonthNames;
  std::wstring dateSeparator, timeSeparator;
  std::wstring am, pm;  // morning and afternoon designators
  // The regional format pictures (d M y g h H m s t, '...' quoted), rendered by our own code
  // with the names above so that one locale read serves every row.
  std::wstring shortDateFormat, longDateFormat, shortTimeFormat, longTimeFormat;
  bool eraYears = false;       // the pictures' y is the year within the era (Japanese calendar)
  std::vector<DateEra> eras;   // oldest first
};
// The date-time of a calendar date and time of day (proleptic Gregorian; before 30 December
// 1899 the day counts down and the time of day counts up, so -1.25 is 29 Dec 1899 06:00).
DateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                        int millisecond = 0);

// The pattern rendered with the value. A bound far above any name (kMaxDateText units) keeps a
// hostile pattern from growing without end; the cut never splits a surrogate pair.
constexpr std::size_t kMaxDateText = 4096;
std::wstring RenderDatePattern(std::wstring_view pattern, DateTime value, const DateLocale& locale);

}  // namespace rules
