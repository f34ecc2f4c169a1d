#include "intake/Intake.h"

#include <cstdint>
#include <utility>

#include "engine/FileSystem.h"
#include "engine/RenameList.h"
#include "engine/SafeRename.h"
#include "text/sjis.h"

namespace {

// The first stem_n.ext that no file bears yet.
std::string FreeName(const std::string& cleaned) {
  std::string stem(sjis::StripExtension(cleaned));
  std::string ext(sjis::Extension(cleaned));
  for (unsigned long n = 1;; ++n) {
    std::string candidate = stem + "_" + std::to_string(n) + ext;
    if (!fs::ExistsAsFile(candidate)) return candidate;
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

// Hook: the clean-up rules come later; until then no name is changed.
std::string AutoCleanName(const std::string& path, const IntakeOptions&) { return path; }

// Hook: the filter lists come later; until then nothing is refused.
bool MatchesFilter(const std::string&, const IntakeOptions&) { return false; }

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

  std::string cleaned = AutoCleanName(actual, options);
  if (cleaned != actual) {
    if (fs::ExistsAsFile(cleaned)) cleaned = FreeName(cleaned);
    SafeRename(actual, cleaned);
    return;
  }
  if (MatchesFilter(actual, options)) return;
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
      fs::ForEachEntry(path, [&](const fs::Entry& e) {
        // ".", ".." and sub-folders are no files; AddFile would only find that out again.
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) return;
        AddFile(list, sjis::JoinPath(path, e.name), options);
      });
    } else {
      AddFile(list, path, options);
    }
  }
}
