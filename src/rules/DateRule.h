// The date rule: a text and a date joined by "_", the date rendered with a preset.
#pragma once

#include <functional>
#include <string>

#include "rules/DatePattern.h"
#include "rules/RenameList.h"

namespace rules {

// Shot: the Exif date of shooting (Exif.h); without one, the last-write date, and the row is
// marked RuleMark::NoShotDate.
// Which of a file's times.
enum FileTimeKind : unsigned char { ftCreation = 0, ftLastWrite = 1, ftLastAccess = 2 };

enum class DateKind { Today, Created, Modified, Shot };

struct DateInputs {
  std::wstring text;       // used as it stands; empty: each row's own base name
  bool hasDate = false;   // false: the date text is empty (no preset chosen, or it shows as nothing)
  std::wstring pattern;    // the chosen preset
  DateKind kind = DateKind::Today;
  bool head = false;      // date + "_" + text
  bool tail = true;       // text + "_" + date; neither down: the row keeps its new name
};

// Where the dates come from: the clock for Today (read anew for each row), the file's times
// otherwise, and the files' Exif data for the date of shooting. The caller hands them in (the
// disk's own: DiskDateSources); the rule itself asks nothing.
struct DateSources {
  std::function<DateTime()> now;
  // The row's time as its listing told it (no file-system call per row in a preview).
  std::function<DateTime(const RenameEntry& row, FileTimeKind kind)> fileDate;
  std::function<bool(std::wstring_view path, DateTime& out)> shotDate;
};

// Clears the list's marks first, then marks the rows whose date of shooting was stood in for.
void PreviewDate(RenameList& list, const DateInputs& in, const DateLocale& locale,
                 const DateSources& sources);

}  // namespace rules
