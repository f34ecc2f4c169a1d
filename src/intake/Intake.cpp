#include "intake/Intake.h"

#include <algorithm>
#include <optional>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "rules/CleanUp.h"
#include "disk/DiskState.h"
#include "os/FileSystem.h"
#include "disk/Journal.h"
#include "rules/Filter.h"
#include "rules/RenameList.h"
#include "rules/NewName.h"
#include "disk/MoveEngine.h"
#include "intake/RowIndex.h"
#include "intake/Tree.h"
#include "text/utf16.h"

using rules::AddressableName;
using rules::AutoCleanName;
using rules::CleanUpOptions;
using rules::MatchesFilter;
using rules::RenameList;
using disk::DiskState;
using disk::FolderState;
using disk::Journal;
using disk::Progress;
using disk::ProgressGate;
using disk::RunKind;
using disk::MoveContext;

namespace intake {

namespace {

// Any entry, file or folder: a move onto a folder's name fails as surely as onto a file's.
bool Taken(const std::wstring& path) { return fs::Attributes(path) != fs::kInvalidAttributes; }

// The first stem_n.ext that no entry of the folder bears yet.
std::wstring FreeName(const std::wstring& cleaned) {
  std::wstring stem(utf16::StripExtension(cleaned));
  std::wstring ext(utf16::Extension(cleaned));
  for (unsigned long n = 1;; ++n) {
    std::wstring candidate = stem + L"_" + std::to_wstring(n) + ext;
    if (!Taken(candidate)) return candidate;
  }
}

class Batch {
 public:
  explicit Batch(RenameList& list) : list_(list) { list_.BeginBatch(); }
  ~Batch() { list_.EndBatch(); }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  RenameList& list_;
};

enum class TakenIn { Listed, Cleaned, Filtered };

// What the listing told of a file, kept in its row.
struct Facts {
  std::uint64_t size = 0, lastWrite = 0, creation = 0;
};
std::uint64_t Ticks(const FILETIME& t) { return std::uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; }
Facts FactsOf(const fs::Entry& e) { return Facts{e.size, Ticks(e.lastWrite), Ticks(e.creation)}; }

// A file that exists as `name` in `folder` (which ends in "\"), its name spelled as on disk:
// renamed at once when the clean-up changes its name, else listed unless filtered. Cleaned:
// no entry bears that name any more. `folder` and `name` are moved into the row when listed,
// else left as they were. A folder row is never cleaned (its rows' paths would change under
// them) and only the name list filters it: a folder has no extension.
TakenIn TakeIn(RenameList& list, std::wstring& folder, std::wstring& name, const Facts& facts,
               const IntakeOptions& options, MoveContext* cleaning, bool isFolder = false, std::uint32_t root = 0) {
  // With every option off the clean-up gives each path back as it is, and empty filter lists
  // refuse nothing; asking them anyway would cost more than the rest of taking a file in.
  if (isFolder) {
    if (!options.filterNames.empty() && MatchesFilter(folder + name, options.filterNames, {})) return TakenIn::Filtered;
  } else if (options.cleanUp.Any() || !options.filterNames.empty() || !options.filterExts.empty()) {
    std::wstring actual = folder + name;
    std::wstring cleaned = AutoCleanName(actual, options.cleanUp);
    if (cleaned != actual) {
      if (Taken(cleaned)) cleaned = FreeName(cleaned);
      if (cleaning && cleaning->Rename(actual, cleaned, false).moved) return TakenIn::Cleaned;
      // Not renamed: the file is still there under its own name, so it is taken in as such.
    }
    if (MatchesFilter(actual, options.filterNames, options.filterExts)) return TakenIn::Filtered;
  }
  list.Add(std::move(name), std::move(folder), isFolder ? 0 : facts.size, facts.lastWrite, facts.creation, isFolder,
           root);
  return TakenIn::Listed;
}

// The look-up of one path: its folder as given and its name as the disk spells it; false
// (with the reason) when the path names no file the program can take.
bool LookUp(const std::wstring& path, std::wstring& folder, std::wstring& name, Facts& facts, Skip& why) {
  // One attribute query and one search per file: the search alone gives the on-disk
  // spelling, so the existence test isn't repeated for it.
  std::uint32_t attributes = fs::Attributes(path);
  fs::Entry entry;
  if (attributes == fs::kInvalidAttributes) {
    // Wine reads no attributes of a pipe or a device, though it lists them.
    why = fs::FindEntry(path, entry) && !fs::IsDiskFile(path) ? Skip::NotAFile : Skip::Missing;
    return false;
  }
  why = Skip::Folder;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  // Gone between the two looks.
  why = Skip::Missing;
  if (!fs::FindEntry(path, entry)) return false;
  why = Skip::Folder;
  if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  folder = utf16::FolderPart(path);
  facts = FactsOf(entry);
  name = std::move(entry.name);
  return true;
}

// Whether a given path still names what it says once the platform makes it full: a part
// that ends in "." or a blank loses the ending and names another entry ("a." names "a").
// "." and ".." stay what they are.
bool KeepsItsParts(std::wstring_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != L'\\' && path[i] != L'/') continue;
    std::wstring_view part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == L"." || part == L"..") continue;
    if (part.back() == L'.' || part.back() == L' ') return false;
  }
  return true;
}

