#include "disk/RenamePlan.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "disk/MoveEngine.h"
#include "text/utf16.h"

using rules::BadNewName;
using rules::FoldName;
using rules::NameSize;
using rules::NameTable;
using rules::Refusal;
using rules::RenameEntry;
using rules::RenameList;
using rules::RuleMark;
using rules::SizeOfName;

namespace disk {

namespace {

// A name of at most this many UTF-16 units fits every volume that holds 255 UTF-16 units or
// 255 bytes of UTF-8: a unit takes at most 3 bytes of UTF-8 (a surrogate pair 4 for its two).
constexpr std::size_t kAlwaysFitsUnits = 85;

// The key of a new name among the run's: its folder's index in two units, then the name folded.
void FolderKey(std::uint32_t folder, std::wstring& key) {
  key.assign({static_cast<wchar_t>(folder & 0xFFFF), static_cast<wchar_t>(folder >> 16)});
}

// Why the run leaves e's file whatever its new name, as f (its folder) lists it; own becomes
// the file's entry there.
Refusal FileRefusal(const RenameEntry& e, const FolderState& f, DiskState& disk, std::wstring& key,
                    std::uint32_t& own) {
  if (!f.readable()) return Refusal::Unreadable;
  FoldName(e.fileName, key);
  own = f.Find(key);
  if (own == NameTable::npos || f[own].count == 0) return Refusal::Missing;
  const std::uint32_t attributes = f[own].attributes;
  if (const Refusal r = AttributesRefusal(attributes, e.isFolder()); r != Refusal::None) return r;
  if (disk.HasLinks() && disk.IsLink(e.CurrentPath())) return Refusal::Link;
  // A folder link or junction would move (or take along) another place than the one listed.
  if (e.isFolder() && ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                       (fs::UnderWine() && disk.IsFolderLink(e.CurrentPath())))) {
    return Refusal::Link;
  }
  return Refusal::None;
}

}  // namespace

RenamePlan::RenamePlan(const RenameList& list, DiskState& disk, const RowFiles* files, const std::wstring* extension,
                       bool compose)
    : list_(list),
      disk_(disk),
      files_(files && files->refusal.size() == list.size() ? files : nullptr),
      extension_(extension),
      selected_(extension || compose),
      rows_(disk.planMemory().rows),
      newNames_(disk.planMemory().newNames) {
  rows_.assign(list.size(), PlanRow{});
  newNames_.Clear();
  // Last row first, as runs always went: of two rows of one file, or of one new name, the
  // later row in the list keeps it.
  for (std::size_t i = rows_.size(); i-- > 0;) {
    PlanRow& row = rows_[i];
    row.refusal = JudgeAlone(i);
    if (row.refusal != Refusal::None || !row.moves) continue;
    if (!ClaimFile(i)) {
      row.refusal = Refusal::Missing;  // another row of the same file moves it
    } else if (!ClaimName(i)) {
      row.refusal = Refusal::Duplicate;
      Folder& f = folders_[row.folder];
      --f.claims[row.own];  // its file stays after all
      f.holder[row.own] = kNone;
    }
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (Moves(i)) FindBlocker(i);
  }
  RefuseWaitersOfRefused();
}

std::uint32_t RenamePlan::FolderIndex(const std::wstring& folder) {
  // Rows of one folder mostly come in runs, and rows of several folders sorted by name
  // alternate between a few of them: both are found by the path as the rows spell it.
  if (lastFolderPath_ && *lastFolderPath_ == folder) return lastFolder_;
  lastFolderPath_ = &folder;
  if (auto seen = byPath_.find(folder); seen != byPath_.end()) return lastFolder_ = seen->second;
  FolderState& state = disk_.Folder(folder);
  auto [it, added] = folderIndex_.emplace(&state, static_cast<std::uint32_t>(folders_.size()));
  if (added) {
    state.AddUnlistedLinks(folder);
    Folder f;
    f.state = &state;
    f.claims.assign(state.size(), 0);
    f.holder.assign(state.size(), kNone);
    folders_.push_back(std::move(f));
  }
  byPath_.emplace(folder, it->second);
  return lastFolder_ = it->second;
}

