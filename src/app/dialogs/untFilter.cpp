#include "app/dialogs/untFilter.h"

#include <commctrl.h>

#include "rules/Filter.h"
#include "text/utf16.h"
#include "win/Controls.h"

using rules::ForEachFilterEntry;

namespace {
constexpr int kHelpContext = 14;
}

TfrmFilter::TfrmFilter(std::wstring& filterNames, std::wstring& filterExts)
    : TfrmDialog(L"フィルタ", kHelpContext), names_(filterNames), exts_(filterExts) {}

void TfrmFilter::SetUpList() {
  win::SetText(lblResult, L"フィルタの編集");
  LONG_PTR style = GetWindowLongPtrW(lstItems, GWL_STYLE);
  SetWindowLongPtrW(lstItems, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_LIST);
  DragAcceptFiles(hwnd(), TRUE);
}

void TfrmFilter::FormShow() {
  SendMessageW(lstItems, LVM_DELETEALLITEMS, 0, 0);
  // A last entry written without its ";" is shown too, so OK doesn't lose it.
  for (const std::wstring* list : {&names_, &exts_}) {
    ForEachFilterEntry(*list, [&](std::wstring_view entry) {
      items.Append(entry);
      return false;
    });
  }
}

void TfrmFilter::actOKClickExecute() {
  names_.clear();
  exts_.clear();
  for (int i = 0; i < items.Count(); ++i) {
    std::wstring text = items.Text(i);
    if (text.empty()) continue;  // an emptied row names nothing
    (text[0] == L'.' ? exts_ : names_) += text + L";";
  }
  Close(Result::OK);
}

void TfrmFilter::OnDropFiles(HDROP drop) {
  SetForegroundWindow(hwnd());
  for (const std::wstring& path : win::DroppedPaths(drop)) {
    std::wstring_view name = utf16::FileName(path);
    if (!name.empty()) AddUniqueItem(name);  // a drive root has no name
  }
}
