// The hints of a window's controls, shown as tooltips. Each hint is kept as text too, so the
// hint a control shows can be asked for. The tooltip window goes with its owner.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace win {

class Tooltips {
 public:
  bool Create(HWND owner, int maxWidth);
  void Add(HWND control, std::wstring_view hint);
  // Changes a control's hint (adds it when it has none); "" shows no tooltip.
  void SetHint(HWND control, std::wstring_view hint);
  std::wstring HintOf(HWND control) const;
  HWND hwnd() const { return tooltip_; }

 private:
  void Send(UINT message, UINT flags, HWND control, std::wstring& text) const;
  HWND owner_ = nullptr;
  HWND tooltip_ = nullptr;
  std::vector<std::pair<HWND, std::wstring>> hints_;
};

}  // namespace win
