// Taking a run back (its moves undone, the last one first) and making it again (forward).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/Journal.h"
#include "disk/Progress.h"

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

// Why a move could not be taken back.
enum class UndoFailure : std::uint8_t {
  NotOurs,    // the line is no move of the program's (no identity, not a full path, two folders)
  Gone,       // no file at its new path any more
  OtherFile,  // the file at its new path is not the one that was moved there
  Taken,      // its old name is taken
  Link,       // a link to a file of another folder
  Failed,     // the platform refused the move (error says why)
};

struct UndoProblem {
  std::size_t move = 0;  // index into the moves
  UndoFailure why = UndoFailure::Failed;
  std::uint32_t error = 0;
};

struct UndoResult {
  std::size_t restored = 0;   // files moved (back to their old names, or again to the new), each once
  std::size_t failed = 0;     // moves that could not be taken back (or made again)
  // The moves not reached when progress asked to stop: the first ones of an undo, the last
  // ones of a redo.
  std::size_t remaining = 0;
  bool forward = false;       // a redo's result
  std::vector<UndoProblem> problems;  // each failed move, in the order they were met
  std::vector<bool> moved;    // per move: its file was moved
  // What the journal keeps for a second try: the moves not reached and those that failed
  // (but lines that are no moves of ours), in the order they were made.
  std::vector<Move> Left(const std::vector<Move>& moves) const;
  // The moves whose files were moved, in the order they were made.
  std::vector<Move> Done(const std::vector<Move>& moves) const;
};

// How many files the moves move: a file of a cycle or of a change of case moves twice, and a
// move with no identity counts as a file of its own.
std::size_t FilesMoved(const std::vector<Move>& moves);

// What the undo (redo) asks before it moves anything: how many files, and every folder it
// touches, the one with the most moves first, up to three, then how many more:
// "N件の名前を元に戻します（フォルダ: C:\a、C:\b ほか 2 フォルダ）。よろしいですか？"
std::wstring UndoQuestion(const std::vector<Move>& moves, bool redo);

// Each move (from, to), last first: the file at `to` goes back to `from` through MoveContext::Move,
// link check included, and only when it is the very file the move recorded (its identity); a
// folder moves the same way, before the files inside it that moved before it, and the rows
// inside a folder that moved follow it at the end. Each
// folder is listed once: a move whose file is no longer at `to`, or whose
// old name is taken, is left alone and counted as failed, except where a file is at `from` and
// none at `to`: that move never happened (a run killed before it, a move that failed) or was
// taken back already, and is skipped without a word. Rows of the list at a path that moves back
// take their old file names; sorting is off meanwhile. The two moves of a change of letter
// case are never parted by a stop.
UndoResult UndoMoves(const std::vector<Move>& moves, rules::RenameList& list, const Progress& progress = {});
// The moves of a run taken back, made again in their order with the same guards (the file at
// `from` moves to `to` only when it is the very file the move recorded); a move whose file is
// at `to` already and none at `from` is skipped without a word.
UndoResult RedoMoves(const std::vector<Move>& moves, rules::RenameList& list, const Progress& progress = {});

// What a take-back (an undo or a redo of the journal's run) did.
struct TakeBackReport {
  // The journal no longer holds the moves the user was asked about (another window took the
  // run back, or made one, meanwhile): nothing moved.
  bool changed = false;
  UndoResult result;
  std::vector<Move> left;  // what the journal keeps for a second try
};

// The undo (redo) of the run whose moves the user was asked about, under the caller's hold of
// the journal: the journal's moves are read again and must be those asked about, then they
// are taken back (made again) and the journal records what moved and what is left. An
// exception from inside stops it before the journal records anything: a second one skips
// what already moved.
TakeBackReport TakeBack(Journal& journal, rules::RenameList& list, bool redo, const std::vector<Move>& asked,
                        const Progress& progress = {});

}  // namespace disk
