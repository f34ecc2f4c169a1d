// The number the start box shows is the number the files get and the settings file keeps; a
// file the run leaves takes none.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/sjis.h"

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

// A hidden file in the folder takes no number: the others are numbered on disk without a gap.
TEST(ProgramNumbers, AHiddenFileTakesNoNumber) {
  TempDir home, files;
  Program program{home};
  program.WriteSettings("[Job]\r\nColumn=4\r\nDivide=1\r\n");
  for (const char* name : {"P1.jpg", "P2.jpg", "P3.jpg", "P4.jpg"}) files.Touch(name);
  ASSERT_TRUE(SetFileAttributesW(sjis::ToUtf16Lenient(files.Touch(".picasa.ini")).c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(program.Start({files.path().substr(0, files.path().size() - 1)}));
  program.TypeInto(program.InputAfter("基本名"), "hana");
  program.Click(program.Button("リネーム", true));
  auto rows = [&] { return program.RowsText(); };
  ASSERT_TRUE(program.Await("the run's end", [&] { return rows().find("P4.jpg") == std::string::npos; }, rows));
  program.Click(program.Button("終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::string>{".picasa.ini", "hana_0001.jpg", "hana_0002.jpg",
                                                                    "hana_0003.jpg", "hana_0004.jpg"}));
}
