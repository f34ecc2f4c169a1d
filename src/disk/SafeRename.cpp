#include "disk/SafeRename.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "disk/DiskState.h"
#include "os/FileSystem.h"
#include "disk/FolderMoves.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"
#include "disk/RenamePlan.h"
#include "text/sjis.h"

using rules::BadNewName;
using rules::FoldName;
using rules::RenameEntry;
using rules::RenameList;

namespace disk {

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

// A temporary name of the folder, new to this process. Nothing is probed: a move never
// replaces, so a name some entry bears already fails its move, and the next name is tried.
std::string TemporaryPath(std::string_view folder) {
  static unsigned counter = 0;
  char name[48];
  std::snprintf(name, sizeof name, "%.*s%lx-%u.tmp", static_cast<int>(kTempPrefix.size()), kTempPrefix.data(),
                GetCurrentProcessId(), ++counter);
  return std::string(folder) + name;
}

// Moves a file to a temporary name of its folder through `move(temp)`, trying further names
// while one is taken; the name it bears then, or empty (the report says why).
template <typename Move>
std::string Park(std::string_view folder, MoveReport& report, Move move) {
  constexpr int kTries = 100;
  for (int tries = 0; tries < kTries; ++tries) {
    std::string temp = TemporaryPath(folder);
    report = MoveReport{};
    if (move(temp)) return temp;
    if (report.error != ERROR_ALREADY_EXISTS && report.error != ERROR_FILE_EXISTS) return std::string();
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
    std::size_t next;
    const unsigned index = sjis::CodeAt(name.data(), name.size(), i, next);
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
// The folders as the intake found them, for this run.
const DiskState* takenIn = nullptr;

// The final path a folder's entries must be reached under: the one the intake recorded, while
// the folder is still that very folder (empty, which reaches nothing, once it was swapped for a
// link or another folder); else its final path now.
std::string FolderPathToReach(const std::string& folder) {
  const DiskState::TakenFolder* taken = takenIn ? takenIn->TakenIn(folder) : nullptr;
  if (!taken) return fs::FinalFolderPath(folder);
  std::string now, a, b;
  fs::FileId id;
  if (!fs::EntryId(folder, id, &now) || !(id == taken->id)) return std::string();
  FoldName(now, a);
  FoldName(taken->finalPath, b);
  return a == b ? taken->finalPath : std::string();
}

// Whether a file reached at `reached` (its final path) is the entry at `path` itself, each
// folder's own final path asked once per run.
bool Reaches(std::string_view reached, std::string_view path) {
  std::string folder(sjis::FolderPart(path));
  auto it = folderPaths.find(folder);
  if (it == folderPaths.end()) it = folderPaths.emplace(folder, FolderPathToReach(folder)).first;
  return fs::ReachedItself(reached, it->second, path);
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
              const Mover& mover, const fs::FileId* expect = nullptr) {
  fs::OpenFile file(from);
  if (!file.ok()) {
    report.error = file.error();
    return false;
  }
  if (ask && !Reaches(file.FinalPath(), from)) {
    report.elsewhere = true;
    return false;
  }
  fs::FileId id;
  const bool known = file.Id(id);
  if (expect && (!known || !id.IsRecorded(*expect))) {
    report.otherFile = true;
    return false;
  }
  // A name held by anything, a link that points nowhere included, is taken.
  if (fs::NameHeld(to)) {
    report.error = ERROR_ALREADY_EXISTS;
    return false;
  }
  const std::size_t mark = journal ? journal->Mark() : 0;
  if (journal) journal->Record(from, to, id);
  if (const DWORD error = mover ? mover(file, to) : file.RenameTo(to)) {
    if (journal) journal->Rollback(mark);
    report.error = error;
    return false;
  }
  report.id = id;
  return true;
}

// A move on its own; a platform that cuts a name too long for the volume reports success
// (Wine keeps 255 bytes of UTF-8 and finds the file by the long name as well), so a long name
// is read back from the folder; when the file landed under another name it goes back.
bool PlainMove(std::string_view from, std::string_view to, Journal* journal, bool ask, MoveReport& report,
               const fs::FileId* expect, const Mover& mover) {
  const std::size_t mark = journal ? journal->Mark() : 0;
  if (!MoveOnce(from, to, journal, ask, report, mover, expect)) return false;
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
    if (MoveOnce(cut, from, journal, false, back, mover) && journal) journal->Rollback(mark);
  }
  report.error = ERROR_FILENAME_EXCED_RANGE;
  return false;
}

// Old name to a temporary one, then to the new spelling, read back; if the second step
// fails, back to the old name, and the record keeps neither move.
bool CaseOnlyMove(std::string_view from, std::string_view to, Journal* journal, bool ask, MoveReport& report,
                  const fs::FileId* expect, const Mover& mover) {
  const std::size_t mark = journal ? journal->Mark() : 0;
  const std::string temp = Park(sjis::FolderPart(from), report, [&](const std::string& t) {
    return MoveOnce(from, t, journal, ask, report, mover, expect);
  });
  if (temp.empty()) return false;
  auto landed = [&] {
    fs::Entry entry;
    return fs::FindEntry(to, entry) && entry.name == sjis::FileName(to);
  };
  if (MoveOnce(temp, to, journal, false, report, mover)) return landed();
  auto back = [&] {
    MoveReport ignored;
    const bool ok = MoveOnce(temp, from, journal, false, ignored, mover);
    if (ok && journal) journal->Rollback(mark);
    return ok;
  };
  if (back()) return false;
  // Neither name could be had: both once more rather than leave the temporary name. The
  // file may end under its new name after all, and its row must say so.
  if (MoveOnce(temp, to, journal, false, report, mover)) return landed();
  back();
  return false;
}

}  // namespace

bool IsTemporaryName(std::string_view fileName) {
  return fileName.starts_with(kTempPrefix) && fileName.ends_with(".tmp");
}

bool GuardedMove(std::string_view from, std::string_view to, Journal* journal, std::uint32_t attributes,
                 MoveReport* report, const fs::FileId* expect, const Mover& mover) {
  MoveReport own;
  MoveReport& r = report ? *report : own;
  if (from == to || !StaysInFolder(from, to)) {
    r.error = ERROR_INVALID_NAME;
    return false;
  }
  const bool folder = attributes != fs::kInvalidAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  // A junction or a folder link is never moved: what lies in it is another folder's.
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    r.elsewhere = true;
    return false;
  }
  // Asked, an entry must be reached at its own path: Wine follows a Linux link to another
  // entry, of another folder or of the same one, and would rename that.
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
    moved = CaseOnlyMove(from, to, journal, ask, r, expect, mover);
  } else {
    moved = PlainMove(from, to, journal, ask, r, expect, mover);
  }
  if (moved && journal) journal->Landed();
  return moved;
}

