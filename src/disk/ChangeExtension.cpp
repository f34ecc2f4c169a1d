#include "disk/ChangeExtension.h"

#include "disk/DiskState.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"

namespace disk {

ExtensionReport ChangeExtensions(rules::RenameList& list, const std::wstring& extension, DiskState& disk,
                                 const Progress& progress, Journal* journal, const Mover& mover) {
  ExtensionReport out;
  // The run's own plan and refusals, on the selected files' names with the new extension.
  MoveContext moves(journal, RunKind::Extension, &disk, &disk, mover);
  const RenamePlan plan(list, disk, nullptr, &extension);
  ExecuteOptions options;
  options.progress = progress;
  options.markRefused = true;
  options.disk = &disk;
  Execute(plan, list, moves, options, out);
  return out;
}

}  // namespace disk
