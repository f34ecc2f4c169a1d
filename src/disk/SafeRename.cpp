#include "disk/SafeRename.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "disk/DiskState.h"
#include "disk/FileSystem.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"
#include "disk/RenamePlan.h"
#include "text/sjis.h"

namespace {

constexpr std::string_view kTempPrefix = "~kinoha-";

// Both paths name entries of one folder: no other folder, no stream of a file ("C:\a.txt:s"
// has the folder part "C:\a.txt:"; only a drive ends in ":"), no "/" and no name of dots and
// blanks alone, which the file system reads as the folder or its parent.
bool StaysInFolder(std::string_view from, std::string_view to) {
  std::string_view folder = sjis::FolderPart(from);
  if (folder.empty() || sjis::FolderPart(to) != folder) return false;
  if (folder.size() > 2 && folder.back() == ':') return false;
  for (std::string_view name : {sjis::FileName(from), sjis::FileName(to)}) {
    if (sjis::Contains(name, "/") || name.find_first_not_of(". ") == std::string_view::npos) return false;
  }
  return true;
}

bool CaseOnly(std::string_view from, std::string_view to) {
  std::string a, b;
  FoldName(sjis::FileName(from), a);
  FoldName(sjis::FileName(to), b);
  return a == b;
}

// A name of the folder that nothing bears yet.
std::string TemporaryPath(std::string_view folder) {
  static unsigned counter = 0;
  for (int tries = 0; tries < 1000; ++tries) {
    char name[48];
    std::snprintf(name, sizeof name, "%.*s%lx-%u.tmp", static_cast<int>(kTempPrefix.size()), kTempPrefix.data(),
                  GetCurrentProcessId(), ++counter);
    std::string path = std::string(folder) + name;
    if (fs::Attributes(path) == fs::kInvalidAttributes) return path;
  }
  return std::string();
}

// A name of at most this many characters fits every volume that holds 255 UTF-16 units or
// 255 bytes of UTF-8: a character takes at most 3 bytes.
constexpr std::size_t kAlwaysFits = 85;

std::size_t Characters(std::string_view name) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < name.size(); i = sjis::NextChar(name, i)) ++n;
  return n;
}

// The name as a volume that cuts names too long for it keeps it: whole characters, as many as
// its limit holds.
std::string CutName(std::string_view path) {
  std::string_view folder = sjis::FolderPart(path), name = sjis::FileName(path);
  const fs::NameLimit limit = fs::NameLimitOf(folder);
  const std::uint8_t* utf8 = sjis::Utf8Lengths();
  std::uint32_t units = 0, bytes = 0;
  std::size_t end = 0;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t next = sjis::NextChar(name, i);
    unsigned index = static_cast<unsigned char>(name[i]);
    if (next - i == 2) index = index << 8 | static_cast<unsigned char>(name[i + 1]);
    if (!limit.Holds(units + 1, bytes + utf8[index])) break;
    ++units;
    bytes += utf8[index];
    end = i = next;
  }
  return std::string(folder) + std::string(name.substr(0, end));
}

// Each folder's own final path (it may be reached through a link too), asked once per run:
// a folder can become a link, or stop being one, between two runs.
std::unordered_map<std::string, std::string> folderPaths;

// Whether a file reached at `reached` (its final path) lies in the folder of `path`.
bool ReachesItsFolder(std::string_view reached, std::string_view path) {
  if (reached.empty()) return false;  // what can't be asked isn't moved
  std::string folder(sjis::FolderPart(path));
  auto it = folderPaths.find(folder);
  if (it == folderPaths.end()) {
    std::string bare = folder;
    if (bare.size() > 3 && bare.back() == '\\') bare.pop_back();  // "C:\" stays a root
    std::string final = fs::FinalPath(bare);
    if (!final.empty() && final.back() != '\\') final += '\\';
    it = folderPaths.emplace(folder, final).first;
  }
  std::string a, b;
  FoldName(sjis::FolderPart(reached), a);
  FoldName(it->second, b);
  return !b.empty() && a == b;
}

