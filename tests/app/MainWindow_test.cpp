#include "app/WindowFixture.h"

#include <commctrl.h>

#include "app/Help.h"
#include "data/TestData.h"
#include "win/ListView.h"

namespace {

std::string Caption(HWND h) { return win::GetText(h); }

int UpDownMin(HWND ud) {
  int lo = 0, hi = 0;
  SendMessageW(ud, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  return lo;
}
int UpDownMax(HWND ud) {
  int lo = 0, hi = 0;
  SendMessageW(ud, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  return hi;
}

}  // namespace

TEST_F(WindowTest, TitlePagesAndColumns) {
  Open();
  EXPECT_EQ(Caption(form->hwnd()), "リネームユーティリティ\"Kinoha\"");
  const char* tabs[] = {"連番", "置換", "追加", "日付", "大小", "全半", "設定"};
  ASSERT_EQ(SendMessageW(form->PageControl, TCM_GETITEMCOUNT, 0, 0), 7);
  for (int i = 0; i < 7; ++i) {
    wchar_t buf[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 32;
    SendMessageW(form->PageControl, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(sjis::FromUtf16Lenient(buf), tabs[i]);
  }
  const char* columns[] = {"ファイル名", "パス名", "新しい名前"};
  for (int i = 0; i < 3; ++i) {
    wchar_t buf[32] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = buf;
    col.cchTextMax = 32;
    SendMessageW(form->lstMain, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(sjis::FromUtf16Lenient(buf), columns[i]);
    if (i == 1) {
      EXPECT_LE(col.cx, 2);
    } else {
      EXPECT_GE(col.cx, 50);
    }
  }
  LONG_PTR style = GetWindowLongPtrW(form->lstMain, GWL_STYLE);
  EXPECT_TRUE(style & LVS_OWNERDATA);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_FALSE(style & LVS_SINGLESEL);
  EXPECT_FALSE(style & LVS_EDITLABELS);
  EXPECT_TRUE(GetWindowLongPtrW(form->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_EQ(Caption(form->lblCount), "0個の項目");
}

TEST_F(WindowTest, CaptionsAndHintsOfEveryControl) {
  Open();
  struct Row {
    HWND control;
    const char* caption;  // nullptr: no caption to check
    const char* hint;
  };
  const Row rows[] = {
      {form->btnRename, "リネーム", "リネームの実行"},
      {form->btnClear, "リストクリア", "リストのアイテムを全てクリアします"},
      {form->btnClose, "終了", "プログラムの終了"},
      {form->tabNumber->cmbBasName, nullptr, "連番の前に付ける名前"},
      {form->tabNumber->edtStart, nullptr, "連番の開始番号"},
      {form->tabNumber->edtStep, nullptr, "連番の増分"},
      {form->tabNumber->edtColumn, nullptr, "連番の桁数"},
      {form->tabNumber->chkDivider, "\"_\"で区切る", "\"_\"（アンダースコア）を数字の前に付けます"},
      {form->tabReplace->cmbOldValue, nullptr, "「置換文字列」に置き換えられる文字列"},
      {form->tabReplace->cmbNewValue, nullptr, "「検索文字列」を置き換える文字列"},
      {form->tabAdd->btnHead, "<", "ファイル名の前に文字列を追加します"},
      {form->tabAdd->btnTail, ">", "ファイル名の後ろに文字列を追加します"},
      {form->tabAdd->cmbAddValue, nullptr, "追加される文字列"},
      {form->tabAdd->chkDiv2, "\"_\"で区切る", "\"_\"（アンダースコア）で追加文字列とファイル名を区切ります"},
      {form->tabDate->cmbDateAdd, nullptr, "日付の前後に付ける文字列です。空欄にすると前のファイル名を使います"},
      {form->tabDate->btnHead2, "<", "ファイル名の前に文字列を追加します"},
      {form->tabDate->btnTail2, ">", "ファイル名の後ろに文字列を追加します"},
      {form->tabDate->cmbDateFormat, nullptr, "日付のフォーマット"},
      {form->tabDate->rdgDateType.box, "日付の選択", "ファイル名に付加する日付"},
      {form->tabCase->rdgLetter.box, "大文字小文字変換", "ファイル名中のアルファベットを変換します"},
      {form->tabWide->rgWord.box, "英文字", "英文字を半角／全角にします"},
      {form->tabWide->rgNum.box, "数字", "数字を半角／全角にします"},
      {form->tabWide->rgKakko.box, "括弧", "括弧を半角／全角にします"},
      {form->tabWide->rgSpace.box, "スペース", "スペース・アンダースコアを半角／全角にします"},
      {form->tabWide->rgSymbol.box, "記号", "一部の記号を半角／全角にします"},
      {form->tabWide->btnKana, "カナ", "カタカナを全角にします"},
      {form->tabWide->btnIgnore, "無視", "すべて無視します"},
      {form->tabWide->btnNarrow, "半角", "すべて半角にします"},
      {form->tabWide->btnWide, "全角", "すべて全角にします"},
      {form->tabOption->Image1, nullptr, "クリックしたらヘルプを表示するわしよ"},
      {form->tabOption->chkClearItems, "リネーム完了時にリストクリア",
       "リネーム完了時にリストのアイテムをクリアします。ただし、リネームに失敗したファイルはそのまま残ります"},
      {form->tabOption->chkEnterToExec, "Enterキーで実行",
       "Enterキーを押したときにリネームを実行します。チェックした場合、注意して操作を行ってください"},
      {form->tabOption->chkEscToExit, "Escキーで終了", "Escキーを押したときに、プログラムを終了します"},
      {form->tabOption->edtHistory, nullptr, "ドロップダウンの履歴の個数を決めます"},
      {form->tabOption->btnClearHistory, "クリア", "コンボボックスの履歴を削除します"},
      {form->tabOption->btnFilter, "フィルタ", "フィルタの設定を行います"},
      {form->tabOption->chkDropDir, "フォルダドロップ受け付け", "フォルダがドロップされたときに、フォルダ内のファイルを展開します"},
      {form->tabOption->GroupBox1, "自動リネーム", "リスト追加時に自動でリネームします。また、この場合リストに追加されません"},
      {form->tabOption->chkRemSCut, "\"～へのショートカット\"の除去",
       "ショートカットから「～へのショートカット」という文字を取り除きます。リストにも追加されません"},
      {form->tabOption->chkDelCopy, "\"コピー ～\"の除去", "「コピー ～」という文字を取り除きます。リストにも追加されません"},
      {form->tabOption->chkTrim, "前後のスペースの除去", "ファイル名の前後のスペースを除去します。リストにも追加されません"},
      {form->tabOption->chkDel1, "\"[1]\"の除去", "「[1]」～「[9]」という文字を取り除きます。リストにも追加されません"},
      {form->tabOption->chkDel2, "\"(1)\"の除去", "「(1)」～「(9)」という文字を取り除きます。リストにも追加されません"},
      {form->tabOption->chkJpeg, ".jpeg -> .jpg", "拡張子が「.jpeg」のファイルを「.jpg」にリネームます。リストにも追加されません"},
  };
  for (const auto& r : rows) {
    ASSERT_TRUE(IsWindow(r.control)) << r.hint;
    if (r.caption) {
      EXPECT_EQ(Caption(r.control), r.caption);
    }
    EXPECT_EQ(form->HintOf(r.control), r.hint);
  }
  // "～" is the full-width tilde 81 60, not the wave dash.
  EXPECT_EQ(Caption(form->tabOption->chkDelCopy), "\"\x83\x52\x83\x73\x81\x5B \x81\x60\"\x82\xCC\x8F\x9C\x8B\x8E");
  const std::vector<std::string> letter = {"すべて大文字", "すべて小文字", "頭文字を大文字に", "単語の頭文字を大文字に"};
  ASSERT_EQ(form->tabCase->rdgLetter.items.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(Caption(form->tabCase->rdgLetter.items[i]), letter[i]);
  for (win::RadioGroup* g : {&form->tabWide->rgWord, &form->tabWide->rgNum, &form->tabWide->rgKakko, &form->tabWide->rgSpace, &form->tabWide->rgSymbol}) {
    ASSERT_EQ(g->items.size(), 3u);
    EXPECT_EQ(Caption(g->items[1]), "半角");
  }
  EXPECT_EQ(Caption(form->tabDate->rdgDateType.items[2]), "更新日");
}

TEST_F(WindowTest, OwnDefaultsAndRanges) {
  Open({}, /*startDefaults=*/false);
  struct Range {
    win::NumberBox& box;
    int min, max, pos;
  };
  Range ranges[] = {{form->tabNumber->Start, 0, 32767, 1}, {form->tabNumber->Step, 1, 32767, 1}, {form->tabNumber->Column, 1, 10, 1}, {form->tabOption->History, 1, 10, 1}};
  for (const auto& r : ranges) {
    EXPECT_EQ(UpDownMin(r.box.updown), r.min);
    EXPECT_EQ(UpDownMax(r.box.updown), r.max);
    EXPECT_EQ(r.box.pos(), r.pos);
    EXPECT_EQ(win::GetText(r.box.edit), std::to_string(r.pos));
  }
  EXPECT_EQ(form->RenameMode(), PageId::Date);
  EXPECT_TRUE(win::IsChecked(form->tabAdd->btnTail));
  EXPECT_FALSE(win::IsChecked(form->tabAdd->btnHead));
  EXPECT_TRUE(win::IsChecked(form->tabDate->btnTail2));
  EXPECT_EQ(form->tabCase->rdgLetter.index(), -1);
  EXPECT_EQ(form->tabDate->rdgDateType.index(), 0);
  EXPECT_EQ(form->tabWide->rgSymbol.index(), 0);
  EXPECT_FALSE(win::IsChecked(form->tabWide->btnKana));
  EXPECT_TRUE(win::IsChecked(form->tabOption->chkDropDir));
  EXPECT_EQ(form->PreviewCountdown, 0) << "creation schedules nothing";
}

TEST_F(WindowTest, FirstStartValues) {
  Open();
  EXPECT_EQ(form->RenameMode(), PageId::Number);
  EXPECT_EQ(form->tabNumber->Column.pos(), 2);
  EXPECT_TRUE(win::IsChecked(form->tabAdd->btnHead));
  EXPECT_FALSE(win::IsChecked(form->tabAdd->btnTail));
  EXPECT_EQ(form->tabCase->rdgLetter.index(), 0);
  EXPECT_FALSE(win::IsChecked(form->tabOption->chkDropDir));
  EXPECT_EQ(form->tabOption->History.pos(), 5);
  ASSERT_EQ(form->tabDate->DateFormats.size(), 4u);
  EXPECT_EQ(form->tabDate->DateFormats[0], "yy\"年\"mm\"月\"dd\"日\"") << "stored without the outer quotes";
  EXPECT_EQ(SendMessageW(form->tabDate->cmbDateFormat, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(win::ComboSelection(form->tabDate->cmbDateFormat), -1);
  EXPECT_EQ(form->PreviewCountdown, 0);
}

TEST_F(WindowTest, QuickEditsGiveOneRecomputationOnTheFifthTick) {
  Open();
  form->list().Add("a.txt", "C:\\");
  form->PreviewCountdown = 0;
  int before = form->previewRuns;
  for (const char* text : {"x", "xy", "xyz"}) {
    Tick(2);
    Type(form->tabNumber->cmbBasName, text);
    SendMessageW(form->tabNumber->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->tabNumber->cmbBasName), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(form->tabNumber->cmbBasName));
  }
  Tick(4);
  EXPECT_EQ(form->previewRuns, before) << "nothing before the fifth tick after the last change";
  Tick(1);
  EXPECT_EQ(form->previewRuns, before + 1);
  EXPECT_EQ(NewNames(), std::vector<std::string>{"xyz01"});
  Tick(20);
  EXPECT_EQ(form->previewRuns, before + 1);
}

TEST_F(WindowTest, UpDownClickRestartsTheCountdown) {
  Open();
  Tick(10);
  NMUPDOWN nm{};
  nm.hdr.hwndFrom = form->tabNumber->undStep;
  nm.hdr.idFrom = GetDlgCtrlID(form->tabNumber->undStep);
  nm.hdr.code = UDN_DELTAPOS;
  nm.iDelta = 1;
  SendMessageW(form->tabNumber->hwnd(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(form->PreviewCountdown, 5);
  EXPECT_EQ(form->tabNumber->Step.pos(), 2);
  EXPECT_EQ(win::GetText(form->tabNumber->edtStep), "2");
}

TEST_F(WindowTest, NumberBoxesTakeDigitsOnlyAndKeepTheLastValidPosition) {
  Open();
  SetFocus(form->tabNumber->edtStart);
  Type(form->tabNumber->edtStart, "");
  for (wchar_t c : {L'a', L'4', L' ', L'-', L'2', L'.'}) SendMessageW(form->tabNumber->edtStart, WM_CHAR, c, 0);
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), "42");
  SendMessageW(form->tabNumber->edtStart, WM_CHAR, 8, 0);
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), "4");
  EXPECT_EQ(form->tabNumber->Start.pos(), 4);
  Type(form->tabNumber->edtStart, "1");
  Type(form->tabNumber->edtStart, "40000");  // above the range: the box shows the end it uses
  EXPECT_EQ(win::GetText(form->tabNumber->edtStart), "32767");
  Type(form->tabNumber->edtStart, "0042");
  EXPECT_EQ(form->tabNumber->Start.pos(), 42);
  Type(form->tabNumber->edtStart, "");
  EXPECT_EQ(form->tabNumber->Start.pos(), 42);
  EXPECT_EQ(form->PreviewCountdown, 5) << "typing in a number box restarts the preview";
}

TEST_F(WindowTest, SettingsPageRecomputesNothingAndDisablesTheButtons) {
  Open();
  form->list().Add("a.txt", "C:\\");
  form->SelectPage(PageId::Option);
  EXPECT_FALSE(IsWindowEnabled(form->btnRename));
  EXPECT_FALSE(IsWindowEnabled(form->btnClear));
  EXPECT_TRUE(IsWindowVisible(form->tabOption->pnlConfig));
  EXPECT_FALSE(IsWindowVisible(form->lstMain));
  Tick(5);
  EXPECT_EQ(NewNames(), std::vector<std::string>{""}) << "the settings page has no rule";
  form->SelectPage(PageId::Number);
  EXPECT_TRUE(IsWindowEnabled(form->btnRename));
  EXPECT_TRUE(IsWindowEnabled(form->btnClear));
  EXPECT_FALSE(IsWindowVisible(form->tabOption->pnlConfig));
  EXPECT_EQ(GetFocus(), GetWindow(form->tabNumber->cmbBasName, GW_CHILD)) << "the page's main input has the focus";
  Tick(5);
  EXPECT_EQ(NewNames(), std::vector<std::string>{"01"});
}

TEST_F(WindowTest, CtrlAFromAnEditBoxSelectsEveryRow) {
  Open();
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) form->list().Add(n, "C:\\");
  form->SyncList();
  HWND edit = GetWindow(form->tabNumber->cmbBasName, GW_CHILD);
  Type(form->tabNumber->cmbBasName, "text");
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 4, 4);  // the caret at the end
  // The key as the keyboard gives it: Ctrl held, then "A" down.
  HoldCtrl(true);
  Key(edit, WM_KEYDOWN, 'A');
  HoldCtrl(false);
  EXPECT_EQ(form->list().SelectedCount(), 3u);
  EXPECT_EQ(SendMessageW(form->lstMain, LVM_GETSELECTEDCOUNT, 0, 0), 3);
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), "text") << "the key went to the list, not the box";
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end) << "the box's text is not selected, so the next key doesn't replace it";
}

TEST_F(WindowTest, DefaultAndCancelButtonsFollowTheirCheckBoxes) {
  Open();
  EXPECT_EQ(form->defaultButton, nullptr);
  EXPECT_EQ(form->cancelButton, nullptr);
  form->SelectPage(PageId::Option);
  Click(form->tabOption->chkEnterToExec);
  Click(form->tabOption->chkEscToExit);
  EXPECT_EQ(form->defaultButton, form->btnRename);
  EXPECT_EQ(form->cancelButton, form->btnClose);
  Click(form->tabOption->chkEnterToExec);
  EXPECT_EQ(form->defaultButton, nullptr);
  form->SelectPage(PageId::Number);
  // Esc closes the window now that the cancel button is set.
  Key(GetWindow(form->tabNumber->cmbBasName, GW_CHILD), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(form->closed());
}

TEST_F(WindowTest, EnterRenamesOnlyWhenEnabled) {
  TempDir dir;
  dir.Touch("a.txt");
  Open({dir.path() + "a.txt"});
  Type(form->tabNumber->cmbBasName, "b");
  HWND edit = GetWindow(form->tabNumber->cmbBasName, GW_CHILD);
  Key(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(dir.Exists("a.txt"));
  form->SelectPage(PageId::Option);
  Click(form->tabOption->chkEnterToExec);
  form->SelectPage(PageId::Number);
  Key(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(dir.Exists("b01.txt"));
  EXPECT_FALSE(dir.Exists("a.txt"));
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
  form->list().Add("IMG_0001.JPG", "C:\\");
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
  form->messageBox = [&](const std::wstring& text, UINT) {
    messages.push_back(text);
    return IDOK;
  };
  Key(form->tabNumber->cmbBasName, WM_KEYDOWN, VK_F1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(app::HelpFilePath()), std::wstring::npos);
}

TEST_F(WindowTest, AnEmptyListsColumnsAreAsWideAsTheirCaptions) {
  Open();
  for (int column : {0, 2}) {
    EXPECT_GT(SendMessageW(form->lstMain, LVM_GETCOLUMNWIDTH, column, 0), win::CaptionWidth(form->lstMain, column))
        << column;
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
  for (const char* text : {"a", "b", "c", "d", "e", "f"}) win::AddComboItem(combo, text);
  EXPECT_GT(droppedHeight(), (field.bottom - field.top) + 4 * item) << "with entries it opens at its full height again";
}

// One version text: the 設定 page says what project() says, as the release's readme.txt does.
TEST_F(WindowTest, TheVersionIsTheProjectsVersion) {
  const auto bytes = testdata::Bytes("../../CMakeLists.txt");
  const std::string cmake(bytes.begin(), bytes.end());
  const std::size_t at = cmake.find("project(Kinoha VERSION ");
  ASSERT_NE(at, std::string::npos);
  const std::size_t from = at + std::string("project(Kinoha VERSION ").size();
  const std::string version = cmake.substr(from, cmake.find_first_of(" )", from) - from);
  Open();
  EXPECT_EQ(win::GetText(form->tabOption->lblVersion), "Ver. " + version);
}
