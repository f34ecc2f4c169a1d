#include "app/RenameListView.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "os/FileSystem.h"
#include "disk/ShotDateCache.h"
#include "rules/DatePattern.h"
#include "text/utf16.h"
#include "win/Controls.h"

using rules::Refusal;
using rules::RenameEntry;
using rules::RuleMark;

namespace {

const wchar_t* const kColumns[] = {L"ファイル名", L"フォルダ", L"新しい名前"};
// The keys in the order of rules::SortBy.
const wchar_t* const kSortKeyNames[rules::kSortKeys] = {L"名前",     L"名前（数字順）", L"拡張子", L"サイズ",
                                                        L"更新日時", L"作成日時",       L"撮影日"};
const wchar_t* const kEmptyHint = L"ここにファイルやフォルダをドロップ";
// The new names of rows the run would leave as they are.
constexpr COLORREF kRefusedColor = RGB(204, 0, 0);
// A name the run makes, with a remark of its rule (a date that stands in for another).
constexpr COLORREF kNoteColor = RGB(160, 96, 0);

const wchar_t* RefusalText(Refusal r) {
  switch (r) {
    case Refusal::BadName: return L"使えない名前";
    case Refusal::TooLong: return L"名前が長すぎる";
    case Refusal::Duplicate: return L"名前が重複";
    case Refusal::Taken: return L"同名のファイルあり";
    case Refusal::TakenByFolder: return L"同名のフォルダあり";
    case Refusal::ReadOnly: return L"読み取り専用";
    case Refusal::Hidden: return L"隠しファイル";
    case Refusal::System: return L"システムファイル";
    case Refusal::Missing: return L"ファイルなし";
    case Refusal::Link: return L"フォルダ外へのリンク";
    case Refusal::Unreadable: return L"フォルダを読めません";
    case Refusal::NotShiftJis:  // no longer made: every name has its UTF-16 form
    case Refusal::Failed:
    case Refusal::None: break;
  }
  return L"";
}

}  // namespace

bool AnyFileSelected(const rules::RenameList& list) {
  return std::any_of(list.begin(), list.end(), [](const RenameEntry& row) { return row.selected && !row.isFolder(); });
}

std::wstring FailureText(std::uint32_t error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"使用中";
    case ERROR_WRITE_PROTECT: return L"読み取り専用";
    case ERROR_FILENAME_EXCED_RANGE: return L"名前が長すぎる";
    default: return os::ErrorText(error);
  }
}

std::wstring RenameListView::NewNameCell(const RenameEntry& row) {
  if (row.refusal == Refusal::Failed) return row.newName + L"（" + FailureText(row.failure) + L"）";
  if (row.refusal != Refusal::None) return row.newName + L"（" + RefusalText(row.refusal) + L"）";
  if (row.mark() == RuleMark::NoShotDate) return row.newName + L"（撮影日なし: 更新日）";
  return row.newName;
}

std::wstring_view RenameListView::FolderCell(const RenameEntry& row) {
  std::wstring_view folder = row.folder();
  // The part below the folder above the given one, where the row's root marks one.
  if (row.root() > 0 && row.root() < folder.size() && folder[row.root() - 1] == L'\\') folder.remove_prefix(row.root());
  return utf16::WithoutFinalDelimiter(folder);
}

