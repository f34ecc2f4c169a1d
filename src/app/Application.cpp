#include "app/Application.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/untRen.h"
#include "os/Collate.h"
#include "os/Thread.h"
#include "rules/Platform.h"
#include "settings/SettingsFile.h"
#include "win/Controls.h"

using settings::SettingsPath;

namespace app {

const wchar_t* const kTitle = L"リネームユーティリティ\"Kinoha\"";

std::wstring ExeFolder() {
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  std::wstring path(buf, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

int Run(HINSTANCE, int show) {
  rules::SetPlatform({os::SortKey, os::RunWithStack, os::TickMs});
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  TfrmRen::Options options;
  // Command-line paths as the platform hands them over.
  options.args = win::CommandLineArguments();
  options.settingsFile = SettingsPath();
  // The journal of the last runs lies beside the settings file: Kinoha.undo.
  if (options.settingsFile.size() > 4) {
    options.journalFile = options.settingsFile.substr(0, options.settingsFile.size() - 4) + L".undo";
  }
  TfrmRen frmRen(std::move(options));
  if (!frmRen.Create()) return 1;
  frmRen.Show(show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (frmRen.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace app
