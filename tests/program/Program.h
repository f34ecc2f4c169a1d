// The built Kinoha.exe as its user meets it: a copy of it in a folder of its own, beside a
// settings file the test prepares, started as a process of its own with paths on its command
// line, and driven only through what a user has: clicks and key strokes sent to its
// controls, texts read from them, files dropped on its window. Waits are on what can be
// seen (a window, a label's text), each with a bound, and a wait that runs out fails with
// what was last seen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TempDir.h"

class Program {
 public:
  // Copies the built program and its help file into `home`.
  explicit Program(const TempDir& home);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The settings file beside the copy; its bytes are FileContent(SettingsPath()).
  std::wstring SettingsPath() const;
  void WriteSettings(const std::string& bytes) const;

  // Starts the copy with these paths on its command line; true once its main window
  // is visible. False (with the process ended or not) when no window came up in time.
  bool Start(const std::vector<std::wstring>& args = {});
  // Waits for the process to end by itself; true when it did within the bound.
  bool WaitForExit(DWORD ms = 15000);
  bool Running() const;

  HWND window() const { return window_; }
  HWND List() const { return Child(window_, L"SysListView32", nullptr); }
  HWND Tabs() const { return Child(window_, L"SysTabControl32", nullptr); }
  HWND CountLabel() const { return Child(window_, L"Static", nullptr); }
  // A control of the main window (buttons) or of the page shown, by its caption; a push
  // button only, when `push` is set (the width page has radio buttons of the same captions).
  HWND Button(const std::wstring& caption, bool push = false) const;
  // The radio button of this caption in the group box of that caption, on the page shown.
  HWND Radio(const std::wstring& group, const std::wstring& caption) const;
  // The first input of the page shown after the label with this caption (a combo box's
  // edit field, a number box's edit field).
  HWND InputAfter(const std::wstring& label) const;

  // A click on the tab of this caption, as the mouse gives it; returns once its page shows.
  void ClickTab(const std::wstring& caption) const;
  std::wstring TabCaption(int index) const;
  // A click on a button, check box or radio button.
  void Click(HWND button) const;
  // Selects everything in an edit field and types the text over it, character by character;
  // returns once the field shows it.
  void TypeInto(HWND edit, const std::wstring& text) const;
  // A key pressed and released in the control that has the focus.
  void PressKey(UINT vk) const;
  // Files dropped on the main window, as the shell drops them.
  void Drop(const std::vector<std::wstring>& paths) const;

  std::wstring Text(HWND control) const;
  // The entries of a combo box's list (given the box or its edit field).
  std::vector<std::wstring> ComboItems(HWND combo) const;
  int ActiveTab() const;
  struct Row {
    std::wstring name, newName;
  };
  std::vector<Row> Rows() const;
  // Rows as "name>newName" lines, for failure messages and comparisons.
  std::wstring RowsText() const;

  // Waits until `done` holds; on time-out fails the test with the description and what
  // `seen` shows then. True when it held.
  bool Await(const std::wstring& what, const std::function<bool()>& done, const std::function<std::wstring()>& seen,
             DWORD ms = 15000) const;
  // The process's windows on the screen and the focus, for failure messages.
  std::wstring Screen() const;
  // Waits for the count label to read `text`.
  bool AwaitCount(const std::wstring& text) const;
  // Waits for the rows' new names to be these (in list order).
  bool AwaitPreview(const std::vector<std::wstring>& newNames) const;

  // The modal dialog the window shows now (a top-level window of the process that isn't the
  // main window), once it is up.
  HWND AwaitDialog() const;
  HWND ChildOf(HWND parent, const std::wstring& caption) const { return Child(parent, nullptr, caption.c_str()); }
  // The list's context menu, opened as a right click opens it, and the item this many up from
  // its bottom chosen with the keys (1: 元に戻す, 6: 拡張子変更).
  void ChooseFromMenu(int fromBottom) const;
  void ChooseUndo() const { ChooseFromMenu(1); }

 private:
  static HWND Child(HWND parent, const wchar_t* cls, const wchar_t* caption);
  HWND VisiblePage() const;
  std::vector<HWND> TopWindows() const;

  std::wstring exe_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The path of a file of tests/data.
std::wstring DataPath(const char* name);
// A file's bytes as text: UTF-8 read as such, anything else (a photo) each byte as a unit.
std::wstring ContentText(const std::string& bytes);
// Names in the folder (not "." and ".."), sorted, each with its content: "name=content".
std::vector<std::wstring> FilesWithContents(const std::wstring& folder);

// Waits for a message box of the program, answers it with the button of this id (IDOK,
// IDYES…) and returns its text once it has closed; empty when none came.
std::wstring AnswerMessageBox(const Program& program, int id);
