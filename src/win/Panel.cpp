#include "win/Panel.h"

namespace win {

bool Panel::Create(HWND parent, HWND target, bool visible) {
  target_ = target;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return CreateWin(L"KinohaPanel", WS_EX_CONTROLPARENT, style, L"", 0, 0, 0, 0, parent, nullptr);
}

void Panel::OnCommand(int, int, HWND) {}

void FitDropDown(HWND combo) {
  // The list's height comes from the control's own height; an empty list opens one row high
  // rather than as a large empty box, and gets its height back once it has entries.
  static const wchar_t kFull[] = L"KinohaDropHeight";
  RECT dropped{}, field{};
  SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  GetWindowRect(combo, &field);
  auto full = reinterpret_cast<INT_PTR>(GetPropW(combo, kFull));
  if (full == 0) {
    full = dropped.bottom - dropped.top;
    SetPropW(combo, kFull, reinterpret_cast<HANDLE>(full));
  }
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  const int item = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  const int height = count > 0 ? static_cast<int>(full) : (field.bottom - field.top) + item + 4;
  if (height != dropped.bottom - dropped.top) {
    SetWindowPos(combo, nullptr, 0, 0, field.right - field.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT Panel::OnNotify(NMHDR*) { return 0; }

bool Panel::OnContextMenu(HWND, int, int) { return false; }

LRESULT Panel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == CBN_DROPDOWN) FitDropDown(reinterpret_cast<HWND>(lp));
      if (target_) return SendMessageW(target_, msg, wp, lp);
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      if (target_) return SendMessageW(target_, msg, wp, lp);
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CONTEXTMENU:
      if (target_) return SendMessageW(target_, msg, wp, lp);
      if (OnContextMenu(reinterpret_cast<HWND>(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))))
        return 0;
      break;
    default:
      break;
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace win
