// TfrmRen: the main window. It owns the rename list, every rule and option control, the
// date-format presets and the preview timer; the rules themselves are plain functions of the
// engine that the Preview* operations feed with what the controls hold.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include <map>
#include <memory>

#include "engine/RenameList.h"
#include "win/Controls.h"
#include "win/Handle.h"
#include "win/Panel.h"
#include "win/Window.h"

// A group box with radio items, like a radio group of other frameworks: one item index,
// -1 for none, whose change from code raises the same click as a click by the user.
struct RadioGroup {
  HWND box = nullptr;
  std::vector<HWND> items;
  int index = -1;
};

// An edit box with its up-down. The position is the up-down's own number: taken from the
// box's digits when they form a number within range, otherwise the last position stays.
struct NumberBox {
  HWND edit = nullptr;
  HWND updown = nullptr;
  int min = 0, max = 0, pos = 0;
};

class TfrmRen : public win::Window {
 public:
  struct Options {
    std::vector<std::string> args;  // command-line paths, CP932
    bool quitOnClose = true;        // post WM_QUIT when the window is destroyed
    // Apply the first-start values (page 0, two digits, the default presets, ...) that the
    // settings file gives when it holds nothing; off, the controls keep their own defaults.
    bool applyStartDefaults = true;
    // Run Timer1 from the message loop; tests call Timer1Timer themselves instead.
    bool runTimer = true;
  };

  explicit TfrmRen(Options options);
  ~TfrmRen() override;

  bool Create();
  // Shows the window; the first showing takes in the command-line paths.
  void Show(int cmdShow = SW_SHOWNORMAL);
  // Keyboard handling that sees every key before the focused control. The message loop
  // calls it first; true means the message was consumed.
  bool PreTranslate(MSG& msg);
  bool closed() const { return closed_; }

  // The model and pipeline state.
  RenameList& list() { return list_; }
  int PreviewCountdown = 0;
  int previewRuns = 0;  // how often UpdatePreview ran, for the window's own checks
  std::vector<std::string> DateFormats;
  int RenameMode() const;

  // Operations and handlers.
  void ChangeItem();
  void UpDownClick();
  void Timer1Timer();
  void UpdatePreview();
  void UpdateCount();
  void PageControlChange();
  void SelectPage(int index);  // what a click on a tab does
  void AddFiles(const std::vector<std::string>& paths);
  void FormShow();
  void btnRenameClick();
  void ExecuteRename() { btnRenameClick(); }
  void btnClearClick();
  void btnCloseClick();
  void PushHistory(HWND box);
  void TrimHistory(HWND box);
  void undHistoryClick();
  void btnClearHistoryClick();
  void FillFromFirstEntry(HWND box);
  void RefreshDateFormats();
  void pupMainPopup();  // enables the menu's items for the active page
  void mnuAnalyzeClick();
  void mnuSelectAllClick();
  void mnuDeleteClick();
  void mnuCopyClick();
  void mnuFolderClick();
  void SendToInput(const std::string& text);
  void cmbNewValueEnter();
  void btnINWClick(HWND button);
  void chkEnterToExecClick();
  void chkEscToExitClick();
  void HeadTailClick(HWND button);
  void SetRadioIndex(RadioGroup& group, int index);
  void SetNumberText(NumberBox& box, const std::string& text);
  void SetNumberPosition(NumberBox& box, int pos);
  void OpenHelp(int context);

  // The rules, each reading its page's controls when it runs.
  void PreviewNumber();
  void PreviewReplace();
  void PreviewAdd();
  void PreviewDate();
  void PreviewCase();
  void PreviewWidth();

