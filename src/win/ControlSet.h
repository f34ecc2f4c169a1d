// One way to create every control of a window: a small arguments struct with the parent, the
// rectangle at 96 DPI, the anchors, the id and the hint. The set keeps each parent's layout,
// the tooltips and the list of controls that take the window's font, and remembers whether
// any creation failed, so the window can refuse to come up half-built.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "win/Controls.h"
#include "win/Tooltips.h"

namespace win {

struct ControlArgs {
  HWND parent = nullptr;
  const wchar_t* cls = nullptr;  // WC_BUTTONW, WC_COMBOBOXW, ...
  std::wstring_view text;
  DWORD style = 0;               // besides WS_CHILD | WS_VISIBLE
  DWORD exStyle = 0;
  Rect96 rect;
  unsigned anchors = kTopLeft;
  int id = 0;
  const wchar_t* hint = nullptr;  // tooltip text
};

class ControlSet {
 public:
  // owner: the top-level window; designW/H: its client size at 96 DPI that the
  // rectangles were drawn for.
  bool Create(HWND owner, int designW, int designH, UINT dpi);

  // Creates the control hidden-or-visible as its style says; null when creation failed.
  HWND Add(const ControlArgs& args);
  // Places a window made elsewhere (a panel) in its parent's layout.
  void Place(HWND h, HWND parent, Rect96 rect, unsigned anchors);
  void SetHint(HWND control, std::wstring_view hint) { tips_.SetHint(control, hint); }
  std::wstring HintOf(HWND control) const { return tips_.HintOf(control); }
  bool failed() const { return failed_; }

  UINT dpi() const { return dpi_; }
  void SetDpi(UINT dpi) { dpi_ = dpi; }
  // Gives every control made here, and the tooltips, the font.
  void SetFont(HFONT font) const;
  // Lays out the children of one parent.
  void Relayout(HWND parent) const;
  // Lays out the children of every parent but one.
  void RelayoutAllBut(HWND parent) const;

 private:
  HWND owner_ = nullptr;
  int designW_ = 0, designH_ = 0;
  UINT dpi_ = 96;
  bool failed_ = false;
  Tooltips tips_;
  std::map<HWND, Layout> layouts_;
  std::vector<HWND> controls_;
};

}  // namespace win