// Windows renames a link itself and lists links as reparse points; Wine renames the file a
// Linux link points to and lists the link as a plain file, so there every file is asked.
bool NeedsAsking(std::uint32_t attributes) {
  return fs::UnderWine() || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// One move through one handle: the file at `from` is opened, asked where it really is (with
// `ask`) and which file it is (against `expect`, where given), recorded with its identity,
// and renamed through the same handle, never replacing an entry. A failed move leaves the
// record as it was.
bool MoveOnce(std::string_view from, std::string_view to, Journal* journal, bool ask, MoveReport& report,
              const fs::FileId* expect = nullptr) {
  fs::OpenFile file(from);
  if (!file.ok()) {
    report.error = file.error();
    return false;
  }
  if (ask && !ReachesItsFolder(file.FinalPath(), from)) {
    report.elsewhere = true;
    return false;
  }
  fs::FileId id;
  const bool known = file.Id(id);
  if (expect && (!known || !(id == *expect))) {
    report.otherFile = true;
    return false;
  }
  const std::size_t mark = journal ? journal->Mark() : 0;
  if (journal) journal->Record(from, to, id);
  if (const DWORD error = file.RenameTo(to)) {
    if (journal) journal->Rollback(mark);
    report.error = error;
    return false;
  }
  return true;
}

// A move on its own; a platform that cuts a name too long for the volume reports success
// (Wine keeps 255 bytes of UTF-8 and finds the file by the long name as well), so a long name
// is read back from the folder; when the file landed under another name it goes back.
bool PlainMove(std::string_view from, std::string_view to, Journal* journal, bool ask, MoveReport& report,
               const fs::FileId* expect) {
  const std::size_t mark = journal ? journal->Mark() : 0;
  if (!MoveOnce(from, to, journal, ask, report, expect)) return false;
  std::string_view name = sjis::FileName(to);
  if (Characters(name) <= kAlwaysFits) return true;
  fs::Entry landed;
  if (fs::FindEntry(to, landed) && landed.name == name) return true;
  // Where the platform put it: the name cut to whole characters within the volume's limit. A
  // file of that name can't have been there before, or the move would have failed.
  std::string cut = CutName(to);
  MoveReport back;
  if (cut.size() < to.size() && fs::FindEntry(cut, landed) && landed.name == sjis::FileName(cut)) {
    // Back where it was: the record keeps neither move.
    if (MoveOnce(cut, from, journal, false, back) && journal) journal->Rollback(mark);
  }
  report.error = ERROR_FILENAME_EXCED_RANGE;
  return false;
}

// Old name to a temporary one, then to the new spelling, read back; if the second step
// fails, back to the old name, and the record keeps neither move.
bool CaseOnlyMove(std::string_view from, std::string_view to, Journal* journal, bool ask, MoveReport& report,
                  const fs::FileId* expect) {
  const std::size_t mark = journal ? journal->Mark() : 0;
  std::string temp = TemporaryPath(sjis::FolderPart(from));
  if (temp.empty()) {
    report.error = ERROR_FILE_EXISTS;
    return false;
  }
  if (!MoveOnce(from, temp, journal, ask, report, expect)) return false;
  auto landed = [&] {
    fs::Entry entry;
    return fs::FindEntry(to, entry) && entry.name == sjis::FileName(to);
  };
  if (MoveOnce(temp, to, journal, false, report)) return landed();
  auto back = [&] {
    MoveReport ignored;
    const bool ok = MoveOnce(temp, from, journal, false, ignored);
    if (ok && journal) journal->Rollback(mark);
    return ok;
  };
  if (back()) return false;
  // Neither name could be had: both once more rather than leave the temporary name. The
  // file may end under its new name after all, and its row must say so.
  if (MoveOnce(temp, to, journal, false, report)) return landed();
  back();
  return false;
}

}  // namespace

bool IsTemporaryName(std::string_view fileName) {
  return fileName.starts_with(kTempPrefix) && fileName.ends_with(".tmp");
}

bool GuardedMove(std::string_view from, std::string_view to, Journal* journal, std::uint32_t attributes,
                 MoveReport* report, const fs::FileId* expect) {
  MoveReport own;
  MoveReport& r = report ? *report : own;
  if (from == to || !StaysInFolder(from, to)) {
    r.error = ERROR_INVALID_NAME;
    return false;
  }
  const bool ask = NeedsAsking(attributes);
  bool moved;
  // Where the new spelling opens the file itself, the file system ignores letter case and a
  // plain move would keep the old spelling. Where it opens another file (a disk that tells
  // a.txt from A.txt holds both), nothing moves; where it opens nothing, a plain move does.
  if (CaseOnly(from, to) && fs::Opens(to)) {
    if (!fs::SameFile(from, to)) {
      r.error = ERROR_ALREADY_EXISTS;
      return false;
    }
    moved = CaseOnlyMove(from, to, journal, ask, r, expect);
  } else {
    moved = PlainMove(from, to, journal, ask, r, expect);
  }
  if (moved && journal) journal->Landed();
  return moved;
}

