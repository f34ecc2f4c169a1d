#include "app/pages/ReplacePage.h"

#include "app/HistoryBox.h"
#include "app/pages/PageStyles.h"
#include "rules/RegexRule.h"
#include "rules/Rules.h"
#include "win/Controls.h"

using rules::PreviewRegexReplace;
using rules::PreviewReplace;
using rules::RegexError;
using rules::RenameList;
using settings::Settings;

namespace {
enum : int { IDC_CMBOLDVALUE = 100, IDC_CMBNEWVALUE, IDC_CHKREGEXP };
// Posted to the page as a command of the replacement box: select the text copied into it.
constexpr int kSelectCopy = 0x7000;
}  // namespace

std::wstring ReplacePage::RuleErrorDetail() const { return rules::RegexErrorText(regexError_); }

bool ReplacePage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  HWND p = hwnd();
  set.Add({p, WC_STATICW, L"検索文字列", kLabel, 0, {6, 4, 200, 14}});
  cmbOldValue = set.Add({p,
                         WC_COMBOBOXW,
                         L"",
                         kCombo,
                         0,
                         {6, 20, 366, 200},
                         win::kTopLeft,
                         IDC_CMBOLDVALUE,
                         L"「置換文字列」に置き換えられる文字列"});
  chkRegExp = set.Add({p,
                       WC_BUTTONW,
                       L"正規表現",
                       kCheck,
                       0,
                       {272, 2, 100, 16},
                       win::kTopLeft,
                       IDC_CHKREGEXP,
                       L"検索文字列を正規表現として扱います"});
  set.Add({p, WC_STATICW, L"置換文字列", kLabel, 0, {6, 46, 200, 14}});
  cmbNewValue = set.Add({p,
                         WC_COMBOBOXW,
                         L"",
                         kCombo,
                         0,
                         {6, 62, 366, 200},
                         win::kTopLeft,
                         IDC_CMBNEWVALUE,
                         L"「検索文字列」を置き換える文字列"});
  return !set.failed();
}

void ReplacePage::MakePreview(RenameList& list) {
  regexError_ = RegexError::None;
  if (win::IsChecked(chkRegExp)) {
    PreviewRegexReplace(list, {win::GetText(cmbOldValue), win::GetText(cmbNewValue), host_.TrimResults()}, nullptr,
                        &regexError_);
  } else {
    PreviewReplace(list, {win::GetText(cmbOldValue), win::GetText(cmbNewValue), host_.TrimResults()});
  }
}

void ReplacePage::AfterRename() {
  // Only a search that was applied enters the history: an expression that can't be read
  // renamed nothing.
  if (regexError_ != RegexError::None) {
    SetFocus(cmbOldValue);
    return;
  }
  // The search box is pushed last, so it ends with the focus.
  app::PushHistory(cmbNewValue, host_.HistoryLength());
  app::PushHistory(cmbOldValue, host_.HistoryLength());
}

void ReplacePage::AfterIntake(const RenameList& list) { app::FillFromFirstEntry(cmbOldValue, list); }

void ReplacePage::TrimHistory(int length) {
  app::TrimHistory(cmbOldValue, length);
  app::TrimHistory(cmbNewValue, length);
}

void ReplacePage::ClearHistory() {
  app::ClearHistory(cmbOldValue);
  app::ClearHistory(cmbNewValue);
}

void ReplacePage::Load(const Settings& s) {
  win::SetCheck(chkRegExp, s.regExp);
  win::SetComboItems(cmbOldValue, s.oldVal);
  win::SetComboItems(cmbNewValue, s.newVal);
}

void ReplacePage::Store(Settings& s) const {
  s.regExp = win::IsChecked(chkRegExp);
  s.oldVal = win::ComboItems(cmbOldValue);
  s.newVal = win::ComboItems(cmbNewValue);
}

void ReplacePage::cmbNewValueEnter() {
  // The Tab key or the mouse button (either: they may be swapped) that moved the focus is
  // still down while the move is handled; the program's own moves (after a run, a copied
  // name) come with neither.
  const bool byUser = GetKeyState(VK_TAB) < 0 || GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0;
  if (!byUser || !win::GetText(cmbNewValue).empty()) return;
  win::SetText(cmbNewValue, win::GetText(cmbOldValue));
  // The whole copy is selected, the caret at its end, so the next key typed replaces it. A
  // click that brought the focus puts the caret where it hit once this returns, so the
  // selection is made after it.
  PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(IDC_CMBNEWVALUE, kSelectCopy), reinterpret_cast<LPARAM>(cmbNewValue));
  host_.ChangeItem();
}

void ReplacePage::OnCommand(int id, int code, HWND) {
  if (id == IDC_CHKREGEXP && code == BN_CLICKED) host_.ChangeItem();
  if (id != IDC_CMBOLDVALUE && id != IDC_CMBNEWVALUE) return;
  if (id == IDC_CMBNEWVALUE && code == CBN_SETFOCUS) cmbNewValueEnter();
  if (id == IDC_CMBNEWVALUE && code == kSelectCopy) {
    // A drag of the button still down would move the selection's end back to the click.
    HWND edit = GetWindow(cmbNewValue, GW_CHILD);
    if (edit && GetCapture() == edit) ReleaseCapture();
    SendMessageW(cmbNewValue, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  }
  if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) host_.ChangeItem();
}
