// The list and its count label as a user meets them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/utf16.h"

TEST(ListWords, ADeletedRowLeavesNoGapAndTheLabelSaysWhatTheRunDid) {
  TempDir home, files;
  Program program{home};
  std::vector<std::wstring> paths;
  for (const wchar_t* n : {L"a.txt", L"b.txt", L"c.txt"}) paths.push_back(files.Touch(n, utf16::ToUtf8(n)));
  // A folder takes the third row's new name; 設定, which has no rule, marks no row.
  const std::wstring folder = files.path() + L"n03.txt";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(program.Start(paths));
  program.ClickTab(L"連番");
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  ASSERT_TRUE(program.AwaitPreview({L"n01", L"n02", L"n03（同名のフォルダあり）"}));
  EXPECT_TRUE(program.AwaitCount(L"3個の項目（1件は変更不可）"));
  program.ClickTab(L"設定");
  EXPECT_TRUE(program.AwaitCount(L"3個の項目"));
  program.ClickTab(L"連番");
  ASSERT_TRUE(program.AwaitCount(L"3個の項目（1件は変更不可）"));
  // A click on the first row, then Delete.
  HWND list = program.List();
  RECT header{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
  const LPARAM at = MAKELPARAM(20, header.bottom - header.top + 6);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  program.Await(
      L"the list's focus",
      [&] {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(list, nullptr), &gui);
        return gui.hwndFocus == list;
      },
      [&] { return program.Screen(); });
  program.PressKey(VK_DELETE);
  ASSERT_TRUE(program.AwaitPreview({L"n01", L"n02"}));
  program.Click(program.Button(L"リネーム", true));
  EXPECT_TRUE(program.AwaitCount(L"2個の項目（2件を変更しました）"));
  program.Click(program.Button(L"終了"));
  ASSERT_TRUE(program.WaitForExit());
  RemoveDirectoryW(folder.c_str());
  EXPECT_EQ(FilesWithContents(files.path()),
            (std::vector<std::wstring>{L"a.txt=a.txt", L"n01.txt=b.txt", L"n02.txt=c.txt"}));
}
