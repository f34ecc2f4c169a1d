#include "app/WindowFixture.h"

#include "app/dialogs/untEditPreset.h"
#include "app/dialogs/untFilter.h"
#include "disk/DateLocale.h"
#include "rules/DatePattern.h"
#include "settings/Settings.h"

using settings::Settings;
using disk::RenderDatePatternNow;

namespace {

class PresetEditorTest : public WindowTest {
 protected:
  void OpenEditor(std::vector<std::wstring> presets) {
    Open();
    formats = std::move(presets);
    editor = std::make_unique<TfrmEditPreset>(formats);
    ASSERT_TRUE(editor->Create(form->hwnd()));
    editor->Show();
    Pump();
  }
  void TearDown() override {
    editor.reset();
    WindowTest::TearDown();
  }
  std::vector<std::wstring> Rows() {
    std::vector<std::wstring> rows;
    for (int i = 0; i < editor->items.Count(); ++i) rows.push_back(editor->items.Text(i));
    return rows;
  }
  // A key through the dialog's own pre-translation, as its modal loop does.
  void DialogKey(HWND target, UINT message, WPARAM key) {
    MSG msg{target, message, key, 0, 0, {}};
    if (!editor->PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Pump();
  }

  std::vector<std::wstring> formats;
  std::unique_ptr<TfrmEditPreset> editor;
};

using Texts = std::vector<std::wstring>;

}  // namespace

TEST_F(PresetEditorTest, ShowsEveryPresetWithItsPreviewAndFocusesTheInput) {
  OpenEditor({L"yyyy", L"", L"mm"});
  EXPECT_EQ(Rows(), (Texts{L"yyyy", L"", L"mm"}));
  EXPECT_EQ(editor->items.Text(0, 1), RenderDatePatternNow(L"yyyy"));
  EXPECT_FALSE(editor->items.Text(1, 1).empty()) << "an empty pattern previews as the short date and time";
  EXPECT_EQ(GetFocus(), editor->edtInput);
  win::SetText(editor->edtInput, L"yyyy");
  EXPECT_EQ(win::GetText(editor->lblResult), RenderDatePatternNow(L"yyyy"));
  win::SetText(editor->edtInput, L"");
  EXPECT_EQ(win::GetText(editor->lblResult), L"");
}

TEST_F(PresetEditorTest, InputFollowsTheLowestSelectedRow) {
  OpenEditor({L"a", L"b", L"c", L"d"});
  editor->items.Select(3, true);
  editor->items.Select(1, true);
  EXPECT_EQ(win::GetText(editor->edtInput), L"b");
  editor->items.Select(1, false);
  EXPECT_EQ(win::GetText(editor->edtInput), L"d") << "a deselection that leaves rows selected";
}

TEST_F(PresetEditorTest, AddTakesNewPatternsAsTheyStandAndEditNeedsAnInput) {
  OpenEditor({L"yyyy"});
  for (const wchar_t* text : {L"yyyy", L"YYYY", L"", L""}) {
    win::SetText(editor->edtInput, text);
    editor->actAddItemExecute();
  }
  EXPECT_EQ(Rows(), (Texts{L"yyyy", L"YYYY", L""}));
  editor->items.Select(0, true);
  win::SetText(editor->edtInput, L"");
  editor->actEditItemExecute();
  EXPECT_EQ(Rows()[0], L"yyyy");
  win::SetText(editor->edtInput, L"YYYY");
  editor->actEditItemExecute();
  EXPECT_EQ(Rows(), (Texts{L"YYYY", L"YYYY", L""})) << "an edit may make two rows equal";
}

TEST_F(PresetEditorTest, ShortcutsActFromTheInputBox) {
  OpenEditor({L"a", L"b", L"c", L"d", L"e"});
  for (int row : {0, 2, 3}) editor->items.Select(row, true);
  SetFocus(editor->edtInput);
  win::SetText(editor->edtInput, L"kept");
  DialogKey(editor->edtInput, WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(Rows(), (Texts{L"b", L"e"}));
  EXPECT_EQ(win::GetText(editor->edtInput), L"kept");
  DialogKey(editor->edtInput, WM_CHAR, 1);  // Ctrl+A
  EXPECT_EQ(editor->items.Selected(), (std::vector<int>{0, 1}));
  DialogKey(editor->edtInput, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(editor->result(), TfrmDialog::Result::Cancel);
}

// The editor opens on the preset in use, and Cancel keeps it in the drop-down and the
// preview as they were.
TEST_F(WindowTest, PresetEditorLeavesTheDropDownOnThePresetToUse) {
  Open();
  AddRows({L"a.txt"});
  DatePage& page = *form->tabDate;
  form->SelectPage(PageId::Date);
  win::SetComboSelection(page.cmbDateFormat, 1);
  Tick(TfrmRen::kPreviewTicks);
  prompts.modal = [&page](TfrmDialog& dialog) {
    dialog.Show();
    EXPECT_EQ(win::GetText(dialog.edtInput), page.DateFormats[1]);
    win::SetText(dialog.edtInput, L"yyyy");
    dialog.actAddItemExecute();
    dialog.actCancelClickExecute();
  };
  SendMessageW(page.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.cmbDateFormat), MAKELPARAM(-1, -1));
  EXPECT_EQ(page.DateFormats.size(), 4u);
  EXPECT_EQ(win::ComboCount(page.cmbDateFormat), 4);
  EXPECT_EQ(win::ComboSelection(page.cmbDateFormat), 1);
  EXPECT_EQ(TicksToPreview(), 0);
}

TEST_F(WindowTest, FilterDialogShowsBothListsAndOkSortsRowsByTheirFirstCharacter) {
  Open();
  settings::Settings s = form->CurrentSettings();
  s.filter = L"thumbs.db;;.x;desktop.ini";  // the last entry lacks its ";"
  s.filterExt = L".bak;tmp;";
  form->ApplySettings(s);
  prompts.modal = [](TfrmDialog& dialog) {
    dialog.Show();
    std::vector<std::wstring> rows;
    for (int i = 0; i < dialog.items.Count(); ++i) rows.push_back(dialog.items.Text(i));
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"thumbs.db", L".x", L"desktop.ini", L".bak", L"tmp"}));
    dialog.items.Select(0, true);
    win::SetText(dialog.edtInput, L"");
    dialog.actEditItemExecute();  // an emptied row reaches neither string
    dialog.actOKClickExecute();
  };
  form->SelectPage(PageId::Option);
  Click(form->tabOption->btnFilter);
  EXPECT_EQ(form->CurrentSettings().filter, L"desktop.ini;tmp;");
  EXPECT_EQ(form->CurrentSettings().filterExt, L".x;.bak;");
  prompts.modal = [](TfrmDialog& dialog) { dialog.actCancelClickExecute(); };
  form->btnFilterClick();
  EXPECT_EQ(form->CurrentSettings().filter, L"desktop.ini;tmp;") << "Cancel keeps both strings";
}

