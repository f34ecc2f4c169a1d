// Help: WinHelp with Kinoha.HLP when it stands beside the program, otherwise the shipped
// Kinoha.html at the context's section. A missing file is a quiet no-op.
#pragma once

#include <windows.h>

#include <string>

namespace app {

void OpenHelpContext(HWND owner, int context);
void OpenHelpTopic(HWND owner, const std::wstring& topic);

}  // namespace app
