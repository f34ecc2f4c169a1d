// A window class whose static procedure stores `this` at WM_NCCREATE and forwards every
// message to the virtual HandleMessage. No exception leaves a window procedure.
#pragma once

#include <windows.h>

#include <string_view>

namespace win {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers `className` once per process and creates the window with `this` attached.
  bool CreateWin(const wchar_t* className, DWORD exStyle, DWORD style, std::wstring_view title, int x, int y,
                 int w, int h, HWND parent, HMENU menu, HICON icon = nullptr);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // A handler failed (what: the exception's text, or null): the window carries on, and says so
  // where it can. Never called again while it runs.
  virtual void HandlerFailed(const char* what) { (void)what; }
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

}  // namespace win
