// Page 日付: a date before or after a text; the date-format presets (DateFormats) and the
// drop-down that shows them rendered.
#pragma once

#include <string>
#include <vector>

#include "app/pages/Page.h"
#include "win/RadioGroup.h"

class DatePage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(RenameList& list) override;
  void AfterRename() override;
  void AfterIntake(const RenameList& list) override;
  HWND MainInput() const override { return cmbDateFormat; }
  HWND InputTarget() const override { return cmbDateAdd; }
  void ClearHistory() override;
  void Load(const Settings& s) override;
  void Store(Settings& s) const override;

  // Rebuilds the drop-down from DateFormats, with nothing selected.
  void RefreshDateFormats();

  // Presets in the date pattern language, most recently used first.
  std::vector<std::string> DateFormats;
  HWND cmbDateAdd = nullptr, btnHead2 = nullptr, btnTail2 = nullptr, cmbDateFormat = nullptr;
  win::RadioGroup rdgDateType;

 protected:
  void OnCommand(int id, int code, HWND from) override;
  bool OnContextMenu(HWND from, int x, int y) override;
};
