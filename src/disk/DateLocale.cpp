// The platform's side of the date renderer: the regional names and formats, the registry's
// list of Japanese eras, and the clock. The renderer itself (DatePattern.cpp) stays pure.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "disk/DateLocale.h"
#include "os/Handle.h"

using rules::DateEra;
using rules::DateLocale;
using rules::DateTime;
using rules::EncodeDateTime;
using rules::RenderDatePattern;

namespace disk {

namespace {

constexpr LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);

// A locale string; false (target untouched) when the platform has none.
bool ReadLocaleString(LCID lcid, LCTYPE type, std::wstring& target) {
  wchar_t buffer[256];
  const int n = GetLocaleInfoW(lcid, type, buffer, 256);
  if (n <= 0) return false;
  target.assign(buffer, static_cast<std::size_t>(n - 1));
  return true;
}

// The Japanese eras Windows keeps in the registry ("1989 01 08" = "平成_平_Heisei_H"); Windows
// updates add new eras there. Each replaces the built-in era of the same first day or is
// added. Wine has no such key and its calendar functions know only the current era, without
// its first day, so there the built-in table stands.
void ReadRegistryEras(std::vector<DateEra>& eras) {
  HKEY opened;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese\\Eras",
                    0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return;
  }
  const os::unique_hkey key(opened);
  for (DWORD index = 0;; ++index) {
    wchar_t name[64];
    wchar_t data[128] = {};
    DWORD nameLength = 64, dataSize = sizeof(data) - sizeof(wchar_t), type = 0;
    const LONG status = RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS || type != REG_SZ) continue;
    int y = 0, m = 0, d = 0;
    if (swscanf(name, L"%d %d %d", &y, &m, &d) != 3 || y < 1 || m < 1 || m > 12 || d < 1 || d > 31) continue;
    const std::wstring_view text(data, wcsnlen(data, dataSize / sizeof(wchar_t)));
    const std::size_t first = text.find(L'_');
    if (first == std::wstring_view::npos || first == 0) continue;
    const std::size_t second = text.find(L'_', first + 1);
    DateEra era;
    era.start = y * 10000 + m * 100 + d;
    era.name.assign(text.substr(0, first));
    era.abbreviation.assign(text.substr(first + 1, second == std::wstring_view::npos ? second : second - first - 1));
    auto same = std::find_if(eras.begin(), eras.end(), [&](const DateEra& e) { return e.start == era.start; });
    if (same != eras.end()) *same = std::move(era);
    else eras.push_back(std::move(era));
  }
  std::sort(eras.begin(), eras.end(), [](const DateEra& a, const DateEra& b) { return a.start < b.start; });
}

}  // namespace

DateLocale CurrentDateLocale() {
  DateLocale locale;  // built-in values stay wherever the platform gives nothing usable
  // Renderings are Japanese text: on a system with another user locale, the Japanese
  // locale's data rather than, say, English day names in a Japanese file name.
  const LCID lcid =
      PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) == LANG_JAPANESE ? LOCALE_USER_DEFAULT : kJapanese;
  for (int i = 0; i < 7; ++i) {
    // LOCALE_SDAYNAME1 is Monday; ours start with Sunday.
    ReadLocaleString(lcid, LOCALE_SDAYNAME1 + i, locale.dayNames[(i + 1) % 7]);
    ReadLocaleString(lcid, LOCALE_SABBREVDAYNAME1 + i, locale.shortDayNames[(i + 1) % 7]);
  }
  for (int i = 0; i < 12; ++i) {
    ReadLocaleString(lcid, LOCALE_SMONTHNAME1 + i, locale.monthNames[i]);
    ReadLocaleString(lcid, LOCALE_SABBREVMONTHNAME1 + i, locale.shortMonthNames[i]);
  }
  ReadLocaleString(lcid, LOCALE_SDATE, locale.dateSeparator);
  ReadLocaleString(lcid, LOCALE_STIME, locale.timeSeparator);
  ReadLocaleString(lcid, LOCALE_S1159, locale.am);
  ReadLocaleString(lcid, LOCALE_S2359, locale.pm);
  ReadLocaleString(lcid, LOCALE_SSHORTDATE, locale.shortDateFormat);
  ReadLocaleString(lcid, LOCALE_SLONGDATE, locale.longDateFormat);
  ReadLocaleString(lcid, LOCALE_STIMEFORMAT, locale.longTimeFormat);
  ReadLocaleString(lcid, LOCALE_SSHORTTIME, locale.shortTimeFormat);  // Windows 7 on
  std::wstring calendar;
  if (ReadLocaleString(lcid, LOCALE_ICALENDARTYPE, calendar)) locale.eraYears = calendar == L"3";  // CAL_JAPAN
  ReadRegistryEras(locale.eras);
  return locale;
}

DateTime NowDateTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

std::wstring RenderDatePatternNow(std::wstring_view pattern) {
  return RenderDatePattern(pattern, NowDateTime(), CurrentDateLocale());
}

}  // namespace disk
