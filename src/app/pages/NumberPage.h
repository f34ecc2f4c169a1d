// Page 連番: base text, start, step, digit count and the "_" divider; the name analysis fills
// these from a row's name.
#pragma once

#include <string_view>

#include "app/pages/Page.h"
#include "win/NumberBox.h"

class NumberPage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(rules::RenameList& list) override;
  void AfterRename() override;
  void AfterIntake(const rules::RenameList& list) override;
  HWND MainInput() const override { return cmbBasName; }
  HWND InputTarget() const override { return cmbBasName; }
  void TrimHistory(int length) override;
  void ClearHistory() override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;

  // The name analysis: base text, divider, start and digit count from a base name.
  void Analyze(std::wstring_view baseName);

  HWND cmbBasName = nullptr, chkDivider = nullptr;
  win::NumberBox Start, Step, Column;
  HWND &edtStart = Start.edit, &undStart = Start.updown, &edtStep = Step.edit, &undStep = Step.updown,
       &edtColumn = Column.edit, &undColumn = Column.updown;

 protected:
  void OnCommand(int id, int code, HWND from) override;
  LRESULT OnNotify(NMHDR* nm) override;
};
