// The real program's undo and redo, and its undo against hostile files: links in place of renamed files and of its
// own journal, and a journal written by hand. Nothing outside the folders it renamed in moves,
// and nothing it doesn't own is written or deleted.
#include <windows.h>

#include <gtest/gtest.h>

#include "os/FileSystem.h"
#include "program/Program.h"
#include "text/sjis.h"

namespace {

// A folder's own name, for a link to it from a folder beside it.
std::string NameOf(const TempDir& dir) {
  std::string p = dir.path();
  p.pop_back();
  return std::string(sjis::FileName(p));
}

std::string IdText(const std::string& path) {
  fs::OpenFile file(path);
  fs::FileId id;
  file.Id(id);
  char text[32];
  std::snprintf(text, sizeof text, "%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  return text;
}

class ProgramUndo : public testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
    elsewhere.Touch("precious.txt", "precious");
    elsewhere.Touch("secret.txt", "secret");
  }
  // The message box the program shows now: its text, once answered.
  std::string Message() { return AnswerMessageBox(program, IDOK); }
  void Quit() {
    program.Click(program.Button("終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }

  TempDir home, files, elsewhere;
  Program program{home};
};

// Its journal a link to a file elsewhere, a renamed file replaced by a link to a file of
// another folder: the run says its journal stays in memory, the undo brings back what it
// moved and names what it refused, and both files elsewhere are as they were.
TEST_F(ProgramUndo, NeverWritesThroughALinkNorMovesAFileOfAnotherFolder) {
  ASSERT_TRUE(home.LinkUnix("Kinoha.undo", "../" + NameOf(elsewhere) + "/precious.txt"));
  const std::string a = files.Touch("a.txt", "a"), b = files.Touch("b.txt", "b");
  ASSERT_TRUE(program.Start({a, b}));
  program.TypeInto(program.InputAfter("基本名"), "n");
  ASSERT_TRUE(program.AwaitPreview({"n01", "n02"}));
  program.Click(program.Button("リネーム", true));
  const std::string told = Message();
  EXPECT_NE(told.find("Kinoha.undo"), std::string::npos) << told;
  ASSERT_EQ(FolderListing(files.path()), (std::vector<std::string>{"n01.txt", "n02.txt"}));

  ASSERT_TRUE(files.UnlinkUnix("n02.txt"));
  ASSERT_TRUE(files.LinkUnix("n02.txt", "../" + NameOf(elsewhere) + "/secret.txt"));
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  const std::string refused = Message();
  EXPECT_NE(refused.find("n02.txt → b.txt（フォルダ外へのリンク）"), std::string::npos) << refused;
  Quit();
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::string>{"a.txt", "n02.txt"}));
  EXPECT_EQ(FileContent(files.path() + "a.txt"), "a");
  EXPECT_EQ(FolderListing(elsewhere.path()), (std::vector<std::string>{"precious.txt", "secret.txt"}));
  EXPECT_EQ(FileContent(elsewhere.path() + "precious.txt"), "precious");
  EXPECT_EQ(FileContent(elsewhere.path() + "secret.txt"), "secret");
  EXPECT_EQ(FileContent(home.path() + "Kinoha.undo"), "precious") << "the link is still there";
}

// A journal written by hand to rename files of a folder the user never gave: one line
// without an identity, one that climbs out with "..", one with the identity of another file.
TEST_F(ProgramUndo, AJournalWrittenByHandMovesNothing) {
  const std::string other = elsewhere.path();
  const std::string id = IdText(other + "precious.txt");
  home.Touch("Kinoha.undo", "Kinoha リネーム記録 2026/12/07 10:00:00\r\n" +
                                other + "s.txt\t" + other + "secret.txt\r\n" +
                                files.path() + "..\\" + NameOf(elsewhere) + "\\s.txt\t" + files.path() + "..\\" +
                                NameOf(elsewhere) + "\\precious.txt\t" + id + "\r\n" +
                                other + "s.txt\t" + other + "secret.txt\t" + id + "\r\n完了\r\n");
  ASSERT_TRUE(program.Start());
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  const std::string refused = Message();
  EXPECT_EQ(refused.rfind("3個のファイルを元に戻せませんでした。", 0), 0u) << refused;
  EXPECT_NE(refused.find("secret.txt → s.txt（別のファイル）"), std::string::npos) << refused;
  EXPECT_NE(refused.find("（記録が正しくありません）"), std::string::npos) << refused;
  Quit();
  EXPECT_EQ(FolderListing(other), (std::vector<std::string>{"precious.txt", "secret.txt"}));
}

// Two runs taken back one by one from the list's menu, and the older made again: each step's
// names on disk, and the count label saying what happened.
TEST(ProgramUndoRedo, TwoRunsBackAndTheFirstMadeAgain) {
  TempDir home, files;
  Program program{home};
  const std::string a = files.Touch("a.txt", "a"), b = files.Touch("b.txt", "b");
  ASSERT_TRUE(program.Start({a, b}));
  auto names = [&](const std::vector<std::string>& expected) {
    return program.Await("names on disk", [&] { return FolderListing(files.path()) == expected; },
                         [&] { return program.RowsText(); });
  };
  for (const char* base : {"n", "m"}) {
    program.TypeInto(program.InputAfter("基本名"), base);
    ASSERT_TRUE(program.AwaitPreview({std::string(base) + "01", std::string(base) + "02"}));
    program.Click(program.Button("リネーム", true));
    ASSERT_TRUE(program.AwaitCount("2個の項目（2件を変更しました）"));
  }
  for (const std::vector<std::string>& expected : {std::vector<std::string>{"n01.txt", "n02.txt"},
                                                   std::vector<std::string>{"a.txt", "b.txt"}}) {
    program.ChooseUndo();
    AnswerMessageBox(program, IDYES);
    ASSERT_TRUE(names(expected));
  }
  EXPECT_TRUE(program.AwaitCount("2個の項目（2件を元に戻しました）"));
  // やり直し sits just above 元に戻す.
  RECT r;
  GetWindowRect(program.List(), &r);
  PostMessageW(program.window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(program.List()), MAKELPARAM(r.left + 20, r.top + 40));
  program.Await("the list's menu", [] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; },
                [&] { return program.Screen(); });
  for (UINT vk : {VK_UP, VK_UP, VK_RETURN}) {
    PostMessageW(program.window(), WM_KEYDOWN, vk, 1);
    PostMessageW(program.window(), WM_KEYUP, vk, 0xC0000001);
  }
  AnswerMessageBox(program, IDYES);
  EXPECT_TRUE(names({"n01.txt", "n02.txt"}));
  EXPECT_TRUE(program.AwaitCount("2個の項目（2件をやり直しました）"));
  program.Click(program.Button("終了"));
  EXPECT_TRUE(program.WaitForExit());
}

}  // namespace
