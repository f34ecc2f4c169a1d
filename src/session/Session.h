// The work behind the main window, without the window: the rename list, what the disk holds
// for it, the journal of the runs and what the last intake left out, with one call per thing
// the user does. Each call gives a plain report; the window turns it into words and marks.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk/ChangeExtension.h"
#include "disk/DiskState.h"
#include "disk/Journal.h"
#include "disk/Progress.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"
#include "disk/Undo.h"
#include "intake/Intake.h"
#include "rules/RenameList.h"

namespace session {

// What stopped a call from inside: the exception's text, empty for one that has none.
using Failure = std::optional<std::string>;

// What the check of the rows found: the rows the next run would leave as they are, and those
// of them refused because another row wants the same name.
struct Marks {
  std::size_t refused = 0, duplicates = 0;
};

struct IntakeReport {
  bool stopped = false;  // asked to stop before every path was taken in
  Failure failure;       // what is left out is in Session::skipped()
};

struct RunReport {
  std::size_t rows = 0;     // rows before the run
  std::size_t renamed = 0;  // files that got their new names
  bool stopped = false;     // asked to stop before every row was tried
  Failure failure;
  Marks marks;  // the rows a second run would leave: those the disk refused
};

struct ExtensionReport {
  disk::ExtensionReport changes;  // none counted when a failure cut it off
  Failure failure;
};

struct TakeBackReport {
  disk::TakeBackReport moves;
  std::vector<disk::Move> asked;  // the moves taken back (made again), as the journal held them
  Failure failure;
};

class Session {
 public:
  // journalFile: where the runs are recorded; kept in memory only when empty.
  explicit Session(std::wstring journalFile = {});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  rules::RenameList& list() { return list_; }
  const rules::RenameList& list() const { return list_; }
  // What the last intake left out.
  const intake::IntakeSkips& skipped() const { return skipped_; }
  // The clean-up's renames were told until a change: told no more.
  void ForgetCleanUp() { skipped_.cleaned = 0; }
  // What the last check marked; none while no rule judges the rows.
  const Marks& marks() const { return marks_; }
  // How the runs move a file; empty (the default) is the file's own move. Tests hand one
  // that fails where the platform can't be made to.
  void SetMover(disk::Mover mover) { mover_ = std::move(mover); }

  // The journal, held for this window's moves; `wait` is called while another window holds
  // it, and false from it gives up (null).
  using Wait = std::function<bool()>;
  std::unique_ptr<disk::Journal::Hold> Hold(const Wait& wait = {});
  // Takes in what a crash left beside the journal, unless another window holds it.
  void AdoptJournal();
  bool CanUndo() { return journal_.Available(); }
  bool CanRedo() { return journal_.CanRedo(); }
  // The moves an undo (redo) would make, for the question before it; none when unreadable.
  std::vector<disk::Move> JournalMoves(bool redo) { return redo ? journal_.RedoMoves() : journal_.Moves(); }
  // The journal's troubles, each once: where a damaged journal was put aside, and why it is
  // kept in memory only.
  std::wstring TakeJournalSetAside() { return journal_.TakeSetAside(); }
  std::wstring TakeJournalProblem() { return journal_.TakeProblem(); }
  // Whether an intake with these options moves files, and so needs the journal held.
  static bool IntakeMoves(const intake::IntakeOptions& options);

  // Takes the paths into the list (folders expanded as the options say); a failure keeps the
  // rows taken so far.
  IntakeReport TakeIn(const std::vector<std::wstring>& paths, intake::IntakeOptions options,
                      const disk::Progress& progress = {});
  // Every row's new name anew: `makeNames` (the active page's rule, none for no rule) writes
  // them, duplicates are numbered where asked, and the rows are checked.
  Marks Preview(const std::function<void(rules::RenameList&)>& makeNames, bool dedupe);
  // The rows checked again with the names they have; with no rule none is marked.
  Marks Check(bool rule);
  // For the rule, while it makes the names: the rows the run leaves whatever their names.
  std::vector<bool> RowsThatStay();
  // The rename run, under the caller's hold of the journal, then the check of what is left.
  RunReport Rename(bool clearItems, bool rule, const disk::Progress& progress = {});
  // The selected files' extension, under the caller's hold, then the check.
  ExtensionReport ChangeExtension(std::wstring_view extension, bool rule, const disk::Progress& progress = {});
  // 濁点・半濁点を結合: the selected files' names composed on disk, as one run.
  ExtensionReport Compose(bool rule, const disk::Progress& progress = {});
  // The undo (redo) of the moves the user was asked about, under the caller's hold.
  TakeBackReport TakeBack(bool redo, std::vector<disk::Move> asked, const disk::Progress& progress = {});
  // The selected rows leave the list; false when none was selected.
  bool RemoveSelected();
  // No rows, no folders known, nothing left out.
  void Clear();

 private:
  Marks CheckWith(bool rule, const disk::RowFiles* files);
  // A list command over the selected files, its failure caught, then the check.
  template <typename Command>
  ExtensionReport OnSelected(bool rule, Command&& command);

  rules::RenameList list_;
  disk::DiskState disk_;  // the folders of the rows, as listed
  std::optional<disk::RowFiles> files_;  // the rows' files, while a preview judged them
  disk::Journal journal_;
  disk::Mover mover_;
  intake::IntakeSkips skipped_;
  Marks marks_;
};

}  // namespace session
