// A tab page of the main window: a panel over the tab control that owns its controls,
// handles their commands and makes the preview of its rule. The frame talks to the active
// page only through this interface; a page asks the frame for what it needs through
// PageHost.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "rules/RenameList.h"
#include "settings/Settings.h"
#include "win/ControlSet.h"
#include "win/Panel.h"

class TfrmDialog;

// The pages in tab order; the order is the RenameMode the settings file stores.
enum class PageId : int { Number, Replace, Add, Date, Case, Width, Option };
inline constexpr int kPageCount = 7;

// What a page may ask of the main window.
class PageHost {
 public:
  // A rule input changed (ChangeItem) or an up-down arrow was pressed (UpDownClick): the
  // preview follows after the countdown.
  virtual void ChangeItem() = 0;
  virtual void UpDownClick() = 0;
  virtual win::ControlSet& Controls() = 0;
  virtual int HistoryLength() const = 0;
  // Whether replace results are trimmed (an option of the settings page).
  virtual bool TrimResults() const = 0;
  // The rows the next run leaves whatever their new names, as the disk tells now.
  virtual std::vector<bool> RowsThatStay() = 0;
  // The settings page's commands that reach every page or the frame.
  virtual void TrimHistories() = 0;
  virtual void ClearHistories() = 0;
  virtual void KeyOptionsChanged() = 0;
  // Opens the filter dialog over the frame's filter lists.
  virtual void OpenFilter() = 0;
  // Runs a dialog modally (tests drive the dialog instead).
  virtual void RunModal(TfrmDialog& dialog) = 0;

 protected:
  ~PageHost() = default;
};

class Page : public win::Panel {
 public:
  explicit Page(PageHost& host) : host_(host) {}

  // Creates the page's panel, hidden, over the frame, and its controls.
  virtual bool Build(HWND frame) = 0;
  // Writes every row's new name; the settings page has no rule and leaves the names.
  virtual void MakePreview(rules::RenameList&) {}
  // What the count label adds when the last preview's rule could not be applied at all (its
  // rows keep their names and the run renames nothing), such as "正規表現エラー"; null for none.
  virtual const wchar_t* RuleError() const { return nullptr; }
  // Why, in a sentence for the count label's tooltip; "" when the rule applied.
  virtual std::wstring RuleErrorDetail() const { return {}; }
  // After a rename run on this page: histories, the preset order.
  virtual void AfterRename() {}
  // After an intake: empty inputs take the first row's base name.
  virtual void AfterIntake(const rules::RenameList&) {}
  // The input that takes the focus when the page is chosen, and the one that the list's
  // copy commands write to; null for none.
  virtual HWND MainInput() const { return nullptr; }
  virtual HWND InputTarget() const { return nullptr; }
  virtual void TrimHistory(int) {}
  virtual void ClearHistory() {}
  virtual void Load(const settings::Settings& s) = 0;
  virtual void Store(settings::Settings& s) const = 0;
  // The page was shown or hidden.
  virtual void Showing(bool) {}
  virtual void SetDpi(UINT) {}

 protected:
  bool CreatePanel(HWND frame) { return Create(frame, nullptr, false); }
  PageHost& host_;
};
