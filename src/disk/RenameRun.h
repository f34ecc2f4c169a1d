// The rename run: a plan carried out through one MoveContext, for the rename run itself and
// for 拡張子変更 alike.
#pragma once

#include <cstddef>

#include "disk/MoveEngine.h"
#include "disk/Progress.h"

namespace rules {
class RenameList;
}  // namespace rules

namespace disk {

class DiskState;
class Journal;
class RenamePlan;

// What a run did: rows whose files now bear their new names, rows whose move the platform
// refused, rows the plan refused (each kept where it is), and whether it stopped early.
struct RunReport {
  std::size_t renamed = 0, failed = 0, refused = 0;
  bool stopped = false;
};

struct ExecuteOptions {
  Progress progress;
  bool clearItems = false;   // a renamed row leaves the list
  bool markRefused = false;  // each row the plan refused is marked with why
  DiskState* disk = nullptr;  // links met are noted there, for the next checks
};

// Carries out the plan made over `list`: each row the plan moves gets its target name, in
// the plan's order: chains from their free ends, and each cycle of rows trading names through
// one temporary name of the folder; rows of deeper folders go first, so every row inside a
// folder moves before the folder does. A folder row's folder moves as a whole, and at the end
// every row whose folder lies inside a renamed one (in the run or not, refused or not) takes
// its new path, its root kept on the same folder. A renamed row leaves the list with
// clearItems, else it takes its new file name; a refused or failed row stays as it was, and
// so do the rows that waited for it. Sorting is off during the run and re-sorts once at its
// end, also when it stops early or throws. Progress counts the rows; when it asks to stop,
// the rows not yet tried stay as they are, and a cycle begun is finished first, so that no
// file keeps a temporary name. A row whose move the platform refused keeps its failure
// (RenameList::SetFailure) until the next preview. `report` is counted as the run goes, so an
// exception inside leaves what happened so far.
void Execute(const RenamePlan& plan, rules::RenameList& list, MoveContext& moves, const ExecuteOptions& options,
             RunReport& report);

// The rename run over the whole list: its plan over `disk` (the listings the preview's check
// used; a state of its own when none is given), carried out with the journal's run, if any.
// The listings are read again when next needed. True when every row was tried.
bool RenameRows(rules::RenameList& list, bool clearItems, const Progress& progress = {}, DiskState* disk = nullptr,
                Journal* journal = nullptr, RunReport* report = nullptr, const Mover& mover = {});

}  // namespace disk
