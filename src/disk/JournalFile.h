// How the journal's own files are opened and read, for the journal and its hold.
#pragma once

#include <windows.h>

#include <string>

#include "os/Handle.h"

namespace disk {

namespace journal_file {

// More than the moves of any run of the program; a bigger file isn't one of ours.
constexpr DWORD kMaxFile = 256u << 20;

// Opens the journal's entry for `access` without following a reparse point, only where it is
// a plain file: a link, a folder, or an empty entry (a pipe's open would wait for a writer; no
// journal of ours is empty) is never opened for real.
os::unique_file OpenPlain(const std::wstring& path, DWORD access);
// The whole file, where it is no bigger than kMaxFile and reads whole; else false (and empty).
bool ReadWhole(HANDLE h, std::string& out);

}  // namespace journal_file

}  // namespace disk
