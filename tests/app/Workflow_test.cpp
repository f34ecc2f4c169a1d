#include "app/WindowFixture.h"

#include <commctrl.h>

#include <algorithm>

#include "app/RenameListView.h"

TEST_F(WindowTest, DroppedFolderIsListedSortedCountedAndPreviewed) {
  TempDir dir;
  for (const wchar_t* n : {L"c.jpg", L"a.jpg", L"B.jpg", L"写真.jpg"}) dir.Touch(std::wstring(L"photos\\") + n);
  dir.Touch(L"photos\\sub\\deep.jpg");
  Open();
  Drop({dir.path() + L"photos"});
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"a.jpg", L"B.jpg", L"c.jpg", L"写真.jpg"}));
  EXPECT_EQ(win::GetText(form->lblCount), L"4個の項目");
  EXPECT_EQ(NewNames(), std::vector<std::wstring>(4, L"")) << "new names come with the preview";
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), L"a");
  EXPECT_EQ(win::GetText(form->tabReplace->cmbOldValue), L"a");
  EXPECT_EQ(win::GetText(form->tabAdd->cmbAddValue), L"a");
  EXPECT_EQ(win::GetText(form->tabReplace->cmbNewValue), L"");
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), 0);
  EXPECT_EQ(SendMessageW(form->lstMain, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"a01", L"a02", L"a03", L"a04"}));
}

// Every name is taken in as it is: one with no Shift_JIS form beside its look-alike, a surrogate
// pair, and one whose path is longer than 255 bytes would be in Shift_JIS.
TEST_F(WindowTest, DroppedNamesAreTakenInWhateverTheirCharacters) {
  TempDir dir;
  const std::wstring longName = std::wstring(70, L'写') + L"\\" + std::wstring(50, L'真') + L".txt";
  std::vector<std::wstring> names = {L"caf\u00E9.txt", L"cafe.txt", L"\U0001F600.txt", longName};
  std::vector<std::wstring> paths;
  for (const std::wstring& name : names) paths.push_back(dir.Touch(name));
  Open();
  Drop(paths);
  names.back() = std::wstring(50, L'真') + L".txt";  // listed by its file name
  std::vector<std::wstring> listed = FileNames();
  std::sort(listed.begin(), listed.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(listed, names);
  EXPECT_EQ(win::GetText(form->lblCount), L"4個の項目");
}

TEST_F(WindowTest, RenameRunUsesCurrentInputsAndRecordsTheHistory) {
  TempDir dir;
  for (const wchar_t* n : {L"x.txt", L"y.txt", L"z.txt"}) dir.Touch(n);
  Open({dir.path()});
  Tick(5);
  Type(form->tabNumber->cmbBasName, L"  photo ");
  form->ChangeItem();
  form->Timer1Timer();  // one tick after the keystroke: the preview is stale
  Click(form->btnRename);
  EXPECT_TRUE(dir.Exists(L"  photo 01.txt")) << "the run applies what the inputs say now";
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"  photo 01.txt", L"  photo 02.txt", L"  photo 03.txt"}));
  EXPECT_EQ(win::ComboItems(form->tabNumber->cmbBasName), std::vector<std::wstring>{L"photo"});
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), L"  photo ") << "the box keeps its untrimmed text";
  EXPECT_EQ(win::GetText(form->lblCount), L"3個の項目（3件を変更しました）");
  // A second run with unchanged inputs renames nothing.
  Click(form->btnRename);
  EXPECT_TRUE(dir.Exists(L"  photo 03.txt"));
}

TEST_F(WindowTest, ClearItemsLeavesOnlyTheFailures) {
  TempDir dir;
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) dir.Touch(n);
  std::wstring ro = dir.path() + L"b.txt";
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);
  Open({dir.path()});
  form->SelectPage(PageId::Option);
  Click(form->tabOption->chkClearItems);
  form->SelectPage(PageId::Number);
  Type(form->tabNumber->cmbBasName, L"n");
  Click(form->btnRename);
  EXPECT_EQ(FileNames(), std::vector<std::wstring>{L"b.txt"});
  EXPECT_EQ(win::GetText(form->lblCount), L"1個の項目（2件を変更しました、1件は変更不可）");
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowTest, DatePresetMovesToTheFront) {
  Open();
  form->tabDate->DateFormats = {L"P0", L"P1", L"P2"};
  form->tabDate->RefreshDateFormats();
  form->SelectPage(PageId::Date);
  win::SetComboSelection(form->tabDate->cmbDateFormat, 2);
  Click(form->btnRename);
  EXPECT_EQ(form->tabDate->DateFormats, (std::vector<std::wstring>{L"P2", L"P0", L"P1"}));
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), 0);
  EXPECT_EQ(win::ComboItems(form->tabDate->cmbDateFormat).front(), L"P2");
  win::SetComboSelection(form->tabDate->cmbDateFormat, 0);
  Click(form->btnRename);
  EXPECT_EQ(form->tabDate->DateFormats, (std::vector<std::wstring>{L"P2", L"P0", L"P1"}));
  form->tabDate->DateFormats.clear();
  form->tabDate->RefreshDateFormats();
  Click(form->btnRename);
  EXPECT_TRUE(form->tabDate->DateFormats.empty());
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), -1);
}