bool RenameListView::Create(win::ControlSet& set, HWND parent, win::Rect96 rect, unsigned anchors, int id) {
  lv_ = set.Add({parent, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                 WS_EX_CLIENTEDGE, rect, anchors, id});
  if (!lv_ || !menu_.Create()) return false;
  dpi_ = set.dpi();
  // The shell's own mark for a folder; without it folder rows go unmarked.
  SHFILEINFOW info{};
  if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                     SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)) {
    folderIcon_.reset(info.hIcon);
  }
  ListView_SetExtendedListViewStyle(lv_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (int i = 0; i < 3; ++i) {
    setWidths_[i] = i == 1 ? 0 : win::Scale(50, dpi_);
    win::AddListColumn(lv_, i, kColumns[i], setWidths_[i]);
  }

  menu_.Append(kCopy, L"ファイル名コピー");
  menu_.Append(kCopyNames, L"名前をコピー\tCtrl+C");
  menu_.Append(kAnalyze, L"ファイル名解析");
  menu_.Append(kFolder, L"フォルダ名");
  menu_.AppendSeparator();
  menu_.Append(kDelete, L"削除\tDel");
  menu_.Append(kSelectAll, L"すべて選択\tCtrl+A");
  menu_.AppendSeparator();
  menu_.Append(kChangeExt, L"拡張子変更");
  menu_.Append(kCompose, L"濁点・半濁点を結合");
  menu_.AppendSeparator();
  sortMenu_ = CreatePopupMenu();
  if (!sortMenu_) return false;
  for (int k = 0; k < rules::kSortKeys; ++k) {
    AppendMenuW(sortMenu_, MF_STRING, kSortFirst + k, kSortKeyNames[k]);
  }
  AppendMenuW(sortMenu_, MF_STRING, kManual, L"手動");
  AppendMenuW(sortMenu_, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(sortMenu_, MF_STRING, kAscending, L"昇順");
  AppendMenuW(sortMenu_, MF_STRING, kDescending, L"降順");
  // Appended, the submenu belongs to the menu and goes with it.
  if (!AppendMenuW(menu_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sortMenu_), L"並べ替え")) {
    DestroyMenu(sortMenu_);
    sortMenu_ = nullptr;
    return false;
  }
  menu_.Append(kMoveUp, L"上へ\tAlt+↑");
  menu_.Append(kMoveDown, L"下へ\tAlt+↓");
  menu_.AppendSeparator();
  // 元に戻す stays the last item, where the menu key's Up reaches it first.
  menu_.Append(kRedo, L"やり直し\tCtrl+Y");
  menu_.Append(kUndo, L"元に戻す\tCtrl+Z");
  return true;
}

