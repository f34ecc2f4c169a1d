#include "app/WindowFixture.h"

#include <commctrl.h>

#include <set>

#include "app/Help.h"
#include "data/TestData.h"
#include "win/ListView.h"

TEST_F(WindowTest, QuickEditsGiveOneRecomputationOnTheFifthTick) {
  Open();
  AddRows({L"a.txt"});
  for (const wchar_t* text : {L"x", L"xy", L"xyz"}) {
    Tick(2);
    Type(form->tabNumber->cmbBasName, text);
    SendMessageW(form->tabNumber->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->tabNumber->cmbBasName), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(form->tabNumber->cmbBasName));
  }
  Tick(4);
  EXPECT_EQ(NewNames(), std::vector<std::wstring>{L""}) << "nothing before the fifth tick after the last change";
  Tick(1);
  EXPECT_EQ(NewNames(), std::vector<std::wstring>{L"xyz01"});
  EXPECT_EQ(TicksToPreview(), 0) << "one preview only";
}

TEST_F(WindowTest, NumberBoxesTakeDigitsOnlyAndKeepTheLastValidPosition) {
  Open();
  AddRows({L"a.txt"});
  SetFocus(form->tabNumber->edtStart);
  Type(form->tabNumber->edtStart, L"");
  for (wchar_t c : {L'a', L'4', L' ', L'-', L'2', L'.'}) SendMessageW(form->tabNumber->edtStart, WM_CHAR, c, 0);
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), L"42");
  SendMessageW(form->tabNumber->edtStart, WM_CHAR, 8, 0);
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), L"4");
  EXPECT_EQ(form->tabNumber->Start.pos(), 4);
  Type(form->tabNumber->edtStart, L"1");
  Type(form->tabNumber->edtStart, L"40000");  // above the range: the box shows the end it uses
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), L"32767");
  Type(form->tabNumber->edtStart, L"0042");
  EXPECT_EQ(form->tabNumber->Start.pos(), 42);
  Type(form->tabNumber->edtStart, L"");
  EXPECT_EQ(form->tabNumber->Start.pos(), 42);
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks) << "typing in a number box restarts the preview";
}

TEST_F(WindowTest, SettingsPageRecomputesNothingAndDisablesTheButtons) {
  Open();
  AddRows({L"a.txt"});
  form->SelectPage(PageId::Option);
  EXPECT_FALSE(IsWindowEnabled(form->btnRename));
  EXPECT_FALSE(IsWindowEnabled(form->btnClear));
  EXPECT_TRUE(IsWindowVisible(form->tabOption->pnlConfig));
  EXPECT_FALSE(IsWindowVisible(form->lstMain));
  Tick(5);
  EXPECT_EQ(NewNames(), std::vector<std::wstring>{L""}) << "the settings page has no rule";
  form->SelectPage(PageId::Number);
  EXPECT_TRUE(IsWindowEnabled(form->btnRename));
  EXPECT_TRUE(IsWindowEnabled(form->btnClear));
  EXPECT_FALSE(IsWindowVisible(form->tabOption->pnlConfig));
  EXPECT_EQ(GetFocus(), GetWindow(form->tabNumber->cmbBasName, GW_CHILD)) << "the page's main input has the focus";
  Tick(5);
  EXPECT_EQ(NewNames(), std::vector<std::wstring>{L"01"});
}

TEST_F(WindowTest, CtrlAFromAnEditBoxSelectsEveryRow) {
  Open();
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) form->list().Add(n, L"C:\\");
  form->SyncList();
  HWND edit = GetWindow(form->tabNumber->cmbBasName, GW_CHILD);
  Type(form->tabNumber->cmbBasName, L"text");
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 4, 4);  // the caret at the end
  // The key as the keyboard gives it: Ctrl held, then "A" down.
  HoldCtrl(true);
  Key(edit, WM_KEYDOWN, 'A');
  HoldCtrl(false);
  EXPECT_EQ(form->list().SelectedCount(), 3u);
  EXPECT_EQ(SendMessageW(form->lstMain, LVM_GETSELECTEDCOUNT, 0, 0), 3);
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), L"text") << "the key went to the list, not the box";
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end) << "the box's text is not selected, so the next key doesn't replace it";
}

