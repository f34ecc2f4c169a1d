// Times RenameRows (with its journal in a file and the folders' listings the preview read, as
// the program runs it) against the least the platform must do for it, in the same run: a bare loop of MoveFileW over the same files (no
// attribute query, no rows). Files sit in folders of 500, since Wine's cost per rename grows
// with the folder's size (so the cost per file is flat in N). The two loops rename the files
// back and forth, so both do real moves. 1,000, 10,000 and 100,000 files; the last takes Wine
// about 4 minutes, so it has 2 rounds. Then the undo of a run of 10,000 files against a bare
// loop of the same moves back, and the start's read of a journal of ten runs of 100,000 moves
// ("rename_bench N journal" for runs of N). "rename_bench N" measures N files alone; "rename_bench N
// one-folder" puts all N in one folder, where Wine's every move is slower (about 1 ms per
// file at 2,000 and 8 ms at 20,000) and the ratio shows whether the run adds to that cost.
// "rename_bench N chains" measures a run of chains and cycles (RunChains) alone. "rename_bench N
// tree" measures a run over N files in 100 folders that are renamed too (RunTree) alone.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disk/DiskState.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"
#include "disk/RenamePlan.h"
#include "disk/RenameRun.h"
#include "disk/Undo.h"

#include "BenchClock.h"

using rules::RenameEntry;
using rules::RenameList;
using disk::CheckRows;
using disk::DiskState;
using disk::Journal;
using disk::Move;
using disk::RenameRows;
using disk::RunReport;
using disk::UndoMoves;
using disk::UndoResult;

namespace {

constexpr int kPerFolder = 500;

struct File {
  std::wstring folder;  // ends in "\"
  std::wstring stem, ext;
  std::wstring original, renamed;  // full paths
};

std::vector<File> CreateFiles(const std::wstring& root, int n, int perFolder = kPerFolder) {
  static const wchar_t* const stems[] = {L"写真", L"IMG_", L"資料 ソ", L"ｶﾞｲﾄﾞ", L"holiday "};
  static const wchar_t* const exts[] = {L".jpg", L".JPG", L".txt", L".ＴＸＴ", L""};
  std::vector<File> files;
  CreateDirectoryW(root.c_str(), nullptr);
  for (int i = 0; i < n; ++i) {
    std::wstring folder = root + L"\\d" + std::to_wstring(i / perFolder);
    if (i % perFolder == 0) CreateDirectoryW(folder.c_str(), nullptr);
    File f;
    f.folder = folder + L"\\";
    f.stem = stems[i % 5] + std::to_wstring(i * 7919 % 100000);
    f.ext = exts[(i / 5) % 5];
    f.original = folder + L"\\" + f.stem + f.ext;
    f.renamed = folder + L"\\" + f.stem + L"_r" + f.ext;
    HANDLE h = CreateFileW(f.original.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    CloseHandle(h);
    files.push_back(std::move(f));
  }
  return files;
}

void RemoveFiles(const std::wstring& root, const std::vector<File>& files, int perFolder = kPerFolder) {
  for (const File& f : files) {
    DeleteFileW(f.original.c_str());
    DeleteFileW(f.renamed.c_str());
  }
  for (std::size_t k = 0; k * perFolder < files.size() + perFolder; ++k) {
    RemoveDirectoryW((root + L"\\d" + std::to_wstring(k)).c_str());
  }
  RemoveDirectoryW(root.c_str());
}

// Rows for the files under their current names, each to get the other name.
RenameList MakeList(const std::vector<File>& files, bool toRenamed) {
  RenameList list;
  list.BeginBatch();
  for (const File& f : files) list.Add(f.stem + (toRenamed ? L"" : L"_r") + f.ext, f.folder);
  list.EndBatch();
  for (RenameEntry& row : list) {
    std::wstring_view base = row.BaseName();
    row.newName = toRenamed ? std::wstring(base) + L"_r" : std::wstring(base.substr(0, base.size() - 2));
  }
  return list;
}

// The floor: the moves alone, last file first like the run.
std::size_t BareLoop(const std::vector<File>& files, bool toRenamed) {
  std::size_t moved = 0;
  for (std::size_t i = files.size(); i-- > 0;) {
    const std::wstring& from = toRenamed ? files[i].original : files[i].renamed;
    const std::wstring& to = toRenamed ? files[i].renamed : files[i].original;
    if (MoveFileW(from.c_str(), to.c_str())) ++moved;
  }
  return moved;
}

std::wstring JournalFile() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"kinoha_rename_bench_" + std::to_wstring(GetCurrentProcessId()) + L".undo";
}

// The rows' run as the window makes it (checked first, its moves in a journal), timed alone.
double TimedRun(RenameList& list, std::size_t& renamed) {
  Journal journal(JournalFile());
  DiskState disk;
  CheckRows(list, disk);
  double t0 = Now();
  RunReport report;
  RenameRows(list, false, {}, &disk, &journal, &report);
  double t = Now() - t0;
  renamed = report.renamed;
  DeleteFileW(JournalFile().c_str());
  return t;
}

// The run alone is timed: making the rows is the intake's work, not the run's.
double TimeRun(const std::vector<File>& files, bool toRenamed, std::size_t& renamed, Journal* journal = nullptr) {
  RenameList list = MakeList(files, toRenamed);
  Journal own(JournalFile());
  // The window's preview has checked the rows (and listed their folders) before a run.
  DiskState disk;
  CheckRows(list, disk);
  double t0 = Now();
  RenameRows(list, false, {}, &disk, journal ? journal : &own);
  double t = Now() - t0;
  renamed = 0;
  for (const RenameEntry& row : list) renamed += row.fileName == row.newName + std::wstring(row.Extension()) ? 1 : 0;
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
  std::map<std::wstring, std::size_t> index;
  for (std::size_t i = 0; i < files.size(); ++i) index[files[i].folder + files[i].stem + files[i].ext] = i;
  std::vector<File> sorted;
  for (const RenameEntry& row : MakeList(files, true)) sorted.push_back(files[index[row.CurrentPath()]]);
  files = std::move(sorted);
}

void Run(int n, int rounds, int perFolder = kPerFolder) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring root = std::wstring(temp) + L"kinoha_rename_bench_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                      std::to_wstring(GetTickCount64()) + L"_" + std::to_wstring(n);
  double t0 = Now();
  std::vector<File> files = CreateFiles(root, n, perFolder);
  SortLikeTheList(files);
  std::printf("rename N = %d: created %zu files in %zu folders in %.1f s\n", n, files.size(),
              (files.size() + perFolder - 1) / perFolder, (Now() - t0) / 1000);

