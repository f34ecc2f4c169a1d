#include "app/HistoryBox.h"

#include "rules/RenameList.h"
#include "settings/History.h"
#include "win/Controls.h"

using rules::RenameList;

namespace app {

void PushHistory(HWND box, int length) {
  std::vector<std::wstring> entries = win::ComboItems(box);
  if (settings::PushHistory(entries, win::GetText(box), length)) win::SetComboItems(box, entries);
  SetFocus(box);
}

void TrimHistory(HWND box, int length) {
  std::vector<std::wstring> entries = win::ComboItems(box);
  std::size_t before = entries.size();
  settings::TrimHistory(entries, length);
  if (entries.size() != before) win::SetComboItems(box, entries);
}

void ClearHistory(HWND box) { win::SetComboItems(box, {}); }

void FillFromFirstEntry(HWND box, const RenameList& list) {
  if (list.empty() || !win::GetText(box).empty()) return;
  win::SetText(box, list[0].BaseName());
}

}  // namespace app
