#include "app/dialogs/untDialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app/Help.h"
#include "text/utf16.h"
#include "win/Controls.h"
#include "win/Modal.h"

namespace {

constexpr int kClientW = 312, kClientH = 253;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The outer size of a dialog whose client area is w × h at 96 DPI.
SIZE OuterSize(int w, int h, DWORD style, UINT dpi) {
  RECT r{0, 0, win::Scale(w, dpi), win::Scale(h, dpi)};
  AdjustWindowRectEx(&r, style, FALSE, kExStyle);
  return {r.right - r.left, r.bottom - r.top};
}

// Buttons and menu items share the command ids.
enum : int { IDC_EDTINPUT = 100, IDC_LSTITEMS, ID_OK = 200, ID_CANCEL, ID_HELP, ID_ADD, ID_EDIT, ID_DELETE,
             ID_SELECTALL };

}  // namespace

TfrmDialog::TfrmDialog(std::wstring_view caption, int helpContext, int openWidth)
    : caption_(caption), helpContext_(helpContext), openWidth_(openWidth) {}

TfrmDialog::~TfrmDialog() = default;

bool TfrmDialog::Create(HWND owner) {
  const DWORD style = openWidth_ > 0 ? kStyle | WS_THICKFRAME : kStyle;
  const SIZE size = OuterSize(std::max(openWidth_, kClientW), kClientH, style, win::DpiOf(owner));
  if (!CreateWin(L"TfrmDialog", kExStyle, style, caption_, 0, 0, size.cx, size.cy, owner, nullptr))
    return false;
  if (!CreateControls()) {
    DestroyWindow(hwnd());
    return false;
  }
  return true;
}

bool TfrmDialog::CreateControls() {
  HWND self = hwnd();
  win::ControlSet& set = controls_;
  if (!set.Create(self, kClientW, kClientH, win::DpiOf(self))) return false;
  // Anchored for a resizable dialog: the list takes what the window gains.
  constexpr unsigned kAcross = win::kLeft | win::kTop | win::kRight;
  lblResult = set.Add({self, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 0, {8, 8, 289, 16}, kAcross});
  edtInput = set.Add(
      {self, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {8, 32, 289, 21}, kAcross, IDC_EDTINPUT});
  lstItems = set.Add({self,
                      WC_LISTVIEWW,
                      L"",
                      WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                      WS_EX_CLIENTEDGE,
                      {8, 72, 209, 129},
                      win::kAll,
                      IDC_LSTITEMS});
  items = win::ListView(lstItems);
  auto button = [&](const wchar_t* caption, win::Rect96 r, unsigned anchors, int id) {
    return set.Add({self, WC_BUTTONW, caption, WS_TABSTOP | BS_PUSHBUTTON, 0, r, anchors, id});
  };
  constexpr unsigned kTopRight = win::kTop | win::kRight, kBottomLeft = win::kBottom | win::kLeft,
                     kBottomRight = win::kBottom | win::kRight;
  btnAdd = button(L"追加", {232, 72, 67, 25}, kTopRight, ID_ADD);
  btnEdit = button(L"変更", {232, 112, 67, 25}, kTopRight, ID_EDIT);
  btnDelete = button(L"削除", {232, 152, 67, 25}, kTopRight, ID_DELETE);
  btnOK = button(L"OK", {8, 216, 75, 25}, kBottomLeft, ID_OK);
  btnCancel = button(L"キャンセル", {136, 216, 75, 25}, kBottomRight, ID_CANCEL);
  btnHelp = button(L"ヘルプ(&H)", {224, 216, 75, 25}, kBottomRight, ID_HELP);
  SendMessageW(btnOK, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  if (set.failed() || !menu_.Create()) return false;
  ListView_SetExtendedListViewStyle(lstItems, LVS_EX_FULLROWSELECT);
  menu_.Append(ID_ADD, L"追加\tIns");
  menu_.Append(ID_EDIT, L"変更\tF2");
  menu_.Append(ID_DELETE, L"削除\tDel");
  menu_.Append(ID_SELECTALL, L"すべて選択\tCtrl+A");
  pupMenu = menu_.get();
  font_ = win::MakeFont(12, L"ＭＳ Ｐゴシック", set.dpi());
  set.SetFont(font_.get());
  set.Relayout(self);
  SetUpList();
  return true;
}

void TfrmDialog::Show() {
  win::CentreOverOwner(hwnd());
  FormShow();
  ShowWindow(hwnd(), SW_SHOW);
}

TfrmDialog::Result TfrmDialog::ShowModal() {
  Show();
  win::RunModal(hwnd(), [this] { return closed(); }, [this](MSG& msg) { return PreTranslate(msg); });
  return result_;
}

void TfrmDialog::Close(Result result) {
  result_ = result;
  if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

bool TfrmDialog::PreTranslate(MSG& msg) {
  if (!hwnd() || (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd))) return false;
  if (msg.message == WM_CHAR && msg.wParam == 1) {  // Ctrl+A
    actSelectAllExecute();
    return true;
  }
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == 'H') {  // Alt+H
    actHelpExecute();
    return true;
  }
  if (msg.message == WM_KEYDOWN) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (msg.wParam) {
      case VK_INSERT: RunCommand(ID_ADD); return true;
      case VK_F2: RunCommand(ID_EDIT); return true;
      case VK_DELETE: RunCommand(ID_DELETE); return true;
      case 'A':
        if (!ctrl) break;
        RunCommand(ID_SELECTALL);
        return true;
      case VK_F1: RunCommand(ID_HELP); return true;
      case VK_ESCAPE: RunCommand(ID_CANCEL); return true;
      case VK_RETURN: {
        // A focused button takes Enter itself; elsewhere Enter is OK.
        HWND focus = GetFocus();
        int id = focus && GetParent(focus) == hwnd() ? GetDlgCtrlID(focus) : 0;
        RunCommand(id >= ID_OK && id <= ID_DELETE ? id : ID_OK);
        return true;
      }
      default:
        break;
    }
  }
  return IsDialogMessageW(hwnd(), &msg) != FALSE;
}

