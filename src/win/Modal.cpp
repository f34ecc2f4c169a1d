#include "win/Modal.h"

namespace win {

void CentreOverOwner(HWND h) {
  HWND owner = GetWindow(h, GW_OWNER);
  RECT o{}, r{};
  if (owner) GetWindowRect(owner, &o); else SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0);
  GetWindowRect(h, &r);
  int w = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(h, nullptr, o.left + (o.right - o.left - w) / 2, o.top + (o.bottom - o.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RunModal(HWND h, const std::function<bool()>& done, const std::function<bool(MSG&)>& preTranslate) {
  HWND owner = GetWindow(h, GW_OWNER);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(h, SW_SHOW);
  MSG msg{};
  bool quit = false;
  while (!done()) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  ShowWindow(h, SW_HIDE);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
}

}  // namespace win
