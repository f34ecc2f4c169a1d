// Page 日付: a date before or after a text; the date-format presets (DateFormats) and the
// drop-down that shows them rendered.
#pragma once

#include <string>
#include <vector>

#include "app/pages/Page.h"
#include "win/Controls.h"
#include "win/RadioGroup.h"

class DatePage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(rules::RenameList& list) override;
  void AfterRename() override;
  void AfterIntake(const rules::RenameList& list) override;
  HWND MainInput() const override { return cmbDateFormat; }
  HWND InputTarget() const override { return cmbDateAdd; }
  void ClearHistory() override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;

  // Rebuilds the drop-down from DateFormats, with nothing selected.
  void RefreshDateFormats();
  // The drop-down's context-menu request: the preset editor, then the drop-down rebuilt with
  // the preset in use selected (after OK, the one the editor names) and, after OK, the
  // preview restarted.
  void cmbDateFormatContextPopup();

  // Presets in the date pattern language, most recently used first.
  std::vector<std::wstring> DateFormats;
  HWND cmbDateAdd = nullptr, btnHead2 = nullptr, btnTail2 = nullptr, cmbDateFormat = nullptr;
  win::RadioGroup rdgDateType;
  // The drop-down's own context menu, which has no items: the request opens the editor.
  win::PopupMenu pupDummy;

 protected:
  void OnCommand(int id, int code, HWND from) override;
  bool OnContextMenu(HWND from, int x, int y) override;
};
