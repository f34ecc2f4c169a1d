// Which names a rename may give: the naming rules alone, with nothing asked of the disk.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/utf16.h"

namespace rules {

using utf16::RefusedInName;

// Whether a path ending in this name addresses exactly the entry of that name, as a listing
// reports it. Not so for a name that path parsing changes or reads otherwise: trailing dots
// and blanks are dropped, "\" and "/" split it (and may reach another folder), ":" opens a
// stream, wildcards and the other characters Windows keeps out of names (RefusedInName)
// are patterns or refused, and device names ("con", "nul.txt") name devices. A disk that
// isn't Windows' own (Linux under Wine, some shares) can hold such names. Nor for one holding
// U+FFFD, the character a listing gives for bytes it couldn't read.
bool AddressableName(std::wstring_view name);
// A device name: "con", "prn", "aux", "nul", "com0"-"com9", "lpt0"-"lpt9", "conin$" or
// "conout$" in any letter case, with any extension and blanks before it ("CON .txt").
bool DeviceName(std::wstring_view name);
// A new file name the run never gives: one no path addresses as itself (AddressableName), so
// that the move would be refused or the file would land under another name, or one with an
// empty base name (".txt").
bool BadNewName(std::wstring_view newFileName);

// A name's length in UTF-16 units and in bytes of UTF-8, what volumes count.
struct NameSize {
  std::uint32_t units = 0, utf8 = 0;
};
NameSize SizeOfName(std::wstring_view name);

}  // namespace rules
