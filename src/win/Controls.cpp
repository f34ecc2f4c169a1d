#include "win/Controls.h"

#include <commctrl.h>

#include <algorithm>

#include "text/utf16.h"

namespace win {

namespace {

std::wstring WindowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return w;
}

}  // namespace

std::wstring GetText(HWND h) { return WindowText(h); }

void SetText(HWND h, std::wstring_view text) { SetWindowTextW(h, std::wstring(text).c_str()); }

bool IsChecked(HWND h) { return SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetCheck(HWND h, bool on) { SendMessageW(h, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void PressExclusive(HWND pressed, HWND partner) {
  SetCheck(pressed, true);
  SetCheck(partner, false);
}

bool ClickExclusive(HWND from, int code, HWND left, HWND right) {
  if (code != BN_CLICKED || (from != left && from != right)) return false;
  PressExclusive(from, from == left ? right : left);
  return true;
}

std::vector<std::wstring> ComboItems(HWND combo) {
  std::vector<std::wstring> items;
  int n = ComboCount(combo);
  for (int i = 0; i < n; ++i) {
    int len = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    std::wstring w(static_cast<std::size_t>(len > 0 ? len : 0) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(w.data()));
    w.resize(static_cast<std::size_t>(len > 0 ? len : 0));
    items.push_back(std::move(w));
  }
  return items;
}

void AddComboItem(HWND combo, std::wstring_view text) {
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
}

void SetComboItems(HWND combo, const std::vector<std::wstring>& items) {
  std::wstring text = GetText(combo);
  // CB_RESETCONTENT would also clear the edit text, which belongs to the user.
  while (ComboCount(combo) > 0) SendMessageW(combo, CB_DELETESTRING, 0, 0);
  for (const auto& s : items) AddComboItem(combo, s);
  if (GetText(combo) != text) SetText(combo, text);
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }
void SetComboSelection(HWND combo, int index) { SendMessageW(combo, CB_SETCURSEL, index, 0); }
int ComboCount(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); }

void AddTab(HWND tabControl, std::wstring_view caption) {
  std::wstring text(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  int index = static_cast<int>(SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0));
  SendMessageW(tabControl, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void AddListColumn(HWND listView, int index, std::wstring_view caption, int width) {
  std::wstring text(caption);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = text.data();
  col.cx = width;
  col.iSubItem = index;
  SendMessageW(listView, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
}

int TextWidth(HDC dc, std::wstring_view text) {
  SIZE sz{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &sz);
  return sz.cx;
}

void CopyToBuffer(std::wstring_view text, wchar_t* buffer, int cch) {
  if (!buffer || cch <= 0) return;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(cch - 1));
  // A cut never leaves half of a surrogate pair at the end.
  if (n < text.size() && !utf16::AtCharStart(text, n)) --n;
  text.copy(buffer, n);
  buffer[n] = L'\0';
}

bool StartsWithIgnoreCase(std::wstring_view text, const wchar_t* prefix) {
  int len = static_cast<int>(wcslen(prefix));
  return static_cast<int>(text.size()) >= len &&
         CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.data(), len, prefix, len) == CSTR_EQUAL;
}

unique_hfont MakeFont(int height96, std::wstring_view face, UINT dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -Scale(height96, dpi);
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  CopyToBuffer(face, lf.lfFaceName, LF_FACESIZE);
  return unique_hfont(CreateFontIndirectW(&lf));
}

std::vector<std::wstring> DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT len = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring w(len + 1, L'\0');
    // Asked for its whole length first, so a long path comes whole, never cut to another.
    const UINT got = DragQueryFileW(drop, i, w.data(), len + 1);
    if (got == len && len > 0) {
      w.resize(got);
      paths.push_back(std::move(w));
    }
  }
  DragFinish(drop);
  return paths;
}

std::vector<std::wstring> CommandLineArguments() {
  std::vector<std::wstring> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

bool SetClipboardText(HWND owner, std::wstring_view text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!memory) return false;
  if (auto* p = static_cast<wchar_t*>(GlobalLock(memory))) {
    text.copy(p, text.size());
    p[text.size()] = L'\0';
    GlobalUnlock(memory);
  }
  bool set = false;
  if (OpenClipboard(owner)) {
    // Once the clipboard holds the memory it is the clipboard's to free.
    set = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
  }
  if (!set) GlobalFree(memory);
  return set;
}

int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) {
  return MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(caption).c_str(), type);
}

RECT RestoredRect(HWND h) {
  RECT r{};
  if (!IsIconic(h) && !IsZoomed(h)) {
    GetWindowRect(h, &r);
    return r;
  }
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  GetWindowPlacement(h, &wp);
  r = wp.rcNormalPosition;
  // The placement is in work-area coordinates; a taskbar at the top or left shifts them.
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) {
    OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
  }
  return r;
}

void MoveOntoMonitor(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) return;
  const RECT& work = mi.rcWork;
  int w = r.right - r.left, h2 = r.bottom - r.top;
  int x = std::max<int>(work.left, std::min<int>(r.left, work.right - w));
  int y = std::max<int>(work.top, std::min<int>(r.top, work.bottom - h2));
  SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Scale(int v, UINT dpi) { return MulDiv(v, static_cast<int>(dpi), 96); }

UINT DpiOf(HWND h) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (fn && h) {
    UINT dpi = fn(h);
    if (dpi) return dpi;
  }
  UINT dpi = static_cast<UINT>(GetDeviceCaps(WindowDC(nullptr).get(), LOGPIXELSY));
  return dpi ? dpi : 96;
}

void Layout::Add(HWND h, Rect96 r, unsigned anchors) { items_.push_back({h, r, anchors}); }

void Layout::Apply(HWND parent, UINT dpi) const {
  RECT client;
  GetClientRect(parent, &client);
  int dw = client.right - Scale(designW_, dpi);
  int dh = client.bottom - Scale(designH_, dpi);
  HDWP defer = BeginDeferWindowPos(static_cast<int>(items_.size()));
  for (const auto& it : items_) {
    int x = Scale(it.r.x, dpi), y = Scale(it.r.y, dpi);
    int w = Scale(it.r.w, dpi), h = Scale(it.r.h, dpi);
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

bool PopupMenu::Create() {
  menu_.reset(CreatePopupMenu());
  return static_cast<bool>(menu_);
}

void PopupMenu::Append(int id, std::wstring_view text) {
  AppendMenuW(menu_.get(), MF_STRING, static_cast<UINT_PTR>(id), std::wstring(text).c_str());
}

void PopupMenu::AppendSeparator() { AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr); }

void PopupMenu::Enable(int id, bool enabled) {
  EnableMenuItem(menu_.get(), static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

int PopupMenu::Track(HWND owner, int x, int y) const {
  return static_cast<int>(
      TrackPopupMenu(menu_.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, nullptr));
}

}  // namespace win