TEST_F(WindowTest, HistoryLengthArrowsTrimAndClearEmptiesTheLists) {
  Open();
  win::SetComboItems(form->tabNumber->cmbBasName, {L"1", L"2", L"3", L"4", L"5"});
  win::SetComboItems(form->tabReplace->cmbOldValue, {L"a", L"b", L"c", L"d"});
  Type(form->tabNumber->cmbBasName, L"keep");
  NMUPDOWN nm{};
  nm.hdr.hwndFrom = form->tabOption->undHistory;
  nm.hdr.code = UDN_DELTAPOS;
  nm.iDelta = -2;
  SendMessageW(form->tabOption->pnlConfig, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(form->tabOption->History.pos(), 3);
  EXPECT_EQ(win::ComboItems(form->tabNumber->cmbBasName), (std::vector<std::wstring>{L"1", L"2", L"3"}));
  EXPECT_EQ(win::ComboItems(form->tabReplace->cmbOldValue), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  nm.iDelta = 1;
  SendMessageW(form->tabOption->pnlConfig, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(win::ComboItems(form->tabNumber->cmbBasName).size(), 3u) << "raising the length changes nothing";
  Click(form->tabOption->btnClearHistory);
  EXPECT_TRUE(win::ComboItems(form->tabNumber->cmbBasName).empty());
  EXPECT_TRUE(win::ComboItems(form->tabReplace->cmbOldValue).empty());
  EXPECT_EQ(SendMessageW(form->tabDate->cmbDateFormat, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(form->tabDate->DateFormats.size(), 4u) << "the presets themselves stay";
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), L"keep");
}

TEST_F(WindowTest, NameAnalysisFillsTheNumberingInputs) {
  Open();
  AddRows({L"IMG_1983.jpg", L"x.jpg", L"y.jpg"});
  form->SyncList();
  Tick(TfrmRen::kPreviewTicks);
  form->mnuAnalyzeClick();
  EXPECT_EQ(TicksToPreview(), 0) << "no selection: nothing happens";
  form->list()[0].selected = true;
  form->mnuAnalyzeClick();
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), L"1983");
  EXPECT_EQ(form->tabNumber->Start.pos(), 1983);
  EXPECT_EQ(form->tabNumber->Column.pos(), 4);
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), L"IMG");
  EXPECT_TRUE(win::IsChecked(form->tabNumber->chkDivider));
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"IMG_1983", L"IMG_1984", L"IMG_1985"}));
}

TEST_F(WindowTest, WidthButtonsRaiseAPreviewOnlyWhenAGroupChanges) {
  Open();
  form->list().Add(L"ＡＢＣ１.ＴＸＴ", L"C:\\");
  form->SelectPage(PageId::Width);
  Tick(5);
  Click(form->tabWide->btnNarrow);
  for (win::RadioGroup* g : {&form->tabWide->rgWord, &form->tabWide->rgNum, &form->tabWide->rgKakko, &form->tabWide->rgSpace, &form->tabWide->rgSymbol})
    EXPECT_EQ(g->index(), 1);
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), std::vector<std::wstring>{L"ABC1"});
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
  dir.Touch(L"DSC1.jpg");
  dir.Touch(L"1.jpg");
  Open({dir.path() + L"DSC1.jpg", dir.path() + L"1.jpg"});
  ReplacePage& page = *form->tabReplace;
  form->SelectPage(PageId::Replace);
  Click(page.chkRegExp);
  Type(page.cmbOldValue, L"^DSC");
  form->ChangeItem();
  Click(form->btnRename);  // DSC1 → 1 is refused: 1.jpg is there
  EXPECT_EQ(win::GetText(page.cmbNewValue), L"");
  Tick(5);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"1", L"1"}));
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
  EXPECT_EQ(win::GetText(page.cmbNewValue), L"^DSC");
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
  Type(page.cmbNewValue, L"edited");
  tabIntoReplacement();
  EXPECT_EQ(win::GetText(page.cmbNewValue), L"edited");

  // An expression that can't be read says why, in the count label's tooltip.
  Type(page.cmbOldValue, L"(DSC");
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
  EXPECT_EQ(std::wstring(tip), L"括弧が閉じていません");
}

