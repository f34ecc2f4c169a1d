// A main window created in-process on the virtual display, driven by real messages and by
// calling its handlers; the preview timer is advanced by calling the tick handler.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialogs/untDialog.h"
#include "app/untRen.h"
#include "support/TempDir.h"
#include "text/utf16.h"
#include "win/Controls.h"

// Answers the window's message boxes, input dialog and modal dialogs as the test says. One the
// test doesn't answer fails it at once instead of waiting forever for a user.
struct TestPrompts : Prompts {
  std::function<int(const std::wstring& text, UINT type)> message;
  std::function<bool(std::wstring_view caption, std::wstring_view prompt, std::wstring& value)> input;
  std::function<void(TfrmDialog&)> modal;
  int Message(HWND, const std::wstring& text, UINT type) override {
    if (message) return message(text, type);
    ADD_FAILURE() << "unexpected message box";
    return IDNO;
  }
  bool Input(HWND, std::wstring_view caption, std::wstring_view prompt, std::wstring& value) override {
    if (input) return input(caption, prompt, value);
    ADD_FAILURE() << "unexpected input dialog";
    return false;
  }
  void RunModal(TfrmDialog& dialog) override {
    if (modal) return modal(dialog);
    ADD_FAILURE() << "unexpected modal dialog";
  }
};

class WindowTest : public testing::Test {
 protected:
  void Open(std::vector<std::wstring> args = {}, bool startDefaults = true) {
    TfrmRen::Options options;
    options.args = std::move(args);
    options.quitOnClose = false;
    options.applySettings = startDefaults;
    options.runTimer = false;
    options.journalFile = journalFile;
    options.prompts = &prompts;
    form = std::make_unique<TfrmRen>(options);
    ASSERT_TRUE(form->Create());
    form->Show(SW_SHOWNOACTIVATE);
    Pump();
  }
  // The journal file the next Open uses; none (memory only) when empty.
  std::wstring journalFile;
  void TearDown() override {
    form.reset();
    Pump();
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Runs n ticks of the preview timer.
  void Tick(int n) {
    for (int i = 0; i < n; ++i) form->Timer1Timer();
  }
  // The ticks until a preview writes the new names anew, over a mark left in the first row's;
  // 0 when none comes within twice the countdown.
  int TicksToPreview() {
    const std::wstring mark = L"\x01";
    form->list()[0].newName = mark;
    for (int i = 1; i <= 2 * TfrmRen::kPreviewTicks; ++i) {
      form->Timer1Timer();
      if (form->list()[0].newName != mark) return i;
    }
    return 0;
  }
  // Sends a key through the window's pre-translation first, as the message loop does.
  void Key(HWND target, UINT message, WPARAM key) {
    MSG msg{target, message, key, 0, 0, {}};
    if (!form->PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Pump();
  }
  void Type(HWND control, const std::wstring& text) { win::SetText(control, text); }
  // The Ctrl key as GetKeyState sees it on this thread.
  static void HoldCtrl(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
  }
  // Drops the paths on the window (or another) through a DROPFILES block, as the shell does.
  void Drop(const std::vector<std::wstring>& paths, HWND target = nullptr) {
    std::size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(df) + sizeof(DROPFILES));
    for (const auto& p : paths) {
      std::copy(p.begin(), p.end(), out);
      out += p.size() + 1;
    }
    GlobalUnlock(mem);
    SendMessageW(target ? target : form->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
  }
  std::vector<std::wstring> FileNames() {
    std::vector<std::wstring> names;
    for (const auto& r : form->list()) names.push_back(r.fileName);
    return names;
  }
  // Rows of files that exist (in a folder of the test's own): the run would leave a missing one.
  void AddRows(const std::vector<std::wstring>& names) {
    for (const std::wstring& name : names) {
      files.Touch(name);
      form->list().Add(name, files.path());
    }
  }
  std::vector<std::wstring> NewNames() {
    std::vector<std::wstring> names;
    for (const auto& r : form->list()) names.push_back(r.newName);
    return names;
  }

  TempDir files;
  TestPrompts prompts;
  std::unique_ptr<TfrmRen> form;
};
