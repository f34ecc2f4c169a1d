// The record of the last run's moves, so that it can be taken back, also after a restart or
// a crash: a Shift_JIS text file (a header line with the time, "old path<TAB>new path" for
// each move, written before the move, and an end line), kept in memory as well for when the
// file can't be written.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

struct Move {
  std::string from, to;  // full CP932 paths
};

class Journal {
 public:
  // file: where the journal is kept; empty keeps it in memory only.
  explicit Journal(std::wstring file = {});
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // A run begins: its first move replaces the journal, so a run that moves nothing keeps
  // the last one that did.
  void BeginRun();
  // Written (and in memory) before the move is made.
  void Record(std::string_view from, std::string_view to);
  // The run is over, finished or stopped.
  void EndRun();
  // Where this run's record stands; Rollback(mark) takes out the moves recorded after it,
  // which were not made after all (or were made and taken back), so that the record holds
  // only what happened.
  std::size_t Mark() const { return armed_ && started_ ? moves_.size() : 0; }
  void Rollback(std::size_t mark);

  // Whether there is a journal to take back: this session's, or one left in the file.
  bool Available() const;
  // Its moves in the order they were made; complete says whether the end line was reached.
  // Lines that can't be a move of ours (no tab, a path that isn't full, two folders, a last
  // line cut off before its line end) are left out.
  std::vector<Move> Moves(bool* complete = nullptr) const;
  // Gone: after its moves were taken back.
  void Discard();
  // Only the first n moves are left: an undo stopped after taking back the others.
  void Keep(std::size_t n);

  // Parses a journal file's bytes; exposed for the tests of cut and odd files.
  static std::vector<Move> Parse(std::string_view text, bool* complete);

 private:
  void Write(std::string_view line);
  void DropFile();

  std::wstring file_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool armed_ = false, started_ = false, ended_ = false;
  bool memoryHolds_ = false;  // this session's journal is in moves_
  std::vector<Move> moves_;
  // The file's length before each of this run's move lines, and after the last line.
  std::vector<DWORD> lineStarts_;
  DWORD written_ = 0;
};
