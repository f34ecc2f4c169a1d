// A group box with radio items, like a radio group of other frameworks: one item index, -1
// for none. Item i has the id baseId + i.
#pragma once

#include <windows.h>

#include <vector>

#include "win/ControlSet.h"

namespace win {

class RadioGroup {
 public:
  // The items fill `columns` columns top to bottom inside the box's rectangle.
  bool Create(ControlSet& set, HWND parent, std::wstring_view caption, const wchar_t* hint,
              const std::vector<const wchar_t*>& items, int columns, Rect96 box, int baseId);

  int index() const { return index_; }
  // Selects item i, or none for -1; values outside -1 to the last item are held within
  // them. True when the selection changed: the group's click.
  bool SetIndex(int i);
  // The item a WM_COMMAND clicked, or -1 when the command isn't one of this group's.
  int ClickedItem(int id, int code) const;

  HWND box = nullptr;
  std::vector<HWND> items;

 private:
  int baseId_ = 0;
  int index_ = -1;
};

}  // namespace win
