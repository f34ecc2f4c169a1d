// The real program's undo and redo, and its undo against hostile files: links in place of renamed files and of its
// own journal, and a journal written by hand. Nothing outside the folders it renamed in moves,
// and nothing it doesn't own is written or deleted.
#include <windows.h>

#include <gtest/gtest.h>

#include "os/FileSystem.h"
#include "program/Program.h"
#include "text/sjis.h"
#include "text/utf16.h"

namespace {

// A folder's own name, for a link to it from a folder beside it.
std::wstring NameOf(const TempDir& dir) {
  std::wstring p = dir.path();
  p.pop_back();
  return std::wstring(utf16::FileName(p));
}

std::wstring IdText(const std::wstring& path) {
  fs::OpenFile file(path);
  fs::FileId id;
  file.Id(id);
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  return text;
}

class ProgramUndo : public testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
    elsewhere.Touch(L"precious.txt", "precious");
    elsewhere.Touch(L"secret.txt", "secret");
  }
  // The message box the program shows now: its text, once answered.
  std::wstring Message() { return AnswerMessageBox(program, IDOK); }
  void Quit() {
    program.Click(program.Button(L"終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }

  TempDir home, files, elsewhere;
  Program program{home};
};

// Its journal a link to a file elsewhere, a renamed file replaced by a link to a file of
// another folder: the run says its journal stays in memory, the undo brings back what it
// moved and names what it refused, and both files elsewhere are as they were.
TEST_F(ProgramUndo, NeverWritesThroughALinkNorMovesAFileOfAnotherFolder) {
  ASSERT_TRUE(home.LinkUnix(L"Kinoha.undo", L"../" + NameOf(elsewhere) + L"/precious.txt"));
  const std::wstring a = files.Touch(L"a.txt", "a"), b = files.Touch(L"b.txt", "b");
  ASSERT_TRUE(program.Start({a, b}));
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  ASSERT_TRUE(program.AwaitPreview({L"n01", L"n02"}));
  program.Click(program.Button(L"リネーム", true));
  const std::wstring told = Message();
  EXPECT_NE(told.find(L"Kinoha.undo"), std::wstring::npos) << told;
  ASSERT_EQ(FolderListing(files.path()), (std::vector<std::wstring>{L"n01.txt", L"n02.txt"}));

  ASSERT_TRUE(files.UnlinkUnix(L"n02.txt"));
  ASSERT_TRUE(files.LinkUnix(L"n02.txt", L"../" + NameOf(elsewhere) + L"/secret.txt"));
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  const std::wstring refused = Message();
  EXPECT_NE(refused.find(L"n02.txt → b.txt（フォルダ外へのリンク）"), std::wstring::npos) << refused;
  Quit();
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::wstring>{L"a.txt", L"n02.txt"}));
  EXPECT_EQ(FileContent(files.path() + L"a.txt"), "a");
  EXPECT_EQ(FolderListing(elsewhere.path()), (std::vector<std::wstring>{L"precious.txt", L"secret.txt"}));
  EXPECT_EQ(FileContent(elsewhere.path() + L"precious.txt"), "precious");
  EXPECT_EQ(FileContent(elsewhere.path() + L"secret.txt"), "secret");
  EXPECT_EQ(FileContent(home.path() + L"Kinoha.undo"), "precious") << "the link is still there";
}

// A journal written by hand to rename files of a folder the user never gave: one line
// without an identity, one that climbs out with "..", one with the identity of another file.
TEST_F(ProgramUndo, AJournalWrittenByHandMovesNothing) {
  const std::wstring other = elsewhere.path();
  const std::wstring id = IdText(other + L"precious.txt");
  // In the journal's older form, Shift_JIS, which is still read.
  home.Touch(L"Kinoha.undo",
             sjis::FromUtf16Lenient(L"Kinoha リネーム記録 2026/12/07 10:00:00\r\n" + other + L"s.txt\t" + other +
                                    L"secret.txt\r\n" + files.path() + L"..\\" + NameOf(elsewhere) + L"\\s.txt\t" +
                                    files.path() + L"..\\" + NameOf(elsewhere) + L"\\precious.txt\t" + id + L"\r\n" +
                                    other + L"s.txt\t" + other + L"secret.txt\t" + id + L"\r\n完了\r\n"));
  ASSERT_TRUE(program.Start());
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  const std::wstring refused = Message();
  EXPECT_EQ(refused.rfind(L"3個のファイルを元に戻せませんでした。", 0), 0u) << refused;
  EXPECT_NE(refused.find(L"secret.txt → s.txt（別のファイル）"), std::wstring::npos) << refused;
  EXPECT_NE(refused.find(L"（記録が正しくありません）"), std::wstring::npos) << refused;
  Quit();
  EXPECT_EQ(FolderListing(other), (std::vector<std::wstring>{L"precious.txt", L"secret.txt"}));
}

// Two runs taken back one by one from the list's menu, and the older made again: each step's
// names on disk, and the count label saying what happened.
TEST(ProgramUndoRedo, TwoRunsBackAndTheFirstMadeAgain) {
  TempDir home, files;
  Program program{home};
  const std::wstring a = files.Touch(L"a.txt", "a"), b = files.Touch(L"b.txt", "b");
  ASSERT_TRUE(program.Start({a, b}));
  auto names = [&](const std::vector<std::wstring>& expected) {
    return program.Await(
        L"names on disk", [&] { return FolderListing(files.path()) == expected; }, [&] { return program.RowsText(); });
  };
  for (const wchar_t* base : {L"n", L"m"}) {
    program.TypeInto(program.InputAfter(L"基本名"), base);
    ASSERT_TRUE(program.AwaitPreview({std::wstring(base) + L"01", std::wstring(base) + L"02"}));
    program.Click(program.Button(L"リネーム", true));
    ASSERT_TRUE(program.AwaitCount(L"2個の項目（2件を変更しました）"));
  }
  for (const std::vector<std::wstring>& expected :
       {std::vector<std::wstring>{L"n01.txt", L"n02.txt"}, std::vector<std::wstring>{L"a.txt", L"b.txt"}}) {
    program.ChooseUndo();
    AnswerMessageBox(program, IDYES);
    ASSERT_TRUE(names(expected));
  }
  EXPECT_TRUE(program.AwaitCount(L"2個の項目（2件を元に戻しました）"));
  // やり直し sits just above 元に戻す.
  RECT r;
  GetWindowRect(program.List(), &r);
  PostMessageW(program.window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(program.List()), MAKELPARAM(r.left + 20, r.top + 40));
  program.Await(
      L"the list's menu", [] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; },
      [&] { return program.Screen(); });
  for (UINT vk : {VK_UP, VK_UP, VK_RETURN}) {
    PostMessageW(program.window(), WM_KEYDOWN, vk, 1);
    PostMessageW(program.window(), WM_KEYUP, vk, 0xC0000001);
  }
  AnswerMessageBox(program, IDYES);
  EXPECT_TRUE(names({L"n01.txt", L"n02.txt"}));
  EXPECT_TRUE(program.AwaitCount(L"2個の項目（2件をやり直しました）"));
  program.Click(program.Button(L"終了"));
  EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
