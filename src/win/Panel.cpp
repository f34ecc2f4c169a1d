#include "win/Panel.h"

namespace win {

bool Panel::Create(HWND parent, HWND target, int x, int y, int w, int h, bool visible) {
  target_ = target;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return CreateWin(L"KinohaPanel", WS_EX_CONTROLPARENT, style, L"", x, y, w, h, parent, nullptr);
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CONTEXTMENU:
    case WM_VSCROLL:
      if (target_) return SendMessageW(target_, msg, wp, lp);
      break;
    default:
      break;
  }
  return Window::HandleMessage(msg, wp, lp);
}

}  // namespace win