// The clean-up's renames are told until the next change; rows refused as duplicates point to
// the option that would number them, while it is off.
TEST_F(WindowTest, TheCountLabelTellsTheCleanUpAndTheOptionForDuplicates) {
  TempDir dir;
  for (const wchar_t* n : {L"a.jpeg", L"b1.txt", L"b2.txt"}) dir.Touch(n);
  Open();
  win::SetCheck(form->tabOption->chkJpeg, true);
  form->AddFiles({dir.path()});
  Tick(5);
  EXPECT_EQ(win::GetText(form->lblCount), L"2個の項目（1件を自動リネームしました）");
  form->SelectPage(PageId::Replace);
  EXPECT_EQ(win::GetText(form->lblCount), L"2個の項目");
  Click(form->tabReplace->chkRegExp);
  Type(form->tabReplace->cmbOldValue, L"\\d");
  form->ChangeItem();
  Tick(5);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"b", L"b"}));
  EXPECT_EQ(win::GetText(form->lblCount), L"2個の項目（1件は変更不可）");
  EXPECT_NE(form->HintOf(form->lblCount).find(win::GetText(form->tabOption->chkDedupe)), std::wstring::npos);
  Click(form->tabOption->chkDedupe);
  Tick(5);
  EXPECT_EQ(form->HintOf(form->lblCount), L"");
}

// With 重複した名前に番号を付ける on, the second of two rows bound for one name is numbered, and
// the run renames both.
TEST_F(WindowTest, DuplicateNewNamesAreNumberedAndBothRenamed) {
  TempDir dir;
  for (const wchar_t* n : {L"b1.txt", L"b2.txt"}) dir.Touch(n);
  Open({dir.path()});
  Click(form->tabOption->chkDedupe);
  form->SelectPage(PageId::Replace);
  Click(form->tabReplace->chkRegExp);
  Type(form->tabReplace->cmbOldValue, L"\\d");
  form->ChangeItem();
  Tick(TfrmRen::kPreviewTicks);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"b", L"b_2"}));
  Click(form->btnRename);
  EXPECT_EQ(FolderListing(dir.path()), (std::vector<std::wstring>{L"b.txt", L"b_2.txt"}));
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
    UINT state = GetMenuState(form->pupMain, RenameListView::kAnalyze, MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) == 0, page == 0) << "page " << page;
  }
}

TEST_F(WindowTest, AnalysisOfALongNumberRunsFromItsValue) {
  Open();
  AddRows({L"IMG_0000000042.jpg", L"x.jpg"});
  form->list()[0].selected = true;
  form->mnuAnalyzeClick();
  EXPECT_EQ(form->tabNumber->Start.pos(), 42);
  EXPECT_EQ(form->tabNumber->Column.pos(), 10);
  Tick(5);
  EXPECT_EQ(NewNames(), (std::vector<std::wstring>{L"IMG_0000000042", L"IMG_0000000043"}));
}

TEST_F(WindowTest, FocusRowFollowsItsRowThroughAReSort) {
  TempDir dir;
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) dir.Touch(n);
  Open({dir.path()});
  LVITEMW state{};
  state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(form->lstMain, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));  // b.txt, as a click
  form->SelectPage(PageId::Replace);
  Type(form->tabReplace->cmbOldValue, L"b");
  Type(form->tabReplace->cmbNewValue, L"z");
  Click(form->btnRename);
  ASSERT_EQ(FileNames(), (std::vector<std::wstring>{L"a.txt", L"c.txt", L"z.txt"}));
  EXPECT_EQ(ListView_GetNextItem(form->lstMain, -1, LVNI_FOCUSED), 2);
  EXPECT_EQ(ListView_GetNextItem(form->lstMain, -1, LVNI_SELECTED), 2);
}

