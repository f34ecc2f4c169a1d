#include "disk/MoveEngine.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "disk/DiskState.h"
#include "rules/NewName.h"
#include "text/utf16.h"

using rules::BadNewName;
using rules::FoldName;
using rules::Refusal;

namespace disk {

namespace {

constexpr std::wstring_view kTempPrefix = L"~kinoha-";

// The old volume-label bit: no ordinary file bears it.
constexpr std::uint32_t kVolumeLabelAttribute = 0x8;
constexpr std::uint32_t kSystemAttributes = FILE_ATTRIBUTE_SYSTEM | kVolumeLabelAttribute;

// A name of at most this many UTF-16 units fits every volume that holds 255 UTF-16 units or
// 255 bytes of UTF-8: a unit takes at most 3 bytes (a surrogate pair 4 for its two).
constexpr std::size_t kAlwaysFitsUnits = 85;

// Both paths name entries of one folder: no other folder, no stream of a file ("C:\a.txt:s"
// has the folder part "C:\a.txt:"; only a drive ends in ":"), no "/" and no name of dots and
// blanks alone, which the file system reads as the folder or its parent.
bool StaysInFolder(std::wstring_view from, std::wstring_view to) {
  std::wstring_view folder = utf16::FolderPart(from);
  if (folder.empty() || utf16::FolderPart(to) != folder) return false;
  if (folder.size() > 2 && folder.back() == L':') return false;
  for (std::wstring_view name : {utf16::FileName(from), utf16::FileName(to)}) {
    if (name.find(L'/') != std::wstring_view::npos || name.find(L'\0') != std::wstring_view::npos ||
        name.find_first_not_of(L". ") == std::wstring_view::npos) {
      return false;
    }
  }
  return true;
}

bool CaseOnly(std::wstring_view from, std::wstring_view to) {
  std::wstring a, b;
  FoldName(utf16::FileName(from), a);
  FoldName(utf16::FileName(to), b);
  return a == b;
}

// A temporary name of the folder, new to this process. Nothing is probed: a move never
// replaces, so a name some entry bears already fails its move, and the next name is tried.
std::wstring TemporaryPath(std::wstring_view folder) {
  static unsigned counter = 0;
  wchar_t name[48];
  std::swprintf(name, 48, L"%ls%lx-%u.tmp", std::wstring(kTempPrefix).c_str(),
                static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
  return std::wstring(folder) + name;
}

// The name as a volume that cuts names too long for it keeps it: whole characters, as many as
// its limit holds.
std::wstring CutName(std::wstring_view path) {
  std::wstring_view folder = utf16::FolderPart(path), name = utf16::FileName(path);
  const fs::NameLimit limit = fs::NameLimitOf(folder);
  std::uint32_t units = 0, bytes = 0;
  std::size_t end = 0;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t next;
    const char32_t code = utf16::CodeAt(name, i, next);
    const std::uint32_t size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    const auto width = static_cast<std::uint32_t>(next - i);
    if (!limit.Holds(units + width, bytes + size)) break;
    units += width;
    bytes += size;
    end = i = next;
  }
  return std::wstring(folder) + std::wstring(name.substr(0, end));
}

// Windows renames a link itself and lists links as reparse points; Wine renames the file a
// Linux link points to and lists the link as a plain file, so there every file is asked.
bool NeedsAsking(std::uint32_t attributes) {
  return fs::UnderWine() || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool Taken(std::uint32_t error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

}  // namespace

Refusal AttributesRefusal(std::uint32_t attributes, bool folder) {
  // A folder where a file was listed, or a file where a folder was (or nothing, all bits
  // set), is not the thing listed.
  if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder || attributes == fs::kInvalidAttributes) {
    return Refusal::Missing;
  }
  // Windows marks folders read-only to customise them, not to protect them.
  if ((attributes & FILE_ATTRIBUTE_READONLY) && !folder) return Refusal::ReadOnly;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) return Refusal::Hidden;
  if (attributes & kSystemAttributes) return Refusal::System;
  return Refusal::None;
}

bool IsTemporaryName(std::wstring_view fileName) {
  return fileName.starts_with(kTempPrefix) && fileName.ends_with(L".tmp");
}

MoveContext::MoveContext(Journal* journal, RunKind kind, DiskState* listings, const DiskState* takenIn, Mover mover)
    : journal_(journal), listings_(listings), takenIn_(takenIn), mover_(std::move(mover)) {
  if (journal_) journal_->BeginRun(kind);
}

MoveContext::~MoveContext() {
  if (journal_) journal_->EndRun();
  // What moved is listed again when next needed.
  if (listings_) listings_->Clear();
}

// The final path a folder's entries must be reached under: the one the intake recorded, while
// the folder is still that very folder (empty, which reaches nothing, once it was swapped for a
// link or another folder); else its final path now.
std::wstring MoveContext::FolderPathToReach(const std::wstring& folder) const {
  const DiskState::TakenFolder* taken = takenIn_ ? takenIn_->TakenIn(folder) : nullptr;
  if (!taken) return fs::FinalFolderPath(folder);
  std::wstring now, a, b;
  fs::FileId id;
  if (!fs::EntryId(folder, id, &now) || !(id == taken->id)) return std::wstring();
  FoldName(now, a);
  FoldName(taken->finalPath, b);
  return a == b ? taken->finalPath : std::wstring();
}

// Whether an entry reached at `reached` (its final path) is the entry at `path` itself.
bool MoveContext::Reaches(std::wstring_view reached, std::wstring_view path) {
  std::wstring folder(utf16::FolderPart(path));
  auto it = folderPaths_.find(folder);
  if (it == folderPaths_.end()) it = folderPaths_.emplace(folder, FolderPathToReach(folder)).first;
  return fs::ReachedItself(reached, it->second, path);
}

// One move through one handle: the entry at `from` is opened, asked where it really is (with
// `ask`) and which file it is (against `expect`, where given), recorded with its identity,
// and renamed through the same handle, never replacing an entry. A failed move leaves the
// record as it was.
bool MoveContext::MoveOnce(std::wstring_view from, std::wstring_view to, bool ask, MoveReport& report,
                           const fs::FileId* expect) {
  fs::OpenFile file(from);
  if (!file.ok()) {
    report.error = file.error();
    return false;
  }
  if (ask && !Reaches(file.FinalPath(), from)) {
    report.elsewhere = true;
    return false;
  }
  fs::FileId id;
  const bool known = file.Id(id, &unix_);
  if (expect && (!known || !id.IsRecorded(*expect))) {
    report.otherFile = true;
    return false;
  }
  // A name held by anything, a link that points nowhere included, is taken.
  if (unix_.Held(to)) {
    report.error = ERROR_ALREADY_EXISTS;
    return false;
  }
  const std::size_t mark = journal_ ? journal_->Mark() : 0;
  if (journal_) journal_->Record(from, to, id);
  if (const DWORD error = mover_ ? mover_(file, to) : file.RenameTo(to)) {
    if (journal_) journal_->Rollback(mark);
    report.error = error;
    return false;
  }
  report.id = id;
  return true;
}

// A move on its own; a platform that cuts a name too long for the volume reports success
// (Wine keeps 255 bytes of UTF-8 and finds the file by the long name as well), so a long name
// is read back from the folder; when the file landed under another name it goes back.
bool MoveContext::PlainMove(std::wstring_view from, std::wstring_view to, bool ask, MoveReport& report,
                            const fs::FileId* expect) {
  const std::size_t mark = journal_ ? journal_->Mark() : 0;
  if (!MoveOnce(from, to, ask, report, expect)) return false;
  std::wstring_view name = utf16::FileName(to);
  if (name.size() <= kAlwaysFitsUnits) return true;
  fs::Entry landed;
  if (fs::FindEntry(to, landed) && landed.name == name) return true;
  // Where the platform put it: the name cut to whole characters within the volume's limit. A
  // file of that name can't have been there before, or the move would have failed.
  std::wstring cut = CutName(to);
  MoveReport back;
  if (cut.size() < to.size() && fs::FindEntry(cut, landed) && landed.name == utf16::FileName(cut)) {
    // Back where it was: the record keeps neither move.
    if (MoveOnce(cut, from, false, back) && journal_) journal_->Rollback(mark);
  }
  report.error = ERROR_FILENAME_EXCED_RANGE;
  return false;
}

// Moves to a temporary name of the folder through `move(temp)`, trying further names while
// one is taken.
template <typename MoveTo>
std::wstring MoveContext::ParkWith(std::wstring_view folder, MoveReport& report, MoveTo move) {
  constexpr int kTries = 100;
  for (int tries = 0; tries < kTries; ++tries) {
    std::wstring temp = TemporaryPath(folder);
    report = MoveReport{};
    if (move(temp)) return temp;
    if (!Taken(report.error)) return std::wstring();
  }
  return std::wstring();
}

// Old name to a temporary one, then to the new spelling, read back; if the second step
// fails, back to the old name, and the record keeps neither move.
bool MoveContext::CaseOnlyMove(std::wstring_view from, std::wstring_view to, bool ask, MoveReport& report,
                               const fs::FileId* expect) {
  const std::size_t mark = journal_ ? journal_->Mark() : 0;
  const std::wstring temp = ParkWith(utf16::FolderPart(from), report, [&](const std::wstring& t) {
    return MoveOnce(from, t, ask, report, expect);
  });
  if (temp.empty()) return false;
  auto landed = [&] {
    fs::Entry entry;
    return fs::FindEntry(to, entry) && entry.name == utf16::FileName(to);
  };
  if (MoveOnce(temp, to, false, report)) return landed();
  auto back = [&] {
    MoveReport ignored;
    const bool ok = MoveOnce(temp, from, false, ignored);
    if (ok && journal_) journal_->Rollback(mark);
    return ok;
  };
  if (back()) return false;
  // Neither name could be had: both once more rather than leave the temporary name. The
  // file may end under its new name after all, and its row must say so.
  if (MoveOnce(temp, to, false, report)) return landed();
  back();
  return false;
}

MoveReport MoveContext::Move(std::wstring_view from, std::wstring_view to, std::uint32_t attributes,
                             const fs::FileId* expect) {
  MoveReport r;
  if (from == to || !StaysInFolder(from, to)) {
    r.error = ERROR_INVALID_NAME;
    return r;
  }
  const bool folder = attributes != fs::kInvalidAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  // A junction or a folder link is never moved: what lies in it is another folder's.
  if (folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    r.elsewhere = true;
    return r;
  }
  // Asked, an entry must be reached at its own path: Wine follows a Linux link to another
  // entry, of another folder or of the same one, and would rename that.
  const bool ask = NeedsAsking(attributes);
  // Where the new spelling opens the file itself, the file system ignores letter case and a
  // plain move would keep the old spelling. Where it opens another file (a disk that tells
  // a.txt from A.txt holds both), nothing moves; where it opens nothing, a plain move does.
  if (CaseOnly(from, to) && fs::Opens(to)) {
    if (!fs::SameFile(from, to)) {
      r.error = ERROR_ALREADY_EXISTS;
      return r;
    }
    r.moved = CaseOnlyMove(from, to, ask, r, expect);
  } else {
    r.moved = PlainMove(from, to, ask, r, expect);
  }
  if (r.moved && journal_) journal_->Landed();
  return r;
}

MoveReport MoveContext::Rename(std::wstring_view from, std::wstring_view to, bool folder) {
  MoveReport r;
  // Nothing to do, and nothing refused. A case-only change differs byte for byte and is made.
  if (to == from) return r;
  if (utf16::FolderPart(to) != utf16::FolderPart(from) || BadNewName(utf16::FileName(to))) {
    r.refusal = Refusal::BadName;
    return r;
  }
  const std::uint32_t attributes = fs::Attributes(from);
  r.refusal = AttributesRefusal(attributes, folder);
  if (r.refusal != Refusal::None) return r;
  return Move(from, to, attributes);
}

std::wstring MoveContext::Park(std::wstring_view from, std::uint32_t attributes, MoveReport& report) {
  return ParkWith(utf16::FolderPart(from), report, [&](const std::wstring& t) {
    report = Move(from, t, attributes);
    return report.moved;
  });
}

}  // namespace disk
