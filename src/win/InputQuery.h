// A one-line input dialog: a caption, a prompt, an input box, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// Shows the dialog modally over owner with value in the box. True with the answer in value
// when OK was chosen.
bool InputQuery(HWND owner, std::wstring_view caption, std::wstring_view prompt, std::wstring& value);

}  // namespace win
