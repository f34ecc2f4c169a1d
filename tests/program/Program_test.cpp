// The real program, started as its user starts it, on real files; the disk and the settings
// file are checked after it has ended.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "data/TestData.h"
#include "program/Program.h"
#include "text/utf16.h"

namespace {

// Sets a file's last-write time to a local date at noon.
void SetModified(const std::wstring& path, WORD year, WORD month, WORD day) {
  SYSTEMTIME local{year, month, 0, day, 12, 0, 0, 0}, utc;
  TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  FILETIME ft;
  SystemTimeToFileTime(&utc, &ft);
  HANDLE f = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  SetFileTime(f, nullptr, nullptr, &ft);
  CloseHandle(f);
}

class ProgramTest : public testing::Test {
 protected:
  // Makes the files (each holding its own name) and starts the program with their paths.
  bool StartWith(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> paths;
    for (const std::wstring& n : names) paths.push_back(files.Touch(n, utf16::ToUtf8(n)));
    return program.Start(paths);
  }
  // Ends the program as the user does, with its 終了 button.
  void Quit() {
    program.Click(program.Button(L"終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }
  // What the folder must hold: each name with the content of the file it came from.
  static std::vector<std::wstring> Holding(const std::vector<std::pair<std::wstring, std::wstring>>& renamed) {
    std::vector<std::wstring> out;
    for (const auto& [now, was] : renamed) out.push_back(now + L"=" + was);
    std::sort(out.begin(), out.end());
    return out;
  }
  // The settings file's bytes: Shift_JIS while every text has a form there.
  std::string Settings() const { return FileContent(program.SettingsPath()); }
  // Waits for the run to end with the rows bearing these file names (in list order): the
  // rows show each name as it lands, the count comes back when the run is over.
  void AwaitRun(const std::vector<std::wstring>& names) {
    program.Await(
        L"the renamed rows",
        [&] {
          std::vector<std::wstring> now;
          for (const auto& r : program.Rows()) now.push_back(r.name);
          return now == names;
        },
        [&] { return program.RowsText(); });
    // The count, with what the run did.
    const std::wstring count = std::to_wstring(names.size()) + L"個の項目（";
    program.Await(
        L"the count after the run",
        [&] {
          const std::wstring now = program.Text(program.CountLabel());
          return now.rfind(count, 0) == 0 && now.find(L"件を変更") != std::wstring::npos;
        },
        [&] { return program.Text(program.CountLabel()); });
  }

  TempDir home, files;
  Program program{home};
};

struct PageRun {
  const wchar_t* page;
  std::vector<std::wstring> names;
  std::function<void(Program&)> set;  // what the user sets on the page
  std::vector<std::wstring> preview;  // the new names the list shows, in list order
  std::vector<std::wstring> rows;     // the rows' file names after the run
  std::vector<std::pair<std::wstring, std::wstring>> after;  // file name now, and the file it was
};

class ProgramPages : public ProgramTest, public testing::WithParamInterface<PageRun> {};

TEST_P(ProgramPages, ARunRenamesTheFilesOnDiskAsThePreviewShows) {
  const PageRun& run = GetParam();
  ASSERT_TRUE(StartWith(run.names));
  program.ClickTab(run.page);
  run.set(program);
  ASSERT_TRUE(program.AwaitPreview(run.preview));
  program.Click(program.Button(L"リネーム", true));
  AwaitRun(run.rows);
  Quit();
  EXPECT_EQ(FilesWithContents(files.path()), Holding(run.after));
}

const PageRun kPageRuns[] = {
    {L"連番",
     {L"b.txt", L"a.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter(L"基本名"), L"写真");
       p.TypeInto(p.InputAfter(L"桁数"), L"2");
     },
     {L"写真01", L"写真02"},
     {L"写真01.txt", L"写真02.txt"},
     {{L"写真01.txt", L"a.txt"}, {L"写真02.txt", L"b.txt"}}},
    {L"置換",
     {L"old_a.txt", L"x.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter(L"検索文字列"), L"old");
       p.TypeInto(p.InputAfter(L"置換文字列"), L"新");
     },
     {L"新_a", L"x"},
     {L"x.txt", L"新_a.txt"},
     {{L"新_a.txt", L"old_a.txt"}, {L"x.txt", L"x.txt"}}},
    {L"追加",
     {L"a.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter(L"追加文字列"), L"前");
       p.Click(p.Button(L"<"));
     },
     {L"前a"},
     {L"前a.txt"},
     {{L"前a.txt", L"a.txt"}}},
    {L"大小",
     {L"holiday.txt", L"Note.TXT"},
     [](Program& p) { p.Click(p.Radio(L"大文字小文字変換", L"すべて大文字")); },
     {L"HOLIDAY", L"NOTE"},
     {L"HOLIDAY.txt", L"NOTE.TXT"},
     {{L"HOLIDAY.txt", L"holiday.txt"}, {L"NOTE.TXT", L"Note.TXT"}}},
    {L"全半",
     {L"abc 123.txt"},
     [](Program& p) { p.Click(p.Button(L"全角", true)); },
     {L"ａｂｃ　１２３"},
     {L"ａｂｃ　１２３.txt"},
     {{L"ａｂｃ　１２３.txt", L"abc 123.txt"}}},
};
INSTANTIATE_TEST_SUITE_P(EachPage, ProgramPages, testing::ValuesIn(kPageRuns),
                         [](const testing::TestParamInfo<PageRun>& info) { return std::to_string(info.index); });

// 撮影日 on a real photo, and on one without a date of shooting, which gets its last-write
// date and says so in its row.
TEST_F(ProgramTest, TheDatePageRenamesPhotosByTheirDateOfShooting) {
  program.WriteSettings("[Combo]\r\nDateFormat=yyyy\"年\"mm\"月\"dd\"日\"\r\n");
  const auto photo = testdata::Bytes("IMG_0042.JPG"), plain = testdata::Bytes("no_exif.jpg");
  ASSERT_FALSE(photo.empty());
  const std::wstring a = files.Touch(L"IMG_0042.JPG", std::string(photo.begin(), photo.end()));
  const std::wstring b = files.Touch(L"IMG_0099.JPG", std::string(plain.begin(), plain.end()));
  SetModified(a, 2022, 1, 2);
  SetModified(b, 2021, 3, 4);
  ASSERT_TRUE(program.Start({a, b}));
  program.ClickTab(L"日付");
  program.Click(program.Button(L"<"));
  const std::vector<std::wstring> shot = {L"2024年05月07日_IMG_0042", L"2021年03月04日_IMG_0099（撮影日なし: 更新日）"};
  program.Click(program.Radio(L"日付の選択", L"撮影日"));
  ASSERT_TRUE(program.AwaitPreview(shot));
  // Another date type: each file's own date, and the mark is gone.
  program.Click(program.Radio(L"日付の選択", L"更新日"));
  ASSERT_TRUE(program.AwaitPreview({L"2022年01月02日_IMG_0042", L"2021年03月04日_IMG_0099"}));
  program.Click(program.Radio(L"日付の選択", L"撮影日"));
  ASSERT_TRUE(program.AwaitPreview(shot));
  program.Click(program.Button(L"リネーム", true));
  AwaitRun({L"2021年03月04日_IMG_0099.JPG", L"2024年05月07日_IMG_0042.JPG"});
  Quit();
  EXPECT_EQ(FilesWithContents(files.path()),
            Holding({{L"2024年05月07日_IMG_0042.JPG", ContentText(FileContent(DataPath("IMG_0042.JPG")))},
                     {L"2021年03月04日_IMG_0099.JPG", ContentText(FileContent(DataPath("no_exif.jpg")))}}));
  EXPECT_NE(Settings().find("Time=3"), std::string::npos) << Settings();
}

TEST_F(ProgramTest, EnterRunsAndEscQuitsWhenTheirOptionsAreChecked) {
  program.WriteSettings("[Option]\r\nEnterToExec=1\r\nEscToExit=1\r\n");
  ASSERT_TRUE(StartWith({L"a.txt"}));
  program.ClickTab(L"追加");
  program.TypeInto(program.InputAfter(L"追加文字列"), L"x");
  program.Click(program.Button(L">"));
  ASSERT_TRUE(program.AwaitPreview({L"ax"}));
  program.PressKey(VK_RETURN);
  AwaitRun({L"ax.txt"});
  program.PressKey(VK_ESCAPE);
  ASSERT_TRUE(program.WaitForExit()) << "Esc did not end the program: " << program.Screen();
  EXPECT_EQ(FilesWithContents(files.path()), Holding({{L"ax.txt", L"a.txt"}}));
}

TEST_F(ProgramTest, AStartWhosePathsAreAllCleanedOrRefusedEndsByItselfAndStoresItsSettings) {
  program.WriteSettings("[Option]\r\nDropDir=1\r\nRem[1]=1\r\nFilter=thumbs.db;\r\n");
  files.Touch(L"a [1].txt", "a");
  files.Touch(L"Thumbs.db", "t");
  EXPECT_FALSE(program.Start({files.path()})) << "a window came up";
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FilesWithContents(files.path()), Holding({{L"Thumbs.db", L"t"}, {L"a.txt", L"a"}}));
  EXPECT_NE(Settings().find("[Window]"), std::string::npos) << Settings();

}

TEST_F(ProgramTest, WhatTheUserSetComesBackAtTheNextStart) {
  ASSERT_TRUE(StartWith({L"my photo.txt"}));
  program.ClickTab(L"連番");
  program.TypeInto(program.InputAfter(L"桁数"), L"3");
  program.ClickTab(L"設定");
  HWND esc = program.Button(L"Escキーで終了");
  program.Click(esc);
  program.Await(
      L"the check", [&] { return SendMessageW(esc, BM_GETCHECK, 0, 0) == BST_CHECKED; },
      [] { return std::wstring(L"unchecked"); });
  program.ClickTab(L"置換");
  // Widths the user dragged stay over previews; the first column never passes half the list.
  ListView_SetColumnWidth(program.List(), 2, 222);
  ListView_SetColumnWidth(program.List(), 0, 1000);
  program.TypeInto(program.InputAfter(L"検索文字列"), L"my photo");
  program.TypeInto(program.InputAfter(L"置換文字列"), L"a b");
  ASSERT_TRUE(program.AwaitPreview({L"a b"}));
  RECT list{};
  GetClientRect(program.List(), &list);
  EXPECT_EQ(ListView_GetColumnWidth(program.List(), 2), 222);
  EXPECT_EQ(ListView_GetColumnWidth(program.List(), 0), list.right / 2);
  program.Click(program.Button(L"リネーム", true));
  AwaitRun({L"a b.txt"});
  RECT was{}, now{};
  GetWindowRect(program.window(), &was);
  ShowWindow(program.window(), SW_MINIMIZE);
  Quit();

  ASSERT_TRUE(program.Start());
  GetWindowRect(program.window(), &now);
  EXPECT_TRUE(EqualRect(&was, &now)) << "closed minimised, it comes back where it was: " << now.left << "," << now.top;
  EXPECT_EQ(ListView_GetColumnWidth(program.List(), 2), 222);
  EXPECT_EQ(program.TabCaption(program.ActiveTab()), L"置換");
  EXPECT_EQ(program.ComboItems(program.InputAfter(L"検索文字列")), std::vector<std::wstring>{L"my photo"});
  EXPECT_EQ(program.ComboItems(program.InputAfter(L"置換文字列")), std::vector<std::wstring>{L"a b"});
  program.ClickTab(L"連番");
  EXPECT_EQ(program.Text(program.InputAfter(L"桁数")), L"3");
  // The option is back, and does what it says.
  program.PressKey(VK_ESCAPE);
  EXPECT_TRUE(program.WaitForExit()) << "Esc did not end the program";
}

TEST_F(ProgramTest, AnEntryAddedInTheFilterDialogRefusesFilesAtTheNextIntake) {
  files.Touch(L"メモ.txt", "m");
  files.Touch(L"x.bak", "x");
  files.Touch(L"y.txt", "y");
  program.WriteSettings("[Option]\r\nDropDir=1\r\n");
  ASSERT_TRUE(program.Start());
  program.ClickTab(L"設定");
  program.Click(program.Button(L"フィルタ"));
  HWND dialog = program.AwaitDialog();
  ASSERT_TRUE(dialog);
  HWND input = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
  HWND entries = FindWindowExW(dialog, nullptr, L"SysListView32", nullptr);
  for (const wchar_t* entry : {L".bak", L"メモ.txt"}) {
    program.TypeInto(input, entry);
    const LRESULT before = SendMessageW(entries, LVM_GETITEMCOUNT, 0, 0);
    program.Click(program.ChildOf(dialog, L"追加"));
    program.Await(
        L"the entry in the list", [&] { return SendMessageW(entries, LVM_GETITEMCOUNT, 0, 0) > before; },
        [&] { return program.Text(input); });
  }
  program.Click(program.ChildOf(dialog, L"OK"));
  program.Await(
      L"the dialog to close", [&] { return !IsWindowVisible(dialog); }, [] { return std::wstring(L"open"); });
  program.Drop({files.path()});
  // The settings page makes no names, so the row may be counted as refused too.
  program.Await(
      L"the count", [&] { return program.Text(program.CountLabel()).ends_with(L"（2件は取り込めません: フィルタ）"); },
      [&] { return program.Text(program.CountLabel()); });
  ASSERT_EQ(program.Rows().size(), 1u);
  EXPECT_EQ(program.Rows()[0].name, L"y.txt");
  Quit();
  EXPECT_NE(Settings().find("メモ.txt;"), std::string::npos) << Settings();
}

// Esc arrives while the run's first file is renamed: that file has its new name on disk and in
// its row, every other one keeps both.
TEST_F(ProgramTest, AStoppedRunLeavesEachFileRenamedWithItsRowOrUntouched) {
  ASSERT_TRUE(StartWith({L"a.txt", L"b.txt", L"c.txt", L"d.txt"}));
  program.ClickTab(L"追加");
  program.TypeInto(program.InputAfter(L"追加文字列"), L"_x");
  program.Click(program.Button(L">"));
  ASSERT_TRUE(program.AwaitPreview({L"a_x", L"b_x", L"c_x", L"d_x"}));
  program.Click(program.Button(L"リネーム", true));
  program.PressKey(VK_ESCAPE);
  AwaitRun({L"a.txt", L"b.txt", L"c.txt", L"d_x.txt"});
  EXPECT_TRUE(program.AwaitCount(L"4個の項目（1件を変更して中止しました）"));
  EXPECT_EQ(FilesWithContents(files.path()),
            Holding({{L"a.txt", L"a.txt"}, {L"b.txt", L"b.txt"}, {L"c.txt", L"c.txt"}, {L"d_x.txt", L"d.txt"}}));
  Quit();
}

// A drop of a listed file in another spelling and of a path that names nothing adds no row
// (a second one would read ファイルなし after a run); the count says why until a clear.
TEST_F(ProgramTest, ADropOfAListedFileAndAMissingOneAddsNoRowAndSaysWhy) {
  ASSERT_TRUE(StartWith({L"a.txt"}));
  program.Drop({files.path() + L"A.TXT", files.path() + L"gone.txt"});
  EXPECT_TRUE(program.AwaitCount(L"1個の項目（2件は取り込めません: ファイルなし1・重複1）"));
  program.Click(program.Button(L"リストクリア"));
  EXPECT_TRUE(program.AwaitCount(L"0個の項目"));
  Quit();
}

}  // namespace
