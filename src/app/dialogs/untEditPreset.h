// TfrmEditPreset: the editor of the date-format presets. Each row is a pattern and its
// preview, made when the row was made or changed; the label shows the input rendered live.
// OK replaces the presets with the rows and says which one the page is to use; anything else
// leaves them as they were. The dialog is resizable, and its columns always fit the list's
// width, the preview whole where it can be.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/untDialog.h"
#include "rules/DatePattern.h"

class TfrmEditPreset : public TfrmDialog {
 public:
  // chosen: the index of the preset in use, or -1; its row is selected when the dialog shows.
  explicit TfrmEditPreset(std::vector<std::wstring>& dateFormats, int chosen = -1);

  void FormShow() override;
  void edtInputChange() override;
  void lstItemsSelectItem(int item, bool selected) override;
  void actAddItemExecute() override;
  void actEditItemExecute() override;
  void actOKClickExecute() override;
  // After OK: the preset to use, an index into the new presets (-1 when there are none): the
  // selected row, else the row of the pattern that was in use, else the first.
  int chosen() const { return chosen_; }

 protected:
  void SetUpList() override;
  void FitList() override;

 private:
  void SetRow(int row, const std::wstring& pattern);
  // Selects this row alone and scrolls it into sight.
  void SelectOnly(int row);
  std::wstring Render(const std::wstring& pattern) const;
  std::vector<std::wstring>& dateFormats_;
  int chosen_;
  std::optional<std::wstring> chosenPattern_;  // the pattern in use when the dialog was made
  // The regional settings, read once when the dialog is made.
  rules::DateLocale locale_;
};
