#include "app/WindowFixture.h"

using settings::Settings;

namespace {

class WindowSettingsTest : public WindowTest {
 protected:
  void OpenWith(const Settings& s, std::vector<std::wstring> args = {}) {
    TfrmRen::Options options;
    options.settings = s;
    options.args = std::move(args);
    Create(options);
  }
  // With the settings file, as the program runs.
  void OpenWithFile(const std::wstring& ini) {
    TfrmRen::Options options;
    options.settingsFile = ini;
    Create(options);
  }
  void Create(TfrmRen::Options options) {
    options.quitOnClose = false;
    options.runTimer = false;
    options.prompts = &prompts;
    form = std::make_unique<TfrmRen>(options);
    ASSERT_TRUE(form->Create());
  }
};

}  // namespace

TEST_F(WindowSettingsTest, EveryKeyComesBackAsItWasApplied) {
  Settings s;
  s.width = 520, s.height = 470, s.left = 30, s.top = 40, s.tab = 4;
  s.start = 42, s.step = 3, s.column = 5, s.divide = true, s.div2 = true, s.headOrTail = false;
  s.time = 2, s.headTail2 = true, s.upLoCase = 3;
  s.wnWord = 1, s.wnNum = 2, s.wnKakko = 1, s.wnSpace = 2, s.wnSymbol = -1, s.wideKana = true;
  s.remSCut = s.remCopy = s.remBracket1 = s.remParen1 = s.trim = s.jpegJpg = s.compose = true;
  s.clearItems = s.escToExit = s.enterToExec = s.dropDir = true;
  s.subFolders = s.folderItems = s.skipHidden = true;
  s.history = 7, s.filter = L"Thumbs.db;", s.filterExt = L".tmp;.bak;";
  s.basVal = {L"写真", L"IMG"}, s.oldVal = {L"a"}, s.newVal = {L"b", L""}, s.addVal = {L"2024"};
  s.dateFormat = {L"yyyy", L"", L"mm\"月\""};
  s.nameWidth = 120, s.pathWidth = 90, s.newNameWidth = 150, s.maximized = true;
  OpenWith(s);
  EXPECT_EQ(form->RenameMode(), PageId::Case);
  EXPECT_EQ(form->defaultButton, form->btnRename);
  EXPECT_EQ(form->cancelButton, form->btnClose);
  EXPECT_TRUE(form->tabOption->CleanUp().compose) << "the intake composes as the check box says";
  AddRows({L"a.txt"});
  EXPECT_EQ(TicksToPreview(), 0) << "applying the settings schedules nothing";
  EXPECT_TRUE(form->CurrentSettings() == s);
}

TEST_F(WindowSettingsTest, ValuesOutsideTheirRangesAreHeldWithinThem) {
  Settings s;
  s.tab = 7;
  s.start = 40000;  // as 16 bits it is below zero
  s.history = 0;
  s.upLoCase = 9;
  s.time = -4;
  OpenWith(s);
  for (HWND page : {form->tabNumber->hwnd(), form->tabDate->hwnd(), form->tabOption->hwnd()})
    EXPECT_FALSE(GetWindowLongPtrW(page, GWL_STYLE) & WS_VISIBLE);
  Settings back = form->CurrentSettings();
  EXPECT_EQ(back.tab, -1) << "no page is active";
  EXPECT_EQ(back.start, 0);
  EXPECT_EQ(back.history, 1);
  EXPECT_EQ(back.upLoCase, 3);
  EXPECT_EQ(back.time, -1);
}

TEST_F(WindowSettingsTest, AReadOnlySettingsFileKeepsTheWindowOpenUnlessTheUserQuits) {
  TempDir dir;
  std::wstring ini = dir.Touch(L"Kinoha.ini");
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  OpenWithFile(ini);
  std::vector<std::wstring> boxes;
  int answer = IDNO;
  prompts.message = [&](const std::wstring& text, UINT) {
    boxes.push_back(text);
    return answer;
  };
  SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form->closed());
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], ini + L" に書き込めません.");
  answer = IDYES;
  SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form->closed());
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowSettingsTest, AWindowStoredOffEveryScreenComesBackOntoOne) {
  Settings s;
  s.left = s.top = -32000;
  OpenWith(s);
  RECT r{};
  GetWindowRect(form->hwnd(), &r);
  EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
}
