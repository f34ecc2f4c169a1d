#include "win/InputQuery.h"

#include <commctrl.h>

#include "win/ControlSet.h"
#include "win/Modal.h"
#include "win/Window.h"

namespace win {

namespace {

constexpr int kClientW = 300, kClientH = 110;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

class QueryWindow : public Window {
 public:
  bool Open(HWND owner, std::wstring_view caption, std::wstring_view prompt, std::wstring_view value) {
    UINT dpi = DpiOf(owner);
    RECT r{0, 0, Scale(kClientW, dpi), Scale(kClientH, dpi)};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    if (!CreateWin(L"KinohaInputQuery", kExStyle, kStyle, caption, 0, 0, r.right - r.left, r.bottom - r.top, owner,
                   nullptr))
      return false;
    CentreOverOwner(hwnd());
    if (!set_.Create(hwnd(), kClientW, kClientH, dpi)) return false;
    set_.Add({hwnd(), WC_STATICW, prompt, SS_LEFT | SS_NOPREFIX, 0, {10, 10, 280, 16}});
    edit_ = set_.Add({hwnd(), WC_EDITW, value, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {10, 32, 280, 21},
                      kTopLeft, 100});
    set_.Add({hwnd(), WC_BUTTONW, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {130, 72, 75, 25}, kTopLeft, IDOK});
    set_.Add({hwnd(), WC_BUTTONW, L"キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 0, {215, 72, 75, 25}, kTopLeft,
              IDCANCEL});
    if (set_.failed()) return false;
    font_ = MakeFont(12, L"ＭＳ Ｐゴシック", dpi);
    set_.SetFont(font_.get());
    set_.Relayout(hwnd());
    return true;
  }

  // Runs until OK or Cancel; true for OK.
  bool Run(std::wstring& value) {
    ShowWindow(hwnd(), SW_SHOW);
    SetFocus(edit_);
    RunModal(hwnd(), [this] { return result_ != 0; }, [this](MSG& msg) { return IsDialogMessageW(hwnd(), &msg) != FALSE; });
    if (result_ != IDOK) return false;
    value = GetText(edit_);
    return true;
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

bool InputQuery(HWND owner, std::wstring_view caption, std::wstring_view prompt, std::wstring& value) {
  QueryWindow query;
  return query.Open(owner, caption, prompt, value) && query.Run(value);
}

}  // namespace win
