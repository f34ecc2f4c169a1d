// Help: WinHelp with Kinoha.HLP when it stands beside the program, otherwise the shipped
// Kinoha.html at the context's section. False when neither could be opened (no file, or no
// program registered for .html), so that the caller can say so.
#pragma once

#include <windows.h>

#include <string>

namespace app {

bool OpenHelpContext(HWND owner, int context);
bool OpenHelpTopic(HWND owner, const std::wstring& topic);
// The help file's path, and the message that it could not be opened, which names it.
std::wstring HelpFilePath();
std::wstring HelpFailedText();
// Opens the help at a context, and says in a message box naming the help file's path when
// that fails.
void ShowHelpContext(HWND owner, int context);

}  // namespace app
