// Photos numbered in the order they were shot, whatever their names say.
#include <windows.h>

#include <gtest/gtest.h>

#include "data/TestData.h"
#include "os/Handle.h"
#include "program/Program.h"

TEST(ProgramOrder, PhotosSortedByShotDateAreNumberedInShotOrderOnDisk) {
  TempDir home, files;
  // Shot 2024, 2022, and none (its last-write time, 2019, stands in): the reverse of the names.
  const char* const sources[] = {"IMG_0042.JPG", "IMG_0043.JPG", "no_exif.jpg"};
  const wchar_t* const names[] = {L"a.jpg", L"b.jpg", L"c.jpg"};
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(CopyFileW(DataPath(sources[i]).c_str(), (files.path() + L"\\" + names[i]).c_str(), TRUE));
  {
    os::unique_file c(
        CreateFileW((files.path() + L"\\c.jpg").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SYSTEMTIME st{2019, 1, 2, 1, 12, 0, 0, 0};
    FILETIME t;
    ASSERT_TRUE(c && SystemTimeToFileTime(&st, &t) && SetFileTime(c.get(), nullptr, nullptr, &t));
  }
  Program program{home};
  program.WriteSettings("[Window]\r\nSort=6\r\n");
  ASSERT_TRUE(program.Start({files.path()}));
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  ASSERT_TRUE(program.AwaitPreview({L"n01", L"n02", L"n03"}));
  program.Click(program.Button(L"リネーム", true));
  program.Await(
      L"the run's end", [&] { return program.Rows()[0].name == L"n01.jpg"; }, [&] { return program.RowsText(); });
  program.Click(program.Button(L"終了"));
  ASSERT_TRUE(program.WaitForExit());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(FileContent(files.path() + L"\\n0" + std::to_wstring(3 - i) + L".jpg"), FileContent(DataPath(sources[i])))
        << sources[i];
  }
}
