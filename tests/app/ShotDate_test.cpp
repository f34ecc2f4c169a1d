// 撮影日 on the 日付 page: the fourth radio item, its place in the stored settings, and the
// preview of a folder of photos as the list view shows it (the engine's tests prove the rule).
#include "app/WindowFixture.h"

#include "app/pages/DatePage.h"
#include "data/TestData.h"
#include "engine/DatePattern.h"
#include "engine/untFileUtils.h"

namespace {

// The list view's text of a cell, as it paints it.
std::string CellText(HWND lv, int row, int column) {
  wchar_t buf[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = 512;
  SendMessageW(lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return sjis::Narrow(buf);
}

RECT WindowRect(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

TEST_F(WindowTest, ShotDateIsTheFourthDateTypeAndStoredAsTime3) {
  Open();
  DatePage& page = *form->tabDate;
  ASSERT_EQ(page.rdgDateType.items.size(), 4u);
  EXPECT_EQ(win::GetText(page.rdgDateType.items[3]), "撮影日");
  // The four items in one row inside the group's box, none over another.
  const RECT box = WindowRect(page.rdgDateType.box);
  for (std::size_t i = 0; i < 4; ++i) {
    const RECT r = WindowRect(page.rdgDateType.items[i]);
    EXPECT_GE(r.left, box.left) << i;
    EXPECT_LE(r.right, box.right) << i;
    EXPECT_GT(r.top, box.top) << i;
    EXPECT_LE(r.bottom, box.bottom) << i;
    if (i > 0) {
      EXPECT_GE(r.left, WindowRect(page.rdgDateType.items[i - 1]).right) << i;
    }
  }
  form->SelectPage(PageId::Date);
  Click(page.rdgDateType.items[3]);
  EXPECT_EQ(page.rdgDateType.index(), 3);
  EXPECT_EQ(form->CurrentSettings().time, 3);
}

TEST_F(WindowTest, ShotDateComesBackFromTheSettingsFile) {
  TempDir dir;
  const std::string ini = dir.Touch("Kinoha.ini", "[Job]\r\nTime=3\r\n");
  TfrmRen::Options options;
  options.settingsFile = sjis::Widen(ini);
  options.quitOnClose = false;
  options.runTimer = false;
  form = std::make_unique<TfrmRen>(options);
  NoModalUi(*form);
  ASSERT_TRUE(form->Create());
  EXPECT_EQ(form->tabDate->rdgDateType.index(), 3);
  SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(form->closed());
  // Written anew (the window's keys are there now), with 撮影日 still 3.
  EXPECT_NE(FileContent(ini).find("[Window]"), std::string::npos) << FileContent(ini);
  EXPECT_NE(FileContent(ini).find("Time=3"), std::string::npos) << FileContent(ini);
}

// A folder of two photos, one with its date of shooting and one without: the list view shows
// the one date and, for the other, the last-write date with its note.
TEST_F(WindowTest, ShotDatePreviewOfAFolderOfPhotos) {
  TempDir dir;
  const auto photo = testdata::Bytes("IMG_0042.JPG"), plain = testdata::Bytes("no_exif.jpg");
  ASSERT_FALSE(photo.empty());
  dir.Touch("IMG_0042.JPG", std::string(photo.begin(), photo.end()));
  const std::string plainPath = dir.Touch("IMG_0099.JPG", std::string(plain.begin(), plain.end()));
  Open({dir.path()});
  DatePage& page = *form->tabDate;
  form->SelectPage(PageId::Date);
  page.DateFormats = {"yyyy\"年\"mm\"月\"dd\"日\""};
  page.RefreshDateFormats();
  win::SetComboSelection(page.cmbDateFormat, 0);
  Click(page.btnHead2);
  Click(page.rdgDateType.items[3]);
  Tick(5);
  const std::string plainDate = RenderDatePattern(page.DateFormats[0], GetFileDate(plainPath, ftLastWrite), DateLocale{});
  EXPECT_EQ(NewNames(), (std::vector<std::string>{"2024年05月07日_IMG_0042", plainDate + "_IMG_0099"}));
  EXPECT_EQ(CellText(form->lstMain, 0, 2), "2024年05月07日_IMG_0042");
  EXPECT_EQ(CellText(form->lstMain, 1, 2), plainDate + "_IMG_0099（撮影日なし: 更新日）");
  // Back to 更新日: the note goes.
  Click(page.rdgDateType.items[2]);
  Tick(5);
  EXPECT_EQ(CellText(form->lstMain, 1, 2), plainDate + "_IMG_0099");
  Click(page.rdgDateType.items[3]);
  Tick(5);
  Click(form->btnRename);
  EXPECT_TRUE(dir.Exists("2024年05月07日_IMG_0042.JPG"));
  EXPECT_TRUE(dir.Exists(plainDate + "_IMG_0099.JPG"));
}

}  // namespace
