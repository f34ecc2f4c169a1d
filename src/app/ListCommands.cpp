#include "app/untRen.h"

#include "app/LongWork.h"
#include "app/RenameListView.h"

#include "disk/Undo.h"
#include "rules/ExtensionAnswer.h"
#include "rules/PasteNames.h"
#include "text/utf16.h"
#include "win/Controls.h"

using rules::ExtensionFromAnswer;
using rules::RenameList;
using disk::Move;
using disk::UndoFailure;
using disk::UndoProblem;
using disk::UndoQuestion;
using disk::UndoResult;

// The list's commands: they feed names from the list into the active input, edit the list
// and change extensions on disk.

void TfrmRen::pupMainPopup() {
  listView_.PrepareMenu(RenameMode() == PageId::Number, session_.CanUndo(), session_.CanRedo());
}

void TfrmRen::mnuAnalyzeClick() {
  std::size_t i = list().FirstSelected();
  if (i != RenameList::npos) tabNumber->Analyze(list()[i].BaseName());
}

void TfrmRen::mnuSelectAllClick() { listView_.SelectAll(); }

void TfrmRen::mnuDeleteClick() {
  const bool removed = session_.RemoveSelected();
  SyncList();
  // The rows left are numbered and checked anew, as after a change of an input.
  if (removed) RestartPreview();
  UpdateCount();
}

void TfrmRen::ChooseOrder(rules::SortBy key, bool descending) {
  chosenKey_ = key;
  chosenDescending_ = descending;
  list().SetOrder(key, descending);
  SyncList();
  listView_.ShowOrder();
  // Numbering and the date rule follow the rows' new places.
  RestartPreview();
}

void TfrmRen::MoveRows(int delta) {
  if (!list().MoveSelected(delta)) return;
  SyncList();
  listView_.ShowOrder();
  const std::size_t first = list().FirstSelected();
  if (first != RenameList::npos) ListView_EnsureVisible(lstMain, static_cast<int>(first), FALSE);
  RestartPreview();
}

void TfrmRen::EndRowDrag(bool drop) {
  const std::size_t at = listView_.EndDrag(drop);
  if (GetCapture() == hwnd()) ReleaseCapture();
  if (at == RenameList::npos || !list().MoveSelectedBefore(at)) return;
  SyncList();
  listView_.ShowOrder();
  RestartPreview();
}

void TfrmRen::btnClearClick() {
  session_.Clear();
  SyncList();
  RestartPreview();
  UpdateCount();
}

void TfrmRen::SendToInput(const std::wstring& text) {
  HWND target = ActivePage().InputTarget();
  if (!target) return;
  win::SetText(target, text);
  SetFocus(target);
  RestartPreview();
}

void TfrmRen::mnuCopyClick() {
  std::size_t i = list().FirstSelected();
  if (i != RenameList::npos) SendToInput(std::wstring(list()[i].BaseName()));
}

void TfrmRen::mnuCopyNamesClick() {
  if (!list().empty()) win::SetClipboardText(hwnd(), rules::CopiedNames(list()));
}

void TfrmRen::mnuFolderClick() {
  std::size_t i = list().FirstSelected();
  if (i == RenameList::npos) i = 0;
  if (i >= list().size()) return;
  // A drive root ("C:\") keeps its delimiter and so has no name of its own.
  SendToInput(std::wstring(utf16::FileName(utf16::WithoutFinalDelimiter(list()[i].folder()))));
}

void TfrmRen::mnuChangeExtClick() {
  if (LongWork::Running() || !AnyFileSelected(list())) return;
  std::wstring answer, extension;
  for (;;) {
    if (!prompts_.Input(hwnd(), L"拡張子変更", L"新しい拡張子を入力してください", answer)) return;
    extension = ExtensionFromAnswer(answer);
    if (!extension.empty()) break;
    // Said why, then asked again with the answer still in the box.
    Message(
        L"この拡張子は使えません。空のもの、「\\」「/」「:」「*」「?」「\"」「<」「>」「|」や制御文字を"
        L"含むもの、「.」や空白で終わるものは使えません。",
        MB_OK | MB_ICONWARNING);
  }
  const auto hold = HoldJournal();
  if (!hold) return;
  session::ExtensionReport report;
  {
    LongWork work(hwnd(), lblCount, true);
    report = session_.ChangeExtension(extension, RenameMode() != PageId::Option,
                                      [&](std::size_t done, std::size_t total) { return work.Report(done, total); });
  }
  TellFailure(L"拡張子変更", report.failure);
  SayChanged(report, L"件の拡張子を変更しました", L"件の拡張子を変更して中止しました");
}

