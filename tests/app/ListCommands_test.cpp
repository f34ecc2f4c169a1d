#include "app/WindowFixture.h"

TEST_F(WindowTest, FolderNameGoesToTheActivePagesInput) {
  Open();
  form->list().Add(L"a.jpg", L"C:\\Photos\\2001\\");
  form->SyncList();
  struct Step {
    PageId page;
    HWND input;
    const wchar_t* expected;
  } steps[] = {{PageId::Number, form->tabNumber->cmbBasName, L"2001"},
               {PageId::Date, form->tabDate->cmbDateAdd, L"2001"},
               {PageId::Case, nullptr, nullptr}};
  for (const Step& s : steps) {
    form->SelectPage(s.page);
    form->mnuFolderClick();  // nothing selected: the first row's folder
    if (s.input) {
      EXPECT_EQ(win::GetText(s.input), s.expected);
    }
  }
  form->list().Clear();
  form->list().Add(L"x.jpg", L"C:\\");
  form->SelectPage(PageId::Number);
  form->mnuFolderClick();
  EXPECT_EQ(win::GetText(form->tabNumber->cmbBasName), L"") << "a drive root has no folder name";
}

TEST_F(WindowTest, ChangeExtensionAsksRenamesTheSelectedFilesAndLeavesThePreview) {
  TempDir dir;
  for (const wchar_t* n : {L"a.jpg", L"a.png", L"b.txt", L"C.TXT", L"gone.jpg", L"readme", L"z.jpg"}) dir.Touch(n);
  Open({dir.path()});
  ASSERT_TRUE(DeleteFileW((dir.path() + L"gone.jpg").c_str()));  // its row is passed over
  Tick(5);
  for (auto& row : form->list()) row.selected = row.fileName != L"z.jpg";
  form->SyncList();
  std::vector<std::wstring> before = NewNames();
  // An answer that can't be an extension is refused with a word, and asked again with the
  // answer still in the box.
  std::vector<std::wstring> asked;
  const wchar_t* const answers[] = {L"a/b", L"txt"};
  prompts.input = [&](std::wstring_view caption, std::wstring_view, std::wstring& value) {
    asked.push_back(std::wstring(caption) + L"|" + value);
    value = answers[asked.size() - 1];
    return true;
  };
  int messages = 0;
  prompts.message = [&](const std::wstring&, UINT) {
    ++messages;
    return IDOK;
  };
  form->mnuChangeExtClick();
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"拡張子変更|", L"拡張子変更|a/b"})) << "the box starts empty";
  EXPECT_EQ(messages, 1);
  // a.jpg and a.png both want a.txt: as in the run, the later row takes it and the other is
  // refused, as gone.jpg is; b.txt, so named already, is neither moved nor refused, while
  // C.TXT changes its case.
  EXPECT_EQ(FileNames(),
            (std::vector<std::wstring>{L"a.jpg", L"a.txt", L"b.txt", L"C.txt", L"gone.jpg", L"readme.txt", L"z.jpg"}));
  EXPECT_EQ(FolderListing(dir.path()),
            (std::vector<std::wstring>{L"C.txt", L"a.jpg", L"a.txt", L"b.txt", L"readme.txt", L"z.jpg"}));
  EXPECT_EQ(form->list()[0].refusal, rules::Refusal::Duplicate);
  EXPECT_EQ(form->list()[2].refusal, rules::Refusal::None);
  EXPECT_EQ(form->list()[4].refusal, rules::Refusal::Missing);
  EXPECT_EQ(win::GetText(form->lblCount), L"7個の項目（3件の拡張子を変更しました、2件は変更不可）");
  EXPECT_EQ(TicksToPreview(), 0);
  EXPECT_EQ(NewNames().size(), before.size());
}

TEST_F(WindowTest, FileNameCopyPutsTheFirstSelectedBaseNameIntoTheInput) {
  Open();
  for (const wchar_t* n : {L"a.jpg", L"z.txt", L"写真.tar.gz"}) form->list().Add(n, L"C:\\d\\");
  // Rows sort as a.jpg, z.txt, 写真.tar.gz; the first selected one counts.
  for (auto& row : form->list()) row.selected = row.fileName != L"a.jpg";
  form->SyncList();
  form->SelectPage(PageId::Replace);
  Tick(TfrmRen::kPreviewTicks);
  form->mnuCopyClick();
  EXPECT_EQ(win::GetText(form->tabReplace->cmbNewValue), L"z");
  form->list()[1].selected = false;
  form->mnuCopyClick();
  EXPECT_EQ(win::GetText(form->tabReplace->cmbNewValue), L"写真.tar")
      << "the base name keeps all but the last extension";
  EXPECT_EQ(GetFocus(), GetWindow(form->tabReplace->cmbNewValue, GW_CHILD));
  EXPECT_EQ(TicksToPreview(), TfrmRen::kPreviewTicks);
}

// 名前をコピー puts the rows' names on the clipboard, as a spreadsheet takes them.
TEST_F(WindowTest, NameCopyPutsOldAndNewNamesOnTheClipboard) {
  Open();
  for (const wchar_t* n : {L"a.jpg", L"b.txt"}) form->list().Add(n, L"C:\\d\\");
  form->SyncList();
  form->list()[0].newName = L"表紙";  // the second row has no preview: its own name
  form->mnuCopyNamesClick();
  ASSERT_TRUE(OpenClipboard(form->hwnd()));
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const std::wstring text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
  if (data) GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(text, L"a.jpg\t表紙.jpg\r\nb.txt\tb.txt\r\n");
}

TEST_F(WindowTest, DraggedRowsLandBeforeTheRowUnderTheMouse) {
  Open();
  for (const wchar_t* n : {L"a.jpg", L"b.jpg", L"c.jpg", L"d.jpg", L"e.jpg"}) form->list().Add(n, L"C:\\x\\");
  for (auto& row : form->list()) row.selected = row.fileName == L"b.jpg" || row.fileName == L"d.jpg";
  form->SyncList();
  auto drag = [&](POINT inList, bool escape) {
    NMLISTVIEW nm{};
    nm.hdr = {form->lstMain, static_cast<UINT_PTR>(GetDlgCtrlID(form->lstMain)), LVN_BEGINDRAG};
    SendMessageW(form->hwnd(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    MapWindowPoints(form->lstMain, form->hwnd(), &inList, 1);
    const LPARAM at = MAKELPARAM(inList.x, inList.y);
    SendMessageW(form->hwnd(), WM_MOUSEMOVE, MK_LBUTTON, at);
    if (escape) Key(form->lstMain, WM_KEYDOWN, VK_ESCAPE);
    SendMessageW(form->hwnd(), WM_LBUTTONUP, 0, at);
  };
  RECT first{};
  first.left = LVIR_BOUNDS;
  SendMessageW(form->lstMain, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  const POINT onFirst{first.left + 4, (first.top + first.bottom) / 2};
  const std::vector<std::wstring> byName = FileNames();
  drag(onFirst, true);
  drag(POINT{-20, -20}, false);
  EXPECT_EQ(FileNames(), byName) << "Esc and a drop outside the list move nothing";
  EXPECT_EQ(form->list().order(), rules::SortBy::Name);
  drag(onFirst, false);
  EXPECT_EQ(FileNames(), (std::vector<std::wstring>{L"b.jpg", L"d.jpg", L"a.jpg", L"c.jpg", L"e.jpg"}));
  EXPECT_EQ(form->list().order(), rules::SortBy::Manual);
  EXPECT_EQ(GetCapture(), nullptr);
}