// What row i meets on its own: its rule's result, its new name, its folder and its file.
Refusal RenamePlan::JudgeAlone(std::size_t i) {
  const RenameEntry& e = list_[i];
  PlanRow& row = rows_[i];
  bool same;
  if (selected_) {
    // A list command moves the selected files; a file so named already is no change.
    if (!AppendTarget(e, newFile_)) return Refusal::None;
    if (newFile_ == e.fileName) return Refusal::None;
    same = false;
    if (BadNewName(newFile_)) return Refusal::BadName;
  } else {
    // The same name (the extension is the row's own) is no rename and no refusal, unless the
    // rule kept it because the run leaves its file: then why.
    const std::wstring_view name = e.fileName;
    const std::size_t dot = e.extensionStart();
    same = name.substr(0, dot) == e.newName;
    if (same && e.mark() != RuleMark::Kept) return Refusal::None;
    if (!same) {
      AppendTarget(e, newFile_);
      if (BadNewName(newFile_)) return Refusal::BadName;
    }
  }
  row.folder = FolderIndex(e.folder());
  const FolderState& f = *folders_[row.folder].state;
  Refusal r;
  if (files_) {
    r = files_->refusal[i];
    row.own = files_->own[i];
  } else {
    r = FileRefusal(e, f, disk_, key_, row.own);
  }
  if (r != Refusal::None || same) return r;
  if (newFile_.size() > kAlwaysFitsUnits) {
    const NameSize size = SizeOfName(newFile_);
    if (!f.limit().Holds(size.units, size.utf8)) return Refusal::TooLong;
  }
  // The key of the new name among the run's: its folder, then the name folded.
  FolderKey(row.folder, newKey_);
  FoldName(newFile_, folded_);
  newKey_ += folded_;
  row.target = f.Find(folded_);
  row.moves = true;
  return Refusal::None;
}

bool RenamePlan::AppendTarget(const RenameEntry& e, std::wstring& out) const {
  if (selected_) {
    if (!e.selected || e.isFolder()) return false;
    if (extension_) out.assign(utf16::StripExtension(e.fileName)).append(*extension_);
    else out = utf16::Compose(e.fileName);
  } else {
    out.assign(e.newName).append(std::wstring_view(e.fileName).substr(e.extensionStart()));
  }
  return true;
}

std::wstring RenamePlan::TargetName(std::size_t i) const {
  std::wstring name;
  AppendTarget(list_[i], name);
  return name;
}

bool RenamePlan::ClaimFile(std::size_t i) {
  const PlanRow& row = rows_[i];
  Folder& f = folders_[row.folder];
  // A case-sensitive disk may hold several files of one folded name, one row for each.
  if (f.claims[row.own] >= (*f.state)[row.own].count) return false;
  ++f.claims[row.own];
  f.holder[row.own] = static_cast<std::uint32_t>(i);
  return true;
}

// Called right after JudgeAlone(i), whose key of the new name it takes.
bool RenamePlan::ClaimName(std::size_t i) {
  const std::uint32_t hash = NameTable::Hash(newKey_);
  if (newNames_.Any(hash, [&](std::uint32_t other) { return SameNewName(other); })) return false;
  newNames_.Insert(hash, static_cast<std::uint32_t>(i));
  return true;
}

// Whether the row that claimed a name of the same hash wants the name of newKey_ (the keys of
// claimed names aren't kept: a rare hash match folds that row's name again).
bool RenamePlan::SameNewName(std::uint32_t other) {
  const RenameEntry& o = list_[other];
  const std::uint32_t folder = rows_[other].folder;
  FolderKey(folder, key_);
  AppendTarget(o, newFile_);
  FoldName(newFile_, folded_);
  key_ += folded_;
  return key_ == newKey_;
}

