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
#include "text/utf16.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring Folder(const TempDir& dir) {
  std::wstring p = dir.path();
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
    program.TypeInto(program.InputAfter(L"基本名"), L"n");
    ASSERT_TRUE(program.AwaitPreview(preview));
  }
  void Rename(const std::wstring& label) {
    program.Click(program.Button(L"リネーム", true));
    EXPECT_TRUE(program.AwaitCount(label));
  }
  void Quit() {
    program.Click(program.Button(L"終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }

  TempDir home, files;
  Program program{home};
};

// Another window holds the journal (here the test does): the run waits and says so, and goes
// on once the journal is free, reading it again.
TEST_F(ProgramSeams, ARunWaitsWhileAnotherWindowHoldsTheJournal) {
  disk::Journal other(home.path() + L"Kinoha.undo");
  ASSERT_TRUE(program.Start({files.Touch(L"a.txt", "a")}));
  Number({L"n01"});
  ASSERT_TRUE(other.Take());
  program.Click(program.Button(L"リネーム", true));
  ASSERT_TRUE(program.AwaitCount(L"別のウィンドウの処理を待っています（Escで中止）"));
  EXPECT_EQ(FolderListing(files.path()), Names{L"a.txt"});
  other.Release();
  EXPECT_TRUE(program.AwaitCount(L"1個の項目（1件を変更しました）"));
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{L"n01.txt"});
  EXPECT_EQ(disk::Journal(home.path() + L"Kinoha.undo").Moves().size(), 1u);
}

// The run's file deleted and a new one saved under its name, which (as some disks do) got the
// deleted file's index: the undo leaves it alone and says why.
TEST_F(ProgramSeams, UndoLeavesALaterFileThatGotTheRunsIndex) {
  ASSERT_TRUE(program.Start({files.Touch(L"a.txt", "a")}));
  Number({L"n01"});
  Rename(L"1個の項目（1件を変更しました）");
  const std::wstring renamed = files.path() + L"n01.txt";
  ASSERT_TRUE(DeleteFileW(renamed.c_str()));
  files.Touch(L"n01.txt", "stranger");
  fs::FileId id;
  ASSERT_TRUE(fs::OpenFile(renamed).Id(id));
  // The record's index becomes the stranger's; its birth stays the run's file's.
  std::string journal = FileContent(home.path() + L"Kinoha.undo");
  const std::string renamedBytes = utf16::ToUtf8(renamed);
  const std::size_t at = journal.find(renamedBytes + "\t");
  ASSERT_NE(at, std::string::npos) << journal;
  char index[24];
  std::snprintf(index, sizeof index, "%016llX", static_cast<unsigned long long>(id.index));
  journal.replace(at + renamedBytes.size() + 1 + 9, 16, index);
  home.Touch(L"Kinoha.undo", journal);
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  const std::wstring told = AnswerMessageBox(program, IDOK);
  EXPECT_NE(told.find(L"n01.txt → a.txt（別のファイル）"), std::wstring::npos) << told;
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{L"n01.txt"});
  EXPECT_EQ(FileContent(renamed), "stranger");
}

// A link that points nowhere bears the new name: the preview marks the name taken, and the run
// leaves the file and the link alone.
TEST_F(ProgramSeams, ANameHeldByADanglingLinkIsNeverTaken) {
  ASSERT_TRUE(files.LinkUnix(L"n01.txt", L"nowhere"));
  ASSERT_TRUE(program.Start({files.Touch(L"a.txt", "a")}));
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  ASSERT_TRUE(program.AwaitCount(L"1個の項目（1件は変更不可）"));
  EXPECT_NE(program.RowsText().find(L"a.txt>n01（同名のファイルあり）"), std::wstring::npos) << program.RowsText();
  Rename(L"1個の項目（0件を変更しました、1件は変更不可）");
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{L"a.txt"});
  EXPECT_TRUE(files.UnlinkUnix(L"n01.txt")) << "the link is still there";
}

