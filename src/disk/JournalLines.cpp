#include "disk/JournalLines.h"

#include <algorithm>
#include <cstdio>

#include "text/sjis.h"
#include "text/utf16.h"

namespace disk {

namespace journal_lines {

// A full path the platform reads as exactly itself: a drive or a share, no "." or ".." parts,
// no "/", no trailing dots or blanks, no device name, not the "\\?\" or "\\.\" forms (which
// skip that reading). A relative path would resolve against whatever folder is current.
bool CanonicalPath(std::wstring_view p) {
  const bool drive = p.size() >= 3 && ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) &&
                     p[1] == L':' && p[2] == L'\\';
  const bool share = p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.';
  return (drive || share) && fs::FullPath(p) == p;
}

bool PlausibleMove(std::wstring_view from, std::wstring_view to) {
  return CanonicalPath(from) && CanonicalPath(to) && utf16::FolderPart(from) == utf16::FolderPart(to) &&
         !utf16::FileName(from).empty() && !utf16::FileName(to).empty();
}

bool StartsJournal(std::string_view text) {
  for (std::string_view header : {kUtf8Words.header, kShiftJisWords.header}) {
    if (text.starts_with(header.substr(0, std::min(text.size(), header.size())))) return true;
  }
  return false;
}

// "VVVVVVVV:IIIIIIIIIIIIIIII", and ":BBBBBBBBBBBBBBBB" where the file's birth is known (lines
// written before births were recorded have none, and go by the index alone).
std::string IdText(const fs::FileId& id) {
  char text[48];
  std::snprintf(text, sizeof text, "%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  std::string out(text);
  if (id.birth != 0) {
    std::snprintf(text, sizeof text, ":%016llX", static_cast<unsigned long long>(id.birth));
    out += text;
  }
  return out;
}

bool ParseId(std::string_view text, fs::FileId& id) {
  if ((text.size() != 25 && text.size() != 42) || text[8] != ':' || (text.size() == 42 && text[25] != ':')) {
    return false;
  }
  std::uint64_t parts[3] = {0, 0, 0};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 8 || i == 25) continue;
    const char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    std::uint64_t& part = parts[i < 8 ? 0 : i < 25 ? 1 : 2];
    part = part << 4 | d;
  }
  id.volume = static_cast<std::uint32_t>(parts[0]);
  id.index = parts[1];
  id.birth = parts[2];
  return id.valid();
}

std::string HeaderLine(const JournalRun& run) {
  return std::string(kHeader) + run.time + "\t" + std::string(kUtf8Words.kinds[static_cast<int>(run.kind)]) + "\t#" +
         std::to_string(run.number);
}

void AppendMove(std::string& out, const Move& m) {
  utf16::AppendWtf8(out, m.from);
  out += '\t';
  utf16::AppendWtf8(out, m.to);
  out += '\t';
  out += IdText(m.id);
}

// One path of a move line, Shift_JIS in a journal of earlier versions; false where it doesn't
// convert (out then holds what could be read, to be shown).
bool ReadPath(std::string_view bytes, bool legacy, std::wstring& out) {
  if (legacy) {
    if (sjis::ToUtf16(bytes, out)) return true;
    out = sjis::ToUtf16Lenient(bytes);
    return false;
  }
  if (utf16::FromWtf8(bytes, out)) return true;
  out = utf16::FromUtf8Leniently(bytes);
  return false;
}

// A move line; false for a line that can't be a move of ours (kept, to be refused).
Move ParseMove(std::string_view line, bool legacy) {
  // A tab is never part of a UTF-8 sequence or a CP932 double-byte character, nor of a name
  // the program moves.
  Move m;
  const std::size_t tab = line.find('\t');
  const std::size_t tab2 = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
  bool read = ReadPath(line.substr(0, tab), legacy, m.from);
  if (tab != std::string_view::npos) read = ReadPath(line.substr(tab + 1, tab2 - tab - 1), legacy, m.to) && read;
  m.plausible = read && tab2 != std::string_view::npos && ParseId(line.substr(tab2 + 1), m.id);
  return m;
}

