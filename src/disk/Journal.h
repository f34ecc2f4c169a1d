// The record of the last runs' moves, so that they can be taken back and made again, also
// after a restart or a crash: a text file of run blocks, oldest first. A block is a header line
// (time, kind, number), one "old path<TAB>new path<TAB>id" line per move, written before the
// move, and an end line; "元に戻しました<TAB>#n" and "やり直しました<TAB>#n" lines note that run n
// was taken back or made again. The file is UTF-8, its names WTF-8 (a lone surrogate, which a
// name may hold, as its own three bytes), and its header lines say so ("Kinoha 2 ..."); a
// journal of earlier versions, Shift_JIS throughout, is still read, and written anew in UTF-8
// the first time anything is written to it. A new block drops the runs taken back before it
// (what could be made again), as in any editor. The id is the identity of the file that moved
// (its volume's serial and its index there): the undo and the redo move only that very file,
// so the journal is a record of the program's own work, never a list of commands.
//
// The file is appended to while it is a plain file of ours that the session read; otherwise
// (none yet, more than kRuns blocks, a run split by an undo that only partly succeeded) the
// runs are written compactly to a file of their own, made new beside the journal, which
// replaces it: a run's with its first move line, flushed, before that move is made, so a
// crash at any point finds the move in the journal; a run that moves nothing writes the
// journal back as it was. The journal is never written, replaced or deleted through anything
// but a plain file: where it can't be one (a link, a folder, a full disk, a read-only folder)
// the session's runs stay in memory and TakeProblem() says why, once.
//
// One window at a time writes the journal or moves files through it: Take() holds it (a named
// mutex of the journal's path, let go by the system when a holder dies) for a run, an undo, a
// redo or a clean-up, reads the file again, adopts a run that a crash left in a file of its
// own beside it, and keeps a damaged journal aside as "<journal>.bad".
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "os/FileSystem.h"
#include "os/Handle.h"
#include "os/OwnFile.h"

namespace disk {

struct Move {
  std::wstring from, to;  // full paths
  fs::FileId id;         // the file that landed at `to`; not valid when the line had none
  // False for a line that can't be a move of ours (not a full path, "." or ".." parts, two
  // folders, no identity): kept, so that the undo refuses it and says so.
  bool plausible = true;
};

enum class RunKind : std::uint8_t { Rename, Extension, CleanUp };

struct JournalRun {
  RunKind kind = RunKind::Rename;
  std::uint32_t number = 0;  // unique in its journal
  std::string time;
  bool undone = false;    // taken back: a redo makes it again
  bool complete = false;  // its end line was written
  bool checked = false;   // its lines' plausibility was judged
  std::vector<Move> moves;
  // Its move lines as read (UTF-8), while they are not yet needed as moves (a start reads ten
  // runs and takes back one).
  std::string lines;
};

class Journal {
 public:
  static constexpr std::size_t kRuns = 10;

  // file: where the journal is kept; empty keeps it in memory only. Nothing is read until the
  // journal is first asked.
  explicit Journal(std::wstring file = {});
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Holds the journal for this window; while another holds it, `wait` is called about every
  // 100 ms, and false from it gives up (false). Held, the file is read again. A journal kept in
  // memory only is always had.
  bool Take(const std::function<bool()>& wait = {});
  void Release();
  // Take() and Release() for one scope; ok() says whether it was had.
  class Hold {
   public:
    Hold(Journal& journal, const std::function<bool()>& wait = {}) : journal_(journal), ok_(journal.Take(wait)) {}
    ~Hold() {
      if (ok_) journal_.Release();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    bool ok() const { return ok_; }

   private:
    Journal& journal_;
    bool ok_;
  };
  // Where a damaged journal was put aside; empty when none was, or once it was taken: the
  // user is told once.
  std::wstring TakeSetAside();

  // A run begins.
  void BeginRun(RunKind kind = RunKind::Rename);
  // A move about to be made, with the identity of the file that moves: written before the move.
  void Record(std::wstring_view from, std::wstring_view to, const fs::FileId& id);
  // The moves recorded so far landed; the first landing makes the run the newest one.
  void Landed();
  // The run is over, finished or stopped.
  void EndRun();
  // Where this run's record stands; Rollback(mark) takes out the moves recorded after it,
  // which were not made after all (or were made and taken back), so that the record holds
  // only what happened.
  std::size_t Mark() const;
  void Rollback(std::size_t mark);

