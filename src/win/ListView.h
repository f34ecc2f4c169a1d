// A report list view that holds its own rows (for short lists such as a dialog's).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

namespace win {

class ListView {
 public:
  ListView() = default;
  explicit ListView(HWND h) : h_(h) {}
  HWND hwnd() const { return h_; }

  int Count() const;
  // Appends a row; returns its index.
  int Append(std::wstring_view text);
  std::wstring Text(int row, int column = 0) const;
  void SetText(int row, int column, std::wstring_view text);
  void Delete(int row);
  void Select(int row, bool selected);
  // Selected rows, lowest first.
  std::vector<int> Selected() const;
  // The selected row with the lowest index, or -1.
  int FirstSelected() const;
  void SizeColumnsToContent() const;

 private:
  HWND h_ = nullptr;
};

// The width of a column's caption in the list's font, in pixels.
int CaptionWidth(HWND list, int column);

}  // namespace win
