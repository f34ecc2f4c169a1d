#include "disk/Journal.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "disk/JournalLines.h"
#include "os/OwnFile.h"

namespace disk {

using namespace journal_lines;

namespace {

// State lines appended before the file is written compactly again.
constexpr std::size_t kMaxMarks = 40;

std::wstring LastErrorText() { return os::ErrorText(GetLastError()); }

using os::StampOf;

std::string Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return stamp;
}


}  // namespace

Journal::Journal(std::wstring file) : file_(std::move(file)) {}

Journal::~Journal() {
  if (armed()) EndRun();
}

void Journal::Trouble(const std::wstring& why) {
  state_.fileFailed = true;
  state_.stale = true;
  if (problem_.empty()) problem_ = why;
}

std::wstring Journal::TakeProblem() {
  if (told_ || problem_.empty()) return {};
  told_ = true;
  return problem_;
}

// ---------------------------------------------------------------------------------------------
// Reading


// The file as another copy of the program may have changed it: read again when it did, but
// never over runs that only memory holds.
void Journal::Refresh() {
  if (file_.empty() || armed() || state_.stale) return;
  if (state_.loaded && StampOf(file_) == known_) return;
  Load();
}

Journal::Loaded Journal::Read(const std::wstring& file) {
  Loaded loaded;
  loaded.stamp = StampOf(file);
  std::string text;
  if (os::unique_file h = os::OpenPlain(file, GENERIC_READ)) {
    // Too big, unreadable, or not one of ours: kept aside under the hold, never written over.
    loaded.damaged =
        !os::ReadWhole(h.get(), text, kMaxFile) || !StartsJournal(text);
    if (loaded.damaged) text.clear();
  }
  loaded.parsed = ParseRuns(text, true);
  // Appending goes on only after whole lines of a file just read.
  const bool whole = loaded.parsed.end == text.size() && text.size() == loaded.stamp.size;
  loaded.cleanEnd = whole ? loaded.parsed.end : ~std::uint64_t{0};
  return loaded;
}

void Journal::Load() {
  Loaded loaded = Read(file_);
  state_.loaded = true;
  state_.damaged = loaded.damaged;
  state_.legacy = loaded.parsed.legacy;
  known_ = loaded.stamp;
  runs_ = std::move(loaded.parsed.runs);
  cleanEnd_ = loaded.cleanEnd;
  fileBlocks_ = loaded.parsed.blocks;
  fileMarks_ = loaded.parsed.marks;
  for (const JournalRun& r : runs_) nextNumber_ = std::max(nextNumber_, r.number + 1);
}

std::ptrdiff_t Journal::UndoIndex() const {
  for (std::ptrdiff_t i = static_cast<std::ptrdiff_t>(runs_.size()); i-- > 0;) {
    if (!runs_[i].undone) return i;
  }
  return -1;
}

std::ptrdiff_t Journal::RedoIndex() const {
  const std::size_t i = static_cast<std::size_t>(UndoIndex() + 1);
  return i < runs_.size() ? static_cast<std::ptrdiff_t>(i) : -1;
}

bool Journal::Available() {
  Refresh();
  return UndoIndex() >= 0;
}

bool Journal::CanRedo() {
  Refresh();
  return RedoIndex() >= 0;
}

std::vector<Move> Journal::Moves(bool* complete) {
  Refresh();
  if (complete) *complete = false;
  const std::ptrdiff_t i = UndoIndex();
  if (i < 0) return {};
  Check(runs_[i]);
  if (complete) *complete = runs_[i].complete;
  return runs_[i].moves;
}

std::vector<Move> Journal::RedoMoves() {
  Refresh();
  const std::ptrdiff_t i = RedoIndex();
  if (i < 0) return {};
  Check(runs_[i]);
  return runs_[i].moves;
}

// ---------------------------------------------------------------------------------------------
// The run's writer

void Journal::BeginRun(RunKind kind) {
  if (armed()) EndRun();
  Refresh();
  state_.run = State::Run::Recording;
  state_.lines = State::Lines::OwnFile;
  state_.fileFailed = false;
  run_ = JournalRun{};
  run_.kind = kind;
  run_.checked = true;  // its lines are the program's own
  lineStarts_.clear();
  runStart_ = written_ = 0;
}

std::size_t Journal::Mark() const { return armed() ? Current().moves.size() : 0; }

