// The application object: title, help file and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// "リネームユーティリティ"Kinoha"" in CP932.
extern const char* const kTitle;

// Command-line paths (arguments 1 to n) as CP932 strings. An argument with no exact CP932
// form names no file the program can handle; it is kept as an empty string, which names
// nothing, so the start-up still knows that paths were given.
std::vector<std::string> CommandLinePaths();

// The folder of the running executable, with its trailing "\".
std::wstring ExeFolder();

int Run(HINSTANCE instance, int show);

}  // namespace app
