#include "intake/Intake.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/CleanUp.h"
#include "engine/DiskState.h"
#include "engine/FileSystem.h"
#include "engine/Filter.h"
#include "engine/RenameList.h"
#include "engine/RenamePlan.h"
#include "engine/SafeRename.h"
#include "text/sjis.h"

namespace {

// Any entry, file or folder: a move onto a folder's name fails as surely as onto a file's.
bool Taken(const std::string& path) { return fs::Attributes(path) != fs::kInvalidAttributes; }

// The first stem_n.ext that no entry of the folder bears yet.
std::string FreeName(const std::string& cleaned) {
  std::string stem(sjis::StripExtension(cleaned));
  std::string ext(sjis::Extension(cleaned));
  for (unsigned long n = 1;; ++n) {
    std::string candidate = stem + "_" + std::to_string(n) + ext;
    if (!Taken(candidate)) return candidate;
  }
}

// Every option off: compared as a whole, so an option added later counts without a change here.
bool CleansAnything(const CleanUpOptions& o) { return !(o == CleanUpOptions{}); }

class Batch {
 public:
  explicit Batch(RenameList& list) : list_(list) { list_.BeginBatch(); }
  ~Batch() { list_.EndBatch(); }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  RenameList& list_;
};

// A file that exists as `name` in `folder` (which ends in "\"), its name spelled as on disk:
// renamed at once when the clean-up changes its name, else listed unless filtered. True when
// the clean-up renamed it, so that no entry bears that name any more; `folder` and `name` are
// then left as they were, and may have been moved into a row otherwise.
bool TakeIn(RenameList& list, std::string& folder, std::string& name, const IntakeOptions& options) {
  // With every option off the clean-up gives each path back as it is, and empty filter lists
  // refuse nothing; asking them anyway would cost more than the rest of taking a file in.
  const bool filters = !options.filterNames.empty() || !options.filterExts.empty();
  if (CleansAnything(options.cleanUp) || filters) {
    std::string actual = folder + name;
    std::string cleaned = AutoCleanName(actual, options.cleanUp);
    if (cleaned != actual) {
      if (Taken(cleaned)) cleaned = FreeName(cleaned);
      if (SafeRename(actual, cleaned)) return true;
      // Not renamed: the file is still there under its own name, so it is taken in as such.
    }
    if (MatchesFilter(actual, options.filterNames, options.filterExts)) return false;
  }
  list.Add(std::move(name), std::move(folder));
  return false;
}

// The look-up of one path: its folder as given and its name as the disk spells it; false
// when the path names no file the program can take.
bool LookUp(const std::string& path, std::string& folder, std::string& name) {
  // One attribute query and one search per file: the search alone gives the on-disk
  // spelling, so the existence test isn't repeated for it.
  std::uint32_t attributes = fs::Attributes(path);
  if (attributes == fs::kInvalidAttributes || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // A file whose real name has no Shift_JIS form (reached through its 8.3 alias) is not
  // taken in: the program would list and rename it under a name that isn't its own.
  fs::Entry entry;
  if (!fs::FindEntry(path, entry) || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  folder = sjis::FolderPart(path);
  name = std::move(entry.name);
  return true;
}

// Whether a given path still names what it says once the platform makes it full: a part
// that ends in "." or a blank loses the ending and names another entry ("a." names "a").
// "." and ".." stay what they are.
bool KeepsItsParts(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); i = i < path.size() ? sjis::NextChar(path, i) : i + 1) {
    if (i < path.size() && path[i] != '\\' && path[i] != '/') continue;
    std::string_view part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == "." || part == "..") continue;
    if (part.back() == '.' || part.back() == ' ') return false;
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

  void Want(std::string_view name) { wanted_.emplace(std::string(name), fs::kInvalidAttributes); }

  // The attributes of the entry of exactly this name; kInvalidAttributes when not known.
  std::uint32_t Find(const std::string& folder, const std::string& name) {
    if (!listed_) List(folder);
    auto it = wanted_.find(name);
    return it == wanted_.end() ? fs::kInvalidAttributes : it->second;
  }

  // The clean-up renamed a file of this name (in this folder or in one that may be it under
  // another spelling): it is looked up on its own from now on.
  void Forget(const std::string& name) {
    auto it = wanted_.find(name);
    if (it != wanted_.end()) it->second = fs::kInvalidAttributes;
  }

 private:
  // ...and as long as the folder holds no more than this many entries per given file: a few
  // files picked from a huge folder are cheaper to look up one by one.
  static constexpr std::size_t kEntriesPerFile = 16;

  void List(const std::string& folder) {
    listed_ = true;
    const std::size_t limit = kEntriesPerFile * wanted_.size() + 64;
    std::size_t seen = 0;
    fs::FolderSearch search(folder);
    fs::Entry e;
    while (search.Next(e)) {
      if (++seen > limit) {
        for (auto& w : wanted_) w.second = fs::kInvalidAttributes;
        return;
      }
      auto it = wanted_.find(e.name);
      if (it != wanted_.end()) it->second = e.attributes;
    }
  }

  std::unordered_map<std::string, std::uint32_t> wanted_;
  bool listed_ = false;
};

// One intake: the rows, the indexes of folders with many given files, and the progress.
class Intake {
 public:
  Intake(RenameList& list, const IntakeOptions& options, const Progress& progress, std::size_t items,
         DiskState* disk)
      : list_(list), options_(options), gate_(progress), total_(items), disk_(disk) {}