namespace {

enum class Outcome { Renamed, Refused, Link, Failed };

// Read-only, hidden, system, the old volume-label bit, a folder: no file the run moves. A
// missing file reads as all bits set, which the mask catches too.
constexpr std::uint32_t kNotOrdinary = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 |
                                       FILE_ATTRIBUTE_DIRECTORY;
bool OrdinaryFile(std::uint32_t attributes) { return (attributes & kNotOrdinary) == 0; }
// A folder row's folder: still a folder, neither hidden nor system (read-only only customises
// a folder); a link to one is found by the move itself.
bool MovableFolder(std::uint32_t attributes) {
  constexpr std::uint32_t kNotOurs = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8;
  return attributes != fs::kInvalidAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & kNotOurs);
}
bool Movable(std::uint32_t attributes, bool folder) {
  return folder ? MovableFolder(attributes) : OrdinaryFile(attributes);
}

Outcome Rename(std::string_view oldPath, std::string_view newPath, Journal* journal, MoveReport& report,
               const Mover& mover = {}, bool folder = false) {
  // A case-only change differs byte for byte and is carried out.
  if (newPath == oldPath) return Outcome::Refused;
  if (sjis::FolderPart(newPath) != sjis::FolderPart(oldPath) || BadNewName(sjis::FileName(newPath))) {
    return Outcome::Refused;
  }
  const std::uint32_t attributes = fs::Attributes(oldPath);
  if (!Movable(attributes, folder)) return Outcome::Refused;
  if (GuardedMove(oldPath, newPath, journal, attributes, &report, nullptr, mover)) return Outcome::Renamed;
  if (report.elsewhere) return Outcome::Link;
  return report.error ? Outcome::Failed : Outcome::Refused;
}

}  // namespace

