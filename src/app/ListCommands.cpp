#include "app/untRen.h"

#include "app/LongWork.h"
#include "app/RenameListView.h"

#include "disk/ChangeExtension.h"
#include "disk/Undo.h"
#include "text/sjis.h"
#include "win/Controls.h"

using rules::ExtensionFromAnswer;
using rules::RenameList;
using disk::ChangeExtensions;
using disk::Move;
using disk::Progress;
using disk::RedoMoves;
using disk::UndoFailure;
using disk::UndoMoves;
using disk::UndoProblem;
using disk::UndoQuestion;
using disk::UndoResult;
using intake::IntakeSkips;

// The list's commands: they feed names from the list into the active input, edit the list
// and change extensions on disk.

void TfrmRen::pupMainPopup() { listView_.PrepareMenu(RenameMode() == PageId::Number, CanUndo(), CanRedo()); }

void TfrmRen::mnuAnalyzeClick() {
  std::size_t i = list_.FirstSelected();
  if (i != RenameList::npos) tabNumber->Analyze(list_[i].BaseName());
}

void TfrmRen::mnuSelectAllClick() { listView_.SelectAll(); }

void TfrmRen::mnuDeleteClick() {
  const std::size_t before = list_.size();
  list_.RemoveSelected();
  SyncList();
  // The rows left are numbered and checked anew, as after a change of an input.
  if (list_.size() != before) RestartPreview();
  UpdateCount();
}

void TfrmRen::ChooseOrder(rules::SortBy key, bool descending) {
  chosenKey_ = key;
  chosenDescending_ = descending;
  list_.SetOrder(key, descending);
  SyncList();
  listView_.ShowOrder();
  // Numbering and the date rule follow the rows' new places.
  RestartPreview();
}

void TfrmRen::MoveRows(int delta) {
  if (!list_.MoveSelected(delta)) return;
  SyncList();
  listView_.ShowOrder();
  const std::size_t first = list_.FirstSelected();
  if (first != RenameList::npos) ListView_EnsureVisible(lstMain, static_cast<int>(first), FALSE);
  RestartPreview();
}

void TfrmRen::EndRowDrag(bool drop) {
  const std::size_t at = listView_.EndDrag(drop);
  if (GetCapture() == hwnd()) ReleaseCapture();
  if (at == RenameList::npos || !list_.MoveSelectedBefore(at)) return;
  SyncList();
  listView_.ShowOrder();
  RestartPreview();
}

void TfrmRen::btnClearClick() {
  list_.Clear();
  disk_.Clear();
  skipped_ = IntakeSkips{};
  SyncList();
  RestartPreview();
  UpdateCount();
}

void TfrmRen::SendToInput(const std::string& text) {
  HWND target = ActivePage().InputTarget();
  if (!target) return;
  win::SetText(target, text);
  SetFocus(target);
  RestartPreview();
}

void TfrmRen::mnuCopyClick() {
  std::size_t i = list_.FirstSelected();
  if (i != RenameList::npos) SendToInput(std::string(list_[i].BaseName()));
}

void TfrmRen::mnuFolderClick() {
  std::size_t i = list_.FirstSelected();
  if (i == RenameList::npos) i = 0;
  if (i >= list_.size()) return;
  // A drive root ("C:\") keeps its delimiter and so has no name of its own.
  SendToInput(std::string(sjis::FileName(sjis::WithoutFinalDelimiter(list_[i].folder))));
}

void TfrmRen::mnuChangeExtClick() {
  if (LongWork::Running() || !AnyFileSelected(list_)) return;
  std::string answer, extension;
  for (;;) {
    if (!inputQuery("拡張子変更", "新しい拡張子を入力してください", answer)) return;
    extension = ExtensionFromAnswer(answer);
    if (!extension.empty()) break;
    // Said why, then asked again with the answer still in the box.
    messageBox(win::Utf16("この拡張子は使えません。空のもの、「\\」「/」「:」「*」「?」「\"」「<」「>」「|」や制御文字を"
                         "含むもの、「.」や空白で終わるものは使えません。"),
               MB_OK | MB_ICONWARNING);
  }
  const auto hold = HoldJournal();
  if (!hold) return;
  disk::ExtensionReport report;
  const bool whole = Attempt("拡張子変更", [&] {
    LongWork work(hwnd(), lblCount, true);
    report = ChangeExtensions(
        list_, extension, [&](std::size_t done, std::size_t total) { return work.Report(done, total); }, &journal_,
        &disk_);
  });
  disk_.Clear();
  SyncList();
  CheckRows();
  // Files already so named are not told: only what changed, and what the disk refused. Cut
  // off by a failure inside, it left no count; its message said so.
  if (whole) {
    std::string note = std::to_string(report.changed) +
                       (report.stopped ? "件の拡張子を変更して中止しました" : "件の拡張子を変更しました");
    if (report.failed > 0) note += "、" + std::to_string(report.failed) + "件は変更不可";
    SayDone(note);
  }
  TellJournalProblem();
}

