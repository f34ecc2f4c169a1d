#include "app/untRen.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/LongWork.h"
#include "intake/Intake.h"
#include "text/sjis.h"
#include "win/Controls.h"

using intake::IntakeOptions;
using intake::IntakeSkips;
using intake::kSkipReasons;

// The frame's side of the work on the rows: the preview and its count, the intake and the
// rename run, each of the last two saying how it went, also when something inside it failed.

// ---------------------------------------------------------------------------------------------
// The preview pipeline

void TfrmRen::Timer1Timer() {
  // Long work pumps messages; the preview waits until it is done.
  if (previewCountdown_ <= 0 || LongWork::Running()) return;
  if (--previewCountdown_ == 0) UpdatePreview();
}

void TfrmRen::UpdatePreview() {
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  std::function<void(rules::RenameList&)> rule;
  if (RenameMode() != PageId::Option) rule = [this](rules::RenameList& list) { ActivePage().MakePreview(list); };
  session_.Preview(rule, tabOption->Dedupe());
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  Checked();
}

void TfrmRen::Checked() {
  // Rows judged anew are a change: what the label said of the last run goes.
  done_.clear();
  listView_.AutoSizeColumns();
  InvalidateRect(lstMain, nullptr, FALSE);
  UpdateCount();
}

session::Marks TfrmRen::Marks() const {
  // The settings page has no rule: no row is refused there.
  return RenameMode() == PageId::Option ? session::Marks{} : session_.marks();
}

namespace {

// Why the intake left paths out, in the order of Skip (every name is taken in now: NotShiftJis
// is never counted).
const wchar_t* const kSkipTexts[kSkipReasons] = {L"ファイルなし", L"使えない名前", L"",         L"ファイルでないもの",
                                                 L"フィルタ",     L"重複",         L"フォルダ", L"読めないフォルダ"};

}  // namespace

void TfrmRen::UpdateCount() {
  const session::Marks marks = Marks();
  const IntakeSkips& skipped = session_.skipped();
  const std::wstring count = std::to_wstring(list().size()) + L"個の項目";
  std::wstring hint = ActivePage().RuleErrorDetail();
  // The option that would let such rows through, where it is off.
  if (hint.empty() && marks.duplicates > 0 && !tabOption->Dedupe()) {
    hint = L"重複した名前に番号を付ける（設定）をオンにすると、重複する名前に番号を付けます";
  }
  controls_.SetHint(lblCount, hint);
  // The note of the run or of the rule, the fullest first: why an expression can't be read
  // gives way to the bare word where the label is narrow.
  std::vector<std::wstring> notes;
  if (!done_.empty()) {
    notes.push_back(L"（" + done_ + L"）");
  } else if (const wchar_t* error = ActivePage().RuleError()) {
    const std::wstring detail = ActivePage().RuleErrorDetail();
    if (!detail.empty()) notes.push_back(L"（" + std::wstring(error) + L": " + detail + L"）");
    notes.push_back(L"（" + std::wstring(error) + L"）");
  } else if (marks.refused > 0) {
    notes.push_back(L"（" + std::to_wstring(marks.refused) + L"件は変更不可）");
  } else {
    notes.emplace_back();
  }
  if (skipped.cleaned > 0) {
    for (std::wstring& note : notes) note += L"（" + std::to_wstring(skipped.cleaned) + L"件を自動リネームしました）";
  }
  // What the last intake left out, and why where the label has room: each reason, with its
  // count when there are several. Hidden entries left out by choice are told apart, and are
  // the first note to give way: the faults matter more.
  std::vector<std::wstring> skips;  // the fullest first, the last always fits
  std::wstring hidden;
  if (skipped.hidden > 0) hidden = L"（隠しファイル " + std::to_wstring(skipped.hidden) + L"件を除外）";
  if (const std::size_t left = skipped.total()) {
    const std::wstring head = L"（" + std::to_wstring(left) + L"件は取り込めません";
    std::wstring reasons;
    for (std::size_t i = 0; i < kSkipReasons; ++i) {
      if (skipped.counts[i] == 0) continue;
      if (!reasons.empty()) reasons += L"・";
      reasons += kSkipTexts[i];
      if (skipped.counts[i] != left) reasons += std::to_wstring(skipped.counts[i]);
    }
    const std::wstring full = head + L": " + reasons + L"）";
    if (!hidden.empty()) skips.push_back(full + hidden);
    skips.push_back(full);
    skips.push_back(head + L"）");
  } else if (!hidden.empty()) {
    skips.push_back(hidden);
  }
  skips.emplace_back();
  std::vector<std::wstring> choices;
  for (const std::wstring& note : notes) {
    for (const std::wstring& skip : skips) choices.push_back(count + note + skip);
  }
  std::wstring text = choices.back();
  if (choices.size() > 1) {
    RECT r{};
    GetClientRect(lblCount, &r);
    const win::WindowDC dc(lblCount, font_.get());
    // The label never clips: the hidden entries' note goes first, then the reasons, then the
    // note of the faults altogether, then the expression's detail.
    const int room = r.right - r.left;
    const auto fits = std::find_if(choices.begin(), choices.end(),
                                   [&](const std::wstring& c) { return win::TextWidth(dc.get(), c) <= room; });
    if (fits != choices.end()) text = *fits;
  }
  win::SetText(lblCount, text);
}