void RenameListView::SetFont(HFONT font, UINT dpi) {
  NoteUserWidths();
  for (int& w : userWidths_) w = MulDiv(w, static_cast<int>(dpi), static_cast<int>(dpi_));
  font_ = font;
  dpi_ = dpi;
  SendMessageW(lv_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // A report view makes its rows as tall as the font's height, and the grid line then covers
  // the cell's last pixel row, where "_" sits in some Japanese fonts. An image list one
  // pixel wide sets a taller row with room for the whole cell.
  TEXTMETRICW tm{};
  GetTextMetricsW(win::WindowDC(lv_, font).get(), &tm);
  // As tall as the folder mark too, so that rows keep their height when one comes.
  rowHeight_ = std::max<int>(tm.tmHeight + tm.tmExternalLeading + win::Scale(4, dpi), win::Scale(16, dpi));
  SetImageList();
}

int RenameListView::MarkRoom() const { return win::Scale(18, dpi_); }

int RenameListView::HeaderWidth(int column) const {
  HWND header = ListView_GetHeader(lv_);
  if (!header) return 0;
  const win::WindowDC dc(header, reinterpret_cast<HFONT>(SendMessageW(header, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.get(), &tm);
  const int margin = static_cast<int>(SendMessageW(header, HDM_GETBITMAPMARGIN, 0, 0));
  int width = win::TextWidth(dc.get(), kColumns[column]) + 2 * margin;
  // The name column's arrow comes and goes with the order; its room stays, so the column
  // needn't be fitted again. Drawn beside the caption, it is as wide as the text is high.
  if (column == 0) width += margin + tm.tmHeight;
  return width;
}

void RenameListView::SetImageList() {
  if (rowHeight_ == 0) return;  // before the font: SetFont makes it
  // Blank: the folder mark is drawn over its room (OnCustomDraw), so that its edges blend
  // with any background. Every row has the room, so the names line up.
  const int width = folderRows_ && folderIcon_ ? MarkRoom() : 1;
  // The view owns the list it holds and destroys it with itself; one it gives back is ours.
  HIMAGELIST previous = ListView_SetImageList(lv_, ImageList_Create(width, rowHeight_, ILC_COLOR, 0, 1), LVSIL_SMALL);
  if (previous) ImageList_Destroy(previous);
}

void RenameListView::Sync() {
  syncing_ = true;
  SendMessageW(lv_, LVM_SETITEMCOUNT, list_.size(), LVSICF_NOSCROLL);
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (SendMessageW(lv_, LVM_GETSELECTEDCOUNT, 0, 0) > 0 || ListView_GetNextItem(lv_, -1, LVNI_FOCUSED) >= 0)
    SendMessageW(lv_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  std::size_t selected = list_.SelectedCount();
  if (selected == list_.size() && selected > 0) {
    LVITEMW all{};
    all.stateMask = all.state = LVIS_SELECTED;
    SendMessageW(lv_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
  }
  for (std::size_t i = 0; i < list_.size(); ++i) {
    const RenameEntry& row = list_[i];
    if (!row.focused && (!row.selected || selected == list_.size())) continue;
    LVITEMW one{};
    one.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    one.state = (row.selected ? LVIS_SELECTED : 0) | (row.focused ? LVIS_FOCUSED : 0);
    SendMessageW(lv_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&one));
  }
  syncing_ = false;
  AutoSizeColumns();
  InvalidateRect(lv_, nullptr, FALSE);
}

void RenameListView::SelectAll() {
  list_.SelectAll();
  syncing_ = true;
  SendMessageW(lv_, WM_SETREDRAW, FALSE, 0);
  LVITEMW all{};
  all.stateMask = all.state = LVIS_SELECTED;
  SendMessageW(lv_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
  SendMessageW(lv_, WM_SETREDRAW, TRUE, 0);
  syncing_ = false;
  InvalidateRect(lv_, nullptr, FALSE);
}

void RenameListView::NoteUserWidths() {
  for (int c = 0; c < 3; ++c) {
    const int now = static_cast<int>(SendMessageW(lv_, LVM_GETCOLUMNWIDTH, c, 0));
    if (now != setWidths_[c]) userWidths_[c] = now;
  }
}

void RenameListView::SetWidth(int column, int width) {
  if (column == 0) {
    // A long name never pushes the new names out of sight.
    RECT r{};
    GetClientRect(lv_, &r);
    width = std::min(width, std::max<int>(r.right / 2, win::Scale(50, dpi_)));
  }
  setWidths_[column] = width;
  if (SendMessageW(lv_, LVM_GETCOLUMNWIDTH, column, 0) != width) SendMessageW(lv_, LVM_SETCOLUMNWIDTH, column, width);
}

void RenameListView::FitFirstColumn() {
  NoteUserWidths();
  SetWidth(0, userWidths_[0] > 0 ? userWidths_[0] : std::max(fittedName_, win::Scale(50, dpi_)));
}

std::array<int, 3> RenameListView::UserWidths() const {
  std::array<int, 3> out{};
  for (int c = 0; c < 3; ++c) {
    const int now = static_cast<int>(SendMessageW(lv_, LVM_GETCOLUMNWIDTH, c, 0));
    out[c] = MulDiv(now != setWidths_[c] ? now : userWidths_[c], 96, static_cast<int>(dpi_));
  }
  return out;
}

void RenameListView::SetUserWidths(const std::array<int, 3>& widths) {
  // From the settings file: anything outside a sane width fits the texts instead.
  for (int c = 0; c < 3; ++c) userWidths_[c] = widths[c] > 0 && widths[c] <= 4000 ? win::Scale(widths[c], dpi_) : 0;
  AutoSizeColumns();
}

void RenameListView::AutoSizeColumns() {
  NoteUserWidths();
  // One pass, here rather than per paint: rows of a folder share their folder's spelling.
  bool many = false, folders = false;
  for (const RenameEntry& row : list_) {
    many = many || row.folder() != list_[0].folder();
    folders = folders || row.isFolder();
    if (many && folders) break;
  }
  manyFolders_ = many;
  if (folders != folderRows_) {
    folderRows_ = folders;
    SetImageList();
  }
  if (!manyFolders_) SetWidth(1, 0);
  // Measuring only the longest few texts keeps this cheap on 100,000 rows.
  const win::WindowDC dc(lv_, font_);
  for (int column : {0, 1, 2}) {
    if (column == 1 && !manyFolders_) continue;
    if (userWidths_[column] > 0) {
      SetWidth(column, userWidths_[column]);
      continue;
    }
    // A refused row's cell also says why.
    auto sizeOf = [&](std::size_t i) {
      const RenameEntry& row = list_[i];
      return column == 0 ? row.fileName.size()
             : column == 1
                 ? FolderCell(row).size()
                 : row.newName.size() + (row.refusal != Refusal::None || row.mark() != RuleMark::None ? 12 : 0);
    };
    auto textOf = [&](std::size_t i) {
      return column == 0 ? list_[i].fileName : column == 1 ? std::wstring(FolderCell(list_[i])) : NewNameCell(list_[i]);
    };
    // The eight longest (size, row): each row is sized once, the shortest kept is replaced.
    std::vector<std::pair<std::size_t, std::size_t>> longest;
    std::size_t shortest = 0;
    for (std::size_t i = 0; i < list_.size(); ++i) {
      const std::size_t size = sizeOf(i);
      if (longest.size() == 8 && size <= longest[shortest].first) continue;
      if (longest.size() == 8) longest[shortest] = {size, i};
      else longest.emplace_back(size, i);
      shortest = static_cast<std::size_t>(std::min_element(longest.begin(), longest.end()) - longest.begin());
    }
    int width = 0;
    for (const auto& kept : longest) width = std::max(width, win::TextWidth(dc.get(), textOf(kept.second)));
    if (column == 0 && folderRows_ && folderIcon_) width += MarkRoom();
    width = std::max({width + win::Scale(16, dpi_), HeaderWidth(column), win::Scale(50, dpi_)});
    if (column == 0) fittedName_ = width;
    SetWidth(column, width);
  }
}

LRESULT RenameListView::OnNotify(NMHDR* nm) {
  switch (nm->code) {
    case LVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(nm);
      auto i = static_cast<std::size_t>(di->item.iItem);
      if ((di->item.mask & LVIF_TEXT) && i < list_.size()) {
        const RenameEntry& row = list_[i];
        if (di->item.iSubItem == 2) cell_ = NewNameCell(row);
        if (di->item.iSubItem == 3) cell_ = KeyCell(i);
        const std::wstring_view text = di->item.iSubItem == 0   ? std::wstring_view(row.fileName)
                                       : di->item.iSubItem == 1 ? FolderCell(row)
                                                                : std::wstring_view(cell_);
        win::CopyToBuffer(text, di->item.pszText, di->item.cchTextMax);
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
      if (!syncing_ && (lv->uChanged & LVIF_STATE)) OnItemChanged(*lv);
      return 0;
    }
    case LVN_ODSTATECHANGED: {
      auto* od = reinterpret_cast<NMLVODSTATECHANGE*>(nm);
      if (!syncing_ && ((od->uNewState ^ od->uOldState) & LVIS_SELECTED)) {
        for (int i = od->iFrom; i <= od->iTo && i < static_cast<int>(list_.size()); ++i) {
          list_[static_cast<std::size_t>(i)].selected = (od->uNewState & LVIS_SELECTED) != 0;
        }
      }
      return 0;
    }
    case NM_CUSTOMDRAW:
      return OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(nm));
    case LVN_ODFINDITEMW: {
      auto* fi = reinterpret_cast<NMLVFINDITEMW*>(nm);
      if ((fi->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && fi->lvfi.psz) return FindRow(fi->lvfi.psz, fi->iStart);
      return -1;
    }
    default:
      return 0;
  }
}

void RenameListView::OnItemChanged(const NMLISTVIEW& lv) {
  UINT changed = lv.uNewState ^ lv.uOldState;
  if (changed & LVIS_SELECTED) {
    bool selected = (lv.uNewState & LVIS_SELECTED) != 0;
    if (lv.iItem < 0) {
      list_.SelectAll(selected);
    } else if (static_cast<std::size_t>(lv.iItem) < list_.size()) {
      list_[static_cast<std::size_t>(lv.iItem)].selected = selected;
    }
  }
  if ((changed & LVIS_FOCUSED) && lv.iItem >= 0 && static_cast<std::size_t>(lv.iItem) < list_.size()) {
    bool focused = (lv.uNewState & LVIS_FOCUSED) != 0;
    // One focus row: a row that takes it takes it from every other.
    if (focused) {
      for (RenameEntry& row : list_) row.focused = false;
    }
    list_[static_cast<std::size_t>(lv.iItem)].focused = focused;
  }
}

int RenameListView::FindRow(const wchar_t* prefix, int start) const {
  int n = static_cast<int>(list_.size());
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    if (win::StartsWithIgnoreCase(list_[static_cast<std::size_t>(i)].fileName, prefix)) return i;
  }
  return -1;
}

void RenameListView::PrepareMenu(bool numberingPage, bool canUndo, bool canRedo) {
  menu_.Enable(kAnalyze, numberingPage);
  menu_.Enable(kUndo, canUndo);
  menu_.Enable(kRedo, canRedo);
  const int order = static_cast<int>(list_.order());
  CheckMenuRadioItem(sortMenu_, kSortFirst, kManual, kSortFirst + order, MF_BYCOMMAND);
  const bool manual = list_.order() == rules::SortBy::Manual;
  CheckMenuItem(sortMenu_, kAscending, MF_BYCOMMAND | (!manual && !list_.descending() ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(sortMenu_, kDescending, MF_BYCOMMAND | (!manual && list_.descending() ? MF_CHECKED : MF_UNCHECKED));
  const bool any = list_.FirstSelected() != rules::RenameList::npos;
  // A folder has no extension to change.
  menu_.Enable(kChangeExt, AnyFileSelected(list_));
  menu_.Enable(kCompose, AnyFileSelected(list_));
  menu_.Enable(kMoveUp, any);
  menu_.Enable(kMoveDown, any);
}

void RenameListView::ShowOrder() {
  using rules::SortBy;
  const SortBy order = list_.order();
  // A manual order keeps the column of the key it came from.
  const SortBy shown = order == SortBy::Manual ? keyColumn_ : order == SortBy::Logical ? SortBy::Name : order;
  if (shown != keyColumn_) {
    if (keyColumn_ != SortBy::Name) ListView_DeleteColumn(lv_, 3);
    if (shown != SortBy::Name) {
      win::AddListColumn(lv_, 3, kSortKeyNames[static_cast<int>(shown)], win::Scale(130, dpi_));
    }
    keyColumn_ = shown;
  }
  HWND header = ListView_GetHeader(lv_);
  const int arrowAt = order == SortBy::Manual ? -1 : keyColumn_ == SortBy::Name ? 0 : 3;
  for (int c = 0, n = header ? Header_GetItemCount(header) : 0; c < n; ++c) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header, c, &item)) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (c == arrowAt) item.fmt |= list_.descending() ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, c, &item);
  }
  InvalidateRect(lv_, nullptr, FALSE);
}

std::wstring RenameListView::KeyCell(std::size_t i) {
  using rules::SortBy;
  const RenameEntry& row = list_[i];
  // Dates as the sort saw them, in one shape for every key.
  auto shown = [](rules::DateTime value) {
    return rules::RenderDatePattern(L"yyyy/mm/dd hh:nn:ss", value, rules::DateLocale{});
  };
  switch (keyColumn_) {
    case SortBy::Extension: return std::wstring(row.Extension());
    case SortBy::Size: {
      if (row.isFolder()) return {};  // a folder's listing tells no size of its contents
      // Bytes in groups of three, as the file's properties show them: 1,234,567.
      std::wstring digits = std::to_wstring(row.size);
      for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L',');
      return digits;
    }
    case SortBy::LastWrite: return row.lastWrite ? shown(disk::FileTimeDate(row.lastWrite)) : std::wstring();
    case SortBy::Creation: return row.creation ? shown(disk::FileTimeDate(row.creation)) : std::wstring();
    case SortBy::Shot: return shown(list_.ShotKey(i));
    default: return {};
  }
}

void RenameListView::BeginDrag() {
  dragging_ = list_.FirstSelected() != rules::RenameList::npos;
  dropAt_ = rules::RenameList::npos;
}

void RenameListView::DragOver(POINT client) {
  std::size_t at = rules::RenameList::npos;
  RECT r{};
  GetClientRect(lv_, &r);
  if (PtInRect(&r, client)) {
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int row = static_cast<int>(SendMessageW(lv_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0 && static_cast<std::size_t>(row) < list_.size()) {
      at = static_cast<std::size_t>(row);
    } else if (!(hit.flags & (LVHT_ABOVE | LVHT_TOLEFT | LVHT_TORIGHT))) {
      // Below the last row: to the end. The header's strip above the rows lands nowhere.
      RECT header{};
      if (HWND h = ListView_GetHeader(lv_)) GetWindowRect(h, &header);
      if (client.y >= header.bottom - header.top) at = list_.size();
    }
  }
  if (at != dropAt_) {
    dropAt_ = at;
    InvalidateRect(lv_, nullptr, FALSE);
  }
}

std::size_t RenameListView::EndDrag(bool drop) {
  const std::size_t at = drop && dragging_ ? dropAt_ : rules::RenameList::npos;
  dragging_ = false;
  dropAt_ = rules::RenameList::npos;
  InvalidateRect(lv_, nullptr, FALSE);
  return at;
}

bool RenameListView::DropLineAt(std::size_t i) const {
  return dragging_ && dropAt_ != rules::RenameList::npos &&
         (i == dropAt_ || (dropAt_ == list_.size() && i + 1 == list_.size()));
}

void RenameListView::DrawFolderMark(HDC dc, std::size_t i) const {
  RECT icon{}, bounds{};
  icon.left = LVIR_ICON;
  bounds.left = LVIR_BOUNDS;
  if (!SendMessageW(lv_, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&icon)) ||
      !SendMessageW(lv_, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&bounds))) {
    return;
  }
  // Within its room and the first column, however narrow that was made.
  const int size = win::Scale(16, dpi_);
  const int left = icon.left + (MarkRoom() - size) / 2;
  const int right = std::min<int>(left + size, bounds.left + static_cast<int>(SendMessageW(lv_, LVM_GETCOLUMNWIDTH, 0, 0)));
  if (right <= left) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, left, icon.top, right, icon.bottom);
  DrawIconEx(dc, left, icon.top + (icon.bottom - icon.top - size) / 2, folderIcon_.get(), size, size, 0, nullptr,
             DI_NORMAL);
  RestoreDC(dc, saved);
}

