#include "app/dialogs/untFilter.h"

#include <commctrl.h>

#include "rules/Filter.h"
#include "text/sjis.h"
#include "win/Controls.h"

using rules::ForEachFilterEntry;

namespace {
constexpr int kHelpContext = 14;
}

TfrmFilter::TfrmFilter(std::string& filterNames, std::string& filterExts)
    : TfrmDialog("フィルタ", kHelpContext), names_(filterNames), exts_(filterExts) {}

void TfrmFilter::SetUpList() {
  win::SetText(lblResult, "フィルタの編集");
  LONG_PTR style = GetWindowLongPtrW(lstItems, GWL_STYLE);
  SetWindowLongPtrW(lstItems, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_LIST);
  DragAcceptFiles(hwnd(), TRUE);
}

void TfrmFilter::FormShow() {
  SendMessageW(lstItems, LVM_DELETEALLITEMS, 0, 0);
  // A last entry written without its ";" is shown too, so OK doesn't lose it.
  for (const std::string* list : {&names_, &exts_}) {
    ForEachFilterEntry(*list, [&](std::string_view entry) {
      items.Append(entry);
      return false;
    });
  }
}

void TfrmFilter::actOKClickExecute() {
  names_.clear();
  exts_.clear();
  for (int i = 0; i < items.Count(); ++i) {
    std::string text = items.Text(i);
    if (text.empty()) continue;  // an emptied row names nothing
    (text[0] == '.' ? exts_ : names_) += text + ";";
  }
  Close(Result::OK);
}

void TfrmFilter::OnDropFiles(HDROP drop) {
  SetForegroundWindow(hwnd());
  // Read strictly: a name with no exact Shift_JIS form is skipped, never best-fitted into an
  // entry that would refuse some other file.
  for (const std::string& path : win::DroppedPaths(drop)) {
    std::string_view name = sjis::FileName(path);
    if (!name.empty()) AddUniqueItem(name);  // a drive root has no name
  }
}
