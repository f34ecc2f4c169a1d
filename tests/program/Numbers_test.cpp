// The number the start box shows is the number the files get and the settings file keeps; a
// file the run leaves takes none.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/utf16.h"

TEST(ProgramNumbers, ATypedStartIsTheFirstNumberOnDiskAndInTheSettings) {
  TempDir home, files;
  Program program{home};
  ASSERT_TRUE(program.Start({files.Touch(L"a.txt"), files.Touch(L"b.txt")}));
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  program.TypeInto(program.InputAfter(L"開始番号"), L"2000");
  ASSERT_TRUE(program.AwaitPreview({L"n2000", L"n2001"}));
  program.Click(program.Button(L"リネーム", true));
  auto ended = [&] {
    return program.Rows()[0].name == L"n2000.txt" && program.Text(program.CountLabel()).starts_with(L"2個");
  };
  program.Await(L"the run's end", ended, [&] { return program.RowsText(); });
  program.Click(program.Button(L"終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::wstring>{L"n2000.txt", L"n2001.txt"}));
  EXPECT_NE(FileContent(program.SettingsPath()).find("Start=2000\r\n"), std::string::npos);
}

// A hidden file in the folder takes no number: the others are numbered on disk without a gap.
TEST(ProgramNumbers, AHiddenFileTakesNoNumber) {
  TempDir home, files;
  Program program{home};
  program.WriteSettings("[Job]\r\nColumn=4\r\nDivide=1\r\n");
  for (const wchar_t* name : {L"P1.jpg", L"P2.jpg", L"P3.jpg", L"P4.jpg"}) files.Touch(name);
  ASSERT_TRUE(SetFileAttributesW(files.Touch(L".picasa.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(program.Start({files.path().substr(0, files.path().size() - 1)}));
  program.TypeInto(program.InputAfter(L"基本名"), L"hana");
  program.Click(program.Button(L"リネーム", true));
  auto rows = [&] { return program.RowsText(); };
  ASSERT_TRUE(program.Await(
      L"the run's end", [&] { return rows().find(L"P4.jpg") == std::wstring::npos; }, rows));
  program.Click(program.Button(L"終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::wstring>{L".picasa.ini", L"hana_0001.jpg", L"hana_0002.jpg",
                                                                    L"hana_0003.jpg", L"hana_0004.jpg"}));
}
