#include "disk/Undo.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "disk/DiskState.h"
#include "disk/FolderMoves.h"
#include "rules/RenameList.h"
#include "disk/MoveEngine.h"
#include "text/utf16.h"

using rules::FoldName;
using rules::NameTable;
using rules::RenameList;

namespace disk {

namespace {

struct Outcome {
  enum Kind { Restored, Failed, Done } kind;
  UndoFailure why = UndoFailure::Failed;
  std::uint32_t error = 0;
};

Outcome Failed(UndoFailure why, std::uint32_t error = 0) { return Outcome{Outcome::Failed, why, error}; }

// Whether the file at the path is the one recorded.
bool RecordedFileAt(const std::wstring& path, const fs::FileId& id) {
  fs::OpenFile file(path);
  fs::FileId now;
  return file.ok() && file.Id(now) && now.IsRecorded(id);
}

// Where the folder's entries are: from one listing, then from the moves made since.
class UndoRun {
 public:
  UndoRun(RenameList& list, const std::vector<Move>& moves, bool forward)
      : list_(list), moves_(moves), forward_(forward), nextOfFile_(moves.size(), kNone) {
    for (std::size_t i = 0; i < list_.size(); ++i) rows_.emplace(Key(list_[i].folder(), list_[i].fileName), i);
    // Each move's next move of the same file, in the order made (a cycle's file moves twice).
    std::map<std::pair<std::uint32_t, std::uint64_t>, std::size_t> last;
    for (std::size_t k = 0; k < moves.size(); ++k) {
      if (!moves[k].id.valid()) continue;
      auto [it, added] = last.try_emplace({moves[k].id.volume, moves[k].id.index}, k);
      if (!added) {
        nextOfFile_[it->second] = k;
        it->second = k;
      }
    }
    previousOfFile_.assign(moves.size(), kNone);
    for (std::size_t k = 0; k < moves.size(); ++k) {
      if (nextOfFile_[k] != kNone) previousOfFile_[nextOfFile_[k]] = k;
    }
  }
  // The rows inside folders that moved follow them once, however the replay ends.
  ~UndoRun() { folders_.ApplyTo(list_); }
  UndoRun(const UndoRun&) = delete;
  UndoRun& operator=(const UndoRun&) = delete;

  // Move k's file goes from `source` to `dest` (to `from` for an undo, to `to` for a redo).
  Outcome Transfer(std::size_t k, const std::wstring& source, const std::wstring& dest) {
    const Move& m = moves_[k];
    // A line that can't be a move of ours is refused: the journal is a record, not commands.
    if (!m.plausible || !m.id.valid()) return Failed(UndoFailure::NotOurs);
    std::wstring_view folder = utf16::FolderPart(source);
    FolderState& state = disk_.Folder(std::wstring(folder));
    FoldName(utf16::FileName(source), toKey_);
    FoldName(utf16::FileName(dest), fromKey_);
    const std::uint32_t at = state.Find(toKey_), old = state.Find(fromKey_);
    // A file or a folder: the identity tells whether it is the one the move recorded.
    const bool atTo = at != NameTable::npos && state[at].count > 0;
    std::uint32_t oldCount = old != NameTable::npos ? state[old].count : 0;
    if (old == at && atTo) --oldCount;  // letter case only: the file itself is no obstacle
    // The file already where this move takes it (an undo or redo cut short before, or a run
    // killed before the move): done, not a failure.
    if (!atTo) return AlreadyDone(k) ? Outcome{Outcome::Done} : Failed(UndoFailure::Gone);
    if (oldCount > 0 && !HeldApart(dest)) return AlreadyDone(k) ? Outcome{Outcome::Done} : Failed(UndoFailure::Taken);
    const MoveReport report = context_.Move(source, dest, state[at].attributes, &m.id);
    if (!report.moved) {
      if (report.elsewhere) return Failed(UndoFailure::Link);
      if (AlreadyDone(k)) return Outcome{Outcome::Done};
      if (report.otherFile) return Failed(UndoFailure::OtherFile);
      if (report.error == ERROR_FILE_NOT_FOUND || report.error == ERROR_PATH_NOT_FOUND) return Failed(UndoFailure::Gone);
      if (report.error == ERROR_ALREADY_EXISTS || report.error == ERROR_FILE_EXISTS) return Failed(UndoFailure::Taken);
      return Failed(UndoFailure::Failed, report.error);
    }
    const std::uint32_t attributes = state[at].attributes;
    state.Leave(at);
    state.Arrive(fromKey_, attributes);
    // The rows are found where they stood at the start; those inside a folder that moved
    // follow it once the replay is over.
    const std::wstring startFolder = folders_.Before(std::wstring(folder));
    auto row = rows_.find(Key(startFolder, utf16::FileName(source)));
    if (row != rows_.end()) {
      std::size_t i = row->second;
      rows_.erase(row);
      list_.SetFileName(i, std::wstring(utf16::FileName(dest)));
      rows_.emplace(Key(startFolder, utf16::FileName(dest)), i);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      folders_.Add(source, dest);
      disk_.ForgetTree(source);
      disk_.ForgetTree(dest);
    }
    return Outcome{Outcome::Restored};
  }

