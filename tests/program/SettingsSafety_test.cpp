// The settings file of the real program, where the disk is hostile: links planted beside it,
// and a disk with no room left.
#include <windows.h>

#include <gtest/gtest.h>

#include "program/Program.h"

namespace {

// A Linux system call of this 32-bit process (under Wine a Linux process).
long LinuxCall(long number, const char* a, long b = 0, const char* c = nullptr, const char* e = nullptr) {
  long result;
  asm volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c), "S"(0), "D"(e) : "memory");
  return result;
}

// A tmpfs of 4 MB and 64 files on the folder for the length of a test; `error` is mount's errno.
struct Tmpfs {
  explicit Tmpfs(const TempDir& dir) {
    auto unixName = reinterpret_cast<char*(__cdecl*)(const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    at = unixName(dir.wpath().c_str());
    error = -LinuxCall(21 /* mount */, "tmpfs", reinterpret_cast<long>(at), "tmpfs", "size=4m,nr_inodes=64");
  }
  ~Tmpfs() {
    if (error == 0) LinuxCall(52 /* umount2 */, at, 2 /* MNT_DETACH */);
    HeapFree(GetProcessHeap(), 0, at);
  }
  char* at;
  long error;
};

// Takes every free block, then every free file of the folder's volume.
void FillVolume(const TempDir& dir) {
  const std::string all(4 << 20, 'x');  // written up to the last free block
  DWORD written = 0;
  HANDLE f = CreateFileW((dir.wpath() + L"\\fill").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  WriteFile(f, all.data(), static_cast<DWORD>(all.size()), &written, nullptr);
  for (int i = 0; f != INVALID_HANDLE_VALUE && i < 1000; ++i) {
    CloseHandle(f);
    f = CreateFileW((dir.wpath() + L"\\f" + std::to_wstring(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                    nullptr);
  }
}

std::wstring SystemText(DWORD error) {
  wchar_t text[512] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, text, 512, nullptr);
  // Its words without the line end and the closing stop.
  while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ' || text[n - 1] == L'.' ||
                   text[n - 1] == L'\x3002')) {
    --n;
  }
  return std::wstring(text, n);
}

}  // namespace

// A link where the save made its temporary file is passed over; a settings file that is a
// link is not written, and the user is told and may quit.
TEST(SettingsSafety, ALinkBesideTheProgramIsNeverWrittenThrough) {
  if (!UnderWine()) GTEST_SKIP() << "links are made through Linux";
  TempDir home;
  Program program(home);
  const std::wstring mine = home.Touch(L"o\\t.txt", "mine");
  ASSERT_TRUE(home.LinkUnix(L"Kinoha.ini.tmp", L"o/t.txt"));
  ASSERT_TRUE(program.Start());
  program.Click(program.Button(L"終了"));
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FileContent(mine), "mine");
  EXPECT_NE(FileContent(program.SettingsPath()).find("[Window]"), std::string::npos);

  ASSERT_TRUE(DeleteFileW(program.SettingsPath().c_str()));
  ASSERT_TRUE(home.LinkUnix(L"Kinoha.ini", L"o/t.txt"));
  ASSERT_TRUE(program.Start());
  program.Click(program.Button(L"終了"));
  EXPECT_EQ(AnswerMessageBox(program, IDOK).find(program.SettingsPath()), 0u);
  AnswerMessageBox(program, IDYES);
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FileContent(mine), "mine");
}

// The save adds the window's keys before the presets, which then end past the volume's last
// free byte: the file stays as it was, and the message gives the system's reason.
TEST(SettingsSafety, AFullDiskLeavesTheSettingsFileWholeAndSaysWhy) {
  if (!UnderWine()) GTEST_SKIP() << "the disk is made through Linux";
  TempDir home;
  Tmpfs disk(home);
  if (disk.error == 1) GTEST_SKIP() << "mount refused (EPERM): the tests run without the right to mount";
  ASSERT_EQ(disk.error, 0) << "mount failed";
  Program program(home);
  std::string ini = "[Window]\r\nTab=1\r\n[Combo]\r\nDateFormat=";
  for (int i = 0; ini.size() < 4060; ++i) ini += "yyyy\"年\"mm\"月\"dd\"日\"_" + std::to_string(i) + ",";
  program.WriteSettings(ini += "dd\r\n");
  FillVolume(home);
  ASSERT_TRUE(program.Start());
  program.Click(program.Button(L"終了"));
  const std::wstring told = AnswerMessageBox(program, IDOK);
  AnswerMessageBox(program, IDYES);
  ASSERT_TRUE(program.WaitForExit());
  EXPECT_EQ(FileContent(program.SettingsPath()), ini);
  EXPECT_NE(told.find(SystemText(ERROR_DISK_FULL)), std::wstring::npos) << told;
}