  // Whether there is a run to take back: this session's, or one left in the file (read again
  // when another copy of the program changed it).
  bool Available();
  // Whether there is a run taken back to make again.
  bool CanRedo();
  // The moves of the run an undo takes back, in the order they were made; complete says
  // whether its end line was reached. A last line cut off before its line end is left out.
  std::vector<Move> Moves(bool* complete = nullptr);
  // The moves of the run a redo makes again, in the order they were made.
  std::vector<Move> RedoMoves();
  // After an undo of Moves(): `left` are the moves it could not take back or did not reach
  // (kept for a second undo), `done` those it took back (for a redo).
  void Undone(const std::vector<Move>& left, const std::vector<Move>& done);
  // After a redo of RedoMoves(): `left` not made again (for a second redo), `done` made again.
  void Redone(const std::vector<Move>& left, const std::vector<Move>& done);
  // Why the journal is kept in memory only; empty when it isn't, or once it was taken: the
  // user is told once.
  std::wstring TakeProblem();

  // What a journal file's bytes hold: its runs, oldest first, at most kRuns; the length of its
  // whole lines; the number of run blocks and of state lines in it; whether it is a journal of
  // earlier versions (Shift_JIS).
  struct Parsed {
    std::vector<JournalRun> runs;
    std::size_t end = 0, blocks = 0, marks = 0;
    bool legacy = false;
  };
  // With `lazy` each run's move lines are kept as read, to be parsed when asked (not those of
  // a Shift_JIS journal: they are parsed at once).
  static Parsed ParseRuns(std::string_view text, bool lazy = false);

 private:
  // The journal file as read: its stamp, what it holds, the length appending may go on from
  // (none, all ones, unless the file read ends in a whole line), and whether it is no journal
  // of ours (too big, unreadable, or another file: read as empty).
  struct Loaded {
    os::FileStamp stamp;
    Parsed parsed;
    std::uint64_t cleanEnd = 0;
    bool damaged = false;
  };
  static Loaded Read(const std::wstring& file);
  void Refresh();
  void Load();
  // Under the hold: a damaged journal goes aside, and runs a crash left beside it come in.
  void SetAside();
  void AdoptLeftovers();
  bool OpenRunFile();
  bool OpenAppend();
  bool OpenNew();
  bool Write(std::string_view line);
  bool WriteBytes(std::string_view bytes);
  // This run's lines leave the file: cut off where it was appended, or its own file deleted.
  void DropRunFile();
  // The run's own file becomes the journal; false when the journal's entry is no plain file.
  bool Publish();
  // The whole journal written anew, or the line appended; on failure the runs stay in memory.
  void Rewrite();
  void AppendLine(std::string_view line);
  void Written();
  void Trouble(const std::wstring& why);
  void AddRun(JournalRun run);
  std::string Compact(bool withUndone) const;
  // Run i was taken back (undone) or made again, wholly or in part (then split in two).
  void Settle(std::ptrdiff_t i, bool undone, const std::vector<Move>& left, const std::vector<Move>& done);
  std::ptrdiff_t UndoIndex() const;
  std::ptrdiff_t RedoIndex() const;
  JournalRun& Current() { return landed() ? runs_.back() : run_; }
  const JournalRun& Current() const { return landed() ? runs_.back() : run_; }

  // Where the journal stands, all in one place.
  struct State {
    // The run under way: none, its moves recorded while none has landed, or landed (it is then
    // the newest run, runs_.back()).
    enum class Run : std::uint8_t { None, Recording, Landed };
    // Where its lines go while handle_ is open: in a file of their own beside the journal, not
    // yet moved over it; appended to the journal itself; or in their own file, moved over it.
    enum class Lines : std::uint8_t { OwnFile, Appended, Published };
    Run run = Run::None;
    Lines lines = Lines::OwnFile;
    bool loaded = false;      // the file was read
    bool stale = false;       // the file lacks what memory holds: the next write rewrites it whole
    bool damaged = false;     // the file read is no journal of ours
    bool legacy = false;      // the file read is Shift_JIS: never appended to
    bool fileFailed = false;  // this run's lines could not be written: they stay in memory
  };
  bool armed() const { return state_.run != State::Run::None; }
  bool landed() const { return state_.run == State::Run::Landed; }
  bool appending() const { return state_.lines == State::Lines::Appended; }
  bool published() const { return state_.lines == State::Lines::Published; }

  std::wstring file_;
  std::vector<JournalRun> runs_;  // oldest first; the ones taken back last
  std::uint32_t nextNumber_ = 1;
  State state_;
  os::FileStamp known_;  // the file as this session last read or wrote it
  std::uint64_t cleanEnd_ = 0;     // the length of its whole lines
  std::size_t fileBlocks_ = 0, fileMarks_ = 0;

  // The run under way.
  os::unique_file handle_;  // where its lines go, while they are written
  JournalRun run_;
  std::uint64_t runStart_ = 0, written_ = 0;
  std::vector<std::uint64_t> lineStarts_;  // the file's length before each of its move lines

  std::wstring problem_;
  bool told_ = false;

  os::unique_handle mutex_;
  int holds_ = 0;
  std::wstring setAside_;
};

}  // namespace disk
