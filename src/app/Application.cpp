#include "app/Application.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/untRen.h"
#include "text/sjis.h"

namespace app {

const char* const kTitle = "リネームユーティリティ\"Kinoha\"";

std::vector<std::string> CommandLinePaths() {
  std::vector<std::string> paths;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return paths;
  for (int i = 1; i < argc; ++i) {
    std::string path;
    if (!sjis::FromWide(argv[i], path)) path.clear();
    paths.push_back(path);
  }
  LocalFree(argv);
  return paths;
}

std::wstring ExeFolder() {
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  std::wstring path(buf, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

int Run(HINSTANCE, int show) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  TfrmRen frmRen({CommandLinePaths(), true});
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