// Given files of one folder looked up in one listing of it, when they are many: a look-up
// per file costs as much as tens of listed entries (under Wine about 250 us against 4 us for
// an entry, the look-up growing with the folder). Only exact names are found so; a name in
// another letter case, an 8.3 alias or a missing file is left to its own look-up.
class FolderIndex {
 public:
  // A listing is worth it from this many given files of a folder on...
  static constexpr std::size_t kMinFiles = 8;

  // What the listing says of an entry: its attributes (kInvalidAttributes when not known),
  // and whether it is empty (so maybe no file at all).
  struct Found {
    std::uint32_t attributes = fs::kInvalidAttributes;
    bool empty = false;
    Facts facts;
  };

  void Want(std::wstring_view name) { wanted_.emplace(std::wstring(name), Found{}); }

  // The entry of exactly this name.
  Found Find(const std::wstring& folder, const std::wstring& name) {
    if (!listed_) List(folder);
    auto it = wanted_.find(name);
    return it == wanted_.end() ? Found{} : it->second;
  }

  // The clean-up renamed a file of this name (in this folder or in one that may be it under
  // another spelling): it is looked up on its own from now on.
  void Forget(const std::wstring& name) {
    auto it = wanted_.find(name);
    if (it != wanted_.end()) it->second = Found{};
  }

 private:
  // ...and as long as the folder holds no more than this many entries per given file: a few
  // files picked from a huge folder are cheaper to look up one by one.
  static constexpr std::size_t kEntriesPerFile = 16;

  void List(const std::wstring& folder) {
    listed_ = true;
    const std::size_t limit = kEntriesPerFile * wanted_.size() + 64;
    std::size_t seen = 0;
    fs::FolderSearch search(folder);
    fs::Entry e;
    while (search.Next(e)) {
      if (++seen > limit) {
        for (auto& w : wanted_) w.second = Found{};
        return;
      }
      auto it = wanted_.find(e.name);
      if (it != wanted_.end()) it->second = Found{e.attributes, e.size == 0, FactsOf(e)};
    }
  }

  std::unordered_map<std::wstring, Found> wanted_;
  bool listed_ = false;
};

// One intake: the rows, the indexes of folders with many given files, and the progress.
class Intake {
 public:
  Intake(RenameList& list, const IntakeOptions& options, const Progress& progress, std::size_t items,
         DiskState* disk, IntakeSkips& skipped, MoveContext* cleaning)
      : list_(list), options_(options), gate_(progress), total_(items), disk_(disk), skipped_(skipped),
        cleaning_(cleaning), rows_(list), emptyBefore_(list.empty()) {}

  // Groups the given paths by folder, for the folders with enough of them.
  void IndexFolders(const std::vector<std::wstring>& paths) {
    std::unordered_map<std::wstring_view, std::size_t> counts;
    for (const std::wstring& p : paths) ++counts[utf16::FolderPart(p)];
    for (const std::wstring& p : paths) {
      std::wstring_view folder = utf16::FolderPart(p), name = utf16::FileName(p);
      if (folder.empty() || !AddressableName(name) || counts[folder] < FolderIndex::kMinFiles) continue;
      indexes_[std::wstring(folder)].Want(name);
    }
  }

  // One given path. False once the progress asked to stop.
  bool Path(const std::wstring& path, bool expand) {
    FolderIndex::Found found;
    std::wstring folder(utf16::FolderPart(path));
    std::wstring name(utf16::FileName(path));
    auto index = indexes_.find(folder);
    if (index != indexes_.end()) found = index->second.Find(folder, name);
    if (found.attributes == fs::kInvalidAttributes) {
      // Not known from a listing: the look-ups of its own, as always.
      if (expand && fs::IsFolder(path)) return Folder(path);
      Skip why = Skip::Missing;
      Facts facts;
      if (LookUp(path, folder, name, facts, why)) {
        Take(std::move(folder), std::move(name), facts);
      } else {
        ++skipped_[why];
      }
    } else if (found.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (expand) return Folder(path);
      ++skipped_[Skip::Folder];
    } else if (found.empty && !fs::IsDiskFile(path)) {
      ++skipped_[Skip::NotAFile];
    } else {
      Take(std::move(folder), std::move(name), found.facts);
    }
    return Step();
  }

