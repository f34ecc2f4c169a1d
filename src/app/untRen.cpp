#include "app/untRen.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/Application.h"
#include "app/Help.h"
#include "app/LongWork.h"
#include "app/dialogs/untFilter.h"
#include "app/resource.h"
#include "settings/SettingsFile.h"
#include "win/Controls.h"

using settings::ReadSettings;
using settings::Settings;

namespace {

// Client area of the 400 x 400 window at 96 DPI that the layout is drawn for.
constexpr int kDesignW = 384, kDesignH = 361;
constexpr UINT_PTR kTimerId = 1;
// The rectangle the list and the options panel share.
constexpr win::Rect96 kListRect{0, 125, kDesignW, 186};

enum ControlId : int { IDC_PAGECONTROL = 100, IDC_LSTMAIN, IDC_BTNRENAME, IDC_BTNCLEAR, IDC_BTNCLOSE, IDC_LBLCOUNT };

const wchar_t* const kPageCaptions[kPageCount] = {L"連番", L"置換", L"追加", L"日付", L"大小", L"全半", L"設定"};

}  // namespace

TfrmRen::TfrmRen(Options options)
    : options_(std::move(options)),
      prompts_(options_.prompts ? *options_.prompts : SystemPrompts()),
      session_(options_.journalFile) {}

TfrmRen::~TfrmRen() = default;

bool TfrmRen::Create() {
  dpi_ = win::DpiOf(nullptr);
  // A shared icon: the system owns it, so nothing here destroys it.
  auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KINOHA), IMAGE_ICON, 0,
                                            0, LR_DEFAULTSIZE | LR_SHARED));
  int size = win::Scale(kMinWindow, dpi_);
  return CreateWin(L"TfrmRen", WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                   app::kTitle, CW_USEDEFAULT, CW_USEDEFAULT, size, size, nullptr, nullptr, icon);
}

void TfrmRen::Show(int cmdShow) {
  // The command-line intake runs before the window appears, so a start whose paths list
  // nothing ends without ever showing an empty window.
  FormShow();
  if (closed_) return;
  // A window closed maximised comes back so, unless the start asks for another state.
  if (startMaximized_ && (cmdShow == SW_SHOWNORMAL || cmdShow == SW_SHOWDEFAULT || cmdShow == SW_SHOW)) {
    cmdShow = SW_SHOWMAXIMIZED;
  }
  ShowWindow(hwnd(), cmdShow);
  UpdateWindow(hwnd());
  FocusPageInput();
  // A run that a crash cut short left its record beside the journal: taken in now, for 元に戻す,
  // unless another window holds the journal (it takes it in itself); a damaged journal is set
  // aside and said, over the window.
  session_.AdoptJournal();
  TellJournalProblem();
}

// ---------------------------------------------------------------------------------------------
// Creation

