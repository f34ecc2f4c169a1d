#include "app/pages/OptionPage.h"

#include "app/Application.h"
#include "app/Help.h"
#include "app/Version.h"
#include "app/pages/PageStyles.h"
#include "app/resource.h"
#include "win/Controls.h"

using rules::CleanUpOptions;
using settings::Settings;
using settings::kMaxHistory;
using settings::kMinHistory;

namespace {
enum : int {
  IDC_IMAGE1 = 100,
  IDC_CHKCLEARITEMS,
  IDC_CHKENTERTOEXEC,
  IDC_CHKESCTOEXIT,
  IDC_EDTHISTORY,
  IDC_UNDHISTORY,
  IDC_BTNCLEARHISTORY,
  IDC_BTNFILTER,
  IDC_CHKDROPDIR,
  IDC_CHKREMSCUT,
  IDC_CHKDELCOPY,
  IDC_CHKTRIM,
  IDC_CHKDEL1,
  IDC_CHKDEL2,
  IDC_CHKJPEG,
  IDC_CHKDEDUPE,
  IDC_CHKSUBFOLDERS,
  IDC_CHKFOLDERITEMS,
  IDC_CHKSKIPHIDDEN,
  IDC_CHKCOMPOSE
};
}

bool OptionPage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  HWND p = hwnd();
  Image1 = set.Add({p,
                    WC_STATICW,
                    L"",
                    SS_ICON | SS_NOTIFY,
                    0,
                    {10, 8, 32, 32},
                    win::kTopLeft,
                    IDC_IMAGE1,
                    L"クリックしたらヘルプを表示するわしよ"});
  // A shared icon: the system owns it, so nothing here destroys it.
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KINOHA), IMAGE_ICON, 0, 0,
                           LR_DEFAULTSIZE | LR_SHARED);
  SendMessageW(Image1, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  lblTitle = set.Add({p, WC_STATICW, app::kTitle, kLabel, 0, {52, 6, 320, 24}});
  lblVersion = set.Add({p, WC_STATICW, L"Ver. " KINOHA_VERSION, kLabel, 0, {52, 34, 200, 14}});
  lblAuthor = set.Add({p, WC_STATICW, L"作者: Kinoha 開発チーム", kLabel, 0, {52, 52, 320, 14}});
  lblWebSite = set.Add(
      {p, WC_STATICW, L"ヘルプ: Kinoha.html（プログラムと同じフォルダ）", kLabel, 0, {52, 68, 320, 14}});

  // The options panel reports to this page.
  if (!config_.Create(frame, p, false)) return false;
  p = pnlConfig = config_.hwnd();
  auto check = [&](const wchar_t* caption, win::Rect96 r, int id, const wchar_t* hint) {
    return set.Add({p, WC_BUTTONW, caption, kCheck, 0, r, win::kTopLeft, id, hint});
  };
  // Rows 17 pixels apart, so that the intake's options fit above the clean-up group in the
  // smallest window; the group's four rows are 16 apart, so that all of it fits there too.
  chkClearItems =
      check(L"リネーム完了時にリストクリア", {6, 3, 232, 17}, IDC_CHKCLEARITEMS,
            L"リネーム完了時にリストのアイテムをクリアします。ただし、リネームに失敗したファイルはそのまま残ります");
  chkEnterToExec =
      check(L"Enterキーで実行", {6, 20, 232, 17}, IDC_CHKENTERTOEXEC,
            L"Enterキーを押したときにリネームを実行します。チェックした場合、注意して操作を行ってください");
  chkEscToExit = check(L"Escキーで終了", {6, 37, 232, 17}, IDC_CHKESCTOEXIT,
                       L"Escキーを押したときに、プログラムを終了します");
  set.Add({p, WC_STATICW, L"履歴個数", kLabel, 0, {244, 7, 54, 14}});
  History.Create(set, p, {300, 4, 40, 21}, kMinHistory, kMaxHistory, 1, IDC_EDTHISTORY,
                 L"ドロップダウンの履歴の個数を決めます");
  btnClearHistory = set.Add({p,
                             WC_BUTTONW,
                             L"クリア",
                             kPush,
                             0,
                             {244, 28, 64, 22},
                             win::kTopLeft,
                             IDC_BTNCLEARHISTORY,
                             L"コンボボックスの履歴を削除します"});
  btnFilter = set.Add({p,
                       WC_BUTTONW,
                       L"フィルタ",
                       kPush,
                       0,
                       {312, 28, 64, 22},
                       win::kTopLeft,
                       IDC_BTNFILTER,
                       L"フィルタの設定を行います"});
  chkDropDir = check(L"フォルダドロップ受け付け", {6, 54, 204, 17}, IDC_CHKDROPDIR,
                     L"フォルダがドロップされたときに、フォルダ内のファイルを展開します");
  win::SetCheck(chkDropDir, true);
  chkSubFolders = check(L"サブフォルダも展開", {216, 54, 162, 17}, IDC_CHKSUBFOLDERS,
                        L"フォルダを展開するときに、サブフォルダの中のファイルもすべて追加します");
  chkFolderItems = check(L"フォルダも対象", {6, 71, 204, 17}, IDC_CHKFOLDERITEMS,
                         L"フォルダを展開するときに、中のフォルダも一覧に追加して名前を変更できるようにします");
  chkSkipHidden = check(L"隠しファイルを読み込まない", {216, 71, 162, 17}, IDC_CHKSKIPHIDDEN,
                        L"隠し属性やシステム属性のファイルとフォルダを一覧に追加しません");
  GroupBox1 = set.Add({p,
                       WC_BUTTONW,
                       L"自動リネーム",
                       BS_GROUPBOX,
                       0,
                       {6, 89, 372, 81},
                       win::kTopLeft,
                       -1,
                       L"リスト追加時に自動でリネームします。また、この場合リストに追加されません"});
  chkRemSCut = check(L"\"～へのショートカット\"の除去", {14, 103, 198, 16}, IDC_CHKREMSCUT,
                     L"ショートカットから「～へのショートカット」という文字を取り除きます。リストにも追加されません");
  chkDelCopy = check(L"\"コピー ～\"の除去", {216, 103, 158, 16}, IDC_CHKDELCOPY,
                     L"「コピー ～」という文字を取り除きます。リストにも追加されません");
  chkTrim = check(L"前後のスペースの除去", {14, 119, 198, 16}, IDC_CHKTRIM,
                  L"ファイル名の前後のスペースを除去します。リストにも追加されません");
  chkDel1 = check(L"\"[1]\"の除去", {216, 119, 158, 16}, IDC_CHKDEL1,
                  L"「[1]」～「[9]」という文字を取り除きます。リストにも追加されません");
  chkDel2 = check(L"\"(1)\"の除去", {14, 135, 198, 16}, IDC_CHKDEL2,
                  L"「(1)」～「(9)」という文字を取り除きます。リストにも追加されません");
  chkJpeg = check(L".jpeg -> .jpg", {216, 135, 158, 16}, IDC_CHKJPEG,
                  L"拡張子が「.jpeg」のファイルを「.jpg」にリネームします。リストにも追加されません");
  // Its caption is the longest of the group: a row of its own.
  chkCompose = check(L"濁点・半濁点を結合（Mac の名前）", {14, 151, 360, 16}, IDC_CHKCOMPOSE,
                     L"Mac で作られた名前の、分かれた濁点・半濁点（「シ」＋「゛」）やアクセントを 1 文字（「ジ」）に"
                     L"結合します。リストにも追加されません");
  chkDedupe = check(L"重複した名前に番号を付ける", {6, 171, 372, 15}, IDC_CHKDEDUPE,
                    L"新しい名前がほかのファイルと重なるとき、拡張子の前に「_2」「_3」…を付けて重ならない名前にします");
  SetDpi(set.dpi());
  return !set.failed();
}

