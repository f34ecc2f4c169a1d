// TfrmRen: the main window's frame. It holds the tab strip with its pages, the list view, the
// count label, the buttons and the preview timer, and sees every key first. What the user
// asks of the files goes to the session (session/Session.h); the frame turns its reports into
// words and marks. Each page owns its own controls and makes its rule's preview.
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
#include "app/Prompts.h"
#include "rules/RenameList.h"
#include "session/Session.h"
#include "settings/Settings.h"
#include "win/ControlSet.h"
#include "win/Handle.h"
#include "win/Window.h"

class TfrmRen : public win::Window, private PageHost {
 public:
  struct Options {
    std::vector<std::wstring> args;  // command-line paths
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
    // The message boxes and dialogs; null: the system's own.
    Prompts* prompts = nullptr;
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

  // The list, its files and the journal.
  session::Session& session() { return session_; }
  rules::RenameList& list() { return session_.list(); }
  // The active page; Option also when no page is active.
  PageId RenameMode() const;
  Page& ActivePage() const;

  // Applies settings to the window and its pages, and stores their current state.
  void ApplySettings(const settings::Settings& s);
  settings::Settings CurrentSettings() const;

  // Operations and handlers.
  void ChangeItem() override { RestartPreview(); }
  void UpDownClick() override { RestartPreview(); }
  // One tick of the 100 ms timer: the preview follows kPreviewTicks after the last change.
  void Timer1Timer();
  void UpdatePreview();
  void SelectPage(PageId page);  // what a click on a tab does
  void AddFiles(const std::vector<std::wstring>& paths);
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
  // The selected rows' old and new names (every row's when none is selected) on the clipboard.
  void mnuCopyNamesClick();
  void mnuComposeClick();
  // What a list command over the selected files did, said in the count label.
  void SayChanged(const session::ExtensionReport& report, const wchar_t* done, const wchar_t* stopped);
  // 元に戻す and Ctrl+Z on the list: the newest run not yet taken back is taken back;
  // やり直し and Ctrl+Y: the run taken back last is made again.
  void mnuUndoClick();
  void mnuRedoClick();
  // The list's order: a key chosen (also from the header or the settings), rows moved by hand.
  void ChooseOrder(rules::SortBy key, bool descending);
  void MoveRows(int delta);
  // Ends a drag of rows: dropped, the selected rows move before the row under the mouse.
  void EndRowDrag(bool drop);
  void SendToInput(const std::wstring& text);
  void OpenHelp(int context);
  // Pushes the model's rows and selection to the list view.
  void SyncList() { listView_.Sync(); }
  std::wstring HintOf(HWND control) const { return controls_.HintOf(control); }
  // The filter dialog over the refused names and extensions.
  void btnFilterClick();
  // Writes the settings file; with ask, a failure is reported and the user may quit anyway.
  // True when the window may close.
  bool SaveSettings(bool ask);

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
  // The least width and height of the window at 96 DPI.
  static constexpr int kMinWindow = 400;

  // PageHost
  win::ControlSet& Controls() override { return controls_; }
  int HistoryLength() const override;
  bool TrimResults() const override;
  std::vector<bool> RowsThatStay() override { return session_.RowsThatStay(); }
  void TrimHistories() override;
  void ClearHistories() override;
  void KeyOptionsChanged() override;
  void OpenFilter() override { btnFilterClick(); }
  void RunModal(TfrmDialog& dialog) override { prompts_.RunModal(dialog); }

  bool CreateControls();
  void ApplyFonts();
  void Relayout();
  void OnCommand(int id, int code);
  void OnListCommand(int command);
  LRESULT OnNotify(NMHDR* nm);
  void OnDropFiles(HDROP drop);
  void FormShow();
  void FormClose();
  void ShowPage(int index);
  void FocusPageInput();
  void PageControlChange();
  void TakeBack(bool redo);
  int Message(const std::wstring& text, UINT type) { return prompts_.Message(hwnd(), text, type); }
  // What the last preview's check marked, for the count label: none on the settings page.
  session::Marks Marks() const;
  // The rows were judged anew: the view and the label follow.
  void Checked();
  void UpdateCount();
  // Any change of the inputs or of the rows; what the label said of the last run, or of the
  // last intake's clean-up, goes.
  void RestartPreview();
  // What the last run, undo or stop did, for the count label until the next change: the
  // text in its brackets, such as "3件を変更しました、1件は変更不可"; empty says nothing.
  void SayDone(std::wstring note);
  // Why work stopped, for the user: what the failure said.
  static std::wstring FailureWords(const session::Failure& failure);
  // Says that work stopped (what: the work's name) and why.
  void TellFailure(const wchar_t* what, const session::Failure& failure);
  // The journal's trouble, once a session; a damaged journal kept aside, once.
  void TellJournalProblem();
  // Holds the journal for this window's moves; while another window holds it the label says
  // so and Esc gives up, which the label then says. Null when not had.
  std::unique_ptr<disk::Journal::Hold> HoldJournal();

  Options options_;
  Prompts& prompts_;
  session::Session session_;
  int previewCountdown_ = 0;
  // The refused names and extensions, each entry followed by ";".
  std::wstring filterNames_, filterExts_;
  std::wstring done_;  // what the last run did, for the count label (SayDone)
  bool startMaximized_ = false;
  // The key last chosen, stored in the settings (a manual order is not).
  rules::SortBy chosenKey_ = rules::SortBy::Name;
  bool chosenDescending_ = false;
  // What the window held once it had read the settings file (and after each save): the close
  // writes only the keys changed since, so another window's changes to other keys survive.
  std::optional<settings::Settings> saved_;
  RenameListView listView_{session_.list()};
  win::ControlSet controls_;
  std::array<std::unique_ptr<Page>, kPageCount> pages_;
  bool closed_ = false;
  bool shown_ = false;
  int activePage_ = -1;
  UINT dpi_ = 96;
  win::unique_hfont font_, listFont_;
};