  void Count(std::size_t k, const Outcome& outcome, UndoResult& result) {
    const Move& m = moves_[k];
    switch (outcome.kind) {
      case Outcome::Restored:
      case Outcome::Done:
        // Files, not moves: a file of a cycle or of a change of case moves twice.
        if (files_.insert({m.id.volume, m.id.index}).second) ++result.restored;
        result.moved[k] = true;
        break;
      case Outcome::Failed:
        ++result.failed;
        result.problems.push_back(UndoProblem{k, outcome.why, outcome.error});
        break;
    }
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Whether move k's file already stands where this replay takes it: for an undo at the name
  // it had before the move, or before an earlier move of the run; for a redo at the name it
  // got, or a later one.
  bool AlreadyDone(std::size_t k) const {
    for (std::size_t j = k; j != kNone; j = forward_ ? nextOfFile_[j] : previousOfFile_[j]) {
      if (RecordedFileAt(forward_ ? moves_[j].to : moves_[j].from, moves_[k].id)) return true;
    }
    return false;
  }

  // Whether a name the folder's listing shows taken (by a name of another letter case) is free
  // after all: nothing opens under it as written, on a disk that tells the spellings apart. The
  // move itself never replaces anything either way.
  static bool HeldApart(const std::wstring& name) { return !fs::Opens(name); }

  // A row by its folder, however its letters are spelled (a folder moved back takes the
  // journal's spelling), and its file name as it is.
  const std::wstring& Key(const std::wstring& folder, std::wstring_view name) {
    if (folder != lastFolder_) {
      lastFolder_ = folder;
      FoldName(folder, foldedFolder_);
    }
    key_.assign(foldedFolder_).append(name);
    return key_;
  }

  RenameList& list_;
  const std::vector<Move>& moves_;
  const bool forward_;
  std::vector<std::size_t> nextOfFile_, previousOfFile_;
  std::wstring lastFolder_, foldedFolder_, key_;
  FolderMoves folders_;
  DiskState disk_;
  // The undo records its outcome itself (Journal::Undone, Redone): its moves go unrecorded.
  MoveContext context_{nullptr, RunKind::Rename};
  std::unordered_map<std::wstring, std::size_t> rows_;  // Key of its folder at the start and its name -> row
  std::wstring toKey_, fromKey_;
  std::set<std::pair<std::uint32_t, std::uint64_t>> files_;  // the identities moved
};

}  // namespace

namespace {

// The moves made again (forward, oldest first) or taken back (newest first), each through the
// guarded move, which moves only the file the run moved.
UndoResult Replay(const std::vector<Move>& moves, RenameList& list, const Progress& progress, bool forward) {
  UndoResult result;
  result.forward = forward;
  result.moved.assign(moves.size(), false);
  RenameList::SortingPaused sorting(list);
  UndoRun run(list, moves, forward);
  ProgressGate gate(progress);
  // Files under a temporary name now: no stop until each has left it.
  std::set<std::pair<std::uint32_t, std::uint64_t>> parked;
  const std::size_t total = moves.size();
  for (std::size_t done = 0; done < total; ++done) {
    const std::size_t k = forward ? done : total - 1 - done;
    const Move& m = moves[k];
    const std::wstring& source = forward ? m.from : m.to;
    const std::wstring& dest = forward ? m.to : m.from;
    const Outcome outcome = run.Transfer(k, source, dest);
    run.Count(k, outcome, result);
    if (outcome.kind == Outcome::Restored) {
      const std::pair<std::uint32_t, std::uint64_t> file{m.id.volume, m.id.index};
      if (IsTemporaryName(utf16::FileName(dest))) parked.insert(file);
      if (IsTemporaryName(utf16::FileName(source))) parked.erase(file);
    }
    if (!parked.empty() && done + 1 < total) continue;
    if (!gate.Step(done + 1, total)) {
      result.remaining = total - done - 1;
      gate.Finish(done + 1, total);
      return result;
    }
  }
  gate.Finish(total, total);
  return result;
}

}  // namespace

UndoResult UndoMoves(const std::vector<Move>& moves, RenameList& list, const Progress& progress) {
  return Replay(moves, list, progress, false);
}

UndoResult RedoMoves(const std::vector<Move>& moves, RenameList& list, const Progress& progress) {
  return Replay(moves, list, progress, true);
}

std::size_t FilesMoved(const std::vector<Move>& moves) {
  std::set<std::pair<std::uint32_t, std::uint64_t>> files;
  std::size_t anonymous = 0;
  for (const Move& m : moves) {
    if (!m.id.valid()) ++anonymous;
    else files.insert({m.id.volume, m.id.index});
  }
  return files.size() + anonymous;
}

std::wstring UndoQuestion(const std::vector<Move>& moves, bool redo) {
  // Folders with their moves, in the order first met; a stable sort keeps that order among
  // equals.
  std::vector<std::pair<std::wstring_view, std::size_t>> folders;
  std::unordered_map<std::wstring_view, std::size_t> at;
  for (const Move& m : moves) {
    std::wstring_view folder = utf16::WithoutFinalDelimiter(utf16::FolderPart(m.to));
    const auto [it, first] = at.emplace(folder, folders.size());
    if (first) folders.emplace_back(folder, 0);
    ++folders[it->second].second;
  }
  std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  constexpr std::size_t kNamed = 3;
  std::wstring text = std::to_wstring(FilesMoved(moves)) +
                      (redo ? L"件の名前の変更をやり直します（フォルダ: " : L"件の名前を元に戻します（フォルダ: ");
  for (std::size_t i = 0; i < folders.size() && i < kNamed; ++i) {
    if (i > 0) text += L"、";
    text += folders[i].first;
  }
  if (folders.size() > kNamed) text += L" ほか " + std::to_wstring(folders.size() - kNamed) + L" フォルダ";
  return text + L"）。よろしいですか？";
}

std::vector<Move> UndoResult::Left(const std::vector<Move>& moves) const {
  std::vector<bool> keep(moves.size(), false);
  for (std::size_t i = 0; i < remaining && i < moves.size(); ++i) keep[forward ? moves.size() - 1 - i : i] = true;
  // Only what a second try may still do is kept: a name taken now, or the platform's refusal.
  // A line that is no move of ours, a file gone or replaced, is reported once and settled, so
  // that the next undo goes on to the run before.
  for (const UndoProblem& p : problems) {
    if (p.move < moves.size()) keep[p.move] = p.why == UndoFailure::Taken || p.why == UndoFailure::Failed;
  }
  std::vector<Move> left;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (keep[i]) left.push_back(moves[i]);
  }
  return left;
}

std::vector<Move> UndoResult::Done(const std::vector<Move>& moves) const {
  std::vector<Move> done;
  for (std::size_t i = 0; i < moves.size() && i < moved.size(); ++i) {
    if (moved[i]) done.push_back(moves[i]);
  }
  return done;
}

TakeBackReport TakeBack(Journal& journal, RenameList& list, bool redo, const std::vector<Move>& asked,
                        const Progress& progress) {
  TakeBackReport report;
  const std::vector<Move> now = redo ? journal.RedoMoves() : journal.Moves();
  const auto same = [](const Move& a, const Move& b) { return a.from == b.from && a.to == b.to && a.id == b.id; };
  if (!std::equal(asked.begin(), asked.end(), now.begin(), now.end(), same)) {
    report.changed = true;
    return report;
  }
  report.result = redo ? RedoMoves(asked, list, progress) : UndoMoves(asked, list, progress);
  // A stopped or partly failed undo (redo) keeps the moves it did not take back (make again)
  // for a second one to go on with.
  report.left = report.result.Left(asked);
  if (redo) {
    journal.Redone(report.left, report.result.Done(asked));
  } else {
    journal.Undone(report.left, report.result.Done(asked));
  }
  return report;
}

}  // namespace disk
