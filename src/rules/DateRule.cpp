#include "rules/DateRule.h"

namespace rules {

void PreviewDate(RenameList& list, const DateInputs& in, const DateLocale& locale, const DateSources& sources) {
  list.ClearMarks();
  if (!in.head && !in.tail) return;  // every row keeps its new name
  for (std::size_t i = 0; i < list.size(); ++i) {
    RenameEntry& row = list[i];
    std::wstring date;
    if (in.hasDate) {
      DateTime value;
      switch (in.kind) {
        case DateKind::Created: value = sources.fileDate(row, ftCreation); break;
        case DateKind::Modified: value = sources.fileDate(row, ftLastWrite); break;
        case DateKind::Shot: {
          if (!sources.shotDate(row.CurrentPath(), value)) {
            value = sources.fileDate(row, ftLastWrite);
            list.SetMark(i, RuleMark::NoShotDate);
          }
          break;
        }
        default: value = sources.now(); break;  // per row: the clock may move on between rows
      }
      date = RenderDatePattern(in.pattern, value, locale);
    }
    const std::wstring_view text = in.text.empty() ? row.BaseName() : std::wstring_view(in.text);
    std::wstring name;
    if (in.head) {
      name.append(date).append(L"_").append(text);
    } else {
      name.append(text).append(L"_").append(date);
    }
    row.newName = std::move(name);
  }
}

}  // namespace rules
