// The real program at the seams: a window that finds the journal held by another waits for it,
// a name held by a link that points nowhere is never taken, a folder swapped for a link after
// the preview is not entered, and an undo never renames a later file that got the run's index.
#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "os/FileSystem.h"
#include "disk/Journal.h"
#include "program/Program.h"
#include "text/sjis.h"

namespace {

using Names = std::vector<std::string>;

std::string Folder(const TempDir& dir) {
  std::string p = dir.path();
  p.pop_back();
  return p;
}

class ProgramSeams : public testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
  }
  // Numbers the list as n01, n02, ... and waits for the preview.
  void Number(const Names& preview) {
    program.TypeInto(program.InputAfter("基本名"), "n");
    ASSERT_TRUE(program.AwaitPreview(preview));
  }
  void Rename(const std::string& label) {
    program.Click(program.Button("リネーム", true));
    EXPECT_TRUE(program.AwaitCount(label));
  }
  void Quit() {
    program.Click(program.Button("終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }

  TempDir home, files;
  Program program{home};
};

// Another window holds the journal (here the test does): the run waits and says so, and goes
// on once the journal is free, reading it again.
TEST_F(ProgramSeams, ARunWaitsWhileAnotherWindowHoldsTheJournal) {
  disk::Journal other(sjis::ToUtf16Lenient(home.path() + "Kinoha.undo"));
  ASSERT_TRUE(program.Start({files.Touch("a.txt", "a")}));
  Number({"n01"});
  ASSERT_TRUE(other.Take());
  program.Click(program.Button("リネーム", true));
  ASSERT_TRUE(program.AwaitCount("別のウィンドウの処理を待っています（Escで中止）"));
  EXPECT_EQ(FolderListing(files.path()), Names{"a.txt"});
  other.Release();
  EXPECT_TRUE(program.AwaitCount("1個の項目（1件を変更しました）"));
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{"n01.txt"});
  EXPECT_EQ(disk::Journal(sjis::ToUtf16Lenient(home.path() + "Kinoha.undo")).Moves().size(), 1u);
}

// The run's file deleted and a new one saved under its name, which (as some disks do) got the
// deleted file's index: the undo leaves it alone and says why.
TEST_F(ProgramSeams, UndoLeavesALaterFileThatGotTheRunsIndex) {
  ASSERT_TRUE(program.Start({files.Touch("a.txt", "a")}));
  Number({"n01"});
  Rename("1個の項目（1件を変更しました）");
  const std::string renamed = files.path() + "n01.txt";
  ASSERT_TRUE(DeleteFileW(sjis::ToUtf16Lenient(renamed).c_str()));
  files.Touch("n01.txt", "stranger");
  fs::FileId id;
  ASSERT_TRUE(fs::OpenFile(renamed).Id(id));
  // The record's index becomes the stranger's; its birth stays the run's file's.
  std::string journal = FileContent(home.path() + "Kinoha.undo");
  const std::size_t at = journal.find(renamed + "\t");
  ASSERT_NE(at, std::string::npos) << journal;
  char index[24];
  std::snprintf(index, sizeof index, "%016llX", static_cast<unsigned long long>(id.index));
  journal.replace(at + renamed.size() + 1 + 9, 16, index);
  home.Touch("Kinoha.undo", journal);
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  const std::string told = AnswerMessageBox(program, IDOK);
  EXPECT_NE(told.find("n01.txt → a.txt（別のファイル）"), std::string::npos) << told;
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{"n01.txt"});
  EXPECT_EQ(FileContent(renamed), "stranger");
}

// A link that points nowhere bears the new name: the preview marks the name taken, and the run
// leaves the file and the link alone.
TEST_F(ProgramSeams, ANameHeldByADanglingLinkIsNeverTaken) {
  ASSERT_TRUE(files.LinkUnix("n01.txt", "nowhere"));
  ASSERT_TRUE(program.Start({files.Touch("a.txt", "a")}));
  program.TypeInto(program.InputAfter("基本名"), "n");
  ASSERT_TRUE(program.AwaitCount("1個の項目（1件は変更不可）"));
  EXPECT_NE(program.RowsText().find("a.txt>n01（同名のファイルあり）"), std::string::npos) << program.RowsText();
  Rename("1個の項目（0件を変更しました、1件は変更不可）");
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{"a.txt"});
  EXPECT_TRUE(files.UnlinkUnix("n01.txt")) << "the link is still there";
}

