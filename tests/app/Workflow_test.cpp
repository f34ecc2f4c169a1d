#include "app/WindowFixture.h"

#include <commctrl.h>

TEST_F(WindowTest, DroppedFolderIsListedSortedCountedAndPreviewed) {
  TempDir dir;
  for (const char* n : {"c.jpg", "a.jpg", "B.jpg", "写真.jpg"}) dir.Touch(std::string("photos\\") + n);
  dir.Touch("photos\\sub\\deep.jpg");
  Open();
  Drop({sjis::ToUtf16Lenient(dir.path() + "photos")});
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"a.jpg", "B.jpg", "c.jpg", "写真.jpg"}));
  EXPECT_EQ(win::GetText(form->lblCount), "4個の項目");
  EXPECT_EQ(NewNames(), std::vector<std::string>(4, "")) << "new names come with the preview";
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), "a");
  EXPECT_EQ(win::GetText(form->tabReplace->cmbOldValue), "a");
  EXPECT_EQ(win::GetText(form->tabAdd->cmbAddValue), "a");
  EXPECT_EQ(win::GetText(form->tabReplace->cmbNewValue), "");
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), 0);
  EXPECT_EQ(SendMessageW(form->lstMain, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"a01", "a02", "a03", "a04"}));
}

TEST_F(WindowTest, DroppedPathsThatCouldNameAnotherFileAreSkipped) {
  TempDir dir;
  std::wstring odd = dir.TouchW(L"caf\u00E9.txt");
  dir.Touch("cafe.txt");
  std::string longName(250, 'x');
  std::wstring longPath = sjis::ToUtf16Lenient(dir.path()) + sjis::ToUtf16Lenient(longName);
  Open();
  Drop({odd, longPath, sjis::ToUtf16Lenient(dir.path() + "cafe.txt")});
  EXPECT_EQ(FileNames(), std::vector<std::string>{"cafe.txt"});
}

TEST_F(WindowTest, RenameRunUsesCurrentInputsAndRecordsTheHistory) {
  TempDir dir;
  for (const char* n : {"x.txt", "y.txt", "z.txt"}) dir.Touch(n);
  Open({dir.path()});
  Tick(5);
  Type(form->tabNumber->cmbBasName, "  photo ");
  form->ChangeItem();
  form->Timer1Timer();  // one tick after the keystroke: the preview is stale
  Click(form->btnRename);
  EXPECT_TRUE(dir.Exists("  photo 01.txt")) << "the run applies what the inputs say now";
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"  photo 01.txt", "  photo 02.txt", "  photo 03.txt"}));
  EXPECT_EQ(win::ComboItems(form->tabNumber->cmbBasName), std::vector<std::string>{"photo"});
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), "  photo ") << "the box keeps its untrimmed text";
  EXPECT_EQ(win::GetText(form->lblCount), "3個の項目（3件を変更しました）");
  // A second run with unchanged inputs renames nothing.
  Click(form->btnRename);
  EXPECT_TRUE(dir.Exists("  photo 03.txt"));
}

TEST_F(WindowTest, ClearItemsLeavesOnlyTheFailures) {
  TempDir dir;
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) dir.Touch(n);
  std::string ro = dir.path() + "b.txt";
  SetFileAttributesW(sjis::ToUtf16Lenient(ro).c_str(), FILE_ATTRIBUTE_READONLY);
  Open({dir.path()});
  form->SelectPage(PageId::Option);
  Click(form->tabOption->chkClearItems);
  form->SelectPage(PageId::Number);
  Type(form->tabNumber->cmbBasName, "n");
  Click(form->btnRename);
  EXPECT_EQ(FileNames(), std::vector<std::string>{"b.txt"});
  EXPECT_EQ(win::GetText(form->lblCount), "1個の項目（2件を変更しました、1件は変更不可）");
  SetFileAttributesW(sjis::ToUtf16Lenient(ro).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowTest, DatePresetMovesToTheFront) {
  Open();
  form->tabDate->DateFormats = {"P0", "P1", "P2"};
  form->tabDate->RefreshDateFormats();
  form->SelectPage(PageId::Date);
  win::SetComboSelection(form->tabDate->cmbDateFormat, 2);
  Click(form->btnRename);
  EXPECT_EQ(form->tabDate->DateFormats, (std::vector<std::string>{"P2", "P0", "P1"}));
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), 0);
  EXPECT_EQ(win::ComboItems(form->tabDate->cmbDateFormat).front(), "P2");
  win::SetComboSelection(form->tabDate->cmbDateFormat, 0);
  Click(form->btnRename);
  EXPECT_EQ(form->tabDate->DateFormats, (std::vector<std::string>{"P2", "P0", "P1"}));
  form->tabDate->DateFormats.clear();
  form->tabDate->RefreshDateFormats();
  Click(form->btnRename);
  EXPECT_TRUE(form->tabDate->DateFormats.empty());
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), -1);
}

