// The settings file on disk as the program's own file: opened without following a link,
// replaced through a temporary file made new beside it, and never cut short where the disk is
// full. Reached by UTF-16 path, since its folder may have no CP932 form.
#pragma once

#include <windows.h>

#include <string>

#include "os/Handle.h"
#include "os/OwnFile.h"

namespace settings {

namespace ownfile {

// The settings file as it stands: missing, a plain file, reached through a link, or no file
// at all (a folder, a pipe, a device).
enum class Found { Missing, File, Link, NotAFile, Failed };

struct Opened {
  os::unique_file handle;  // for reading, when found
  Found found = Found::Failed;
  BY_HANDLE_FILE_INFORMATION info{};
  DWORD error = 0;
};

void Open(const std::wstring& path, Opened& file);
bool ReadAll(HANDLE h, std::string& out);
bool IsDiskFull(DWORD error);

enum class Step { Done, NoTemporary, Failed };
// The new bytes in a temporary file beside the settings file, moved over it.
Step ReplaceThroughTemporary(const std::wstring& path, const Opened& file, const std::string& bytes, DWORD& error);
// The file itself rewritten, its old bytes put back where the write fails (`damaged` when not
// even that worked).
bool WriteInPlace(const std::wstring& path, const Opened& file, const std::string& old, const std::string& bytes,
                  DWORD& error, bool& damaged);

}  // namespace ownfile

}  // namespace settings
