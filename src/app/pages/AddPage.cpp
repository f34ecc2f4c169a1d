#include "app/pages/AddPage.h"

#include "app/HistoryBox.h"
#include "app/pages/PageStyles.h"
#include "rules/Rules.h"
#include "win/Controls.h"

using rules::AddInputs;
using rules::PreviewAdd;
using rules::RenameList;
using settings::Settings;

namespace {
enum : int { IDC_BTNHEAD = 100, IDC_BTNTAIL, IDC_CMBADDVALUE, IDC_CHKDIV2 };
}

bool AddPage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  HWND p = hwnd();
  set.Add({p, WC_STATICW, L"追加文字列", kLabel, 0, {34, 4, 200, 14}});
  btnHead = set.Add({p,
                     WC_BUTTONW,
                     L"<",
                     kToggle,
                     0,
                     {6, 19, 24, 23},
                     win::kTopLeft,
                     IDC_BTNHEAD,
                     L"ファイル名の前に文字列を追加します"});
  cmbAddValue = set.Add(
      {p, WC_COMBOBOXW, L"", kCombo, 0, {34, 20, 306, 200}, win::kTopLeft, IDC_CMBADDVALUE, L"追加される文字列"});
  btnTail = set.Add({p,
                     WC_BUTTONW,
                     L">",
                     kToggle,
                     0,
                     {344, 19, 24, 23},
                     win::kTopLeft,
                     IDC_BTNTAIL,
                     L"ファイル名の後ろに文字列を追加します"});
  chkDiv2 = set.Add({p,
                     WC_BUTTONW,
                     L"\"_\"で区切る",
                     kCheck,
                     0,
                     {6, 50, 220, 18},
                     win::kTopLeft,
                     IDC_CHKDIV2,
                     L"\"_\"（アンダースコア）で追加文字列とファイル名を区切ります"});
  win::SetCheck(btnTail, true);
  return !set.failed();
}

void AddPage::MakePreview(RenameList& list) {
  AddInputs in;
  in.text = win::GetText(cmbAddValue);
  in.head = win::IsChecked(btnHead);
  in.tail = win::IsChecked(btnTail);
  in.divider = win::IsChecked(chkDiv2);
  PreviewAdd(list, in);
}

void AddPage::AfterRename() { app::PushHistory(cmbAddValue, host_.HistoryLength()); }
void AddPage::AfterIntake(const RenameList& list) { app::FillFromFirstEntry(cmbAddValue, list); }
void AddPage::TrimHistory(int length) { app::TrimHistory(cmbAddValue, length); }
void AddPage::ClearHistory() { app::ClearHistory(cmbAddValue); }

void AddPage::Load(const Settings& s) {
  // True presses the left-hand button; false leaves the pair as it stands.
  if (s.headOrTail) win::PressExclusive(btnHead, btnTail);
  win::SetCheck(chkDiv2, s.div2);
  win::SetComboItems(cmbAddValue, s.addVal);
}

void AddPage::Store(Settings& s) const {
  s.headOrTail = win::IsChecked(btnHead);
  s.div2 = win::IsChecked(chkDiv2);
  s.addVal = win::ComboItems(cmbAddValue);
}

void AddPage::OnCommand(int id, int code, HWND from) {
  if (win::ClickExclusive(from, code, btnHead, btnTail) ||
      (id == IDC_CMBADDVALUE && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) ||
      (id == IDC_CHKDIV2 && code == BN_CLICKED)) {
    host_.ChangeItem();
  }
}
