// The record of the last run's moves, so that it can be taken back, also after a restart or
// a crash: a Shift_JIS text file (a header line with the time, "old path<TAB>new path<TAB>id"
// for each move, written before the move, and an end line), kept in memory as well for when
// the file can't be written. The id is the identity of the file that moved (its volume's serial
// and its index there): the undo moves only that very file back, so the journal is a record of
// the program's own work, never a list of commands.
//
// A run's record goes to a file of its own, made new beside the journal; it becomes the
// journal when the run's first move lands, so a run that moves nothing leaves the last
// journal as it was. The journal is never written, replaced or deleted through anything but a
// plain file: where it can't be one (a link, a folder, a full disk, a read-only folder) the
// session's journal stays in memory and Problem() says why.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "disk/FileSystem.h"

struct Move {
  std::string from, to;  // full CP932 paths
  fs::FileId id;         // the file that landed at `to`; not valid when the line had none
  // False for a line that can't be a move of ours (not a full path, "." or ".." parts, two
  // folders, no identity): kept, so that the undo refuses it and says so.
  bool plausible = true;
};

class Journal {
 public:
  // file: where the journal is kept; empty keeps it in memory only.
  explicit Journal(std::wstring file = {});
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // A run begins.
  void BeginRun();
  // A move about to be made, with the identity of the file that moves: written before the move.
  void Record(std::string_view from, std::string_view to, const fs::FileId& id);
  // The moves recorded so far landed; the first landing of a run makes its record the journal.
  void Landed();
  // The run is over, finished or stopped.
  void EndRun();
  // Where this run's record stands; Rollback(mark) takes out the moves recorded after it,
  // which were not made after all (or were made and taken back), so that the record holds
  // only what happened.
  std::size_t Mark() const { return armed_ ? run_.size() : 0; }
  void Rollback(std::size_t mark);

  // Whether there is a journal to take back: this session's, or one left in the file.
  bool Available() const;
  // Its moves in the order they were made; complete says whether the end line was reached.
  // A last line cut off before its line end is left out.
  std::vector<Move> Moves(bool* complete = nullptr) const;
  // Gone: after its moves were taken back.
  void Discard();
  // Only these moves are left, in the order they were made: those an undo could not take back
  // or did not reach, for a second undo.
  void Keep(const std::vector<Move>& moves);
  // Why the journal is kept in memory only; empty when it isn't, or once it was taken: the
  // user is told once.
  std::wstring TakeProblem();

  // Parses a journal file's bytes; exposed for the tests of cut and odd files.
  static std::vector<Move> Parse(std::string_view text, bool* complete);

 private:
  bool OpenRunFile();
  void Write(std::string_view line);
  // This run's file goes (it was never the journal).
  void DropRunFile();
  // The run's file becomes the journal; false when the journal's entry is no plain file.
  bool Publish();
  void Trouble(const std::wstring& why);

  std::wstring file_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;  // this run's file, while it is written
  bool armed_ = false, landed_ = false, ended_ = false;
  bool memoryHolds_ = false;  // this session's journal is in moves_
  bool fileFailed_ = false;   // this run's record could not go to the file
  std::vector<Move> moves_, run_;
  // The file's length before each of this run's move lines, and after the last line.
  std::vector<DWORD> lineStarts_;
  DWORD written_ = 0;
  std::wstring problem_;
  bool told_ = false;
};
