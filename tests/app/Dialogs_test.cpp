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
  void OpenEditor(std::vector<std::string> presets) {
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
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
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

  std::vector<std::string> formats;
  std::unique_ptr<TfrmEditPreset> editor;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST_F(PresetEditorTest, ShowsEveryPresetWithItsPreviewAndFocusesTheInput) {
  OpenEditor({"yyyy", "", "mm"});
  EXPECT_EQ(Rows(), (Texts{"yyyy", "", "mm"}));
  EXPECT_EQ(editor->items.Text(0, 1), RenderDatePatternNow("yyyy"));
  EXPECT_FALSE(editor->items.Text(1, 1).empty()) << "an empty pattern previews as the short date and time";
  EXPECT_EQ(GetFocus(), editor->edtInput);
  win::SetText(editor->edtInput, "yyyy");
  EXPECT_EQ(win::GetText(editor->lblResult), RenderDatePatternNow("yyyy"));
  win::SetText(editor->edtInput, "");
  EXPECT_EQ(win::GetText(editor->lblResult), "");
}

TEST_F(PresetEditorTest, InputFollowsTheLowestSelectedRow) {
  OpenEditor({"a", "b", "c", "d"});
  editor->items.Select(3, true);
  editor->items.Select(1, true);
  EXPECT_EQ(win::GetText(editor->edtInput), "b");
  editor->items.Select(1, false);
  EXPECT_EQ(win::GetText(editor->edtInput), "d") << "a deselection that leaves rows selected";
}

TEST_F(PresetEditorTest, AddTakesNewPatternsAsTheyStandAndEditNeedsAnInput) {
  OpenEditor({"yyyy"});
  for (const char* text : {"yyyy", "YYYY", "", ""}) {
    win::SetText(editor->edtInput, text);
    editor->actAddItemExecute();
  }
  EXPECT_EQ(Rows(), (Texts{"yyyy", "YYYY", ""}));
  editor->items.Select(0, true);
  win::SetText(editor->edtInput, "");
  editor->actEditItemExecute();
  EXPECT_EQ(Rows()[0], "yyyy");
  win::SetText(editor->edtInput, "YYYY");
  editor->actEditItemExecute();
  EXPECT_EQ(Rows(), (Texts{"YYYY", "YYYY", ""})) << "an edit may make two rows equal";
}

TEST_F(PresetEditorTest, ShortcutsActFromTheInputBox) {
  OpenEditor({"a", "b", "c", "d", "e"});
  for (int row : {0, 2, 3}) editor->items.Select(row, true);
  SetFocus(editor->edtInput);
  win::SetText(editor->edtInput, "kept");
  DialogKey(editor->edtInput, WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(Rows(), (Texts{"b", "e"}));
  EXPECT_EQ(win::GetText(editor->edtInput), "kept");
  DialogKey(editor->edtInput, WM_CHAR, 1);  // Ctrl+A
  EXPECT_EQ(editor->items.Selected(), (std::vector<int>{0, 1}));
  DialogKey(editor->edtInput, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(editor->result(), TfrmDialog::Result::Cancel);
}

// The editor opens on the preset in use, and Cancel keeps it in the drop-down and the
// preview as they were.
TEST_F(WindowTest, PresetEditorLeavesTheDropDownOnThePresetToUse) {
  Open();
  AddRows({"a.txt"});
  DatePage& page = *form->tabDate;
  form->SelectPage(PageId::Date);
  win::SetComboSelection(page.cmbDateFormat, 1);
  Tick(TfrmRen::kPreviewTicks);
  prompts.modal = [&page](TfrmDialog& dialog) {
    dialog.Show();
    EXPECT_EQ(win::GetText(dialog.edtInput), page.DateFormats[1]);
    win::SetText(dialog.edtInput, "yyyy");
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
  s.filter = "thumbs.db;;.x;desktop.ini";  // the last entry lacks its ";"
  s.filterExt = ".bak;tmp;";
  form->ApplySettings(s);
  prompts.modal = [](TfrmDialog& dialog) {
    dialog.Show();
    std::vector<std::string> rows;
    for (int i = 0; i < dialog.items.Count(); ++i) rows.push_back(dialog.items.Text(i));
    EXPECT_EQ(rows, (std::vector<std::string>{"thumbs.db", ".x", "desktop.ini", ".bak", "tmp"}));
    dialog.items.Select(0, true);
    win::SetText(dialog.edtInput, "");
    dialog.actEditItemExecute();  // an emptied row reaches neither string
    dialog.actOKClickExecute();
  };
  form->SelectPage(PageId::Option);
  Click(form->tabOption->btnFilter);
  EXPECT_EQ(form->CurrentSettings().filter, "desktop.ini;tmp;");
  EXPECT_EQ(form->CurrentSettings().filterExt, ".x;.bak;");
  prompts.modal = [](TfrmDialog& dialog) { dialog.actCancelClickExecute(); };
  form->btnFilterClick();
  EXPECT_EQ(form->CurrentSettings().filter, "desktop.ini;tmp;") << "Cancel keeps both strings";
}

TEST_F(WindowTest, FilesDroppedOnTheFilterDialogAddTheirNamesOnce) {
  TempDir dir;
  Open();
  std::string names, exts;
  TfrmFilter filter(names, exts);
  ASSERT_TRUE(filter.Create(form->hwnd()));
  EXPECT_TRUE(GetWindowLongPtrW(filter.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  std::wstring thumbs = sjis::ToUtf16Lenient(dir.Touch("Thumbs.db"));
  std::wstring odd = dir.TouchW(L"caf\u00E9.txt");  // no Shift_JIS form: never best-fitted to cafe.txt
  std::vector<std::wstring> paths = {thumbs, odd, thumbs, sjis::ToUtf16Lenient(dir.Touch("写真.JPG"))};
  Drop(paths, filter.hwnd());
  filter.actOKClickExecute();
  EXPECT_EQ(names, "thumbs.db;写真.jpg;");
  EXPECT_EQ(exts, "");
}

// At every size, with a vertical scroll bar and without, the columns fill the list to its
// edge (never behind the bar) and each preview is whole, one wider than the list scrolled to.
TEST_F(PresetEditorTest, ColumnsFillTheListAtEverySizeAndPreviewsStayWhole) {
  std::vector<std::string> presets = Settings{}.dateFormat;
  presets.resize(12, "yyyy");
  OpenEditor(presets);
  HWND list = editor->lstItems;
  auto width = [&](int c) { return SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0); };
  for (int size : {0, 900, 1, -1}) {
    if (size > 0) SetWindowPos(editor->hwnd(), nullptr, 0, 0, size, size / 2, SWP_NOMOVE | SWP_NOZORDER);
    if (size < 0) win::SetText(editor->edtInput, "\"long long long long long long long long text\"yyyy");
    if (size < 0) editor->actAddItemExecute();
    RECT client;
    GetClientRect(list, &client);
    EXPECT_TRUE(size < 0 || width(0) + width(1) == client.right) << width(0) + width(1) << " " << size;
    for (int row = 0; row < editor->items.Count(); ++row) {
      std::wstring text = sjis::ToUtf16Lenient(editor->items.Text(row, 1));
      EXPECT_GE(width(1), SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))) << size;
    }
  }
}
