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

namespace {

os::unique_file OpenFolder(const std::string& folder) {
  std::wstring w;
  if (!fs::Utf16PathOf(folder, w)) return os::unique_file();
  // Attributes only: opening asks for no right a folder could refuse to a reader.
  return os::unique_file(CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The volume and the index: the 128-bit id where the platform has it (Windows 8 on, Wine),
// else the 64-bit one. Empty when it can't be told.
std::string WholeId(HANDLE h) {
  struct {
    std::uint64_t volume;
    unsigned char index[16];
  } id{};
  constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
  if (GetFileInformationByHandleEx(h, kFileIdInfo, &id, sizeof id)) {
    return std::string(reinterpret_cast<const char*>(&id), sizeof id);
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h, &info)) return std::string();
  const DWORD parts[] = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return std::string(reinterpret_cast<const char*>(parts), sizeof parts);
}

}  // namespace

EnteredFolders::Met EnteredFolders::Enter(const std::string& folder) {
  const os::unique_file h = OpenFolder(folder);
  if (!h) return Met::Unknown;
  auto inserted = [this](const std::string& id) {
    return id.empty() ? Met::Unknown : whole_.insert(id).second ? Met::First : Met::Again;
  };
  // Folders are told apart by their index first; only where two share one (the same folder,
  // or two volumes' folders) are their volumes asked.
  std::uint64_t index = 0;
  if (!fs::FileIndex(h.get(), index)) return inserted(WholeId(h.get()));
  auto [it, fresh] = byIndex_.try_emplace(index, folder);
  if (fresh) return Met::First;
  if (!it->second.empty()) {
    // The first folder of this index is asked now.
    const os::unique_file first = OpenFolder(it->second);
    const std::string firstId = first ? WholeId(first.get()) : std::string();
    if (!firstId.empty()) whole_.insert(firstId);
    it->second.clear();
  }
  return inserted(WholeId(h.get()));
}

}  // namespace intake
