// The one way a file moves: the rename run, 拡張子変更, the intake's clean-up and the undo all
// move through a MoveContext, with the same refusals, the same guards and one journal run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "os/FileSystem.h"
#include "disk/Journal.h"
#include "rules/RenameList.h"

namespace disk {

class DiskState;

// Why a file or folder that would move stays whatever its new name, from its attributes as
// listed or asked (all bits set: nothing there): the one decision every kind of move takes.
rules::Refusal AttributesRefusal(std::uint32_t attributes, bool folder);

// What a move did, or met instead.
struct MoveReport {
  bool moved = false;       // the entry now bears exactly the new name
  rules::Refusal refusal = rules::Refusal::None;  // refused before anything was tried
  bool elsewhere = false;   // a link to an entry of another folder, or a folder link
  bool otherFile = false;   // not the file that was expected
  std::uint32_t error = 0;  // the platform's error code, where it refused the move
  fs::FileId id;            // the file that moved, where it did
};

// How a move is made, once the file is open and asked: renames it to `to` (a full path),
// never replacing an entry; 0 when done, else the platform's error code. Empty: the file's
// own RenameTo. A test hands one that fails where the platform can't be made to (a full disk).
using Mover = std::function<std::uint32_t(fs::OpenFile& file, std::wstring_view to)>;

// Whether a file name is one of the temporary names a move parks a file under.
bool IsTemporaryName(std::wstring_view fileName);

// One run of moves. It owns the journal's run (begun here, ended however the context goes),
// each folder's final path, Linux path and links asked once for the run (a folder can become
// a link, or stop being one, between two runs), and what is forgotten afterwards: the
// listings of `disk`. With `takenIn`, a folder the intake recorded must still
// be that folder (DiskState::TakeIn) for its entries to move.
class MoveContext {
 public:
  // No journal: the moves are not recorded (an undo records its outcome itself).
  MoveContext(Journal* journal, RunKind kind, DiskState* listings = nullptr, const DiskState* takenIn = nullptr,
              Mover mover = {});
  ~MoveContext();
  MoveContext(const MoveContext&) = delete;
  MoveContext& operator=(const MoveContext&) = delete;

  // Moves the entry at `from` to the name `to` in the same folder. Never replaces an existing
  // file or folder, never moves out of the folder. Every move goes through one handle opened
  // on the entry, which is asked first and renamed then: with the entry's attributes (as
  // listed or asked), a link to a file of another folder is not moved (Wine renames the file
  // a Linux link points to, and lists such a link as a plain file, so there every file is
  // asked; Windows renames a link itself, and its links are reparse points, the only files
  // asked there); with `expect`, only the file of that identity moves. A change of letter
  // case alone goes through a temporary name of the folder (a plain move reports success and
  // keeps the old spelling) and is read back from the folder; when it can't be finished the
  // file gets its old name back. A folder that is a reparse point (a link or junction) is
  // never moved, and where it is asked (under Wine, every time) it must be reached at its own
  // path. Each move is recorded with the entry's identity before it is made, a move that
  // failed or was taken back leaves the record again, and one that landed tells the journal.
  MoveReport Move(std::wstring_view from, std::wstring_view to, std::uint32_t attributes,
                  const fs::FileId* expect = nullptr);

  // A file (or, with `folder`, a folder) to a new name of its folder, after the refusals
  // every kind of move shares: a new name in another folder or one that BadNewName refuses,
  // and AttributesRefusal of the entry as it is now. An unchanged path moves nothing.
  MoveReport Rename(std::wstring_view from, std::wstring_view to, bool folder);

  // Moves the entry at `from` to a new temporary name of its folder; the name, or empty (the
  // report says why).
  std::wstring Park(std::wstring_view from, std::uint32_t attributes, MoveReport& report);

 private:
  bool Reaches(std::wstring_view reached, std::wstring_view path);
  std::wstring FolderPathToReach(const std::wstring& folder) const;
  bool MoveOnce(std::wstring_view from, std::wstring_view to, bool ask, MoveReport& report,
                const fs::FileId* expect = nullptr);
  bool PlainMove(std::wstring_view from, std::wstring_view to, bool ask, MoveReport& report,
                 const fs::FileId* expect);
  bool CaseOnlyMove(std::wstring_view from, std::wstring_view to, bool ask, MoveReport& report,
                    const fs::FileId* expect);
  template <typename MoveTo>
  std::wstring ParkWith(std::wstring_view folder, MoveReport& report, MoveTo move);

  Journal* journal_;
  DiskState* listings_;
  const DiskState* takenIn_;
  Mover mover_;
  std::unordered_map<std::wstring, std::wstring> folderPaths_;
  fs::UnixNames unix_;
};

}  // namespace disk
