// The one decision of which rows the rename run renames and in which order, made for the
// preview's marks and by the run itself. The whole run is looked at before its first move: a
// row whose new name is borne by a file that another row of the run moves away waits for
// that move (a chain, its free end first), and rows that wait on each other all round (a
// cycle: two files trading names) begin with one move through a temporary name. Only a name
// held by a file that stays, or wanted by two rows, refuses a row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "disk/DiskState.h"
#include "rules/NameTable.h"
#include "rules/NewName.h"
#include "rules/RenameList.h"

namespace disk {

inline constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;

// One row as the plan sees it.
struct PlanRow {
  rules::Refusal refusal = rules::Refusal::None;
  bool moves = false;         // its new name differs from its name
  bool waitedInVain = false;
  std::uint32_t folder = kNoRow;  // the plan's index of its folder
  std::uint32_t own = rules::NameTable::npos, target = rules::NameTable::npos;  // entries of its folder
  std::uint32_t blocker = kNoRow;  // the row that moves the file bearing its new name away
  std::uint32_t waiter = kNoRow;   // the row waiting for this one
};

// What the listings tell of each row's file whatever its new name: why the run leaves it
// (Refusal::None: it may move) and the file's entry in its folder. See JudgeFiles.
struct RowFiles {
  std::vector<rules::Refusal> refusal;
  std::vector<std::uint32_t> own;
  // The rows whose files stay, whatever their names.
  std::vector<bool> Stays() const {
    std::vector<bool> stays(refusal.size());
    for (std::size_t i = 0; i < stays.size(); ++i) stays[i] = refusal[i] != rules::Refusal::None;
    return stays;
  }
};

// What the plan keeps from one check to the next (in DiskState).
struct PlanMemory {
  std::vector<PlanRow> rows;
  rules::HashIndex newNames;  // rows by the hash of their folder and folded new name
};

class RenamePlan {
 public:
  // Judges every row against the folders as `disk` lists them (listed now where not known).
  // `files`, where given, is JudgeFiles of the same rows and listings, taken as it stands.
  // Each row's file is to bear its new name with its own extension. With `extension` (with
  // its "."), 拡張子変更's plan: the selected files are to bear their names with that one; with
  // `compose`, 濁点・半濁点を結合's: the selected files their names composed (utf16::Compose).
  RenamePlan(const rules::RenameList& list, DiskState& disk, const RowFiles* files = nullptr,
             const std::wstring* extension = nullptr, bool compose = false);

  // The file name row i's file is to bear.
  std::wstring TargetName(std::size_t i) const;
  rules::Refusal refusal(std::size_t i) const { return rows_[i].refusal; }
  // Whether the run gives row i's file a new name: judged None, and a name that differs.
  bool Moves(std::size_t i) const { return rows_[i].moves && rows_[i].refusal == rules::Refusal::None; }
  // Refused only because the file whose name it wants stays: a row it waited for was refused.
  bool WaitedInVain(std::size_t i) const { return rows_[i].waitedInVain; }

  // The moves in the run's order, rows by position: a chain from its free end, or a cycle,
  // whose first row moves through a temporary name and lands last.
  struct Group {
    std::vector<std::uint32_t> rows;
    bool cycle = false;
  };
  std::vector<Group> Groups() const;

 private:
  static constexpr std::uint32_t kNone = kNoRow;
  struct Folder {
    FolderState* state = nullptr;
    std::vector<std::uint32_t> claims;  // per entry: rows that move a file of that name
    std::vector<std::uint32_t> holder;  // per entry: the last row that claimed it
  };

  rules::Refusal JudgeAlone(std::size_t i);
  // The file name the row wants into out; false for a row the plan doesn't move at all.
  bool AppendTarget(const rules::RenameEntry& e, std::wstring& out) const;
  std::uint32_t FolderIndex(const std::wstring& folder);
  // Claims of one row per file and one row per new name; false refuses the row.
  bool ClaimFile(std::size_t i);
  bool ClaimName(std::size_t i);
  bool SameNewName(std::uint32_t other);
  void FindBlocker(std::size_t i);
  void RefuseWaitersOfRefused();

  const rules::RenameList& list_;
  DiskState& disk_;
  const RowFiles* files_;
  const std::wstring* extension_;
  bool selected_;  // a list command's plan of the selected files' own names
  std::vector<PlanRow>& rows_;
  std::vector<Folder> folders_;
  std::unordered_map<FolderState*, std::uint32_t> folderIndex_;
  std::unordered_map<std::wstring, std::uint32_t> byPath_;  // folders by the rows' spelling
  const std::wstring* lastFolderPath_ = nullptr;
  std::uint32_t lastFolder_ = kNone;
  rules::HashIndex& newNames_;
  std::wstring newFile_, key_, newKey_, folded_;
};

// Marks every row with what the next run would do to it; the number of rows it would refuse.
std::size_t CheckRows(rules::RenameList& list, DiskState& disk, const RowFiles* files = nullptr);

// Every row's file judged as the plan judges it, so that a rule can pass over the rows the run
// leaves whatever their names (a row it then marks RuleMark::Kept is refused with the reason).
// Handed to the plans of the same preview, it spares them looking each file up again.
RowFiles JudgeFiles(const rules::RenameList& list, DiskState& disk);

// Gives rows whose new names collide, with each other or with a file that stays, "_2", "_3",
// ... before the extension: the smallest number free in the folder and among the run's new
// names, in list order; the first row in list order keeps the plain name where it is free.
// The number of rows numbered.
std::size_t NumberDuplicates(rules::RenameList& list, DiskState& disk, const RowFiles* files = nullptr);

}  // namespace disk
