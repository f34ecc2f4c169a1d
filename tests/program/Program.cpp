#include "program/Program.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "data/TestData.h"
#include "text/utf16.h"

namespace {

// The built program lies one folder above the test programs.
std::wstring BuiltFolder() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  std::wstring path(buf, n);
  path.resize(path.find_last_of(L"\\/"));
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// In quotes, with the backslashes before the closing quote doubled so it stays a quote.
std::wstring Quoted(const std::wstring& arg) {
  std::wstring out = L"\"" + arg;
  for (std::size_t i = arg.size(); i > 0 && arg[i - 1] == L'\\'; --i) out += L'\\';
  return out + L"\"";
}

// Memory in the other process, for the common controls' messages that carry pointers and
// that the system does not carry across processes for us.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, std::size_t size) : process_(process) {
    at_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  char* at() const { return static_cast<char*>(at_); }
  bool Write(std::size_t offset, const void* data, std::size_t size) const {
    return WriteProcessMemory(process_, at() + offset, data, size, nullptr) != 0;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) const {
    return ReadProcessMemory(process_, at() + offset, data, size, nullptr) != 0;
  }

 private:
  HANDLE process_;
  void* at_ = nullptr;
};

std::wstring WindowText(HWND h) {
  wchar_t buf[4096];
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXT, std::size(buf), reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000,
                           &n)) {
    return L"<no answer>";
  }
  return std::wstring(buf, static_cast<std::size_t>(n));
}

std::wstring ClassOf(HWND h) {
  wchar_t cls[64];
  int n = GetClassNameW(h, cls, static_cast<int>(std::size(cls)));
  return std::wstring(cls, static_cast<std::size_t>(n > 0 ? n : 0));
}

BOOL CALLBACK Collect(HWND h, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&out));
  return out;
}

// Shown on the screen: itself and every parent visible.
bool Shown(HWND h) { return IsWindowVisible(h) != 0; }

}  // namespace

Program::Program(const TempDir& home) {
  const std::wstring built = BuiltFolder();
  exe_ = home.path() + L"Kinoha.exe";
  if (GetFileAttributesW(exe_.c_str()) != INVALID_FILE_ATTRIBUTES) return;  // a second start on one home
  EXPECT_TRUE(CopyFileW((built + L"Kinoha.exe").c_str(), exe_.c_str(), TRUE)) << "no built program beside the tests: " << GetLastError();
  CopyFileW((built + L"Kinoha.html").c_str(), (home.path() + L"Kinoha.html").c_str(), TRUE);
}

Program::~Program() {
  if (!process_.hProcess) return;
  if (Running()) {
    ADD_FAILURE() << "the program was still running at the end of the test";
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

std::wstring Program::SettingsPath() const { return exe_.substr(0, exe_.size() - 4) + L".ini"; }

void Program::WriteSettings(const std::string& bytes) const {
  HANDLE f = CreateFileW(SettingsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

bool Program::Start(const std::vector<std::wstring>& args) {
  if (process_.hProcess) {
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
  }
  window_ = nullptr;
  std::wstring commandLine = Quoted(exe_);
  for (const std::wstring& a : args) commandLine += L" " + Quoted(a);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &process_)) {
    ADD_FAILURE() << "the program did not start: " << GetLastError();
    return false;
  }
  // The main window: the process's visible top-level window with the tab strip.
  bool up = false;
  const DWORD until = GetTickCount() + 20000;
  while (GetTickCount() < until) {
    for (HWND h : TopWindows()) {
      if (Shown(h) && Child(h, L"SysTabControl32", nullptr)) {
        window_ = h;
        up = true;
      }
    }
    if (up || !Running()) break;
    Sleep(10);
  }
  if (!up) return false;
  // Until it waits for its user, nothing sent to it is certain to be seen.
  WaitForInputIdle(process_.hProcess, 10000);
  return true;
}

bool Program::WaitForExit(DWORD ms) {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0;
}

bool Program::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> Program::TopWindows() const {
  std::vector<HWND> all, ours;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  for (HWND h : all) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == process_.dwProcessId) ours.push_back(h);
  }
  return ours;
}

