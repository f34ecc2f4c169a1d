// The application object: title, help file and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// "リネームユーティリティ"Kinoha"".
extern const wchar_t* const kTitle;

// The folder of the running executable, with its trailing "\".
std::wstring ExeFolder();

int Run(HINSTANCE instance, int show);

}  // namespace app
