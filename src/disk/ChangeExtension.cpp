#include "disk/ChangeExtension.h"

#include "os/FileSystem.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"
#include "disk/SafeRename.h"
#include "text/sjis.h"

using rules::RenameEntry;
using rules::RenameList;

namespace disk {

ExtensionReport ChangeExtensions(RenameList& list, std::string_view extension, const Progress& progress,
                                 Journal* journal, const DiskState* disk, const Mover& mover) {
  ExtensionReport out;
  ForgetFolderPaths(disk);
  list.ClearFailures();
  ProgressGate gate(progress);
  RenameList::SortingPaused sorting(list);
  // The run ends, with its end line, also when something inside it throws.
  struct RunScope {
    Journal* journal;
    ~RunScope() {
      if (journal) journal->EndRun();
      ForgetFolderPaths();
    }
  } scope{journal};
  if (journal) journal->BeginRun(RunKind::Extension);
  std::size_t i = 0;
  for (; i < list.size(); ++i) {
    const RenameEntry& row = list[i];
    // A folder has no extension to change, whatever its name holds. A file already so named
    // is left alone and not refused (.JPG to .jpg is a change).
    std::string name;
    if (row.selected && !row.isFolder()) name = std::string(sjis::StripExtension(row.fileName)).append(extension);
    const bool asked = !name.empty() && name != row.fileName;
    const std::uint32_t attributes = asked ? fs::Attributes(row.CurrentPath()) : fs::kInvalidAttributes;
    if (attributes != fs::kInvalidAttributes && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      MoveReport report;
      if (GuardedMove(row.CurrentPath(), row.folder + name, journal, attributes, &report, nullptr, mover)) {
        list.SetFileName(i, std::move(name));
        ++out.changed;
      } else {
        ++out.failed;
        if (report.error != 0) list.SetFailure(i, report.error);
      }
    }
    if (!gate.Step(i + 1, list.size())) {
      ++i;
      break;
    }
  }
  gate.Finish(i, list.size());
  out.stopped = i < list.size();
  return out;
}

}  // namespace disk
