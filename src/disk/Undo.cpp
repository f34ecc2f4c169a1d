#include "disk/Undo.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "disk/DiskState.h"
#include "rules/RenameList.h"
#include "disk/SafeRename.h"
#include "text/sjis.h"

namespace {

class SortingOff {
 public:
  explicit SortingOff(RenameList& list) : list_(list) { list_.SetSorting(false); }
  ~SortingOff() { list_.SetSorting(true); }
  SortingOff(const SortingOff&) = delete;
  SortingOff& operator=(const SortingOff&) = delete;

 private:
  RenameList& list_;
};

struct Outcome {
  enum Kind { Restored, Failed, Skipped } kind;
  UndoFailure why = UndoFailure::Failed;
  std::uint32_t error = 0;
};

Outcome Failed(UndoFailure why, std::uint32_t error = 0) { return Outcome{Outcome::Failed, why, error}; }

// Where the folder's entries are: from one listing, then from the moves made since.
class UndoRun {
 public:
  explicit UndoRun(RenameList& list) : list_(list) {
    for (std::size_t i = 0; i < list_.size(); ++i) rows_.emplace(list_[i].CurrentPath(), i);
  }

  Outcome Undo(const Move& m) {
    // A line that can't be a move of ours is refused: the journal is a record, not commands.
    if (!m.plausible || !m.id.valid()) return Failed(UndoFailure::NotOurs);
    std::string_view folder = sjis::FolderPart(m.to);
    FolderState& state = disk_.Folder(std::string(folder));
    FoldName(sjis::FileName(m.to), toKey_);
    FoldName(sjis::FileName(m.from), fromKey_);
    const std::uint32_t at = state.Find(toKey_), old = state.Find(fromKey_);
    const bool atTo = at != NameTable::npos && state[at].count > 0 && !(state[at].attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::uint32_t oldCount = old != NameTable::npos ? state[old].count : 0;
    if (old == at && atTo) --oldCount;  // letter case only: the file itself is no obstacle
    if (!atTo) {
      const bool atFrom = oldCount > 0 && !(state[old].attributes & FILE_ATTRIBUTE_DIRECTORY);
      return atFrom ? Outcome{Outcome::Skipped} : Failed(UndoFailure::Gone);
    }
    if (oldCount > 0) return Failed(UndoFailure::Taken);
    MoveReport report;
    if (!GuardedMove(m.to, m.from, nullptr, state[at].attributes, &report, &m.id)) {
      if (report.elsewhere) return Failed(UndoFailure::Link);
      if (report.otherFile) return Failed(UndoFailure::OtherFile);
      if (report.error == ERROR_FILE_NOT_FOUND || report.error == ERROR_PATH_NOT_FOUND) return Failed(UndoFailure::Gone);
      return Failed(UndoFailure::Failed, report.error);
    }
    const std::uint32_t attributes = state[at].attributes;
    state.Leave(at);
    state.Arrive(fromKey_, attributes);
    auto row = rows_.find(m.to);
    if (row != rows_.end()) {
      std::size_t i = row->second;
      rows_.erase(row);
      list_.SetFileName(i, std::string(sjis::FileName(m.from)));
      rows_.emplace(m.from, i);
    }
    return Outcome{Outcome::Restored};
  }

 private:
  RenameList& list_;
  DiskState disk_;
  std::unordered_map<std::string, std::size_t> rows_;  // current path -> row
  std::string toKey_, fromKey_;
};

}  // namespace

UndoResult UndoMoves(const std::vector<Move>& moves, RenameList& list, const Progress& progress) {
  UndoResult result;
  ForgetFolderPaths();
  SortingOff sorting(list);
  UndoRun run(list);
  ProgressGate gate(progress);
  const std::size_t total = moves.size();
  std::size_t done = 0;
  for (std::size_t k = total; k-- > 0;) {
    const Move& m = moves[k];
    const Outcome outcome = run.Undo(m);
    switch (outcome.kind) {
      case Outcome::Restored: ++result.restored; break;
      case Outcome::Failed:
        ++result.failed;
        result.problems.push_back(UndoProblem{k, outcome.why, outcome.error});
        break;
      case Outcome::Skipped: break;
    }
    ++done;
    // The file now bears a temporary name: its first move is taken back before any stop.
    if (IsTemporaryName(sjis::FileName(m.from)) && k > 0) continue;
    if (!gate.Step(done, total)) {
      result.remaining = k;
      break;
    }
  }
  gate.Finish(done, total);
  return result;
}

std::vector<Move> UndoResult::Left(const std::vector<Move>& moves) const {
  std::vector<bool> keep(moves.size(), false);
  for (std::size_t i = 0; i < remaining && i < moves.size(); ++i) keep[i] = true;
  // A line that is no move of ours never will be: it goes.
  for (const UndoProblem& p : problems) {
    if (p.move < moves.size()) keep[p.move] = p.why != UndoFailure::NotOurs;
  }
  std::vector<Move> left;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (keep[i]) left.push_back(moves[i]);
  }
  return left;
}
