#include "disk/ChangeExtension.h"

#include "disk/DiskState.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"

namespace disk {

namespace {

// The run's own plan and refusals, on the selected files' names as the command makes them.
ExtensionReport RunOnSelected(rules::RenameList& list, DiskState& disk, const std::wstring* extension,
                              RunKind kind, const Progress& progress, Journal* journal, const Mover& mover) {
  ExtensionReport out;
  MoveContext moves(journal, kind, &disk, &disk, mover);
  const RenamePlan plan(list, disk, nullptr, extension, !extension);
  ExecuteOptions options;
  options.progress = progress;
  options.markRefused = true;
  options.disk = &disk;
  Execute(plan, list, moves, options, out);
  return out;
}

}  // namespace

ExtensionReport ChangeExtensions(rules::RenameList& list, const std::wstring& extension, DiskState& disk,
                                 const Progress& progress, Journal* journal, const Mover& mover) {
  return RunOnSelected(list, disk, &extension, RunKind::Extension, progress, journal, mover);
}

ExtensionReport ComposeNames(rules::RenameList& list, DiskState& disk, const Progress& progress, Journal* journal,
                             const Mover& mover) {
  return RunOnSelected(list, disk, nullptr, RunKind::Rename, progress, journal, mover);
}

}  // namespace disk
