// A settings file no one would write by hand, and what it costs the start and the close: the
// histories hold 5,242,880 entries each. The window is created from the file and closed
// (settings written back), timed as a whole; nothing in the file may make either take more
// than a second or two. Printed against the same steps with a file of first-start values.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/untRen.h"
#include "settings/SettingsFile.h"

#include "BenchClock.h"

using settings::Settings;
using settings::WriteSettings;

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

// Start (create and show from the file) and close (write it back), in milliseconds.
void StartAndClose(const std::wstring& ini, double& start, double& close) {
  TfrmRen::Options options;
  options.settingsFile = ini;
  options.quitOnClose = false;
  options.runTimer = false;
  double t = Now();
  TfrmRen form(options);
  form.Create();
  form.Show(SW_SHOWNOACTIVATE);
  Pump();
  start = Now() - t;
  t = Now();
  form.SaveSettings(false);
  DestroyWindow(form.hwnd());
  Pump();
  close = Now() - t;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring plain = std::wstring(temp) + L"kinoha_settings_bench_plain.ini";
  const std::wstring huge = std::wstring(temp) + L"kinoha_settings_bench_huge.ini";
  WriteSettings(plain, Settings{});
  std::string list;
  list.reserve(5242880 * 2);
  for (int i = 0; i < 5242880; ++i) list += i ? ",x" : "x";
  std::string bytes = "[Option]\r\nHistory=10\r\n[Combo]\r\n";
  for (const char* key : {"BasVal", "OldVal", "NewVal", "AddVal", "DateFormat"}) bytes += std::string(key) + "=" + list + "\r\n";
  double plainStart, plainClose, hugeStart, hugeClose;
  StartAndClose(plain, plainStart, plainClose);
  WriteFile(huge, bytes);
  StartAndClose(huge, hugeStart, hugeClose);
  std::printf("settings file of first-start values: start %.0f ms, close %.0f ms\n", plainStart, plainClose);
  std::printf("settings file with 5 lists of 5,242,880 entries (%.1f MB): start %.0f ms, close %.0f ms\n",
              bytes.size() / 1048576.0, hugeStart, hugeClose);
  DeleteFileW(plain.c_str());
  DeleteFileW(huge.c_str());
  return 0;
}
