// Numbering that closes a gap moves files onto names other files of the run leave: one press.
#include <gtest/gtest.h>

#include "program/Program.h"

TEST(ProgramChains, NumberingThatClosesAGapLandsInOnePress) {
  TempDir home, files;
  Program program{home};
  std::vector<std::string> paths;
  for (const char* n : {"x01.txt", "x02.txt", "x04.txt", "x05.txt", "x06.txt"}) paths.push_back(files.Touch(n, n));
  ASSERT_TRUE(program.Start(paths));
  program.TypeInto(program.InputAfter("基本名"), "x");
  program.TypeInto(program.InputAfter("桁数"), "2");
  ASSERT_TRUE(program.AwaitPreview({"x01", "x02", "x03", "x04", "x05"}));
  program.Click(program.Button("リネーム", true));
  auto ended = [&] { return program.Rows().back().name == "x05.txt" && program.Text(program.CountLabel()).starts_with("5個"); };
  program.Await("the run's end", ended, [&] { return program.RowsText(); });
  program.Click(program.Button("終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FilesWithContents(files.path()),
            (std::vector<std::string>{"x01.txt=x01.txt", "x02.txt=x02.txt", "x03.txt=x04.txt", "x04.txt=x05.txt",
                                      "x05.txt=x06.txt"}));
}
