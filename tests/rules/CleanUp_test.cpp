#include "rules/CleanUp.h"

#include <string>

#include <gtest/gtest.h>

#include "text/TextTestUtil.h"

using rules::AutoCleanName;
using rules::CleanUpOptions;

namespace {

// Options from letters: S shortcut, B [n], P (n), C copy, T trim, J jpeg, N compose.
CleanUpOptions Opts(std::wstring_view on) {
  CleanUpOptions o;
  for (wchar_t c : on) {
    switch (c) {
      case L'S': o.removeShortcut = true; break;
      case L'B': o.removeBracketNumber = true; break;
      case L'P': o.removeParenNumber = true; break;
      case L'C': o.removeCopy = true; break;
      case L'T': o.trim = true; break;
      case L'J': o.jpegToJpg = true; break;
      case L'N': o.compose = true; break;
    }
  }
  return o;
}

// The folder holds a bracketed number of its own: only the file name may change.
const std::wstring kFolder = L"C:\\x [1]\\";

TEST(AutoCleanName, CleansTheBaseNameAndExtensionAsChecked) {
  struct Case {
    const wchar_t* on;
    std::wstring name, expected;
  } cases[] = {
      {L"S", L"メモ帳 へのショートカット.lnk", L"メモ帳.lnk"},
      {L"S", L"メモ帳 へのショートカット.LNK", L"メモ帳 へのショートカット.LNK"},
      {L"S", L"メモ帳 へのショートカット.txt", L"メモ帳 へのショートカット.txt"},
      {L"S", L"aへのｼｮｰﾄｶｯﾄ.lnk", L"a.lnk"},
      {L"B", L"a [1] [2].txt", L"a.txt"},
      {L"B", L"b[01][100].txt", L"b[01][100].txt"},
      {L"B", L"a.[1]", L"a.[1]"},  // the extension is left alone
      {L"B", L"x[1[2]].txt", L"x[1].txt"},
      {L"B", L"a[[1]1].txt", L"a.txt"},
      {L"B", L"[ー1].txt", L"[ー1].txt"},
      {L"P", L"photo(3).jpg", L"photo.jpg"},
      {L"P", L"p(-1) (99).jpg", L"p(-1).jpg"},
      {L"PC", L"コピー (2) ～ 報告書.doc", L"報告書.doc"},
      {L"C", L"コピー \u301C x.doc", L"コピー \u301C x.doc"},  // only Shift_JIS's own "～"
      {L"C", L"ｺﾋﾟｰ ～ y.doc", L"y.doc"},
      {L"T", L" 　a　 .txt", L"a.txt"},
      {L"T", L"　　.txt", L"　　.txt"},  // trimmed away entirely: the name stays
      {L"BJ", L"[1].jpeg", L"[1].jpg"},
      {L"J", L"a.JpEg", L"a.jpg"},
      {L"J", L".jpeg", L".jpg"},
      {L"J", L"jpeg", L"jpeg"},
      {L"SBPCTJ", L" コピー ～ a [1](2)へのショートカット .JPEG", L"aへのショートカット.jpg"},
      {L"N", L"シ\u3099e\u0301.txt", L"ジé.txt"},
      {L"N", L"a.te\u0301", L"a.té"},
      {L"C", L"コヒ\u309Aー ～ x.doc", L"コヒ\u309Aー ～ x.doc"},
      {L"NC", L"コヒ\u309Aー ～ x.doc", L"x.doc"},  // composed before the copy text is looked for
      {L"TB", L"\U0001F600 [1] .txt", L"\U0001F600.txt"},
  };
  for (const Case& c : cases) {
    std::wstring got = AutoCleanName(kFolder + c.name, Opts(c.on));
    EXPECT_EQ(Hex(got), Hex(kFolder + c.expected)) << c.on << " " << c.name;
  }
}

TEST(AutoCleanName, EveryOptionOffGivesThePathBack) {
  const std::wstring paths[] = {kFolder + L" コピー ～ a [1] (2)へのショートカット .jpeg", L"a.lnk", L"C:\\", L""};
  for (const std::wstring& p : paths) EXPECT_EQ(AutoCleanName(p, CleanUpOptions{}), p);
}

}  // namespace
