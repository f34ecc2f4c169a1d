#include "rules/Filter.h"

#include <gtest/gtest.h>

using rules::MatchesFilter;

namespace {

TEST(MatchesFilter, RefusesOnlyWholeEntries) {
  struct Case {
    const char* path;
    const char* names;
    const char* exts;
    bool refused;
  } cases[] = {
      {"C:\\d\\Thumbs.db", "thumbs.db;desktop.ini;", "", true},
      {"C:\\d\\DESKTOP.INI", "thumbs.db;desktop.ini", "", true},  // last entry without ";"
      {"C:\\d\\s.db", "thumbs.db;", "", false},
      {"C:\\d\\db", "thumbs.db;", "", false},
      {"C:\\d\\mythumbs.db", "thumbs.db;", "", false},
      {"C:\\d\\thumbs.db", "Thumbs.db;", "", true},  // case of A-Z counts on neither side
      {"C:\\d\\b.tmp", "", ".Tmp;", true},
      {"C:\\d\\c.Tmp", "", ".Tmp;", true},
      {"C:\\d\\アイコン.db", "アイコン.db;", "", true},
      {"C:\\d\\ヂツコン.db", "アイコン.db;", "", false},  // trail bytes are no letters
      {"C:\\thumbs.db\\a.txt", "thumbs.db;", "", false},
      {"C:\\d\\a.txt", "txt;", "", false},
      {"C:\\d\\txt", "txt;", "", true},
      {"C:\\d\\a.JPEG", "", ".bak;.jpeg;", true},
      {"C:\\d\\a.jpe", "", ".jpeg;", false},
      {"C:\\d\\a.txt", "", "txt;", false},
      {"C:\\d\\README", ";;", ";.;", false},  // no extension, empty entries
      {"C:\\d\\a.txt", "", "", false},
      {"C:\\d\\ソ.TXT", "ソ.txt;", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesFilter(c.path, c.names, c.exts), c.refused) << c.path << " | " << c.names << " | " << c.exts;
  }
}

}  // namespace
