// A plain container (tab page, options panel) that hands its children's notifications to
// the window that handles them, so every control reports to the main window.
#pragma once

#include "win/Window.h"

namespace win {

class Panel : public Window {
 public:
  bool Create(HWND parent, HWND target, int x, int y, int w, int h, bool visible);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HWND target_ = nullptr;
};

}  // namespace win
