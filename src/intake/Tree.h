// What the walk of a folder tree needs of the disk beyond its listings: where a row's
// フォルダ column starts, and which folders were entered already.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "os/FileSystem.h"

namespace intake {

// The length of the folder above `folder` ("C:\x\" of "C:\x\photos\", with or without its
// trailing "\"), with its "\"; 0 for a drive's or a share's root, which has none.
std::uint32_t ParentLength(std::wstring_view folder);

// The folders one intake entered, by identity (volume and file index): a folder reached
// again under another path, a bind mount of a folder above it, is not entered twice, so
// every walk ends.
class EnteredFolders {
 public:
  enum class Met { First, Again, Unknown };
  // Unknown: the folder can't be opened to tell which it is (so it can't be listed either).
  Met Enter(const std::wstring& folder);

 private:
  std::unordered_map<std::uint64_t, std::wstring> byIndex_;  // the folder first met with an index
  struct IdHash {
    std::size_t operator()(const fs::FileId& id) const {
      return std::hash<std::uint64_t>()(id.index ^ id.indexHigh * 31 ^ std::uint64_t{id.volume} << 32);
    }
  };
  std::unordered_set<fs::FileId, IdHash> whole_;  // volume and index, where asked
};

}  // namespace intake
