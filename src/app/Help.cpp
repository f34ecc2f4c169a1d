#include "app/Help.h"

#include <shellapi.h>

#include "app/Application.h"
#include "os/OwnFile.h"
#include "win/Controls.h"

namespace app {

namespace {

std::wstring HelpHtmlUrl(const std::wstring& anchor) {
  std::wstring path = ExeFolder() + L"Kinoha.html";
  for (auto& c : path) {
    if (c == L'\\') c = L'/';
  }
  return L"file:///" + path + L"#" + anchor;
}

}  // namespace

std::wstring HelpFilePath();

namespace {

bool OpenHtml(HWND owner, const std::wstring& anchor) {
  if (!os::Exists(HelpFilePath())) return false;
  // Values up to 32 are errors, such as no program registered for .html.
  return reinterpret_cast<INT_PTR>(
             ShellExecuteW(owner, L"open", HelpHtmlUrl(anchor).c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

// WinHelp is resolved at run time: current Windows no longer ships it.
bool TryWinHelp(HWND owner, UINT command, ULONG_PTR data) {
  std::wstring hlp = ExeFolder() + L"Kinoha.HLP";
  if (!os::Exists(hlp)) return false;
  using WinHelpFn = BOOL(WINAPI*)(HWND, LPCWSTR, UINT, ULONG_PTR);
  auto fn = reinterpret_cast<WinHelpFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "WinHelpW")));
  return fn && fn(owner, hlp.c_str(), command, data);
}

}  // namespace

std::wstring HelpFilePath() { return ExeFolder() + L"Kinoha.html"; }

bool OpenHelpContext(HWND owner, int context) {
  if (TryWinHelp(owner, HELP_CONTEXT, static_cast<ULONG_PTR>(context))) return true;
  return OpenHtml(owner, L"context-" + std::to_wstring(context));
}

bool OpenHelpTopic(HWND owner, const std::wstring& topic) {
  std::wstring macro = L"JumpID(\"\",\"" + topic + L"\")";
  if (TryWinHelp(owner, HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()))) return true;
  return OpenHtml(owner, topic);
}

std::wstring HelpFailedText() {
  return HelpFilePath() + L" を開けません。.html を開くプログラムが登録されていないか、ファイルがありません。";
}

void ShowHelpContext(HWND owner, int context) {
  if (!OpenHelpContext(owner, context)) win::ShowMessage(owner, HelpFailedText(), kTitle, MB_OK | MB_ICONWARNING);
}

}  // namespace app