TEST_F(WindowTest, HistoryLengthArrowsTrimAndClearEmptiesTheLists) {
  Open();
  win::SetComboItems(form->tabNumber->cmbBasName, {"1", "2", "3", "4", "5"});
  win::SetComboItems(form->tabReplace->cmbOldValue, {"a", "b", "c", "d"});
  Type(form->tabNumber->cmbBasName, "keep");
  NMUPDOWN nm{};
  nm.hdr.hwndFrom = form->tabOption->undHistory;
  nm.hdr.code = UDN_DELTAPOS;
  nm.iDelta = -2;
  SendMessageW(form->tabOption->pnlConfig, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(form->tabOption->History.pos(), 3);
  EXPECT_EQ(win::ComboItems(form->tabNumber->cmbBasName), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(win::ComboItems(form->tabReplace->cmbOldValue), (std::vector<std::string>{"a", "b", "c"}));
  nm.iDelta = 1;
  SendMessageW(form->tabOption->pnlConfig, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(win::ComboItems(form->tabNumber->cmbBasName).size(), 3u) << "raising the length changes nothing";
  Click(form->tabOption->btnClearHistory);
  EXPECT_TRUE(win::ComboItems(form->tabNumber->cmbBasName).empty());
  EXPECT_TRUE(win::ComboItems(form->tabReplace->cmbOldValue).empty());
  EXPECT_EQ(SendMessageW(form->tabDate->cmbDateFormat, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(form->tabDate->DateFormats.size(), 4u) << "the presets themselves stay";
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), "keep");
}

TEST_F(WindowTest, NameAnalysisFillsTheNumberingInputs) {
  Open();
  AddRows({"IMG_1983.jpg", "x.jpg", "y.jpg"});
  form->SyncList();
  Tick(TfrmRen::kPreviewTicks);
  form->mnuAnalyzeClick();
  EXPECT_EQ(TicksToPreview(), 0) << "no selection: nothing happens";
  form->list()[0].selected = true;
  form->mnuAnalyzeClick();
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), "1983");
  EXPECT_EQ(form->tabNumber->Start.pos(), 1983);
  EXPECT_EQ(form->tabNumber->Column.pos(), 4);
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), "IMG");
  EXPECT_TRUE(win::IsChecked(form->tabNumber->chkDivider));
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"IMG_1983", "IMG_1984", "IMG_1985"}));
}

TEST_F(WindowTest, WidthButtonsRaiseAPreviewOnlyWhenAGroupChanges) {
  Open();
  form->list().Add("ＡＢＣ１.ＴＸＴ", "C:\\");
  form->SelectPage(PageId::Width);
  Tick(5);
  Click(form->tabWide->btnNarrow);
  for (win::RadioGroup* g : {&form->tabWide->rgWord, &form->tabWide->rgNum, &form->tabWide->rgKakko, &form->tabWide->rgSpace, &form->tabWide->rgSymbol})
    EXPECT_EQ(g->index(), 1);
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), std::vector<std::string>{"ABC1"});
  Click(form->tabWide->btnNarrow);
  EXPECT_EQ(TicksToPreview(), 0) << "nothing changed, so no preview";
  Click(form->tabWide->btnKana);
  Click(form->tabWide->btnIgnore);
  EXPECT_TRUE(win::IsChecked(form->tabWide->btnKana)) << "the kana toggle is left alone";
}

// The replacement box takes the search text on the user's own entry (Tab) into it empty, never
// when the program moves the focus there: after a run it keeps its text, and the next preview
// offers nothing new.
TEST_F(WindowTest, ReplacementBoxTakesTheSearchTextOnlyOnTheUsersEntry) {
  TempDir dir;
  dir.Touch("DSC1.jpg");
  dir.Touch("1.jpg");
  Open({dir.path() + "DSC1.jpg", dir.path() + "1.jpg"});
  ReplacePage& page = *form->tabReplace;
  form->SelectPage(PageId::Replace);
  Click(page.chkRegExp);
  Type(page.cmbOldValue, "^DSC");
  form->ChangeItem();
  Click(form->btnRename);  // DSC1 → 1 is refused: 1.jpg is there
  EXPECT_EQ(win::GetText(page.cmbNewValue), "");
  Tick(5);
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"1", "1"}));
  auto tabIntoReplacement = [&] {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_TAB] = 0x80;  // down while the key is handled, as a real Tab is
    SetKeyboardState(keys);
    SetFocus(page.chkRegExp);
    Key(page.chkRegExp, WM_KEYDOWN, VK_TAB);
    keys[VK_TAB] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(GetFocus(), GetWindow(page.cmbNewValue, GW_CHILD));
  };
  tabIntoReplacement();
  EXPECT_EQ(win::GetText(page.cmbNewValue), "^DSC");
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  Type(page.cmbNewValue, "edited");
  tabIntoReplacement();
  EXPECT_EQ(win::GetText(page.cmbNewValue), "edited");

  // An expression that can't be read says why, in the count label's tooltip.
  Type(page.cmbOldValue, "(DSC");
  form->ChangeItem();
  Tick(5);
  HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
  while (tips && GetWindow(tips, GW_OWNER) != form->hwnd()) tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
  wchar_t tip[256] = {};
  TTTOOLINFOW ti{};
  ti.cbSize = TTTOOLINFOW_V2_SIZE;
  ti.hwnd = form->hwnd();
  ti.uId = reinterpret_cast<UINT_PTR>(form->lblCount);
  ti.lpszText = tip;
  SendMessageW(tips, TTM_GETTEXTW, std::size(tip), reinterpret_cast<LPARAM>(&ti));
  EXPECT_EQ(sjis::FromUtf16Lenient(tip), "括弧が閉じていません");
}

