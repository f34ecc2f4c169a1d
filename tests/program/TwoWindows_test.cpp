#include <gtest/gtest.h>

#include "program/Program.h"

// Two copies on one home, as a second start from SendTo makes.
TEST(TwoWindows, NeitherUndoesTheOthersRunUnaskedNorDropsItsSettings) {
  TempDir home, files;
  Program first{home}, second{home};
  ASSERT_TRUE(first.Start({files.Touch(L"a.txt", "a"), files.Touch(L"b.txt", "b")}));
  first.TypeInto(first.InputAfter(L"基本名"), L"n");
  first.Click(first.Button(L"リネーム", true));
  ASSERT_TRUE(first.Await(
      L"the run", [&] { return FolderListing(files.path())[0] == L"n01.txt"; }, [] { return L""; }));
  ASSERT_TRUE(second.Start());
  second.ChooseUndo();
  const std::wstring folder = files.path().substr(0, files.path().size() - 1);
  EXPECT_EQ(AnswerMessageBox(second, IDNO), L"2件の名前を元に戻します（フォルダ: " + folder + L"）。よろしいですか？");
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::wstring>{L"n01.txt", L"n02.txt"}));
  second.ClickTab(L"置換");  // while the first's run put "n" into its history
  for (Program* p : {&first, &second}) {
    p->Click(p->Button(L"終了"));
    EXPECT_TRUE(p->WaitForExit());
  }
  for (const char* kept : {"BasVal=n\r\n", "Tab=1"}) EXPECT_NE(FileContent(first.SettingsPath()).find(kept), std::string::npos) << kept;
}