HWND Program::Child(HWND parent, const wchar_t* cls, const wchar_t* caption) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (cls && ClassOf(h) != cls) continue;
    if (caption && WindowText(h) != caption) continue;
    return h;
  }
  return nullptr;
}

HWND Program::Button(const std::wstring& caption, bool push) const {
  std::vector<HWND> found;
  for (HWND h : Descendants(window_)) {
    if (ClassOf(h) != L"Button" || !Shown(h) || WindowText(h) != caption) continue;
    LONG type = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
    if (push && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) continue;
    found.push_back(h);
  }
  EXPECT_EQ(found.size(), 1u) << "buttons captioned " << caption;
  return found.empty() ? nullptr : found.front();
}

HWND Program::Radio(const std::wstring& group, const std::wstring& caption) const {
  for (HWND h : Descendants(window_)) {
    if (!Shown(h) || ClassOf(h) != L"Button" || (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX ||
        WindowText(h) != group) {
      continue;
    }
    // The group's buttons follow its box.
    for (HWND r = GetWindow(h, GW_HWNDNEXT); r; r = GetWindow(r, GW_HWNDNEXT)) {
      if ((GetWindowLongW(r, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) break;
      if (WindowText(r) == caption) return r;
    }
  }
  ADD_FAILURE() << "no radio button " << caption << " in " << group;
  return nullptr;
}

HWND Program::VisiblePage() const {
  // The page over the tab strip's display area.
  RECT tabs;
  GetWindowRect(Tabs(), &tabs);
  for (HWND h = GetWindow(window_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (ClassOf(h) != L"KinohaPanel" || !Shown(h)) continue;
    RECT r;
    GetWindowRect(h, &r);
    if (r.top >= tabs.top && r.bottom <= tabs.bottom) return h;
  }
  return nullptr;
}

HWND Program::InputAfter(const std::wstring& label) const {
  HWND page = VisiblePage();
  HWND l = page ? Child(page, L"Static", label.c_str()) : nullptr;
  // The next combo box or edit field: a toggle button may stand between.
  HWND input = l ? GetWindow(l, GW_HWNDNEXT) : nullptr;
  while (input && ClassOf(input) != L"ComboBox" && ClassOf(input) != L"Edit") input = GetWindow(input, GW_HWNDNEXT);
  if (!input) {
    ADD_FAILURE() << "no input after the label " << label;
    return nullptr;
  }
  if (ClassOf(input) == L"ComboBox") {
    HWND edit = FindWindowExW(input, nullptr, L"Edit", nullptr);
    return edit ? edit : input;
  }
  return input;
}

std::wstring Program::TabCaption(int index) const {
  constexpr std::size_t kChars = 64;
  RemoteBuffer remote(process_.hProcess, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<wchar_t*>(remote.at() + sizeof(TCITEMW));
  item.cchTextMax = kChars;
  remote.Write(0, &item, sizeof item);
  wchar_t text[kChars] = {};
  if (!SendMessageW(Tabs(), TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.at())) ||
      !remote.Read(sizeof(TCITEMW), text, sizeof text)) {
    return {};
  }
  text[kChars - 1] = 0;
  return text;
}

void Program::ClickTab(const std::wstring& caption) const {
  const int count = static_cast<int>(SendMessageW(Tabs(), TCM_GETITEMCOUNT, 0, 0));
  int index = 0;
  while (index < count && TabCaption(index) != caption) ++index;
  RemoteBuffer rect(process_.hProcess, sizeof(RECT));
  RECT r{};
  if (index == count ||
      !SendMessageW(Tabs(), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect.at())) ||
      !rect.Read(0, &r, sizeof r)) {
    ADD_FAILURE() << "no tab " << caption;
    return;
  }
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(Tabs(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(Tabs(), WM_LBUTTONUP, 0, at);
  Await(
      L"the tab " + caption, [&] { return ActiveTab() == index && VisiblePage(); },
      [&] { return L"tab " + std::to_wstring(ActiveTab()); });
}

void Program::Click(HWND button) const {
  // Posted, as a click is: a click that opens a modal dialog doesn't return until it closes.
  PostMessageW(button, BM_CLICK, 0, 0);
}

void Program::TypeInto(HWND edit, const std::wstring& text) const {
  SendMessageW(edit, EM_SETSEL, 0, -1);
  if (text.empty()) {
    PostMessageW(edit, WM_KEYDOWN, VK_DELETE, 0);
    PostMessageW(edit, WM_KEYUP, VK_DELETE, 0xC0000001);
  }
  // A surrogate pair comes as two WM_CHARs, as the keyboard gives it.
  for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
  Await(
      L"the typed text " + text, [&] { return Text(edit) == text; }, [&] { return Text(edit); });
}

void Program::PressKey(UINT vk) const {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(process_.dwThreadId, &gui);
  HWND target = gui.hwndFocus ? gui.hwndFocus : window_;
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, vk, 1 | scan << 16);
  PostMessageW(target, WM_KEYUP, vk, 1 | scan << 16 | 0xC0000000u);
}

void Program::Drop(const std::vector<std::wstring>& paths) const {
  std::wstring list;
  for (const std::wstring& p : paths) list += p + L'\0';
  list += L'\0';
  std::string block(sizeof(DROPFILES), '\0');
  auto* df = reinterpret_cast<DROPFILES*>(block.data());
  df->pFiles = sizeof(DROPFILES);
  df->fWide = TRUE;
  block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
  // A drop handle is the program's own memory: the shell makes it in the program's process.
  // Memory allocated fixed is its own handle, so a block written into the program's address
  // space is a handle there. The program ends before this would need freeing.
  void* at = VirtualAllocEx(process_.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!at || !WriteProcessMemory(process_.hProcess, at, block.data(), block.size(), nullptr)) {
    ADD_FAILURE() << "no memory for the drop in the program";
    return;
  }
  PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(at), 0);
}

std::wstring Program::Text(HWND control) const { return WindowText(control); }

std::vector<std::wstring> Program::ComboItems(HWND combo) const {
  if (ClassOf(combo) == L"Edit") combo = GetParent(combo);
  std::vector<std::wstring> items;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t buf[1024] = {};
    // The system carries this one's text across processes, as it does WM_GETTEXT's.
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(std::size(buf))) {
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    }
    items.push_back(buf);
  }
  return items;
}

int Program::ActiveTab() const { return static_cast<int>(SendMessageW(Tabs(), TCM_GETCURSEL, 0, 0)); }

std::vector<Program::Row> Program::Rows() const {
  HWND list = List();
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<Row> rows;
  constexpr std::size_t kChars = 1024;
  RemoteBuffer remote(process_.hProcess, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  auto cell = [&](int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote.at() + sizeof(LVITEMW));
    item.cchTextMax = kChars;
    remote.Write(0, &item, sizeof item);
    int n = static_cast<int>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.at())));
    std::wstring text(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    remote.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
    return text;
  };
  for (int i = 0; i < count; ++i) rows.push_back({cell(i, 0), cell(i, 2)});
  return rows;
}

