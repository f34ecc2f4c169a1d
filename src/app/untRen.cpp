#include "app/untRen.h"

#include <commctrl.h>
#include <imm.h>
#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>

#include "app/Application.h"
#include "app/Help.h"
#include "app/resource.h"
#include "engine/DatePattern.h"
#include "engine/Rules.h"
#include "engine/SafeRename.h"
#include "intake/Intake.h"
#include "settings/History.h"
#include "text/StringEx.h"
#include "text/sjis.h"

namespace {

// Client area of the 400 x 400 window at 96 DPI that the layout below is drawn for.
constexpr int kDesignW = 384, kDesignH = 361;
constexpr int kMinWindow = 400;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT WM_APP_FORMSHOW = WM_APP + 1;

enum ControlId : int {
  IDC_PAGECONTROL = 100, IDC_LSTMAIN, IDC_BTNRENAME, IDC_BTNCLEAR, IDC_BTNCLOSE, IDC_LBLCOUNT,
  IDC_CMBBASNAME, IDC_EDTSTART, IDC_UNDSTART, IDC_EDTSTEP, IDC_UNDSTEP, IDC_EDTCOLUMN, IDC_UNDCOLUMN,
  IDC_CHKDIVIDER, IDC_CMBOLDVALUE, IDC_CMBNEWVALUE, IDC_BTNHEAD, IDC_BTNTAIL, IDC_CMBADDVALUE, IDC_CHKDIV2,
  IDC_CMBDATEADD, IDC_BTNHEAD2, IDC_BTNTAIL2, IDC_CMBDATEFORMAT, IDC_BTNKANA, IDC_BTNIGNORE, IDC_BTNNARROW,
  IDC_BTNWIDE, IDC_IMAGE1, IDC_CHKCLEARITEMS, IDC_CHKENTERTOEXEC, IDC_CHKESCTOEXIT, IDC_EDTHISTORY,
  IDC_UNDHISTORY, IDC_BTNCLEARHISTORY, IDC_BTNFILTER, IDC_CHKDROPDIR, IDC_CHKREMSCUT, IDC_CHKDELCOPY,
  IDC_CHKTRIM, IDC_CHKDEL1, IDC_CHKDEL2, IDC_CHKJPEG, IDC_STATIC,
  IDM_COPY = 300, IDM_ANALYZE, IDM_FOLDER, IDM_DELETE, IDM_SELECTALL, IDM_CHANGEEXT,
  // Radio items: group base + item index.
  IDC_RDGDATETYPE = 400, IDC_RDGLETTER = 410, IDC_RGWORD = 420, IDC_RGNUM = 430, IDC_RGKAKKO = 440,
  IDC_RGSPACE = 450, IDC_RGSYMBOL = 460,
};

std::wstring W(std::string_view s) { return sjis::Widen(s); }

bool IsDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The typed-character filter of the number boxes: digits and Backspace pass.
LRESULT CALLBACK NumberEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_CHAR) {
    wchar_t key = static_cast<wchar_t>(wp);
    if (!((key >= L'0' && key <= L'9') || key == 8)) return 0;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace

TfrmRen::TfrmRen(Options options) : options_(std::move(options)) {}

TfrmRen::~TfrmRen() {
  if (pupMain) DestroyMenu(pupMain);
  if (pupDummy) DestroyMenu(pupDummy);
}

bool TfrmRen::Create() {
  dpi_ = win::DpiOf(nullptr);
  icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KINOHA), IMAGE_ICON,
                                            0, 0, LR_DEFAULTSIZE | LR_SHARED)));
  int size = win::Scale(kMinWindow, dpi_);
  return CreateWin(L"TfrmRen", WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                   W(app::kTitle).c_str(), CW_USEDEFAULT, CW_USEDEFAULT, size, size, nullptr, nullptr,
                   icon_.get());
}

void TfrmRen::Show(int cmdShow) {
  // The command-line intake runs before the window appears, so a start whose paths list
  // nothing ends without ever showing an empty window.
  FormShow();
  if (closed_) return;
  ShowWindow(hwnd(), cmdShow);
  UpdateWindow(hwnd());
  FocusPageInput();
}

std::string TfrmRen::HintOf(HWND control) const {
  for (const auto& [h, hint] : hints_) {
    if (h == control) return hint;
  }
  return std::string();
}

// ---------------------------------------------------------------------------------------------
// Creation

HWND TfrmRen::AddControl(HWND parent, const wchar_t* cls, const char* text, DWORD style, int x, int y, int w,
                         int h, int id, const char* hint, DWORD exStyle) {
  HWND c = CreateWindowExW(exStyle, cls, text ? W(text).c_str() : L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                           nullptr);
  auto& layout = parent == hwnd() ? mainLayout_ : childLayouts_[parent];
  if (!layout) layout = std::make_unique<win::Layout>(kDesignW, kDesignH);
  unsigned anchors = win::kTopLeft;
  layout->Add(c, x, y, w, h, anchors);
  allControls_.push_back(c);
  if (hint) AddHint(c, hint);
  return c;
}

void TfrmRen::AddHint(HWND control, const char* hint) {
  hints_.emplace_back(control, hint);
  std::wstring text = W(hint);
  auto add = [&](HWND target) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(target);
    ti.lpszText = text.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  };
  add(control);
  // An editable drop-down's mouse events go to its edit child.
  if (HWND child = GetWindow(control, GW_CHILD)) add(child);
}

