// Page 設定: the about area on the page, and the options panel pnlConfig, which lies over
// the rename list while the page is shown.
#pragma once

#include <utility>
#include <vector>

#include "app/pages/Page.h"
#include "rules/CleanUp.h"
#include "win/Handle.h"
#include "win/NumberBox.h"

class OptionPage : public Page {
 public:
  using Page::Page;
  bool Build(HWND frame) override;
  void Load(const settings::Settings& s) override;
  void Store(settings::Settings& s) const override;
  void Showing(bool shown) override;
  void SetDpi(UINT dpi) override;

  bool ClearItems() const;
  // The clean-up the intake applies, as the check boxes say now.
  rules::CleanUpOptions CleanUp() const;
  bool DropDir() const;
  bool Trim() const;
  bool EnterToExec() const;
  bool EscToExit() const;
  bool Dedupe() const;
  // What an intake takes in: trees, folder rows, hidden and system entries.
  bool SubFolders() const;
  bool FolderItems() const;
  bool SkipHidden() const;
  int HistoryLength() const { return History.pos(); }

  void btnClearHistoryClick() { host_.ClearHistories(); }

  HWND Image1 = nullptr, lblTitle = nullptr, lblVersion = nullptr, lblAuthor = nullptr, lblWebSite = nullptr;
  HWND pnlConfig = nullptr;
  HWND chkClearItems = nullptr, chkEnterToExec = nullptr, chkEscToExit = nullptr, btnClearHistory = nullptr,
       btnFilter = nullptr, chkDropDir = nullptr, chkDedupe = nullptr, GroupBox1 = nullptr;
  HWND chkSubFolders = nullptr, chkFolderItems = nullptr, chkSkipHidden = nullptr;
  HWND chkRemSCut = nullptr, chkDelCopy = nullptr, chkTrim = nullptr, chkDel1 = nullptr, chkDel2 = nullptr,
       chkJpeg = nullptr, chkCompose = nullptr;
  win::NumberBox History;
  HWND &edtHistory = History.edit, &undHistory = History.updown;

 protected:
  void OnCommand(int id, int code, HWND from) override;
  LRESULT OnNotify(NMHDR* nm) override;

 private:
  std::vector<std::pair<HWND, bool settings::Settings::*>> CheckBoxes() const;
  win::Panel config_;
  win::unique_hfont titleFont_;
};
