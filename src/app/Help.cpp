#include "app/Help.h"

#include <shellapi.h>

#include "app/Application.h"

namespace app {

namespace {

std::wstring HelpHtmlUrl(const std::wstring& anchor) {
  std::wstring path = ExeFolder() + L"Kinoha.html";
  for (auto& c : path) {
    if (c == L'\\') c = L'/';
  }
  return L"file:///" + path + L"#" + anchor;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void OpenHtml(HWND owner, const std::wstring& anchor) {
  std::wstring html = ExeFolder() + L"Kinoha.html";
  if (!FileExists(html)) return;
  ShellExecuteW(owner, L"open", HelpHtmlUrl(anchor).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// WinHelp is resolved at run time: current Windows no longer ships it.
bool TryWinHelp(HWND owner, UINT command, ULONG_PTR data) {
  std::wstring hlp = ExeFolder() + L"Kinoha.HLP";
  if (!FileExists(hlp)) return false;
  using WinHelpFn = BOOL(WINAPI*)(HWND, LPCWSTR, UINT, ULONG_PTR);
  auto fn = reinterpret_cast<WinHelpFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "WinHelpW")));
  return fn && fn(owner, hlp.c_str(), command, data);
}

}  // namespace

void OpenHelpContext(HWND owner, int context) {
  if (TryWinHelp(owner, HELP_CONTEXT, static_cast<ULONG_PTR>(context))) return;
  OpenHtml(owner, L"context-" + std::to_wstring(context));
}

void OpenHelpTopic(HWND owner, const std::wstring& topic) {
  std::wstring macro = L"JumpID(\"\",\"" + topic + L"\")";
  if (TryWinHelp(owner, HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()))) return;
  OpenHtml(owner, topic);
}

}  // namespace app
