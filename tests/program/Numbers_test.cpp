// The numbering page's boxes on the real program: the number a box shows is the number the
// files get and the settings file keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"

namespace {

class ProgramNumbers : public testing::Test {
 protected:
  // Renames as previewed, waits for the folder to hold `listing`, and ends the program.
  void RunAndQuit(const std::vector<std::string>& preview, const std::vector<std::string>& listing) {
    ASSERT_TRUE(program.AwaitPreview(preview));
    program.Click(program.Button("リネーム", true));
    program.Await("the renamed files", [&] { return FolderListing(files.path()) == listing; },
                  [&] { return program.RowsText(); });
    program.Await("the run's end", [&] { return program.Text(program.CountLabel()).starts_with("2個の項目"); },
                  [&] { return program.Text(program.CountLabel()); });
    program.Click(program.Button("終了"));
    ASSERT_TRUE(program.WaitForExit()) << "the program did not end";
  }
  TempDir home, files;
  Program program{home};
};

TEST_F(ProgramNumbers, ATypedStartIsTheFirstNumberOnDiskAndInTheSettings) {
  ASSERT_TRUE(program.Start({files.Touch("a.txt"), files.Touch("b.txt")}));
  program.TypeInto(program.InputAfter("基本名"), "n");
  program.TypeInto(program.InputAfter("開始番号"), "2000");
  RunAndQuit({"n2000", "n2001"}, {"n2000.txt", "n2001.txt"});
  EXPECT_NE(FileContent(program.SettingsPath()).find("Start=2000\r\n"), std::string::npos);
}

TEST_F(ProgramNumbers, NameAnalysisContinuesTheNumberOfTheName) {
  ASSERT_TRUE(program.Start({files.Touch("旅行_1983.JPG"), files.Touch("旅行_x.JPG")}));
  PostMessageW(program.InputAfter("基本名"), WM_CHAR, 1, 1);  // Ctrl+A: every row
  program.ChooseMenuItem(2);                                  // ファイル名解析
  RunAndQuit({"旅行_1983", "旅行_1984"}, {"旅行_1983.JPG", "旅行_1984.JPG"});
}

}  // namespace