HWND TfrmRen::AddPage(const char* caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  std::wstring text = W(caption);
  item.pszText = text.data();
  int index = static_cast<int>(SendMessageW(PageControl, TCM_GETITEMCOUNT, 0, 0));
  SendMessageW(PageControl, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
  auto panel = std::make_unique<win::Panel>();
  panel->Create(hwnd(), hwnd(), 0, 0, 0, 0, false);
  HWND page = panel->hwnd();
  panels_.push_back(std::move(panel));
  pages_.push_back(page);
  return page;
}

RadioGroup TfrmRen::MakeRadioGroup(HWND parent, const char* caption, const char* hint,
                                   const std::vector<const char*>& items, int columns, int x, int y, int w, int h,
                                   int baseId) {
  RadioGroup g;
  g.box = AddControl(parent, WC_BUTTONW, caption, BS_GROUPBOX, x, y, w, h, IDC_STATIC, hint);
  int n = static_cast<int>(items.size());
  int perColumn = (n + columns - 1) / columns;
  int colW = (w - 8) / columns;
  int rowH = perColumn > 0 ? std::min(18, (h - 14) / perColumn) : 18;
  for (int i = 0; i < n; ++i) {
    int col = i / perColumn, row = i % perColumn;
    DWORD style = BS_RADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
    g.items.push_back(
        AddControl(parent, WC_BUTTONW, items[static_cast<std::size_t>(i)], style, x + 6 + col * colW,
                   y + 13 + row * rowH, colW - 2, rowH, baseId + i, hint));
  }
  return g;
}

NumberBox TfrmRen::MakeNumberBox(HWND parent, int x, int y, int w, int min, int max, int pos, int id,
                                 const char* hint) {
  NumberBox b;
  b.min = min;
  b.max = max;
  b.pos = pos;
  b.edit = AddControl(parent, WC_EDITW, std::to_string(pos).c_str(), WS_TABSTOP | ES_AUTOHSCROLL, x, y, w, 21, id,
                      hint, WS_EX_CLIENTEDGE);
  b.updown = AddControl(parent, UPDOWN_CLASSW, nullptr, UDS_ARROWKEYS | UDS_NOTHOUSANDS, x + w, y, 16, 21, id + 1,
                        hint);
  SendMessageW(b.updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(b.edit), 0);
  SendMessageW(b.updown, UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  SendMessageW(b.updown, UDM_SETPOS32, 0, pos);
  SetWindowSubclass(b.edit, NumberEditProc, 1, 0);
  // Number boxes take no input-method composition.
  ImmAssociateContextEx(b.edit, nullptr, 0);
  return b;
}

void TfrmRen::CreateControls() {
  HWND self = hwnd();
  tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                            0, 0, self, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, win::Scale(360, dpi_));

  PageControl = AddControl(self, WC_TABCONTROLW, nullptr, WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, kDesignW, 121,
                           IDC_PAGECONTROL);
  mainLayout_ = std::make_unique<win::Layout>(kDesignW, kDesignH);
  mainLayout_->Add(PageControl, 0, 0, kDesignW, 121, win::kLeft | win::kTop | win::kRight);

  lstMain = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                            0, 0, 0, 0, self, reinterpret_cast<HMENU>(IDC_LSTMAIN), GetModuleHandleW(nullptr),
                            nullptr);
  allControls_.push_back(lstMain);
  mainLayout_->Add(lstMain, 0, 125, kDesignW, 186, win::kLeft | win::kTop | win::kRight | win::kBottom);
  ListView_SetExtendedListViewStyle(lstMain, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  const char* columns[] = {"ファイル名", "パス名", "新しい名前"};
  for (int i = 0; i < 3; ++i) {
    std::wstring text = W(columns[i]);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = text.data();
    col.cx = i == 1 ? 0 : win::Scale(50, dpi_);
    col.iSubItem = i;
    SendMessageW(lstMain, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }

  auto configPanel = std::make_unique<win::Panel>();
  configPanel->Create(self, self, 0, 0, 0, 0, false);
  pnlConfig = configPanel->hwnd();
  panels_.push_back(std::move(configPanel));
  mainLayout_->Add(pnlConfig, 0, 125, kDesignW, 186, win::kLeft | win::kTop | win::kRight | win::kBottom);

  lblCount = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_RIGHT, 0, 0, 0, 0, self,
                             reinterpret_cast<HMENU>(IDC_LBLCOUNT), GetModuleHandleW(nullptr), nullptr);
  allControls_.push_back(lblCount);
  mainLayout_->Add(lblCount, 184, 313, 196, 14, win::kRight | win::kBottom);

  auto button = [&](const char* text, const char* hint, int x, int id, unsigned anchors) {
    HWND b = CreateWindowExW(0, WC_BUTTONW, W(text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                             0, 0, 0, self, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    allControls_.push_back(b);
    mainLayout_->Add(b, x, 331, 90, 25, anchors);
    AddHint(b, hint);
    return b;
  };
  btnRename = button("リネーム", "リネームの実行", 4, IDC_BTNRENAME, win::kLeft | win::kBottom);
  btnClear = button("リストクリア", "リストのアイテムを全てクリアします", 196, IDC_BTNCLEAR, win::kRight | win::kBottom);
  btnClose = button("終了", "プログラムの終了", 290, IDC_BTNCLOSE, win::kRight | win::kBottom);

  tabNumber = AddPage("連番");
  tabReplace = AddPage("置換");
  tabAdd = AddPage("追加");
  tabDate = AddPage("日付");
  tabCase = AddPage("大小");
  tabWide = AddPage("全半");
  tabOption = AddPage("設定");

  const DWORD label = SS_LEFT | SS_NOPREFIX;
  const DWORD combo = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
  const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
  const DWORD toggle = BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP;

  // Page 0: numbering.
  HWND p = tabNumber;
  AddControl(p, WC_STATICW, "基本名", label, 6, 4, 120, 14, IDC_STATIC);
  cmbBasName = AddControl(p, WC_COMBOBOXW, nullptr, combo, 6, 20, 170, 200, IDC_CMBBASNAME, "連番の前に付ける名前");
  AddControl(p, WC_STATICW, "開始番号", label, 186, 4, 64, 14, IDC_STATIC);
  Start = MakeNumberBox(p, 186, 20, 44, 0, 1000, 1, IDC_EDTSTART, "連番の開始番号");
  AddControl(p, WC_STATICW, "ステップ", label, 252, 4, 64, 14, IDC_STATIC);
  Step = MakeNumberBox(p, 252, 20, 44, 1, 100, 1, IDC_EDTSTEP, "連番の増分");
  AddControl(p, WC_STATICW, "桁数", label, 318, 4, 56, 14, IDC_STATIC);
  Column = MakeNumberBox(p, 318, 20, 40, 1, 10, 1, IDC_EDTCOLUMN, "連番の桁数");
  chkDivider = AddControl(p, WC_BUTTONW, "\"_\"で区切る", check, 6, 50, 220, 18, IDC_CHKDIVIDER,
                          "\"_\"（アンダースコア）を数字の前に付けます");

  // Page 1: replace.
  p = tabReplace;
  AddControl(p, WC_STATICW, "検索文字列", label, 6, 4, 200, 14, IDC_STATIC);
  cmbOldValue = AddControl(p, WC_COMBOBOXW, nullptr, combo, 6, 20, 366, 200, IDC_CMBOLDVALUE,
                           "「置換文字列」に置き換えられる文字列");
  AddControl(p, WC_STATICW, "置換文字列", label, 6, 46, 200, 14, IDC_STATIC);
  cmbNewValue = AddControl(p, WC_COMBOBOXW, nullptr, combo, 6, 62, 366, 200, IDC_CMBNEWVALUE,
                           "「検索文字列」を置き換える文字列");

  // Page 2: add.
  p = tabAdd;
  AddControl(p, WC_STATICW, "追加文字列", label, 34, 4, 200, 14, IDC_STATIC);
  btnHead = AddControl(p, WC_BUTTONW, "<", toggle, 6, 19, 24, 23, IDC_BTNHEAD, "ファイル名の前に文字列を追加します");
  cmbAddValue = AddControl(p, WC_COMBOBOXW, nullptr, combo, 34, 20, 306, 200, IDC_CMBADDVALUE, "追加される文字列");
  btnTail = AddControl(p, WC_BUTTONW, ">", toggle, 344, 19, 24, 23, IDC_BTNTAIL, "ファイル名の後ろに文字列を追加します");
  chkDiv2 = AddControl(p, WC_BUTTONW, "\"_\"で区切る", check, 6, 50, 220, 18, IDC_CHKDIV2,
                       "\"_\"（アンダースコア）を数字の前に付けます");
  win::SetCheck(btnTail, true);

  // Page 3: date.
  p = tabDate;
  AddControl(p, WC_STATICW, "追加文字列", label, 32, 2, 150, 14, IDC_STATIC);
  btnHead2 = AddControl(p, WC_BUTTONW, "<", toggle, 6, 17, 22, 23, IDC_BTNHEAD2, "ファイル名の前に文字列を追加します");
  cmbDateAdd = AddControl(p, WC_COMBOBOXW, nullptr, combo, 32, 18, 146, 200, IDC_CMBDATEADD,
                          "日付の前後に付ける文字列です。空欄にすると前のファイル名を使います");
  btnTail2 = AddControl(p, WC_BUTTONW, ">", toggle, 182, 17, 22, 23, IDC_BTNTAIL2,
                        "ファイル名の後ろに文字列を追加します");
  AddControl(p, WC_STATICW, "日付フォーマット", label, 214, 2, 150, 14, IDC_STATIC);
  cmbDateFormat = AddControl(p, WC_COMBOBOXW, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 214, 18, 160,
                             200, IDC_CMBDATEFORMAT, "日付のフォーマット");
  rdgDateType = MakeRadioGroup(p, "日付の選択", "ファイル名に付加する日付", {"今日", "作成日", "更新日"}, 3, 6, 46, 368,
                               44, IDC_RDGDATETYPE);
  win::SetCheck(btnTail2, true);
  SetRadioIndex(rdgDateType, 0);

  // Page 4: letter case.
  rdgLetter = MakeRadioGroup(tabCase, "大文字小文字変換", "ファイル名中のアルファベットを変換します",
                             {"すべて大文字", "すべて小文字", "頭文字を大文字に", "単語の頭文字を大文字に"}, 2, 6, 4,
                             368, 64, IDC_RDGLETTER);

  // Page 5: width.
  p = tabWide;
  const std::vector<const char*> widthItems = {"無視", "半角", "全角"};
  // Two columns of groups, so each item has room for its two-character caption.
  rgWord = MakeRadioGroup(p, "英文字", "英文字を半角／全角にします", widthItems, 3, 4, 0, 184, 31, IDC_RGWORD);
  rgNum = MakeRadioGroup(p, "数字", "数字を半角／全角にします", widthItems, 3, 4, 31, 184, 31, IDC_RGNUM);
  rgKakko = MakeRadioGroup(p, "括弧", "括弧を半角／全角にします", widthItems, 3, 4, 62, 184, 31, IDC_RGKAKKO);
  rgSpace = MakeRadioGroup(p, "スペース", "スペース・アンダースコアを半角／全角にします", widthItems, 3, 192, 0, 184,
                           31, IDC_RGSPACE);
  rgSymbol = MakeRadioGroup(p, "記号", "一部の記号を半角／全角にします", widthItems, 3, 192, 31, 184, 31, IDC_RGSYMBOL);
  for (RadioGroup* g : {&rgWord, &rgNum, &rgKakko, &rgSpace, &rgSymbol}) SetRadioIndex(*g, 0);
  btnKana = AddControl(p, WC_BUTTONW, "カナ", BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 194, 68, 44, 22,
                       IDC_BTNKANA, "カタカナを全角にします");
  btnIgnore = AddControl(p, WC_BUTTONW, "無視", BS_PUSHBUTTON | WS_TABSTOP, 242, 68, 44, 22, IDC_BTNIGNORE,
                         "すべて無視します");
  btnNarrow = AddControl(p, WC_BUTTONW, "半角", BS_PUSHBUTTON | WS_TABSTOP, 288, 68, 44, 22, IDC_BTNNARROW,
                         "すべて半角にします");
  btnWide = AddControl(p, WC_BUTTONW, "全角", BS_PUSHBUTTON | WS_TABSTOP, 334, 68, 44, 22, IDC_BTNWIDE,
                       "すべて全角にします");

  // Page 6: about; the options themselves are on pnlConfig over the list.
  p = tabOption;
  Image1 = AddControl(p, WC_STATICW, nullptr, SS_ICON | SS_NOTIFY, 10, 8, 32, 32, IDC_IMAGE1,
                      "クリックしたらヘルプを表示するわしよ");
  SendMessageW(Image1, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  lblTitle = AddControl(p, WC_STATICW, app::kTitle, label, 52, 6, 320, 24, IDC_STATIC);
  lblVersion = AddControl(p, WC_STATICW, "Ver. 1.0", label, 52, 34, 200, 14, IDC_STATIC);
  lblAuthor = AddControl(p, WC_STATICW, "作者: Kinoha 開発チーム", label, 52, 52, 320, 14, IDC_STATIC);
  lblWebSite = AddControl(p, WC_STATICW, "ヘルプ: Kinoha.html（プログラムと同じフォルダ）", label, 52, 68, 320, 14,
                          IDC_STATIC);

  p = pnlConfig;
  chkClearItems = AddControl(p, WC_BUTTONW, "リネーム完了時にリストクリア", check, 6, 4, 232, 18, IDC_CHKCLEARITEMS,
                             "リネーム完了時にリストのアイテムをクリアします。ただし、リネームに失敗したファイルはそのまま残ります");
  chkEnterToExec = AddControl(p, WC_BUTTONW, "Enterキーで実行", check, 6, 22, 232, 18, IDC_CHKENTERTOEXEC,
                              "Enterキーを押したときにリネームを実行します。チェックした場合、注意して操作を行ってください");
  chkEscToExit = AddControl(p, WC_BUTTONW, "Escキーで終了", check, 6, 40, 232, 18, IDC_CHKESCTOEXIT,
                            "Escキーを押したときに、プログラムを終了します");
  chkDropDir = AddControl(p, WC_BUTTONW, "フォルダドロップ受け付け", check, 6, 58, 232, 18, IDC_CHKDROPDIR,
                          "フォルダがドロップされたときに、フォルダ内のファイルを展開します");
  win::SetCheck(chkDropDir, true);
  AddControl(p, WC_STATICW, "履歴個数", label, 244, 7, 54, 14, IDC_STATIC);
  History = MakeNumberBox(p, 300, 4, 40, 1, 10, 1, IDC_EDTHISTORY, "ドロップダウンの履歴の個数を決めます");
  btnClearHistory = AddControl(p, WC_BUTTONW, "クリア", BS_PUSHBUTTON | WS_TABSTOP, 244, 30, 64, 22,
                               IDC_BTNCLEARHISTORY, "コンボボックスの履歴を削除します");
  btnFilter = AddControl(p, WC_BUTTONW, "フィルタ", BS_PUSHBUTTON | WS_TABSTOP, 312, 30, 64, 22, IDC_BTNFILTER,
                         "フィルタの設定を行います");
  const char* groupHint = "リスト追加時に自動でリネームします。また、この場合リストに追加されません";
  GroupBox1 = AddControl(p, WC_BUTTONW, "自動リネーム", BS_GROUPBOX, 6, 80, 372, 74, IDC_STATIC, groupHint);
  chkRemSCut = AddControl(p, WC_BUTTONW, "\"～へのショートカット\"の除去", check, 14, 96, 198, 18, IDC_CHKREMSCUT,
                          "ショートカットから「～へのショートカット」という文字を取り除きます。リストにも追加されません");
  chkDelCopy = AddControl(p, WC_BUTTONW, "\"コピー ～\"の除去", check, 216, 96, 158, 18, IDC_CHKDELCOPY,
                          "「コピー ～」という文字を取り除きます。リストにも追加されません");
  chkTrim = AddControl(p, WC_BUTTONW, "前後のスペースの除去", check, 14, 114, 198, 18, IDC_CHKTRIM,
                       "ファイル名の前後のスペースを除去します。リストにも追加されません");
  chkDel1 = AddControl(p, WC_BUTTONW, "\"[1]\"の除去", check, 216, 114, 158, 18, IDC_CHKDEL1,
                       "「[1]」～「[9]」という文字を取り除きます。リストにも追加されません");
  chkDel2 = AddControl(p, WC_BUTTONW, "\"(1)\"の除去", check, 14, 132, 198, 18, IDC_CHKDEL2,
                       "「(1)」～「(9)」という文字を取り除きます。リストにも追加されません");
  chkJpeg = AddControl(p, WC_BUTTONW, ".jpeg -> .jpg", check, 216, 132, 158, 18, IDC_CHKJPEG,
                       "拡張子が「.jpeg」のファイルを「.jpg」にリネームます。リストにも追加されません");

  // The list's context menu, and the empty one the date-format drop-down carries.
  pupMain = CreatePopupMenu();
  AppendMenuW(pupMain, MF_STRING, IDM_COPY, W("ファイル名コピー").c_str());
  AppendMenuW(pupMain, MF_STRING, IDM_ANALYZE, W("ファイル名解析").c_str());
  AppendMenuW(pupMain, MF_STRING, IDM_FOLDER, W("フォルダ名").c_str());
  AppendMenuW(pupMain, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(pupMain, MF_STRING, IDM_DELETE, W("削除\tDel").c_str());
  AppendMenuW(pupMain, MF_STRING, IDM_SELECTALL, W("すべて選択\tCtrl+A").c_str());
  AppendMenuW(pupMain, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(pupMain, MF_STRING, IDM_CHANGEEXT, W("拡張子変更").c_str());
  pupDummy = CreatePopupMenu();

  // The window's own first page is the date page; the start-up values choose another.
  SendMessageW(PageControl, TCM_SETCURSEL, 3, 0);
  ShowPage(3);
  ApplyFonts();
  Relayout();
}

void TfrmRen::ApplyFonts() {
  auto make = [&](int height, const char* face) {
    LOGFONTW lf{};
    lf.lfHeight = -win::Scale(height, dpi_);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy(lf.lfFaceName, W(face).c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
  };
  font_.reset(make(12, "ＭＳ Ｐゴシック"));
  listFont_.reset(make(12, "ＭＳ ゴシック"));
  titleFont_.reset(make(19, "ＭＳ Ｐゴシック"));
  for (HWND c : allControls_) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  SendMessageW(lstMain, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.get()), FALSE);
  SendMessageW(lblTitle, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
  SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void TfrmRen::Relayout() {
  if (!mainLayout_) return;
  mainLayout_->Apply(hwnd(), dpi_);
  // The pages sit over the tab control's display area.
  RECT r;
  GetWindowRect(PageControl, &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  SendMessageW(PageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  for (HWND page : pages_) {
    SetWindowPos(page, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  }
  SetWindowPos(pnlConfig, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (auto& [parent, layout] : childLayouts_) layout->Apply(parent, dpi_);
}

// Values a first start shows: what the settings file gives when it holds nothing.
void TfrmRen::ApplyStartDefaults() {
  SetNumberPosition(Start, 1);
  SetNumberPosition(Step, 1);
  SetNumberPosition(Column, 2);
  HeadTailClick(btnHead);
  SetRadioIndex(rdgDateType, 0);
  SetRadioIndex(rdgLetter, 0);
  win::SetCheck(chkDropDir, false);
  SetNumberPosition(History, 5);
  DateFormats = {"\"yy\"年\"mm\"月\"dd\"日\"\"", "mm\"月\"dd\"日\"", "mm\"月\"dd\"日（\"dddd\"）\"", "dddddd"};
  SendMessageW(PageControl, TCM_SETCURSEL, 0, 0);
  ShowPage(0);
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT TfrmRen::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      // FormCreate: controls with their own defaults, the start-up values, then nothing pending.
      CreateControls();
      if (options_.applyStartDefaults) ApplyStartDefaults();
      RefreshDateFormats();
      UpdateCount();
      if (options_.runTimer) SetTimer(hwnd(), kTimerId, 100, nullptr);
      PreviewCountdown = 0;
      return 0;
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize.x = mm->ptMinTrackSize.y = win::Scale(kMinWindow, dpi_);
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      ApplyFonts();
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Relayout();
      return 0;
    }
    case WM_TIMER:
      if (wp == kTimerId) Timer1Timer();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_CONTEXTMENU: {
      HWND from = reinterpret_cast<HWND>(wp);
      if (from == lstMain) {
        int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        ShowListMenu(x, y);
        return 0;
      }
      if (from == cmbDateFormat || GetParent(from) == cmbDateFormat) return 0;  // the preset editor's place
      break;
    }
    case WM_HELP:
      OpenHelp(1);
      return TRUE;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd(), kTimerId);
      closed_ = true;
      if (options_.quitOnClose) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return Default(msg, wp, lp);
}

void TfrmRen::OnCommand(int id, int code, HWND from) {
  auto radio = [&](RadioGroup& g, int base) {
    if (id >= base && id < base + static_cast<int>(g.items.size()) && code == BN_CLICKED) {
      SetRadioIndex(g, id - base);
      return true;
    }
    return false;
  };
  if (radio(rdgDateType, IDC_RDGDATETYPE) || radio(rdgLetter, IDC_RDGLETTER) || radio(rgWord, IDC_RGWORD) ||
      radio(rgNum, IDC_RGNUM) || radio(rgKakko, IDC_RGKAKKO) || radio(rgSpace, IDC_RGSPACE) ||
      radio(rgSymbol, IDC_RGSYMBOL)) {
    return;
  }
  switch (id) {
    case IDC_BTNRENAME: if (code == BN_CLICKED) btnRenameClick(); return;
    case IDC_BTNCLEAR: if (code == BN_CLICKED) btnClearClick(); return;
    case IDC_BTNCLOSE: if (code == BN_CLICKED) btnCloseClick(); return;
    case IDC_EDTSTART: if (code == EN_CHANGE) { OnNumberEdit(Start); ChangeItem(); } return;
    case IDC_EDTSTEP: if (code == EN_CHANGE) { OnNumberEdit(Step); ChangeItem(); } return;
    case IDC_EDTCOLUMN: if (code == EN_CHANGE) { OnNumberEdit(Column); ChangeItem(); } return;
    case IDC_EDTHISTORY: if (code == EN_CHANGE) OnNumberEdit(History); return;
    case IDC_CMBNEWVALUE:
      if (code == CBN_SETFOCUS) cmbNewValueEnter();
      [[fallthrough]];
    case IDC_CMBBASNAME:
    case IDC_CMBOLDVALUE:
    case IDC_CMBADDVALUE:
    case IDC_CMBDATEADD:
      if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) ChangeItem();
      return;
    case IDC_CMBDATEFORMAT: if (code == CBN_SELCHANGE) ChangeItem(); return;
    case IDC_CHKDIVIDER:
    case IDC_CHKDIV2:
    case IDC_BTNKANA:
      if (code == BN_CLICKED) ChangeItem();
      return;
    case IDC_BTNHEAD:
    case IDC_BTNTAIL:
    case IDC_BTNHEAD2:
    case IDC_BTNTAIL2:
      if (code == BN_CLICKED) HeadTailClick(from);
      return;
    case IDC_BTNIGNORE:
    case IDC_BTNNARROW:
    case IDC_BTNWIDE:
      if (code == BN_CLICKED) btnINWClick(from);
      return;
    case IDC_CHKENTERTOEXEC: if (code == BN_CLICKED) chkEnterToExecClick(); return;
    case IDC_CHKESCTOEXIT: if (code == BN_CLICKED) chkEscToExitClick(); return;
    case IDC_BTNCLEARHISTORY: if (code == BN_CLICKED) btnClearHistoryClick(); return;
    case IDC_IMAGE1: if (code == STN_CLICKED) app::OpenHelpTopic(hwnd(), "HLP000001"); return;
    case IDM_COPY: mnuCopyClick(); return;
    case IDM_ANALYZE: mnuAnalyzeClick(); return;
    case IDM_FOLDER: mnuFolderClick(); return;
    case IDM_DELETE: mnuDeleteClick(); return;
    case IDM_SELECTALL: mnuSelectAllClick(); return;
    default: return;
  }
}

LRESULT TfrmRen::OnNotify(NMHDR* nm) {
  if (nm->hwndFrom == PageControl && nm->code == TCN_SELCHANGE) {
    ShowPage(static_cast<int>(SendMessageW(PageControl, TCM_GETCURSEL, 0, 0)));
    PageControlChange();
    return 0;
  }
  if (nm->code == UDN_DELTAPOS) {
    auto* ud = reinterpret_cast<NMUPDOWN*>(nm);
    for (NumberBox* b : {&Start, &Step, &Column, &History}) {
      if (nm->hwndFrom == b->updown) OnDeltaPos(*b, ud->iDelta);
    }
    return TRUE;  // the position is ours to keep
  }
  if (nm->hwndFrom != lstMain) return 0;
  switch (nm->code) {
    case LVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(nm);
      auto i = static_cast<std::size_t>(di->item.iItem);
      if ((di->item.mask & LVIF_TEXT) && i < list_.size() && di->item.pszText && di->item.cchTextMax > 0) {
        const RenameEntry& row = list_[i];
        const std::string& text = di->item.iSubItem == 0 ? row.fileName
                                  : di->item.iSubItem == 1 ? row.folder
                                                           : row.newName;
        int n = MultiByteToWideChar(sjis::kCodePage, 0, text.data(), static_cast<int>(text.size()),
                                    di->item.pszText, di->item.cchTextMax - 1);
        di->item.pszText[n > 0 ? n : 0] = L'\0';
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
      if (!syncing_ && (lv->uChanged & LVIF_STATE)) OnListItemChanged(lv->iItem, lv->uNewState);
      return 0;
    }
    case LVN_ODSTATECHANGED: {
      auto* od = reinterpret_cast<NMLVODSTATECHANGE*>(nm);
      if (!syncing_) {
        for (int i = od->iFrom; i <= od->iTo && i < static_cast<int>(list_.size()); ++i) {
          list_[static_cast<std::size_t>(i)].selected = (od->uNewState & LVIS_SELECTED) != 0;
        }
      }
      return 0;
    }
    case LVN_ODFINDITEMW: {
      auto* fi = reinterpret_cast<NMLVFINDITEMW*>(nm);
      if ((fi->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && fi->lvfi.psz) return FindRow(fi->lvfi.psz, fi->iStart);
      return -1;
    }
    case LVN_KEYDOWN: {
      auto* kd = reinterpret_cast<NMLVKEYDOWN*>(nm);
      if (kd->wVKey == VK_DELETE) mnuDeleteClick();
      return 0;
    }
    default:
      return 0;
  }
}

void TfrmRen::OnListItemChanged(int item, UINT newState) {
  bool selected = (newState & LVIS_SELECTED) != 0;
  if (item < 0) {
    list_.SelectAll(selected);
  } else if (static_cast<std::size_t>(item) < list_.size()) {
    list_[static_cast<std::size_t>(item)].selected = selected;
  }
}

int TfrmRen::FindRow(const wchar_t* prefix, int start) const {
  int n = static_cast<int>(list_.size());
  int len = static_cast<int>(wcslen(prefix));
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    std::wstring name = sjis::Widen(list_[static_cast<std::size_t>(i)].fileName);
    if (static_cast<int>(name.size()) >= len &&
        CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name.c_str(), len, prefix, len) == CSTR_EQUAL) {
      return i;
    }
  }
  return -1;
}

void TfrmRen::OnDropFiles(HDROP drop) {
  HWND last = GetLastActivePopup(hwnd());
  if (last && IsWindowVisible(last) && IsWindowEnabled(last)) SetForegroundWindow(last);
  std::vector<std::string> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT len = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring w(len + 1, L'\0');
    w.resize(DragQueryFileW(drop, i, w.data(), len + 1));
    std::string path;
    // A path that has no exact Shift_JIS form, or that a 256-byte buffer would have cut,
    // could name some other file: it is skipped rather than altered.
    if (!sjis::FromWide(w, path) || path.size() > 255) continue;
    paths.push_back(std::move(path));
  }
  DragFinish(drop);
  AddFiles(paths);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool TfrmRen::PreTranslate(MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return false;
  auto comboDropped = [&]() {
    HWND f = GetFocus();
    HWND c = f && GetParent(f) && IsChild(hwnd(), f) ? GetParent(f) : f;
    wchar_t cls[32] = {};
    if (c) GetClassNameW(c, cls, 32);
    return lstrcmpiW(cls, WC_COMBOBOXW) == 0 && SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0);
  };
  if (msg.message == WM_CHAR && msg.wParam == 1) {  // Ctrl+A, wherever the focus is
    mnuSelectAllClick();
    return true;
  }
  if (msg.message == WM_KEYDOWN) {
    switch (msg.wParam) {
      case VK_RETURN:
        if (defaultButton && !comboDropped() && IsWindowEnabled(defaultButton)) {
          SendMessageW(defaultButton, BM_CLICK, 0, 0);
          return true;
        }
        break;
      case VK_ESCAPE:
        if (cancelButton && !comboDropped()) {
          SendMessageW(cancelButton, BM_CLICK, 0, 0);
          return true;
        }
        break;
      case VK_F1:
        OpenHelp(1);
        return true;
      default:
        break;
    }
  }
  if (msg.message == WM_CHAR && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) &&
      (defaultButton || cancelButton)) {
    return false;
  }
  return IsDialogMessageW(hwnd(), &msg) != FALSE;
}

void TfrmRen::chkEnterToExecClick() {
  defaultButton = win::IsChecked(chkEnterToExec) ? btnRename : nullptr;
  SendMessageW(btnRename, BM_SETSTYLE, defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TfrmRen::chkEscToExitClick() { cancelButton = win::IsChecked(chkEscToExit) ? btnClose : nullptr; }

void TfrmRen::OpenHelp(int context) { app::OpenHelpContext(hwnd(), context); }

// ---------------------------------------------------------------------------------------------
// Inputs

void TfrmRen::SetRadioIndex(RadioGroup& group, int index) {
  if (index < -1 || index >= static_cast<int>(group.items.size()) || index == group.index) return;
  group.index = index;
  for (std::size_t i = 0; i < group.items.size(); ++i) win::SetCheck(group.items[i], static_cast<int>(i) == index);
  ChangeItem();  // the group's click
}

void TfrmRen::HeadTailClick(HWND button) {
  HWND partner = button == btnHead ? btnTail : button == btnTail ? btnHead : button == btnHead2 ? btnTail2 : btnHead2;
  win::SetCheck(button, true);
  win::SetCheck(partner, false);
  ChangeItem();
}

void TfrmRen::OnNumberEdit(NumberBox& box) {
  std::string text = win::GetText(box.edit);
  if (IsDigits(text) && text.size() <= 9) {
    int v = std::stoi(text);
    if (v >= box.min && v <= box.max) {
      box.pos = v;
      SendMessageW(box.updown, UDM_SETPOS32, 0, v);
    }
  }
}

void TfrmRen::OnDeltaPos(NumberBox& box, int delta) {
  SetNumberPosition(box, std::clamp(box.pos + delta, box.min, box.max));
  if (&box == &History) {
    undHistoryClick();
  } else {
    UpDownClick();
  }
}

void TfrmRen::SetNumberText(NumberBox& box, const std::string& text) { win::SetText(box.edit, text); }

void TfrmRen::SetNumberPosition(NumberBox& box, int pos) {
  // Up-down positions are signed 16-bit numbers held within their range.
  pos = std::clamp(static_cast<int>(static_cast<short>(pos)), box.min, box.max);
  box.pos = pos;
  SendMessageW(box.updown, UDM_SETPOS32, 0, pos);
  win::SetText(box.edit, std::to_string(pos));
}

// ---------------------------------------------------------------------------------------------
// The preview pipeline

void TfrmRen::ChangeItem() { PreviewCountdown = 5; }
void TfrmRen::UpDownClick() { PreviewCountdown = 5; }

void TfrmRen::Timer1Timer() {
  if (PreviewCountdown <= 0) return;
  if (--PreviewCountdown == 0) UpdatePreview();
}

int TfrmRen::RenameMode() const {
  int index = static_cast<int>(SendMessageW(PageControl, TCM_GETCURSEL, 0, 0));
  return index < 0 ? 6 : index;
}

void TfrmRen::UpdatePreview() {
  ++previewRuns;
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  switch (RenameMode()) {
    case 0: PreviewNumber(); break;
    case 1: PreviewReplace(); break;
    case 2: PreviewAdd(); break;
    case 3: PreviewDate(); break;
    case 4: PreviewCase(); break;
    case 5: PreviewWidth(); break;
    default: break;
  }
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  AutoSizeColumns();
  InvalidateRect(lstMain, nullptr, FALSE);
}

void TfrmRen::PreviewNumber() {
  NumberingInputs in;
  in.baseText = win::GetText(cmbBasName);
  in.start = Start.pos;
  in.step = Step.pos;
  in.column = Column.pos;
  in.startText = win::GetText(edtStart);
  in.divider = win::IsChecked(chkDivider);
  ::PreviewNumber(list_, in);
}

void TfrmRen::PreviewReplace() {
  ::PreviewReplace(list_, {win::GetText(cmbOldValue), win::GetText(cmbNewValue), win::IsChecked(chkTrim)});
}

void TfrmRen::PreviewAdd() {
  AddInputs in;
  in.text = win::GetText(cmbAddValue);
  in.head = win::IsChecked(btnHead);
  in.tail = win::IsChecked(btnTail);
  in.divider = win::IsChecked(chkDiv2);
  ::PreviewAdd(list_, in);
}

void TfrmRen::PreviewDate() {
  // The date rule comes with the date presets; until then the rows keep their names.
}

void TfrmRen::PreviewCase() { ::PreviewCase(list_, rdgLetter.index); }

void TfrmRen::PreviewWidth() {
  ::PreviewWidth(list_, WidthFlagsFromGroups(rgWord.index, rgNum.index, rgKakko.index, rgSpace.index, rgSymbol.index),
                 win::IsChecked(btnKana));
}

void TfrmRen::btnINWClick(HWND button) {
  int tag = button == btnIgnore ? 0 : button == btnNarrow ? 1 : 2;
  for (RadioGroup* g : {&rgWord, &rgNum, &rgKakko, &rgSpace, &rgSymbol}) SetRadioIndex(*g, tag);
}

void TfrmRen::cmbNewValueEnter() {
  if (!win::GetText(cmbNewValue).empty()) return;
  win::SetText(cmbNewValue, win::GetText(cmbOldValue));
  PreviewCountdown = 5;
}

void TfrmRen::UpdateCount() { win::SetText(lblCount, CountText(list_.size())); }

void TfrmRen::AutoSizeColumns() {
  // Sized to the widest text, at least 50 pixels; measuring only the longest few texts keeps
  // this cheap on 100,000 rows.
  HDC dc = GetDC(lstMain);
  HGDIOBJ old = SelectObject(dc, listFont_.get());
  for (int column : {0, 2}) {
    std::vector<std::size_t> longest;
    auto textOf = [&](std::size_t i) -> const std::string& {
      return column == 0 ? list_[i].fileName : list_[i].newName;
    };
    for (std::size_t i = 0; i < list_.size(); ++i) {
      longest.push_back(i);
      if (longest.size() > 8) {
        auto shortest = std::min_element(longest.begin(), longest.end(), [&](std::size_t a, std::size_t b) {
          return textOf(a).size() < textOf(b).size();
        });
        longest.erase(shortest);
      }
    }
    std::wstring caption = W(column == 0 ? "ファイル名" : "新しい名前");
    SIZE sz{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &sz);
    int width = sz.cx;
    for (std::size_t i : longest) {
      std::wstring w = sjis::Widen(textOf(i));
      GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
      width = std::max(width, static_cast<int>(sz.cx));
    }
    width = std::max(width + win::Scale(16, dpi_), win::Scale(50, dpi_));
    SendMessageW(lstMain, LVM_SETCOLUMNWIDTH, column, width);
  }
  SelectObject(dc, old);
  ReleaseDC(lstMain, dc);
}

void TfrmRen::SyncList() {
  syncing_ = true;
  SendMessageW(lstMain, LVM_SETITEMCOUNT, list_.size(), LVSICF_NOSCROLL);
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED;
  if (SendMessageW(lstMain, LVM_GETSELECTEDCOUNT, 0, 0) > 0)
    SendMessageW(lstMain, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  std::size_t selected = list_.SelectedCount();
  if (selected == list_.size() && selected > 0) {
    LVITEMW all{};
    all.stateMask = all.state = LVIS_SELECTED;
    SendMessageW(lstMain, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
  } else if (selected > 0) {
    LVITEMW one{};
    one.stateMask = one.state = LVIS_SELECTED;
    for (std::size_t i = 0; i < list_.size(); ++i) {
      if (list_[i].selected) SendMessageW(lstMain, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&one));
    }
  }
  syncing_ = false;
  AutoSizeColumns();
  InvalidateRect(lstMain, nullptr, FALSE);
}

void TfrmRen::ShowPage(int index) {
  int previous = activePage_;
  activePage_ = index;
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
  if (previous == 6 && index != 6) tabOptionHide();
  if (index == 6 && previous != 6) tabOptionShow();
}

void TfrmRen::tabOptionShow() {
  ShowWindow(lstMain, SW_HIDE);
  ShowWindow(pnlConfig, SW_SHOW);
  EnableWindow(btnRename, FALSE);
  EnableWindow(btnClear, FALSE);
}

void TfrmRen::tabOptionHide() {
  ShowWindow(pnlConfig, SW_HIDE);
  ShowWindow(lstMain, SW_SHOW);
  EnableWindow(btnRename, TRUE);
  EnableWindow(btnClear, TRUE);
}

void TfrmRen::SelectPage(int index) {
  SendMessageW(PageControl, TCM_SETCURSEL, index, 0);
  ShowPage(index);
  PageControlChange();
}

void TfrmRen::FocusPageInput() {
  switch (RenameMode()) {
    case 0: SetFocus(cmbBasName); break;
    case 1: SetFocus(cmbOldValue); break;
    case 2: SetFocus(cmbAddValue); break;
    case 3: SetFocus(cmbDateFormat); break;
    default: break;
  }
}

void TfrmRen::PageControlChange() {
  FocusPageInput();
  PreviewCountdown = 5;
}

// ---------------------------------------------------------------------------------------------
// Intake

void TfrmRen::FormShow() {
  if (shown_) return;
  shown_ = true;
  if (options_.args.empty()) return;
  AddFiles(options_.args);
  if (list_.empty()) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TfrmRen::AddFiles(const std::vector<std::string>& paths) {
  IntakeOptions options;
  options.dropDir = win::IsChecked(chkDropDir);
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  ::AddFiles(list_, paths, options);
  SyncList();
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lstMain, nullptr, TRUE);
  UpdateCount();
  if (!list_.empty()) {
    FillFromFirstEntry(cmbBasName);
    FillFromFirstEntry(cmbOldValue);
    FillFromFirstEntry(cmbAddValue);
  }
  if (win::ComboSelection(cmbDateFormat) < 0 && SendMessageW(cmbDateFormat, CB_GETCOUNT, 0, 0) > 0) {
    win::SetComboSelection(cmbDateFormat, 0);
  }
  PageControlChange();
}

void TfrmRen::FillFromFirstEntry(HWND box) {
  if (list_.empty() || !win::GetText(box).empty()) return;
  win::SetText(box, list_[0].BaseName());
}

// ---------------------------------------------------------------------------------------------
// The rename run and the histories

void TfrmRen::btnRenameClick() {
  if (PreviewCountdown > 0) {
    UpdatePreview();
    PreviewCountdown = 0;
  }
  RenameRows(list_, win::IsChecked(chkClearItems));
  SyncList();
  UpdateCount();
  switch (RenameMode()) {
    case 0:
      PushHistory(cmbBasName);
      break;
    case 1:
      PushHistory(cmbNewValue);
      PushHistory(cmbOldValue);
      break;
    case 2:
      PushHistory(cmbAddValue);
      break;
    case 3: {
      int p = win::ComboSelection(cmbDateFormat);
      if (p > 0 && static_cast<std::size_t>(p) < DateFormats.size()) {
        std::rotate(DateFormats.begin(), DateFormats.begin() + p, DateFormats.begin() + p + 1);
        RefreshDateFormats();
      }
      if (SendMessageW(cmbDateFormat, CB_GETCOUNT, 0, 0) > 0) win::SetComboSelection(cmbDateFormat, 0);
      break;
    }
    default:
      break;
  }
}

void TfrmRen::PushHistory(HWND box) {
  std::vector<std::string> entries = win::ComboItems(box);
  if (::PushHistory(entries, win::GetText(box), History.pos)) {
    std::string text = win::GetText(box);
    win::SetComboItems(box, entries);
    // Rebuilding the entries may touch the edit part; the box keeps what it showed.
    if (win::GetText(box) != text) win::SetText(box, text);
  }
  SetFocus(box);
}

void TfrmRen::TrimHistory(HWND box) {
  std::vector<std::string> entries = win::ComboItems(box);
  std::size_t before = entries.size();
  ::TrimHistory(entries, History.pos);
  if (entries.size() != before) {
    std::string text = win::GetText(box);
    win::SetComboItems(box, entries);
    if (win::GetText(box) != text) win::SetText(box, text);
  }
}

void TfrmRen::undHistoryClick() {
  for (HWND box : {cmbBasName, cmbOldValue, cmbNewValue, cmbAddValue}) TrimHistory(box);
}

void TfrmRen::btnClearHistoryClick() {
  for (HWND box : {cmbBasName, cmbOldValue, cmbNewValue, cmbAddValue}) {
    std::string text = win::GetText(box);
    win::SetComboItems(box, {});
    if (win::GetText(box) != text) win::SetText(box, text);
  }
  SendMessageW(cmbDateFormat, CB_RESETCONTENT, 0, 0);
}

void TfrmRen::RefreshDateFormats() {
  SendMessageW(cmbDateFormat, CB_RESETCONTENT, 0, 0);
  for (const auto& preset : DateFormats) win::AddComboItem(cmbDateFormat, RenderDatePatternNow(preset));
  win::SetComboSelection(cmbDateFormat, -1);
}

// ---------------------------------------------------------------------------------------------
// List commands

void TfrmRen::pupMainPopup() {
  EnableMenuItem(pupMain, IDM_ANALYZE, MF_BYCOMMAND | (RenameMode() == 0 ? MF_ENABLED : MF_GRAYED));
  // The extension command comes with later work; it stays visible but unavailable.
  EnableMenuItem(pupMain, IDM_CHANGEEXT, MF_BYCOMMAND | MF_GRAYED);
}

void TfrmRen::ShowListMenu(int x, int y) {
  pupMainPopup();
  if (x == -1 && y == -1) {
    RECT r;
    GetWindowRect(lstMain, &r);
    x = r.left + 8;
    y = r.top + 8;
  }
  TrackPopupMenu(pupMain, TPM_RIGHTBUTTON, x, y, 0, hwnd(), nullptr);
}

void TfrmRen::mnuAnalyzeClick() {
  std::size_t i = list_.FirstSelected();
  if (i == RenameList::npos) return;
  NameAnalysis a = AnalyzeName(list_[i].BaseName());
  SetNumberText(Start, a.startText);
  SetNumberPosition(Column, AnalysisColumn(a));
  win::SetText(cmbBasName, a.baseText);
  if (win::IsChecked(chkDivider) != a.divider) {
    win::SetCheck(chkDivider, a.divider);
    ChangeItem();  // the check box's click
  }
  PreviewCountdown = 5;
}

void TfrmRen::mnuSelectAllClick() {
  list_.SelectAll();
  syncing_ = true;
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  LVITEMW all{};
  all.stateMask = all.state = LVIS_SELECTED;
  SendMessageW(lstMain, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  syncing_ = false;
  InvalidateRect(lstMain, nullptr, FALSE);
}

void TfrmRen::mnuDeleteClick() {
  list_.RemoveSelected();
  SyncList();
  UpdateCount();
}

void TfrmRen::btnClearClick() {
  list_.Clear();
  SyncList();
  UpdateCount();
}

void TfrmRen::SendToInput(const std::string& text) {
  HWND target = nullptr;
  switch (RenameMode()) {
    case 0: target = cmbBasName; break;
    case 1: target = cmbNewValue; break;
    case 2: target = cmbAddValue; break;
    case 3: target = cmbDateAdd; break;
    default: return;
  }
  win::SetText(target, text);
  SetFocus(target);
  PreviewCountdown = 5;
}

void TfrmRen::mnuCopyClick() {
  std::size_t i = list_.FirstSelected();
  if (i != RenameList::npos) SendToInput(std::string(list_[i].BaseName()));
}

void TfrmRen::mnuFolderClick() {
  std::size_t i = list_.FirstSelected();
  if (i == RenameList::npos) i = 0;
  if (i >= list_.size()) return;
  std::string folder = list_[i].folder;
  // A drive root ("C:\") keeps its delimiter and so has no name of its own.
  std::string_view trimmed = folder;
  if (sjis::FileName(trimmed).empty() && trimmed.size() > 1 && trimmed.back() == '\\' &&
      trimmed[trimmed.size() - 2] != ':') {
    trimmed.remove_suffix(1);
  }
  SendToInput(std::string(sjis::FileName(trimmed)));
}

// ---------------------------------------------------------------------------------------------
// Closing

void TfrmRen::btnCloseClick() { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

void TfrmRen::FormClose() {
  // The settings file is written here once it exists.
  DestroyWindow(hwnd());
}
