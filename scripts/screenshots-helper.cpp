// Drives the running Kinoha.exe for scripts/screenshots, one step per call, from outside, as
// its user would: clicks on tabs, buttons and rows, a right click on the list with its menu
// walked by keys. Each step waits until its result shows and prints the rectangle to take
// ("x y w h", screen pixels) for the picture.
//   wait | tab CAPTION | type LABEL TEXT | button CAPTION | preset | select ROW... | menu | ext
//   | close | quit
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

DWORD pid = 0;
HWND frame = nullptr;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "screenshots-helper: %s\n", what);
  std::exit(1);
}

std::wstring ClassOf(HWND h) {
  wchar_t buf[64];
  int n = GetClassNameW(h, buf, 64);
  return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring TextOf(HWND h) {
  wchar_t buf[512];
  // Across processes WM_GETTEXT is marshalled; GetWindowTextW wouldn't read a control's text.
  LRESULT n = SendMessageW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf));
  return std::wstring(buf, static_cast<std::size_t>(n));
}

BOOL CALLBACK Collect(HWND h, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> all, ours;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  for (HWND h : all) {
    DWORD p = 0;
    GetWindowThreadProcessId(h, &p);
    if (p == pid && IsWindowVisible(h)) ours.push_back(h);
  }
  return ours;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&out));
  return out;
}

// Waits (10 s at most) until `found` gives a window.
template <class F>
HWND Await(const char* what, F found) {
  for (DWORD until = GetTickCount() + 10000; GetTickCount() < until; Sleep(20)) {
    if (HWND h = found()) return h;
  }
  Fail(what);
}

// The program's main window: the visible top-level window with the tab strip.
void FindFrame(bool wait) {
  auto find = []() -> HWND {
    std::vector<HWND> all;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all) {
      if (IsWindowVisible(h) && FindWindowExW(h, nullptr, L"SysTabControl32", nullptr)) return h;
    }
    return nullptr;
  };
  frame = wait ? Await("no main window", find) : find();
  if (!frame) Fail("no main window");
  GetWindowThreadProcessId(frame, &pid);
}

HWND Child(const wchar_t* cls) { return FindWindowExW(frame, nullptr, cls, nullptr); }

// Memory in the program's process for the list's and the tab strip's rectangle messages.
RECT RemoteRect(HWND to, UINT message, WPARAM wp, LONG left) {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) Fail("can't open the program's process");
  void* at = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  RECT r{left, 0, 0, 0};
  SIZE_T n = 0;
  WriteProcessMemory(process, at, &r, sizeof r, &n);
  // A list being filled again after a dialog closed may not answer at once.
  Await("no item rectangle", [&]() -> HWND {
    return SendMessageW(to, message, wp, reinterpret_cast<LPARAM>(at)) ? to : nullptr;
  });
  ReadProcessMemory(process, at, &r, sizeof r, &n);
  VirtualFreeEx(process, at, 0, MEM_RELEASE);
  CloseHandle(process);
  return r;
}

void PostClick(HWND to, const RECT& r, UINT down, UINT up, WPARAM keys = 0) {
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(to, down, keys | (down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON), at);
  PostMessageW(to, up, keys, at);
}

// The input after the label of this caption on the page shown: a combo box's edit field or an
// edit field (a toggle button may stand between).
HWND InputAfter(const std::wstring& label) {
  bool afterLabel = false;
  for (HWND h : Descendants(frame)) {
    if (!IsWindowVisible(h)) continue;
    const std::wstring cls = ClassOf(h);
    if (cls == L"Static" && TextOf(h) == label) {
      afterLabel = true;
    } else if (afterLabel && cls == L"ComboBox") {
      HWND edit = FindWindowExW(h, nullptr, L"Edit", nullptr);
      return edit ? edit : h;
    } else if (afterLabel && cls == L"Edit") {
      return h;
    }
  }
  Fail("no input after the label");
}

// A modal window of the program over the main window: a dialog or a message box.
HWND Dialog() {
  for (HWND h : TopWindows()) {
    if (h != frame && ClassOf(h) != L"#32768" && ClassOf(h) != L"tooltips_class32") return h;
  }
  return nullptr;
}

HWND Menu() {
  for (HWND h : TopWindows()) {
    if (ClassOf(h) == L"#32768") return h;
  }
  return nullptr;
}