bool TfrmRen::CreateControls() {
  HWND self = hwnd();
  if (!controls_.Create(self, kDesignW, kDesignH, dpi_)) return false;
  PageControl = controls_.Add({self,
                               WC_TABCONTROLW,
                               L"",
                               WS_TABSTOP | WS_CLIPSIBLINGS,
                               0,
                               {0, 0, kDesignW, 121},
                               win::kLeft | win::kTop | win::kRight,
                               IDC_PAGECONTROL});
  if (!listView_.Create(controls_, self, kListRect, win::kAll, IDC_LSTMAIN)) return false;
  lstMain = listView_.hwnd();
  listView_.ShowOrder();
  pupMain = listView_.menu();
  // As wide as the window: the count may say what the intake left out beside its marks.
  lblCount = controls_.Add({self,
                            WC_STATICW,
                            L"",
                            SS_RIGHT | SS_NOTIFY,
                            0,
                            {4, 313, 376, 14},
                            win::kLeft | win::kRight | win::kBottom,
                            IDC_LBLCOUNT});
  auto button = [&](const wchar_t* text, const wchar_t* hint, int x, int id, unsigned anchors) {
    return controls_.Add({self, WC_BUTTONW, text, WS_TABSTOP | BS_PUSHBUTTON, 0, {x, 331, 90, 25}, anchors, id, hint});
  };
  btnRename = button(L"リネーム", L"リネームの実行", 4, IDC_BTNRENAME, win::kLeft | win::kBottom);
  btnClear = button(L"リストクリア", L"リストのアイテムを全てクリアします", 196, IDC_BTNCLEAR,
                    win::kRight | win::kBottom);
  btnClose = button(L"終了", L"プログラムの終了", 290, IDC_BTNCLOSE, win::kRight | win::kBottom);

  PageHost& host = *this;
  auto add = [&](PageId id, auto page) {
    auto* raw = page.get();
    pages_[static_cast<std::size_t>(id)] = std::move(page);
    return raw;
  };
  tabNumber = add(PageId::Number, std::make_unique<NumberPage>(host));
  tabReplace = add(PageId::Replace, std::make_unique<ReplacePage>(host));
  tabAdd = add(PageId::Add, std::make_unique<AddPage>(host));
  tabDate = add(PageId::Date, std::make_unique<DatePage>(host));
  tabCase = add(PageId::Case, std::make_unique<CasePage>(host));
  tabWide = add(PageId::Width, std::make_unique<WidthPage>(host));
  tabOption = add(PageId::Option, std::make_unique<OptionPage>(host));
  for (int i = 0; i < kPageCount; ++i) {
    win::AddTab(PageControl, kPageCaptions[i]);
    if (!pages_[static_cast<std::size_t>(i)]->Build(self)) return false;
  }
  controls_.Place(tabOption->pnlConfig, self, kListRect, win::kAll);

  // The window's own first page is the date page; the settings choose another.
  SendMessageW(PageControl, TCM_SETCURSEL, static_cast<int>(PageId::Date), 0);
  ShowPage(static_cast<int>(PageId::Date));
  ApplyFonts();
  Relayout();
  return !controls_.failed();
}

void TfrmRen::ApplyFonts() {
  font_ = win::MakeFont(12, L"ＭＳ Ｐゴシック", dpi_);
  listFont_ = win::MakeFont(12, L"ＭＳ ゴシック", dpi_);
  controls_.SetFont(font_.get());
  listView_.SetFont(listFont_.get(), dpi_);
  // Columns as wide as their captions at least, also before any row is listed.
  listView_.AutoSizeColumns();
  for (auto& page : pages_) page->SetDpi(dpi_);
}

