#include "app/pages/DatePage.h"

#include <algorithm>

#include "app/dialogs/untEditPreset.h"
#include "app/pages/PageStyles.h"
#include "disk/ShotDateCache.h"
#include "disk/DateLocale.h"
#include "rules/DatePattern.h"
#include "rules/DateRule.h"
#include "settings/History.h"
#include "win/Controls.h"

using rules::DateInputs;
using rules::DateKind;
using rules::DateLocale;
using rules::PreviewDate;
using rules::RenameList;
using rules::RenderDatePattern;
using disk::DiskDateSources;
using settings::MoveToFront;
using settings::Settings;
using disk::CurrentDateLocale;
using disk::NowDateTime;

namespace {
enum : int { IDC_CMBDATEADD = 100, IDC_BTNHEAD2, IDC_BTNTAIL2, IDC_CMBDATEFORMAT, IDC_RDGDATETYPE = 110 };
}

bool DatePage::Build(HWND frame) {
  if (!CreatePanel(frame)) return false;
  win::ControlSet& set = host_.Controls();
  HWND p = hwnd();
  set.Add({p, WC_STATICW, L"追加文字列", kLabel, 0, {32, 2, 150, 14}});
  btnHead2 = set.Add({p,
                      WC_BUTTONW,
                      L"<",
                      kToggle,
                      0,
                      {6, 17, 22, 23},
                      win::kTopLeft,
                      IDC_BTNHEAD2,
                      L"ファイル名の前に文字列を追加します"});
  cmbDateAdd = set.Add({p,
                        WC_COMBOBOXW,
                        L"",
                        kCombo,
                        0,
                        {32, 18, 146, 200},
                        win::kTopLeft,
                        IDC_CMBDATEADD,
                        L"日付の前後に付ける文字列です。空欄にすると前のファイル名を使います"});
  btnTail2 = set.Add({p,
                      WC_BUTTONW,
                      L">",
                      kToggle,
                      0,
                      {182, 17, 22, 23},
                      win::kTopLeft,
                      IDC_BTNTAIL2,
                      L"ファイル名の後ろに文字列を追加します"});
  set.Add({p, WC_STATICW, L"日付フォーマット", kLabel, 0, {214, 2, 150, 14}});
  cmbDateFormat = set.Add({p,
                           WC_COMBOBOXW,
                           L"",
                           kPickList,
                           0,
                           {214, 18, 160, 200},
                           win::kTopLeft,
                           IDC_CMBDATEFORMAT,
                           L"日付のフォーマット"});
  rdgDateType.Create(set, p, L"日付の選択", L"ファイル名に付加する日付", {L"今日", L"作成日", L"更新日", L"撮影日"}, 4,
                     {6, 46, 368, 44}, IDC_RDGDATETYPE);
  win::SetCheck(btnTail2, true);
  rdgDateType.SetIndex(0);
  return !set.failed() && pupDummy.Create();
}

void DatePage::MakePreview(RenameList& list) {
  DateInputs in;
  in.text = win::GetText(cmbDateAdd);
  // No date while no preset is chosen, or the chosen one shows as nothing.
  int preset = win::ComboSelection(cmbDateFormat);
  in.hasDate = preset >= 0 && static_cast<std::size_t>(preset) < DateFormats.size() &&
               !win::GetText(cmbDateFormat).empty();
  if (in.hasDate) in.pattern = DateFormats[static_cast<std::size_t>(preset)];
  switch (rdgDateType.index()) {
    case 1: in.kind = DateKind::Created; break;
    case 2: in.kind = DateKind::Modified; break;
    case 3: in.kind = DateKind::Shot; break;  // Exif; without it the last-write date, marked
    default: in.kind = DateKind::Today; break;
  }
  in.head = win::IsChecked(btnHead2);
  in.tail = win::IsChecked(btnTail2);
  PreviewDate(list, in, CurrentDateLocale(), DiskDateSources());
}

void DatePage::AfterRename() {
  // The preset used moves to the front.
  if (MoveToFront(DateFormats, win::ComboSelection(cmbDateFormat))) RefreshDateFormats();
  if (win::ComboCount(cmbDateFormat) > 0) win::SetComboSelection(cmbDateFormat, 0);
}

void DatePage::AfterIntake(const RenameList&) {
  if (win::ComboSelection(cmbDateFormat) < 0 && win::ComboCount(cmbDateFormat) > 0)
    win::SetComboSelection(cmbDateFormat, 0);
}

void DatePage::ClearHistory() { SendMessageW(cmbDateFormat, CB_RESETCONTENT, 0, 0); }

void DatePage::RefreshDateFormats() {
  SendMessageW(cmbDateFormat, CB_RESETCONTENT, 0, 0);
  // The regional settings once for the whole list; the clock anew for each preset.
  const DateLocale locale = CurrentDateLocale();
  for (const auto& preset : DateFormats) win::AddComboItem(cmbDateFormat, RenderDatePattern(preset, NowDateTime(), locale));
  win::SetComboSelection(cmbDateFormat, -1);
}

void DatePage::Load(const Settings& s) {
  if (rdgDateType.SetIndex(s.time)) host_.ChangeItem();
  if (s.headTail2) win::PressExclusive(btnHead2, btnTail2);
  DateFormats = s.dateFormat;
  RefreshDateFormats();
}

void DatePage::Store(Settings& s) const {
  s.time = rdgDateType.index();
  s.headTail2 = win::IsChecked(btnHead2);
  s.dateFormat = DateFormats;
}

void DatePage::OnCommand(int id, int code, HWND from) {
  if (int item = rdgDateType.ClickedItem(id, code); item >= 0) {
    if (rdgDateType.SetIndex(item)) host_.ChangeItem();
  } else if (win::ClickExclusive(from, code, btnHead2, btnTail2) ||
             (id == IDC_CMBDATEADD && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) ||
             (id == IDC_CMBDATEFORMAT && code == CBN_SELCHANGE)) {
    host_.ChangeItem();
  }
}

void DatePage::cmbDateFormatContextPopup() {
  int chosen = win::ComboSelection(cmbDateFormat);
  bool ok = false;
  {
    TfrmEditPreset editor(DateFormats, chosen);
    if (editor.Create(GetAncestor(hwnd(), GA_ROOT))) host_.RunModal(editor);
    if (editor.result() == TfrmDialog::Result::OK) {
      ok = true;
      chosen = editor.chosen();
    }
  }
  RefreshDateFormats();
  // The drop-down shows the preset in use, and the preview is made with exactly that one.
  if (chosen >= 0 && chosen < win::ComboCount(cmbDateFormat)) win::SetComboSelection(cmbDateFormat, chosen);
  if (ok) host_.ChangeItem();
}

bool DatePage::OnContextMenu(HWND from, int, int) {
  if (from != cmbDateFormat && GetParent(from) != cmbDateFormat) return false;
  cmbDateFormatContextPopup();
  return true;
}
