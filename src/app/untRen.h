// TfrmRen: the main window's frame. It holds the tab strip with its pages, the rename list
// and its view, the count label, the buttons and the preview timer; it takes paths in,
// orchestrates the rename run and sees every key first. Each page owns its own controls and
// makes its rule's preview.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/RenameListView.h"
#include "app/pages/AddPage.h"
#include "app/pages/CasePage.h"
#include "app/pages/DatePage.h"
#include "app/pages/NumberPage.h"
#include "app/pages/OptionPage.h"
#include "app/pages/ReplacePage.h"
#include "app/pages/WidthPage.h"
#include "disk/DiskState.h"
#include "disk/Journal.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"
#include "rules/RenameList.h"
#include "intake/Intake.h"
#include "settings/Settings.h"
#include "win/ControlSet.h"
#include "win/Handle.h"
#include "win/Window.h"

class TfrmRen : public win::Window, private PageHost {
 public:
  struct Options {
    std::vector<std::string> args;  // command-line paths, CP932
    // The settings file read at creation and written at close; none when empty.
    std::wstring settingsFile;
    // The journal of the last runs, for 元に戻す and やり直し; kept in memory only when empty.
    std::wstring journalFile;
    bool quitOnClose = true;        // post WM_QUIT when the window is destroyed
    // Apply the settings file's values at creation (or `settings` when there is no file);
    // off, the controls keep their own initial states.
    bool applySettings = true;
    settings::Settings settings;
    // Run Timer1 from the message loop; tests call Timer1Timer themselves instead.
    bool runTimer = true;
  };

  // Ticks of the 100 ms timer from the last input change to the preview.
  static constexpr int kPreviewTicks = 5;

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
  rules::RenameList& list() { return list_; }
  // What the last intake left out, which the count label tells.
  intake::IntakeSkips& skipped() { return skipped_; }
  int PreviewCountdown = 0;
  int previewRuns = 0;  // how often UpdatePreview ran, for the window's own checks
  // The refused names and extensions, each entry followed by ";".
  std::string FilterNames, FilterExts;
  // The active page; Option also when no page is active.
  PageId RenameMode() const;
  Page& ActivePage() const;

  // Applies settings to the window and its pages, and stores their current state.
  void ApplySettings(const settings::Settings& s);
  settings::Settings CurrentSettings() const;

  // Operations and handlers.
  void ChangeItem() override { RestartPreview(); }
  void UpDownClick() override { RestartPreview(); }
  // Any change of the inputs or of the rows; what the label said of the last run, or of the
  // last intake's clean-up, goes.
  void RestartPreview();
  // What the last run, undo or stop did, for the count label until the next change: the
  // text in its brackets, such as "3件を変更しました、1件は変更不可"; empty says nothing.
  void SayDone(std::string note);
  void Timer1Timer();
  void UpdatePreview();
  // Marks the rows the next run would leave as they are (the preview's new names kept).
  // With `files` judged in this preview, the plan takes them as they stand.
  void CheckRows(const disk::RowFiles* files = nullptr);
  void UpdateCount();
  void PageControlChange();
  void SelectPage(PageId page);  // what a click on a tab does
  void AddFiles(const std::vector<std::string>& paths);
  void FormShow();
  void btnRenameClick();
  void btnClearClick();
  void btnCloseClick();
  void pupMainPopup();
  void mnuAnalyzeClick();
  void mnuSelectAllClick();
  void mnuDeleteClick();
  void mnuCopyClick();
  void mnuFolderClick();
  void mnuChangeExtClick();
  // 元に戻す and Ctrl+Z on the list: the newest run not yet taken back is taken back;
  // やり直し and Ctrl+Y: the run taken back last is made again.
  void mnuUndoClick();
  void mnuRedoClick();
  // The list's order: a key chosen (also from the header or the settings), rows moved by hand.
  void ChooseOrder(rules::SortBy key, bool descending);
  void MoveRows(int delta);
  // Ends a drag of rows: dropped, the selected rows move before the row under the mouse.
  void EndRowDrag(bool drop);
  bool CanUndo() { return journal_.Available(); }
  bool CanRedo() { return journal_.CanRedo(); }
  void SendToInput(const std::string& text);
  void OpenHelp(int context);
  // Pushes the model's rows and selection to the list view.
  void SyncList() { listView_.Sync(); }
  std::string HintOf(HWND control) const { return controls_.HintOf(control); }
  // The filter dialog over FilterNames and FilterExts.
  void btnFilterClick();
  // Runs a created dialog modally; tests put in a function that shows and drives it instead.
  std::function<void(TfrmDialog&)> runModal;
  // The message box and the one-line input dialog; tests answer them instead.
  std::function<int(const std::wstring& text, UINT type)> messageBox;
  std::function<bool(std::string_view caption, std::string_view prompt, std::string& value)> inputQuery;
  // How the rename run moves a file; tests hand one that fails where the platform can't be
  // made to. Empty (the default): the file's own move.
  void SetMover(disk::Mover mover) { mover_ = std::move(mover); }
  // Writes the settings file; with ask, a failure is reported and the user may quit anyway.
  // True when the window may close.
  bool SaveSettings(bool ask);
  // Runs long work; a failure inside it stops it, says so (what: the work's name; null says
  // nothing, for a caller that says more) and gives false.
  bool Attempt(const char* what, const std::function<void()>& work);
  // The journal's trouble, once a session; a damaged journal kept aside, once.
  void TellJournalProblem();
  // Holds the journal for this window's moves; while another window holds it the label says
  // so and Esc gives up, which the label then says. Null when not had.
  std::unique_ptr<disk::Journal::Hold> HoldJournal();
  std::string failure_;  // what stopped the last Attempt

