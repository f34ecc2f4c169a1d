// A plain container (tab page, options panel). Its children's notifications go either to a
// target window, or, with no target, to the panel's own On* handlers, so a page object
// handles the commands of the controls it owns.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/Window.h"

namespace win {

// Sizes a drop-down combo box's list to its entries as it opens: an empty one opens one row
// high. Panels call it for their combo boxes.
void FitDropDown(HWND combo);

class Panel : public Window {
 public:
  bool Create(HWND parent, HWND target, bool visible);

 protected:
  virtual void OnCommand(int id, int code, HWND from);
  virtual LRESULT OnNotify(NMHDR* nm);
  // A context-menu request from a child; false passes it on to the parent window.
  virtual bool OnContextMenu(HWND from, int x, int y);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HWND target_ = nullptr;
};

}  // namespace win
