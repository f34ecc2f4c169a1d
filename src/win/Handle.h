// One move-only owner per kind of Win32 handle: the kernel's (os/Handle.h) and the window
// system's.
#pragma once

#include <windows.h>

#include "os/Handle.h"

namespace win {

using os::UniqueHandle;
using os::unique_file;
using os::unique_find;
using os::unique_handle;
using os::unique_hkey;

struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MenuDeleter {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct IconDeleter {
  void operator()(HICON h) const { DestroyIcon(h); }
};

using unique_hfont = UniqueHandle<HFONT, GdiObjectDeleter>;
using unique_hmenu = UniqueHandle<HMENU, MenuDeleter>;
using unique_hicon = UniqueHandle<HICON, IconDeleter>;

// A GDI object selected into a device context for the owner's life; the object it replaced
// goes back in at the end, as a context must be left as it was found.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window's device context (the screen's for no window) for the owner's life, with a font
// selected into it when one is given; the font is taken out again before the context goes.
class WindowDC {
 public:
  explicit WindowDC(HWND window, HFONT font = nullptr) : window_(window), dc_(GetDC(window)) {
    if (dc_ && font) old_ = SelectObject(dc_, font);
  }
  ~WindowDC() {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace win
