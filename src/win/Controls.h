// Thin helpers over the standard controls. Texts cross this boundary as CP932 strings and
// go to Windows as UTF-16 converted with code page 932, so Japanese shows correctly whatever
// the system code page is.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace win {

std::string GetText(HWND h);
void SetText(HWND h, std::string_view text);

bool IsChecked(HWND h);
void SetCheck(HWND h, bool on);

std::vector<std::string> ComboItems(HWND combo);
void SetComboItems(HWND combo, const std::vector<std::string>& items);
void AddComboItem(HWND combo, std::string_view text);
int ComboSelection(HWND combo);
void SetComboSelection(HWND combo, int index);

// Scales a 96-DPI length to the window's DPI.
int Scale(int v, UINT dpi);
UINT DpiOf(HWND h);

// Children placed at 96-DPI rectangles, scaled and anchored to their parent's edges.
enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kTopLeft = kLeft | kTop };
class Layout {
 public:
  // designW/H: the parent's client size at 96 DPI that the rectangles were drawn for.
  Layout(int designW, int designH) : designW_(designW), designH_(designH) {}
  void Add(HWND h, int x, int y, int w, int h96, unsigned anchors = kTopLeft);
  void Apply(HWND parent, UINT dpi) const;

 private:
  struct Item {
    HWND h;
    RECT r;
    unsigned anchors;
  };
  int designW_, designH_;
  std::vector<Item> items_;
};

}  // namespace win
