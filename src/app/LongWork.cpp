#include "app/LongWork.h"

#include <shellapi.h>

#include "win/Controls.h"

namespace {

int running = 0;

std::wstring Grouped(std::size_t n) {
  std::wstring digits = std::to_wstring(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += L',';
    out += digits[i];
  }
  return out;
}

bool IsInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_DROPFILES;
}

}  // namespace

std::wstring ProgressText(std::size_t done, std::size_t total) { return Grouped(done) + L" / " + Grouped(total); }

LongWork::LongWork(HWND window, HWND label, bool cancellable)
    : window_(window), label_(label), cancellable_(cancellable) {
  ++running;
  oldCursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

LongWork::~LongWork() {
  --running;
  SetCursor(oldCursor_);
}

bool LongWork::Running() { return running > 0; }

bool LongWork::Report(std::size_t done, std::size_t total) {
  win::SetText(label_, ProgressText(done, total));
  UpdateWindow(label_);
  Pump();
  return !cancelled_;
}

bool LongWork::Say(const std::wstring& text) {
  win::SetText(label_, text);
  UpdateWindow(label_);
  Pump();
  return !cancelled_;
}

void LongWork::Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The loop that owns it must still see it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      cancelled_ = cancellable_;
      return;
    }
    bool ours = msg.hwnd == window_ || IsChild(window_, msg.hwnd);
    if (ours && IsInput(msg.message)) {
      if (cancellable_ && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) cancelled_ = true;
      if (msg.message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(msg.wParam));
      continue;  // no second operation while this one runs
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}
