#include "app/untRen.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/LongWork.h"
#include "disk/RenamePlan.h"
#include "disk/SafeRename.h"
#include "intake/Intake.h"
#include "win/Controls.h"

using rules::Refusal;
using rules::RenameEntry;
using disk::NumberDuplicates;
using disk::RenameRows;
using disk::RunReport;
using intake::IntakeOptions;
using intake::Skip;
using intake::kSkipReasons;

// The work on the rows: the preview and its count, the intake and the rename run, each of the
// last two stopping cleanly, and saying so, when something inside it fails.

// ---------------------------------------------------------------------------------------------
// The preview pipeline

void TfrmRen::Timer1Timer() {
  // Long work pumps messages; the preview waits until it is done.
  if (PreviewCountdown <= 0 || LongWork::Running()) return;
  if (--PreviewCountdown == 0) UpdatePreview();
}

void TfrmRen::UpdatePreview() {
  ++previewRuns;
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  list_.ClearMarks();
  list_.ClearFailures();
  files_.reset();
  ActivePage().MakePreview(list_);
  // What the rule asked of the files holds until the marks: nothing is listed or moved meanwhile.
  const disk::RowFiles* files = files_ ? &*files_ : nullptr;
  // Numbered after the rule, before the marks: the list shows the names that will land.
  if (tabOption->Dedupe() && RenameMode() != PageId::Option) NumberDuplicates(list_, disk_, files);
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  CheckRows(files);
  files_.reset();
}

std::vector<bool> TfrmRen::RowsThatStay() {
  files_ = disk::JudgeFiles(list_, disk_);
  return files_->Stays();
}

void TfrmRen::CheckRows(const disk::RowFiles* files) {
  if (RenameMode() == PageId::Option) {
    // No rule, nothing to judge: no row is marked.
    for (RenameEntry& row : list_) {
      if (row.refusal != Refusal::None) row.refusal = Refusal::None;
    }
  } else {
    disk::CheckRows(list_, disk_, files);
  }
  // A folder listed again for the check tells its rows' sizes and times anew.
  disk_.RefreshRows(list_);
  // Rows judged anew are a change: what the label said of the last run goes.
  done_.clear();
  listView_.AutoSizeColumns();
  InvalidateRect(lstMain, nullptr, FALSE);
  UpdateCount();
}

namespace {

// Why the intake left paths out, in the order of Skip.
const char* const kSkipTexts[kSkipReasons] = {"ファイルなし", "使えない名前", "Shift_JISにない名前", "ファイルでないもの",
                                              "フィルタ",     "重複",         "フォルダ",            "読めないフォルダ"};

}  // namespace

