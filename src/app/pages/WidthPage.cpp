#include "app/pages/WidthPage.h"

#include "app/pages/PageStyles.h"
#include "rules/Rules.h"
#include "win/Controls.h"

using rules::PreviewWidth;
using rules::RenameList;
using rules::WidthChoice;
using rules::WidthFlagsFromGroups;
using rules::WidthGroups;
using settings::Settings;

namespace {
enum : int { IDC_BTNKANA = 100, IDC_BTNIGNORE, IDC_BTNNARROW, IDC_BTNWIDE, IDC_RGWORD = 110, IDC_RGNUM = 120,
             IDC_RGKAKKO = 130, IDC_RGSPACE = 140, IDC_RGSYMBOL = 150 };

// A group's item in WidthChoice's order: 無視, 半角, 全角.
WidthChoice Choice(const win::RadioGroup& g) {
  return g.index() == 1 ? WidthChoice::Half : g.index() == 2 ? WidthChoice::Wide : WidthChoice::Ignore;
}
}  // namespace

bool WidthPage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  HWND p = hwnd();
  const std::vector<const wchar_t*> items = {L"無視", L"半角", L"全角"};
  // Two columns of groups, so each item has room for its two-character caption.
  rgWord.Create(set, p, L"英文字", L"英文字を半角／全角にします", items, 3, {4, 0, 184, 31}, IDC_RGWORD);
  rgNum.Create(set, p, L"数字", L"数字を半角／全角にします", items, 3, {4, 31, 184, 31}, IDC_RGNUM);
  rgKakko.Create(set, p, L"括弧", L"括弧を半角／全角にします", items, 3, {4, 62, 184, 31}, IDC_RGKAKKO);
  rgSpace.Create(set, p, L"スペース", L"スペース・アンダースコアを半角／全角にします", items, 3, {192, 0, 184, 31},
                 IDC_RGSPACE);
  rgSymbol.Create(set, p, L"記号", L"一部の記号を半角／全角にします", items, 3, {192, 31, 184, 31}, IDC_RGSYMBOL);
  for (win::RadioGroup* g : Groups()) g->SetIndex(0);
  btnKana = set.Add({p,
                     WC_BUTTONW,
                     L"カナ",
                     BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP,
                     0,
                     {194, 68, 44, 22},
                     win::kTopLeft,
                     IDC_BTNKANA,
                     L"カタカナを全角にします"});
  btnIgnore = set.Add(
      {p, WC_BUTTONW, L"無視", kPush, 0, {242, 68, 44, 22}, win::kTopLeft, IDC_BTNIGNORE, L"すべて無視します"});
  btnNarrow = set.Add(
      {p, WC_BUTTONW, L"半角", kPush, 0, {288, 68, 44, 22}, win::kTopLeft, IDC_BTNNARROW, L"すべて半角にします"});
  btnWide = set.Add(
      {p, WC_BUTTONW, L"全角", kPush, 0, {334, 68, 44, 22}, win::kTopLeft, IDC_BTNWIDE, L"すべて全角にします"});
  return !set.failed();
}

void WidthPage::MakePreview(RenameList& list) {
  WidthGroups groups{Choice(rgWord), Choice(rgNum), Choice(rgKakko), Choice(rgSpace), Choice(rgSymbol)};
  PreviewWidth(list, WidthFlagsFromGroups(groups), win::IsChecked(btnKana));
}

void WidthPage::btnINWClick(HWND button) {
  int item = button == btnIgnore ? 0 : button == btnNarrow ? 1 : 2;
  for (win::RadioGroup* g : Groups()) {
    if (g->SetIndex(item)) host_.ChangeItem();
  }
}

void WidthPage::Load(const Settings& s) {
  const int items[] = {s.wnWord, s.wnNum, s.wnKakko, s.wnSpace, s.wnSymbol};
  auto groups = Groups();
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i]->SetIndex(items[i])) host_.ChangeItem();
  }
  if (s.wideKana) win::SetCheck(btnKana, true);
}

void WidthPage::Store(Settings& s) const {
  s.wnWord = rgWord.index();
  s.wnNum = rgNum.index();
  s.wnKakko = rgKakko.index();
  s.wnSpace = rgSpace.index();
  s.wnSymbol = rgSymbol.index();
  s.wideKana = win::IsChecked(btnKana);
}

void WidthPage::OnCommand(int id, int code, HWND from) {
  for (win::RadioGroup* g : Groups()) {
    if (int item = g->ClickedItem(id, code); item >= 0) {
      if (g->SetIndex(item)) host_.ChangeItem();
      return;
    }
  }
  if (code != BN_CLICKED) return;
  if (id == IDC_BTNKANA) host_.ChangeItem();
  if (id == IDC_BTNIGNORE || id == IDC_BTNNARROW || id == IDC_BTNWIDE) btnINWClick(from);
}