// After the preview a folder of the tree becomes a link to a folder outside it: the file that
// now shows through the link is not the one listed, and nothing moves.
TEST_F(ProgramSeams, AFolderSwappedForALinkAfterThePreviewIsNotEntered) {
  TempDir outside;
  outside.Touch("a.txt", "not ours");
  files.Touch("sub\\a.txt", "ours");
  program.WriteSettings("[Option]\r\nSubFolders=1\r\n");
  ASSERT_TRUE(program.Start({Folder(files)}));
  Number({"n01"});
  ASSERT_TRUE(MoveFileW(sjis::ToUtf16Lenient(files.path() + "sub").c_str(),
                        sjis::ToUtf16Lenient(files.path() + "old").c_str()));
  std::string outsideName = Folder(outside);
  outsideName = std::string(sjis::FileName(outsideName));
  ASSERT_TRUE(files.LinkUnix("sub", "../" + outsideName));
  Rename("1個の項目（0件を変更しました、1件は変更不可）");
  Quit();
  EXPECT_EQ(FolderListing(outside.path()), Names{"a.txt"});
  EXPECT_EQ(FileContent(outside.path() + "a.txt"), "not ours");
  EXPECT_EQ(FileContent(files.path() + "old\\a.txt"), "ours");
}

// At start a damaged journal is kept aside and said once, and the run an earlier version's crash
// left in a file beside the journal is taken in: 元に戻す brings its file back.
TEST_F(ProgramSeams, AStartKeepsADamagedJournalAsideAndTakesInARunLeftBesideIt) {
  files.Touch("b.txt", "a");
  fs::FileId id;
  ASSERT_TRUE(fs::OpenFile(files.path() + "b.txt").Id(id));
  char idText[32];
  std::snprintf(idText, sizeof idText, "%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  home.Touch("Kinoha.undo.77-1.tmp", "Kinoha リネーム記録 2026/12/01 10:00:00\tリネーム\t#7\r\n" + files.path() +
                                         "a.txt\t" + files.path() + "b.txt\t" + idText + "\r\n");
  home.Touch("Kinoha.undo", "not a journal\r\n");
  ASSERT_TRUE(program.Start());
  const std::string told = AnswerMessageBox(program, IDOK);
  EXPECT_NE(told.find("Kinoha.undo.bad に移しました"), std::string::npos) << told;
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  EXPECT_TRUE(program.AwaitCount("0個の項目（1件を元に戻しました）"));
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{"a.txt"});
  EXPECT_EQ(FileContent(home.path() + "Kinoha.undo.bad"), "not a journal\r\n");
  EXPECT_FALSE(home.Exists("Kinoha.undo.77-1.tmp"));
}

// 拡張子変更 to jpg over photos of which one already ends in .jpg: that one is left alone and
// unmarked, and the label counts what changed.
TEST_F(ProgramSeams, AChangeOfExtensionLeavesTheFilesThatHaveItAlone) {
  ASSERT_TRUE(program.Start({files.Touch("a.JPG", "a"), files.Touch("b.jpg", "b"), files.Touch("c.jpeg", "c")}));
  Number({"n01", "n02", "n03"});
  program.ChooseFromMenu(7);  // すべて選択
  program.ChooseFromMenu(6);  // 拡張子変更
  const HWND dialog = program.AwaitDialog();
  ASSERT_NE(dialog, nullptr);
  SendMessageW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"jpg"));
  program.Click(program.ChildOf(dialog, "OK"));
  EXPECT_TRUE(program.AwaitCount("3個の項目（2件の拡張子を変更しました）"));
  EXPECT_EQ(program.RowsText().find("（"), std::string::npos) << program.RowsText();
  Quit();
  EXPECT_EQ(FolderListing(files.path()), (Names{"a.jpg", "b.jpg", "c.jpg"}));
}

}  // namespace
