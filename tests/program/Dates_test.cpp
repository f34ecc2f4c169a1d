// The date page's presets as the user edits them: the editor opened from the drop-down.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"

// A preset added in the editor and confirmed with OK is the one the drop-down shows, the
// preview uses and the run renames with (the drop-down was blank while both kept the old one).
TEST(ProgramDates, ThePresetConfirmedInTheEditorIsShownPreviewedAndRun) {
  TempDir home, files;
  Program program{home};
  ASSERT_TRUE(program.Start({files.Touch(L"a.txt", "a")}));
  program.ClickTab(L"日付");
  HWND presets = program.InputAfter(L"日付フォーマット");
  RECT r;
  GetWindowRect(presets, &r);
  PostMessageW(presets, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(presets), MAKELPARAM(r.left + 20, r.top + 8));
  HWND dialog = program.AwaitDialog();
  ASSERT_TRUE(dialog);
  program.TypeInto(FindWindowExW(dialog, nullptr, L"Edit", nullptr), L"\"写真\"");  // the same on any day
  program.Click(program.ChildOf(dialog, L"追加"));
  program.Click(program.ChildOf(dialog, L"OK"));
  ASSERT_TRUE(program.AwaitPreview({L"a_写真"}));
  EXPECT_EQ(program.Text(presets), L"写真");
  program.Click(program.Button(L"リネーム", true));
  program.Await(
      L"the run", [&] { return program.Rows().at(0).name == L"a_写真.txt"; }, [&] { return program.RowsText(); });
  program.Click(program.Button(L"終了"));
  EXPECT_TRUE(program.WaitForExit());
  EXPECT_EQ(FilesWithContents(files.path()), std::vector<std::wstring>{L"a_写真.txt=a"});
}
