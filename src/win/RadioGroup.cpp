#include "win/RadioGroup.h"

#include <commctrl.h>

#include <algorithm>

namespace win {

bool RadioGroup::Create(ControlSet& set, HWND parent, std::wstring_view caption, const wchar_t* hint,
                        const std::vector<const wchar_t*>& texts, int columns, Rect96 r, int baseId) {
  baseId_ = baseId;
  box = set.Add({parent, WC_BUTTONW, caption, BS_GROUPBOX, 0, r, kTopLeft, -1, hint});
  int n = static_cast<int>(texts.size());
  int perColumn = (n + columns - 1) / columns;
  int colW = (r.w - 8) / columns;
  int rowH = perColumn > 0 ? std::min(18, (r.h - 14) / perColumn) : 18;
  for (int i = 0; i < n; ++i) {
    int col = i / perColumn, row = i % perColumn;
    DWORD style = BS_RADIOBUTTON | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
    items.push_back(set.Add({parent, WC_BUTTONW, texts[static_cast<std::size_t>(i)], style, 0,
                             {r.x + 6 + col * colW, r.y + 13 + row * rowH, colW - 2, rowH}, kTopLeft, baseId + i,
                             hint}));
  }
  return !set.failed();
}

bool RadioGroup::SetIndex(int i) {
  i = std::clamp(i, -1, static_cast<int>(items.size()) - 1);
  if (i == index_) return false;
  index_ = i;
  for (std::size_t k = 0; k < items.size(); ++k) SetCheck(items[k], static_cast<int>(k) == i);
  return true;
}

int RadioGroup::ClickedItem(int id, int code) const {
  if (code != BN_CLICKED || id < baseId_ || id >= baseId_ + static_cast<int>(items.size())) return -1;
  return id - baseId_;
}

}  // namespace win