TEST_F(WindowTest, EnterRenamesOnlyWhenEnabled) {
  TempDir dir;
  dir.Touch(L"a.txt");
  Open({dir.path() + L"a.txt"});
  Type(form->tabNumber->cmbBasName, L"b");
  HWND edit = GetWindow(form->tabNumber->cmbBasName, GW_CHILD);
  Key(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(dir.Exists(L"a.txt"));
  form->SelectPage(PageId::Option);
  Click(form->tabOption->chkEnterToExec);
  form->SelectPage(PageId::Number);
  Key(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(dir.Exists(L"b01.txt"));
  EXPECT_FALSE(dir.Exists(L"a.txt"));
}

TEST_F(WindowTest, TabMovesThroughThePageInputs) {
  Open();
  HWND edit = GetWindow(form->tabNumber->cmbBasName, GW_CHILD);
  SetFocus(edit);
  Key(edit, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), form->tabNumber->edtStart);
  Key(form->tabNumber->edtStart, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), form->tabNumber->edtStep);
}

TEST_F(WindowTest, RowsHoldTheListFontsWholeCell) {
  Open();
  form->list().Add(L"IMG_0001.JPG", L"C:\\");
  form->SyncList();
  HDC dc = GetDC(form->lstMain);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(form->lstMain, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(form->lstMain, dc);
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageW(form->lstMain, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  // The grid line takes the row's last pixel row; the whole cell must fit above it.
  EXPECT_GE(row.bottom - row.top, tm.tmHeight + tm.tmExternalLeading + 2);
}

TEST_F(WindowTest, HelpThatCantBeOpenedSaysSoAndNamesTheFile) {
  // No Kinoha.html beside the test program: F1 can't open the help.
  Open();
  std::vector<std::wstring> messages;
  prompts.message = [&](const std::wstring& text, UINT) {
    messages.push_back(text);
    return IDOK;
  };
  Key(form->tabNumber->cmbBasName, WM_KEYDOWN, VK_F1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(app::HelpFilePath()), std::wstring::npos);
}

// The header draws each caption, and the name column's sort arrow, as it draws them in a
// column far wider: nothing is cut short.
TEST_F(WindowTest, AnEmptyListsColumnsShowTheirCaptionsWhole) {
  Open();
  HWND header = ListView_GetHeader(form->lstMain);
  // What the header shows on the screen over a column's first pixels.
  auto drawn = [&](int column, int width) {
    RedrawWindow(form->lstMain, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT item{};
    Header_GetItemRect(header, column, &item);
    HDC dc = GetDC(header);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < item.bottom; ++y) {
      for (int x = item.left; x < item.left + width; ++x) pixels.push_back(GetPixel(dc, x, y));
    }
    ReleaseDC(header, dc);
    return pixels;
  };
  // The name column last: widened, it pushes the others out of sight.
  for (int column : {2, 0}) {
    // Short of the divider at the column's right end.
    const int width = static_cast<int>(SendMessageW(form->lstMain, LVM_GETCOLUMNWIDTH, column, 0)) - 4;
    const std::vector<COLORREF> fitted = drawn(column, width);
    ASSERT_GT(std::set<COLORREF>(fitted.begin(), fitted.end()).size(), 2u) << "the header drew something";
    SendMessageW(form->lstMain, LVM_SETCOLUMNWIDTH, column, 400);
    EXPECT_EQ(drawn(column, width), fitted) << column;
  }
}

TEST_F(WindowTest, AnEmptyDropDownOpensOneRowHigh) {
  Open();
  HWND combo = form->tabNumber->cmbBasName;
  auto droppedHeight = [&] {
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
    RECT r{};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
    return r.bottom - r.top;
  };
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  RECT field{};
  GetWindowRect(combo, &field);
  const int item = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  EXPECT_LE(droppedHeight(), (field.bottom - field.top) + 2 * item);
  for (const wchar_t* text : {L"a", L"b", L"c", L"d", L"e", L"f"}) win::AddComboItem(combo, text);
  EXPECT_GT(droppedHeight(), (field.bottom - field.top) + 4 * item) << "with entries it opens at its full height again";
}

// One version text: the 設定 page says what project() says, as the release's readme.txt does.
TEST_F(WindowTest, TheVersionIsTheProjectsVersion) {
  const auto bytes = testdata::Bytes("../../CMakeLists.txt");
  const std::wstring cmake(bytes.begin(), bytes.end());
  const std::size_t at = cmake.find(L"project(Kinoha VERSION ");
  ASSERT_NE(at, std::wstring::npos);
  const std::size_t from = at + std::wstring(L"project(Kinoha VERSION ").size();
  const std::wstring version = cmake.substr(from, cmake.find_first_of(L" )", from) - from);
  Open();
  EXPECT_EQ(win::GetText(form->tabOption->lblVersion), L"Ver. " + version);
}

TEST_F(WindowTest, TheFolderColumnShowsWhileTheRowsComeFromMoreThanOneFolder) {
  Open();
  rules::RenameList& list = form->list();
  auto width = [&] { return SendMessageW(form->lstMain, LVM_GETCOLUMNWIDTH, 1, 0); };
  list.Add(L"a.txt", L"C:\\x\\photos\\", 1, 0, 0, false, 5);
  list.Add(L"2024", L"C:\\x\\photos\\", 0, 0, 0, true, 5);
  form->SyncList();
  EXPECT_EQ(width(), 0);
  list.Add(L"b.txt", L"C:\\x\\photos\\2024\\", 1, 0, 0, false, 5);
  list.Add(L"c.txt", L"D:\\", 1, 0, 0);
  form->SyncList();
  win::ListView view(form->lstMain);
  // Rows in name order: 2024, a.txt, b.txt, c.txt.
  EXPECT_EQ(view.Text(2, 1), L"photos\\2024");
  EXPECT_EQ(view.Text(3, 1), L"D:\\");
  EXPECT_GT(width(), win::CaptionWidth(form->lstMain, 1));
  for (std::size_t i = 2; i < 4; ++i) list[i].selected = true;
  form->mnuDeleteClick();
  EXPECT_EQ(width(), 0);
}

TEST_F(WindowTest, TheHiddenEntriesNoteIsTheFirstOfTheIntakesNotesToGiveWay) {
  TempDir dir;
  for (const wchar_t* n : {L"f\\h1.txt", L"f\\h2.txt", L"f\\h3.txt"}) {
    SetFileAttributesW(dir.Touch(n).c_str(), FILE_ATTRIBUTE_HIDDEN);
  }
  Open();
  win::SetCheck(form->tabOption->chkDropDir, true);
  win::SetCheck(form->tabOption->chkSkipHidden, true);
  const std::vector<std::wstring> paths{dir.path() + L"gone1.txt", dir.path() + L"gone2.txt", dir.path() + L"f"};
  form->AddFiles(paths);
  EXPECT_EQ(win::GetText(form->lblCount), L"0個の項目（2件は取り込めません: ファイルなし）（隠しファイル 3件を除外）");
  // Just room for the faults' note.
  HDC dc = GetDC(form->lblCount);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(form->lblCount, WM_GETFONT, 0, 0)));
  const int room = win::TextWidth(dc, L"0個の項目（2件は取り込めません: ファイルなし）");
  SelectObject(dc, old);
  ReleaseDC(form->lblCount, dc);
  SetWindowPos(form->lblCount, nullptr, 0, 0, room + 2, 20, SWP_NOMOVE | SWP_NOZORDER);
  form->AddFiles(paths);
  EXPECT_EQ(win::GetText(form->lblCount), L"0個の項目（2件は取り込めません: ファイルなし）");
}

// The list is a W control: names with no Shift_JIS form, a surrogate pair and a Mac's split mark
// show unit for unit, their new names too.
TEST_F(WindowTest, TheListShowsEveryNameAsItIs) {
  Open();
  AddRows({L"Beyonc\u00E9.mp3", L"\u301C\u30E1\u30E2.txt", L"\U0001F600.txt", L"\uD55C\uAD6D\uC5B4.txt",
           L"\u30B7\u3099\u30FC\u30EB.txt"});
  form->SyncList();
  form->SelectPage(PageId::Case);
  form->tabCase->rdgLetter.SetIndex(0);
  form->UpdatePreview();
  win::ListView view(form->lstMain);
  ASSERT_EQ(view.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    const rules::RenameEntry& row = form->list()[static_cast<std::size_t>(i)];
    EXPECT_EQ(view.Text(i, 0), row.fileName);
    EXPECT_EQ(view.Text(i, 2), row.newName);
    if (row.fileName.starts_with(L"Beyonc")) {
      EXPECT_EQ(row.newName, L"BEYONC\u00C9");
    }
  }
}
