#include "win/ListView.h"

namespace win {

int ListView::Count() const { return static_cast<int>(SendMessageW(h_, LVM_GETITEMCOUNT, 0, 0)); }

int ListView::Append(std::wstring_view text) {
  std::wstring w(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = w.data();
  return static_cast<int>(SendMessageW(h_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

std::wstring ListView::Text(int row, int column) const {
  std::wstring buf(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(buf.size());
    int n = static_cast<int>(SendMessageW(h_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (n < static_cast<int>(buf.size()) - 1) {
      buf.resize(static_cast<std::size_t>(n > 0 ? n : 0));
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

void ListView::SetText(int row, int column, std::wstring_view text) {
  std::wstring w(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = w.data();
  SendMessageW(h_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void ListView::Delete(int row) { SendMessageW(h_, LVM_DELETEITEM, row, 0); }

void ListView::Select(int row, bool selected) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageW(h_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::vector<int> ListView::Selected() const {
  std::vector<int> rows;
  for (int i = -1; (i = static_cast<int>(SendMessageW(h_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;) rows.push_back(i);
  return rows;
}

int ListView::FirstSelected() const {
  return static_cast<int>(SendMessageW(h_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::SizeColumnsToContent() const {
  HWND header = reinterpret_cast<HWND>(SendMessageW(h_, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  // Each column as wide as its widest text or its caption. (Sized "to the header", the last
  // column would only fill what the others leave, down to "...".)
  for (int c = 0; c < columns; ++c) {
    SendMessageW(h_, LVM_SETCOLUMNWIDTH, c, LVSCW_AUTOSIZE);
    int content = static_cast<int>(SendMessageW(h_, LVM_GETCOLUMNWIDTH, c, 0));
    int heading = CaptionWidth(h_, c) + 16;
    if (heading > content) SendMessageW(h_, LVM_SETCOLUMNWIDTH, c, heading);
  }
}

int CaptionWidth(HWND list, int column) {
  wchar_t caption[128] = {};
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = caption;
  c.cchTextMax = 128;
  SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
  return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(caption)));
}

}  // namespace win
