// Thin helpers over the standard controls. Texts cross this boundary as CP932 strings and
// go to Windows as UTF-16 converted with code page 932, so Japanese shows correctly whatever
// the system code page is. Code above this layer never converts text itself.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "win/Handle.h"

namespace win {

std::string GetText(HWND h);
// The text only when it has an exact CP932 form (GetText gives a look-alike otherwise).
bool GetExactText(HWND h, std::string& out);
void SetText(HWND h, std::string_view text);

bool IsChecked(HWND h);
void SetCheck(HWND h, bool on);
// Presses one toggle of an exclusive pair and releases its partner.
void PressExclusive(HWND pressed, HWND partner);
// A click on either toggle of the pair presses it (a pressed one stays down). True when the
// command was such a click.
bool ClickExclusive(HWND from, int code, HWND left, HWND right);

std::vector<std::string> ComboItems(HWND combo);
// Replaces the entries; the edit part keeps the text it showed.
void SetComboItems(HWND combo, const std::vector<std::string>& items);
void AddComboItem(HWND combo, std::string_view text);
int ComboSelection(HWND combo);
void SetComboSelection(HWND combo, int index);
int ComboCount(HWND combo);

void AddTab(HWND tabControl, std::string_view caption);
void AddListColumn(HWND listView, int index, std::string_view caption, int width);
// Width in pixels of the text in the font selected into dc.
int TextWidth(HDC dc, std::string_view text);
// Copies the text into a buffer of cch characters, cut to fit and always terminated.
void CopyToBuffer(std::string_view text, wchar_t* buffer, int cch);
// Whether the text begins with prefix, ignoring case as the user's locale does.
bool StartsWithIgnoreCase(std::string_view text, const wchar_t* prefix);

// A font of the given 96-DPI pixel height and CP932 face name, with the Shift_JIS charset.
unique_hfont MakeFont(int height96, std::string_view face, UINT dpi);

// The paths of a shell drop, in order; a path with no exact CP932 form is left out, since
// any CP932 spelling of it would name some other file. Ends the drop.
// The longest path a drop hands over in full; a longer one is left out.
constexpr std::size_t kMaxDroppedPath = 255;
std::vector<std::string> DroppedPaths(HDROP drop);
// Command-line arguments 1 to n; an argument with no exact CP932 form becomes an empty
// string, which names nothing, so the caller still knows that an argument was given.
std::vector<std::string> CommandLineArguments();

// CP932 text as UTF-16, for texts that are put together with UTF-16 ones (paths).
std::wstring Utf16(std::string_view text);
// A message box with a CP932 caption.
int ShowMessage(HWND owner, const std::wstring& text, std::string_view caption, UINT type);

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

// A popup menu with CP932 item texts.
class PopupMenu {
 public:
  bool Create();
  void Append(int id, std::string_view text);
  void AppendSeparator();
  void Enable(int id, bool enabled);
  // Shows the menu and returns the chosen command, 0 for none.
  int Track(HWND owner, int x, int y) const;
  HMENU get() const { return menu_.get(); }

 private:
  unique_hmenu menu_;
};

}  // namespace win
