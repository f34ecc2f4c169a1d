// Window styles the pages' controls share.
#pragma once

#include <windows.h>

inline constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
inline constexpr DWORD kCombo = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
inline constexpr DWORD kPickList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
inline constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
inline constexpr DWORD kToggle = BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP;
inline constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
