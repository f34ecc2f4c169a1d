#include "win/Panel.h"

namespace win {

bool Panel::Create(HWND parent, HWND target, bool visible) {
  target_ = target;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return CreateWin(L"KinohaPanel", WS_EX_CONTROLPARENT, style, "", 0, 0, 0, 0, parent, nullptr);
}

void Panel::OnCommand(int, int, HWND) {}

LRESULT Panel::OnNotify(NMHDR*) { return 0; }

bool Panel::OnContextMenu(HWND, int, int) { return false; }

LRESULT Panel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
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