// Whether the name row i wants is free, held by a file that stays, or held by a file that
// another row moves away first.
void RenamePlan::FindBlocker(std::size_t i) {
  PlanRow& row = rows_[i];
  if (row.target == NameTable::npos) return;
  const Folder& f = folders_[row.folder];
  const FolderState::Info& there = (*f.state)[row.target];
  // A change of letter case only: the row's own file doesn't stand in its way.
  const std::uint32_t others = there.count - (row.target == row.own ? 1 : 0);
  if (others == 0) return;
  if (row.target == row.own || there.count > 1 || f.holder[row.target] == kNone) {
    // Several entries of that name are no chain: each would need its own row.
    row.refusal = there.attributes & FILE_ATTRIBUTE_DIRECTORY ? Refusal::TakenByFolder : Refusal::Taken;
  } else {
    row.blocker = f.holder[row.target];
    rows_[row.blocker].waiter = static_cast<std::uint32_t>(i);
  }
}

// A refused row's file stays, and so the rows waiting for it, one behind the other, are
// refused as well. Each row has at most one waiter: two rows wanting one name are a duplicate.
void RenamePlan::RefuseWaitersOfRefused() {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].refusal == Refusal::None) continue;
    for (std::uint32_t w = rows_[i].waiter; w != kNone && rows_[w].refusal == Refusal::None; w = rows_[w].waiter) {
      const PlanRow& waiting = rows_[w];
      const bool folder = (*folders_[waiting.folder].state)[waiting.target].attributes & FILE_ATTRIBUTE_DIRECTORY;
      rows_[w].refusal = folder ? Refusal::TakenByFolder : Refusal::Taken;
      rows_[w].waitedInVain = true;
    }
  }
}

std::vector<RenamePlan::Group> RenamePlan::Groups() const {
  std::vector<Group> groups;
  std::vector<bool> placed(rows_.size(), false);
  auto follow = [&](std::uint32_t first, bool cycle) {
    Group g;
    g.cycle = cycle;
    for (std::uint32_t r = first; r != kNone && !placed[r]; r = rows_[r].waiter) {
      placed[r] = true;
      g.rows.push_back(r);
    }
    groups.push_back(std::move(g));
  };
  // Chains from their free ends, then what is left: rows that wait on each other all round.
  for (std::size_t i = rows_.size(); i-- > 0;) {
    if (Moves(i) && rows_[i].blocker == kNone) follow(static_cast<std::uint32_t>(i), false);
  }
  for (std::size_t i = rows_.size(); i-- > 0;) {
    if (Moves(i) && !placed[i]) follow(static_cast<std::uint32_t>(i), true);
  }
  // Deepest folders first: every row inside a folder moves before the folder does, so no
  // row's path changes under it. A group's rows share one folder (as the plan tells folders
  // apart, whatever their letter case), and groups of one depth keep their order.
  std::vector<std::uint32_t> depth(folders_.size(), 0);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    // Counted once per folder: a path holds at least one "\".
    if (Moves(i) && depth[rows_[i].folder] == 0) {
      const std::wstring& folder = list_[i].folder();
      std::uint32_t n = 0;
      for (const wchar_t c : folder) n += c == L'\\';
      depth[rows_[i].folder] = n;
    }
  }
  std::stable_sort(groups.begin(), groups.end(), [&](const Group& a, const Group& b) {
    return depth[rows_[a.rows[0]].folder] > depth[rows_[b.rows[0]].folder];
  });
  return groups;
}

std::size_t CheckRows(RenameList& list, DiskState& disk, const RowFiles* files) {
  const RenamePlan plan(list, disk, files);
  std::size_t refused = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    Refusal r = plan.refusal(i);
    // What the last run refused, or the platform refused it, stays said until the next preview.
    if (r == Refusal::None) r = list[i].refused;
    if (r == Refusal::None && list[i].failure != 0) {
      // A name the move found taken (under Wine by a link that points nowhere, which no
      // listing shows) reads as taken.
      const bool taken = list[i].failure == ERROR_ALREADY_EXISTS || list[i].failure == ERROR_FILE_EXISTS;
      r = taken ? Refusal::Taken : Refusal::Failed;
    }
    // Written only when it changes: the rows stay clean in the cache.
    if (list[i].refusal != r) list[i].refusal = r;
    if (r != Refusal::None) ++refused;
  }
  return refused;
}