  // A folder given to expand: the files directly inside it, as the listing spells them, and
  // with the options the folders inside it as rows and the files and folders of its whole tree.
  bool Folder(const std::wstring& path) {
    const std::wstring top = utf16::JoinPath(path, L"");
    // A given folder met again in a walk (given twice, or inside a tree given before) is
    // walked once; without the walk it is listed again, its files counted as met again.
    if (options_.subFolders) {
      if (const auto met = entered_.Enter(top); met != EnteredFolders::Met::First) {
        ++skipped_[met == EnteredFolders::Met::Again ? Skip::Duplicate : Skip::Unreadable];
        return Step();
      }
    }
    --total_;  // the folder stands for its entries from now on
    std::vector<std::wstring> pending{top};
    const std::uint32_t root = ParentLength(top);
    // The walk enters no link nor mount point, so its folders share the volume of the first.
    const fs::NameLimit limit = disk_ ? fs::NameLimitOf(top) : fs::NameLimit{};
    while (!pending.empty()) {
      std::wstring folder = std::move(pending.back());
      pending.pop_back();
      // Asked also between listings, for a tree of folders with few files.
      if (!Listing(folder, root, limit, options_.subFolders, pending) || !Step(false)) return false;
    }
    return true;
  }

  void Finish() { gate_.Finish(done_, total_); }

 private:
  // What a listing told of one entry that may be taken in.
  struct Item {
    std::wstring name;
    Facts facts;
    bool empty, folder;  // empty: may be no file at all, a pipe or a device is listed so
  };

  // One folder of a walk: its files (and folder rows) taken in, its sub-folders to enter
  // added to `pending`. Entered: first entered in this intake, by identity. False once the
  // progress asked to stop.
  bool Listing(const std::wstring& folder, std::uint32_t root, const fs::NameLimit& limit, bool entered,
               std::vector<std::wstring>& pending) {
    const bool folders = options_.subFolders || options_.folderItems;
    // The listing is finished before any file is taken in: a clean-up rename while it is
    // open could hand back the renamed file as a new entry.
    std::vector<Item> items;
    FolderState state;
    bool listed = false;
    {
      fs::FolderSearch search(folder);
      fs::Entry e;
      while (search.Next(e)) {
        if (disk_) state.Add(e);
        const bool isFolder = e.attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder && (!folders || e.name == L"." || e.name == L"..")) continue;
        // A link or junction to a folder (Wine flags a Linux link to a folder so) is never
        // entered nor a row: it would reach outside the tree, or into it twice.
        if (isFolder && (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (options_.skipHidden && (e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
          ++skipped_.hidden;
          continue;
        }
        items.push_back(Item{std::move(e.name), FactsOf(e), e.size == 0, isFolder});
      }
      listed = !search.failed();
    }
    // Progress counts what may become rows: a folder only where folders are rows.
    for (const Item& item : items) total_ += !item.folder || options_.folderItems;
    // The listing stands for the folder until the clean-up changes it; one cut short is left
    // for the preview's check to find unreadable.
    if (!listed) ++skipped_[Skip::Unreadable];
    if (disk_ && listed) disk_->Store(folder, std::move(state), &limit);
    // A listing names each entry once: only rows from elsewhere can be of these files, and
    // none can be of a folder entered first now, where every folder goes through the walk.
    const std::uint32_t number = rows_.FolderNumber(folder);
    const bool check = !(entered && emptyBefore_ && !givenRows_) && rows_.MayHold(number);
    const std::size_t firstSub = pending.size();
    for (Item& item : items) {
      // A name no path can address as this very entry is never taken in: looked up again it
      // could name another file, even one in another folder.
      if (!AddressableName(item.name)) {
        ++skipped_[Skip::BadName];
      } else if (item.folder) {
        if (options_.subFolders) {
          std::wstring sub = folder + item.name + L"\\";
          switch (entered_.Enter(sub)) {
            case EnteredFolders::Met::First: pending.push_back(std::move(sub)); break;
            case EnteredFolders::Met::Again: break;
            case EnteredFolders::Met::Unknown: ++skipped_[Skip::Unreadable]; break;
          }
        }
        if (options_.folderItems) Take(number, folder, std::move(item.name), item.facts, check, true, root);
      } else if (item.empty && !fs::IsDiskFile(folder + item.name)) {
        ++skipped_[Skip::NotAFile];
      } else {
        Take(number, folder, std::move(item.name), item.facts, check, false, root);
      }
      if (!Step(!item.folder || options_.folderItems)) return false;
    }
    // Entered in the order listed.
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstSub), pending.end());
    return true;
  }

