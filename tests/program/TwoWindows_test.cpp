#include <gtest/gtest.h>

#include "program/Program.h"

// Two copies on one home, as a second start from SendTo makes.
TEST(TwoWindows, NeitherUndoesTheOthersRunUnaskedNorDropsItsSettings) {
  TempDir home, files;
  Program first{home}, second{home};
  ASSERT_TRUE(first.Start({files.Touch("a.txt", "a"), files.Touch("b.txt", "b")}));
  first.TypeInto(first.InputAfter("基本名"), "n");
  first.Click(first.Button("リネーム", true));
  ASSERT_TRUE(first.Await("the run", [&] { return FolderListing(files.path())[0] == "n01.txt"; }, [] { return ""; }));
  ASSERT_TRUE(second.Start());
  second.ChooseUndo();
  const std::string folder = files.path().substr(0, files.path().size() - 1);
  EXPECT_EQ(AnswerMessageBox(second, IDNO), "2件の名前を元に戻します（フォルダ: " + folder + "）。よろしいですか？");
  EXPECT_EQ(FolderListing(files.path()), (std::vector<std::string>{"n01.txt", "n02.txt"}));
  second.ClickTab("置換");  // while the first's run put "n" into its history
  for (Program* p : {&first, &second}) { p->Click(p->Button("終了")); EXPECT_TRUE(p->WaitForExit()); }
  for (const char* kept : {"BasVal=n\r\n", "Tab=1"}) EXPECT_NE(FileContent(first.SettingsPath()).find(kept), std::string::npos) << kept;
}
