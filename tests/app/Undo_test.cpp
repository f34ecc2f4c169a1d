#include "app/WindowFixture.h"

#include <commctrl.h>

#include "app/RenameListView.h"
#include "engine/Rules.h"
#include "win/ListView.h"

namespace {

using Names = std::vector<std::string>;

}  // namespace

TEST_F(WindowTest, RowsTheRunWouldLeaveAreMarkedAndCounted) {
  TempDir dir;
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) dir.Touch(n);
  std::wstring readOnly = sjis::Widen(dir.path() + "b.txt");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  Open({dir.path()});
  Type(form->tabNumber->cmbBasName, "n");
  form->ChangeItem();
  Tick(5);
  EXPECT_EQ(win::GetText(form->lblCount), "3個の項目（1件は変更不可）");
  EXPECT_EQ(win::ListView(form->lstMain).Text(1, 2), "n02（読み取り専用）");
  EXPECT_EQ(win::ListView(form->lstMain).Text(2, 2), "n03");
  Click(form->btnRename);
  EXPECT_EQ(FolderListing(dir.path()), (Names{"b.txt", "n01.txt", "n03.txt"}));
  EXPECT_EQ(win::GetText(form->lblCount), "3個の項目（1件は変更不可）");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A journal written by one window is taken back by the next, with Ctrl+Z on its empty list.
TEST_F(WindowTest, UndoAfterARestartRestoresWhatItCanAndSaysWhatItCouldNot) {
  TempDir dir, home;
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) dir.Touch(n, n);
  journalFile = home.wpath() + L"\\Kinoha.undo";
  Open({dir.path()});
  Type(form->tabNumber->cmbBasName, "n");
  Click(form->btnRename);
  ASSERT_EQ(FolderListing(dir.path()), (Names{"n01.txt", "n02.txt", "n03.txt"}));
  form.reset();
  ASSERT_TRUE(home.Exists("Kinoha.undo"));
  ASSERT_TRUE(DeleteFileW(sjis::Widen(dir.path() + "n02.txt").c_str()));

  Open();
  form->pupMainPopup();
  EXPECT_FALSE(GetMenuState(form->pupMain, RenameListView::kUndo, MF_BYCOMMAND) & MF_GRAYED);
  std::vector<std::wstring> messages;
  form->messageBox = [&](const std::wstring& text, UINT) {
    messages.push_back(text);
    return IDOK;
  };
  SetFocus(form->lstMain);
  HoldCtrl(true);
  Key(form->lstMain, WM_KEYDOWN, 'Z');
  HoldCtrl(false);
  EXPECT_EQ(FolderListing(dir.path()), (Names{"a.txt", "c.txt"}));
  EXPECT_EQ(messages, std::vector<std::wstring>{win::Wide("1個のファイルを元に戻せませんでした。")});
  EXPECT_FALSE(home.Exists("Kinoha.undo"));
  form->pupMainPopup();
  EXPECT_TRUE(GetMenuState(form->pupMain, RenameListView::kUndo, MF_BYCOMMAND) & MF_GRAYED);
  form->mnuUndoClick();  // nothing left to take back
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(WindowTest, UndoGivesRowsTheirNamesBackAndRecomputesThePreview) {
  TempDir dir;
  for (const char* n : {"a.txt", "b.txt"}) dir.Touch(n, n);
  Open({dir.path()});
  Type(form->tabNumber->cmbBasName, "n");
  Click(form->btnRename);
  ASSERT_EQ(FileNames(), (Names{"n01.txt", "n02.txt"}));
  form->mnuUndoClick();
  EXPECT_EQ(FileNames(), (Names{"a.txt", "b.txt"}));
  EXPECT_EQ(NewNames(), (Names{"n01", "n02"}));
  EXPECT_EQ(FolderListing(dir.path()), (Names{"a.txt", "b.txt"}));
  EXPECT_EQ(win::GetText(form->lblCount), "2個の項目");
}
