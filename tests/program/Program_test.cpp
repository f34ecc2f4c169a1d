// The real program, started as its user starts it, on real files; the disk and the settings
// file are checked after it has ended.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "data/TestData.h"
#include "program/Program.h"
#include "text/sjis.h"


namespace {

// Sets a file's last-write time to a local date at noon.
void SetModified(const std::string& path, WORD year, WORD month, WORD day) {
  SYSTEMTIME local{year, month, 0, day, 12, 0, 0, 0}, utc;
  TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  FILETIME ft;
  SystemTimeToFileTime(&utc, &ft);
  HANDLE f = CreateFileW(sjis::ToUtf16Lenient(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  SetFileTime(f, nullptr, nullptr, &ft);
  CloseHandle(f);
}

class ProgramTest : public testing::Test {
 protected:
  // Makes the files (each holding its own name) and starts the program with their paths.
  bool StartWith(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& n : names) paths.push_back(files.Touch(n, n));
    return program.Start(paths);
  }
  // Ends the program as the user does, with its 終了 button.
  void Quit() {
    program.Click(program.Button("終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }
  // What the folder must hold: each name with the content of the file it came from.
  static std::vector<std::string> Holding(const std::vector<std::pair<std::string, std::string>>& renamed) {
    std::vector<std::string> out;
    for (const auto& [now, was] : renamed) out.push_back(now + "=" + was);
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string Settings() const { return FileContent(program.SettingsPath()); }
  // Waits for the run to end with the rows bearing these file names (in list order): the
  // rows show each name as it lands, the count comes back when the run is over.
  void AwaitRun(const std::vector<std::string>& names) {
    program.Await(
        "the renamed rows",
        [&] {
          std::vector<std::string> now;
          for (const auto& r : program.Rows()) now.push_back(r.name);
          return now == names;
        },
        [&] { return program.RowsText(); });
    // The count, with what the run did.
    const std::string count = std::to_string(names.size()) + "個の項目（";
    program.Await(
        "the count after the run",
        [&] {
          const std::string now = program.Text(program.CountLabel());
          return now.rfind(count, 0) == 0 && now.find("件を変更") != std::string::npos;
        },
        [&] { return program.Text(program.CountLabel()); });
  }

  TempDir home, files;
  Program program{home};
};

struct PageRun {
  const char* page;
  std::vector<std::string> names;
  std::function<void(Program&)> set;  // what the user sets on the page
  std::vector<std::string> preview;    // the new names the list shows, in list order
  std::vector<std::string> rows;                           // the rows' file names after the run
  std::vector<std::pair<std::string, std::string>> after;  // file name now, and the file it was
};

class ProgramPages : public ProgramTest, public testing::WithParamInterface<PageRun> {};

TEST_P(ProgramPages, ARunRenamesTheFilesOnDiskAsThePreviewShows) {
  const PageRun& run = GetParam();
  ASSERT_TRUE(StartWith(run.names));
  program.ClickTab(run.page);
  run.set(program);
  ASSERT_TRUE(program.AwaitPreview(run.preview));
  program.Click(program.Button("リネーム", true));
  AwaitRun(run.rows);
  Quit();
  EXPECT_EQ(FilesWithContents(files.path()), Holding(run.after));
}

const PageRun kPageRuns[] = {
    {"連番", {"b.txt", "a.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter("基本名"), "写真");
       p.TypeInto(p.InputAfter("桁数"), "2");
     },
     {"写真01", "写真02"}, {"写真01.txt", "写真02.txt"}, {{"写真01.txt", "a.txt"}, {"写真02.txt", "b.txt"}}},
    {"置換", {"old_a.txt", "x.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter("検索文字列"), "old");
       p.TypeInto(p.InputAfter("置換文字列"), "新");
     },
     {"新_a", "x"}, {"x.txt", "新_a.txt"}, {{"新_a.txt", "old_a.txt"}, {"x.txt", "x.txt"}}},
    {"追加", {"a.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter("追加文字列"), "前");
       p.Click(p.Button("<"));
     },
     {"前a"}, {"前a.txt"}, {{"前a.txt", "a.txt"}}},
    {"大小", {"holiday.txt", "Note.TXT"},
     [](Program& p) { p.Click(p.Radio("大文字小文字変換", "すべて大文字")); },
     {"HOLIDAY", "NOTE"}, {"HOLIDAY.txt", "NOTE.TXT"}, {{"HOLIDAY.txt", "holiday.txt"}, {"NOTE.TXT", "Note.TXT"}}},
    {"全半", {"abc 123.txt"},
     [](Program& p) { p.Click(p.Button("全角", true)); },
     {"ａｂｃ　１２３"}, {"ａｂｃ　１２３.txt"}, {{"ａｂｃ　１２３.txt", "abc 123.txt"}}},
};
INSTANTIATE_TEST_SUITE_P(EachPage, ProgramPages, testing::ValuesIn(kPageRuns),
                         [](const testing::TestParamInfo<PageRun>& info) { return std::to_string(info.index); });

// 撮影日 on a real photo, and on one without a date of shooting, which gets its last-write
// date and says so in its row.
TEST_F(ProgramTest, TheDatePageRenamesPhotosByTheirDateOfShooting) {
  program.WriteSettings("[Combo]\r\nDateFormat=yyyy\"年\"mm\"月\"dd\"日\"\r\n");
  const auto photo = testdata::Bytes("IMG_0042.JPG"), plain = testdata::Bytes("no_exif.jpg");
  ASSERT_FALSE(photo.empty());
  const std::string a = files.Touch("IMG_0042.JPG", std::string(photo.begin(), photo.end()));
  const std::string b = files.Touch("IMG_0099.JPG", std::string(plain.begin(), plain.end()));
  SetModified(a, 2022, 1, 2);
  SetModified(b, 2021, 3, 4);
  ASSERT_TRUE(program.Start({a, b}));
  program.ClickTab("日付");
  program.Click(program.Button("<"));
  const std::vector<std::string> shot = {"2024年05月07日_IMG_0042", "2021年03月04日_IMG_0099（撮影日なし: 更新日）"};
  program.Click(program.Radio("日付の選択", "撮影日"));
  ASSERT_TRUE(program.AwaitPreview(shot));
  // Another date type: each file's own date, and the mark is gone.
  program.Click(program.Radio("日付の選択", "更新日"));
  ASSERT_TRUE(program.AwaitPreview({"2022年01月02日_IMG_0042", "2021年03月04日_IMG_0099"}));
  program.Click(program.Radio("日付の選択", "撮影日"));
  ASSERT_TRUE(program.AwaitPreview(shot));
  program.Click(program.Button("リネーム", true));
  AwaitRun({"2021年03月04日_IMG_0099.JPG", "2024年05月07日_IMG_0042.JPG"});
  Quit();
  EXPECT_EQ(FilesWithContents(files.path()),
            Holding({{"2024年05月07日_IMG_0042.JPG", FileContent(testdata::Path("IMG_0042.JPG"))},
                     {"2021年03月04日_IMG_0099.JPG", FileContent(testdata::Path("no_exif.jpg"))}}));
  EXPECT_NE(Settings().find("Time=3"), std::string::npos) << Settings();
}

TEST_F(ProgramTest, EnterRunsAndEscQuitsWhenTheirOptionsAreChecked) {
  program.WriteSettings("[Option]\r\nEnterToExec=1\r\nEscToExit=1\r\n");
  ASSERT_TRUE(StartWith({"a.txt"}));
  program.ClickTab("追加");
  program.TypeInto(program.InputAfter("追加文字列"), "x");
  program.Click(program.Button(">"));
  ASSERT_TRUE(program.AwaitPreview({"ax"}));
  program.PressKey(VK_RETURN);
  AwaitRun({"ax.txt"});
  program.PressKey(VK_ESCAPE);
  ASSERT_TRUE(program.WaitForExit()) << "Esc did not end the program: " << program.Screen();
  EXPECT_EQ(FilesWithContents(files.path()), Holding({{"ax.txt", "a.txt"}}));
}

TEST_F(ProgramTest, AStartWhosePathsAreAllCleanedOrRefusedEndsByItselfAndStoresItsSettings) {
  program.WriteSettings("[Option]\r\nDropDir=1\r\nRem[1]=1\r\nFilter=thumbs.db;\r\n");
  files.Touch("a [1].txt", "a");
  files.Touch("Thumbs.db", "t");
  EXPECT_FALSE(program.Start({files.path()})) << "a window came up";
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FilesWithContents(files.path()), Holding({{"Thumbs.db", "t"}, {"a.txt", "a"}}));
  EXPECT_NE(Settings().find("[Window]"), std::string::npos) << Settings();

}

TEST_F(ProgramTest, WhatTheUserSetComesBackAtTheNextStart) {
  ASSERT_TRUE(StartWith({"my photo.txt"}));
  program.ClickTab("連番");
  program.TypeInto(program.InputAfter("桁数"), "3");
  program.ClickTab("設定");
  HWND esc = program.Button("Escキーで終了");
  program.Click(esc);
  program.Await("the check", [&] { return SendMessageW(esc, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                [] { return std::string("unchecked"); });
  program.ClickTab("置換");
  // Widths the user dragged stay over previews; the first column never passes half the list.
  ListView_SetColumnWidth(program.List(), 2, 222);
  ListView_SetColumnWidth(program.List(), 0, 1000);
  program.TypeInto(program.InputAfter("検索文字列"), "my photo");
  program.TypeInto(program.InputAfter("置換文字列"), "a b");
  ASSERT_TRUE(program.AwaitPreview({"a b"}));
  RECT list{};
  GetClientRect(program.List(), &list);
  EXPECT_EQ(ListView_GetColumnWidth(program.List(), 2), 222);
  EXPECT_EQ(ListView_GetColumnWidth(program.List(), 0), list.right / 2);
  program.Click(program.Button("リネーム", true));
  AwaitRun({"a b.txt"});
  RECT was{}, now{};
  GetWindowRect(program.window(), &was);
  ShowWindow(program.window(), SW_MINIMIZE);
  Quit();

  ASSERT_TRUE(program.Start());
  GetWindowRect(program.window(), &now);
  EXPECT_TRUE(EqualRect(&was, &now)) << "closed minimised, it comes back where it was: " << now.left << "," << now.top;
  EXPECT_EQ(ListView_GetColumnWidth(program.List(), 2), 222);
  EXPECT_EQ(program.TabCaption(program.ActiveTab()), "置換");
  EXPECT_EQ(program.ComboItems(program.InputAfter("検索文字列")), std::vector<std::string>{"my photo"});
  EXPECT_EQ(program.ComboItems(program.InputAfter("置換文字列")), std::vector<std::string>{"a b"});
  program.ClickTab("連番");
  EXPECT_EQ(program.Text(program.InputAfter("桁数")), "3");
  // The option is back, and does what it says.
  program.PressKey(VK_ESCAPE);
  EXPECT_TRUE(program.WaitForExit()) << "Esc did not end the program";
}

TEST_F(ProgramTest, AnEntryAddedInTheFilterDialogRefusesFilesAtTheNextIntake) {
  files.Touch("メモ.txt", "m");
  files.Touch("x.bak", "x");
  files.Touch("y.txt", "y");
  program.WriteSettings("[Option]\r\nDropDir=1\r\n");
  ASSERT_TRUE(program.Start());
  program.ClickTab("設定");
  program.Click(program.Button("フィルタ"));
  HWND dialog = program.AwaitDialog();
  ASSERT_TRUE(dialog);
  HWND input = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
  HWND entries = FindWindowExW(dialog, nullptr, L"SysListView32", nullptr);
  for (const char* entry : {".bak", "メモ.txt"}) {
    program.TypeInto(input, entry);
    const LRESULT before = SendMessageW(entries, LVM_GETITEMCOUNT, 0, 0);
    program.Click(program.ChildOf(dialog, "追加"));
    program.Await("the entry in the list", [&] { return SendMessageW(entries, LVM_GETITEMCOUNT, 0, 0) > before; },
                  [&] { return program.Text(input); });
  }
  program.Click(program.ChildOf(dialog, "OK"));
  program.Await("the dialog to close", [&] { return !IsWindowVisible(dialog); }, [] { return std::string("open"); });
  program.Drop({files.path()});
  // The settings page makes no names, so the row may be counted as refused too.
  program.Await(
      "the count", [&] { return program.Text(program.CountLabel()).ends_with("（2件は取り込めません: フィルタ）"); },
      [&] { return program.Text(program.CountLabel()); });
  ASSERT_EQ(program.Rows().size(), 1u);
  EXPECT_EQ(program.Rows()[0].name, "y.txt");
  Quit();
  EXPECT_NE(Settings().find("メモ.txt;"), std::string::npos) << Settings();
}

// Esc arrives while the run's first file is renamed: that file has its new name on disk and in
// its row, every other one keeps both.
TEST_F(ProgramTest, AStoppedRunLeavesEachFileRenamedWithItsRowOrUntouched) {
  ASSERT_TRUE(StartWith({"a.txt", "b.txt", "c.txt", "d.txt"}));
  program.ClickTab("追加");
  program.TypeInto(program.InputAfter("追加文字列"), "_x");
  program.Click(program.Button(">"));
  ASSERT_TRUE(program.AwaitPreview({"a_x", "b_x", "c_x", "d_x"}));
  program.Click(program.Button("リネーム", true));
  program.PressKey(VK_ESCAPE);
  AwaitRun({"a.txt", "b.txt", "c.txt", "d_x.txt"});
  EXPECT_TRUE(program.AwaitCount("4個の項目（1件を変更して中止しました）"));
  EXPECT_EQ(FilesWithContents(files.path()),
            Holding({{"a.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}, {"d_x.txt", "d.txt"}}));
  Quit();
}

// A drop of a listed file in another spelling and of a path that names nothing adds no row
// (a second one would read ファイルなし after a run); the count says why until a clear.
TEST_F(ProgramTest, ADropOfAListedFileAndAMissingOneAddsNoRowAndSaysWhy) {
  ASSERT_TRUE(StartWith({"a.txt"}));
  program.Drop({files.path() + "A.TXT", files.path() + "gone.txt"});
  EXPECT_TRUE(program.AwaitCount("1個の項目（2件は取り込めません: ファイルなし1・重複1）"));
  program.Click(program.Button("リストクリア"));
  EXPECT_TRUE(program.AwaitCount("0個の項目"));
  Quit();
}

}  // namespace
