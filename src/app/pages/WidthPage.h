// Page 全半: half-width/full-width per group of characters, and full-width katakana.
#pragma once

#include <array>

#include "app/pages/Page.h"
#include "win/RadioGroup.h"

class WidthPage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(rules::RenameList& list) override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;

  // The three buttons that set every group to their item (無視 0, 半角 1, 全角 2); only the
  // groups that change raise their click.
  void btnINWClick(HWND button);

  win::RadioGroup rgWord, rgNum, rgKakko, rgSpace, rgSymbol;
  HWND btnKana = nullptr, btnIgnore = nullptr, btnNarrow = nullptr, btnWide = nullptr;

 protected:
  void OnCommand(int id, int code, HWND from) override;

 private:
  std::array<win::RadioGroup*, 5> Groups() { return {&rgWord, &rgNum, &rgKakko, &rgSpace, &rgSymbol}; }
};