// The moves of a run read lazily, parsed once they are needed.
void Materialize(JournalRun& run) {
  if (run.lines.empty()) return;
  const std::string_view text = run.lines;
  run.moves.reserve(run.moves.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  for (std::size_t start = 0, eol; (eol = text.find('\n', start)) != std::string_view::npos; start = eol + 1) {
    std::string_view line = text.substr(start, eol - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) run.moves.push_back(ParseMove(line, false));
  }
  std::string().swap(run.lines);
}

// A run's block as the file holds it: its header, its moves, its end line when it had one.
void AppendBlock(std::string& text, const JournalRun& r) {
  text += HeaderLine(r) + "\r\n";
  text += r.lines;
  for (const Move& m : r.moves) {
    AppendMove(text, m);
    text += "\r\n";
  }
  if (r.complete) text += std::string(kEnd) + "\r\n";
}

bool ParseNumber(std::string_view text, std::uint32_t& n) {
  if (text.empty() || text.size() > 9) return false;
  n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return n != 0;
}

// A header line: its time, and its kind and number where it names them (a journal of one run,
// as earlier versions wrote, names neither).
bool ParseHeader(std::string_view line, const Words& words, JournalRun& run) {
  if (!line.starts_with(words.header)) return false;
  line.remove_prefix(words.header.size());
  const std::size_t tab = line.find('\t');
  run.time = std::string(line.substr(0, tab));
  if (tab == std::string_view::npos) return true;
  std::string_view rest = line.substr(tab + 1);
  const std::size_t tab2 = rest.find('\t');
  const std::string_view kind = rest.substr(0, tab2);
  for (std::size_t k = 0; k < std::size(words.kinds); ++k) {
    if (kind == words.kinds[k]) run.kind = static_cast<RunKind>(k);
  }
  if (tab2 != std::string_view::npos && rest.substr(tab2 + 1).starts_with("#")) {
    ParseNumber(rest.substr(tab2 + 2), run.number);
  }
  return true;
}

void Check(JournalRun& run) {
  Materialize(run);
  if (run.checked) return;
  run.checked = true;
  for (Move& m : run.moves) m.plausible = m.plausible && m.id.valid() && PlausibleMove(m.from, m.to);
}

void CutOldest(std::vector<JournalRun>& runs) {
  if (runs.size() > Journal::kRuns) runs.erase(runs.begin(), runs.end() - Journal::kRuns);
}

}  // namespace journal_lines

using namespace journal_lines;

Journal::Parsed Journal::ParseRuns(std::string_view text, bool lazy) {
  Parsed parsed;
  // The first header tells the file's kind; a Shift_JIS journal's lines are read at once, so
  // that every run in memory is written back as UTF-8.
  parsed.legacy = text.starts_with(kShiftJisWords.header);
  const Words& words = parsed.legacy ? kShiftJisWords : kUtf8Words;
  if (parsed.legacy) lazy = false;
  std::vector<JournalRun>& runs = parsed.runs;
  // The current run's move lines, kept as read when lazy.
  std::size_t linesFrom = 0, linesTo = 0;
  auto keepLines = [&] {
    if (lazy && !runs.empty() && linesTo > linesFrom) runs.back().lines.assign(text.substr(linesFrom, linesTo - linesFrom));
    linesFrom = linesTo = 0;
  };
  bool inRun = false, first = true;
  std::uint32_t highest = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t eol = text.find('\n', start);
    // A line without its line end was cut off while it was written: its move never began.
    if (eol == std::string_view::npos) break;
    std::string_view line = text.substr(start, eol - start);
    const std::size_t at = start;
    start = eol + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    JournalRun header;
    if (line.starts_with(words.header)) keepLines();
    if (ParseHeader(line, words, header)) {
      ++parsed.blocks;
      // A new run drops what could have been made again.
      while (!runs.empty() && runs.back().undone) runs.pop_back();
      if (header.number == 0 || header.number <= highest) header.number = highest + 1;
      highest = header.number;
      runs.push_back(std::move(header));
      inRun = true;
      first = false;
      continue;
    }
    if (first) break;  // not a journal of ours
    if (line.empty()) continue;
    const bool undone = line.starts_with(words.undone), redone = line.starts_with(words.redone);
    if (undone || redone) {
      keepLines();
      ++parsed.marks;
      std::uint32_t n = 0;
      if (ParseNumber(line.substr(undone ? words.undone.size() : words.redone.size()), n)) {
        for (JournalRun& r : runs) {
          if (r.number == n) r.undone = undone;
        }
      }
      inRun = false;
      continue;
    }
    if (!inRun) continue;
    if (line == words.end) {
      keepLines();
      runs.back().complete = true;
      inRun = false;
      continue;
    }
    if (!lazy) {
      runs.back().moves.push_back(ParseMove(line, parsed.legacy));
    } else {
      if (linesTo == 0) linesFrom = at;
      linesTo = start;
    }
  }
  keepLines();
  parsed.end = first ? 0 : start;
  CutOldest(runs);
  return parsed;
}

}  // namespace disk
