// TfrmDialog: the modal list editor the filter dialog and the preset editor derive from: an
// input box, a list, commands to add, change, delete and select rows (buttons, the list's
// context menu and shortcuts that act in the whole dialog, also in the input box), and OK,
// Cancel and Help. Creating the dialog and running it modally are separate steps, so the
// dialog can be driven without a nested message loop. A resizable one keeps its controls on
// their edges, the list taking what the window gains, and never gets smaller than it opens.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

#include "win/ControlSet.h"
#include "win/Handle.h"
#include "win/ListView.h"
#include "win/Window.h"

class TfrmDialog : public win::Window {
 public:
  enum class Result { None, OK, Cancel };

  // openWidth: 0 for a dialog of fixed size; otherwise it is resizable and opens with a
  // client area this wide (at 96 DPI).
  explicit TfrmDialog(std::wstring_view caption = L"DIALOG", int helpContext = 0, int openWidth = 0);
  ~TfrmDialog() override;

  // Creates the dialog hidden, owned by owner.
  bool Create(HWND owner);
  // Centres it over its owner, fills it (FormShow) and shows it.
  void Show();
  // Shows the dialog and runs its own message loop, with the owner disabled, until it closes.
  Result ShowModal();
  // The dialog's keys, seen before the focused control: true when consumed.
  bool PreTranslate(MSG& msg);
  Result result() const { return result_; }
  bool closed() const { return result_ != Result::None; }

  // The commands. Add, Edit, the selection event, OK, FormShow and the input's change event
  // are the derived dialogs' to replace.
  virtual void actAddItemExecute();
  // Adds the text with "A"-"Z" lower-cased (nothing else) unless an equal row exists.
  void AddUniqueItem(std::wstring_view text);
  virtual void actEditItemExecute();
  void actDeleteItemExecute();
  void actSelectAllExecute();
  virtual void lstItemsSelectItem(int item, bool selected);
  void actCancelClickExecute() { Close(Result::Cancel); }
  void actHelpExecute();
  virtual void actOKClickExecute() {}
  virtual void FormShow() {}
  virtual void edtInputChange() {}

  HWND lblResult = nullptr, edtInput = nullptr, lstItems = nullptr;
  HWND btnAdd = nullptr, btnEdit = nullptr, btnDelete = nullptr, btnOK = nullptr, btnCancel = nullptr,
       btnHelp = nullptr;
  win::ListView items;  // lstItems' rows
  HMENU pupMenu = nullptr;

 protected:
  // Ends the dialog with the result; the modal loop then returns.
  void Close(Result result);
  // Derived dialogs set up the list (columns, style) here, once it exists.
  virtual void SetUpList() {}
  // The list's width or its rows changed (a resize, a deletion): derived dialogs fit its
  // columns here.
  virtual void FitList() {}
  // Files dropped on the dialog (only on one that accepts them).
  virtual void OnDropFiles(HDROP drop);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  win::ControlSet& controls() { return controls_; }

 private:
  bool CreateControls();
  void OnCommand(int id, int code);
  void RunCommand(int id);

  std::wstring caption_;
  int helpContext_;
  int openWidth_;
  Result result_ = Result::None;
  bool deleting_ = false;
  win::ControlSet controls_;
  win::PopupMenu menu_;
  win::unique_hfont font_;
};
