// Times AddFiles over one folder of 10,000 files (mixed Japanese/ASCII names) against a bare
// loop of the platform calls it can't avoid, in the same run: FindFirstFileW/FindNextFileW
// over the folder plus, per file, the attribute query and the search on the file itself.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/RenameList.h"
#include "intake/Intake.h"
#include "text/sjis.h"

#include "BenchClock.h"

namespace {

constexpr int kFiles = 10000;
constexpr int kRounds = 3;

std::string FileName(int i) {
  static const char* const stems[] = {"写真", "IMG_", "資料 ソ", "ｶﾞｲﾄﾞ", "holiday "};
  static const char* const exts[] = {".jpg", ".JPG", ".txt", ".ＴＸＴ", ""};
  return stems[i % 5] + std::to_string(i * 7919 % 100000) + exts[(i / 5) % 5];
}

// The bare loop: the same searches and attribute queries, the names kept as UTF-16.
std::size_t BareLoop(const std::wstring& folder) {
  std::size_t files = 0;
  WIN32_FIND_DATAW fd, one;
  HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring path = folder + L"\\" + fd.cFileName;
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) continue;
    HANDLE f = FindFirstFileW(path.c_str(), &one);
    if (f == INVALID_HANDLE_VALUE) continue;
    FindClose(f);
    ++files;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return files;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"kinoha_intake_bench_" + std::to_wstring(GetCurrentProcessId()) +
                       L"_" + std::to_wstring(GetTickCount64());
  CreateDirectoryW(folder.c_str(), nullptr);

  std::vector<std::wstring> paths;
  double t0 = Now();
  for (int i = 0; i < kFiles; ++i) {
    std::wstring path = folder + L"\\" + sjis::Widen(FileName(i));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      paths.push_back(path);
    }
  }
  std::printf("created %zu files in one folder in %.0f ms\n", paths.size(), Now() - t0);

  std::string folderA = sjis::Narrow(folder);
  IntakeOptions options;
  double bestIntake = 1e300, bestBare = 1e300;
  std::size_t rows = 0, bareFiles = 0;
  for (int round = 0; round < kRounds; ++round) {
    RenameList list;
    double a = Now();
    AddFiles(list, {folderA}, options);
    double intake = Now() - a;
    rows = list.size();

    double b = Now();
    bareFiles = BareLoop(folder);
    double bare = Now() - b;
    std::printf("round %d: AddFiles %.1f ms (%zu rows), bare loop %.1f ms (%zu files)\n", round + 1, intake, rows,
                bare, bareFiles);
    if (intake < bestIntake) bestIntake = intake;
    if (bare < bestBare) bestBare = bare;
  }
  std::printf("best of %d: AddFiles %.1f ms, bare loop %.1f ms, ratio %.2f (target <= 2.00)\n", kRounds, bestIntake,
              bestBare, bestIntake / bestBare);

  t0 = Now();
  for (const std::wstring& p : paths) DeleteFileW(p.c_str());
  RemoveDirectoryW(folder.c_str());
  std::printf("removed the folder in %.0f ms\n", Now() - t0);
  return rows == bareFiles && rows == paths.size() ? 0 : 1;
}
