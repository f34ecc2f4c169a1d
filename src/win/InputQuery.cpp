#include "win/InputQuery.h"

#include <commctrl.h>

#include "text/sjis.h"
#include "win/ControlSet.h"
#include "win/Window.h"

namespace win {

namespace {

constexpr int kClientW = 300, kClientH = 110;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

class QueryWindow : public Window {
 public:
  bool Open(HWND owner, std::string_view caption, std::string_view prompt, std::string_view value) {
    UINT dpi = DpiOf(owner);
    RECT r{0, 0, Scale(kClientW, dpi), Scale(kClientH, dpi)};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT o{};
    if (owner) GetWindowRect(owner, &o); else SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0);
    if (!CreateWin(L"KinohaInputQuery", kExStyle, kStyle, caption, o.left + (o.right - o.left - w) / 2,
                   o.top + (o.bottom - o.top - h) / 2, w, h, owner, nullptr))
      return false;
    if (!set_.Create(hwnd(), kClientW, kClientH, dpi)) return false;
    set_.Add({hwnd(), WC_STATICW, prompt, SS_LEFT | SS_NOPREFIX, 0, {10, 10, 280, 16}});
    edit_ = set_.Add({hwnd(), WC_EDITW, value, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {10, 32, 280, 21},
                      kTopLeft, 100});
    set_.Add({hwnd(), WC_BUTTONW, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {130, 72, 75, 25}, kTopLeft, IDOK});
    set_.Add({hwnd(), WC_BUTTONW, "キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 0, {215, 72, 75, 25}, kTopLeft,
              IDCANCEL});
    if (set_.failed()) return false;
    font_ = MakeFont(12, "ＭＳ Ｐゴシック", dpi);
    set_.SetFont(font_.get());
    set_.Relayout(hwnd());
    return true;
  }

  // Runs until OK or Cancel; true for OK.
  bool Run(HWND owner, std::string& value) {
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(hwnd(), SW_SHOW);
    SetFocus(edit_);
    MSG msg{};
    bool quit = false;
    while (result_ == 0) {
      if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        quit = true;
        break;
      }
      if (IsDialogMessageW(hwnd(), &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (result_ == IDOK) {
      int n = GetWindowTextLengthW(edit_);
      std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
      w.resize(static_cast<std::size_t>(GetWindowTextW(edit_, w.data(), n + 1)));
      if (!sjis::FromWide(w, value)) value.clear();
    }
    if (owner) {
      EnableWindow(owner, TRUE);
      SetActiveWindow(owner);
    }
    ShowWindow(hwnd(), SW_HIDE);
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return result_ == IDOK;
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
      result_ = LOWORD(wp);
      return 0;
    }
    if (msg == WM_CLOSE) {
      result_ = IDCANCEL;
      return 0;
    }
    return Window::HandleMessage(msg, wp, lp);
  }

 private:
  ControlSet set_;
  HWND edit_ = nullptr;
  unique_hfont font_;
  int result_ = 0;
};

}  // namespace

bool InputQuery(HWND owner, std::string_view caption, std::string_view prompt, std::string& value) {
  QueryWindow query;
  return query.Open(owner, caption, prompt, value) && query.Run(owner, value);
}

}  // namespace win
