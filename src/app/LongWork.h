// Long work on the window's thread (an intake, a rename run, the change-extension run): a wait
// cursor, the progress in a label, the window repainted and kept answering while input to it
// is held back, so no second operation starts; Esc cancels work that allows it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class LongWork {
 public:
  // label: where the progress shows; cancellable: whether Esc asks the work to stop.
  LongWork(HWND window, HWND label, bool cancellable);
  ~LongWork();
  LongWork(const LongWork&) = delete;
  LongWork& operator=(const LongWork&) = delete;

  // The work's progress report (the work calls it every few dozen milliseconds); false when
  // the user asked it to stop.
  bool Report(std::size_t done, std::size_t total);
  // A wait's word in the label instead of a count; false when the user asked to stop.
  bool Say(const std::wstring& text);
  bool cancelled() const { return cancelled_; }
  // Whether some long work is running on this thread now.
  static bool Running();

 private:
  void Pump();

  HWND window_, label_;
  bool cancellable_;
  bool cancelled_ = false;
  HCURSOR oldCursor_ = nullptr;
};

// "12,345 / 100,000"
std::wstring ProgressText(std::size_t done, std::size_t total);
