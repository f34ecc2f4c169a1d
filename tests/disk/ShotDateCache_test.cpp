#include "disk/ShotDateCache.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "rules/DateRule.h"
#include "support/TempDir.h"
#include "text/utf16.h"

using rules::EncodeDateTime;
using rules::ftCreation;
using rules::ftLastAccess;
using rules::ftLastWrite;
using disk::GetFileDate;

namespace {

FILETIME UtcOfLocal(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME st{};
  st.wYear = year, st.wMonth = month, st.wDay = day, st.wHour = hour, st.wMinute = minute, st.wSecond = second;
  FILETIME local, utc;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

// Sets the last-write and last-access times of a file or folder.
void SetTimes(const std::wstring& path, const FILETIME& write, const FILETIME& access) {
  HANDLE h = CreateFileW(std::wstring(path).c_str(), FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  EXPECT_TRUE(SetFileTime(h, nullptr, &access, &write));
  CloseHandle(h);
}

TEST(GetFileDate, LocalTimeAtTwoSecondResolution) {
  TempDir dir;
  const std::wstring file = dir.Touch(L"写真.jpg");
  SetTimes(file, UtcOfLocal(2003, 5, 7, 10, 15, 37), UtcOfLocal(2003, 5, 8, 0, 0, 1));
  EXPECT_EQ(GetFileDate(file, ftLastWrite), EncodeDateTime(2003, 5, 7, 10, 15, 36));
  EXPECT_EQ(GetFileDate(file, ftLastAccess), EncodeDateTime(2003, 5, 8));

  const std::wstring folder = dir.Mkdir(L"sub");
  SetTimes(folder, UtcOfLocal(2010, 1, 2, 3, 4, 6), UtcOfLocal(2010, 1, 2, 3, 4, 6));
  EXPECT_EQ(GetFileDate(folder, ftLastWrite), EncodeDateTime(2010, 1, 2, 3, 4, 6));

  EXPECT_EQ(GetFileDate(dir.path() + L"missing.jpg", ftLastWrite), 0);
  EXPECT_EQ(GetFileDate(dir.path() + L"missing.jpg", ftCreation), 0);
}

TEST(GetFileDate, OutsideTheDosRangeKeepsTheRealTime) {
  TempDir dir;
  const std::wstring file = dir.Touch(L"old.txt");
  SetTimes(file, UtcOfLocal(1975, 3, 4, 5, 6, 7), UtcOfLocal(2150, 8, 9, 10, 11, 13));
  EXPECT_EQ(GetFileDate(file, ftLastWrite), EncodeDateTime(1975, 3, 4, 5, 6, 6));
  EXPECT_EQ(GetFileDate(file, ftLastAccess), EncodeDateTime(2150, 8, 9, 10, 11, 12));
}

// The date rule's 更新日 and 作成日 come from the row (what the listing told), not the disk:
// here the file isn't there at all.
TEST(GetFileDate, TheDateRuleReadsTheRowsTimes) {
  rules::RenameList list;
  auto ticks = [](const FILETIME& t) { return std::uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime; };
  list.Add(L"gone.jpg", L"C:\\nowhere\\", 1, ticks(UtcOfLocal(2003, 5, 7, 10, 15, 37)), ticks(UtcOfLocal(1999, 1, 2, 0, 0, 0)));
  rules::DateInputs in;
  in.hasDate = true;
  in.pattern = L"yyyymmddhhnnss";
  for (auto [kind, expected] : {std::pair{rules::DateKind::Modified, L"gone_20030507101536"},
                                std::pair{rules::DateKind::Created, L"gone_19990102000000"}}) {
    in.kind = kind;
    rules::PreviewDate(list, in, rules::DateLocale{}, disk::DiskDateSources());
    EXPECT_EQ(list[0].newName, expected);
  }
}

}  // namespace