void TfrmRen::mnuComposeClick() {
  if (LongWork::Running() || !AnyFileSelected(list())) return;
  const auto hold = HoldJournal();
  if (!hold) return;
  session::ExtensionReport report;
  {
    LongWork work(hwnd(), lblCount, true);
    report = session_.Compose(RenameMode() != PageId::Option,
                              [&](std::size_t done, std::size_t total) { return work.Report(done, total); });
  }
  TellFailure(L"濁点・半濁点を結合", report.failure);
  SayChanged(report, L"件の名前を結合しました", L"件の名前を結合して中止しました");
}

void TfrmRen::SayChanged(const session::ExtensionReport& report, const wchar_t* done, const wchar_t* stopped) {
  SyncList();
  Checked();
  // Files already so named are not told: only what changed, and what the disk refused. Cut
  // off by a failure inside, it left no count; its message said so.
  if (!report.failure) {
    const disk::ExtensionReport& changes = report.changes;
    std::wstring note = std::to_wstring(changes.renamed) + (changes.stopped ? stopped : done);
    const std::size_t left = changes.failed + changes.refused;
    if (left > 0) note += L"、" + std::to_wstring(left) + L"件は変更不可";
    SayDone(note);
  }
  TellJournalProblem();
}

namespace {

const wchar_t* UndoFailureText(UndoFailure why) {
  switch (why) {
    case UndoFailure::NotOurs: return L"記録が正しくありません";
    case UndoFailure::Gone: return L"ファイルなし";
    case UndoFailure::OtherFile: return L"別のファイル";
    case UndoFailure::Taken: return L"同名のファイルあり";
    case UndoFailure::Link: return L"フォルダ外へのリンク";
    case UndoFailure::Failed: break;
  }
  return L"";
}

}  // namespace

void TfrmRen::mnuUndoClick() { TakeBack(false); }

void TfrmRen::mnuRedoClick() { TakeBack(true); }

void TfrmRen::TakeBack(bool redo) {
  if (LongWork::Running() || !(redo ? session_.CanRedo() : session_.CanUndo())) return;
  std::vector<Move> moves = session_.JournalMoves(redo);
  if (moves.empty()) {
    Message(L"元に戻す記録を読めません。", MB_OK | MB_ICONWARNING);
    return;
  }
  // The journal may be another window's run, on files not in this list: the user is told what
  // will move, and where, before anything does.
  if (Message(UndoQuestion(moves, redo), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  const auto hold = HoldJournal();
  if (!hold) return;
  session::TakeBackReport report;
  {
    LongWork work(hwnd(), lblCount, true);
    report = session_.TakeBack(redo, std::move(moves),
                               [&](std::size_t done, std::size_t total) { return work.Report(done, total); });
  }
  // Held, the journal was read again: another window may have taken the run back meanwhile.
  if (report.moves.changed) {
    Message(L"別のウィンドウが記録を変えました。もう一度お試しください。", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const wchar_t* what = redo ? L"やり直し" : L"元に戻す";
  TellFailure(what, report.failure);
  const UndoResult& result = report.moves.result;
  const std::vector<Move>& left = report.moves.left;
  moves = std::move(report.asked);
  SyncList();
  UpdatePreview();
  previewCountdown_ = 0;
  // What it did stays in the count label until the next change.
  const bool stopped = result.remaining > 0;
  std::wstring done = std::to_wstring(result.restored) +
                      (redo ? (stopped ? L"件をやり直して中止しました" : L"件をやり直しました")
                            : (stopped ? L"件を元に戻して中止しました" : L"件を元に戻しました"));
  if (result.failed > 0) done += L"、" + std::to_wstring(result.failed) + L"件は変更不可";
  SayDone(done);
  TellJournalProblem();
  if (result.failed == 0) return;
  // The first few are named, each with why.
  constexpr std::size_t kNamed = 5;
  std::wstring text = std::to_wstring(result.failed) + (redo ? L"個のファイルの変更をやり直せませんでした。\n"
                                                             : L"個のファイルを元に戻せませんでした。\n");
  for (std::size_t i = 0; i < result.problems.size() && i < kNamed; ++i) {
    const UndoProblem& p = result.problems[i];
    const Move& m = moves[p.move];
    const std::wstring why = p.why == UndoFailure::Failed ? FailureText(p.error) : UndoFailureText(p.why);
    const std::wstring& source = redo ? m.from : m.to;
    const std::wstring_view dest = utf16::FileName(redo ? m.to : m.from);
    text += L"\n" + source + L" → " + std::wstring(dest) + L"（" + why + L"）";
  }
  if (result.problems.size() > kNamed) text += L"\nほか" + std::to_wstring(result.problems.size() - kNamed) + L"件";
  if (!left.empty() && result.remaining == 0) {
    text += std::wstring(L"\n\n戻せなかった分は記録に残してあります。もう一度「") + what + L"」で再試行できます。";
  }
  Message(text, MB_OK | MB_ICONWARNING);
}
