#include "app/untRen.h"

#include <algorithm>

#include "os/OwnFile.h"
#include "settings/SettingsFile.h"
#include "win/Controls.h"

using settings::Settings;
using settings::WriteFailure;
using settings::WriteSettings;

// The window's settings: applied at creation, stored at close.

void TfrmRen::ApplySettings(const Settings& s) {
  // The minimum size still applies, and a window stored off every monitor (a position saved
  // by an older version while minimised) comes back onto the nearest one.
  int least = win::Scale(kMinWindow, dpi_);
  SetWindowPos(hwnd(), nullptr, s.left, s.top, std::max(s.width, least), std::max(s.height, least),
               SWP_NOZORDER | SWP_NOACTIVATE);
  win::MoveOntoMonitor(hwnd());
  startMaximized_ = s.maximized;
  listView_.SetUserWidths({s.nameWidth, s.pathWidth, s.newNameWidth});
  ChooseOrder(s.sort >= 0 && s.sort < rules::kSortKeys ? static_cast<rules::SortBy>(s.sort) : rules::SortBy::Name,
              s.sortDesc);
  // The page is chosen without the tab change's focus and countdown; an index outside the
  // pages leaves none active.
  int tab = s.tab >= 0 && s.tab < kPageCount ? s.tab : -1;
  SendMessageW(PageControl, TCM_SETCURSEL, tab, 0);
  ShowPage(tab);
  for (auto& page : pages_) page->Load(s);
  filterNames_ = s.filter;
  filterExts_ = s.filterExt;
  KeyOptionsChanged();
  UpdateCount();
  previewCountdown_ = 0;
}

Settings TfrmRen::CurrentSettings() const {
  Settings s;
  // The restored rectangle: a minimised window's own position is off every screen.
  RECT r = win::RestoredRect(hwnd());
  s.width = r.right - r.left;
  s.height = r.bottom - r.top;
  s.left = r.left;
  s.top = r.top;
  s.tab = activePage_;
  s.maximized = IsWindowVisible(hwnd()) ? IsZoomed(hwnd()) != 0 : startMaximized_;
  const std::array<int, 3> widths = listView_.UserWidths();
  s.nameWidth = widths[0];
  s.pathWidth = widths[1];
  s.newNameWidth = widths[2];
  s.sort = static_cast<int>(chosenKey_);
  s.sortDesc = chosenDescending_;
  for (const auto& page : pages_) page->Store(s);
  s.filter = filterNames_;
  s.filterExt = filterExts_;
  return s;
}

namespace {

// Why a save failed and what became of the file, with the system's reason.
std::wstring FailureText(const WriteFailure& why) {
  if (why.notAFile) return L"\nリンクやフォルダなど、通常のファイルではないため書き込みませんでした。";
  if (why.error == 0) return {};
  const bool full = why.error == ERROR_DISK_FULL || why.error == ERROR_HANDLE_DISK_FULL;
  std::wstring text = why.damaged ? L"\n元の内容に戻せませんでした。ファイルが壊れている可能性があります。"
                      : full ? L"\nディスクに空きがないため、ファイルは元のまま残しました。"
                             : L"\nファイルは元のまま残しました。";
  text += L"\n" + os::ErrorText(why.error);
  return text;
}

}  // namespace

bool TfrmRen::SaveSettings(bool ask) {
  WriteFailure why;
  if (options_.settingsFile.empty()) return true;
  const Settings now = CurrentSettings();
  if (WriteSettings(options_.settingsFile, now, &why, saved_ ? &*saved_ : nullptr)) {
    if (saved_) saved_ = now;
    return true;
  }
  if (!ask) return false;
  Message(options_.settingsFile + L" に書き込めません." + FailureText(why), MB_OK | MB_ICONERROR);
  // A file that can't be written must not keep the program from ending.
  return Message(L"設定を保存せずに終了しますか？", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
