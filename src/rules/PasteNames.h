// Names pasted onto the list: text as a spreadsheet or an editor copies it, read as the new
// names of rows. Pure: it reads the rows and the text and decides nothing on the disk.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rules/RenameList.h"

namespace rules {

// A pasted line's new name for a row: the whole file name, with its extension.
struct PastedName {
  std::size_t row = 0;
  std::wstring name;
};

// Why a line gave no name; each with the line's number (from 1).
struct PasteProblems {
  std::vector<std::size_t> unknown;     // two columns: the old name is no row's
  std::vector<std::size_t> ambiguous;   // two columns: the old name is two rows' (a.jpg, a.txt)
  std::vector<std::size_t> repeated;    // two columns: a row named by an earlier line already
  std::vector<std::size_t> badName;     // a name no file can bear (BadNewName)
  std::vector<std::size_t> tooLong;     // longer than kMaxPastedName
  std::size_t Count() const {
    return unknown.size() + ambiguous.size() + repeated.size() + badName.size() + tooLong.size();
  }
};

// Longer than any volume holds in one name: such a line is refused, not cut.
constexpr std::size_t kMaxPastedName = 255;

struct PasteResult {
  // Every line has a tab (old name, new name: what 名前をコピー gives); else one name a line.
  bool twoColumns = false;
  // Some lines have a tab and some don't: nothing is taken, as neither reading is sure.
  bool mixed = false;
  std::size_t lines = 0;  // the lines read, blank ones at the end left out
  // One name a line: the rows from `first` on in the list's order take the lines in turn; a
  // count that differs from the lines is asked about before anything changes.
  std::size_t first = 0, rows = 0;
  std::vector<PastedName> names;  // in the rows' order for one name a line, else the lines'
  PasteProblems problems;
};

// Reads `text` (lines ended by CRLF, LF or CR) against the rows. One name a line starts at the
// first selected row when two or more are selected, else at row 0, and a blank line leaves its
// row as it is. Two columns find each row by its old name, with or without its extension. A
// line's new name that ends in the row's own extension (in any letter case) is the whole new
// name; any other gets the row's extension added, so a list of titles keeps every file's type.
// Folder rows have no extension. Blanks at both ends of a name are dropped.
PasteResult MapPastedNames(const RenameList& list, std::wstring_view text);

// The selected rows (every row when none is) as "old<TAB>new" lines ended by CRLF, each name
// whole with its extension, the new one as the preview shows it (the old one without a
// preview): what a spreadsheet takes and MapPastedNames reads back.
std::wstring CopiedNames(const RenameList& list);

}  // namespace rules