LRESULT RenameListView::OnCustomDraw(NMLVCUSTOMDRAW& cd) const {
  switch (cd.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW | (list_.empty() ? CDRF_NOTIFYPOSTPAINT : 0);
    case CDDS_POSTPAINT: {
      // An empty list says what it is for, in its middle below the header.
      if (!list_.empty()) return CDRF_DODEFAULT;
      RECT r{};
      GetClientRect(lv_, &r);
      RECT header{};
      if (HWND h = ListView_GetHeader(lv_)) GetWindowRect(h, &header);
      r.top += header.bottom - header.top;
      const std::wstring hint = kEmptyHint;
      const win::SelectedObject font(cd.nmcd.hdc, font_);
      SetBkMode(cd.nmcd.hdc, TRANSPARENT);
      SetTextColor(cd.nmcd.hdc, GetSysColor(COLOR_GRAYTEXT));
      DrawTextW(cd.nmcd.hdc, hint.c_str(), static_cast<int>(hint.size()), &r,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT: {
      // Where dragged rows would land: a line above that row, or below the last one.
      const auto i = static_cast<std::size_t>(cd.nmcd.dwItemSpec);
      const bool folder = folderRows_ && folderIcon_ && i < list_.size() && list_[i].isFolder();
      return CDRF_NOTIFYSUBITEMDRAW | (DropLineAt(i) || folder ? CDRF_NOTIFYPOSTPAINT : 0);
    }
    case CDDS_ITEMPOSTPAINT: {
      const auto i = static_cast<std::size_t>(cd.nmcd.dwItemSpec);
      if (folderRows_ && folderIcon_ && i < list_.size() && list_[i].isFolder()) DrawFolderMark(cd.nmcd.hdc, i);
      if (!DropLineAt(i)) return CDRF_DODEFAULT;
      RECT r{};
      r.left = LVIR_BOUNDS;
      if (!SendMessageW(lv_, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) return CDRF_DODEFAULT;
      const int thick = win::Scale(2, dpi_);
      if (i == dropAt_) r.bottom = r.top + thick;
      else r.top = r.bottom - thick;
      FillRect(cd.nmcd.hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
      return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      auto i = static_cast<std::size_t>(cd.nmcd.dwItemSpec);
      const bool marked = cd.iSubItem == 2 && i < list_.size() && !(cd.nmcd.uItemState & CDIS_SELECTED);
      // A selected row keeps the highlight's own text colour.
      cd.clrText = GetSysColor(COLOR_WINDOWTEXT);
      if (marked && list_[i].refusal != Refusal::None) {
        cd.clrText = kRefusedColor;
      } else if (marked && list_[i].mark() == RuleMark::NoShotDate) {
        cd.clrText = kNoteColor;
      }
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

int RenameListView::TrackMenu(HWND owner, int x, int y) {
  if (x == -1 && y == -1) {
    RECT r;
    GetWindowRect(lv_, &r);
    x = r.left + 8;
    y = r.top + 8;
  }
  return menu_.Track(owner, x, y);
}
