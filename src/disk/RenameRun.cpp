#include "disk/RenameRun.h"

#include <string>
#include <utility>
#include <vector>

#include "disk/DiskState.h"
#include "disk/FolderMoves.h"
#include "disk/RenamePlan.h"
#include "rules/RenameList.h"
#include "text/utf16.h"

using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;

namespace disk {

namespace {

// The run's hold on the list: sorting is off while it runs; at its end, however it ends, the
// renamed rows to clear leave in one pass (one at a time would move the rows kept behind
// them again and again) and sorting comes back on.
class RunScope {
 public:
  explicit RunScope(RenameList& list) : sorting_(list), list_(list), cleared_(list.size(), false) {}
  // Sorting comes back on after the body, as sorting_ goes.
  ~RunScope() {
    // The rows inside renamed folders follow them, before positions change.
    folderMoves_.ApplyTo(list_);
    if (any_) list_.RemoveRows(cleared_);
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  // Rows are cleared from the last one down, so positions stay valid until the end.
  void Clear(std::size_t i) { cleared_[i] = any_ = true; }
  // A folder now bears a new name (each step of a cycle, each step taken back).
  void FolderMoved(const std::wstring& from, const std::wstring& to) { folderMoves_.Add(from, to); }

 private:
  RenameList::SortingPaused sorting_;
  RenameList& list_;
  std::vector<bool> cleared_;
  bool any_ = false;
  FolderMoves folderMoves_;
};

// One run's moves, row by row, in the plan's order.
class Run {
 public:
  Run(const RenamePlan& plan, RenameList& list, const ExecuteOptions& options, MoveContext& moves, RunReport& out)
      : plan_(plan), list_(list), clearItems_(options.clearItems), markRefused_(options.markRefused),
        disk_(options.disk), moves_(moves), out_(out), scope_(list) {}

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
    const std::wstring from = first.CurrentPath();
    const std::uint32_t attributes = fs::Attributes(from);
    MoveReport parked;
    parked.refusal = AttributesRefusal(attributes, folder);
    if (parked.refusal != Refusal::None) {
      Failed(rows[0], parked);
      return false;
    }
    const std::wstring temp = moves_.Park(from, attributes, parked);
    if (temp.empty()) {
      if (parked.elsewhere) NoteLink(from);
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
    const MoveReport last = moves_.Move(temp, NewPath(rows[0]), attributes, &parked.id);
    if (!last.moved) {
      Failed(rows[0], last);
      return TakeBack(rows, ids, temp, from, parked.id);
    }
    if (folder) scope_.FolderMoved(temp, NewPath(rows[0]));
    for (std::uint32_t r : rows) Landed(r);
    return true;
  }

 private:
  std::wstring NewPath(std::uint32_t i) const { return list_[i].folder() + plan_.TargetName(i); }

  void NoteLink(const std::wstring& path) {
    if (disk_) disk_->NoteLink(path);
  }

  bool MoveRowOnly(std::uint32_t i, MoveReport& moved) {
    const RenameEntry& row = list_[i];
    const std::wstring to = NewPath(i);
    moved = moves_.Rename(row.CurrentPath(), to, row.isFolder());
    // The checks of the rows see it from now on.
    if (moved.elsewhere) NoteLink(row.CurrentPath());
    if (!moved.moved) {
      Failed(i, moved);
      return false;
    }
    if (row.isFolder()) scope_.FolderMoved(row.CurrentPath(), to);
    return true;
  }

  // A move the platform refused says why on its row until the next preview; one refused
  // before it was tried (the file changed since the plan, or is a link) is counted as refused.
  void Failed(std::uint32_t i, const MoveReport& report) {
    const Refusal r = report.elsewhere ? Refusal::Link : report.refusal;
    if (r != Refusal::None) {
      ++out_.refused;
      if (markRefused_) list_.SetRefused(i, r);
    } else if (report.error != 0) {
      list_.SetFailure(i, report.error);
      ++out_.failed;
    }
  }

  void Landed(std::uint32_t i) {
    ++out_.renamed;
    if (clearItems_) {
      scope_.Clear(i);
    } else {
      list_.SetFileName(i, plan_.TargetName(i));
    }
  }

  // A cycle cut short is taken back, newest move first, through the same guarded move, so
  // that the journal holds every move made and no file keeps the temporary name. A move back
  // that fails too leaves its file where the journal says, for the undo, and its row follows
  // it there.
  bool TakeBack(const std::vector<std::uint32_t>& rows, const std::vector<fs::FileId>& ids, const std::wstring& temp,
                const std::wstring& from, const fs::FileId& parked) {
    for (std::size_t k = ids.size(); k > 0; --k) {
      const std::uint32_t r = rows[k];
      const std::wstring at = NewPath(r);
      if (!moves_.Move(at, list_[r].CurrentPath(), fs::Attributes(at), &ids[k - 1]).moved) {
        Landed(r);
      } else if (list_[r].isFolder()) {
        scope_.FolderMoved(at, list_[r].CurrentPath());
      }
    }
    if (!moves_.Move(temp, from, fs::Attributes(temp), &parked).moved) {
      list_.SetFileName(rows[0], std::wstring(utf16::FileName(temp)));
    } else if (list_[rows[0]].isFolder()) {
      scope_.FolderMoved(temp, from);
    }
    return false;
  }

  const RenamePlan& plan_;
  RenameList& list_;
  const bool clearItems_, markRefused_;
  DiskState* disk_;
  MoveContext& moves_;
  RunReport& out_;
  RunScope scope_;
};

}  // namespace

void Execute(const RenamePlan& plan, RenameList& list, MoveContext& moves, const ExecuteOptions& options,
             RunReport& out) {
  out = RunReport{};
  list.ClearFailures();
  const std::vector<RenamePlan::Group> groups = plan.Groups();
  const std::size_t total = list.size();
  std::size_t done = 0;
  for (std::size_t i = 0; i < total; ++i) {
    if (plan.Moves(i)) continue;
    ++done;
    // What the plan refused, among the rows it would have moved.
    const Refusal r = plan.refusal(i);
    if (r == Refusal::None) continue;
    ++out.refused;
    if (options.markRefused) list.SetRefused(i, r);
  }
  ProgressGate gate(options.progress);
  bool stopped = false;
  {
    Run run(plan, list, options, moves, out);
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
  out.stopped = done != total;
}

bool RenameRows(RenameList& list, bool clearItems, const Progress& progress, DiskState* disk, Journal* journal,
                RunReport* report, const Mover& mover) {
  DiskState own;
  if (!disk) disk = &own;
  RunReport counts;
  RunReport& out = report ? *report : counts;
  // What the run moved is listed again when next needed (the context forgets it).
  MoveContext moves(journal, RunKind::Rename, disk, disk, mover);
  // The same decision on the same listings as the preview's marks; where the disk changed
  // since, the move itself still never replaces a file.
  const RenamePlan plan(list, *disk);
  ExecuteOptions options;
  options.progress = progress;
  options.clearItems = clearItems;
  options.disk = disk;
  Execute(plan, list, moves, options, out);
  return !out.stopped;
}

}  // namespace disk
