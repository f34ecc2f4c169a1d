// An edit box with its up-down. The position is the up-down's own number: taken from the
// box's digits when they form a number within range; digits beyond the range are replaced
// in the box by the nearer end of it; an empty box keeps the last position.
// The box takes digits and Backspace only, with the input method switched off.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>

#include "win/ControlSet.h"

namespace win {

// The number that digits give when it lies within min..max; leading zeros don't count
// against the length, so "0000000042" is 42.
std::optional<int> NumberInRange(std::wstring_view text, int min, int max);

// For digits that form a number outside min..max: the end of the range nearer to it.
// Nothing for a number within range, an empty text or one with other characters.
std::optional<int> NearestBound(std::wstring_view text, int min, int max);

class NumberBox {
 public:
  // The edit box has `id` and the rectangle r; the up-down (id + 1) sits at its right.
  bool Create(ControlSet& set, HWND parent, Rect96 r, int min, int max, int pos, int id, const wchar_t* hint);

  int pos() const { return pos_; }
  int min() const { return min_; }
  int max() const { return max_; }
  // Sets the position as an up-down does: the low 16 bits as a signed number, held within
  // the range; the box shows it.
  void SetPosition(int pos);
  void SetText(std::wstring_view text);

  // The edit's EN_CHANGE: takes the position from the text. True when the command was it.
  bool HandleCommand(int id, int code);
  // The up-down's arrow: moves the position by the step, stopping at the range's ends. True
  // when the notification was it; the caller returns TRUE so the up-down keeps its own
  // position out of it.
  bool HandleNotify(const NMHDR* nm);

  HWND edit = nullptr;
  HWND updown = nullptr;

 private:
  int id_ = 0;
  int min_ = 0, max_ = 0, pos_ = 0;
};

}  // namespace win
