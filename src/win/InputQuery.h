// A one-line input dialog: a caption, a prompt, an input box, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// Shows the dialog modally over owner with value in the box. True with the answer in value
// when OK was chosen. An answer with no exact CP932 form comes back empty.
bool InputQuery(HWND owner, std::string_view caption, std::string_view prompt, std::string& value);

}  // namespace win
