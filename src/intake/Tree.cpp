#include "intake/Tree.h"

#include <windows.h>

#include <cstdint>
#include <utility>

#include "disk/FileSystem.h"
#include "os/Handle.h"
#include "text/sjis.h"

namespace intake {

std::uint32_t ParentLength(std::string_view folder) {
  std::string_view f = folder;
  if (!f.empty() && f.back() == '\\' && sjis::FileNameStart(f) == f.size()) f.remove_suffix(1);
  if (f.size() == 2 && f[1] == ':') return 0;  // "C:"
  const std::string_view parent = sjis::FolderPart(f);
  // "\\server\share": its parent part "\\server\" is no folder.
  if (f.starts_with("\\\\") && sjis::FolderPart(parent.substr(0, parent.size() - 1)).size() <= 2) return 0;
  return static_cast<std::uint32_t>(parent.size());
}

bool EnteredFolders::Enter(const std::string& folder) {
  std::wstring w;
  if (!fs::Utf16PathOf(folder, w)) return false;
  // Attributes only: opening asks for no right a folder could refuse to a reader.
  const os::unique_file h(CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h) return false;
  // The 128-bit id where the platform has it (Windows 8 on, Wine), else the 64-bit one.
  struct {
    std::uint64_t volume;
    unsigned char index[16];
  } id{};
  constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
  std::string key;
  if (GetFileInformationByHandleEx(h.get(), kFileIdInfo, &id, sizeof id)) {
    key.assign(reinterpret_cast<const char*>(&id), sizeof id);
  } else {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info)) return false;
    const DWORD parts[] = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    key.assign(reinterpret_cast<const char*>(parts), sizeof parts);
  }
  return ids_.insert(std::move(key)).second;
}

}  // namespace intake
