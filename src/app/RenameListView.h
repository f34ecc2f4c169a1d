// lstMain: the owner-data list view that shows the rename list. The rows, their order, the
// selection and the focus row live in the model; the view asks for texts as it paints and
// reports the user's selection and focus back, so selecting 100,000 rows costs one flag each.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <string>

#include "rules/RenameList.h"
#include "win/ControlSet.h"
#include "win/Handle.h"

// Why the platform refused a move, as a row or a message says it: 使用中, 読み取り専用, or the
// system's own words.
std::wstring FailureText(std::uint32_t error);

// Whether a selected row is a file (拡張子変更 has something to change).
bool AnyFileSelected(const rules::RenameList& list);

class RenameListView {
 public:
  // The context menu's commands.
  enum Command : int {
    kCopy = 300, kAnalyze, kFolder, kDelete, kSelectAll, kChangeExt, kUndo, kRedo,
    kMoveUp, kMoveDown, kAscending, kDescending, kManual, kCompose, kCopyNames,
    kSortFirst = 320,  // kSortFirst + the key (rules::SortBy), Name to Shot
  };

  explicit RenameListView(rules::RenameList& list) : list_(list) {}

  bool Create(win::ControlSet& set, HWND parent, win::Rect96 rect, unsigned anchors, int id);
  HWND hwnd() const { return lv_; }
  HMENU menu() const { return menu_.get(); }

  // The list font; rows are made tall enough for its full cell.
  void SetFont(HFONT font, UINT dpi);
  // Pushes the model's rows, selection and focus row to the view.
  void Sync();
  // Selects every row.
  void SelectAll();
  // Sizes the name columns to their widest texts and their captions, at least 50 pixels; a
  // column whose width the user set keeps it. The first column is never wider than half the
  // list. The フォルダ column is shown only while the rows come from more than one folder, and
  // the folder mark's room only while a row is a folder.
  void AutoSizeColumns();
  // Keeps the first column within half the list, after the list was resized.
  void FitFirstColumn();
  // The widths the user set (0: fitted to the texts), at 96 DPI, and setting them.
  std::array<int, 3> UserWidths() const;
  void SetUserWidths(const std::array<int, 3>& widths);
  // The view's notifications: texts, type-ahead find, selection and focus changes.
  LRESULT OnNotify(NMHDR* nm);

  // Enables the menu's items: the analysis only on the numbering page, 拡張子変更 only with a
  // file selected, 元に戻す only with a run to take back, やり直し only with one taken back.
  // The 並べ替え submenu checks the list's order.
  void PrepareMenu(bool numberingPage, bool canUndo, bool canRedo);
  // After a change of the list's order: the sort arrow, and the key column shown for a key
  // other than the name (removed otherwise).
  void ShowOrder();
  // The key column's cell of a row: its size, date and time, or 撮影日.
  std::wstring KeyCell(std::size_t i);
  // The new-name cell: the new name, and for a row the run would refuse, why.
  static std::wstring NewNameCell(const rules::RenameEntry& row);
  // The フォルダ cell: the row's folder from the folder the user gave on ("photos\2024"), or
  // the whole folder where the row knows none.
  static std::wstring_view FolderCell(const rules::RenameEntry& row);
  // Dragging rows: begun by the view's LVN_BEGINDRAG, it follows the mouse at a point of the
  // list's client area, showing where the rows will land (a line above that row).
  bool dragging() const { return dragging_; }
  void BeginDrag();
  void DragOver(POINT client);
  // Ends the drag; the row the selected rows go before (size(): the end), or npos when it was
  // cancelled or dropped outside the list.
  std::size_t EndDrag(bool drop);
  // Shows the menu at a screen point (-1, -1: at the list's corner); the chosen command or 0.
  int TrackMenu(HWND owner, int x, int y);

 private:
  void OnItemChanged(const NMLISTVIEW& lv);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& cd) const;
  // Whether row i shows the line where dragged rows would land; the folder mark of row i.
  bool DropLineAt(std::size_t i) const;
  void DrawFolderMark(HDC dc, std::size_t i) const;
  int FindRow(const wchar_t* prefix, int start) const;
  // Takes a width that differs from the one last set as the user's own.
  void NoteUserWidths();
  void SetWidth(int column, int width);
  // The small image list, which sets the rows' height and, while a row is a folder, leaves
  // room for the folder mark before every name.
  void SetImageList();
  // The width of the folder mark's room before every name.
  int MarkRoom() const;
  // The width that shows a column's caption whole, with the sort arrow's room.
  int HeaderWidth(int column) const;

  rules::RenameList& list_;
  HWND lv_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = 96;
  bool syncing_ = false;
  win::PopupMenu menu_;
  std::wstring cell_;
  // Per column: the width the user set (0: none), and the width last set here.
  std::array<int, 3> userWidths_{}, setWidths_{};
  int fittedName_ = 0;  // the first column's width fitted to the names
  HMENU sortMenu_ = nullptr;  // the 並べ替え submenu, the menu's own
  rules::SortBy keyColumn_ = rules::SortBy::Name;  // the key the fourth column shows (Name: none)
  bool dragging_ = false;
  std::size_t dropAt_ = rules::RenameList::npos;  // where the dragged rows would land
  int rowHeight_ = 0;
  // Whether the rows come from more than one folder, and whether one is a folder, as the last
  // AutoSizeColumns found them: the paint asks these, never the whole list.
  bool manyFolders_ = false, folderRows_ = false;
  win::unique_hicon folderIcon_;  // the shell's small folder icon, the folder rows' mark
};
