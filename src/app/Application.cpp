#include "app/Application.h"

#include <shellapi.h>

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

int Run(HINSTANCE instance, int show) {
  (void)instance;
  (void)show;
  std::wstring title = sjis::Widen(kTitle);
  MessageBoxW(nullptr, title.c_str(), title.c_str(), MB_OK);
  return 0;
}

}  // namespace app
