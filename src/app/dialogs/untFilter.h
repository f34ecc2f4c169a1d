// TfrmFilter: the editor of the filter lists. Both strings show as one list, names first,
// then extensions; OK sorts each row into its string by its first character. Files dropped
// on the dialog add their names.
#pragma once

#include <string>

#include "app/dialogs/untDialog.h"

class TfrmFilter : public TfrmDialog {
 public:
  TfrmFilter(std::wstring& filterNames, std::wstring& filterExts);

  void FormShow() override;
  void actOKClickExecute() override;

 protected:
  void SetUpList() override;
  void OnDropFiles(HDROP drop) override;

 private:
  std::wstring& names_;
  std::wstring& exts_;
};
