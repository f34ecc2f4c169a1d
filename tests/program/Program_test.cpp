// The real program, started as its user starts it, on real files; the disk and the settings
// file are checked after it has ended.
#include <functional>

#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/sjis.h"

namespace {

// Sets a file's last-write time to a local date at noon.
void SetModified(const std::string& path, WORD year, WORD month, WORD day) {
  SYSTEMTIME local{year, month, 0, day, 12, 0, 0, 0}, utc;
  TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  FILETIME ft;
  SystemTimeToFileTime(&utc, &ft);
  HANDLE f = CreateFileW(sjis::Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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

  TempDir home, files;
  Program program{home};
};

struct PageRun {
  const char* page;
  std::vector<std::string> names;
  std::function<void(Program&)> set;  // what the user sets on the page
  std::vector<std::string> preview;    // the new names the list shows, in list order
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
  // The rows take the names the files now bear.
  program.Await(
      "the renamed rows",
      [&] {
        std::vector<std::string> names;
        for (const auto& r : program.Rows()) names.push_back(r.name);
        std::vector<std::string> expected;
        for (const auto& a : run.after) expected.push_back(a.first);
        std::sort(names.begin(), names.end());
        std::sort(expected.begin(), expected.end());
        return names == expected;
      },
      [&] { return program.RowsText(); });
  Quit();
  EXPECT_EQ(FilesWithContents(files.path()), Holding(run.after));
}

const PageRun kPageRuns[] = {
    {"連番", {"b.txt", "a.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter("基本名"), "写真");
       p.TypeInto(p.InputAfter("桁数"), "2");
     },
     {"写真01", "写真02"}, {{"写真01.txt", "a.txt"}, {"写真02.txt", "b.txt"}}},
    {"置換", {"old_a.txt", "x.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter("検索文字列"), "old");
       p.TypeInto(p.InputAfter("置換文字列"), "新");
     },
     {"新_a", "x"}, {{"新_a.txt", "old_a.txt"}, {"x.txt", "x.txt"}}},
    {"追加", {"a.txt"},
     [](Program& p) {
       p.TypeInto(p.InputAfter("追加文字列"), "前");
       p.Click(p.Button("<"));
     },
     {"前a"}, {{"前a.txt", "a.txt"}}},
    {"大小", {"holiday.txt", "Note.TXT"},
     [](Program& p) { p.Click(p.Radio("大文字小文字変換", "すべて大文字")); },
     {"HOLIDAY", "NOTE"}, {{"HOLIDAY.txt", "holiday.txt"}, {"NOTE.TXT", "Note.TXT"}}},
    {"全半", {"abc 123.txt"},
     [](Program& p) { p.Click(p.Button("全角", true)); },
     {"ａｂｃ　１２３"}, {{"ａｂｃ　１２３.txt", "abc 123.txt"}}},
};
INSTANTIATE_TEST_SUITE_P(EachPage, ProgramPages, testing::ValuesIn(kPageRuns),
                         [](const testing::TestParamInfo<PageRun>& info) { return std::to_string(info.index); });

// The date page takes the file's own date, so its file gets one first.
TEST_F(ProgramTest, TheDatePageRenamesWithTheFilesDate) {
  program.WriteSettings("[Combo]\r\nDateFormat=yyyymmdd\r\n");
  const std::string a = files.Touch("a.txt", "a.txt");
  SetModified(a, 2021, 3, 4);
  ASSERT_TRUE(program.Start({a}));
  program.ClickTab("日付");
  program.Click(program.Radio("日付の選択", "更新日"));
  program.Click(program.Button(">"));
  ASSERT_TRUE(program.AwaitPreview({"a_20210304"}));
  program.Click(program.Button("リネーム", true));
  program.Await("the renamed row", [&] { return program.Rows().at(0).name == "a_20210304.txt"; },
                [&] { return program.RowsText(); });
  Quit();
  EXPECT_EQ(FilesWithContents(files.path()), Holding({{"a_20210304.txt", "a.txt"}}));
}

}  // namespace
