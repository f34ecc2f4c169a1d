// Times AddFiles taking in folders of 1,000, 10,000 and 100,000 files (mixed Japanese/ASCII
// names) against the least the platform must do for it, in the same run: one bare
// FindFirstFileW/FindNextFileW listing of the same folders. Wine creates files at a cost that
// grows with the folder, so the folders are made once: one of 1,000 files and ten of 10,000;
// 10,000 is the first of the ten, 100,000 all ten. Also times 10,000 files given one by one
// (a drop of a folder's files), and reports the peak working set after 100,000 rows. The
// intake keeps each folder's listing, as the window does. Every file holds a byte; a last
// folder of 10,000 empty files shows what asking each empty entry what it is costs.
// A flat folder of 10,000 camera-like names (写真_00000.jpg…) shows the common case alone.
// Last, a tree of 100,000 files in 1,000 folders, 10 deep, taken in with its sub-folders
// against a bare recursive walk of it ("tree" as the only argument times this alone).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "disk/DiskState.h"
#include "disk/RenamePlan.h"
#include "rules/RenameList.h"
#include "intake/Intake.h"

#include "BenchClock.h"
#include "BenchMemory.h"

using rules::RenameList;
using disk::DiskState;
using intake::AddFiles;
using intake::IntakeOptions;

namespace {

constexpr int kRounds = 3;
constexpr int kSmallFiles = 1000;
int kBigFolders = 10;
int kBigFiles = 10000;  // both smaller when given as arguments, for a quick look

std::wstring FileName(int i) {
  static const wchar_t* const stems[] = {L"写真", L"IMG_", L"資料 ソ", L"ｶﾞｲﾄﾞ", L"holiday "};
  static const wchar_t* const exts[] = {L".jpg", L".JPG", L".txt", L".ＴＸＴ", L""};
  return stems[i % 5] + std::to_wstring(i * 7919 % 100000) + exts[(i / 5) % 5];
}

// 写真_00000.jpg, 写真_00001.jpg…: a camera's folder, every name alike.
std::wstring PhotoName(int i) {
  wchar_t number[8];
  std::swprintf(number, std::size(number), L"%05d", i);
  return L"写真_" + std::wstring(number) + L".jpg";
}

int CreateFolder(const std::wstring& folder, int files, bool empty = false, std::wstring (*name)(int) = FileName) {
  CreateDirectoryW(folder.c_str(), nullptr);
  int made = 0;
  for (int i = 0; i < files; ++i) {
    std::wstring path = folder + L"\\" + name(i);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    // A byte, as files hold: an empty one is asked whether it is a file at all (Wine lists a
    // pipe or a device as an empty file), which `empty` shows the cost of.
    DWORD written = 0;
    if (!empty) WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);
    ++made;
  }
  return made;
}

// Calls visit(name) for every entry of the folder but "." and "..".
template <typename Visit>
void List(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
}

void RemoveFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  List(folder, [&](const wchar_t* name) { names.push_back(name); });
  for (const std::wstring& name : names) DeleteFileW((folder + L"\\" + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

// The floor: one listing of each folder, the names left as UTF-16.
std::size_t BareListing(const std::vector<std::wstring>& folders) {
  std::size_t files = 0;
  for (const std::wstring& folder : folders) List(folder, [&](const wchar_t*) { ++files; });
  return files;
}

struct Best {
  double intake = 1e300, bare = 1e300;
  std::size_t rows = 0, files = 0;
};

// The floor of a tree: each folder listed once, its sub-folders entered.
std::size_t BareWalk(const std::wstring& folder) {
  std::size_t files = 0;
  std::vector<std::wstring> subs;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ++files;
    } else if (std::wcscmp(fd.cFileName, L".") != 0 && std::wcscmp(fd.cFileName, L"..") != 0) {
      subs.push_back(folder + L"\\" + fd.cFileName);
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  for (const std::wstring& sub : subs) files += BareWalk(sub);
  return files;
}

// Rounds alternate which of the two goes first, so neither is favoured by a warm cache.
Best Measure(const std::vector<std::wstring>& paths, const std::vector<std::wstring>& folders,
             const IntakeOptions& options = {}) {
  Best best;
  auto floor = [&] { return options.subFolders ? BareWalk(folders[0]) : BareListing(folders); };
  for (int round = 0; round < kRounds; ++round) {
    double bare = 0;
    if (round % 2 == 1) {
      double t = Now();
      best.files = floor();
      bare = Now() - t;
    }
    RenameList list;
    DiskState disk;  // the window keeps each folder's listing for the preview's check
    double t = Now();
    AddFiles(list, paths, options, {}, &disk);
    double intake = Now() - t;
    best.rows = list.size();
    if (round % 2 == 0) {
      t = Now();
      best.files = floor();
      bare = Now() - t;
    }
    if (intake < best.intake) best.intake = intake;
    if (bare < best.bare) best.bare = bare;
  }
  return best;
}

void Print(const char* what, const Best& b, const char* target) {
  std::printf("%-36s AddFiles %8.1f ms (%zu rows), bare listing %7.1f ms (%zu files), ratio %.2f%s\n", what,
              b.intake, b.rows, b.bare, b.files, b.intake / b.bare, target);
}

// Chains of folders 10 deep, 100 files in each folder; the top holds the chains only.
constexpr int kChains = 100, kDepth = 10, kTreeFiles = 100;

int CreateTree(const std::wstring& top) {
  CreateDirectoryW(top.c_str(), nullptr);
  int made = 0;
  for (int c = 0; c < kChains; ++c) {
    std::wstring folder = top + L"\\c" + std::to_wstring(c);
    for (int d = 0; d < kDepth; ++d) {
      made += CreateFolder(folder, kTreeFiles);
      folder += L"\\d" + std::to_wstring(d + 1);
    }
  }
  return made;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    std::vector<std::wstring> subs;
    do {
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::wcscmp(fd.cFileName, L".") != 0 &&
          std::wcscmp(fd.cFileName, L"..") != 0) {
        subs.push_back(folder + L"\\" + fd.cFileName);
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    for (const std::wstring& sub : subs) RemoveTree(sub);
  }
  RemoveFolder(folder);
}

// The tree taken in with its sub-folders; true when every file became a row.
bool TreeCase(const std::wstring& root) {
  const std::wstring top = root + L"\\tree";
  double t0 = Now();
  const int made = CreateTree(top);
  std::printf("created %d files in %d folders, %d deep, in %.0f s\n", made, kChains * kDepth, kDepth,
              (Now() - t0) / 1000);
  IntakeOptions options;
  options.subFolders = true;
  Best b = Measure({top}, {top}, options);
  Print("intake of a tree of 100,000 files", b, " (target <= 1.50)");
  RemoveTree(top);
  return made == kChains * kDepth * kTreeFiles && b.rows == b.files;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc == 2 && std::string(argv[1]) == "tree") {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"kinoha_tree_bench_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(root.c_str(), nullptr);
    const bool ok = TreeCase(root);
    RemoveDirectoryW(root.c_str());
    return ok ? 0 : 1;
  }
  if (argc > 2) {
    kBigFiles = std::atoi(argv[1]);
    kBigFolders = std::atoi(argv[2]);
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"kinoha_intake_bench_" + std::to_wstring(GetCurrentProcessId()) +
                            L"_" + std::to_wstring(GetTickCount64());
  CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring small = root + L"\\small";
  std::vector<std::wstring> big;
  for (int k = 0; k < kBigFolders; ++k) big.push_back(root + L"\\big" + std::to_wstring(k));

  double t0 = Now();
  int made = CreateFolder(small, kSmallFiles);
  for (const std::wstring& folder : big) made += CreateFolder(folder, kBigFiles);
  std::printf("created %d files (1 folder of %d, %d of %d) in %.0f s, best of %d rounds below\n", made, kSmallFiles,
              kBigFolders, kBigFiles, (Now() - t0) / 1000, kRounds);

  bool ok = made == kSmallFiles + kBigFolders * kBigFiles;
  const std::vector<std::wstring> sets[] = {{small}, {big[0]}, big};
  const char* const names[] = {"intake of 1,000 files (1 folder)", "intake of 10,000 files (1 folder)",
                               "intake of 100,000 files (10 folders)"};
  for (int s = 0; s < 3; ++s) {
    Best b = Measure(sets[s], sets[s]);
    Print(names[s], b, " (target <= 1.50)");
    ok = ok && b.rows == b.files;
  }
  std::printf("peak working set after 100,000 rows (with their size and times): %.1f MB (target < 50)\n",
              PeakWorkingSetMB());
  {
    // As the window goes on after a run: every folder listed again for the preview's check,
    // which refreshes the rows' size and times, with the rows and the listings both held.
    RenameList list;
    DiskState disk;
    AddFiles(list, big, IntakeOptions{}, {}, &disk);
    for (auto& row : list) row.newName = std::wstring(row.BaseName()) + L"_";
    disk.Clear();
    disk::CheckRows(list, disk);
    disk.RefreshRows(list);
  }
  std::printf("peak working set after the check of the same rows listed again: %.1f MB\n", PeakWorkingSetMB());

  // The files of one folder given one by one, as a drop of them all: one listing of the
  // folder instead of a look-up per file; each file given alone is the look-up per file.
  std::vector<std::wstring> given;
  List(big[1], [&](const wchar_t* name) { given.push_back(big[1] + L"\\" + name); });
  Best b = Measure(given, {big[1]});
  Print("10,000 given files of 1 folder", b, "");
  ok = ok && b.rows == b.files;
  {
    IntakeOptions options;
    std::size_t rows = 0;
    double t = Now();
    // A list of its own for each, so that no file waits on the rows of those before it.
    for (const std::wstring& path : given) {
      RenameList list;
      AddFiles(list, {path}, options);
      rows += list.size();
    }
    double each = Now() - t;
    std::printf("%-36s one by one %.1f ms (%zu rows), %.1fx the listing\n", "  the same, looked up one by one", each,
                rows, each / b.bare);
  }

  // Empty files, each asked whether it is a file at all.
  const std::wstring empty = root + L"\\empty";
  ok = ok && CreateFolder(empty, kBigFiles, true) == kBigFiles;
  b = Measure({empty}, {empty});
  Print("intake of 10,000 empty files", b, "");
  ok = ok && b.rows == b.files;

  const std::wstring photos = root + L"\\photos";
  ok = ok && CreateFolder(photos, kBigFiles, false, PhotoName) == kBigFiles;
  b = Measure({photos}, {photos});
  Print("intake of 10,000 photo names (1 folder)", b, " (target <= 1.50)");
  ok = ok && b.rows == b.files;

  ok = TreeCase(root) && ok;

  t0 = Now();
  RemoveFolder(photos);
  RemoveFolder(empty);
  RemoveFolder(small);
  for (const std::wstring& folder : big) RemoveFolder(folder);
  RemoveDirectoryW(root.c_str());
  std::printf("removed the folders in %.0f ms\n", Now() - t0);
  return ok ? 0 : 1;
}