void TfrmRen::Relayout() {
  if (!PageControl) return;
  controls_.Relayout(hwnd());
  // The pages sit over the tab control's display area, the options panel over the list.
  RECT r;
  GetWindowRect(PageControl, &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  SendMessageW(PageControl, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  for (auto& page : pages_) {
    SetWindowPos(page->hwnd(), HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  }
  SetWindowPos(tabOption->pnlConfig, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  controls_.RelayoutAllBut(hwnd());
  listView_.FitFirstColumn();
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT TfrmRen::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      // FormCreate: controls with their own initial states, then the settings, then nothing
      // pending. A window that couldn't make all its controls doesn't come up.
      if (!CreateControls()) return -1;
      if (options_.applySettings) {
        ApplySettings(options_.settingsFile.empty() ? options_.settings : ReadSettings(options_.settingsFile));
        if (!options_.settingsFile.empty()) saved_ = CurrentSettings();
      }
      UpdateCount();
      if (options_.runTimer) SetTimer(hwnd(), kTimerId, 100, nullptr);
      previewCountdown_ = 0;
      return 0;
    case WM_SIZE:
      Relayout();
      // Moved controls and the list's header are painted anew at every size: under Wine a
      // control moved into a part that was outside the window stays blank until hovered.
      RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize.x = mm->ptMinTrackSize.y = win::Scale(kMinWindow, dpi_);
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      controls_.SetDpi(dpi_);
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
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (listView_.dragging()) {
        POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        MapWindowPoints(hwnd(), lstMain, &pt, 1);
        listView_.DragOver(pt);
        if (msg == WM_LBUTTONUP) EndRowDrag(true);
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      // Capture taken away (another window, a box): the drag ends where it began.
      if (listView_.dragging() && reinterpret_cast<HWND>(lp) != hwnd()) EndRowDrag(false);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == lstMain) {
        pupMainPopup();
        OnListCommand(listView_.TrackMenu(hwnd(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
        return 0;
      }
      break;
    case WM_HELP:
      OpenHelp(1);
      return TRUE;
    case WM_CLOSE:
      if (!LongWork::Running()) FormClose();  // never in the middle of a run
      return 0;
    case WM_SETCURSOR:
      if (LongWork::Running()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ENDSESSION:
      // Windows is ending: the settings are kept if they can be, with no box to answer.
      if (wp) SaveSettings(false);
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

void TfrmRen::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_BTNRENAME: btnRenameClick(); return;
    case IDC_BTNCLEAR: btnClearClick(); return;
    case IDC_BTNCLOSE: btnCloseClick(); return;
    default: return;
  }
}

void TfrmRen::OnListCommand(int command) {
  switch (command) {
    case RenameListView::kCopy: mnuCopyClick(); return;
    case RenameListView::kCopyNames: mnuCopyNamesClick(); return;
    case RenameListView::kAnalyze: mnuAnalyzeClick(); return;
    case RenameListView::kFolder: mnuFolderClick(); return;
    case RenameListView::kDelete: mnuDeleteClick(); return;
    case RenameListView::kSelectAll: mnuSelectAllClick(); return;
    case RenameListView::kChangeExt: mnuChangeExtClick(); return;
    case RenameListView::kCompose: mnuComposeClick(); return;
    case RenameListView::kUndo: mnuUndoClick(); return;
    case RenameListView::kRedo: mnuRedoClick(); return;
    case RenameListView::kMoveUp: MoveRows(-1); return;
    case RenameListView::kMoveDown: MoveRows(1); return;
    case RenameListView::kAscending: ChooseOrder(chosenKey_, false); return;
    case RenameListView::kDescending: ChooseOrder(chosenKey_, true); return;
    case RenameListView::kManual:
      list().SetOrder(rules::SortBy::Manual, false);
      listView_.ShowOrder();
      return;
    default:
      if (command >= RenameListView::kSortFirst && command < RenameListView::kSortFirst + rules::kSortKeys) {
        ChooseOrder(static_cast<rules::SortBy>(command - RenameListView::kSortFirst), chosenDescending_);
      }
      return;
  }
}

LRESULT TfrmRen::OnNotify(NMHDR* nm) {
  if (nm->hwndFrom == PageControl && nm->code == TCN_SELCHANGE) {
    ShowPage(static_cast<int>(SendMessageW(PageControl, TCM_GETCURSEL, 0, 0)));
    PageControlChange();
    return 0;
  }
  if (nm->hwndFrom != lstMain) return 0;
  if (nm->code == LVN_COLUMNCLICK && reinterpret_cast<NMLISTVIEW*>(nm)->iSubItem == 0) {
    // The name's header: by name, and again the other way.
    const bool byName = list().order() == rules::SortBy::Name;
    ChooseOrder(rules::SortBy::Name, byName && !list().descending());
    return 0;
  }
  if (nm->code == LVN_BEGINDRAG) {
    // Rows dragged within the list only: no file drop of our own starts.
    listView_.BeginDrag();
    if (listView_.dragging()) SetCapture(hwnd());
    return 0;
  }
  if (nm->code == LVN_KEYDOWN) {
    WORD key = reinterpret_cast<NMLVKEYDOWN*>(nm)->wVKey;
    if (key == VK_DELETE) {
      mnuDeleteClick();
      return 0;
    }
    if (key == 'C' && GetKeyState(VK_CONTROL) < 0) {
      mnuCopyNamesClick();
      return 0;
    }
    if ((key == 'Z' || key == 'Y') && GetKeyState(VK_CONTROL) < 0) {
      if (key == 'Z') mnuUndoClick();
      else mnuRedoClick();
      return 0;
    }
  }
  return listView_.OnNotify(nm);
}

void TfrmRen::OnDropFiles(HDROP drop) {
  HWND last = GetLastActivePopup(hwnd());
  if (last && IsWindowVisible(last) && IsWindowEnabled(last)) SetForegroundWindow(last);
  AddFiles(win::DroppedPaths(drop));
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool TfrmRen::PreTranslate(MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return false;
  // Enter and Esc belong to a drop-down's open list.
  auto comboDropped = [&]() {
    HWND f = GetFocus();
    HWND c = f && GetParent(f) && IsChild(hwnd(), f) ? GetParent(f) : f;
    wchar_t cls[32] = {};
    if (c) GetClassNameW(c, cls, 32);
    return lstrcmpiW(cls, WC_COMBOBOXW) == 0 && SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0);
  };
  // Ctrl+A, wherever the focus is: the key itself is taken, so an edit box never selects its
  // own text with it (and no character follows it); a character Ctrl+A is taken too.
  if ((msg.message == WM_KEYDOWN && msg.wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) ||
      (msg.message == WM_CHAR && msg.wParam == 1)) {
    mnuSelectAllClick();
    return true;
  }
  // Esc during a drag cancels the drag only.
  if (listView_.dragging() && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
    EndRowDrag(false);
    return true;
  }
  // Alt+Up and Alt+Down move the selected rows.
  if (msg.message == WM_SYSKEYDOWN && msg.hwnd == lstMain && (msg.wParam == VK_UP || msg.wParam == VK_DOWN)) {
    MoveRows(msg.wParam == VK_UP ? -1 : 1);
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
      case VK_TAB:
      case VK_PRIOR:
      case VK_NEXT:
        // Ctrl+Tab and Ctrl+PageDown go to the next page, with Shift or PageUp the one before.
        if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && IsWindowEnabled(PageControl)) {
          const bool back = msg.wParam == VK_PRIOR || (msg.wParam == VK_TAB && GetKeyState(VK_SHIFT) < 0);
          const int now = static_cast<int>(SendMessageW(PageControl, TCM_GETCURSEL, 0, 0));
          SelectPage(static_cast<PageId>(((now < 0 ? 0 : now) + (back ? kPageCount - 1 : 1)) % kPageCount));
          return true;
        }
        break;
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

void TfrmRen::OpenHelp(int context) {
  if (!app::OpenHelpContext(hwnd(), context)) Message(app::HelpFailedText(), MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------------------------------------
// The pages and what they ask of the frame

PageId TfrmRen::RenameMode() const {
  return activePage_ < 0 ? PageId::Option : static_cast<PageId>(activePage_);
}

Page& TfrmRen::ActivePage() const { return *pages_[static_cast<std::size_t>(RenameMode())]; }

void TfrmRen::ShowPage(int index) {
  int previous = activePage_;
  activePage_ = index;
  for (int i = 0; i < kPageCount; ++i) {
    Page& page = *pages_[static_cast<std::size_t>(i)];
    ShowWindow(page.hwnd(), i == index ? SW_SHOW : SW_HIDE);
    if ((i == index) != (i == previous)) page.Showing(i == index);
  }
  // The settings page lies over the list and takes Rename and Clear out of use.
  constexpr int option = static_cast<int>(PageId::Option);
  if ((previous == option) != (index == option)) {
    bool settings = index == option;
    ShowWindow(lstMain, settings ? SW_HIDE : SW_SHOW);
    EnableWindow(btnRename, !settings);
    EnableWindow(btnClear, !settings);
  }
}

void TfrmRen::SelectPage(PageId page) {
  SendMessageW(PageControl, TCM_SETCURSEL, static_cast<int>(page), 0);
  ShowPage(static_cast<int>(page));
  PageControlChange();
}

void TfrmRen::FocusPageInput() {
  if (HWND input = ActivePage().MainInput()) SetFocus(input);
}

void TfrmRen::PageControlChange() {
  FocusPageInput();
  RestartPreview();
}

int TfrmRen::HistoryLength() const { return tabOption->HistoryLength(); }
bool TfrmRen::TrimResults() const { return tabOption->Trim(); }

void TfrmRen::TrimHistories() {
  for (auto& page : pages_) page->TrimHistory(HistoryLength());
}

void TfrmRen::ClearHistories() {
  for (auto& page : pages_) page->ClearHistory();
}

void TfrmRen::KeyOptionsChanged() {
  defaultButton = tabOption->EnterToExec() ? btnRename : nullptr;
  SendMessageW(btnRename, BM_SETSTYLE, defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  cancelButton = tabOption->EscToExit() ? btnClose : nullptr;
}

void TfrmRen::btnFilterClick() {
  // The dialog goes when this ends, also when it could not be shown.
  TfrmFilter filter(filterNames_, filterExts_);
  if (filter.Create(hwnd())) RunModal(filter);
}

// ---------------------------------------------------------------------------------------------
// Closing

void TfrmRen::btnCloseClick() { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

void TfrmRen::FormClose() {
  if (SaveSettings(true)) DestroyWindow(hwnd());
}
