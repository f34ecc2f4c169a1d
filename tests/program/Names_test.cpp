// Names with no Shift_JIS form, made on the Linux side as a Mac or a phone leaves them: taken in,
// renamed and taken back by the real program like any other.
#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "program/Program.h"

namespace {

using Names = std::vector<std::wstring>;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

class ProgramNames : public testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "the files are made through Wine's Linux side";
  }
  // Makes the files (each holding a byte) and gives their paths.
  Names Make(const Names& names) {
    Names paths;
    for (const std::wstring& name : names) {
      EXPECT_TRUE(files.TouchUnix(name, "x")) << name;
      paths.push_back(files.path() + name);
    }
    return paths;
  }
  bool OnDisk(const Names& expected) {
    return program.Await(
        L"the names on disk", [&] { return FolderListing(files.path()) == Sorted(expected); },
        [&] { return program.RowsText(); });
  }
  // Ctrl+Z as the user presses it, in the list (a real click on its first row gives it the
  // focus), and yes to the question.
  void UndoFromTheKeyboard() {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    const DWORD thread = GetWindowThreadProcessId(program.window(), nullptr);
    SetForegroundWindow(program.window());
    program.Await(
        L"the window active", [&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndActive == program.window(); },
        [&] { return program.Screen(); });
    RECT r{};
    GetWindowRect(program.List(), &r);
    SetCursorPos(r.left + 30, r.top + 30);
    INPUT input[6] = {};
    for (INPUT& in : input) in.type = INPUT_KEYBOARD;
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    // The activation gives the focus back to the control that had it, maybe after the click
    // landed: the click comes again until the focus stays in the list.
    int polls = 0;
    program.Await(
        L"the focus in the list",
        [&] {
          if (polls++ % 100 == 0) SendInput(2, input, sizeof(INPUT));
          return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == program.List();
        },
        [&] { return program.Screen(); });
    input[2].ki.wVk = input[5].ki.wVk = VK_CONTROL;
    input[3].ki.wVk = input[4].ki.wVk = 'Z';
    input[4].ki.dwFlags = input[5].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, input + 2, sizeof(INPUT));
    AnswerMessageBox(program, IDYES);
  }
  void Quit() {
    program.Click(program.Button(L"終了"));
    EXPECT_TRUE(program.WaitForExit()) << "the program did not end";
  }

  TempDir home, files;
  Program program{home};
};

// Numbered, then upper-cased, each run taken back with Ctrl+Z: every name on disk each time.
TEST_F(ProgramNames, NamesWithNoShiftJisFormAreNumberedUpperCasedAndTakenBack) {
  const Names names = {L"Beyonc\u00E9 - Halo.mp3",
                       L"\u301C\u30E1\u30E2.txt",
                       L"\u30B7\u3099\u30FC\u30EB.txt",
                       L"\U0001F600.txt",
                       L"\uD55C\uAD6D\uC5B4.txt",
                       L"写真.jpg",
                       L"メモ.txt"};
  ASSERT_TRUE(program.Start(Make(names)));
  ASSERT_TRUE(program.AwaitCount(L"7個の項目"));
  Names listed;
  for (const Program::Row& row : program.Rows()) listed.push_back(row.name);
  EXPECT_EQ(Sorted(listed), Sorted(names)) << "every name is listed as it is on disk";

  program.ClickTab(L"連番");
  program.TypeInto(program.InputAfter(L"基本名"), L"n");
  // Each row's number follows the list's order: the names on disk are the preview's.
  Names numbered, newNames;
  program.Await(
      L"the numbers",
      [&] {
        numbered.clear();
        newNames.clear();
        for (const Program::Row& row : program.Rows()) {
          newNames.push_back(row.newName);
          numbered.push_back(row.newName + row.name.substr(row.name.rfind(L'.')));
        }
        return Sorted(newNames) == Names{L"n01", L"n02", L"n03", L"n04", L"n05", L"n06", L"n07"};
      },
      [&] { return program.RowsText(); });
  program.Click(program.Button(L"リネーム", true));
  ASSERT_TRUE(program.AwaitCount(L"7個の項目（7件を変更しました）"));
  ASSERT_TRUE(OnDisk(numbered));
  UndoFromTheKeyboard();
  ASSERT_TRUE(OnDisk(names));

  program.ClickTab(L"大小");
  program.Click(program.Radio(L"大文字小文字変換", L"すべて大文字"));
  program.Click(program.Button(L"リネーム", true));
  ASSERT_TRUE(program.AwaitCount(L"7個の項目（1件を変更しました）"));
  ASSERT_TRUE(OnDisk({L"BEYONC\u00C9 - HALO.mp3", L"\u301C\u30E1\u30E2.txt", L"\u30B7\u3099\u30FC\u30EB.txt",
                      L"\U0001F600.txt", L"\uD55C\uAD6D\uC5B4.txt", L"写真.jpg", L"メモ.txt"}));
  UndoFromTheKeyboard();
  ASSERT_TRUE(OnDisk(names));
  Quit();
}

// With 濁点・半濁点を結合 on, the intake composes a Mac's name on disk (and lists it no more);
// Ctrl+Z gives the file its Mac name back.
TEST_F(ProgramNames, TheComposeOptionJoinsAMacsSplitMarksAndCtrlZSplitsThemAgain) {
  program.WriteSettings("[Option]\r\nCompose=1\r\n");
  ASSERT_TRUE(program.Start(Make({L"\u30B7\u3099\u30FC\u30EB.txt", L"写真.jpg"})));
  ASSERT_TRUE(program.AwaitCount(L"1個の項目（1件を自動リネームしました）"));
  ASSERT_TRUE(OnDisk({L"\u30B8\u30FC\u30EB.txt", L"写真.jpg"}));
  UndoFromTheKeyboard();
  ASSERT_TRUE(OnDisk({L"\u30B7\u3099\u30FC\u30EB.txt", L"写真.jpg"}));
  Quit();
}

}  // namespace
