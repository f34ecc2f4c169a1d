#include "rules/Filter.h"

#include <gtest/gtest.h>

using rules::MatchesFilter;

namespace {

TEST(MatchesFilter, RefusesOnlyWholeEntries) {
  struct Case {
    const wchar_t* path;
    const wchar_t* names;
    const wchar_t* exts;
    bool refused;
  } cases[] = {
      {L"C:\\d\\Thumbs.db", L"thumbs.db;desktop.ini;", L"", true},
      {L"C:\\d\\DESKTOP.INI", L"thumbs.db;desktop.ini", L"", true},  // last entry without ";"
      {L"C:\\d\\s.db", L"thumbs.db;", L"", false},
      {L"C:\\d\\db", L"thumbs.db;", L"", false},
      {L"C:\\d\\mythumbs.db", L"thumbs.db;", L"", false},
      {L"C:\\d\\thumbs.db", L"Thumbs.db;", L"", true},  // case of A-Z counts on neither side
      {L"C:\\d\\b.tmp", L"", L".Tmp;", true},
      {L"C:\\d\\c.Tmp", L"", L".Tmp;", true},
      {L"C:\\d\\アイコン.db", L"アイコン.db;", L"", true},
      {L"C:\\d\\ヂツコン.db", L"アイコン.db;", L"", false},
      {L"C:\\d\\ａ.db", L"Ａ.db;", L"", false},  // Shift_JIS texts: only "A"-"Z" fold, as always
      {L"C:\\d\\École.txt", L"école.TXT;", L"", true},  // beyond Shift_JIS: the platform's folding
      {L"C:\\d\\a.TXT\U0001F600", L"", L".txt\U0001F600;", true},
      {L"C:\\d\\\u301C.txt", L"\uFF5E.txt;", L"", false},
      {L"C:\\thumbs.db\\a.txt", L"thumbs.db;", L"", false},
      {L"C:\\d\\a.txt", L"txt;", L"", false},
      {L"C:\\d\\txt", L"txt;", L"", true},
      {L"C:\\d\\a.JPEG", L"", L".bak;.jpeg;", true},
      {L"C:\\d\\a.jpe", L"", L".jpeg;", false},
      {L"C:\\d\\a.txt", L"", L"txt;", false},
      {L"C:\\d\\README", L";;", L";.;", false},  // no extension, empty entries
      {L"C:\\d\\a.txt", L"", L"", false},
      {L"C:\\d\\ソ.TXT", L"ソ.txt;", L"", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesFilter(c.path, c.names, c.exts), c.refused) << c.path << " | " << c.names << " | " << c.exts;
  }
}

}  // namespace
