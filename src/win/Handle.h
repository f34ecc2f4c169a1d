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

}  // namespace win
