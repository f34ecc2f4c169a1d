// The 置換 page in the real program: a regular expression, the copied search text and the histories.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"
#include "text/utf16.h"

namespace {

void AwaitFocus(const Program& program, HWND on, const std::wstring& what) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const DWORD thread = GetWindowThreadProcessId(program.window(), nullptr);
  program.Await(what, [&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == on; },
                [&] { return program.Screen(); });
}

TEST(ProgramReplace, TypingReplacesTheCopiedSearchAndOnlyAnAppliedSearchEntersTheHistory) {
  TempDir home, files;
  Program program{home};
  ASSERT_TRUE(program.Start({files.Touch(L"IMG_0042.JPG", "photo")}));
  program.ClickTab(L"置換");
  HWND check = program.Button(L"正規表現"), search = program.InputAfter(L"検索文字列");
  HWND replacement = program.InputAfter(L"置換文字列");
  program.Click(check);
  program.TypeInto(search, L"IMG_(\\d+)");
  // A real click near the box's left end: the button is down while the focus moves, and the
  // click puts the caret where it hits.
  SetForegroundWindow(program.window());
  RECT r{};
  GetWindowRect(replacement, &r);
  SetCursorPos(r.left + 3, (r.top + r.bottom) / 2);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  AwaitFocus(program, replacement, L"the focus in 置換文字列");
  program.Await(
      L"the copied search", [&] { return program.Text(replacement) == L"IMG_(\\d+)"; },
      [&] { return program.Text(replacement); });
  for (wchar_t c : std::wstring_view(L"旅行_$1")) PostMessageW(replacement, WM_CHAR, c, 1);
  program.Await(
      L"the typed replacement", [&] { return program.Text(replacement) == L"旅行_$1"; },
      [&] { return program.Text(replacement); });

  // An expression that can't be read leaves every name, says why, and a run on it renames nothing
  // and keeps it out of the history.
  program.TypeInto(search, L"IMG_(\\d+");
  ASSERT_TRUE(program.AwaitCount(L"1個の項目（正規表現エラー: 括弧が閉じていません）"));
  ASSERT_TRUE(program.AwaitPreview({L"IMG_0042"}));
  HWND rename = program.Button(L"リネーム", true);
  program.Click(rename);
  AwaitFocus(program, search, L"the focus back in 検索文字列 after the run");
  program.TypeInto(search, L"IMG_(\\d+)");
  ASSERT_TRUE(program.AwaitPreview({L"旅行_0042"}));
  program.Click(rename);
  // The run's search heads the history once the run is over.
  auto headed = [&] {
    const std::vector<std::wstring> history = program.ComboItems(search);
    return !history.empty() && history[0] == L"IMG_(\\d+)";
  };
  program.Await(L"the history", headed, [&] { return program.Text(program.CountLabel()); });
  EXPECT_EQ(program.ComboItems(search), std::vector<std::wstring>{L"IMG_(\\d+)"});
  EXPECT_EQ(program.ComboItems(replacement), std::vector<std::wstring>{L"旅行_$1"});
  program.Click(program.Button(L"終了"));
  EXPECT_TRUE(program.WaitForExit());
  EXPECT_EQ(FilesWithContents(files.path()), std::vector<std::wstring>{L"旅行_0042.JPG=photo"});
  EXPECT_NE(FileContent(program.SettingsPath()).find("RegExp=1"), std::string::npos);
}

}  // namespace
