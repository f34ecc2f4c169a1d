// The 日付 page's preview with 撮影日 over 10,000 small real JPEG files (tests/data/IMG_0042.JPG,
// each with its own date of shooting): the first preview, which opens and reads every file
// once, and a second one from the cache (one GetFileAttributesEx per file), against a bare
// loop of the same platform calls: CreateFileW, ReadFile of the same bytes, CloseHandle. For
// scale, the same preview with 更新日 (one FindFirstFile per file). The files were just
// written, so every read comes from the system's cache: the figures are the program's own
// cost and the calls', not the disk's.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../tests/data/TestData.h"
#include "rules/DateRule.h"
#include "rules/Exif.h"
#include "rules/RenameList.h"
#include "disk/ShotDateCache.h"
#include "disk/DateLocale.h"
#include "text/sjis.h"

#include "BenchClock.h"

using rules::DateInputs;
using rules::DateKind;
using rules::DateLocale;
using rules::DateSources;
using rules::DateTime;
using rules::PreviewDate;
using rules::RenameEntry;
using rules::RenameList;
using rules::RuleMark;
using rules::kExifJpegSearch;
using disk::DiskDateSources;
using disk::ShotDateCache;
using disk::CurrentDateLocale;

namespace {

constexpr int kFiles = 10000;
constexpr int kRounds = 5;

std::wstring MakeFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"kinoha-exif-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring FileName(int i) {
  wchar_t name[32];
  swprintf(name, 32, L"IMG_%05d.JPG", i);
  return name;
}

// The photo with its own date: 2024:05:07 09:41:27 moved on by i seconds' worth of fields.
std::vector<unsigned char> Photo(const std::vector<unsigned char>& photo, int i) {
  std::vector<unsigned char> b = photo;
  const char* original = "2024:05:07 09:41:27";
  auto it = std::search(b.begin(), b.end(), original, original + 19);
  if (it != b.end()) {
    char text[32];
    std::snprintf(text, sizeof text, "2024:%02d:%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i / 60) % 60);
    std::memcpy(&*it, text, 19);
  }
  return b;
}

template <typename F>
double Best(F&& f) {
  double best = 1e300;
  for (int r = 0; r < kRounds; ++r) {
    const double t0 = Now();
    f();
    best = std::min(best, Now() - t0);
  }
  return best;
}

}  // namespace

int main() {
  const std::vector<unsigned char> photo = testdata::Bytes("IMG_0042.JPG");
  if (photo.empty()) {
    std::printf("exif_bench: %s not found\n", testdata::Path("IMG_0042.JPG").c_str());
    return 1;
  }
  const std::wstring folder = MakeFolder();
  std::vector<std::wstring> paths;
  RenameList list;
  list.BeginBatch();
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(folder + FileName(i));
    const std::vector<unsigned char> bytes = Photo(photo, i);
    HANDLE h = CreateFileW(paths.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
    list.Add(FileName(i), folder);
  }
  list.EndBatch();

  // The bare loop: the calls a first preview can't do without, reading the same bytes.
  static unsigned char buffer[kExifJpegSearch];
  std::size_t bareBytes = 0;
  const double bare = Best([&] {
    bareBytes = 0;
    for (const std::wstring& p : paths) {
      HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
      DWORD got = 0;
      ReadFile(h, buffer, sizeof buffer, &got, nullptr);
      bareBytes += got;
      CloseHandle(h);
    }
  });
  // The same plus the look at the time stamp the cache needs.
  const double bareStat = Best([&] {
    for (const std::wstring& p : paths) {
      WIN32_FILE_ATTRIBUTE_DATA data;
      GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data);
      HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
      DWORD got = 0;
      ReadFile(h, buffer, sizeof buffer, &got, nullptr);
      CloseHandle(h);
    }
  });
  const double statOnly = Best([&] {
    for (const std::wstring& p : paths) {
      WIN32_FILE_ATTRIBUTE_DATA data;
      GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data);
    }
  });

  DateInputs in;
  in.kind = DateKind::Shot;
  in.hasDate = true;
  in.pattern = L"yyyy\"年\"mm\"月\"dd\"日\"";
  in.head = true, in.tail = false;
  const DateLocale locale = CurrentDateLocale();

  // First preview: a fresh cache each round, so every file is opened and read.
  std::size_t reads = 0, marked = 0;
  const double first = Best([&] {
    ShotDateCache cache;
    DateSources sources;
    sources.shotDate = [&](std::wstring_view p, DateTime& out) { return cache.Get(p, out); };
    PreviewDate(list, in, locale, sources);
    reads = cache.size();
  });
  for (const RenameEntry& row : list) marked += row.mark() != RuleMark::None;
  // In the console's code page, as the labels around it.
  const std::string sample = sjis::FromUtf16Lenient(list[42].newName);

  // Second preview: the cache of the first.
  ShotDateCache cache;
  DateSources sources;
  sources.shotDate = [&](std::wstring_view p, DateTime& out) { return cache.Get(p, out); };
  PreviewDate(list, in, locale, sources);
  const double second = Best([&] { PreviewDate(list, in, locale, sources); });

  in.kind = DateKind::Modified;
  const double modified = Best([&] { PreviewDate(list, in, locale, DiskDateSources()); });

  std::printf("exif_bench: %d JPEG files of %zu bytes, best of %d rounds (ms per %d files)\n", kFiles, photo.size(),
              kRounds, kFiles);
  std::printf("  bare loop CreateFileW + ReadFile + CloseHandle       %8.1f ms  (%zu bytes read)\n", bare, bareBytes);
  std::printf("  bare loop + GetFileAttributesExW                     %8.1f ms\n", bareStat);
  std::printf("  GetFileAttributesExW alone                           %8.1f ms\n", statOnly);
  std::printf("  first preview 撮影日 (every file read once)          %8.1f ms  %.2fx the bare loop, %zu files read, %zu marked\n",
              first, first / bare, reads, marked);
  std::printf("  second preview 撮影日 (from the cache)               %8.1f ms  %.2fx the bare loop\n", second,
              second / bare);
  std::printf("  preview 更新日 (for scale)                            %8.1f ms  %.2fx the bare loop\n", modified,
              modified / bare);
  std::printf("  row 42: %s\n", sample.c_str());

  for (const std::wstring& p : paths) DeleteFileW(p.c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
