#include "app/dialogs/untEditPreset.h"

#include <algorithm>

#include "disk/DateLocale.h"
#include "win/Controls.h"

using rules::RenderDatePattern;
using disk::CurrentDateLocale;
using disk::NowDateTime;

namespace {
constexpr int kHelpContext = 17;
// Its width at the start and at its smallest: the default presets and their previews side by
// side, with room for a scroll bar.
constexpr int kOpenWidth = 400;
}

TfrmEditPreset::TfrmEditPreset(std::vector<std::wstring>& dateFormats, int chosen)
    : TfrmDialog(L"日付フォーマットの編集", kHelpContext, kOpenWidth),
      dateFormats_(dateFormats),
      chosen_(chosen >= 0 && static_cast<std::size_t>(chosen) < dateFormats.size() ? chosen : -1),
      locale_(CurrentDateLocale()) {
  if (chosen_ >= 0) chosenPattern_ = dateFormats[static_cast<std::size_t>(chosen_)];
}

// A pattern rendered with the local date and time now.
std::wstring TfrmEditPreset::Render(const std::wstring& pattern) const {
  return RenderDatePattern(pattern, NowDateTime(), locale_);
}

void TfrmEditPreset::SetUpList() {
  win::AddListColumn(lstItems, 0, L"フォーマット", 80);
  win::AddListColumn(lstItems, 1, L"プレビュー", 80);
}

// The columns fill the list's width, never more unless the preview needs it: the pattern
// column gives way (down to its caption) before the preview does, and a vertical scroll bar,
// shown or about to be, is left its room.
void TfrmEditPreset::FitList() {
  if (!lstItems) return;
  items.SizeColumnsToContent();
  RECT client;
  GetClientRect(lstItems, &client);
  int room = client.right;
  const bool barShown = GetWindowLongPtrW(lstItems, GWL_STYLE) & WS_VSCROLL;
  if (!barShown && items.Count() > static_cast<int>(SendMessageW(lstItems, LVM_GETCOUNTPERPAGE, 0, 0)))
    room -= GetSystemMetrics(SM_CXVSCROLL);
  int pattern = static_cast<int>(SendMessageW(lstItems, LVM_GETCOLUMNWIDTH, 0, 0));
  const int preview = static_cast<int>(SendMessageW(lstItems, LVM_GETCOLUMNWIDTH, 1, 0));
  if (pattern + preview > room) pattern = std::max(win::CaptionWidth(lstItems, 0) + 16, room - preview);
  SendMessageW(lstItems, LVM_SETCOLUMNWIDTH, 0, pattern);
  SendMessageW(lstItems, LVM_SETCOLUMNWIDTH, 1, std::max(preview, room - pattern));
}

// The preview is the pattern rendered now; it isn't refreshed while the dialog is open.
void TfrmEditPreset::SetRow(int row, const std::wstring& pattern) {
  items.SetText(row, 0, pattern);
  items.SetText(row, 1, Render(pattern));
  FitList();
}

void TfrmEditPreset::SelectOnly(int row) {
  for (int other : items.Selected()) {
    if (other != row) items.Select(other, false);
  }
  items.Select(row, true);
  SendMessageW(lstItems, LVM_ENSUREVISIBLE, row, FALSE);
}

void TfrmEditPreset::FormShow() {
  for (const std::wstring& preset : dateFormats_) SetRow(items.Append(preset), preset);
  if (chosen_ >= 0 && chosen_ < items.Count()) SelectOnly(chosen_);
  SetFocus(edtInput);
}

void TfrmEditPreset::edtInputChange() {
  std::wstring text = win::GetText(edtInput);
  win::SetText(lblResult, text.empty() ? std::wstring() : Render(text));
}

void TfrmEditPreset::lstItemsSelectItem(int item, bool selected) {
  TfrmDialog::lstItemsSelectItem(item, selected);
  // The input follows the selection, also when a deselection leaves other rows selected.
  // Set only when it changes: each setting renders the pattern again (select-all would render
  // every row's pattern twice).
  int row = items.FirstSelected();
  if (row >= 0) {
    std::wstring text = items.Text(row);
    if (win::GetText(edtInput) != text) win::SetText(edtInput, text);
  }
}

void TfrmEditPreset::actAddItemExecute() {
  // An empty pattern is a preset too (it renders as the short date and time), once. The row
  // of the pattern, new or not, is selected: OK then puts it to use.
  std::wstring text = win::GetText(edtInput);
  int row = 0;
  while (row < items.Count() && items.Text(row) != text) ++row;
  if (row == items.Count()) SetRow(items.Append(text), text);
  SelectOnly(row);
}

void TfrmEditPreset::actEditItemExecute() {
  std::wstring text = win::GetText(edtInput);
  int row = items.FirstSelected();
  if (!text.empty() && row >= 0) SetRow(row, text);
}

void TfrmEditPreset::actOKClickExecute() {
  dateFormats_.clear();
  for (int i = 0; i < items.Count(); ++i) dateFormats_.push_back(items.Text(i));
  chosen_ = items.FirstSelected();
  if (chosen_ < 0 && !dateFormats_.empty()) {
    auto kept = chosenPattern_ ? std::find(dateFormats_.begin(), dateFormats_.end(), *chosenPattern_)
                               : dateFormats_.end();
    chosen_ = kept != dateFormats_.end() ? static_cast<int>(kept - dateFormats_.begin()) : 0;
  }
  Close(Result::OK);
}
