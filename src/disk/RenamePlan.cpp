#include "disk/RenamePlan.h"

#include <windows.h>

#include "text/sjis.h"

bool DeviceName(std::string_view name) {
  // Bytes are compared: "." and " " are never trail bytes, and no device name begins with a
  // lead byte. Most names end here, at their first byte.
  if (name.size() < 3) return false;
  switch (sjis::AsciiLowerChar(name[0])) {
    case 'a':
    case 'c':
    case 'l':
    case 'n':
    case 'p': break;
    default: return false;
  }
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  if (stem.size() < 3 || stem.size() > 7) return false;
  char lower[8] = {};
  for (std::size_t i = 0; i < stem.size(); ++i) lower[i] = sjis::AsciiLowerChar(stem[i]);
  const std::string_view s(lower, stem.size());
  if (s == "con" || s == "prn" || s == "aux" || s == "nul" || s == "conin$" || s == "conout$") return true;
  return s.size() == 4 && (s.starts_with("com") || s.starts_with("lpt")) && s[3] >= '0' && s[3] <= '9';
}

namespace {

// The one decision of AddressableName, from what a walk over the name's characters found:
// the plan's check makes the walk while it folds the name.
bool Unaddressable(bool refusedChar, char last, std::string_view name) {
  return refusedChar || last == '.' || last == ' ' || DeviceName(name);
}

}  // namespace

bool AddressableName(std::string_view name) {
  if (name.empty()) return false;
  bool refused = false;
  for (std::size_t i = 0; i < name.size() && !refused; i = sjis::NextChar(name, i)) {
    refused = fs::RefusedInName(static_cast<unsigned char>(name[i]));
  }
  return !Unaddressable(refused, name.back(), name);
}

bool BadNewName(std::string_view name) {
  // "." is never a trail byte: a name whose only dot is its first byte has no base name.
  return !AddressableName(name) || name.rfind('.') == 0;
}

namespace {

std::uint32_t NextPlanNumber() {
  static std::uint32_t number = 0;
  return ++number;
}

// The entry's moves under this plan; an entry last written by another plan has none yet.
FolderState::Info& Stamped(FolderState& f, std::uint32_t index, std::uint32_t plan) {
  FolderState::Info& info = f[index];
  if (info.plan != plan) {
    info.plan = plan;
    info.left = 0;
  }
  return info;
}

}  // namespace

RenamePlan::RenamePlan(RenameList& list, DiskState& disk) : list_(list), disk_(disk), number_(NextPlanNumber()) {}

