// The main window with many rows: recomputing the preview of each rule, repainting the list,
// selecting every row. The list's repaint must not grow with the number of rows. The 100,000
// rows are real files (10 folders of 10,000), so that the preview's check of the rows the run
// would refuse works on real listings; its share of the preview is printed as the ratio of
// the preview with the check to the preview without it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/untRen.h"
#include "disk/DiskState.h"
#include "disk/RenamePlan.h"
#include "disk/ShotDateCache.h"
#include "os/Handle.h"
#include "win/Controls.h"

#include "BenchClock.h"

using disk::CheckRows;
using disk::DiskState;

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

const wchar_t* const kStems[] = {L"写真", L"IMG_", L"メモ", L"report ", L"ソース表", L"ｶﾀｶﾅ", L"Data-", L"ファイル"};

std::wstring NameOf(int i) { return kStems[i % 8] + std::to_wstring(i * 7919 % 100003) + L".jpg"; }

void Fill(TfrmRen& form, int rows) {
  form.list().Clear();
  form.list().BeginBatch();
  for (int i = 0; i < rows; ++i) form.list().Add(NameOf(i), L"C:\\photos\\");
  form.list().EndBatch();
  form.SyncList();
  Pump();
}

constexpr int kPerFolder = 10000;

std::vector<std::wstring> CreateFolders(const std::wstring& root, int rows) {
  std::vector<std::wstring> folders;
  CreateDirectoryW(root.c_str(), nullptr);
  for (int i = 0; i < rows; ++i) {
    if (i % kPerFolder == 0) {
      folders.push_back(root + L"\\d" + std::to_wstring(i / kPerFolder));
      CreateDirectoryW(folders.back().c_str(), nullptr);
    }
    HANDLE h = CreateFileW((folders.back() + L"\\" + NameOf(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  return folders;
}

void RemoveFolders(const std::wstring& root, const std::vector<std::wstring>& folders, int rows) {
  for (int i = 0; i < rows; ++i) DeleteFileW((folders[i / kPerFolder] + L"\\" + NameOf(i)).c_str());
  for (const std::wstring& f : folders) RemoveDirectoryW(f.c_str());
  RemoveDirectoryW(root.c_str());
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

  double t = Now();
  Fill(form, 1000);
  double fill = Now() - t;
  double paint = 1e9;
  for (int k = 0; k < 3; ++k) paint = std::min(paint, Repaint(form));
  std::printf("%6d rows: add+sort+show %.1f ms, repaint %.2f ms\n", 1000, fill, paint);

  constexpr int kRows = 100000;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"kinoha_window_bench_" + std::to_wstring(GetCurrentProcessId());
  std::vector<std::wstring> folders = CreateFolders(root, kRows);
  form.list().Clear();
  t = Now();
  form.AddFiles(folders);
  fill = Now() - t;
  paint = 1e9;
  for (int k = 0; k < 3; ++k) paint = std::min(paint, Repaint(form));
  std::printf("%6zu rows: intake of %zu folders + sort + show %.1f ms, repaint %.2f ms\n", form.list().size(),
              folders.size(), fill, paint);

  win::SetText(form.tabNumber->cmbBasName, L"photo");
  win::SetText(form.tabReplace->cmbOldValue, L"IMG_");
  win::SetText(form.tabReplace->cmbNewValue, L"画像_");
  win::SetText(form.tabAdd->cmbAddValue, L"2024");
  struct Mode {
    PageId page;
    const char* name;
  } modes[] = {{PageId::Number, "numbering"}, {PageId::Replace, "replace"}, {PageId::Add, "add"},
               {PageId::Case, "case"}, {PageId::Width, "width"}};
  form.tabWide->rgWord.SetIndex(2);
  form.tabWide->rgNum.SetIndex(1);
  DiskState disk;
  double numbering = 0;
  for (const auto& m : modes) {
    form.SelectPage(m.page);
    double best = 1e9, check = 1e9;
    std::size_t refused = 0;
    for (int k = 0; k < 5; ++k) {
      double t0 = Now();
      form.UpdatePreview();
      best = std::min(best, Now() - t0);
      paint = Repaint(form);
      // The check alone, over listings already read, as UpdatePreview runs it.
      refused = CheckRows(form.list(), disk);
      t0 = Now();
      CheckRows(form.list(), disk);
      check = std::min(check, Now() - t0);
    }
    std::printf("UpdatePreview %-9s over %zu rows: %.1f ms (%.0f ns/row), of it the check %.1f ms (%zu refused):"
                " %.2fx the preview without it; repaint after it %.2f ms\n",
                m.name, form.list().size(), best, best * 1e6 / static_cast<double>(form.list().size()), check, refused,
                best / (best - check), paint);
    if (m.page == PageId::Number) numbering = best;
  }

  // The date rule's 更新日 reads the rows' times: no file-system call per row.
  form.SelectPage(PageId::Date);
  SendMessageW(form.tabDate->cmbDateFormat, CB_SETCURSEL, 0, 0);
  form.tabDate->rdgDateType.SetIndex(2);
  double date = 1e9;
  for (int k = 0; k < 5; ++k) {
    const double t0 = Now();
    form.UpdatePreview();
    date = std::min(date, Now() - t0);
  }
  std::printf("UpdatePreview date over %zu rows: %.1f ms, %.2fx the numbering preview\n", form.list().size(), date,
              date / numbering);

  // The orders of the same rows: each key against the plain name order.
  auto sortTime = [&](rules::SortBy key) {
    form.list().SetOrder(rules::SortBy::Manual, false);
    const double t0 = Now();
    form.list().SetOrder(key, false);
    return Now() - t0;
  };
  double byName = 1e9, byNumber = 1e9;
  for (int k = 0; k < 3; ++k) {
    byName = std::min(byName, sortTime(rules::SortBy::Name));
    byNumber = std::min(byNumber, sortTime(rules::SortBy::Logical));
  }
  // The bare loop the first 撮影日 sort can't beat: open, read the head, close, each file.
  std::vector<char> head(65536);
  double t0 = Now();
  for (const auto& row : form.list()) {
    os::unique_file f(
        CreateFileW(row.CurrentPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD got = 0;
    if (f) ReadFile(f.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
  }
  const double bare = Now() - t0;
  disk::TheShotDateCache().Clear();
  const double shotFirst = sortTime(rules::SortBy::Shot);
  double shotAgain = 1e9;
  for (int k = 0; k < 3; ++k) shotAgain = std::min(shotAgain, sortTime(rules::SortBy::Shot));
  std::printf("sort %zu rows: by name %.1f ms, by number-aware name %.1f ms (%.2fx), by shot date first %.1f ms (%.2fx the bare"
              " open-read-close loop of %.1f ms), again %.1f ms (%.2fx by name)\n",
              form.list().size(), byName, byNumber, byNumber / byName, shotFirst, shotFirst / bare, bare, shotAgain,
              shotAgain / byName);
  form.list().SetOrder(rules::SortBy::Name, false);

  t = Now();
  form.mnuSelectAllClick();
  double selectAll = Now() - t;
  std::printf("select all %zu rows: %.1f ms (list view reports %d selected)\n", form.list().size(), selectAll,
              static_cast<int>(SendMessageW(form.lstMain, LVM_GETSELECTEDCOUNT, 0, 0)));
  RemoveFolders(root, folders, kRows);
  return 0;
}