// The journal itself, opened for appending where it is the plain file this session read.
bool Journal::OpenAppend() {
  // A Shift_JIS journal of earlier versions is written anew, never appended to.
  if (state_.stale || !state_.loaded || state_.legacy || !known_.exists || cleanEnd_ != known_.size ||
      fileBlocks_ >= kRuns) {
    return false;
  }
  if (fileMarks_ >= kMaxMarks || !(StampOf(file_) == known_)) return false;
  os::unique_file h = os::OpenPlain(file_, GENERIC_WRITE);
  if (!h || !os::OneName(h.get()) || !os::SeekTo(h.get(), known_.size)) return false;
  handle_ = std::move(h);
  state_.lines = State::Lines::Appended;
  runStart_ = written_ = known_.size;
  return true;
}

// A file of its own, made new (never an entry that exists) beside the journal.
bool Journal::OpenNew() {
  static unsigned counter = 0;
  for (int tries = 0; tries < 100; ++tries) {
    wchar_t suffix[48];
    std::swprintf(suffix, 48, L".%lx-%u.tmp", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    handle_ = os::CreateNew(file_ + suffix, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE);
    if (handle_) {
      state_.lines = State::Lines::OwnFile;
      written_ = 0;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  Trouble(LastErrorText());
  return false;
}

bool Journal::OpenRunFile() {
  if (file_.empty()) return false;
  run_.number = nextNumber_++;
  run_.time = Now();
  if (!OpenAppend()) {
    if (!OpenNew()) return false;
    // The runs kept go first: those taken back go with this run, and the oldest beyond kRuns.
    const std::size_t kept = static_cast<std::size_t>(
        std::count_if(runs_.begin(), runs_.end(), [](const JournalRun& r) { return !r.undone; }));
    std::size_t skip = kept >= kRuns ? kept - (kRuns - 1) : 0;
    std::string text;
    for (const JournalRun& r : runs_) {
      if (r.undone) continue;
      if (skip > 0) {
        --skip;
        continue;
      }
      AppendBlock(text, r);
    }
    // Whole lines, each with its line end: written as they are.
    if (!text.empty() && !WriteBytes(text)) return false;
    runStart_ = written_;
  }
  return Write(HeaderLine(run_));
}

bool Journal::Write(std::string_view line) {
  // One call per line: a crash leaves a line whole or without its line end.
  std::string bytes(line);
  bytes += "\r\n";
  return WriteBytes(bytes);
}

bool Journal::WriteBytes(std::string_view bytes) {
  if (!handle_) return false;
  if (!os::WriteOnce(handle_.get(), bytes)) {
    // The file no longer follows the moves: this run's lines go.
    Trouble(LastErrorText());
    DropRunFile();
    return false;
  }
  written_ += bytes.size();
  return true;
}

void Journal::DropRunFile() {
  if (!handle_) return;
  if (appending()) {
    // The runs before this one stay as they were.
    if (!os::CutAt(handle_.get(), runStart_)) state_.stale = true;
  } else if (published() && !landed()) {
    // The journal was written anew for a move that didn't land: written again as it was.
    handle_.reset();
    Rewrite();
    return;
  } else {
    // Its own file, or the journal that no longer follows the moves.
    os::DeleteByHandle(handle_.get());
  }
  handle_.reset();
  if (!state_.stale) Written();
}

bool Journal::Publish() {
  // A file that is no journal of ours is kept aside first, never written over.
  if (state_.damaged) SetAside();
  if (state_.damaged) return false;
  // The entry the journal replaces must be a plain file (or nothing): never a link, a
  // folder or anything else that a replace would go through or destroy.
  if (os::Exists(file_) && !os::OpenPlain(file_, DELETE | FILE_READ_ATTRIBUTES)) {
    Trouble(L"普通のファイルではありません");
    return false;
  }
  if (const DWORD error = os::RenameHandle(handle_.get(), file_, true)) {
    Trouble(os::ErrorText(error));
    return false;
  }
  state_.lines = State::Lines::Published;
  state_.legacy = false;
  return true;
}

void Journal::Written() {
  known_ = StampOf(file_);
  cleanEnd_ = known_.size;
  state_.loaded = true;
}

void Journal::AddRun(JournalRun run) {
  while (!runs_.empty() && runs_.back().undone) runs_.pop_back();
  runs_.push_back(std::move(run));
  CutOldest(runs_);
}

void Journal::Record(std::wstring_view from, std::wstring_view to, const fs::FileId& id) {
  if (!armed()) return;
  if (!landed() && run_.number == 0) {
    if (!state_.fileFailed) OpenRunFile();
    if (run_.number == 0) {
      run_.number = nextNumber_++;
      run_.time = Now();
    }
  }
  JournalRun& run = Current();
  run.moves.push_back(Move{std::wstring(from), std::wstring(to), id});
  lineStarts_.push_back(written_);
  std::string line;
  AppendMove(line, run.moves.back());
  if (handle_ && Write(line) && state_.lines == State::Lines::OwnFile) {
    // The journal written anew is in place, on the disk, before the move it records.
    os::Flush(handle_.get());
    if (Publish()) {
      state_.stale = false;
    } else {
      DropRunFile();
    }
  }
}

void Journal::Landed() {
  if (!armed() || landed() || run_.moves.empty()) return;
  // From now on this run is the newest, in memory and, where it can be, in the file.
  if (handle_ && state_.lines == State::Lines::OwnFile) {
    if (Publish()) state_.stale = false;
    else DropRunFile();
  }
  if (!handle_) state_.stale = true;
  if (handle_ && appending()) ++fileBlocks_;
  if (handle_ && !appending()) {
    fileBlocks_ = std::min(runs_.size(), kRuns - 1) + 1;
    fileMarks_ = 0;
  }
  state_.run = State::Run::Landed;
  if (run_.time.empty()) run_.time = Now();
  AddRun(std::move(run_));
  run_ = JournalRun{};
}

void Journal::EndRun() {
  if (!armed()) return;
  const bool landed = this->landed();
  state_.run = State::Run::None;
  if (!landed) {
    // Nothing moved: the journal stays as it was.
    DropRunFile();
    run_ = JournalRun{};
    return;
  }
  runs_.back().complete = true;
  if (handle_) {
    Write(kEnd);
    handle_.reset();
    if (!state_.stale) Written();
  }
}

void Journal::Rollback(std::size_t mark) {
  if (!armed()) return;
  JournalRun& run = Current();
  if (mark >= run.moves.size()) return;
  if (handle_) {
    if (!os::CutAt(handle_.get(), lineStarts_[mark])) {
      Trouble(LastErrorText());
      DropRunFile();
    } else {
      written_ = lineStarts_[mark];
    }
  }
  run.moves.resize(mark);
  lineStarts_.resize(mark);
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

std::string Journal::Compact(bool withUndone) const {
  std::string text;
  for (const JournalRun& r : runs_) {
    if (r.undone && !withUndone) continue;
    AppendBlock(text, r);
  }
  // Marked after every block: a block read after a run taken back drops it.
  for (auto r = runs_.rbegin(); r != runs_.rend(); ++r) {
    if (r->undone && withUndone) text += std::string(kUndone) + std::to_string(r->number) + "\r\n";
  }
  return text;
}

void Journal::Rewrite() {
  if (file_.empty()) return;
  if (runs_.empty()) {
    // Nothing left: the journal goes, and only a plain file of ours is deleted.
    if (os::unique_file h = os::OpenPlain(file_, DELETE | FILE_READ_ATTRIBUTES)) os::DeleteByHandle(h.get());
    state_.stale = false;
    state_.legacy = false;
    Written();
    fileBlocks_ = fileMarks_ = 0;
    return;
  }
  state_.stale = false;
  const std::string text = Compact(true);
  if (!OpenNew() || !WriteBytes(text)) return;
  if (!Publish()) {
    os::DeleteByHandle(handle_.get());
    handle_.reset();
    return;
  }
  handle_.reset();
  Written();
  fileBlocks_ = runs_.size();
  fileMarks_ = 0;
}

void Journal::AppendLine(std::string_view line) {
  if (file_.empty()) return;
  if (OpenAppend()) {
    const bool ok = Write(line);
    handle_.reset();
    if (ok) {
      Written();
      ++fileMarks_;
      return;
    }
  }
  Rewrite();
}

void Journal::Undone(const std::vector<Move>& left, const std::vector<Move>& done) {
  Settle(UndoIndex(), true, left, done);
}

void Journal::Redone(const std::vector<Move>& left, const std::vector<Move>& done) {
  Settle(RedoIndex(), false, left, done);
}

void Journal::Settle(std::ptrdiff_t i, bool undone, const std::vector<Move>& left, const std::vector<Move>& done) {
  if (i < 0 || armed()) return;
  JournalRun& run = runs_[i];
  Check(run);
  if (left.empty() && done.size() == run.moves.size()) {
    run.undone = undone;
    AppendLine(std::string(undone ? kUndone : kRedone) + std::to_string(run.number));
    return;
  }
  // Split: what is left keeps its state, what moved takes the new one. Taken back, it goes
  // after the run (the next to make again); made again, before it (the next to take back).
  JournalRun moved = run;
  moved.moves = done;
  moved.undone = undone;
  moved.number = nextNumber_++;
  run.moves = left;
  if (!done.empty()) {
    runs_.insert(runs_.begin() + (undone ? i + 1 : i), std::move(moved));
    if (!undone) ++i;
  }
  if (left.empty()) runs_.erase(runs_.begin() + i);
  CutOldest(runs_);
  Rewrite();
}

}  // namespace disk
