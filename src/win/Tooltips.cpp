#include "win/Tooltips.h"

#include <commctrl.h>

#include <algorithm>

namespace win {

bool Tooltips::Create(HWND owner, int maxWidth) {
  owner_ = owner;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                             0, 0, 0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return false;
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  return true;
}

// Sends a tool message for the control and, since an editable drop-down's mouse events go to
// its edit child, for that child too.
void Tooltips::Send(UINT message, UINT flags, HWND control, std::wstring& text) const {
  for (HWND target : {control, GetWindow(control, GW_CHILD)}) {
    if (!target) continue;
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = flags;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(target);
    ti.lpszText = text.data();
    SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void Tooltips::Add(HWND control, std::wstring_view hint) {
  hints_.emplace_back(control, std::wstring(hint));
  std::wstring text(hint);
  Send(TTM_ADDTOOLW, TTF_IDISHWND | TTF_SUBCLASS, control, text);
}

void Tooltips::SetHint(HWND control, std::wstring_view hint) {
  auto known = std::find_if(hints_.begin(), hints_.end(), [&](const auto& h) { return h.first == control; });
  if (known == hints_.end()) {
    if (!hint.empty()) Add(control, hint);
    return;
  }
  if (known->second == hint) return;
  known->second.assign(hint);
  std::wstring text(hint);
  Send(TTM_UPDATETIPTEXTW, TTF_IDISHWND, control, text);
}

std::wstring Tooltips::HintOf(HWND control) const {
  for (const auto& [h, hint] : hints_) {
    if (h == control) return hint;
  }
  return std::wstring();
}

}  // namespace win
