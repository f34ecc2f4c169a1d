// Numbering that closes a gap moves files onto names other files of the run leave: one press.
#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/utf16.h"

TEST(ProgramChains, NumberingThatClosesAGapLandsInOnePress) {
  TempDir home, files;
  Program program{home};
  std::vector<std::wstring> paths;
  for (const wchar_t* n : {L"x01.txt", L"x02.txt", L"x04.txt", L"x05.txt", L"x06.txt"})
    paths.push_back(files.Touch(n, utf16::ToUtf8(n)));
  ASSERT_TRUE(program.Start(paths));
  program.TypeInto(program.InputAfter(L"基本名"), L"x");
  program.TypeInto(program.InputAfter(L"桁数"), L"2");
  ASSERT_TRUE(program.AwaitPreview({L"x01", L"x02", L"x03", L"x04", L"x05"}));
  program.Click(program.Button(L"リネーム", true));
  auto ended = [&] {
    return program.Rows().back().name == L"x05.txt" && program.Text(program.CountLabel()).starts_with(L"5個");
  };
  program.Await(L"the run's end", ended, [&] { return program.RowsText(); });
  program.Click(program.Button(L"終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FilesWithContents(files.path()),
            (std::vector<std::wstring>{L"x01.txt=x01.txt", L"x02.txt=x02.txt", L"x03.txt=x04.txt", L"x04.txt=x05.txt",
                                       L"x05.txt=x06.txt"}));
}
