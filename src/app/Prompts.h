// What the main window asks of the user beside itself: message boxes, the one-line input
// dialog and modal dialogs. Tests answer through one of their own.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class TfrmDialog;

struct Prompts {
  virtual ~Prompts() = default;
  // A message box over owner with the program's title; the button pressed.
  virtual int Message(HWND owner, const std::wstring& text, UINT type) = 0;
  // The one-line input dialog; false when cancelled. value is the answer, and what it starts with.
  virtual bool Input(HWND owner, std::wstring_view caption, std::wstring_view prompt, std::wstring& value) = 0;
  // Runs a created dialog modally.
  virtual void RunModal(TfrmDialog& dialog) = 0;
};

// The real ones.
Prompts& SystemPrompts();
