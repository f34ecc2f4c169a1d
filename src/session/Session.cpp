#include "session/Session.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "disk/ShotDateCache.h"
#include "os/Collate.h"

using rules::Refusal;
using rules::RenameEntry;

namespace session {

namespace {

// Runs the work; what stops it from inside is caught and told, never let through to the
// window's message loop: what it did so far stays done.
template <typename Work>
Failure Attempt(Work&& work) {
  try {
    work();
    return std::nullopt;
  } catch (const std::exception& e) {
    return std::string(e.what());
  } catch (...) {
    return std::string();
  }
}

}  // namespace

Session::Session(std::wstring journalFile) : journal_(std::move(journalFile)) {
  list_.SetSortHelpers({os::LogicalCompare, disk::ShotOrderKey, os::SortKey});
}

std::unique_ptr<disk::Journal::Hold> Session::Hold(const Wait& wait) {
  auto hold = std::make_unique<disk::Journal::Hold>(journal_, wait);
  if (!hold->ok()) hold.reset();
  return hold;
}

void Session::AdoptJournal() {
  if (journal_.Take()) journal_.Release();
}

bool Session::IntakeMoves(const intake::IntakeOptions& options) {
  return options.cleanUp.Any();
}

IntakeReport Session::TakeIn(const std::vector<std::wstring>& paths, intake::IntakeOptions options,
                             const disk::Progress& progress) {
  options.journal = &journal_;
  IntakeReport report;
  report.failure =
      Attempt([&] { report.stopped = !intake::AddFiles(list_, paths, options, progress, &disk_, &skipped_); });
  return report;
}

Marks Session::Preview(const std::function<void(rules::RenameList&)>& makeNames, bool dedupe) {
  list_.ClearMarks();
  list_.ClearFailures();
  files_.reset();
  if (makeNames) makeNames(list_);
  // What the rule asked of the files holds until the marks: nothing is listed or moved meanwhile.
  const disk::RowFiles* files = files_ ? &*files_ : nullptr;
  // Numbered after the rule, before the marks: the list shows the names that will land.
  if (makeNames && dedupe) disk::NumberDuplicates(list_, disk_, files);
  const Marks marks = CheckWith(static_cast<bool>(makeNames), files);
  files_.reset();
  return marks;
}

Marks Session::Check(bool rule) { return CheckWith(rule, nullptr); }

Marks Session::CheckWith(bool rule, const disk::RowFiles* files) {
  marks_ = {};
  if (rule) {
    marks_.refused = disk::CheckRows(list_, disk_, files);
    if (marks_.refused > 0) {
      marks_.duplicates = static_cast<std::size_t>(std::count_if(
          list_.begin(), list_.end(), [](const RenameEntry& row) { return row.refusal == Refusal::Duplicate; }));
    }
  } else {
    // No rule, nothing to judge: no row is marked.
    for (RenameEntry& row : list_) {
      if (row.refusal != Refusal::None) row.refusal = Refusal::None;
    }
  }
  // A folder listed again for the check tells its rows' sizes and times anew.
  disk_.RefreshRows(list_);
  return marks_;
}

std::vector<bool> Session::RowsThatStay() {
  files_ = disk::JudgeFiles(list_, disk_);
  return files_->Stays();
}

RunReport Session::Rename(bool clearItems, bool rule, const disk::Progress& progress) {
  RunReport report;
  report.rows = list_.size();
  disk::RunReport moved;
  report.failure = Attempt([&] {
    report.stopped = !disk::RenameRows(list_, clearItems, progress, &disk_, &journal_, &moved, mover_);
  });
  report.renamed = moved.renamed;
  // The marks now tell what a second run would leave: the rows the disk refused.
  report.marks = Check(rule);
  return report;
}

ExtensionReport Session::ChangeExtension(std::wstring_view extension, bool rule, const disk::Progress& progress) {
  return OnSelected(rule, [&] {
    return disk::ChangeExtensions(list_, std::wstring(extension), disk_, progress, &journal_, mover_);
  });
}

ExtensionReport Session::Compose(bool rule, const disk::Progress& progress) {
  return OnSelected(rule, [&] { return disk::ComposeNames(list_, disk_, progress, &journal_, mover_); });
}

template <typename Command>
ExtensionReport Session::OnSelected(bool rule, Command&& command) {
  ExtensionReport report;
  report.failure = Attempt([&] { report.changes = command(); });
  if (report.failure) report.changes = {};
  Check(rule);
  return report;
}

TakeBackReport Session::TakeBack(bool redo, std::vector<disk::Move> asked, const disk::Progress& progress) {
  TakeBackReport report;
  report.asked = std::move(asked);
  report.failure = Attempt([&] { report.moves = disk::TakeBack(journal_, list_, redo, report.asked, progress); });
  // Cut off, it leaves no count; its failure says so.
  if (report.failure) report.moves = {};
  if (!report.moves.changed) disk_.Clear();
  return report;
}

bool Session::RemoveSelected() {
  // The marks of the rows that go leave the count with them.
  for (const RenameEntry& row : list_) {
    if (!row.selected || row.refusal == Refusal::None) continue;
    if (marks_.refused > 0) --marks_.refused;
    if (row.refusal == Refusal::Duplicate && marks_.duplicates > 0) --marks_.duplicates;
  }
  const std::size_t before = list_.size();
  list_.RemoveSelected();
  return list_.size() != before;
}

void Session::Clear() {
  list_.Clear();
  disk_.Clear();
  skipped_ = {};
  marks_ = {};
}

}  // namespace session