bool SafeRename(std::string_view oldPath, std::string_view newPath, Journal* journal, const Mover& mover) {
  MoveReport report;
  return Rename(oldPath, newPath, journal, report, mover) == Outcome::Renamed;
}

namespace {

// The run's hold on the list: sorting is off while it runs; at its end, however it ends, the
// renamed rows to clear leave in one pass (one at a time would move the rows kept behind
// them again and again) and sorting comes back on; the journal gets its end line.
class RunScope {
 public:
  RunScope(RenameList& list, Journal* journal)
      : sorting_(list), list_(list), journal_(journal), cleared_(list.size(), false) {
    if (journal_) journal_->BeginRun();
  }
  // Sorting comes back on after the body, as sorting_ goes.
  ~RunScope() {
    if (journal_) journal_->EndRun();
    // The rows inside renamed folders follow them, before positions change.
    folderMoves_.ApplyTo(list_);
    if (any_) list_.RemoveRows(cleared_);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  // Rows are cleared from the last one down, so positions stay valid until the end.
  void Clear(std::size_t i) { cleared_[i] = any_ = true; }
  // A folder now bears a new name (each step of a cycle, each step taken back).
  void FolderMoved(const std::string& from, const std::string& to) { folderMoves_.Add(from, to); }

 private:
  RenameList::SortingPaused sorting_;
  RenameList& list_;
  Journal* journal_;
  std::vector<bool> cleared_;
  bool any_ = false;
  FolderMoves folderMoves_;
};

}  // namespace

void ForgetFolderPaths(const DiskState* disk) {
  folderPaths.clear();
  fs::ForgetUnixFolders();
  takenIn = disk;
}

namespace {

// One run's moves, row by row, in the plan's order.
class Run {
 public:
  Run(RenameList& list, bool clearItems, DiskState& disk, Journal* journal, RunReport& out, const Mover& mover)
      : list_(list), clearItems_(clearItems), disk_(disk), journal_(journal), out_(out), mover_(mover),
        scope_(list, journal) {}

  // Row i to its new name; false when its file stays.
  bool MoveRow(std::uint32_t i) {
    MoveReport moved;
    if (!MoveRowOnly(i, moved)) return false;
    Landed(i);
    return true;
  }

  // Rows that trade names all round: the first moves to a temporary name, each of the others
  // into the name the one before it left, and the first from its temporary name last. False
  // when the cycle stays as it was.
  bool MoveCycle(const std::vector<std::uint32_t>& rows) {
    const RenameEntry& first = list_[rows[0]];
    const bool folder = first.isFolder();
    const std::string from = first.CurrentPath();
    const std::uint32_t attributes = fs::Attributes(from);
    if (!Movable(attributes, folder)) return false;
    MoveReport parked;
    const std::string temp = Park(first.folder, parked, [&](const std::string& t) {
      return GuardedMove(from, t, journal_, attributes, &parked, nullptr, mover_);
    });
    if (temp.empty()) {
      if (parked.elsewhere) disk_.NoteLink(from);
      Failed(rows[0], parked);
      return false;
    }
    if (folder) scope_.FolderMoved(from, temp);
    std::vector<fs::FileId> ids;  // of rows[1], rows[2], ... as they landed
    for (std::size_t k = 1; k < rows.size(); ++k) {
      MoveReport moved;
      if (!MoveRowOnly(rows[k], moved)) return TakeBack(rows, ids, temp, from, parked.id);
      ids.push_back(moved.id);
    }
    MoveReport last;
    if (!GuardedMove(temp, NewPath(rows[0]), journal_, attributes, &last, &parked.id, mover_)) {
      Failed(rows[0], last);
      return TakeBack(rows, ids, temp, from, parked.id);
    }
    if (folder) scope_.FolderMoved(temp, NewPath(rows[0]));
    for (std::uint32_t r : rows) Landed(r);
    return true;
  }

 private:
  std::string NewPath(std::uint32_t i) const {
    const RenameEntry& row = list_[i];
    return row.folder + row.newName + std::string(row.Extension());
  }