  void Take(std::wstring folder, std::wstring name, const Facts& facts) {
    const std::uint32_t number = rows_.FolderNumber(folder);
    const std::uint32_t root = ParentLength(folder);
    givenRows_ = true;
    Take(number, std::move(folder), std::move(name), facts, true, false, root);
  }

  void Take(std::uint32_t number, std::wstring folder, std::wstring name, const Facts& facts, bool check, bool isFolder,
            std::uint32_t root) {
    if (const std::uint32_t row = check ? rows_.Find(number, name) : RowIndex::kNoRow; row != RowIndex::kNoRow) {
      // Listed again: the row takes what the listing tells now.
      list_.SetFacts(row, isFolder ? 0 : facts.size, facts.lastWrite, facts.creation);
      ++skipped_[Skip::Duplicate];
      return;
    }
    // The folder as found now (its path goes into the row): a move checks it is still the one.
    if (disk_ && number != takenFolder_) {
      takenFolder_ = number;
      disk_->TakeIn(folder);
    }
    switch (TakeIn(list_, folder, name, facts, options_, cleaning_, isFolder, root)) {
      case TakenIn::Listed: rows_.Added(number); return;
      case TakenIn::Filtered: ++skipped_[Skip::Filtered]; return;
      case TakenIn::Cleaned: ++skipped_.cleaned; break;
    }
    for (auto& index : indexes_) index.second.Forget(name);
    // The clean-up changed the folder: its listing no longer stands for it.
    if (disk_) disk_->Forget(folder);
  }

  // After an item; with `counts` false only the stop is asked.
  bool Step(bool counts = true) { return gate_.Step(counts ? ++done_ : done_, total_); }

  RenameList& list_;
  const IntakeOptions& options_;
  ProgressGate gate_;
  std::size_t done_ = 0, total_;
  std::unordered_map<std::wstring, FolderIndex> indexes_;
  DiskState* disk_;
  IntakeSkips& skipped_;
  MoveContext* cleaning_;  // the clean-up's moves; null when it cleans nothing
  RowIndex rows_;
  EnteredFolders entered_;
  const bool emptyBefore_;  // the list had no rows before the intake
  bool givenRows_ = false;  // rows of given files, which no walk entered
  std::uint32_t takenFolder_ = 0xFFFFFFFFu;  // the folder whose identity was recorded last
};

}  // namespace

bool ExpandFolders(const std::vector<std::wstring>& paths, bool dropDir) {
  for (const std::wstring& p : paths) {
    if (!fs::IsFolder(p)) return dropDir;
  }
  return true;
}

bool AddFiles(RenameList& list, const std::vector<std::wstring>& givenPaths, const IntakeOptions& options,
              const Progress& progress, DiskState* disk, IntakeSkips* skipped) {
  IntakeSkips own;
  IntakeSkips& skips = skipped ? *skipped : own;
  skips = IntakeSkips{};
  // Every path is made full first: a relative path or one written with "/" would otherwise
  // be split at the wrong place, and its row would name some other file.
  std::vector<std::wstring> paths;
  paths.reserve(givenPaths.size());
  for (const std::wstring& p : givenPaths) {
    if (!KeepsItsParts(p)) {
      ++skips[Skip::BadName];
      continue;
    }
    // The boundary gives no full path for a device ("\\.\C:\a.txt", or "con" made "\\.\con").
    std::wstring full = fs::FullPath(p);
    if (full.empty() && fs::IsDevicePath(p)) {
      ++skips[Skip::NotAFile];
      continue;
    }
    paths.push_back(std::move(full));
  }
  bool expand = ExpandFolders(paths, options.dropDir);
  Batch batch(list);
  // The clean-up's renames of one intake are one run of the journal.
  std::optional<MoveContext> cleaning;
  if (options.cleanUp.Any()) cleaning.emplace(options.journal, RunKind::CleanUp, nullptr, nullptr, options.mover);
  Intake intake(list, options, progress, paths.size(), disk, skips, cleaning ? &*cleaning : nullptr);
  intake.IndexFolders(paths);
  bool whole = true;
  for (const std::wstring& path : paths) {
    if (!intake.Path(path, expand)) {
      whole = false;
      break;
    }
  }
  intake.Finish();
  return whole;
}

}  // namespace intake
