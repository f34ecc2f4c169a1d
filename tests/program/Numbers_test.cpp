// The number the start box shows is the number the files get and the settings file keeps.
#include <gtest/gtest.h>

#include "program/Program.h"

TEST(ProgramNumbers, ATypedStartIsTheFirstNumberOnDiskAndInTheSettings) {
  TempDir home, files;
  Program program{home};
  ASSERT_TRUE(program.Start({files.Touch("a.txt"), files.Touch("b.txt")}));
  program.TypeInto(program.InputAfter("基本名"), "n");
  program.TypeInto(program.InputAfter("開始番号"), "2000");
  ASSERT_TRUE(program.AwaitPreview({"n2000", "n2001"}));
  program.Click(program.Button("リネーム", true));
  auto ended = [&] { return program.Rows()[0].name == "n2000.txt" && program.Text(program.CountLabel()).starts_with("2個"); };
  program.Await("the run's end", ended, [&] { return program.RowsText(); });
  program.Click(program.Button("終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::string>{"n2000.txt", "n2001.txt"}));
  EXPECT_NE(FileContent(program.SettingsPath()).find("Start=2000\r\n"), std::string::npos);
}
