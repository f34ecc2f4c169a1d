#include "engine/Undo.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/DiskState.h"
#include "engine/RenameList.h"
#include "engine/SafeRename.h"
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

enum class Outcome { Restored, Failed, Skipped };

// Where the folder's entries are: from one listing, then from the moves made since.
class UndoRun {
 public:
  explicit UndoRun(RenameList& list) : list_(list) {
    for (std::size_t i = 0; i < list_.size(); ++i) rows_.emplace(list_[i].CurrentPath(), i);
  }

  Outcome Undo(const Move& m) {
    // The journal's paths are full and of one folder; a line that says otherwise isn't ours.
    std::string_view folder = sjis::FolderPart(m.to);
    if (folder.empty() || sjis::FolderPart(m.from) != folder) return Outcome::Failed;
    FolderState& state = disk_.Folder(std::string(folder));
    FoldName(sjis::FileName(m.to), toKey_);
    FoldName(sjis::FileName(m.from), fromKey_);
    const std::uint32_t at = state.Find(toKey_), old = state.Find(fromKey_);
    const bool atTo = at != NameTable::npos && state[at].count > 0 && !(state[at].attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::uint32_t oldCount = old != NameTable::npos ? state[old].count : 0;
    if (old == at && atTo) --oldCount;  // letter case only: the file itself is no obstacle
    if (!atTo) {
      const bool atFrom = oldCount > 0 && !(state[old].attributes & FILE_ATTRIBUTE_DIRECTORY);
      return atFrom ? Outcome::Skipped : Outcome::Failed;
    }
    if (oldCount > 0) return Outcome::Failed;
    if (!GuardedMove(m.to, m.from)) return Outcome::Failed;
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
    return Outcome::Restored;
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
  SortingOff sorting(list);
  UndoRun run(list);
  ProgressGate gate(progress);
  const std::size_t total = moves.size();
  std::size_t done = 0;
  for (std::size_t k = total; k-- > 0;) {
    const Move& m = moves[k];
    switch (run.Undo(m)) {
      case Outcome::Restored: ++result.restored; break;
      case Outcome::Failed: ++result.failed; break;
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