void TfrmDialog::RunCommand(int id) {
  switch (id) {
    case ID_OK: actOKClickExecute(); return;
    case ID_CANCEL: actCancelClickExecute(); return;
    case ID_HELP: actHelpExecute(); return;
    case ID_ADD: actAddItemExecute(); return;
    case ID_EDIT: actEditItemExecute(); return;
    case ID_DELETE: actDeleteItemExecute(); return;
    case ID_SELECTALL: actSelectAllExecute(); return;
    default: return;
  }
}

void TfrmDialog::actAddItemExecute() {
  std::wstring text = win::GetText(edtInput);
  if (!text.empty()) AddUniqueItem(text);
}

void TfrmDialog::AddUniqueItem(std::wstring_view text) {
  std::wstring lower = utf16::AsciiLower(text);
  for (int i = 0; i < items.Count(); ++i) {
    if (items.Text(i) == lower) return;
  }
  items.Append(lower);
}

void TfrmDialog::actEditItemExecute() {
  int row = items.FirstSelected();
  if (row >= 0) items.SetText(row, 0, win::GetText(edtInput));
}

void TfrmDialog::actDeleteItemExecute() {
  // The rows that move up as others go report selection changes; they change no input.
  deleting_ = true;
  std::vector<int> rows = items.Selected();
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) items.Delete(*it);
  deleting_ = false;
  FitList();
}

void TfrmDialog::actSelectAllExecute() {
  for (int i = 0; i < items.Count(); ++i) items.Select(i, true);
}

void TfrmDialog::lstItemsSelectItem(int, bool selected) {
  if (!selected) return;
  int row = items.FirstSelected();
  if (row >= 0) win::SetText(edtInput, items.Text(row));
}

void TfrmDialog::OnDropFiles(HDROP drop) { DragFinish(drop); }

void TfrmDialog::actHelpExecute() { app::ShowHelpContext(hwnd(), helpContext_); }

void TfrmDialog::OnCommand(int id, int code) {
  if (id == IDC_EDTINPUT) {
    if (code == EN_CHANGE) edtInputChange();
    return;
  }
  if (code == BN_CLICKED) RunCommand(id);
}

LRESULT TfrmDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->hwndFrom == lstItems && nm->code == LVN_ITEMCHANGED) {
        auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
        if (!deleting_ && (lv->uChanged & LVIF_STATE) && ((lv->uNewState ^ lv->uOldState) & LVIS_SELECTED))
          lstItemsSelectItem(lv->iItem, (lv->uNewState & LVIS_SELECTED) != 0);
      }
      return 0;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == lstItems) {
        int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        if (x == -1 && y == -1) {
          RECT r;
          GetWindowRect(lstItems, &r);
          x = r.left + 8;
          y = r.top + 8;
        }
        RunCommand(menu_.Track(hwnd(), x, y));
        return 0;
      }
      break;
    case WM_SIZE:
      controls_.Relayout(hwnd());
      FitList();
      // Under Wine a control moved into a part that was outside the window stays blank until
      // it is painted anew.
      RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return 0;
    case WM_GETMINMAXINFO: {
      // Never smaller than it opens: every control keeps its place and size.
      const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
      const SIZE least = OuterSize(std::max(openWidth_, kClientW), kClientH, style, controls_.dpi());
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize = {least.cx, least.cy};
      return 0;
    }
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_HELP:
      actHelpExecute();
      return TRUE;
    case WM_CLOSE:
      // The close box discards, as Cancel does.
      actCancelClickExecute();
      return 0;
    default:
      break;
  }
  return Default(msg, wp, lp);
}