void OptionPage::SetDpi(UINT dpi) {
  titleFont_ = win::MakeFont(19, L"ＭＳ Ｐゴシック", dpi);
  SendMessageW(lblTitle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
}

void OptionPage::Showing(bool shown) { ShowWindow(pnlConfig, shown ? SW_SHOW : SW_HIDE); }

CleanUpOptions OptionPage::CleanUp() const {
  CleanUpOptions o;
  o.removeShortcut = win::IsChecked(chkRemSCut);
  o.removeBracketNumber = win::IsChecked(chkDel1);
  o.removeParenNumber = win::IsChecked(chkDel2);
  o.removeCopy = win::IsChecked(chkDelCopy);
  o.trim = win::IsChecked(chkTrim);
  o.jpegToJpg = win::IsChecked(chkJpeg);
  o.compose = win::IsChecked(chkCompose);
  return o;
}

bool OptionPage::ClearItems() const { return win::IsChecked(chkClearItems); }
bool OptionPage::DropDir() const { return win::IsChecked(chkDropDir); }
bool OptionPage::Trim() const { return win::IsChecked(chkTrim); }
bool OptionPage::EnterToExec() const { return win::IsChecked(chkEnterToExec); }
bool OptionPage::EscToExit() const { return win::IsChecked(chkEscToExit); }
bool OptionPage::Dedupe() const { return win::IsChecked(chkDedupe); }
bool OptionPage::SubFolders() const { return win::IsChecked(chkSubFolders); }
bool OptionPage::FolderItems() const { return win::IsChecked(chkFolderItems); }
bool OptionPage::SkipHidden() const { return win::IsChecked(chkSkipHidden); }

// Each option check box and the settings member it keeps.
std::vector<std::pair<HWND, bool Settings::*>> OptionPage::CheckBoxes() const {
  return {{chkRemSCut, &Settings::remSCut},
          {chkDelCopy, &Settings::remCopy},
          {chkDel1, &Settings::remBracket1},
          {chkDel2, &Settings::remParen1},
          {chkTrim, &Settings::trim},
          {chkJpeg, &Settings::jpegJpg},
          {chkCompose, &Settings::compose},
          {chkClearItems, &Settings::clearItems},
          {chkEscToExit, &Settings::escToExit},
          {chkEnterToExec, &Settings::enterToExec},
          {chkDropDir, &Settings::dropDir},
          {chkDedupe, &Settings::dedupe},
          {chkSubFolders, &Settings::subFolders},
          {chkFolderItems, &Settings::folderItems},
          {chkSkipHidden, &Settings::skipHidden}};
}

void OptionPage::Load(const Settings& s) {
  for (const auto& [box, member] : CheckBoxes()) win::SetCheck(box, s.*member);
  History.SetPosition(s.history);
}

void OptionPage::Store(Settings& s) const {
  for (const auto& [box, member] : CheckBoxes()) s.*member = win::IsChecked(box);
  s.history = History.pos();
}

void OptionPage::OnCommand(int id, int code, HWND) {
  if (History.HandleCommand(id, code)) return;
  switch (id) {
    case IDC_CHKENTERTOEXEC:
    case IDC_CHKESCTOEXIT:
      if (code == BN_CLICKED) host_.KeyOptionsChanged();
      return;
    case IDC_CHKDEDUPE:
      if (code == BN_CLICKED) host_.ChangeItem();  // the preview's names follow
      return;
    case IDC_BTNCLEARHISTORY:
      if (code == BN_CLICKED) btnClearHistoryClick();
      return;
    case IDC_BTNFILTER:
      if (code == BN_CLICKED) host_.OpenFilter();  // btnFilterClick
      return;
    case IDC_IMAGE1:
      if (code == STN_CLICKED && !app::OpenHelpTopic(GetAncestor(hwnd(), GA_ROOT), L"HLP000001")) {
        win::ShowMessage(GetAncestor(hwnd(), GA_ROOT), app::HelpFailedText(), app::kTitle, MB_OK | MB_ICONWARNING);
      }
      return;
    default:
      return;
  }
}

LRESULT OptionPage::OnNotify(NMHDR* nm) {
  if (History.HandleNotify(nm)) {
    host_.TrimHistories();  // undHistoryClick
    return TRUE;
  }
  return 0;
}