std::wstring Program::RowsText() const {
  std::wstring out;
  for (const Row& r : Rows()) out += r.name + L">" + r.newName + L"\n";
  return out;
}

bool Program::Await(const std::wstring& what, const std::function<bool()>& done,
                    const std::function<std::wstring()>& seen, DWORD ms) const {
  const DWORD until = GetTickCount() + ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount() > until || !Running()) break;
    Sleep(5);
  }
  if (done()) return true;
  ADD_FAILURE() << "waited for " << what << (Running() ? "" : " (the program has ended)") << "; last seen:\n"
                << seen() << "\n" << Screen();
  return false;
}

std::wstring Program::Screen() const {
  std::wstring out = L"windows:";
  for (HWND h : TopWindows()) {
    if (Shown(h)) out += L" [" + ClassOf(h) + L" " + WindowText(h) + L"]";
  }
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(process_.dwThreadId, &gui) && gui.hwndFocus) {
    out += L"; focus: " + ClassOf(gui.hwndFocus) + L" " + WindowText(gui.hwndFocus);
  }
  return out;
}

bool Program::AwaitCount(const std::wstring& text) const {
  return Await(
      L"the count " + text, [&] { return Text(CountLabel()) == text; }, [&] { return Text(CountLabel()); });
}

bool Program::AwaitPreview(const std::vector<std::wstring>& newNames) const {
  return Await(
      L"the preview",
      [&] {
        std::vector<Row> rows = Rows();
        if (rows.size() != newNames.size()) return false;
        for (std::size_t i = 0; i < rows.size(); ++i) {
          if (rows[i].newName != newNames[i]) return false;
        }
        return true;
      },
      [&] { return RowsText(); });
}

