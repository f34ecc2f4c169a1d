#include "app/dialogs/untEditPreset.h"

#include "win/Controls.h"

namespace {
constexpr int kHelpContext = 17;
}

TfrmEditPreset::TfrmEditPreset(std::vector<std::string>& dateFormats)
    : TfrmDialog("日付フォーマットの編集", kHelpContext), dateFormats_(dateFormats), locale_(CurrentDateLocale()) {}

// A pattern rendered with the local date and time now.
std::string TfrmEditPreset::Render(const std::string& pattern) const {
  return RenderDatePattern(pattern, NowDateTime(), locale_);
}

void TfrmEditPreset::SetUpList() {
  win::AddListColumn(lstItems, 0, "フォーマット", 80);
  win::AddListColumn(lstItems, 1, "プレビュー", 80);
}

// The preview is the pattern rendered now; it isn't refreshed while the dialog is open.
void TfrmEditPreset::SetRow(int row, const std::string& pattern) {
  items.SetText(row, 0, pattern);
  items.SetText(row, 1, Render(pattern));
  items.SizeColumnsToContent();
}

void TfrmEditPreset::FormShow() {
  for (const std::string& preset : dateFormats_) SetRow(items.Append(preset), preset);
  SetFocus(edtInput);
}

void TfrmEditPreset::edtInputChange() {
  std::string text = win::GetText(edtInput);
  win::SetText(lblResult, text.empty() ? std::string() : Render(text));
}

void TfrmEditPreset::lstItemsSelectItem(int item, bool selected) {
  TfrmDialog::lstItemsSelectItem(item, selected);
  // The input follows the selection, also when a deselection leaves other rows selected.
  // Set only when it changes: each setting renders the pattern again (select-all would render
  // every row's pattern twice).
  int row = items.FirstSelected();
  if (row >= 0) {
    std::string text = items.Text(row);
    if (win::GetText(edtInput) != text) win::SetText(edtInput, text);
  }
}

void TfrmEditPreset::actAddItemExecute() {
  // An empty pattern is a preset too (it renders as the short date and time), once.
  std::string text = win::GetText(edtInput);
  for (int i = 0; i < items.Count(); ++i) {
    if (items.Text(i) == text) return;
  }
  SetRow(items.Append(text), text);
}

void TfrmEditPreset::actEditItemExecute() {
  std::string text = win::GetText(edtInput);
  int row = items.FirstSelected();
  if (!text.empty() && row >= 0) SetRow(row, text);
}

void TfrmEditPreset::actOKClickExecute() {
  dateFormats_.clear();
  for (int i = 0; i < items.Count(); ++i) dateFormats_.push_back(items.Text(i));
  Close(Result::OK);
}