  // Controls, named as the program's documentation names them.
  HWND PageControl = nullptr, lstMain = nullptr, pnlConfig = nullptr, lblCount = nullptr;
  HWND btnRename = nullptr, btnClear = nullptr, btnClose = nullptr;
  HWND tabNumber = nullptr, tabReplace = nullptr, tabAdd = nullptr, tabDate = nullptr, tabCase = nullptr,
       tabWide = nullptr, tabOption = nullptr;
  HWND cmbBasName = nullptr, chkDivider = nullptr;
  NumberBox Start, Step, Column, History;
  HWND &edtStart = Start.edit, &undStart = Start.updown, &edtStep = Step.edit, &undStep = Step.updown,
       &edtColumn = Column.edit, &undColumn = Column.updown, &edtHistory = History.edit,
       &undHistory = History.updown;
  HWND cmbOldValue = nullptr, cmbNewValue = nullptr;
  HWND btnHead = nullptr, btnTail = nullptr, cmbAddValue = nullptr, chkDiv2 = nullptr;
  HWND cmbDateAdd = nullptr, btnHead2 = nullptr, btnTail2 = nullptr, cmbDateFormat = nullptr;
  RadioGroup rdgDateType, rdgLetter, rgWord, rgNum, rgKakko, rgSpace, rgSymbol;
  HWND btnKana = nullptr, btnIgnore = nullptr, btnNarrow = nullptr, btnWide = nullptr;
  HWND Image1 = nullptr, lblTitle = nullptr, lblVersion = nullptr, lblAuthor = nullptr, lblWebSite = nullptr;
  HWND chkClearItems = nullptr, chkEnterToExec = nullptr, chkEscToExit = nullptr, btnClearHistory = nullptr,
       btnFilter = nullptr, chkDropDir = nullptr, GroupBox1 = nullptr;
  HWND chkRemSCut = nullptr, chkDelCopy = nullptr, chkTrim = nullptr, chkDel1 = nullptr, chkDel2 = nullptr,
       chkJpeg = nullptr;
  HWND tooltip = nullptr;
  HMENU pupMain = nullptr, pupDummy = nullptr;
  // Default and cancel buttons (Enter runs the first, Esc the second), or null.
  HWND defaultButton = nullptr, cancelButton = nullptr;

  // The hint a control shows as its tooltip.
  std::string HintOf(HWND control) const;

  // Pushes the model's rows and selection to the list view.
  void SyncList();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  HWND AddControl(HWND parent, const wchar_t* cls, const char* text, DWORD style, int x, int y, int w, int h,
                  int id, const char* hint = nullptr, DWORD exStyle = 0);
  HWND AddPage(const char* caption);
  void AddHint(HWND control, const char* hint);
  RadioGroup MakeRadioGroup(HWND parent, const char* caption, const char* hint,
                            const std::vector<const char*>& items, int columns, int x, int y, int w, int h,
                            int baseId);
  NumberBox MakeNumberBox(HWND parent, int x, int y, int w, int min, int max, int pos, int id,
                          const char* hint);
  void ApplyFonts();
  void Relayout();
  void OnCommand(int id, int code, HWND from);
  LRESULT OnNotify(NMHDR* nm);
  void OnDropFiles(HDROP drop);
  void OnNumberEdit(NumberBox& box);
  void OnDeltaPos(NumberBox& box, int delta);
  void ShowListMenu(int x, int y);
  void AutoSizeColumns();
  void FormClose();
  void tabOptionShow();
  void tabOptionHide();
  void ShowPage(int index);
  void FocusPageInput();
  void ApplyStartDefaults();
  void OnListItemChanged(int item, UINT newState);
  int FindRow(const wchar_t* prefix, int start) const;

  Options options_;
  RenameList list_;
  bool closed_ = false;
  bool shown_ = false;
  bool syncing_ = false;
  int activePage_ = -1;
  UINT dpi_ = 96;
  win::unique_hfont font_, listFont_, titleFont_;
  win::unique_hicon icon_;
  std::unique_ptr<win::Layout> mainLayout_;
  std::map<HWND, std::unique_ptr<win::Layout>> childLayouts_;
  std::vector<std::unique_ptr<win::Panel>> panels_;
  std::vector<std::pair<HWND, std::string>> hints_;
  std::vector<HWND> allControls_;
  std::vector<HWND> pages_;
};