HWND Program::AwaitDialog() const {
  HWND dialog = nullptr;
  Await(
      L"a dialog",
      [&] {
        for (HWND h : TopWindows()) {
          if (h != window_ && Shown(h) && GetWindow(h, GW_OWNER) == window_) dialog = h;
        }
        return dialog != nullptr;
      },
      [] { return std::wstring(L"none"); });
  if (dialog) WaitForInputIdle(process_.hProcess, 5000);
  return dialog;
}

std::wstring DataPath(const char* name) { return ContentText(testdata::Path(name)); }

std::wstring ContentText(const std::string& bytes) {
  std::wstring text;
  if (utf16::FromUtf8(bytes, text)) return text;
  for (char b : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(b));
  return text;
}

std::vector<std::wstring> FilesWithContents(const std::wstring& folder) {
  std::vector<std::wstring> out;
  for (const std::wstring& name : FolderListing(folder))
    out.push_back(name + L"=" + ContentText(FileContent(folder + name)));
  return out;
}

std::wstring AnswerMessageBox(const Program& program, int id) {
  HWND box = nullptr;
  auto find = [&] {
    std::vector<HWND> top;
    EnumThreadWindows(GetWindowThreadProcessId(program.window(), nullptr), Collect, reinterpret_cast<LPARAM>(&top));
    auto it = std::find_if(top.begin(), top.end(), [](HWND h) { return Shown(h) && ClassOf(h) == L"#32770"; });
    return (box = it == top.end() ? nullptr : *it) != nullptr;
  };
  if (!program.Await(L"a message box", find, [&] { return program.Screen(); })) return {};
  const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));  // the message box's text
  PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(id), 0);
  program.Await(
      L"the message box to close", [&] { return !IsWindow(box); }, [&] { return text; });
  return text;
}

void Program::ChooseFromMenu(int fromBottom) const {
  HWND list = List();
  RECT r;
  GetWindowRect(list, &r);
  PostMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(r.left + 20, r.top + 40));
  auto menuShown = [&] {
    for (HWND h : TopWindows()) {
      if (ClassOf(h) == L"#32768" && Shown(h)) return true;
    }
    return false;
  };
  Await(L"the list's menu", menuShown, [&] { return Screen(); });
  std::vector<UINT> keys(static_cast<std::size_t>(fromBottom), VK_UP);
  keys.push_back(VK_RETURN);
  for (UINT vk : keys) {
    PostMessageW(window_, WM_KEYDOWN, vk, 1);
    PostMessageW(window_, WM_KEYUP, vk, 0xC0000001);
  }
  Await(
      L"the menu to go", [&] { return !menuShown(); }, [&] { return Screen(); });
}
