// Page 置換: every occurrence of the search text becomes the replacement; with 正規表現
// checked the search text is a regular expression.
#pragma once

#include "app/pages/Page.h"
#include "rules/RegexRule.h"

class ReplacePage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void MakePreview(rules::RenameList& list) override;
  const wchar_t* RuleError() const override {
    return regexError_ != rules::RegexError::None ? L"正規表現エラー" : nullptr;
  }
  std::wstring RuleErrorDetail() const override;
  void AfterRename() override;
  void AfterIntake(const rules::RenameList& list) override;
  HWND MainInput() const override { return cmbOldValue; }
  HWND InputTarget() const override { return cmbNewValue; }
  void TrimHistory(int length) override;
  void ClearHistory() override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;

  // The user's own entry into an empty replacement box (a click or Tab) fills it with the
  // search text, selected with the caret at its end, so typing replaces it and the arrow keys
  // edit it; focus the program moves there (after a run, a copied name) leaves it as it is.
  void cmbNewValueEnter();

  HWND cmbOldValue = nullptr, cmbNewValue = nullptr, chkRegExp = nullptr;

 protected:
  void OnCommand(int id, int code, HWND from) override;

 private:
  // Why the last preview's expression could not be applied; None when it was (or no expression).
  rules::RegexError regexError_ = rules::RegexError::None;
};