// After the preview a folder of the tree becomes a link to a folder outside it: the file that
// now shows through the link is not the one listed, and nothing moves.
TEST_F(ProgramSeams, AFolderSwappedForALinkAfterThePreviewIsNotEntered) {
  TempDir outside;
  outside.Touch(L"a.txt", "not ours");
  files.Touch(L"sub\\a.txt", "ours");
  program.WriteSettings("[Option]\r\nSubFolders=1\r\n");
  ASSERT_TRUE(program.Start({Folder(files)}));
  Number({L"n01"});
  ASSERT_TRUE(MoveFileW((files.path() + L"sub").c_str(), (files.path() + L"old").c_str()));
  std::wstring outsideName = Folder(outside);
  outsideName = std::wstring(utf16::FileName(outsideName));
  ASSERT_TRUE(files.LinkUnix(L"sub", L"../" + outsideName));
  Rename(L"1個の項目（0件を変更しました、1件は変更不可）");
  Quit();
  EXPECT_EQ(FolderListing(outside.path()), Names{L"a.txt"});
  EXPECT_EQ(FileContent(outside.path() + L"a.txt"), "not ours");
  EXPECT_EQ(FileContent(files.path() + L"old\\a.txt"), "ours");
}

// At start a damaged journal is kept aside and said once, and the run an earlier version's crash
// left in a file beside the journal is taken in: 元に戻す brings its file back.
TEST_F(ProgramSeams, AStartKeepsADamagedJournalAsideAndTakesInARunLeftBesideIt) {
  files.Touch(L"b.txt", "a");
  fs::FileId id;
  ASSERT_TRUE(fs::OpenFile(files.path() + L"b.txt").Id(id));
  wchar_t idText[32];
  std::swprintf(idText, std::size(idText), L"%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  // An earlier version's record: Shift_JIS.
  home.Touch(L"Kinoha.undo.77-1.tmp",
             sjis::FromUtf16Lenient(L"Kinoha リネーム記録 2026/12/01 10:00:00\tリネーム\t#7\r\n" + files.path() +
                                    L"a.txt\t" + files.path() + L"b.txt\t" + idText + L"\r\n"));
  home.Touch(L"Kinoha.undo", "not a journal\r\n");
  ASSERT_TRUE(program.Start());
  const std::wstring told = AnswerMessageBox(program, IDOK);
  EXPECT_NE(told.find(L"Kinoha.undo.bad に移しました"), std::wstring::npos) << told;
  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  EXPECT_TRUE(program.AwaitCount(L"0個の項目（1件を元に戻しました）"));
  Quit();
  EXPECT_EQ(FolderListing(files.path()), Names{L"a.txt"});
  EXPECT_EQ(FileContent(home.path() + L"Kinoha.undo.bad"), "not a journal\r\n");
  EXPECT_FALSE(home.Exists(L"Kinoha.undo.77-1.tmp"));
}

// 拡張子変更 to jpg over photos of which one already ends in .jpg: that one is left alone and
// unmarked, and the label counts what changed.
TEST_F(ProgramSeams, AChangeOfExtensionLeavesTheFilesThatHaveItAlone) {
  ASSERT_TRUE(program.Start({files.Touch(L"a.JPG", "a"), files.Touch(L"b.jpg", "b"), files.Touch(L"c.jpeg", "c")}));
  Number({L"n01", L"n02", L"n03"});
  program.ChooseFromMenu(8);  // すべて選択
  program.ChooseFromMenu(7);  // 拡張子変更
  const HWND dialog = program.AwaitDialog();
  ASSERT_NE(dialog, nullptr);
  SendMessageW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"jpg"));
  program.Click(program.ChildOf(dialog, L"OK"));
  EXPECT_TRUE(program.AwaitCount(L"3個の項目（2件の拡張子を変更しました）"));
  EXPECT_EQ(program.RowsText().find(L"（"), std::wstring::npos) << program.RowsText();
  Quit();
  EXPECT_EQ(FolderListing(files.path()), (Names{L"a.jpg", L"b.jpg", L"c.jpg"}));
}

}  // namespace