namespace {

enum class Outcome { Renamed, Refused, Link, Failed };

Outcome Rename(std::string_view oldPath, std::string_view newPath, Journal* journal, MoveReport& report) {
  // A case-only change differs byte for byte and is carried out.
  if (newPath == oldPath) return Outcome::Refused;
  if (sjis::FolderPart(newPath) != sjis::FolderPart(oldPath) || BadNewName(sjis::FileName(newPath))) {
    return Outcome::Refused;
  }
  // Missing files read as all bits set, which the mask catches too.
  const std::uint32_t attributes = fs::Attributes(oldPath);
  if (attributes & 0x1F) return Outcome::Refused;
  if (GuardedMove(oldPath, newPath, journal, attributes, &report)) return Outcome::Renamed;
  if (report.elsewhere) return Outcome::Link;
  return report.error ? Outcome::Failed : Outcome::Refused;
}

}  // namespace

bool SafeRename(std::string_view oldPath, std::string_view newPath, Journal* journal) {
  MoveReport report;
  return Rename(oldPath, newPath, journal, report) == Outcome::Renamed;
}

namespace {

// The run's hold on the list: sorting is off while it runs; at its end, however it ends, the
// renamed rows to clear leave in one pass (one at a time would move the rows kept behind
// them again and again) and sorting comes back on; the journal gets its end line.
class RunScope {
 public:
  RunScope(RenameList& list, Journal* journal) : list_(list), journal_(journal), cleared_(list.size(), false) {
    list_.SetSorting(false);
    if (journal_) journal_->BeginRun();
  }
  ~RunScope() {
    if (journal_) journal_->EndRun();
    if (any_) list_.RemoveRows(cleared_);
    list_.SetSorting(true);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  // Rows are cleared from the last one down, so positions stay valid until the end.
  void Clear(std::size_t i) { cleared_[i] = any_ = true; }

 private:
  RenameList& list_;
  Journal* journal_;
  std::vector<bool> cleared_;
  bool any_ = false;
};

}  // namespace

void ForgetFolderPaths() { folderPaths.clear(); }

bool RenameRows(RenameList& list, bool clearItems, const Progress& progress, DiskState* disk, Journal* journal,
                RunReport* report) {
  ForgetFolderPaths();
  RunReport counts;
  RunReport& out = report ? *report : counts;
  out = RunReport{};
  list.ClearFailures();
  DiskState own;
  if (!disk) disk = &own;
  // The same decision on the same listings as the preview's marks; where the disk changed
  // since, the move itself still never replaces a file.
  RenamePlan plan(list, *disk);
  RunScope scope(list, journal);
  const std::size_t total = list.size();
  ProgressGate gate(progress);
  std::size_t done = 0;
  // Last row first: with a shift upward (a to b, b to c) b must move out of the way first.
  for (std::size_t i = total; i-- > 0;) {
    const RenameEntry& row = list[i];
    if (plan.Judge(i) == Refusal::None && row.newName != row.BaseName()) {
      std::string newFileName = row.newName;
      newFileName += row.Extension();
      MoveReport moved;
      const Outcome outcome = Rename(row.CurrentPath(), row.folder + newFileName, journal, moved);
      // The checks of the rows see it from now on.
      if (outcome == Outcome::Link) disk->NoteLink(row.CurrentPath());
      // A move the platform refused says why on its row until the next preview.
      if (outcome == Outcome::Failed) {
        list.SetFailure(i, moved.error);
        ++out.failed;
      }
      if (outcome == Outcome::Renamed) {
        ++out.renamed;
        plan.Moved(i);
        if (clearItems) {
          scope.Clear(i);
        } else {
          list.SetFileName(i, std::move(newFileName));
        }
      }
    }
    if (!gate.Step(++done, total)) break;
  }
  gate.Finish(done, total);
  // What the run moved is listed again when next needed.
  disk->Clear();
  return done == total;
}
