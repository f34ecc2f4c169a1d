#include "app/pages/NumberPage.h"

#include "app/HistoryBox.h"
#include "app/pages/PageStyles.h"
#include "rules/Rules.h"
#include "win/Controls.h"

using rules::AnalysisColumn;
using rules::AnalyzeName;
using rules::NameAnalysis;
using rules::NumberingInputs;
using rules::PreviewNumber;
using rules::RenameList;
using rules::kMaxStart;
using rules::kMaxStep;
using settings::Settings;

namespace {
enum : int { IDC_CMBBASNAME = 100, IDC_EDTSTART = 110, IDC_EDTSTEP = 120, IDC_EDTCOLUMN = 130, IDC_CHKDIVIDER = 140 };
}

bool NumberPage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  HWND p = hwnd();
  set.Add({p, WC_STATICW, L"基本名", kLabel, 0, {6, 4, 120, 14}});
  cmbBasName = set.Add(
      {p, WC_COMBOBOXW, L"", kCombo, 0, {6, 20, 170, 200}, win::kTopLeft, IDC_CMBBASNAME, L"連番の前に付ける名前"});
  set.Add({p, WC_STATICW, L"開始番号", kLabel, 0, {186, 4, 64, 14}});
  Start.Create(set, p, {186, 20, 44, 21}, 0, kMaxStart, 1, IDC_EDTSTART, L"連番の開始番号");
  set.Add({p, WC_STATICW, L"ステップ", kLabel, 0, {252, 4, 64, 14}});
  Step.Create(set, p, {252, 20, 44, 21}, 1, kMaxStep, 1, IDC_EDTSTEP, L"連番の増分");
  set.Add({p, WC_STATICW, L"桁数", kLabel, 0, {318, 4, 56, 14}});
  Column.Create(set, p, {318, 20, 40, 21}, 1, 10, 1, IDC_EDTCOLUMN, L"連番の桁数");
  chkDivider = set.Add({p,
                        WC_BUTTONW,
                        L"\"_\"で区切る",
                        kCheck,
                        0,
                        {6, 50, 220, 18},
                        win::kTopLeft,
                        IDC_CHKDIVIDER,
                        L"\"_\"（アンダースコア）を数字の前に付けます"});
  return !set.failed();
}

void NumberPage::MakePreview(RenameList& list) {
  NumberingInputs in;
  in.baseText = win::GetText(cmbBasName);
  in.start = Start.pos();
  in.step = Step.pos();
  in.column = Column.pos();
  in.startText = win::GetText(edtStart);
  in.divider = win::IsChecked(chkDivider);
  // A row the run leaves would take a number and leave a gap on disk.
  PreviewNumber(list, in, host_.RowsThatStay());
}

void NumberPage::AfterRename() { app::PushHistory(cmbBasName, host_.HistoryLength()); }
void NumberPage::AfterIntake(const RenameList& list) { app::FillFromFirstEntry(cmbBasName, list); }
void NumberPage::TrimHistory(int length) { app::TrimHistory(cmbBasName, length); }
void NumberPage::ClearHistory() { app::ClearHistory(cmbBasName); }

void NumberPage::Analyze(std::wstring_view baseName) {
  NameAnalysis a = AnalyzeName(baseName);
  // A number the start box can't hold would be numbered from something else: leave it all.
  if (!win::NumberInRange(a.startText, 0, kMaxStart)) return;
  Start.SetText(a.startText);
  Column.SetPosition(AnalysisColumn(a));
  win::SetText(cmbBasName, a.baseText);
  if (win::IsChecked(chkDivider) != a.divider) {
    win::SetCheck(chkDivider, a.divider);
    host_.ChangeItem();  // the check box's click
  }
  host_.ChangeItem();
}

void NumberPage::Load(const Settings& s) {
  Start.SetPosition(s.start);
  Step.SetPosition(s.step);
  Column.SetPosition(s.column);
  win::SetCheck(chkDivider, s.divide);
  win::SetComboItems(cmbBasName, s.basVal);
}

void NumberPage::Store(Settings& s) const {
  s.start = Start.pos();
  s.step = Step.pos();
  s.column = Column.pos();
  s.divide = win::IsChecked(chkDivider);
  s.basVal = win::ComboItems(cmbBasName);
}

void NumberPage::OnCommand(int id, int code, HWND) {
  if (Start.HandleCommand(id, code) || Step.HandleCommand(id, code) || Column.HandleCommand(id, code)) {
    host_.ChangeItem();
  } else if ((id == IDC_CMBBASNAME && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) ||
             (id == IDC_CHKDIVIDER && code == BN_CLICKED)) {
    host_.ChangeItem();
  }
}

LRESULT NumberPage::OnNotify(NMHDR* nm) {
  if (Start.HandleNotify(nm) || Step.HandleNotify(nm) || Column.HandleNotify(nm)) {
    host_.UpDownClick();
    return TRUE;  // the position is ours to keep
  }
  return 0;
}
