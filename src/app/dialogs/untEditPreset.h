// TfrmEditPreset: the editor of the date-format presets. Each row is a pattern and its
// preview, made when the row was made or changed; the label shows the input rendered live.
// OK replaces the presets with the rows; anything else leaves them as they were.
#pragma once

#include <string>
#include <vector>

#include "app/dialogs/untDialog.h"
#include "engine/DatePattern.h"

class TfrmEditPreset : public TfrmDialog {
 public:
  explicit TfrmEditPreset(std::vector<std::string>& dateFormats);

  void FormShow() override;
  void edtInputChange() override;
  void lstItemsSelectItem(int item, bool selected) override;
  void actAddItemExecute() override;
  void actEditItemExecute() override;
  void actOKClickExecute() override;

 protected:
  void SetUpList() override;

 private:
  void SetRow(int row, const std::string& pattern);
  std::string Render(const std::string& pattern) const;
  std::vector<std::string>& dateFormats_;
  // The regional settings, read once when the dialog is made.
  DateLocale locale_;
};