namespace {

const char* UndoFailureText(UndoFailure why) {
  switch (why) {
    case UndoFailure::NotOurs: return "記録が正しくありません";
    case UndoFailure::Gone: return "ファイルなし";
    case UndoFailure::OtherFile: return "別のファイル";
    case UndoFailure::Taken: return "同名のファイルあり";
    case UndoFailure::Link: return "フォルダ外へのリンク";
    case UndoFailure::Failed: break;
  }
  return "";
}

}  // namespace

void TfrmRen::mnuUndoClick() { TakeBack(false); }

void TfrmRen::mnuRedoClick() { TakeBack(true); }

void TfrmRen::TakeBack(bool redo) {
  if (LongWork::Running() || !(redo ? CanRedo() : CanUndo())) return;
  std::vector<Move> moves = redo ? journal_.RedoMoves() : journal_.Moves();
  if (moves.empty()) {
    messageBox(win::Utf16("元に戻す記録を読めません。"), MB_OK | MB_ICONWARNING);
    return;
  }
  // The journal may be another window's run, on files not in this list: the user is told what
  // will move, and where, before anything does.
  if (messageBox(win::Utf16(UndoQuestion(moves, redo)), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // Held, the journal is read again: another window may have taken the run back meanwhile.
  const auto hold = HoldJournal();
  if (!hold) return;
  const std::vector<Move> now = redo ? journal_.RedoMoves() : journal_.Moves();
  const auto same = [](const Move& a, const Move& b) { return a.from == b.from && a.to == b.to && a.id == b.id; };
  if (!std::equal(moves.begin(), moves.end(), now.begin(), now.end(), same)) {
    messageBox(win::Utf16("別のウィンドウが記録を変えました。もう一度お試しください。"), MB_OK | MB_ICONINFORMATION);
    return;
  }
  const char* what = redo ? "やり直し" : "元に戻す";
  UndoResult result;
  const bool whole = Attempt(what, [&] {
    LongWork work(hwnd(), lblCount, true);
    const Progress progress = [&](std::size_t done, std::size_t total) { return work.Report(done, total); };
    result = redo ? RedoMoves(moves, list_, progress) : UndoMoves(moves, list_, progress);
  });
  // A stopped or partly failed undo (redo) keeps the moves it did not take back (make again)
  // for a second one to go on with. One cut off by a failure inside changes nothing: a second
  // one skips what already moved.
  const std::vector<Move> left = result.Left(moves);
  if (whole && redo) journal_.Redone(left, result.Done(moves));
  if (whole && !redo) journal_.Undone(left, result.Done(moves));
  disk_.Clear();
  SyncList();
  UpdatePreview();
  PreviewCountdown = 0;
  // What it did stays in the count label until the next change.
  const bool stopped = result.remaining > 0;
  std::string done = std::to_string(result.restored) +
                     (redo ? (stopped ? "件をやり直して中止しました" : "件をやり直しました")
                           : (stopped ? "件を元に戻して中止しました" : "件を元に戻しました"));
  if (result.failed > 0) done += "、" + std::to_string(result.failed) + "件は変更不可";
  SayDone(done);
  TellJournalProblem();
  if (result.failed == 0) return;
  // The first few are named, each with why.
  constexpr std::size_t kNamed = 5;
  std::string text = std::to_string(result.failed) +
                     (redo ? "個のファイルの変更をやり直せませんでした。\n" : "個のファイルを元に戻せませんでした。\n");
  for (std::size_t i = 0; i < result.problems.size() && i < kNamed; ++i) {
    const UndoProblem& p = result.problems[i];
    const Move& m = moves[p.move];
    const std::string why = p.why == UndoFailure::Failed ? FailureText(p.error) : UndoFailureText(p.why);
    const std::string& path = redo ? m.from : m.to;
    text += "\n" + path + " → " + std::string(sjis::FileName(redo ? m.to : m.from)) + "（" + why + "）";
  }
  if (result.problems.size() > kNamed) text += "\nほか" + std::to_string(result.problems.size() - kNamed) + "件";
  if (!left.empty() && result.remaining == 0) {
    text += std::string("\n\n戻せなかった分は記録に残してあります。もう一度「") + what + "」で再試行できます。";
  }
  messageBox(win::Utf16(text), MB_OK | MB_ICONWARNING);
}