Refusal RenamePlan::Judge(std::size_t i) {
  row_ = static_cast<std::size_t>(-1);
  RenameEntry& row = list_[i];
  const std::string_view fileName = row.fileName;
  const std::string_view ext = fileName.substr(row.extensionStart_);
  if (row.mark_ == RuleMark::NotShiftJis) return Refusal::NotShiftJis;
  // The same name (the extension is the row's own) is no rename and no refusal.
  if (row.extensionStart_ == row.newName.size() && fileName.substr(0, row.extensionStart_) == row.newName) {
    return Refusal::None;
  }

  // One pass over the new name folds it, hashes it and finds what BadNewName looks for; a
  // name the case table can't fold alone takes the long way.
  const bool folded = newName_.Fold(row.newName, ext);
  std::uint32_t units = 0, utf8 = 0;
  if (folded) {
    // "." and " " are never trail bytes. With an extension (one "." first) the base name is
    // the new name itself, and so is the stem a device name is read from, or holds it.
    const char last = !ext.empty() ? ext.back() : !row.newName.empty() ? row.newName.back() : '.';
    const std::string_view base = ext.empty() ? std::string_view(row.newName).substr(0, newName_.lastDot())
                                              : std::string_view(row.newName);
    if (Unaddressable(newName_.refusedChar(), last, row.newName) || base.empty()) return Refusal::BadName;
    units = newName_.units();
    utf8 = newName_.utf8();
  } else {
    scratch_.assign(row.newName).append(ext);
    if (BadNewName(scratch_)) return Refusal::BadName;
    std::wstring wide = sjis::ToUtf16Lenient(scratch_);
    units = static_cast<std::uint32_t>(wide.size());
    utf8 = static_cast<std::uint32_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr));
  }

  // The folder's state and the row's entry in it, each kept in the row while it stands.
  FolderState* state = row.folderState_;
  if (row.diskGeneration_ != disk_.generation() || !state) {
    state = &disk_.Folder(row.folder);
    row.folderState_ = state;
    row.diskGeneration_ = disk_.generation();
  }
  FolderState& f = *state;
  if (!f.readable()) return Refusal::Unreadable;
  if (!f.limit().Holds(units, utf8)) return Refusal::TooLong;
  if (f.arrivedPlan != number_) {
    f.arrivedPlan = number_;
    f.arrived.Clear();
  }
  if (row.listingSerial_ == f.serial() && f.serial() != 0) {
    own_ = row.listingIndex_;
  } else {
    FoldName(fileName, ownKey_);
    own_ = f.Find(ownKey_);
    row.listingSerial_ = f.serial();
    row.listingIndex_ = own_;
  }
  if (own_ >= f.size()) return Refusal::Missing;
  const FolderState::Info& own = f[own_];
  // Another row of the same file moved it already.
  if (own.plan == number_ && own.count <= own.left) return Refusal::Missing;
  const std::uint32_t attributes = own.attributes;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Refusal::Missing;  // a folder is no file of ours
  if (attributes & FILE_ATTRIBUTE_READONLY) return Refusal::ReadOnly;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) return Refusal::Hidden;
  if (attributes & (FILE_ATTRIBUTE_SYSTEM | 0x8)) return Refusal::System;
  if (disk_.HasLinks() && disk_.IsLink(row.CurrentPath())) return Refusal::Link;

  std::uint32_t there;
  if (folded) {
    newHash_ = newName_.hash();
    there = f.Find(newName_);
  } else {
    FoldName(scratch_, newKey_);
    newHash_ = NameTable::Hash(newKey_);
    there = f.Find(newKey_);
  }
  // A row judged before this one moves its file to the same name (a rare hash match is
  // compared by folding that row's new name).
  auto sameNewName = [&](std::uint32_t other) {
    const RenameEntry& o = list_[other];
    scratch_.assign(o.newName).append(sjis::Extension(o.fileName));
    FoldName(scratch_, otherKey_);
    if (folded) return newName_.Equals(otherKey_);
    std::string mine = row.newName + std::string(ext);
    FoldName(mine, newKey_);
    return newKey_ == otherKey_;
  };
  if (f.arrived.Any(newHash_, sameNewName)) return Refusal::Duplicate;
  if (there != NameTable::npos) {
    const FolderState::Info& target = f[there];
    std::uint32_t present = target.count - (target.plan == number_ ? target.left : 0);
    // A change of letter case only: the row's own file doesn't stand in its way.
    if (there == own_) --present;
    if (present > 0) {
      return (target.attributes & FILE_ATTRIBUTE_DIRECTORY) ? Refusal::TakenByFolder : Refusal::Taken;
    }
  }
  row_ = i;
  return Refusal::None;
}

void RenamePlan::Moved(std::size_t i) {
  if (i != row_) return;
  FolderState& f = *list_[i].folderState_;
  ++Stamped(f, own_, number_).left;
  f.arrived.Insert(newHash_, static_cast<std::uint32_t>(i));
  row_ = static_cast<std::size_t>(-1);
}

std::size_t CheckRows(RenameList& list, DiskState& disk) {
  RenamePlan plan(list, disk);
  std::size_t refused = 0;
  for (std::size_t i = list.size(); i-- > 0;) {
    Refusal r = plan.Judge(i);
    // A move the platform refused in the last run stays said until the next preview.
    if (r == Refusal::None && list[i].failure != 0) r = Refusal::Failed;
    // Written only when it changes: the rows stay clean in the cache.
    if (list[i].refusal != r) list[i].refusal = r;
    if (r == Refusal::None) {
      plan.Moved(i);
    } else {
      ++refused;
    }
  }
  return refused;
}