  // Each round renames every file twice, once by each loop; the loop that goes first (and
  // the direction each one renames in) alternates, so neither is favoured by the names.
  double totalRun = 0, totalBare = 0;
  std::vector<double> ratios;
  bool complete = true;
  for (int round = 0; round < rounds; ++round) {
    std::size_t renamed = 0, moved = 0;
    double run, bare;
    if (round % 2 == 0) {
      run = TimeRun(files, true, renamed);
      bare = TimeBare(files, false, moved);
    } else {
      bare = TimeBare(files, true, moved);
      run = TimeRun(files, false, renamed);
    }
    complete = complete && renamed == files.size() && moved == files.size();
    totalRun += run;
    totalBare += bare;
    ratios.push_back(run / bare);
  }
  // Wine's file operations vary a lot from round to round; the median round is the steadier figure.
  std::sort(ratios.begin(), ratios.end());
  double median = rounds % 2 ? ratios[rounds / 2] : (ratios[rounds / 2 - 1] + ratios[rounds / 2]) / 2;
  const double perRun = totalRun / rounds, perBare = totalBare / rounds;
  std::printf("rename run of %6d files: RenameRows %8.0f ms (%.0f us/file), bare MoveFileW %8.0f ms (%.0f us/file),"
              " ratio %.2f (median of %d rounds %.2f)%s\n",
              n, perRun, perRun * 1000 / n, perBare, perBare * 1000 / n, totalRun / totalBare, rounds, median,
              complete ? "" : " INCOMPLETE");
  RemoveFiles(root, files, perFolder);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The undo of a run against a bare loop of MoveFileW that takes the same files back.
void RunUndo(int n, int rounds) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring root = std::wstring(temp) + L"kinoha_undo_bench_" + std::to_wstring(GetCurrentProcessId());
  std::vector<File> files = CreateFiles(root, n);
  SortLikeTheList(files);
  std::vector<double> ratios;
  double totalUndo = 0, totalBare = 0;
  bool complete = true;
  // Each round takes every file forth and back twice: by the run and its undo, and by two bare
  // loops; which pair goes first alternates, so neither meets the folders as the other left them.
  for (int round = 0; round < rounds; ++round) {
    double undo = 0, bare = 0;
    for (int pass = 0; pass < 2; ++pass) {
      if ((pass == 0) == (round % 2 == 0)) {
        Journal journal(JournalFile());
        std::size_t renamed = 0;
        TimeRun(files, true, renamed, &journal);
        RenameList none;
        double t0 = Now();
        const std::vector<Move> moves = journal.Moves();
        UndoResult r = UndoMoves(moves, none);
        journal.Undone(r.Left(moves), r.Done(moves));
        undo = Now() - t0;
        DeleteFileW(JournalFile().c_str());
        complete = complete && renamed == files.size() && r.restored == files.size() && r.failed == 0;
      } else {
        std::size_t forth = BareLoop(files, true);
        // The bare loop back, in the undo's order: the run's moves last first.
        double t0 = Now();
        std::size_t back = 0;
        for (const File& f : files) back += MoveFileW(f.renamed.c_str(), f.original.c_str()) ? 1 : 0;
        bare = Now() - t0;
        complete = complete && forth == files.size() && back == files.size();
      }
    }
    totalUndo += undo;
    totalBare += bare;
    ratios.push_back(undo / bare);
  }
  std::printf("undo of %6d moves: UndoMoves %8.0f ms (%.0f us/file), bare MoveFileW %8.0f ms, ratio %.2f"
              " (median of %d rounds %.2f)%s\n",
              n, totalUndo / rounds, totalUndo * 1000 / rounds / n, totalBare / rounds, totalUndo / totalBare, rounds,
              Median(ratios), complete ? "" : " INCOMPLETE");
  RemoveFiles(root, files);
}

