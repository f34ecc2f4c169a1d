#include "win/NumberBox.h"

#include <imm.h>

#include <algorithm>

namespace win {

namespace {

// The typed-character filter: digits and Backspace pass.
LRESULT CALLBACK DigitsOnlyProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_CHAR) {
    wchar_t key = static_cast<wchar_t>(wp);
    if (!((key >= L'0' && key <= L'9') || key == 8)) return 0;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

bool AllDigits(std::wstring_view text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

}  // namespace

std::optional<int> NumberInRange(std::wstring_view text, int min, int max) {
  if (text.empty() || !AllDigits(text)) return std::nullopt;
  std::size_t first = text.find_first_not_of(L'0');
  std::wstring_view digits = first == std::wstring_view::npos ? std::wstring_view(L"0") : text.substr(first);
  if (digits.size() > 9) return std::nullopt;  // beyond any range an int holds
  int v = 0;
  for (wchar_t c : digits) v = v * 10 + (c - L'0');
  if (v < min || v > max) return std::nullopt;
  return v;
}

std::optional<int> NearestBound(std::wstring_view text, int min, int max) {
  if (text.empty() || !AllDigits(text) || NumberInRange(text, min, max)) return std::nullopt;
  // Digits can't be below zero, so only a positive min is passed under.
  return NumberInRange(text, 0, max) ? min : max;
}

bool NumberBox::Create(ControlSet& set, HWND parent, Rect96 r, int min, int max, int pos, int id,
                       const wchar_t* hint) {
  id_ = id;
  min_ = min;
  max_ = max;
  pos_ = pos;
  std::wstring text = std::to_wstring(pos);
  edit = set.Add({parent, WC_EDITW, text, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, r, kTopLeft, id, hint});
  updown = set.Add({parent, UPDOWN_CLASSW, L"", UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, {r.x + r.w, r.y, 16, r.h},
                    kTopLeft, id + 1, hint});
  if (!edit || !updown) return false;
  SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(updown, UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  SendMessageW(updown, UDM_SETPOS32, 0, pos);
  SetWindowSubclass(edit, DigitsOnlyProc, 1, 0);
  ImmAssociateContextEx(edit, nullptr, 0);
  return true;
}

void NumberBox::SetPosition(int pos) {
  pos_ = std::clamp(static_cast<int>(static_cast<short>(pos)), min_, max_);
  SendMessageW(updown, UDM_SETPOS32, 0, pos_);
  win::SetText(edit, std::to_wstring(pos_));
}

void NumberBox::SetText(std::wstring_view text) { win::SetText(edit, text); }

bool NumberBox::HandleCommand(int id, int code) {
  if (id != id_ || code != EN_CHANGE) return false;
  const std::wstring text = GetText(edit);
  if (auto v = NumberInRange(text, min_, max_)) {
    pos_ = *v;
    SendMessageW(updown, UDM_SETPOS32, 0, pos_);
  } else if (auto bound = NearestBound(text, min_, max_)) {
    // The box never shows a number it doesn't use: digits beyond the range become its end
    // at once, with the caret after them so typing goes on from there.
    SetPosition(*bound);
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, end, end);
  }
  return true;
}

bool NumberBox::HandleNotify(const NMHDR* nm) {
  if (nm->hwndFrom != updown || nm->code != UDN_DELTAPOS) return false;
  const auto* ud = reinterpret_cast<const NMUPDOWN*>(nm);
  SetPosition(std::clamp(pos_ + ud->iDelta, min_, max_));
  return true;
}

}  // namespace win
