#include "app/pages/CasePage.h"

#include "rules/Rules.h"

using rules::LetterCase;
using rules::PreviewCase;
using rules::RenameList;
using settings::Settings;

namespace {
constexpr int IDC_RDGLETTER = 100;
}

bool CasePage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  rdgLetter.Create(set, hwnd(), L"大文字小文字変換", L"ファイル名中のアルファベットを変換します",
                   {L"すべて大文字", L"すべて小文字", L"頭文字を大文字に", L"単語の頭文字を大文字に"}, 2,
                   {6, 4, 368, 64}, IDC_RDGLETTER);
  return !set.failed();
}

void CasePage::MakePreview(RenameList& list) {
  // The items are in LetterCase's order; -1 (none chosen) is LetterCase::None.
  PreviewCase(list, static_cast<LetterCase>(rdgLetter.index()));
}

void CasePage::Load(const Settings& s) {
  if (rdgLetter.SetIndex(s.upLoCase)) host_.ChangeItem();
}

void CasePage::Store(Settings& s) const { s.upLoCase = rdgLetter.index(); }

void CasePage::OnCommand(int id, int code, HWND) {
  if (int item = rdgLetter.ClickedItem(id, code); item >= 0 && rdgLetter.SetIndex(item)) host_.ChangeItem();
}
