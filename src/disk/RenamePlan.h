// The one decision of which rows the rename run renames, made for the preview's marks and by
// the run itself: the run walks the rows from the last to the first, and each row is judged
// against the folder as the listing showed it and as the rows judged before it changed it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "disk/DiskState.h"
#include "rules/RenameList.h"

// Whether a path ending in this name addresses exactly the entry of that name, as a listing
// reports it. Not so for a name that path parsing changes or reads otherwise: trailing dots
// and blanks are dropped, "\" and "/" split it (and may reach another folder), ":" opens a
// stream, wildcards and the other characters Windows keeps out of names (fs::RefusedInName)
// are patterns or refused, and device names ("con", "nul.txt") name devices. A disk that
// isn't Windows' own (Linux under Wine, some shares) can hold such names.
bool AddressableName(std::string_view name);
// A device name: "con", "prn", "aux", "nul", "com0"-"com9", "lpt0"-"lpt9", "conin$" or
// "conout$" in any letter case, with any extension and blanks before it ("CON .txt").
bool DeviceName(std::string_view name);
// A new file name the run never gives: one no path addresses as itself (AddressableName), so
// that the move would be refused or the file would land under another name, or one with an
// empty base name (".txt").
bool BadNewName(std::string_view newFileName);

class RenamePlan {
 public:
  // One plan at a time works on a DiskState.
  RenamePlan(RenameList& list, DiskState& disk);

  // What row i meets when the run comes to it; rows are judged from the last to the first,
  // each after the rows behind it were judged (and, where they were renamed, Moved).
  Refusal Judge(std::size_t i);
  // Row i, just judged None, now bears its new name.
  void Moved(std::size_t i);

 private:
  RenameList& list_;
  DiskState& disk_;
  std::uint32_t number_;  // stamps the entries this plan writes
  // What Judge found for its row, for Moved.
  std::size_t row_ = static_cast<std::size_t>(-1);
  std::uint32_t own_ = NameTable::npos, newHash_ = 0;
  FoldedName newName_;
  std::string ownKey_, newKey_, otherKey_, scratch_;
};

// Marks every row with what the next run would do to it; the number of rows it would refuse.
std::size_t CheckRows(RenameList& list, DiskState& disk);