// The start's read of a journal that holds its most: kRuns runs of `moves` moves each, written
// through the journal itself (no files move), then read by a new journal as a new session's
// first question reads it, and the newest run's moves fetched as an undo fetches them.
void RunJournalRead(int moves) {
  const std::wstring file = JournalFile();
  DeleteFileW(file.c_str());
  {
    Journal journal(file);
    for (std::size_t run = 0; run < Journal::kRuns; ++run) {
      journal.BeginRun();
      for (int i = 0; i < moves; ++i) {
        const std::wstring folder = L"C:\\写真\\2024年\\d" + std::to_wstring(i / kPerFolder) + L"\\";
        journal.Record(folder + L"IMG_" + std::to_wstring(i) + L".jpg",
                       folder + L"北海道_" + std::to_wstring(i) + L".jpg",
                       fs::FileId{0x1234ABCD, static_cast<std::uint64_t>(run) << 32 | static_cast<std::uint32_t>(i)});
        journal.Landed();
      }
      journal.EndRun();
    }
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
  double t0 = Now();
  Journal journal(file);
  const bool available = journal.Available();
  const double read = Now() - t0;
  t0 = Now();
  const std::size_t newest = journal.Moves().size();
  const double fetch = Now() - t0;
  std::printf("journal of %zu runs x %d moves (%.1f MB): read at start %.0f ms, newest run's moves %.0f ms%s\n",
              Journal::kRuns, moves, data.nFileSizeLow / 1048576.0, read, fetch,
              available && newest == static_cast<std::size_t>(moves) ? "" : " INCOMPLETE");
  DeleteFileW(file.c_str());
}

// The journal put in place before a run's first move: a journal of ten runs of `moves` moves is
// full, so every new run writes the nine kept runs and its own first line to a new file, flushes
// it and replaces the journal with it. Against the least the platform must do for that: the same
// bytes written to a new file, flushed, and moved over the journal (MoveFileExW, replacing).
void RunPublish(int moves, int rounds) {
  const std::wstring file = JournalFile();
  DeleteFileW(file.c_str());
  auto fill = [&](Journal& journal, std::size_t runs) {
    for (std::size_t run = 0; run < runs; ++run) {
      journal.BeginRun();
      for (int i = 0; i < moves; ++i) {
        const std::wstring folder = L"C:\\写真\\2024年\\d" + std::to_wstring(i / kPerFolder) + L"\\";
        journal.Record(folder + L"IMG_" + std::to_wstring(i) + L".jpg",
                       folder + L"北海道_" + std::to_wstring(i) + L".jpg",
                       fs::FileId{0x1234ABCD, static_cast<std::uint64_t>(run) << 32 | static_cast<std::uint32_t>(i),
                                  1});
        journal.Landed();
      }
      journal.EndRun();
    }
  };
  const std::wstring full = file + L".full", copy = file + L".bench";
  {
    Journal journal(full);
    fill(journal, Journal::kRuns);
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(full.c_str(), GetFileExInfoStandard, &data);
  double ours = 0, bare = 0;
  for (int round = 0; round < rounds; ++round) {
    CopyFileW(full.c_str(), file.c_str(), FALSE);
    Journal journal(file);
    journal.Available();
    double t0 = Now();
    journal.BeginRun();
    journal.Record(L"C:\\写真\\a.jpg", L"C:\\写真\\b.jpg", fs::FileId{0x1234ABCD, 1u << 31, 1});
    ours += Now() - t0;
    journal.Landed();
    journal.EndRun();
    // The bare floor: the journal's bytes as the run wrote them, to a new file.
    HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(GetFileSize(in, nullptr), '\0');
    DWORD got = 0;
    ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(in);
    t0 = Now();
    HANDLE out = CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD put = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    FlushFileBuffers(out);
    CloseHandle(out);
    MoveFileExW(copy.c_str(), (file + L".floor").c_str(), MOVEFILE_REPLACE_EXISTING);
    bare += Now() - t0;
  }
  std::printf("journal of %zu runs x %d moves (%.1f MB) put in place before a run's first move: %.1f ms, "
              "bare write + flush + replace %.1f ms, ratio %.2f (%d rounds)\n",
              Journal::kRuns, moves, data.nFileSizeLow / 1048576.0, ours / rounds, bare / rounds, ours / bare, rounds);
  DeleteFileW(file.c_str());
  DeleteFileW(full.c_str());
  DeleteFileW((file + L".floor").c_str());
}

// Chains and cycles: in each group of five names of a folder ("c0.txt" ... "c4.txt", four
// files), the files at 0 and 1 trade names (a cycle: one more move, through a temporary name)
// and the files at 2 and 3 move up to 3 and 4 (a chain, its free end first); back, the chain
// moves down again and the pair trades once more. The bare loop makes the same moves, the
// cycle's extra move included.
class Chains {
 public:
  Chains(const std::wstring& root, int groups) : root_(root), groups_(groups) {
    CreateDirectoryW(root_.c_str(), nullptr);
    for (int g = 0; g < groups_; ++g) {
      if (g % kGroupsPerFolder == 0) CreateDirectoryW(Folder(g).c_str(), nullptr);
      for (int k = 0; k < 4; ++k) {
        HANDLE h = CreateFileW(Path(g, k).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      }
    }
  }
  ~Chains() {
    for (int g = 0; g < groups_; ++g) {
      for (int k = 0; k < 5; ++k) DeleteFileW(Path(g, k).c_str());
      if (g % kGroupsPerFolder == kGroupsPerFolder - 1 || g == groups_ - 1) RemoveDirectoryW(Folder(g).c_str());
    }
    RemoveDirectoryW(root_.c_str());
  }
  int files() const { return groups_ * 4; }

  // Each row's (slot, new slot) forth, or back.
  static std::vector<std::pair<int, int>> Moves(bool forth) {
    if (forth) return {{0, 1}, {1, 0}, {2, 3}, {3, 4}};
    return {{0, 1}, {1, 0}, {3, 2}, {4, 3}};
  }

  double TimeRun(bool forth, std::size_t& renamed) const {
    RenameList list;
    list.BeginBatch();
    for (int g = 0; g < groups_; ++g) {
      for (auto [from, to] : Moves(forth)) list.Add(Name(g, from), Folder(g) + L"\\");
    }
    list.EndBatch();
    for (RenameEntry& row : list) {
      const int slot = static_cast<int>(std::wcstol(row.fileName.c_str() + 1, nullptr, 10) % 5);
      for (auto [from, to] : Moves(forth)) {
        if (from == slot)
          row.newName = L"c" + std::to_wstring(std::wcstol(row.fileName.c_str() + 1, nullptr, 10) - slot + to);
      }
    }
    return TimedRun(list, renamed);
  }

  double TimeBare(bool forth, std::size_t& moved) const {
    double t0 = Now();
    moved = 0;
    for (int g = 0; g < groups_; ++g) {
      const std::wstring temp = Folder(g) + L"\\~bench.tmp";
      auto move = [&](const std::wstring& from, const std::wstring& to) { return MoveFileW(from.c_str(), to.c_str()); };
      if (forth) {
        moved += move(Path(g, 3), Path(g, 4)) + move(Path(g, 2), Path(g, 3));
      } else {
        moved += move(Path(g, 3), Path(g, 2)) + move(Path(g, 4), Path(g, 3));
      }
      moved += move(Path(g, 0), temp) && move(Path(g, 1), Path(g, 0)) && move(temp, Path(g, 1)) ? 2 : 0;
    }
    return Now() - t0;
  }

 private:
  static constexpr int kGroupsPerFolder = kPerFolder / 5;
  std::wstring Folder(int g) const { return root_ + L"\\d" + std::to_wstring(g / kGroupsPerFolder); }
  static std::wstring Name(int g, int k) { return L"c" + std::to_wstring(g * 5 + k) + L".txt"; }
  std::wstring Path(int g, int k) const { return Folder(g) + L"\\" + Name(g, k); }

  std::wstring root_;
  int groups_;
};

// Rounds of a case's run and its bare loop, the run going forth and the bare loop back, then
// the other way round (forthFirst: which way the first round's run goes).
struct Rounds {
  double run = 0, bare = 0;
  std::vector<double> ratios;
  bool complete = true;
};
template <typename Case>
Rounds Alternate(const Case& c, int rounds, std::size_t rows, bool forthFirst) {
  Rounds r;
  for (int round = 0; round < rounds; ++round) {
    const bool forth = (round % 2 == 0) == forthFirst;
    std::size_t renamed = 0, moved = 0;
    double run, bare;
    if (round % 2 == 0) {
      run = c.TimeRun(forth, renamed);
      bare = c.TimeBare(!forth, moved);
    } else {
      bare = c.TimeBare(!forth, moved);
      run = c.TimeRun(forth, renamed);
    }
    r.complete = r.complete && renamed == rows && moved == rows;
    r.run += run;
    r.bare += bare;
    r.ratios.push_back(run / bare);
  }
  return r;
}

void RunChains(int n, int rounds) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  Chains chains(std::wstring(temp) + L"kinoha_chain_bench_" + std::to_wstring(GetCurrentProcessId()), n / 4);
  const std::size_t files = static_cast<std::size_t>(chains.files());
  const Rounds r = Alternate(chains, rounds, files, true);
  const double totalRun = r.run, totalBare = r.bare;
  const std::vector<double>& ratios = r.ratios;
  const bool complete = r.complete;
  std::printf("chains and cycles of %6zu files: RenameRows %8.0f ms (%.0f us/file), bare MoveFileW %8.0f ms"
              " (the cycles' extra moves included), ratio %.2f (median of %d rounds %.2f)%s\n",
              files, totalRun / rounds, totalRun * 1000 / rounds / files, totalBare / rounds, totalRun / totalBare,
              rounds, Median(ratios), complete ? "" : " INCOMPLETE");
}

// A tree: `folders` folders of files, every file and every folder renamed in one run (the
// files first, each folder after what lies in it), against a bare loop of the same moves in
// the same order. Forth every name gets "_r", back it loses it; the run and the bare loop
// alternate as in Run.
class Tree {
 public:
  Tree(const std::wstring& root, int files, int folders) : root_(root) {
    CreateDirectoryW(root_.c_str(), nullptr);
    for (int k = 0; k < folders; ++k) {
      folders_.push_back(L"写真 t" + std::to_wstring(k * 7919 % 1000));
      CreateDirectoryW(Wide(folders_.back(), false).c_str(), nullptr);
    }
    for (int i = 0; i < files; ++i) {
      const int k = i % folders;
      files_.emplace_back(k, L"IMG_" + std::to_wstring(i * 7919 % 100000));
      const std::wstring path = Wide(folders_[k], false) + L"\\" + files_.back().second + L".jpg";
      HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
  }
  ~Tree() {
    for (const auto& [k, stem] : files_) {
      for (const wchar_t* suffix : {L"", L"_r"}) {
        const std::wstring name = L"\\" + stem + suffix + L".jpg";
        for (bool renamed : {false, true}) DeleteFileW((Wide(folders_[k], renamed) + name).c_str());
      }
    }
    for (const std::wstring& f : folders_) {
      RemoveDirectoryW(Wide(f, false).c_str());
      RemoveDirectoryW(Wide(f, true).c_str());
    }
    RemoveDirectoryW(root_.c_str());
  }
  std::size_t rows() const { return files_.size() + (folderRows_ ? folders_.size() : 0); }
  // Whether the folders are rows too: without them the same files show what the folders add.
  void SetFolderRows(bool on) { folderRows_ = on; }

  // The rows as they stand (renamed: with "_r"), each to get the other name.
  RenameList List(bool renamed) const {
    const std::wstring root = root_ + L"\\";
    const std::wstring suffix = renamed ? L"_r" : L"";
    RenameList list;
    list.BeginBatch();
    const std::wstring folderSuffix = folderRows_ ? suffix : L"";
    for (const auto& [k, stem] : files_) list.Add(stem + suffix + L".jpg", root + folders_[k] + folderSuffix + L"\\");
    if (folderRows_) {
      for (const std::wstring& f : folders_) list.Add(f + suffix, root, 0, 0, 0, true);
    }
    list.EndBatch();
    for (RenameEntry& row : list) {
      std::wstring_view base = row.BaseName();
      row.newName = renamed ? std::wstring(base.substr(0, base.size() - 2)) : std::wstring(base) + L"_r";
    }
    return list;
  }

  double TimeRun(bool renamed, std::size_t& done) const {
    RenameList list = List(renamed);
    return TimedRun(list, done);
  }

  // The run's order: the files, last row first, then the folders, last row first.
  double TimeBare(bool renamed, std::size_t& moved) const {
    const RenameList list = List(renamed);
    std::vector<std::pair<std::wstring, std::wstring>> moves;
    for (bool folders : {false, true}) {
      for (std::size_t i = list.size(); i-- > 0;) {
        if (list[i].isFolder() == folders) moves.emplace_back(list[i].CurrentPath(), list[i].NewPath());
      }
    }
    double t0 = Now();
    moved = 0;
    for (const auto& [from, to] : moves) moved += MoveFileW(from.c_str(), to.c_str()) ? 1 : 0;
    return Now() - t0;
  }

 private:
  std::wstring Wide(const std::wstring& folder, bool renamed) const {
    return root_ + L"\\" + folder + (renamed ? L"_r" : L"");
  }
  std::wstring root_;
  std::vector<std::wstring> folders_;
  std::vector<std::pair<int, std::wstring>> files_;  // folder, stem
  bool folderRows_ = true;
};

void RunTree(int n, int folders, int rounds) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  Tree tree(std::wstring(temp) + L"kinoha_tree_bench_" + std::to_wstring(GetCurrentProcessId()), n, folders);
  for (bool folderRows : {true, false}) {
    tree.SetFolderRows(folderRows);
    // Wine's first moves in folders just made cost several times the later ones, whoever makes
    // them: one round forth and back, untimed, first.
    std::size_t warm = 0;
    tree.TimeRun(false, warm);
    tree.TimeBare(true, warm);
    const Rounds r = Alternate(tree, rounds, tree.rows(), false);
    const double totalRun = r.run, totalBare = r.bare;
    const std::vector<double>& ratios = r.ratios;
    const bool complete = r.complete;
    std::printf("tree of %6d files in %d folders, %s: RenameRows %8.0f ms (%.0f us/row), bare MoveFileW"
                " %8.0f ms, ratio %.2f (median of %d rounds %.2f)%s\n",
                n, folders, folderRows ? "folders renamed too" : "folders left alone ", totalRun / rounds,
                totalRun * 1000 / rounds / tree.rows(), totalBare / rounds, totalRun / totalBare, rounds,
                Median(ratios), complete ? "" : " INCOMPLETE");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc > 1) {
    int n = std::atoi(argv[1]);
    if (argc > 2 && std::string(argv[2]) == "undo") {
      RunUndo(n, 6);
    } else if (argc > 2 && std::string(argv[2]) == "journal") {
      RunJournalRead(n);
    } else if (argc > 2 && std::string(argv[2]) == "publish") {
      RunPublish(n, 10);
    } else if (argc > 2 && std::string(argv[2]) == "chains") {
      RunChains(n, 4);
    } else if (argc > 2 && std::string(argv[2]) == "tree") {
      RunTree(n, 100, 4);
    } else if (argc > 2 && std::string(argv[2]) == "one-folder") {
      Run(n, n >= 10000 ? 2 : 4, n);
    } else {
      Run(n, n >= 100000 ? 2 : 4);
    }
    return 0;
  }
  Run(1000, 8);
  Run(10000, 4);
  Run(100000, 2);
  RunUndo(10000, 6);
  RunJournalRead(100000);
  RunPublish(1000, 10);
  RunPublish(10000, 4);
  RunChains(10000, 4);
  RunTree(10000, 100, 4);
  return 0;
}
