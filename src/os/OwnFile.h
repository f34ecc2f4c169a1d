// The few platform calls on files that both the engine and the settings need, by UTF-16 path
// or by handle: the program's own files (its journal, its settings) may lie in a folder with no
// CP932 form, and a move through a handle renames exactly what the handle holds.
#pragma once

#include <windows.h>

#include <string>

namespace os {

// Under Wine, which keeps files in a Linux file system and follows Linux links all the same.
bool UnderWine();
// The path the handle really reaches ("C:\dir\name" or "\\server\share\..."), without the
// "\\?\" of the platform's answer, at any length; empty when it can't be told.
std::wstring FinalPath(HANDLE h);
// Whether a handle opened on `path` without following a reparse point is a plain file at that
// very path: not a folder, a device or a pipe, and not a link's target (the handle's final path
// is its folder's and the name the folder lists).
bool IsPlainFileAt(HANDLE h, const std::wstring& path);
// Renames what the handle (opened with DELETE access) holds to the full path `to`; an existing
// entry of that name is replaced only with `replace`. 0 when done, else the error.
DWORD RenameHandle(HANDLE h, const std::wstring& to, bool replace);
// Deletes what the handle (opened with DELETE access) holds; false when it can't.
bool DeleteByHandle(HANDLE h);
// The platform's own words for an error code, in the user's language, on one line.
std::wstring ErrorText(DWORD error);

}  // namespace os
