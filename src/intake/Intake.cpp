#include "intake/Intake.h"

#include <cstdint>
#include <utility>

#include "engine/CleanUp.h"
#include "engine/FileSystem.h"
#include "engine/Filter.h"
#include "engine/RenameList.h"
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

class Batch {
 public:
  explicit Batch(RenameList& list) : list_(list) { list_.BeginBatch(); }
  ~Batch() { list_.EndBatch(); }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  RenameList& list_;
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
  // One attribute query and one search per file: the search alone gives the on-disk
  // spelling, so the existence test isn't repeated for it.
  std::uint32_t attributes = fs::Attributes(path);
  if (attributes == fs::kInvalidAttributes || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  // A file whose real name has no Shift_JIS form (reached through its 8.3 alias) is not
  // taken in: the program would list and rename it under a name that isn't its own.
  fs::Entry entry;
  if (!fs::FindEntry(path, entry) || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  std::string folder(sjis::FolderPart(path));
  std::string actual = folder + entry.name;

  std::string cleaned = AutoCleanName(actual, options.cleanUp);
  if (cleaned != actual) {
    if (Taken(cleaned)) cleaned = FreeName(cleaned);
    if (SafeRename(actual, cleaned)) return;
    // Not renamed: the file is still there under its own name, so it is taken in as such.
  }
  if (MatchesFilter(actual, options.filterNames, options.filterExts)) return;
  list.Add(std::move(entry.name), std::move(folder));
}

void AddFiles(RenameList& list, const std::vector<std::string>& givenPaths, const IntakeOptions& options) {
  // Every path is made full first: a relative path or one written with "/" would otherwise
  // be split at the wrong place, and its row would name some other file.
  std::vector<std::string> paths;
  paths.reserve(givenPaths.size());
  for (const std::string& p : givenPaths) paths.push_back(fs::FullPath(p));
  bool expand = ExpandFolders(paths, options.dropDir);
  Batch batch(list);
  for (const std::string& path : paths) {
    if (expand && fs::IsFolder(path)) {
      // The search is finished before any file is taken in: a clean-up rename while it is
      // open could hand back the renamed file as a new entry.
      std::vector<std::string> files;
      fs::ForEachEntry(path, [&](const fs::Entry& e) {
        // ".", ".." and sub-folders are no files; AddFile would only find that out again.
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) return;
        files.push_back(sjis::JoinPath(path, e.name));
      });
      for (const std::string& file : files) AddFile(list, file, options);
    } else {
      AddFile(list, path, options);
    }
  }
}
