// The settings file: an INI file beside the executable (Shift_JIS, or UTF-16 once it holds a
// text Shift_JIS can't), read once at start and written once at close. One table of keys
// drives both directions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "os/OwnFile.h"
#include "settings/Settings.h"

namespace settings {

// The executable's full path with its extension replaced by ".ini".
std::wstring SettingsPath();

// Every key in table order; a missing file, section or key, or a value that can't be read,
// gives that key's default (Settings{}'s member).
Settings ReadSettings(const std::wstring& path);

// Why a save wrote nothing. The file is left as it was, unless `damaged`.
struct WriteFailure {
  bool notAFile = false;    // a link, a folder, a pipe: never written through
  unsigned long error = 0;  // the system's reason (GetLastError's code), where there is one
  bool damaged = false;     // rewritten in place, and its old bytes could not be put back
};

// Every key in table order from s, keeping whatever else the file holds (comments, unknown
// keys and sections). False when the file can't be written; then it is left as it was (see
// WriteFailure). Nothing that is not a plain file is ever written, replaced or deleted.
// With `since` (what the window held when it read the file), the file is read again and only
// the keys whose value differs from it are written: another window's changes to other keys,
// made meanwhile, survive. A key the file lacks is written all the same. `room` stands for a
// disk with less room than it has (os::DiskRoom).
bool WriteSettings(const std::wstring& path, const Settings& s, WriteFailure* why = nullptr,
                   const Settings* since = nullptr, os::DiskRoom room = nullptr);

// An integer value as the settings file reads it: optional leading blanks and sign, then
// decimal digits, or at most eight hex digits after "$", "x", "X" or (in a value of more than
// two characters) "0x"/"0X". Nothing when the value isn't an integer in full.
std::optional<int> ReadInteger(std::wstring_view value);

}  // namespace settings