TEST_F(WindowTest, FilesDroppedOnTheFilterDialogAddTheirNamesOnce) {
  TempDir dir;
  Open();
  std::wstring names, exts;
  TfrmFilter filter(names, exts);
  ASSERT_TRUE(filter.Create(form->hwnd()));
  EXPECT_TRUE(GetWindowLongPtrW(filter.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  std::wstring thumbs = dir.Touch(L"Thumbs.db");
  std::wstring odd = dir.Touch(L"Caf\u00C9.txt");  // "É" is no ASCII letter: it stays
  std::vector<std::wstring> paths = {thumbs, odd, thumbs, dir.Touch(L"写真.JPG")};
  Drop(paths, filter.hwnd());
  filter.actOKClickExecute();
  EXPECT_EQ(names, L"thumbs.db;caf\u00C9.txt;写真.jpg;");
  EXPECT_EQ(exts, L"");
}

// At every size, with a vertical scroll bar and without, the columns fill the list to its
// edge (never behind the bar) and each preview is whole, one wider than the list scrolled to.
TEST_F(PresetEditorTest, ColumnsFillTheListAtEverySizeAndPreviewsStayWhole) {
  std::vector<std::wstring> presets = Settings{}.dateFormat;
  presets.resize(12, L"yyyy");
  OpenEditor(presets);
  HWND list = editor->lstItems;
  auto width = [&](int c) { return SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0); };
  for (int size : {0, 900, 1, -1}) {
    if (size > 0) SetWindowPos(editor->hwnd(), nullptr, 0, 0, size, size / 2, SWP_NOMOVE | SWP_NOZORDER);
    if (size < 0) win::SetText(editor->edtInput, L"\"long long long long long long long long text\"yyyy");
    if (size < 0) editor->actAddItemExecute();
    RECT client;
    GetClientRect(list, &client);
    EXPECT_TRUE(size < 0 || width(0) + width(1) == client.right) << width(0) + width(1) << " " << size;
    for (int row = 0; row < editor->items.Count(); ++row) {
      std::wstring text = editor->items.Text(row, 1);
      EXPECT_GE(width(1), SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))) << size;
    }
  }
}
