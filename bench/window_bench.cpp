// The main window with many rows: recomputing the preview of each rule, repainting the list,
// selecting every row. The list's repaint must not grow with the number of rows.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/untRen.h"
#include "win/Controls.h"

#include "BenchClock.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

double Repaint(TfrmRen& form) {
  double t = Now();
  RedrawWindow(form.lstMain, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  return Now() - t;
}

void Fill(TfrmRen& form, int rows) {
  const char* stems[] = {"写真", "IMG_", "メモ", "report ", "ソース表", "ｶﾀｶﾅ", "Data-", "ファイル"};
  form.list().Clear();
  form.list().BeginBatch();
  for (int i = 0; i < rows; ++i) {
    form.list().Add(std::string(stems[i % 8]) + std::to_string(i * 7919 % 100003) + ".jpg", "C:\\photos\\");
  }
  form.list().EndBatch();
  form.SyncList();
  Pump();
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  TfrmRen::Options options;
  options.quitOnClose = false;
  options.runTimer = false;
  TfrmRen form(options);
  form.Create();
  form.Show(SW_SHOWNOACTIVATE);
  Pump();

  for (int rows : {1000, 100000}) {
    double t = Now();
    Fill(form, rows);
    double fill = Now() - t;
    double paint = 1e9;
    for (int k = 0; k < 3; ++k) paint = std::min(paint, Repaint(form));
    std::printf("%6d rows: add+sort+show %.1f ms, repaint %.2f ms\n", rows, fill, paint);
  }

  win::SetText(form.tabNumber->cmbBasName, "photo");
  win::SetText(form.tabReplace->cmbOldValue, "IMG_");
  win::SetText(form.tabReplace->cmbNewValue, "画像_");
  win::SetText(form.tabAdd->cmbAddValue, "2024");
  struct Mode {
    PageId page;
    const char* name;
  } modes[] = {{PageId::Number, "numbering"}, {PageId::Replace, "replace"}, {PageId::Add, "add"},
               {PageId::Case, "case"}, {PageId::Width, "width"}};
  form.tabWide->rgWord.SetIndex(2);
  form.tabWide->rgNum.SetIndex(1);
  for (const auto& m : modes) {
    form.SelectPage(m.page);
    double best = 1e9, paint = 0;
    for (int k = 0; k < 3; ++k) {
      double t = Now();
      form.UpdatePreview();
      best = std::min(best, Now() - t);
      paint = Repaint(form);
    }
    std::printf("UpdatePreview %-9s over %zu rows: %.1f ms (%.0f ns/row), repaint after it %.2f ms\n", m.name,
                form.list().size(), best, best * 1e6 / static_cast<double>(form.list().size()), paint);
  }

  double t = Now();
  form.mnuSelectAllClick();
  double selectAll = Now() - t;
  std::printf("select all %zu rows: %.1f ms (list view reports %d selected)\n", form.list().size(), selectAll,
              static_cast<int>(SendMessageW(form.lstMain, LVM_GETSELECTEDCOUNT, 0, 0)));
  return 0;
}
