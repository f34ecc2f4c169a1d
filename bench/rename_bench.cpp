// Times RenameRows against a bare loop of the same GetFileAttributesW + MoveFileW calls over
// the same files, in the same run, for 2,000 and 10,000 files in folders of at most 500
// (Wine's cost per rename grows with the folder's size). The two loops rename the files back
// and forth, so both do real moves.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/RenameList.h"
#include "engine/SafeRename.h"
#include "text/sjis.h"

#include "BenchClock.h"

namespace {

constexpr int kPerFolder = 500;
constexpr int kRounds = 8;

struct File {
  std::string folder;  // CP932, ends in "\"
  std::string stem, ext;
  std::wstring original, renamed;  // full paths
};

std::vector<File> CreateFiles(const std::wstring& root, int n) {
  static const char* const stems[] = {"写真", "IMG_", "資料 ソ", "ｶﾞｲﾄﾞ", "holiday "};
  static const char* const exts[] = {".jpg", ".JPG", ".txt", ".ＴＸＴ", ""};
  std::vector<File> files;
  CreateDirectoryW(root.c_str(), nullptr);
  for (int i = 0; i < n; ++i) {
    std::wstring folder = root + L"\\d" + std::to_wstring(i / kPerFolder);
    if (i % kPerFolder == 0) CreateDirectoryW(folder.c_str(), nullptr);
    File f;
    f.folder = sjis::Narrow(folder) + "\\";
    f.stem = stems[i % 5] + std::to_string(i * 7919 % 100000);
    f.ext = exts[(i / 5) % 5];
    f.original = folder + L"\\" + sjis::Widen(f.stem + f.ext);
    f.renamed = folder + L"\\" + sjis::Widen(f.stem + "_r" + f.ext);
    HANDLE h = CreateFileW(f.original.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    CloseHandle(h);
    files.push_back(std::move(f));
  }
  return files;
}

void RemoveFiles(const std::wstring& root, const std::vector<File>& files) {
  for (const File& f : files) {
    DeleteFileW(f.original.c_str());
    DeleteFileW(f.renamed.c_str());
  }
  for (std::size_t k = 0; k * kPerFolder < files.size() + kPerFolder; ++k) {
    RemoveDirectoryW((root + L"\\d" + std::to_wstring(k)).c_str());
  }
  RemoveDirectoryW(root.c_str());
}

// Rows for the files under their current names, each to get the other name.
RenameList MakeList(const std::vector<File>& files, bool toRenamed) {
  RenameList list;
  list.BeginBatch();
  for (const File& f : files) list.Add(f.stem + (toRenamed ? "" : "_r") + f.ext, f.folder);
  list.EndBatch();
  for (RenameEntry& row : list) {
    std::string_view base = row.BaseName();
    row.newName = toRenamed ? std::string(base) + "_r" : std::string(base.substr(0, base.size() - 2));
  }
  return list;
}

// The bare loop: the same two calls per file, last file first like the run.
std::size_t BareLoop(const std::vector<File>& files, bool toRenamed) {
  std::size_t moved = 0;
  for (std::size_t i = files.size(); i-- > 0;) {
    const std::wstring& from = toRenamed ? files[i].original : files[i].renamed;
    const std::wstring& to = toRenamed ? files[i].renamed : files[i].original;
    DWORD a = GetFileAttributesW(from.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || (a & 0x1F)) continue;
    if (MoveFileW(from.c_str(), to.c_str())) ++moved;
  }
  return moved;
}

double TimeRun(const std::vector<File>& files, bool toRenamed, std::size_t& renamed) {
  RenameList list = MakeList(files, toRenamed);
  double t0 = Now();
  RenameRows(list, false);
  double t = Now() - t0;
  renamed = 0;
  for (const RenameEntry& row : list) renamed += row.fileName == row.newName + std::string(row.Extension()) ? 1 : 0;
  return t;
}

double TimeBare(const std::vector<File>& files, bool toRenamed, std::size_t& moved) {
  double t0 = Now();
  moved = BareLoop(files, toRenamed);
  return Now() - t0;
}

// Puts the files in the order of the list's rows, so the bare loop visits them in the order
// the run does (the run jumps between folders as the names sort).
void SortLikeTheList(std::vector<File>& files) {
  std::map<std::string, std::size_t> index;
  for (std::size_t i = 0; i < files.size(); ++i) index[files[i].folder + files[i].stem + files[i].ext] = i;
  std::vector<File> sorted;
  for (const RenameEntry& row : MakeList(files, true)) sorted.push_back(files[index[row.CurrentPath()]]);
  files = std::move(sorted);
}

void Run(int n) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring root = std::wstring(temp) + L"kinoha_rename_bench_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                      std::to_wstring(GetTickCount64()) + L"_" + std::to_wstring(n);
  double t0 = Now();
  std::vector<File> files = CreateFiles(root, n);
  SortLikeTheList(files);
  std::printf("N = %d: created %zu files in %zu folders in %.0f ms\n", n, files.size(),
              (files.size() + kPerFolder - 1) / kPerFolder, Now() - t0);

  // Each round renames every file twice, once by each loop; the loop that goes first (and
  // the direction each one renames in) alternates, so neither is favoured by the names.
  double totalRun = 0, totalBare = 0;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    std::size_t renamed = 0, moved = 0;
    double run, bare;
    if (round % 2 == 0) {
      run = TimeRun(files, true, renamed);
      bare = TimeBare(files, false, moved);
    } else {
      bare = TimeBare(files, true, moved);
      run = TimeRun(files, false, renamed);
    }
    std::printf("  round %d: RenameRows %.0f ms (%zu renamed), bare loop %.0f ms (%zu moved), ratio %.3f\n",
                round + 1, run, renamed, bare, moved, run / bare);
    totalRun += run;
    totalBare += bare;
    ratios.push_back(run / bare);
  }
  // Wine's file operations vary a lot from round to round; the median round is the steadier figure.
  std::sort(ratios.begin(), ratios.end());
  double median = (ratios[kRounds / 2 - 1] + ratios[kRounds / 2]) / 2;
  std::printf("  total of %d rounds: RenameRows %.0f ms, bare loop %.0f ms, ratio %.3f; median round %.3f"
              " (target <= 1.10)\n",
              kRounds, totalRun, totalBare, totalRun / totalBare, median);
  RemoveFiles(root, files);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc > 1) {
    Run(std::atoi(argv[1]));
    return 0;
  }
  Run(2000);
  Run(10000);
  return 0;
}
