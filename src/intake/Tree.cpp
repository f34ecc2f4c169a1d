#include "intake/Tree.h"

#include <cstdint>
#include <utility>

#include "os/FileSystem.h"
#include "text/utf16.h"

namespace intake {

std::uint32_t ParentLength(std::wstring_view folder) {
  std::wstring_view f = folder;
  if (!f.empty() && f.back() == L'\\' && utf16::FileNameStart(f) == f.size()) f.remove_suffix(1);
  if (f.size() == 2 && f[1] == ':') return 0;  // "C:"
  const std::wstring_view parent = utf16::FolderPart(f);
  // "\\server\share": its parent part "\\server\" is no folder.
  if (f.starts_with(L"\\\\") && utf16::FolderPart(parent.substr(0, parent.size() - 1)).size() <= 2) return 0;
  return static_cast<std::uint32_t>(parent.size());
}

EnteredFolders::Met EnteredFolders::Enter(const std::wstring& folder) {
  const os::unique_file h = fs::OpenToIdentify(folder);
  if (!h) return Met::Unknown;
  auto inserted = [this](HANDLE of) {
    fs::FileId id;
    return !fs::WholeId(of, id) ? Met::Unknown : whole_.insert(id).second ? Met::First : Met::Again;
  };
  // Folders are told apart by their index first; only where two share one (the same folder,
  // or two volumes' folders) are their volumes asked.
  std::uint64_t index = 0;
  if (!fs::FileIndex(h.get(), index)) return inserted(h.get());
  auto [it, fresh] = byIndex_.try_emplace(index, folder);
  if (fresh) return Met::First;
  if (!it->second.empty()) {
    // The first folder of this index is asked now.
    fs::FileId firstId;
    const os::unique_file first = fs::OpenToIdentify(it->second);
    if (first && fs::WholeId(first.get(), firstId)) whole_.insert(firstId);
    it->second.clear();
  }
  return inserted(h.get());
}

}  // namespace intake