  // Groups the given paths by folder, for the folders with enough of them.
  void IndexFolders(const std::vector<std::string>& paths) {
    std::unordered_map<std::string_view, std::size_t> counts;
    for (const std::string& p : paths) ++counts[sjis::FolderPart(p)];
    for (const std::string& p : paths) {
      std::string_view folder = sjis::FolderPart(p), name = sjis::FileName(p);
      if (folder.empty() || !AddressableName(name) || counts[folder] < FolderIndex::kMinFiles) continue;
      indexes_[std::string(folder)].Want(name);
    }
  }

  // One given path. False once the progress asked to stop.
  bool Path(const std::string& path, bool expand) {
    std::uint32_t attributes = fs::kInvalidAttributes;
    std::string folder(sjis::FolderPart(path));
    std::string name(sjis::FileName(path));
    auto index = indexes_.find(folder);
    if (index != indexes_.end()) attributes = index->second.Find(folder, name);
    if (attributes == fs::kInvalidAttributes) {
      // Not known from a listing: the look-ups of its own, as always.
      if (expand && fs::IsFolder(path)) return Folder(path);
      if (LookUp(path, folder, name)) Take(std::move(folder), std::move(name));
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (expand) return Folder(path);
    } else {
      Take(std::move(folder), std::move(name));
    }
    return Step();
  }

  // Every file directly inside the folder, as the listing spells it.
  bool Folder(const std::string& path) {
    // The listing is finished before any file is taken in: a clean-up rename while it is
    // open could hand back the renamed file as a new entry.
    std::vector<std::string> names;
    FolderState state;
    {
      fs::FolderSearch search(path);
      fs::Entry e;
      while (search.Next(e)) {
        if (disk_) state.Add(e);
        // ".", ".." and sub-folders are no files.
        if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(std::move(e.name));
      }
    }
    total_ = total_ - 1 + names.size();  // the folder stands for its files from now on
    const std::string folder = sjis::JoinPath(path, "");
    // The listing stands for the folder until the clean-up changes it.
    if (disk_) disk_->Store(folder, std::move(state));
    for (std::string& name : names) {
      // A name no path can address as this very entry is never taken in: looked up again it
      // could name another file, even one in another folder.
      if (AddressableName(name)) Take(folder, std::move(name));
      if (!Step()) return false;
    }
    return true;
  }

  void Finish() { gate_.Finish(done_, total_); }

 private:
  void Take(std::string folder, std::string name) {
    if (!TakeIn(list_, folder, name, options_)) return;
    for (auto& index : indexes_) index.second.Forget(name);
    // The clean-up changed the folder: its listing no longer stands for it.
    if (disk_) disk_->Forget(folder);
  }

  bool Step() { return gate_.Step(++done_, total_); }

  RenameList& list_;
  const IntakeOptions& options_;
  ProgressGate gate_;
  std::size_t done_ = 0, total_;
  std::unordered_map<std::string, FolderIndex> indexes_;
  DiskState* disk_;
};

}  // namespace

std::string ActualFileName(const std::string& path) {
  fs::Entry entry;
  if (!fs::ExistsAsFile(path) || !fs::FindEntry(path, entry)) return path;
  return std::string(sjis::FolderPart(path)) + entry.name;
}

bool ExpandFolders(const std::vector<std::string>& paths, bool dropDir) {
  for (const std::string& p : paths) {
    if (!fs::IsFolder(p)) return dropDir;
  }
  return true;
}

void AddFile(RenameList& list, const std::string& path, const IntakeOptions& options) {
  std::string folder, name;
  if (LookUp(path, folder, name)) TakeIn(list, folder, name, options);
}

bool AddFiles(RenameList& list, const std::vector<std::string>& givenPaths, const IntakeOptions& options,
              const Progress& progress, DiskState* disk) {
  // Every path is made full first: a relative path or one written with "/" would otherwise
  // be split at the wrong place, and its row would name some other file.
  ForgetFolderPaths();
  std::vector<std::string> paths;
  paths.reserve(givenPaths.size());
  for (const std::string& p : givenPaths) {
    if (KeepsItsParts(p)) paths.push_back(fs::FullPath(p));
  }
  bool expand = ExpandFolders(paths, options.dropDir);
  Batch batch(list);
  Intake intake(list, options, progress, paths.size(), disk);
  intake.IndexFolders(paths);
  bool whole = true;
  for (const std::string& path : paths) {
    if (!intake.Path(path, expand)) {
      whole = false;
      break;
    }
  }
  intake.Finish();
  return whole;
}