  bool MoveRowOnly(std::uint32_t i, MoveReport& moved) {
    const RenameEntry& row = list_[i];
    const std::string to = NewPath(i);
    const Outcome outcome = Rename(row.CurrentPath(), to, journal_, moved, mover_, row.isFolder());
    // The checks of the rows see it from now on.
    if (outcome == Outcome::Link) disk_.NoteLink(row.CurrentPath());
    if (outcome == Outcome::Failed) Failed(i, moved);
    if (outcome == Outcome::Renamed && row.isFolder()) scope_.FolderMoved(row.CurrentPath(), to);
    return outcome == Outcome::Renamed;
  }

  // A move the platform refused says why on its row until the next preview.
  void Failed(std::uint32_t i, const MoveReport& report) {
    if (report.error == 0) return;
    list_.SetFailure(i, report.error);
    ++out_.failed;
  }

  void Landed(std::uint32_t i) {
    ++out_.renamed;
    if (clearItems_) {
      scope_.Clear(i);
    } else {
      std::string name = list_[i].newName;
      name += list_[i].Extension();
      list_.SetFileName(i, std::move(name));
    }
  }

  // A cycle cut short is taken back, newest move first, through the same guarded move, so
  // that the journal holds every move made and no file keeps the temporary name. A move back
  // that fails too leaves its file where the journal says, for the undo, and its row follows
  // it there.
  bool TakeBack(const std::vector<std::uint32_t>& rows, const std::vector<fs::FileId>& ids, const std::string& temp,
                const std::string& from, const fs::FileId& parked) {
    for (std::size_t k = ids.size(); k > 0; --k) {
      const std::uint32_t r = rows[k];
      const std::string at = NewPath(r);
      MoveReport back;
      if (!GuardedMove(at, list_[r].CurrentPath(), journal_, fs::Attributes(at), &back, &ids[k - 1], mover_)) {
        Landed(r);
      } else if (list_[r].isFolder()) {
        scope_.FolderMoved(at, list_[r].CurrentPath());
      }
    }
    MoveReport back;
    if (!GuardedMove(temp, from, journal_, fs::Attributes(temp), &back, &parked, mover_)) {
      list_.SetFileName(rows[0], std::string(sjis::FileName(temp)));
    } else if (list_[rows[0]].isFolder()) {
      scope_.FolderMoved(temp, from);
    }
    return false;
  }

  RenameList& list_;
  const bool clearItems_;
  DiskState& disk_;
  Journal* journal_;
  RunReport& out_;
  const Mover& mover_;
  RunScope scope_;
};

}  // namespace

bool RenameRows(RenameList& list, bool clearItems, const Progress& progress, DiskState* disk, Journal* journal,
                RunReport* report, const Mover& mover) {
  RunReport counts;
  RunReport& out = report ? *report : counts;
  out = RunReport{};
  list.ClearFailures();
  DiskState own;
  if (!disk) disk = &own;
  ForgetFolderPaths(disk);
  // The disk state is the run's: no later move goes by it.
  struct Forget {
    ~Forget() { takenIn = nullptr; }
  } forget;
  // The same decision on the same listings as the preview's marks; where the disk changed
  // since, the move itself still never replaces a file.
  const RenamePlan plan(list, *disk);
  const std::vector<RenamePlan::Group> groups = plan.Groups();
  const std::size_t total = list.size();
  std::size_t done = 0;
  for (std::size_t i = 0; i < total; ++i) done += plan.Moves(i) ? 0 : 1;
  ProgressGate gate(progress);
  bool stopped = false;
  {
    Run run(list, clearItems, *disk, journal, out, mover);
    for (const RenamePlan::Group& g : groups) {
      if (g.cycle) {
        run.MoveCycle(g.rows);
        done += g.rows.size();
        stopped = !gate.Step(done, total);
      } else {
        // The rows behind a file that stays wait in vain: their names are still borne.
        std::size_t k = 0;
        while (k < g.rows.size() && !stopped) {
          const bool moved = run.MoveRow(g.rows[k++]);
          done += moved ? 1 : g.rows.size() - k + 1;
          if (!moved) k = g.rows.size();
          stopped = !gate.Step(done, total);
        }
      }
      if (stopped) break;
    }
  }
  gate.Finish(done, total);
  // What the run moved is listed again when next needed.
  disk->Clear();
  return done == total;
}

}  // namespace disk
