// A main window created in-process on the virtual display, driven by real messages and by
// calling its handlers; the preview timer is advanced by calling the tick handler.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialogs/untDialog.h"
#include "app/untRen.h"
#include "support/TempDir.h"
#include "text/sjis.h"
#include "win/Controls.h"

class WindowTest : public testing::Test {
 protected:
  void Open(std::vector<std::string> args = {}, bool startDefaults = true) {
    TfrmRen::Options options;
    options.args = std::move(args);
    options.quitOnClose = false;
    options.applySettings = startDefaults;
    options.runTimer = false;
    options.journalFile = journalFile;
    form = std::make_unique<TfrmRen>(options);
    NoModalUi(*form);
    ASSERT_TRUE(form->Create());
    form->Show(SW_SHOWNOACTIVATE);
    Pump();
  }
  // The journal file the next Open uses; none (memory only) when empty.
  std::wstring journalFile;
  // A test that meets a message box, a modal dialog or the input dialog without answering it
  // itself fails at once instead of waiting forever for a user.
  static void NoModalUi(TfrmRen& f) {
    f.messageBox = [](const std::wstring&, UINT) {
      ADD_FAILURE() << "unexpected message box";
      return IDNO;
    };
    f.runModal = [](TfrmDialog&) { ADD_FAILURE() << "unexpected modal dialog"; };
    f.inputQuery = [](std::string_view, std::string_view, std::string&) {
      ADD_FAILURE() << "unexpected input dialog";
      return false;
    };
  }
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
  // Sends a key through the window's pre-translation first, as the message loop does.
  void Key(HWND target, UINT message, WPARAM key) {
    MSG msg{target, message, key, 0, 0, {}};
    if (!form->PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Pump();
  }
  void Type(HWND control, const std::string& text) { win::SetText(control, text); }
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
  std::vector<std::string> FileNames() {
    std::vector<std::string> names;
    for (const auto& r : form->list()) names.push_back(r.fileName);
    return names;
  }
  // Rows of files that exist (in a folder of the test's own): the run would leave a missing one.
  void AddRows(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      files.Touch(name);
      form->list().Add(name, files.path());
    }
  }
  std::vector<std::string> NewNames() {
    std::vector<std::string> names;
    for (const auto& r : form->list()) names.push_back(r.newName);
    return names;
  }

  TempDir files;
  std::unique_ptr<TfrmRen> form;
};
