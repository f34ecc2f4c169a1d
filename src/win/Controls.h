// Thin helpers over the standard controls. Texts are UTF-16 on both sides of this boundary,
// as the core holds them: nothing is converted.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "win/Handle.h"

namespace win {

std::wstring GetText(HWND h);
void SetText(HWND h, std::wstring_view text);

bool IsChecked(HWND h);
void SetCheck(HWND h, bool on);
// Presses one toggle of an exclusive pair and releases its partner.
void PressExclusive(HWND pressed, HWND partner);
// A click on either toggle of the pair presses it (a pressed one stays down). True when the
// command was such a click.
bool ClickExclusive(HWND from, int code, HWND left, HWND right);

std::vector<std::wstring> ComboItems(HWND combo);
// Replaces the entries; the edit part keeps the text it showed.
void SetComboItems(HWND combo, const std::vector<std::wstring>& items);
void AddComboItem(HWND combo, std::wstring_view text);
int ComboSelection(HWND combo);
void SetComboSelection(HWND combo, int index);
int ComboCount(HWND combo);

void AddTab(HWND tabControl, std::wstring_view caption);
void AddListColumn(HWND listView, int index, std::wstring_view caption, int width);
// Width in pixels of the text in the font selected into dc.
int TextWidth(HDC dc, std::wstring_view text);
// Copies the text into a buffer of cch units, cut to fit (never inside a surrogate pair) and
// always terminated.
void CopyToBuffer(std::wstring_view text, wchar_t* buffer, int cch);
// Whether the text begins with prefix, ignoring case as the user's locale does.
bool StartsWithIgnoreCase(std::wstring_view text, const wchar_t* prefix);

// A font of the given 96-DPI pixel height and face name, with the Shift_JIS charset.
unique_hfont MakeFont(int height96, std::wstring_view face, UINT dpi);

// The paths of a shell drop, in order. Ends the drop.
std::vector<std::wstring> DroppedPaths(HDROP drop);
// Command-line arguments 1 to n.
std::vector<std::wstring> CommandLineArguments();

int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type);
// The text on the clipboard as Unicode text; false when the clipboard can't be had.
bool SetClipboardText(HWND owner, std::wstring_view text);

// The window's restored rectangle in screen coordinates, also while it is minimised or
// maximised.
RECT RestoredRect(HWND h);
// Moves a window that lies on no monitor onto the nearest one's work area.
void MoveOntoMonitor(HWND h);

// Scales a 96-DPI length to the window's DPI.
int Scale(int v, UINT dpi);
UINT DpiOf(HWND h);

// A rectangle at 96 DPI.
struct Rect96 {
  int x = 0, y = 0, w = 0, h = 0;
};

// Children placed at 96-DPI rectangles, scaled and anchored to their parent's edges.
enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kTopLeft = kLeft | kTop,
                         kAll = kLeft | kTop | kRight | kBottom };
class Layout {
 public:
  // designW/H: the parent's client size at 96 DPI that the rectangles were drawn for.
  Layout(int designW, int designH) : designW_(designW), designH_(designH) {}
  void Add(HWND h, Rect96 r, unsigned anchors = kTopLeft);
  void Apply(HWND parent, UINT dpi) const;

 private:
  struct Item {
    HWND h;
    Rect96 r;
    unsigned anchors;
  };
  int designW_, designH_;
  std::vector<Item> items_;
};

// A popup menu.
class PopupMenu {
 public:
  bool Create();
  void Append(int id, std::wstring_view text);
  void AppendSeparator();
  void Enable(int id, bool enabled);
  // Shows the menu and returns the chosen command, 0 for none.
  int Track(HWND owner, int x, int y) const;
  HMENU get() const { return menu_.get(); }

 private:
  unique_hmenu menu_;
};

}  // namespace win
