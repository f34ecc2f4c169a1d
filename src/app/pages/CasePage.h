// Page 大小: letter case of the Latin letters.
#pragma once

#include "app/pages/Page.h"
#include "win/RadioGroup.h"

class CasePage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(rules::RenameList& list) override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;

  win::RadioGroup rdgLetter;

 protected:
  void OnCommand(int id, int code, HWND from) override;
};