RowFiles JudgeFiles(const RenameList& list, DiskState& disk) {
  RowFiles files;
  files.refusal.resize(list.size());
  files.own.resize(list.size(), NameTable::npos);
  // Folders by the rows' spelling: rows sorted by name alternate between a few folders.
  std::unordered_map<std::wstring_view, const FolderState*> byPath;
  const std::wstring* lastPath = nullptr;
  const FolderState* f = nullptr;
  std::wstring key;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const RenameEntry& e = list[i];
    if (!lastPath || *lastPath != e.folder()) {
      lastPath = &e.folder();
      const FolderState*& seen = byPath[e.folder()];
      if (!seen) seen = &disk.Folder(e.folder());
      f = seen;
    }
    files.refusal[i] = FileRefusal(e, *f, disk, key, files.own[i]);
  }
  return files;
}

namespace {

// A row whose new name is borne by a file that stays, rather than one waiting behind a
// refused row: numbering the row it waited for frees its way.
bool HeldByStayingFile(const RenamePlan& plan, std::size_t i) {
  const Refusal r = plan.refusal(i);
  return (r == Refusal::Taken || r == Refusal::TakenByFolder) && !plan.WaitedInVain(i);
}

bool Wants(const RenamePlan& plan, std::size_t i) {
  return plan.Moves(i) || plan.refusal(i) == Refusal::Duplicate || HeldByStayingFile(plan, i);
}

// Rows numbered in one round free the rows that waited for them; a few rounds settle it.
constexpr int kNumberingRounds = 4;

}  // namespace

std::size_t NumberDuplicates(RenameList& list, DiskState& disk, const RowFiles* files) {
  std::size_t numbered = 0;
  std::wstring key, name, fileKey;
  auto keyOf = [&](const RenameEntry& e, std::wstring_view base) {
    name.assign(e.folder()).append(base).append(e.Extension());
    FoldName(name, key);
    return std::wstring_view(key);
  };
  for (int round = 0; round < kNumberingRounds; ++round) {
    const RenamePlan plan(list, disk, files);
    // Each name the run wants, by folder and folded name: the first row wanting it in list
    // order, and whether a file that stays holds it.
    NameTable wanted;
    std::vector<std::uint32_t> first;
    std::vector<bool> held;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!Wants(plan, i)) continue;
      const std::wstring_view k = keyOf(list[i], list[i].newName);
      const std::uint32_t index = wanted.Insert(k, NameTable::Hash(k));
      if (index == first.size()) {
        first.push_back(static_cast<std::uint32_t>(i));
        held.push_back(false);
      }
      if (HeldByStayingFile(plan, i)) held[index] = true;
    }
    std::size_t thisRound = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!Wants(plan, i)) continue;
      RenameEntry& e = list[i];
      const std::wstring_view k = keyOf(e, e.newName);
      const std::uint32_t index = wanted.Find(k, NameTable::Hash(k));
      if (first[index] == i && !held[index]) continue;
      const FolderState& f = disk.Folder(e.folder());
      std::wstring numberedName;
      for (unsigned n = 2;; ++n) {
        numberedName.assign(e.newName).append(L"_").append(std::to_wstring(n));
        std::wstring_view nk = keyOf(e, numberedName);
        if (wanted.Find(nk, NameTable::Hash(nk)) != NameTable::npos) continue;
        // The file name alone, folded, as the folder lists it.
        FoldName(numberedName + std::wstring(e.Extension()), fileKey);
        const std::uint32_t there = f.Find(fileKey);
        if (there != NameTable::npos && f[there].count > 0) continue;
        wanted.Insert(nk, NameTable::Hash(nk));
        break;
      }
      e.newName = std::move(numberedName);
      ++thisRound;
    }
    numbered += thisRound;
    if (thisRound == 0) break;
  }
  return numbered;
}

}  // namespace disk