// The clean-up's renames are told until the next change; rows refused as duplicates point to
// the option that would number them, while it is off.
TEST_F(WindowTest, TheCountLabelTellsTheCleanUpAndTheOptionForDuplicates) {
  TempDir dir;
  for (const char* n : {"a.jpeg", "b1.txt", "b2.txt"}) dir.Touch(n);
  Open();
  win::SetCheck(form->tabOption->chkJpeg, true);
  form->AddFiles({dir.path()});
  Tick(5);
  EXPECT_EQ(win::GetText(form->lblCount), "2個の項目（1件を自動リネームしました）");
  form->SelectPage(PageId::Replace);
  EXPECT_EQ(win::GetText(form->lblCount), "2個の項目");
  Click(form->tabReplace->chkRegExp);
  Type(form->tabReplace->cmbOldValue, "\\d");
  form->ChangeItem();
  Tick(5);
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"b", "b"}));
  EXPECT_EQ(win::GetText(form->lblCount), "2個の項目（1件は変更不可）");
  EXPECT_NE(form->HintOf(form->lblCount).find(win::GetText(form->tabOption->chkDedupe)), std::string::npos);
  Click(form->tabOption->chkDedupe);
  Tick(5);
  EXPECT_EQ(form->HintOf(form->lblCount), "");
}

// With 重複した名前に番号を付ける on, the second of two rows bound for one name is numbered, and
// the run renames both.
TEST_F(WindowTest, DuplicateNewNamesAreNumberedAndBothRenamed) {
  TempDir dir;
  for (const char* n : {"b1.txt", "b2.txt"}) dir.Touch(n);
  Open({dir.path()});
  Click(form->tabOption->chkDedupe);
  form->SelectPage(PageId::Replace);
  Click(form->tabReplace->chkRegExp);
  Type(form->tabReplace->cmbOldValue, "\\d");
  form->ChangeItem();
  Tick(TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"b", "b_2"}));
  Click(form->btnRename);
  EXPECT_EQ(FolderListing(dir.path()), (std::vector<std::string>{"b.txt", "b_2.txt"}));
}

TEST_F(WindowTest, AddPairIsExclusive) {
  Open();
  Click(form->tabAdd->btnTail);
  EXPECT_TRUE(win::IsChecked(form->tabAdd->btnTail));
  EXPECT_FALSE(win::IsChecked(form->tabAdd->btnHead));
  Click(form->tabAdd->btnTail);
  EXPECT_TRUE(win::IsChecked(form->tabAdd->btnTail)) << "the pressed toggle stays down";
  Click(form->tabDate->btnHead2);
  EXPECT_TRUE(win::IsChecked(form->tabDate->btnHead2));
  EXPECT_FALSE(win::IsChecked(form->tabDate->btnTail2));
}

TEST_F(WindowTest, AnalysisIsOfferedOnTheNumberingPageOnly) {
  Open();
  for (int page = 0; page < kPageCount; ++page) {
    form->SelectPage(static_cast<PageId>(page));
    form->pupMainPopup();
    UINT state = GetMenuState(form->pupMain, 1, MF_BYPOSITION);
    EXPECT_EQ((state & MF_GRAYED) == 0, page == 0) << "page " << page;
  }
}

TEST_F(WindowTest, AnalysisOfALongNumberRunsFromItsValue) {
  Open();
  AddRows({"IMG_0000000042.jpg", "x.jpg"});
  form->list()[0].selected = true;
  form->mnuAnalyzeClick();
  EXPECT_EQ(form->tabNumber->Start.pos(), 42);
  EXPECT_EQ(form->tabNumber->Column.pos(), 10);
  Tick(5);
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"IMG_0000000042", "IMG_0000000043"}));
}

TEST_F(WindowTest, FocusRowFollowsItsRowThroughAReSort) {
  TempDir dir;
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) dir.Touch(n);
  Open({dir.path()});
  LVITEMW state{};
  state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(form->lstMain, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));  // b.txt, as a click
  form->SelectPage(PageId::Replace);
  Type(form->tabReplace->cmbOldValue, "b");
  Type(form->tabReplace->cmbNewValue, "z");
  Click(form->btnRename);
  ASSERT_EQ(FileNames(), (std::vector<std::string>{"a.txt", "c.txt", "z.txt"}));
  EXPECT_EQ(ListView_GetNextItem(form->lstMain, -1, LVNI_FOCUSED), 2);
  EXPECT_EQ(ListView_GetNextItem(form->lstMain, -1, LVNI_SELECTED), 2);
}