  // Controls of the frame, and the pages, named as the program's documentation names them.
  HWND PageControl = nullptr, lstMain = nullptr, lblCount = nullptr;
  HWND btnRename = nullptr, btnClear = nullptr, btnClose = nullptr;
  NumberPage* tabNumber = nullptr;
  ReplacePage* tabReplace = nullptr;
  AddPage* tabAdd = nullptr;
  DatePage* tabDate = nullptr;
  CasePage* tabCase = nullptr;
  WidthPage* tabWide = nullptr;
  OptionPage* tabOption = nullptr;
  HMENU pupMain = nullptr;
  // Default and cancel buttons (Enter runs the first, Esc the second), or null.
  HWND defaultButton = nullptr, cancelButton = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void HandlerFailed(const char* what) override;

 private:
  // PageHost
  win::ControlSet& Controls() override { return controls_; }
  int HistoryLength() const override;
  bool TrimResults() const override;
  std::vector<bool> RowsThatStay() override;
  void TrimHistories() override;
  void ClearHistories() override;
  void KeyOptionsChanged() override;
  void OpenFilter() override { btnFilterClick(); }
  void RunModal(TfrmDialog& dialog) override { runModal(dialog); }

  bool CreateControls();
  void ApplyFonts();
  void Relayout();
  void OnCommand(int id, int code);
  void OnListCommand(int command);
  LRESULT OnNotify(NMHDR* nm);
  void OnDropFiles(HDROP drop);
  void FormClose();
  void ShowPage(int index);
  void FocusPageInput();
  void TakeBack(bool redo);

  Options options_;
  rules::RenameList list_;
  disk::DiskState disk_;  // the folders of the rows, as listed
  std::optional<disk::RowFiles> files_;  // the rows' files, while a preview judged them
  intake::IntakeSkips skipped_;  // what the last intake left out, for the count label
  std::string done_;     // what the last run did, for the count label (SayDone)
  bool startMaximized_ = false;
  // The key last chosen, stored in the settings (a manual order is not).
  rules::SortBy chosenKey_ = rules::SortBy::Name;
  bool chosenDescending_ = false;
  disk::Journal journal_{options_.journalFile};
  disk::Mover mover_;
  // What the window held once it had read the settings file (and after each save): the close
  // writes only the keys changed since, so another window's changes to other keys survive.
  std::optional<settings::Settings> saved_;
  RenameListView listView_{list_};
  win::ControlSet controls_;
  std::array<std::unique_ptr<Page>, kPageCount> pages_;
  bool closed_ = false;
  bool shown_ = false;
  int activePage_ = -1;
  UINT dpi_ = 96;
  win::unique_hfont font_, listFont_;
};