void TfrmRen::RestartPreview() {
  previewCountdown_ = kPreviewTicks;
  if (done_.empty() && session_.skipped().cleaned == 0) return;
  done_.clear();
  session_.ForgetCleanUp();
  UpdateCount();
}

void TfrmRen::SayDone(std::wstring note) {
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
  if (list().empty()) SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TfrmRen::AddFiles(const std::vector<std::wstring>& paths) {
  if (LongWork::Running()) return;
  IntakeOptions options;
  options.dropDir = tabOption->DropDir();
  options.subFolders = tabOption->SubFolders();
  options.folderItems = tabOption->FolderItems();
  options.skipHidden = tabOption->SkipHidden();
  options.cleanUp = tabOption->CleanUp();
  options.filterNames = filterNames_;
  options.filterExts = filterExts_;
  // The clean-up moves files: through the journal, one window at a time.
  std::unique_ptr<disk::Journal::Hold> hold;
  if (session::Session::IntakeMoves(options) && !(hold = HoldJournal())) return;
  SendMessageW(lstMain, WM_SETREDRAW, FALSE, 0);
  session::IntakeReport report;
  {
    LongWork work(hwnd(), lblCount, false);
    report = session_.TakeIn(paths, options,
                             [&](std::size_t done, std::size_t total) { return work.Report(done, total); });
  }
  // A failure stopped the intake with the rows taken so far.
  TellFailure(L"ファイルの追加", report.failure);
  SyncList();
  SendMessageW(lstMain, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(lstMain, nullptr, TRUE);
  for (auto& page : pages_) page->AfterIntake(list());
  // The intake's own change of page is no later change: its clean-up stays told until one.
  FocusPageInput();
  previewCountdown_ = kPreviewTicks;
  done_.clear();
  UpdateCount();
  TellJournalProblem();
}

// ---------------------------------------------------------------------------------------------
// The rename run

void TfrmRen::btnRenameClick() {
  if (LongWork::Running()) return;
  // A pending preview is made now, so the run applies what the inputs say.
  if (previewCountdown_ > 0) {
    UpdatePreview();
    previewCountdown_ = 0;
  }
  const auto hold = HoldJournal();
  if (!hold) return;
  session::RunReport report;
  {
    // Esc stops the run between two files: what was renamed stays renamed.
    LongWork work(hwnd(), lblCount, true);
    report = session_.Rename(tabOption->ClearItems(), RenameMode() != PageId::Option,
                             [&](std::size_t done, std::size_t total) { return work.Report(done, total); });
  }
  SyncList();
  Checked();
  ActivePage().AfterRename();
  std::wstring note = std::to_wstring(report.renamed) +
                      (report.stopped || report.failure ? L"件を変更して中止しました" : L"件を変更しました");
  if (report.marks.refused > 0) note += L"、" + std::to_wstring(report.marks.refused) + L"件は変更不可";
  SayDone(note);
  TellJournalProblem();
  if (report.failure) {
    // What landed stays (and is in the journal); the rest keep their names and rows.
    Message(L"リネームを途中で中止しました（" + FailureWords(report.failure) + L"）。\n" +
                std::to_wstring(report.renamed) + L"個のファイルの名前を変更し、残りの" +
                std::to_wstring(report.rows - report.renamed) +
                L"個は変更していません。変更した分は「元に戻す」で戻せます。",
            MB_OK | MB_ICONERROR);
  }
}

namespace {

// An exception's text is narrow: compiled, as every narrow literal, in Shift_JIS.
std::wstring ExceptionText(std::string_view what) {
  return what.empty() ? L"不明なエラー" : sjis::ToUtf16Lenient(what);
}

}  // namespace

std::wstring TfrmRen::FailureWords(const session::Failure& failure) {
  return ExceptionText(failure ? std::string_view(*failure) : std::string_view());
}

void TfrmRen::TellFailure(const wchar_t* what, const session::Failure& failure) {
  if (failure) {
    Message(std::wstring(what) + L"を途中で中止しました（" + FailureWords(failure) + L"）。", MB_OK | MB_ICONERROR);
  }
}

void TfrmRen::HandlerFailed(const char* what) {
  Message(L"処理を中止しました（" + ExceptionText(what ? what : "") + L"）。", MB_OK | MB_ICONERROR);
}

std::unique_ptr<disk::Journal::Hold> TfrmRen::HoldJournal() {
  std::unique_ptr<disk::Journal::Hold> hold;
  bool waited = false;
  {
    LongWork work(hwnd(), lblCount, true);
    hold = session_.Hold([&] {
      waited = true;
      return work.Say(L"別のウィンドウの処理を待っています（Escで中止）");
    });
  }
  // The label said the wait: it says the count again.
  if (waited) UpdateCount();
  if (hold) {
    TellJournalProblem();
    return hold;
  }
  SayDone(L"別のウィンドウの処理を待たずに中止しました");
  return nullptr;
}

void TfrmRen::TellJournalProblem() {
  const std::wstring aside = session_.TakeJournalSetAside();
  if (!aside.empty()) {
    Message(L"元に戻すための記録 " + options_.journalFile + L" は読めない内容だったため " + aside +
                L" に移しました。新しい記録を始めます。",
            MB_OK | MB_ICONWARNING);
  }
  const std::wstring why = session_.TakeJournalProblem();
  if (why.empty()) return;
  Message(L"元に戻すための記録を " + options_.journalFile + L" に書けません（" + why +
              L"）。\n記録はプログラムを終了するまでメモリに保持されます。",
          MB_OK | MB_ICONWARNING);
}

