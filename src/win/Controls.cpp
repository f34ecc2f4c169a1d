#include "win/Controls.h"

#include <commctrl.h>

#include "text/sjis.h"

namespace win {

std::string GetText(HWND h) {
  int n = GetWindowTextLengthW(h);
  if (n <= 0) return std::string();
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return sjis::Narrow(w);
}

void SetText(HWND h, std::string_view text) { SetWindowTextW(h, sjis::Widen(text).c_str()); }

bool IsChecked(HWND h) { return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetCheck(HWND h, bool on) { SendMessageW(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    int len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    std::wstring w(static_cast<std::size_t>(len > 0 ? len : 0) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(w.data()));
    w.resize(static_cast<std::size_t>(len > 0 ? len : 0));
    items.push_back(sjis::Narrow(w));
  }
  return items;
}

void AddComboItem(HWND combo, std::string_view text) {
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sjis::Widen(text).c_str()));
}

void SetComboItems(HWND combo, const std::vector<std::string>& items) {
  // CB_RESETCONTENT would also clear the edit text, which belongs to the user.
  while (SendMessageW(combo, CB_GETCOUNT, 0, 0) > 0) SendMessageW(combo, CB_DELETESTRING, 0, 0);
  for (const auto& s : items) AddComboItem(combo, s);
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }
void SetComboSelection(HWND combo, int index) { SendMessageW(combo, CB_SETCURSEL, index, 0); }

int Scale(int v, UINT dpi) { return MulDiv(v, static_cast<int>(dpi), 96); }

UINT DpiOf(HWND h) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (fn && h) {
    UINT dpi = fn(h);
    if (dpi) return dpi;
  }
  HDC dc = GetDC(nullptr);
  UINT dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSY));
  ReleaseDC(nullptr, dc);
  return dpi ? dpi : 96;
}

void Layout::Add(HWND h, int x, int y, int w, int h96, unsigned anchors) {
  items_.push_back({h, RECT{x, y, x + w, y + h96}, anchors});
}

void Layout::Apply(HWND parent, UINT dpi) const {
  RECT client;
  GetClientRect(parent, &client);
  int dw = client.right - Scale(designW_, dpi);
  int dh = client.bottom - Scale(designH_, dpi);
  HDWP defer = BeginDeferWindowPos(static_cast<int>(items_.size()));
  for (const auto& it : items_) {
    int x = Scale(it.r.left, dpi), y = Scale(it.r.top, dpi);
    int w = Scale(it.r.right - it.r.left, dpi), h = Scale(it.r.bottom - it.r.top, dpi);
    if (it.anchors & kRight) {
      if (it.anchors & kLeft) w += dw; else x += dw;
    }
    if (it.anchors & kBottom) {
      if (it.anchors & kTop) h += dh; else y += dh;
    }
    if (defer) defer = DeferWindowPos(defer, it.h, nullptr, x, y, w > 0 ? w : 0, h > 0 ? h : 0,
                                      SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (defer) EndDeferWindowPos(defer);
}

}  // namespace win
