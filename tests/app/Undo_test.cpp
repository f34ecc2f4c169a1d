#include "app/WindowFixture.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/RenameListView.h"
#include "os/FileSystem.h"
#include "rules/Rules.h"
#include "win/ListView.h"

namespace {

using Names = std::vector<std::wstring>;

}  // namespace

TEST_F(WindowTest, RowsTheRunWouldLeaveAreMarkedAndCounted) {
  TempDir dir;
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) dir.Touch(n);
  std::wstring readOnly = dir.path() + L"b.txt";
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  Open({dir.path()});
  Type(form->tabNumber->cmbBasName, L"n");
  form->ChangeItem();
  Tick(5);
  EXPECT_EQ(win::GetText(form->lblCount), L"3個の項目（1件は変更不可）");
  EXPECT_EQ(win::ListView(form->lstMain).Text(1, 2), L"b（読み取り専用）");
  EXPECT_EQ(win::ListView(form->lstMain).Text(2, 2), L"n02");
  Click(form->btnRename);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"b.txt", L"n01.txt", L"n02.txt"}));
  EXPECT_EQ(win::GetText(form->lblCount), L"3個の項目（2件を変更しました、1件は変更不可）");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A journal written by one window is taken back by the next, with Ctrl+Z on its empty list;
// what can't be taken back is named, and stays for a second undo; then it can be made again.
TEST_F(WindowTest, UndoAfterARestartRestoresWhatItCanAndKeepsTheRestForASecondUndo) {
  TempDir dir, home;
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) dir.Touch(n, utf16::ToUtf8(n));
  journalFile = home.wpath() + L"\\Kinoha.undo";
  Open({dir.path()});
  Type(form->tabNumber->cmbBasName, L"n");
  Click(form->btnRename);
  ASSERT_EQ(FolderListing(dir.path()), (Names{L"n01.txt", L"n02.txt", L"n03.txt"}));
  form.reset();
  ASSERT_TRUE(home.Exists(L"Kinoha.undo"));
  dir.Touch(L"b.txt", "in the way");

  Open();
  std::vector<std::wstring> messages;
  prompts.message = [&](const std::wstring& text, UINT type) {
    if ((type & MB_TYPEMASK) == MB_YESNO) return IDYES;  // the undo's question
    messages.push_back(text);
    return IDOK;
  };
  auto undo = [&] {
    form->pupMainPopup();
    EXPECT_FALSE(GetMenuState(form->pupMain, RenameListView::kUndo, MF_BYCOMMAND) & MF_GRAYED);
    SetFocus(form->lstMain);
    HoldCtrl(true);
    Key(form->lstMain, WM_KEYDOWN, 'Z');
    HoldCtrl(false);
  };
  undo();
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt", L"n02.txt"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].starts_with(L"1個のファイルを元に戻せませんでした。\n\n" + dir.path() +
                                      L"n02.txt → b.txt（同名のファイルあり）"))
      << messages[0];
  ASSERT_TRUE(DeleteFileW((dir.path() + L"b.txt").c_str()));
  undo();
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt"}));
  EXPECT_EQ(FileContent(dir.path() + L"b.txt"), "b.txt");
  EXPECT_EQ(messages.size(), 1u);
  form->pupMainPopup();
  EXPECT_TRUE(GetMenuState(form->pupMain, RenameListView::kUndo, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(form->pupMain, RenameListView::kRedo, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(WindowTest, UndoGivesRowsTheirNamesBackAndRecomputesThePreview) {
  TempDir dir;
  for (const wchar_t* n : {L"a.txt", L"b.txt"}) dir.Touch(n, utf16::ToUtf8(n));
  Open({dir.path()});
  Type(form->tabNumber->cmbBasName, L"n");
  Click(form->btnRename);
  ASSERT_EQ(FileNames(), (Names{L"n01.txt", L"n02.txt"}));
  prompts.message = [](const std::wstring&, UINT) { return IDYES; };
  // Esc stops it after the first file; the second undo goes on with the rest.
  PostMessageW(form->lstMain, WM_KEYDOWN, VK_ESCAPE, 0);
  form->mnuUndoClick();
  EXPECT_EQ(win::GetText(form->lblCount), L"2個の項目（1件を元に戻して中止しました）");
  form->mnuUndoClick();
  EXPECT_EQ(FileNames(), (Names{L"a.txt", L"b.txt"}));
  EXPECT_EQ(NewNames(), (Names{L"n01", L"n02"}));
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt"}));
  EXPECT_EQ(win::GetText(form->lblCount), L"2個の項目（1件を元に戻しました）");
}

// A failure in the middle of a run stops it cleanly: what was renamed stays renamed (and in
// the journal), the rest keep their names and rows, and the user is told both.
TEST_F(WindowTest, ARunThatFailsStopsAndSaysWhatWasRenamed) {
  TempDir dir;
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) dir.Touch(n, utf16::ToUtf8(n));
  Open({dir.path()});
  std::vector<std::wstring> messages;
  prompts.message = [&](const std::wstring& text, UINT) {
    messages.push_back(text);
    return IDYES;  // an OK, and yes to the undo's question
  };
  Type(form->tabNumber->cmbBasName, L"n");
  int moves = 0;
  form->session().SetMover([&](fs::OpenFile& file, std::wstring_view to) -> std::uint32_t {
    if (++moves == 2) throw std::runtime_error("broken");
    return file.RenameTo(to);
  });
  Click(form->btnRename);
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"n03.txt"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            L"リネームを途中で中止しました（broken）。\n1個のファイルの名前を変更し、残りの2個は変更していません。"
            L"変更した分は「元に戻す」で戻せます。");
  form->mnuUndoClick();
  EXPECT_EQ(FolderListing(dir.path()), (Names{L"a.txt", L"b.txt", L"c.txt"}));
}