// Lets the window finish painting (and the preview, half a second after a change) first.
void Print(RECT r, DWORD settle) {
  Sleep(settle);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

RECT RectOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) Fail("no step");
  const std::wstring step = argv[1];
  FindFrame(step == L"wait");
  HWND tabs = Child(L"SysTabControl32");
  HWND list = Child(L"SysListView32");
  if (step == L"wait") {
    // The intake is done once the count label counts the items.
    Await("no items counted", [&]() -> HWND {
      for (HWND h : Descendants(frame)) {
        if (ClassOf(h) == L"Static" && TextOf(h).find(L"個の項目") != std::wstring::npos) return h;
      }
      return nullptr;
    });
    // Under Wine a window that listed its files before it was first shown comes up as the
    // foreground window with its title bar drawn as inactive; drawn again as what it is.
    if (GetForegroundWindow() == frame) PostMessageW(frame, WM_NCACTIVATE, TRUE, 0);
    Print(RectOf(frame), 1500);
  } else if (step == L"tab" && argc > 2) {
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    int index = 0;
    for (; index < count; ++index) {
      wchar_t text[64] = {};
      HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
      // TCITEMW with its text buffer in the program's memory.
      struct Remote {
        TCITEMW item;
        wchar_t text[64];
      };
      auto* at = static_cast<Remote*>(VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
      Remote local{};
      local.item.mask = TCIF_TEXT;
      local.item.pszText = at->text;
      local.item.cchTextMax = 64;
      SIZE_T n = 0;
      WriteProcessMemory(process, at, &local, sizeof local, &n);
      SendMessageW(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(at));
      ReadProcessMemory(process, at->text, text, sizeof text, &n);
      VirtualFreeEx(process, at, 0, MEM_RELEASE);
      CloseHandle(process);
      if (argv[2] == std::wstring(text)) break;
    }
    if (index == count) Fail("no such tab");
    PostClick(tabs, RemoteRect(tabs, TCM_GETITEMRECT, index, 0), WM_LBUTTONDOWN, WM_LBUTTONUP);
    Await("the tab didn't change", [&]() -> HWND {
      return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index ? tabs : nullptr;
    });
    Print(RectOf(frame), 1500);
  } else if (step == L"type" && argc > 3) {
    // Typed over the whole text, character by character.
    HWND edit = InputAfter(argv[2]);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t* c = argv[3]; *c; ++c) PostMessageW(edit, WM_CHAR, *c, 1);
    Await("the text wasn't typed", [&]() -> HWND { return TextOf(edit) == argv[3] ? edit : nullptr; });
    Print(RectOf(frame), 1500);
  } else if (step == L"button" && argc > 2) {
    HWND button = nullptr;
    for (HWND h : Descendants(frame)) {
      if (ClassOf(h) == L"Button" && IsWindowVisible(h) && TextOf(h) == argv[2]) button = h;
    }
    if (!button) Fail("no such button");
    // Posted, as a click is: the dialog it opens doesn't return until it closes.
    PostMessageW(button, BM_CLICK, 0, 0);
    Print(RectOf(Await("no dialog", Dialog)), 800);
  } else if (step == L"preset") {
    // The right click on the date page's preset box: the box is the drop-down after the
    // label 日付フォーマット.
    HWND combo = nullptr;
    bool afterLabel = false;
    for (HWND h : Descendants(frame)) {
      if (!IsWindowVisible(h)) continue;
      if (ClassOf(h) == L"Static" && TextOf(h) == L"日付フォーマット") afterLabel = true;
      else if (afterLabel && ClassOf(h) == L"ComboBox") {
        combo = h;
        break;
      }
    }
    if (!combo) Fail("no preset box");
    RECT r = RectOf(combo);
    PostMessageW(combo, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(combo), MAKELPARAM(r.left + 20, r.top + 8));
    Print(RectOf(Await("no preset editor", Dialog)), 800);
  } else if (step == L"select") {
    // A click on the first row given, Ctrl+clicks on the others.
    for (int i = 2; i < argc; ++i) {
      RECT r = RemoteRect(list, LVM_GETITEMRECT, _wtoi(argv[i]), LVIR_LABEL);
      PostClick(list, r, WM_LBUTTONDOWN, WM_LBUTTONUP, i == 2 ? 0 : MK_CONTROL);
    }
    Print(RectOf(frame), 800);
  } else if (step == L"menu") {
    // A right click on the selected row, then the menu walked down to 拡張子変更.
    int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT r = RemoteRect(list, LVM_GETITEMRECT, std::max(row, 0), LVIR_LABEL);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    PostMessageW(frame, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(p.x, p.y));
    HWND menu = Await("no menu", Menu);
    // ファイル名コピー, ファイル名解析, フォルダ名, 削除, すべて選択, 拡張子変更: separators are skipped.
    for (int i = 0; i < 6; ++i) {
      PostMessageW(frame, WM_KEYDOWN, VK_DOWN, 1);
      PostMessageW(frame, WM_KEYUP, VK_DOWN, 0xC0000001);
    }
    RECT a = RectOf(frame), b = RectOf(menu);
    RECT both{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
    Print(both, 800);
  } else if (step == L"ext") {
    HWND menu = Menu();
    if (!menu) Fail("no menu");
    PostMessageW(frame, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(frame, WM_KEYUP, VK_RETURN, 0xC0000001);
    Print(RectOf(Await("no input dialog", Dialog)), 800);
  } else if (step == L"close") {
    HWND dialog = Dialog();
    if (!dialog) Fail("no dialog");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    Await("the dialog stays", []() -> HWND { return Dialog() ? nullptr : frame; });
  } else if (step == L"quit") {
    PostMessageW(frame, WM_CLOSE, 0, 0);
  } else {
    Fail("unknown step");
  }
  return 0;
}
