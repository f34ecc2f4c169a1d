// Under Wine, what the Linux file system keeps of an entry and Wine doesn't pass on: whether a
// name is held at all (Wine neither lists nor sees a link that points nowhere, and its
// no-replace move replaces one), and a file's birth (Wine reports the older of the last write
// and the last change as the creation time, so an edit changes it). Asked of the kernel
// directly; nothing here is ever called on Windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace os {

struct UnixEntry {
  std::uint64_t inode = 0;
  std::uint64_t birth = 0;  // 100 ns units since 1601, as FILETIME; 0 where none is kept
};

// The Linux path of a full Windows path (UTF-8), empty when Wine can't tell.
std::string UnixPathOf(const std::wstring& path);
// The entry at a Linux path, a link itself rather than what it points to; false when no entry
// has that name (or the kernel can't be asked).
bool StatUnix(const std::string& path, UnixEntry& out);
// The names (UTF-16) of the links in a Linux folder, read in one listing: where one points
// nowhere, Wine neither lists it nor sees it, but its name is held. False when the folder can't
// be read.
bool UnixLinkNames(const std::string& folder, std::vector<std::wstring>& out);

}  // namespace os
