// What a modal window of ours needs: its place over its owner and its own message loop.
#pragma once

#include <windows.h>

#include <functional>

namespace win {

// Centres the window over its owner (over the work area when it has none).
void CentreOverOwner(HWND h);

// Shows the window and runs its message loop until done() holds, with the owner disabled
// meanwhile; preTranslate sees each message first and may consume it. The owner comes back
// before the window is hidden, so the activation returns to it. A WM_QUIT ends the loop and
// is posted again for the loop outside.
void RunModal(HWND h, const std::function<bool()>& done, const std::function<bool(MSG&)>& preTranslate);

}  // namespace win
