// Page 追加: a text before (<) or after (>) the name, optionally joined with "_".
#pragma once

#include "app/pages/Page.h"

class AddPage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(rules::RenameList& list) override;
  void AfterRename() override;
  void AfterIntake(const rules::RenameList& list) override;
  HWND MainInput() const override { return cmbAddValue; }
  HWND InputTarget() const override { return cmbAddValue; }
  void TrimHistory(int length) override;
  void ClearHistory() override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;

  HWND btnHead = nullptr, btnTail = nullptr, cmbAddValue = nullptr, chkDiv2 = nullptr;

 protected:
  void OnCommand(int id, int code, HWND from) override;
};
