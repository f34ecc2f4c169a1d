// Trees in the real program: a folder's whole tree numbered in place, folders renamed with
// what is inside them and brought back by one undo, hidden entries left out and counted.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/utf16.h"

namespace {

using Names = std::vector<std::wstring>;

// The folder as the user drops it: without the trailing "\".
std::wstring Given(const TempDir& dir) { return dir.path().substr(0, dir.path().size() - 1); }

void Rename(const Program& program, const std::wstring& count) {
  program.Click(program.Button(L"リネーム", true));
  ASSERT_TRUE(program.AwaitCount(count));
}

void Quit(Program& program) {
  program.Click(program.Button(L"終了"));
  EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
}

}  // namespace

// Files at three depths each take their number in their own folder; a link back up to the
// dropped folder is neither entered nor renamed.
TEST(ProgramTrees, ATreeIsNumberedInPlaceAndALinkBackUpIsNeverEntered) {
  if (!UnderWine()) GTEST_SKIP() << "links are made through Wine's Linux side";
  TempDir home, files;
  Program program{home};
  program.WriteSettings("[Option]\r\nSubFolders=1\r\n");
  files.Touch(L"a.txt", "a");
  files.Touch(L"sub\\b.txt", "b");
  files.Touch(L"sub\\deep\\c.txt", "c");
  ASSERT_TRUE(files.LinkUnix(L"loop", L"..", L"sub"));
  ASSERT_TRUE(program.Start({Given(files)}));
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  program.TypeInto(program.InputAfter(L"桁数"), L"2");
  ASSERT_TRUE(program.AwaitPreview({L"n01", L"n02", L"n03"}));
  Rename(program, L"3個の項目（3件を変更しました）");
  Quit(program);
  EXPECT_EQ(FolderListing(files.path()), (Names{L"n01.txt", L"sub"}));
  EXPECT_EQ(FolderListing(files.path() + L"sub\\"), (Names{L"deep", L"loop", L"n02.txt"}));
  EXPECT_EQ(FileContent(files.path() + L"sub\\deep\\n03.txt"), "c");
}

// Folders and the files inside them renamed in one press, all brought back by one undo.
TEST(ProgramTrees, FoldersAreRenamedWithTheirFilesAndUndoneTogether) {
  TempDir home, files;
  Program program{home};
  program.WriteSettings("[Option]\r\nSubFolders=1\r\nFolderItems=1\r\n");
  files.Touch(L"2024.04\\2024a.txt", "a");
  files.Touch(L"2024.04\\2024b\\2024c.txt", "c");
  ASSERT_TRUE(program.Start({Given(files)}));
  program.ClickTab(L"置換");
  program.TypeInto(program.InputAfter(L"検索文字列"), L"2024");
  program.TypeInto(program.InputAfter(L"置換文字列"), L"2025");
  Rename(program, L"4個の項目（4件を変更しました）");
  EXPECT_EQ(FolderListing(files.path()), (Names{L"2025.04"}));
  EXPECT_EQ(FolderListing(files.path() + L"2025.04\\"), (Names{L"2025a.txt", L"2025b"}));
  EXPECT_EQ(FileContent(files.path() + L"2025.04\\2025b\\2025c.txt"), "c");

  program.ChooseUndo();
  AnswerMessageBox(program, IDYES);
  ASSERT_TRUE(program.AwaitCount(L"4個の項目（4件を元に戻しました）"));
  Quit(program);
  EXPECT_EQ(FolderListing(files.path()), (Names{L"2024.04"}));
  EXPECT_EQ(FolderListing(files.path() + L"2024.04\\"), (Names{L"2024a.txt", L"2024b"}));
  EXPECT_EQ(FileContent(files.path() + L"2024.04\\2024b\\2024c.txt"), "c");
}

// Hidden and system entries, a hidden folder's files among them, are not taken in; the label
// counts what was left out.
TEST(ProgramTrees, HiddenAndSystemEntriesAreLeftOutAndCounted) {
  TempDir home, files;
  Program program{home};
  program.WriteSettings("[Option]\r\nSubFolders=1\r\nSkipHidden=1\r\n");
  files.Touch(L"shown.txt");
  files.Touch(L"inner\\shown too.txt");
  files.Touch(L"hidden.txt");
  files.Touch(L"system.txt");
  files.Touch(L"secret\\inside.txt");
  for (const auto& [name, attribute] :
       {std::pair{L"hidden.txt", FILE_ATTRIBUTE_HIDDEN}, std::pair{L"system.txt", FILE_ATTRIBUTE_SYSTEM},
        std::pair{L"secret", FILE_ATTRIBUTE_HIDDEN}}) {
    const std::wstring path = files.path() + name;
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attribute)) << name;
    ASSERT_NE(GetFileAttributesW(path.c_str()) & attribute, 0u) << name << " keeps no attribute here";
  }
  ASSERT_TRUE(program.Start({Given(files)}));
  ASSERT_TRUE(program.AwaitCount(L"2個の項目（隠しファイル 3件を除外）"));
  EXPECT_EQ(program.RowsText().find(L"inside"), std::wstring::npos) << program.RowsText();
  Quit(program);
}