void TfrmRen::UpdateCount() {
  std::size_t refused = 0;
  bool duplicates = false;
  // The settings page has no rule: no row is refused there.
  if (RenameMode() != PageId::Option) {
    for (const RenameEntry& row : list_) {
      refused += row.refusal != Refusal::None ? 1 : 0;
      duplicates = duplicates || row.refusal == Refusal::Duplicate;
    }
  }
  const std::string count = std::to_string(list_.size()) + "個の項目";
  std::string hint = ActivePage().RuleErrorDetail();
  // The option that would let such rows through, where it is off.
  if (hint.empty() && duplicates && !tabOption->Dedupe()) {
    hint = "重複した名前に番号を付ける（設定）をオンにすると、重複する名前に番号を付けます";
  }
  controls_.SetHint(lblCount, hint);
  // The note of the run or of the rule, the fullest first: why an expression can't be read
  // gives way to the bare word where the label is narrow.
  std::vector<std::string> notes;
  if (!done_.empty()) {
    notes.push_back("（" + done_ + "）");
  } else if (const char* error = ActivePage().RuleError()) {
    const std::string detail = ActivePage().RuleErrorDetail();
    if (!detail.empty()) notes.push_back("（" + std::string(error) + ": " + detail + "）");
    notes.push_back("（" + std::string(error) + "）");
  } else if (refused > 0) {
    notes.push_back("（" + std::to_string(refused) + "件は変更不可）");
  } else {
    notes.emplace_back();
  }
  if (skipped_.cleaned > 0) {
    for (std::string& note : notes) note += "（" + std::to_string(skipped_.cleaned) + "件を自動リネームしました）";
  }
  // What the last intake left out, and why where the label has room: each reason, with its
  // count when there are several. Hidden entries left out by choice are told apart, and are
  // the first note to give way: the faults matter more.
  std::vector<std::string> skips;  // the fullest first, the last always fits
  std::string hidden;
  if (skipped_.hidden > 0) hidden = "（隠しファイル " + std::to_string(skipped_.hidden) + "件を除外）";
  if (const std::size_t left = skipped_.total()) {
    const std::string head = "（" + std::to_string(left) + "件は取り込めません";
    std::string full;
    if (skipped_[Skip::NotShiftJis] == left) {
      full = "（" + std::to_string(left) + "件はShift_JISで表せない名前のため読み込みません）";
    } else {
      std::string reasons;
      for (std::size_t i = 0; i < kSkipReasons; ++i) {
        if (skipped_.counts[i] == 0) continue;
        if (!reasons.empty()) reasons += "・";
        reasons += kSkipTexts[i];
        if (skipped_.counts[i] != left) reasons += std::to_string(skipped_.counts[i]);
      }
      full = head + ": " + reasons + "）";
    }
    if (!hidden.empty()) skips.push_back(full + hidden);
    skips.push_back(full);
    skips.push_back(head + "）");
  } else if (!hidden.empty()) {
    skips.push_back(hidden);
  }
  skips.emplace_back();
  std::vector<std::string> choices;
  for (const std::string& note : notes) {
    for (const std::string& skip : skips) choices.push_back(count + note + skip);
  }
  std::string text = choices.back();
  if (choices.size() > 1) {
    RECT r{};
    GetClientRect(lblCount, &r);
    const win::WindowDC dc(lblCount, font_.get());
    // The label never clips: the hidden entries' note goes first, then the reasons, then the
    // note of the faults altogether, then the expression's detail.
    const int room = r.right - r.left;
    const auto fits = std::find_if(choices.begin(), choices.end(),
                                   [&](const std::string& c) { return win::TextWidth(dc.get(), c) <= room; });
    if (fits != choices.end()) text = *fits;
  }
  win::SetText(lblCount, text);
}

void TfrmRen::RestartPreview() {
  PreviewCountdown = kPreviewTicks;
  if (done_.empty() && skipped_.cleaned == 0) return;
  done_.clear();
  skipped_.cleaned = 0;
  UpdateCount();
}

void TfrmRen::SayDone(std::string note) {
  if (note == done_) return;
  done_ = std::move(note);
  UpdateCount();
}

// ---------------------------------------------------------------------------------------------
// Intake

void TfrmRen::FormShow() {
  if (shown_) return;
  shown_ = true;
  if (options_.args.empty()) return;
  AddFiles(options_.args);
  if (list_.empty()) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TfrmRen::AddFiles(const std::vector<std::string>& paths) {
  if (LongWork::Running()) return;
  IntakeOptions options;
  options.dropDir = tabOption->DropDir();
  options.subFolders = tabOption->SubFolders();
  options.folderItems = tabOption->FolderItems();
  options.skipHidden = tabOption->SkipHidden();
  options.cleanUp = tabOption->CleanUp();
  options.filterNames = FilterNames;
  options.filterExts = FilterExts;
  options.journal = &journal_;
  // The clean-up moves files: through the journal, one window at a time.
  std::unique_ptr<disk::Journal::Hold> hold;
  if (!(options.cleanUp == rules::CleanUpOptions{}) && !(hold = HoldJournal())) return;
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  // A failure stops the intake with the rows taken so far (and the list's batch closed).
  Attempt("ファイルの追加", [&] {
    LongWork work(hwnd(), lblCount, false);
    intake::AddFiles(
        list_, paths, options, [&](std::size_t done, std::size_t total) { return work.Report(done, total); }, &disk_,
        &skipped_);
  });
  SyncList();
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lstMain, nullptr, TRUE);
  for (auto& page : pages_) page->AfterIntake(list_);
  // The intake's own change of page is no later change: its clean-up stays told until one.
  const std::size_t cleaned = std::exchange(skipped_.cleaned, 0);
  PageControlChange();
  skipped_.cleaned = cleaned;
  UpdateCount();
  TellJournalProblem();
}

