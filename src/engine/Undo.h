// Taking the last run back: the journal's moves undone, the last one first.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/Journal.h"
#include "engine/Progress.h"

class RenameList;

struct UndoResult {
  std::size_t restored = 0;  // files moved back to their old names
  std::size_t failed = 0;    // moves that could not be taken back
  std::size_t remaining = 0;  // the first moves, not yet taken back when progress asked to stop
};

// Each move (from, to), last first: the file at `to` goes back to `from` through GuardedMove.
// Each folder is listed once: a move whose file is no longer at `to` (or is a folder now), or
// whose old name is taken, is left alone and counted as failed, except where the file
// is at `from` and not at `to`: that move never happened (a run killed before it, a move that
// failed) or was taken back already, and is skipped without a word. Rows of the list at a
// path that moves back take their old file names; sorting is off meanwhile. The two moves of
// a change of letter case are never parted by a stop.
UndoResult UndoMoves(const std::vector<Move>& moves, RenameList& list, const Progress& progress = {});
