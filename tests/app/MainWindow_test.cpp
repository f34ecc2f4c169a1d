#include "app/WindowFixture.h"

#include <commctrl.h>

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
    EXPECT_EQ(sjis::Narrow(buf), tabs[i]);
  }
  const char* columns[] = {"ファイル名", "パス名", "新しい名前"};
  for (int i = 0; i < 3; ++i) {
    wchar_t buf[32] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = buf;
    col.cchTextMax = 32;
    SendMessageW(form->lstMain, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    EXPECT_EQ(sjis::Narrow(buf), columns[i]);
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
      {form->cmbBasName, nullptr, "連番の前に付ける名前"},
      {form->edtStart, nullptr, "連番の開始番号"},
      {form->edtStep, nullptr, "連番の増分"},
      {form->edtColumn, nullptr, "連番の桁数"},
      {form->chkDivider, "\"_\"で区切る", "\"_\"（アンダースコア）を数字の前に付けます"},
      {form->cmbOldValue, nullptr, "「置換文字列」に置き換えられる文字列"},
      {form->cmbNewValue, nullptr, "「検索文字列」を置き換える文字列"},
      {form->btnHead, "<", "ファイル名の前に文字列を追加します"},
      {form->btnTail, ">", "ファイル名の後ろに文字列を追加します"},
      {form->cmbAddValue, nullptr, "追加される文字列"},
      {form->chkDiv2, "\"_\"で区切る", "\"_\"（アンダースコア）を数字の前に付けます"},
      {form->cmbDateAdd, nullptr, "日付の前後に付ける文字列です。空欄にすると前のファイル名を使います"},
      {form->btnHead2, "<", "ファイル名の前に文字列を追加します"},
      {form->btnTail2, ">", "ファイル名の後ろに文字列を追加します"},
      {form->cmbDateFormat, nullptr, "日付のフォーマット"},
      {form->rdgDateType.box, "日付の選択", "ファイル名に付加する日付"},
      {form->rdgLetter.box, "大文字小文字変換", "ファイル名中のアルファベットを変換します"},
      {form->rgWord.box, "英文字", "英文字を半角／全角にします"},
      {form->rgNum.box, "数字", "数字を半角／全角にします"},
      {form->rgKakko.box, "括弧", "括弧を半角／全角にします"},
      {form->rgSpace.box, "スペース", "スペース・アンダースコアを半角／全角にします"},
      {form->rgSymbol.box, "記号", "一部の記号を半角／全角にします"},
      {form->btnKana, "カナ", "カタカナを全角にします"},
      {form->btnIgnore, "無視", "すべて無視します"},
      {form->btnNarrow, "半角", "すべて半角にします"},
      {form->btnWide, "全角", "すべて全角にします"},
      {form->Image1, nullptr, "クリックしたらヘルプを表示するわしよ"},
      {form->chkClearItems, "リネーム完了時にリストクリア",
       "リネーム完了時にリストのアイテムをクリアします。ただし、リネームに失敗したファイルはそのまま残ります"},
      {form->chkEnterToExec, "Enterキーで実行",
       "Enterキーを押したときにリネームを実行します。チェックした場合、注意して操作を行ってください"},
      {form->chkEscToExit, "Escキーで終了", "Escキーを押したときに、プログラムを終了します"},
      {form->edtHistory, nullptr, "ドロップダウンの履歴の個数を決めます"},
      {form->btnClearHistory, "クリア", "コンボボックスの履歴を削除します"},
      {form->btnFilter, "フィルタ", "フィルタの設定を行います"},
      {form->chkDropDir, "フォルダドロップ受け付け", "フォルダがドロップされたときに、フォルダ内のファイルを展開します"},
      {form->GroupBox1, "自動リネーム", "リスト追加時に自動でリネームします。また、この場合リストに追加されません"},
      {form->chkRemSCut, "\"～へのショートカット\"の除去",
       "ショートカットから「～へのショートカット」という文字を取り除きます。リストにも追加されません"},
      {form->chkDelCopy, "\"コピー ～\"の除去", "「コピー ～」という文字を取り除きます。リストにも追加されません"},
      {form->chkTrim, "前後のスペースの除去", "ファイル名の前後のスペースを除去します。リストにも追加されません"},
      {form->chkDel1, "\"[1]\"の除去", "「[1]」～「[9]」という文字を取り除きます。リストにも追加されません"},
      {form->chkDel2, "\"(1)\"の除去", "「(1)」～「(9)」という文字を取り除きます。リストにも追加されません"},
      {form->chkJpeg, ".jpeg -> .jpg", "拡張子が「.jpeg」のファイルを「.jpg」にリネームます。リストにも追加されません"},
  };
  for (const auto& r : rows) {
    ASSERT_TRUE(IsWindow(r.control)) << r.hint;
    if (r.caption) {
      EXPECT_EQ(Caption(r.control), r.caption);
    }
    EXPECT_EQ(form->HintOf(r.control), r.hint);
  }
  // "～" is the full-width tilde 81 60, not the wave dash.
  EXPECT_EQ(Caption(form->chkDelCopy), "\"\x83\x52\x83\x73\x81\x5B \x81\x60\"\x82\xCC\x8F\x9C\x8B\x8E");
  const std::vector<std::string> letter = {"すべて大文字", "すべて小文字", "頭文字を大文字に", "単語の頭文字を大文字に"};
  ASSERT_EQ(form->rdgLetter.items.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(Caption(form->rdgLetter.items[i]), letter[i]);
  for (RadioGroup* g : {&form->rgWord, &form->rgNum, &form->rgKakko, &form->rgSpace, &form->rgSymbol}) {
    ASSERT_EQ(g->items.size(), 3u);
    EXPECT_EQ(Caption(g->items[1]), "半角");
  }
  EXPECT_EQ(Caption(form->rdgDateType.items[2]), "更新日");
}

TEST_F(WindowTest, OwnDefaultsAndRanges) {
  Open({}, /*startDefaults=*/false);
  struct Range {
    NumberBox& box;
    int min, max, pos;
  };
  Range ranges[] = {{form->Start, 0, 1000, 1}, {form->Step, 1, 100, 1}, {form->Column, 1, 10, 1}, {form->History, 1, 10, 1}};
  for (const auto& r : ranges) {
    EXPECT_EQ(UpDownMin(r.box.updown), r.min);
    EXPECT_EQ(UpDownMax(r.box.updown), r.max);
    EXPECT_EQ(r.box.pos, r.pos);
    EXPECT_EQ(win::GetText(r.box.edit), std::to_string(r.pos));
  }
  EXPECT_EQ(form->RenameMode(), 3);
  EXPECT_TRUE(win::IsChecked(form->btnTail));
  EXPECT_FALSE(win::IsChecked(form->btnHead));
  EXPECT_TRUE(win::IsChecked(form->btnTail2));
  EXPECT_EQ(form->rdgLetter.index, -1);
  EXPECT_EQ(form->rdgDateType.index, 0);
  EXPECT_EQ(form->rgSymbol.index, 0);
  EXPECT_FALSE(win::IsChecked(form->btnKana));
  EXPECT_TRUE(win::IsChecked(form->chkDropDir));
  EXPECT_EQ(form->PreviewCountdown, 0) << "creation schedules nothing";
}

TEST_F(WindowTest, FirstStartValues) {
  Open();
  EXPECT_EQ(form->RenameMode(), 0);
  EXPECT_EQ(form->Column.pos, 2);
  EXPECT_TRUE(win::IsChecked(form->btnHead));
  EXPECT_FALSE(win::IsChecked(form->btnTail));
  EXPECT_EQ(form->rdgLetter.index, 0);
  EXPECT_FALSE(win::IsChecked(form->chkDropDir));
  EXPECT_EQ(form->History.pos, 5);
  EXPECT_EQ(form->DateFormats.size(), 4u);
  EXPECT_EQ(SendMessageW(form->cmbDateFormat, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(win::ComboSelection(form->cmbDateFormat), -1);
  EXPECT_EQ(form->PreviewCountdown, 0);
}

TEST_F(WindowTest, QuickEditsGiveOneRecomputationOnTheFifthTick) {
  Open();
  form->list().Add("a.txt", "C:\\");
  form->PreviewCountdown = 0;
  int before = form->previewRuns;
  for (const char* text : {"x", "xy", "xyz"}) {
    Tick(2);
    Type(form->cmbBasName, text);
    SendMessageW(form->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->cmbBasName), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(form->cmbBasName));
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
  nm.hdr.hwndFrom = form->undStep;
  nm.hdr.idFrom = GetDlgCtrlID(form->undStep);
  nm.hdr.code = UDN_DELTAPOS;
  nm.iDelta = 1;
  SendMessageW(form->hwnd(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(form->PreviewCountdown, 5);
  EXPECT_EQ(form->Step.pos, 2);
  EXPECT_EQ(win::GetText(form->edtStep), "2");
  // The arrow stops at the end of the range.
  for (int i = 0; i < 200; ++i) SendMessageW(form->hwnd(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(form->Step.pos, 100);
}

TEST_F(WindowTest, NumberBoxesTakeDigitsOnlyAndKeepTheLastValidPosition) {
  Open();
  SetFocus(form->edtStart);
  Type(form->edtStart, "");
  for (wchar_t c : {L'a', L'4', L' ', L'-', L'2', L'.'}) SendMessageW(form->edtStart, WM_CHAR, c, 0);
  EXPECT_EQ(win::GetText(form->edtStart), "42");
  SendMessageW(form->edtStart, WM_CHAR, 8, 0);
  EXPECT_EQ(win::GetText(form->edtStart), "4");
  EXPECT_EQ(form->Start.pos, 4);
  Type(form->edtStart, "1");
  Type(form->edtStart, "2001");  // above the range: the position stays
  EXPECT_EQ(form->Start.pos, 1);
  Type(form->edtStart, "0042");
  EXPECT_EQ(form->Start.pos, 42);
  Type(form->edtStart, "");
  EXPECT_EQ(form->Start.pos, 42);
  EXPECT_EQ(form->PreviewCountdown, 5) << "typing in a number box restarts the preview";
}

TEST_F(WindowTest, SettingsPageRecomputesNothingAndDisablesTheButtons) {
  Open();
  form->list().Add("a.txt", "C:\\");
  form->SelectPage(6);
  EXPECT_FALSE(IsWindowEnabled(form->btnRename));
  EXPECT_FALSE(IsWindowEnabled(form->btnClear));
  EXPECT_TRUE(IsWindowVisible(form->pnlConfig));
  EXPECT_FALSE(IsWindowVisible(form->lstMain));
  Tick(5);
  EXPECT_EQ(NewNames(), std::vector<std::string>{""}) << "the settings page has no rule";
  form->SelectPage(0);
  EXPECT_TRUE(IsWindowEnabled(form->btnRename));
  EXPECT_TRUE(IsWindowEnabled(form->btnClear));
  EXPECT_FALSE(IsWindowVisible(form->pnlConfig));
  EXPECT_EQ(GetFocus(), GetWindow(form->cmbBasName, GW_CHILD)) << "the page's main input has the focus";
  Tick(5);
  EXPECT_EQ(NewNames(), std::vector<std::string>{"01"});
}

TEST_F(WindowTest, CtrlAFromAnEditBoxSelectsEveryRow) {
  Open();
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) form->list().Add(n, "C:\\");
  form->SyncList();
  HWND edit = GetWindow(form->cmbBasName, GW_CHILD);
  Type(form->cmbBasName, "text");
  SetFocus(edit);
  Key(edit, WM_CHAR, 1);
  EXPECT_EQ(form->list().SelectedCount(), 3u);
  EXPECT_EQ(SendMessageW(form->lstMain, LVM_GETSELECTEDCOUNT, 0, 0), 3);
  EXPECT_EQ(win::GetText(form->cmbBasName), "text") << "the key went to the list, not the box";
}

TEST_F(WindowTest, DefaultAndCancelButtonsFollowTheirCheckBoxes) {
  Open();
  EXPECT_EQ(form->defaultButton, nullptr);
  EXPECT_EQ(form->cancelButton, nullptr);
  form->SelectPage(6);
  Click(form->chkEnterToExec);
  Click(form->chkEscToExit);
  EXPECT_EQ(form->defaultButton, form->btnRename);
  EXPECT_EQ(form->cancelButton, form->btnClose);
  Click(form->chkEnterToExec);
  EXPECT_EQ(form->defaultButton, nullptr);
  form->SelectPage(0);
  // Esc closes the window now that the cancel button is set.
  Key(GetWindow(form->cmbBasName, GW_CHILD), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(form->closed());
}

TEST_F(WindowTest, EnterRenamesOnlyWhenEnabled) {
  TempDir dir;
  dir.Touch("a.txt");
  Open({dir.path() + "a.txt"});
  Type(form->cmbBasName, "b");
  HWND edit = GetWindow(form->cmbBasName, GW_CHILD);
  Key(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(dir.Exists("a.txt"));
  form->SelectPage(6);
  Click(form->chkEnterToExec);
  form->SelectPage(0);
  Key(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(dir.Exists("b01.txt"));
  EXPECT_FALSE(dir.Exists("a.txt"));
}

TEST_F(WindowTest, TabMovesThroughThePageInputs) {
  Open();
  HWND edit = GetWindow(form->cmbBasName, GW_CHILD);
  SetFocus(edit);
  Key(edit, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), form->edtStart);
  Key(form->edtStart, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), form->edtStep);
}