// ---------------------------------------------------------------------------------------------
// The rename run

void TfrmRen::btnRenameClick() {
  if (LongWork::Running()) return;
  // A pending preview is made now, so the run applies what the inputs say.
  if (PreviewCountdown > 0) {
    UpdatePreview();
    PreviewCountdown = 0;
  }
  const auto hold = HoldJournal();
  if (!hold) return;
  RunReport report;
  const std::size_t rows = list_.size();
  bool stopped = false;
  const bool whole = Attempt(nullptr, [&] {
    // Esc stops the run between two files: what was renamed stays renamed.
    LongWork work(hwnd(), lblCount, true);
    stopped = !RenameRows(
        list_, tabOption->ClearItems(), [&](std::size_t done, std::size_t total) { return work.Report(done, total); },
        &disk_, &journal_, &report, mover_);
  });
  SyncList();
  // The marks now tell what a second run would leave: the rows the disk refused.
  CheckRows();
  ActivePage().AfterRename();
  std::size_t refused = 0;
  for (const RenameEntry& row : list_) refused += row.refusal != Refusal::None ? 1 : 0;
  std::string note = std::to_string(report.renamed) + (stopped || !whole ? "件を変更して中止しました" : "件を変更しました");
  if (refused > 0) note += "、" + std::to_string(refused) + "件は変更不可";
  SayDone(note);
  TellJournalProblem();
  if (!whole) {
    // What landed stays (and is in the journal); the rest keep their names and rows.
    messageBox(win::Utf16("リネームを途中で中止しました（" + failure_ + "）。\n" + std::to_string(report.renamed) +
                         "個のファイルの名前を変更し、残りの" + std::to_string(rows - report.renamed) +
                         "個は変更していません。変更した分は「元に戻す」で戻せます。"),
               MB_OK | MB_ICONERROR);
  }
}

bool TfrmRen::Attempt(const char* what, const std::function<void()>& work) {
  failure_.clear();
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    failure_ = e.what();
  } catch (...) {
    failure_ = "不明なエラー";
  }
  if (what) messageBox(win::Utf16(std::string(what) + "を途中で中止しました（" + failure_ + "）。"), MB_OK | MB_ICONERROR);
  return false;
}

void TfrmRen::HandlerFailed(const char* what) {
  messageBox(win::Utf16("処理を中止しました（" + std::string(what ? what : "不明なエラー") + "）。"), MB_OK | MB_ICONERROR);
}

std::unique_ptr<disk::Journal::Hold> TfrmRen::HoldJournal() {
  std::unique_ptr<disk::Journal::Hold> hold;
  bool waited = false;
  {
    LongWork work(hwnd(), lblCount, true);
    hold = std::make_unique<disk::Journal::Hold>(journal_, [&] {
      waited = true;
      return work.Say("別のウィンドウの処理を待っています（Escで中止）");
    });
  }
  // The label said the wait: it says the count again.
  if (waited) UpdateCount();
  if (hold->ok()) {
    TellJournalProblem();
    return hold;
  }
  SayDone("別のウィンドウの処理を待たずに中止しました");
  return nullptr;
}

void TfrmRen::TellJournalProblem() {
  const std::wstring aside = journal_.TakeSetAside();
  if (!aside.empty()) {
    messageBox(win::Utf16("元に戻すための記録 ") + options_.journalFile + win::Utf16(" は読めない内容だったため ") + aside +
                   win::Utf16(" に移しました。新しい記録を始めます。"),
               MB_OK | MB_ICONWARNING);
  }
  const std::wstring why = journal_.TakeProblem();
  if (why.empty()) return;
  messageBox(win::Utf16("元に戻すための記録を ") + options_.journalFile + win::Utf16(" に書けません（") + why +
                 win::Utf16("）。\n記録はプログラムを終了するまでメモリに保持されます。"),
             MB_OK | MB_ICONWARNING);
}

