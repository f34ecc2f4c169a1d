#include "rules/CleanUp.h"

#include <string>

#include <gtest/gtest.h>

#include "text/TextTestUtil.h"

using rules::AutoCleanName;
using rules::CleanUpOptions;

namespace {

// Options from letters: S shortcut, B [n], P (n), C copy, T trim, J jpeg.
CleanUpOptions Opts(std::string_view on) {
  CleanUpOptions o;
  for (char c : on) {
    switch (c) {
      case 'S': o.removeShortcut = true; break;
      case 'B': o.removeBracketNumber = true; break;
      case 'P': o.removeParenNumber = true; break;
      case 'C': o.removeCopy = true; break;
      case 'T': o.trim = true; break;
      case 'J': o.jpegToJpg = true; break;
    }
  }
  return o;
}

// The folder holds a bracketed number of its own: only the file name may change.
const std::string kFolder = "C:\\x [1]\\";

TEST(AutoCleanName, CleansTheBaseNameAndExtensionAsChecked) {
  struct Case {
    const char* on;
    std::string name, expected;
  } cases[] = {
      {"S", "メモ帳 へのショートカット.lnk", "メモ帳.lnk"},
      {"S", "メモ帳 へのショートカット.LNK", "メモ帳 へのショートカット.LNK"},
      {"S", "メモ帳 へのショートカット.txt", "メモ帳 へのショートカット.txt"},
      {"S", "aへのｼｮｰﾄｶｯﾄ.lnk", "a.lnk"},
      {"B", "a [1] [2].txt", "a.txt"},
      {"B", "b[01][100].txt", "b[01][100].txt"},
      {"B", "a.[1]", "a.[1]"},  // the extension is left alone
      {"B", "x[1[2]].txt", "x[1].txt"},
      {"B", "a[[1]1].txt", "a.txt"},
      // "[ー1]": ー is 81 5B, so the only "[1]" would start at a trail byte.
      {"B", "\x5B\x81\x5B\x31\x5D.txt", "\x5B\x81\x5B\x31\x5D.txt"},
      {"P", "photo(3).jpg", "photo.jpg"},
      {"P", "p(-1) (99).jpg", "p(-1).jpg"},
      {"PC", "コピー (2) ～ 報告書.doc", "報告書.doc"},
      {"C", "\x83\x52\x83\x73\x81\x5B \x81\x60 x.doc", "x.doc"},  // "コピー ～ " as bytes
      {"C", "ｺﾋﾟｰ ～ y.doc", "y.doc"},
      {"T", " 　a　 .txt", "a.txt"},
      {"T", "　　.txt", "　　.txt"},  // trimmed away entirely: the name stays
      {"BJ", "[1].jpeg", "[1].jpg"},
      {"J", "a.JpEg", "a.jpg"},
      {"J", ".jpeg", ".jpg"},
      {"J", "jpeg", "jpeg"},
      {"SBPCTJ", " コピー ～ a [1](2)へのショートカット .JPEG", "aへのショートカット.jpg"},
  };
  for (const Case& c : cases) {
    std::string got = AutoCleanName(kFolder + c.name, Opts(c.on));
    EXPECT_EQ(Hex(got), Hex(kFolder + c.expected)) << c.on << " " << c.name;
  }
}

TEST(AutoCleanName, EveryOptionOffGivesThePathBack) {
  const std::string paths[] = {kFolder + " コピー ～ a [1] (2)へのショートカット .jpeg", "a.lnk", "C:\\", ""};
  for (const std::string& p : paths) EXPECT_EQ(AutoCleanName(p, CleanUpOptions{}), p);
}

}  // namespace
