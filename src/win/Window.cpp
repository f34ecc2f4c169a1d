#include "win/Window.h"

#include <exception>
#include <string>


namespace win {

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Window::CreateWin(const wchar_t* className, DWORD exStyle, DWORD style, std::wstring_view title, int x,
                       int y, int w, int h, HWND parent, HMENU menu, HICON icon) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    RegisterClassExW(&wc);
  }
  return CreateWindowExW(exStyle, className, std::wstring(title).c_str(), style, x, y, w, h, parent, menu, instance,
                         this) != nullptr;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  // A failure inside one handler must not take the program down with it, nor pass unsaid.
  const char* failed = nullptr;
  try {
    result = self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    failed = e.what();
    result = DefWindowProcW(hwnd, msg, wp, lp);
  } catch (...) {
    failed = "";
    result = DefWindowProcW(hwnd, msg, wp, lp);
  }
  static bool telling = false;
  if (failed && !telling && self->hwnd_) {
    telling = true;
    try {
      self->HandlerFailed(*failed ? failed : nullptr);
    } catch (...) {
    }
    telling = false;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace win
