// The date rule: a text and a date joined by "_", the date rendered with a preset.
#pragma once

#include <functional>
#include <string>

#include "engine/DatePattern.h"
#include "engine/RenameList.h"
#include "engine/untFileUtils.h"

enum class DateKind { Today, Created, Modified };

struct DateInputs {
  std::string text;       // used as it stands; empty: each row's own base name
  bool hasDate = false;   // false: the date text is empty (no preset chosen, or it shows as nothing)
  std::string pattern;    // the chosen preset
  DateKind kind = DateKind::Today;
  bool head = false;      // date + "_" + text
  bool tail = true;       // text + "_" + date; neither down: the row keeps its new name
};

// Where the dates come from: the clock for Today (read anew for each row), the file's times
// otherwise. Tests put in their own.
struct DateSources {
  std::function<DateTime()> now = NowDateTime;
  std::function<DateTime(std::string_view path, FileTimeKind kind)> fileDate = GetFileDate;
};

void PreviewDate(RenameList& list, const DateInputs& in, const DateLocale& locale,
                 const DateSources& sources = DateSources{});
