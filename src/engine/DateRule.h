// The date rule: a text and a date joined by "_", the date rendered with a preset.
#pragma once

#include <functional>
#include <string>

#include "engine/DatePattern.h"
#include "engine/RenameList.h"
#include "engine/untFileUtils.h"

// Shot: the Exif date of shooting (Exif.h); without one, the last-write date, and the row is
// marked RuleMark::NoShotDate.
enum class DateKind { Today, Created, Modified, Shot };

struct DateInputs {
  std::string text;       // used as it stands; empty: each row's own base name
  bool hasDate = false;   // false: the date text is empty (no preset chosen, or it shows as nothing)
  std::string pattern;    // the chosen preset
  DateKind kind = DateKind::Today;
  bool head = false;      // date + "_" + text
  bool tail = true;       // text + "_" + date; neither down: the row keeps its new name
};

// Where the dates come from: the clock for Today (read anew for each row), the file's times
// otherwise, and the files' Exif data, through the cache, for the date of shooting. Tests put in
// their own.
struct DateSources {
  std::function<DateTime()> now = NowDateTime;
  std::function<DateTime(std::string_view path, FileTimeKind kind)> fileDate = GetFileDate;
  std::function<bool(std::string_view path, DateTime& out)> shotDate = GetShotDate;
};

// Clears the list's marks first, then marks the rows whose date of shooting was stood in for.
void PreviewDate(RenameList& list, const DateInputs& in, const DateLocale& locale,
                 const DateSources& sources = DateSources{});
