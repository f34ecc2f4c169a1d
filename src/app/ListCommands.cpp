#include "app/untRen.h"

#include "app/LongWork.h"

#include "engine/ChangeExtension.h"
#include "engine/Undo.h"
#include "text/sjis.h"
#include "win/Controls.h"

// The list's commands: they feed names from the list into the active input, edit the list
// and change extensions on disk.

void TfrmRen::pupMainPopup() { listView_.PrepareMenu(RenameMode() == PageId::Number, CanUndo()); }

void TfrmRen::mnuAnalyzeClick() {
  std::size_t i = list_.FirstSelected();
  if (i != RenameList::npos) tabNumber->Analyze(list_[i].BaseName());
}

void TfrmRen::mnuSelectAllClick() { listView_.SelectAll(); }

void TfrmRen::mnuDeleteClick() {
  list_.RemoveSelected();
  SyncList();
  UpdateCount();
}

void TfrmRen::btnClearClick() {
  list_.Clear();
  disk_.Clear();
  skipped_ = IntakeSkips{};
  SyncList();
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
  std::string_view folder = list_[i].folder;
  // A drive root ("C:\") keeps its delimiter and so has no name of its own.
  if (sjis::FileName(folder).empty() && folder.size() > 1 && folder.back() == '\\' &&
      folder[folder.size() - 2] != ':') {
    folder.remove_suffix(1);
  }
  SendToInput(std::string(sjis::FileName(folder)));
}

void TfrmRen::mnuChangeExtClick() {
  if (LongWork::Running() || list_.FirstSelected() == RenameList::npos) return;
  std::string answer, extension;
  for (;;) {
    if (!inputQuery("拡張子変更", "新しい拡張子を入力してください", answer)) return;
    extension = ExtensionFromAnswer(answer);
    if (!extension.empty()) break;
    // Said why, then asked again with the answer still in the box.
    messageBox(win::Wide("この拡張子は使えません。空のもの、「\\」「/」「:」を含むもの、「.」や空白で終わるものは使えません。"),
               MB_OK | MB_ICONWARNING);
  }
  {
    LongWork work(hwnd(), lblCount, true);
    ChangeExtensions(
        list_, extension, [&](std::size_t done, std::size_t total) { return work.Report(done, total); }, &journal_);
  }
  disk_.Clear();
  SyncList();
  CheckRows();
}

void TfrmRen::mnuUndoClick() {
  if (LongWork::Running() || !CanUndo()) return;
  std::vector<Move> moves = journal_.Moves();
  UndoResult result;
  {
    LongWork work(hwnd(), lblCount, true);
    result = UndoMoves(moves, list_, [&](std::size_t done, std::size_t total) { return work.Report(done, total); });
  }
  // A stopped undo keeps the moves not yet taken back, for a second one to go on with.
  journal_.Keep(result.remaining);
  disk_.Clear();
  SyncList();
  UpdatePreview();
  PreviewCountdown = 0;
  if (result.failed > 0) {
    messageBox(win::Wide(std::to_string(result.failed) + "個のファイルを元に戻せませんでした。"),
               MB_OK | MB_ICONWARNING);
  }
}
