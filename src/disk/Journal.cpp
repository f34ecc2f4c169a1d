#include "disk/Journal.h"

#include <cstdio>
#include <utility>

#include "text/sjis.h"

namespace {

constexpr std::string_view kHeader = "Kinoha リネーム記録 ";
constexpr std::string_view kEnd = "完了";
// More than the moves of any run of the program; a bigger file isn't one of ours.
constexpr DWORD kMaxFile = 256u << 20;

// A full path the platform reads as exactly itself: a drive or a share, no "." or ".." parts,
// no "/", no trailing dots or blanks, no device name, not the "\\?\" or "\\.\" forms (which
// skip that reading). A relative path would resolve against whatever folder is current.
bool CanonicalPath(std::string_view p) {
  const bool drive = p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
                     p[1] == ':' && p[2] == '\\';
  const bool share = p.size() >= 3 && p[0] == '\\' && p[1] == '\\' && p[2] != '?' && p[2] != '.';
  return (drive || share) && fs::FullPath(p) == p;
}

bool PlausibleMove(std::string_view from, std::string_view to) {
  return CanonicalPath(from) && CanonicalPath(to) && sjis::FolderPart(from) == sjis::FolderPart(to) &&
         !sjis::FileName(from).empty() && !sjis::FileName(to).empty();
}

std::string IdText(const fs::FileId& id) {
  char text[32];
  std::snprintf(text, sizeof text, "%08lX:%016llX", static_cast<unsigned long>(id.volume),
                static_cast<unsigned long long>(id.index));
  return text;
}

bool ParseId(std::string_view text, fs::FileId& id) {
  if (text.size() != 25 || text[8] != ':') return false;
  std::uint64_t parts[2] = {0, 0};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == 8) continue;
    const char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    std::uint64_t& part = parts[i < 8 ? 0 : 1];
    part = part << 4 | d;
  }
  id.volume = static_cast<std::uint32_t>(parts[0]);
  id.index = parts[1];
  return id.valid();
}

std::wstring LastErrorText() { return os::ErrorText(GetLastError()); }

// Opens the journal's entry for `access` without following a reparse point, only where it is
// a plain file: a link, a folder, or an empty entry (a pipe's open would wait for a writer; no
// journal of ours is empty) is never opened for real.
HANDLE OpenPlain(const std::wstring& path, DWORD access) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return INVALID_HANDLE_VALUE;
  if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) ||
      (data.nFileSizeLow == 0 && data.nFileSizeHigh == 0)) {
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE && !os::IsPlainFileAt(h, path)) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

Journal::Journal(std::wstring file) : file_(std::move(file)) {}

Journal::~Journal() { DropRunFile(); }

void Journal::Trouble(const std::wstring& why) {
  fileFailed_ = true;
  if (problem_.empty()) problem_ = why;
}

std::wstring Journal::TakeProblem() {
  if (told_ || problem_.empty()) return {};
  told_ = true;
  return problem_;
}

void Journal::BeginRun() {
  armed_ = true;
  landed_ = false;
  fileFailed_ = false;
  run_.clear();
  lineStarts_.clear();
  written_ = 0;
}

// A file of this run's own, made new (never an entry that exists) beside the journal.
bool Journal::OpenRunFile() {
  if (file_.empty()) return false;
  static unsigned counter = 0;
  for (int tries = 0; tries < 100; ++tries) {
    wchar_t suffix[48];
    std::swprintf(suffix, 48, L".%lx-%u.tmp", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
    handle_ = CreateFileW((file_ + suffix).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ != INVALID_HANDLE_VALUE) return true;
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  Trouble(LastErrorText());
  return false;
}

void Journal::Write(std::string_view line) {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  // One call per line: a crash leaves a line whole or without its line end.
  std::string bytes(line);
  bytes += "\r\n";
  DWORD written = 0;
  if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    // The file no longer follows the moves: it is no record of this run, nor of an earlier one.
    Trouble(LastErrorText());
    DropRunFile();
    return;
  }
  written_ += written;
}

void Journal::DropRunFile() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  os::DeleteByHandle(handle_);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

bool Journal::Publish() {
  // The entry the journal replaces must be a plain file (or nothing): never a link, a
  // folder or anything else that a replace would go through or destroy.
  if (Exists(file_)) {
    HANDLE old = OpenPlain(file_, DELETE | FILE_READ_ATTRIBUTES);
    if (old == INVALID_HANDLE_VALUE) {
      Trouble(L"普通のファイルではありません");
      return false;
    }
    CloseHandle(old);
  }
  if (const DWORD error = os::RenameHandle(handle_, file_, true)) {
    Trouble(os::ErrorText(error));
    return false;
  }
  return true;
}

void Journal::Record(std::string_view from, std::string_view to, const fs::FileId& id) {
  if (!armed_) return;
  if (run_.empty() && handle_ == INVALID_HANDLE_VALUE && !fileFailed_ && !landed_ && OpenRunFile()) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    Write(std::string(kHeader) + stamp);
  }
  run_.push_back(Move{std::string(from), std::string(to), id});
  lineStarts_.push_back(written_);
  std::string line(from);
  line += '\t';
  line += to;
  line += '\t';
  line += IdText(id);
  Write(line);
}

void Journal::Landed() {
  if (!armed_ || landed_ || run_.empty()) return;
  landed_ = true;
  // From now on this run is the journal, in memory and, where it can be, in the file.
  if (handle_ != INVALID_HANDLE_VALUE && !Publish()) DropRunFile();
  memoryHolds_ = true;
  ended_ = false;
}

void Journal::EndRun() {
  if (!armed_) return;
  armed_ = false;
  if (!landed_) {
    // Nothing moved: the last journal stays as it was.
    DropRunFile();
    run_.clear();
    return;
  }
  Write(kEnd);
  ended_ = true;
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  moves_ = std::move(run_);
  run_.clear();
}

void Journal::Rollback(std::size_t mark) {
  if (!armed_ || mark >= run_.size()) return;
  if (handle_ != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER at;
    at.QuadPart = lineStarts_[mark];
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) {
      Trouble(LastErrorText());
      DropRunFile();
    } else {
      written_ = lineStarts_[mark];
    }
  }
  run_.resize(mark);
  lineStarts_.resize(mark);
}

bool Journal::Available() const {
  if (memoryHolds_ || (armed_ && landed_)) return true;
  if (file_.empty()) return false;
  HANDLE h = OpenPlain(file_, FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::vector<Move> Journal::Moves(bool* complete) const {
  if (memoryHolds_) {
    if (complete) *complete = ended_;
    return moves_;
  }
  if (complete) *complete = false;
  if (file_.empty()) return {};
  HANDLE h = OpenPlain(file_, GENERIC_READ);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text;
  DWORD size = GetFileSize(h, nullptr);
  if (size != INVALID_FILE_SIZE && size <= kMaxFile) {
    text.resize(size);
    DWORD got = 0;
    if (!ReadFile(h, text.data(), size, &got, nullptr)) got = 0;
    text.resize(got);
  }
  CloseHandle(h);
  return Parse(text, complete);
}

std::vector<Move> Journal::Parse(std::string_view text, bool* complete) {
  std::vector<Move> moves;
  bool ended = false, first = true;
  std::size_t start = 0;
  for (;;) {
    std::size_t eol = text.find('\n', start);
    // A line without its line end was cut off while it was written: its move never began.
    if (eol == std::string_view::npos) break;
    std::string_view line = text.substr(start, eol - start);
    start = eol + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      first = false;
      if (!line.starts_with(kHeader)) break;  // not a journal of ours
      continue;
    }
    if (line == kEnd) {
      ended = true;
      break;
    }
    if (line.empty()) continue;
    // A tab is never part of a CP932 double-byte character, nor of a name the program moves.
    Move m;
    const std::size_t tab = line.find('\t');
    const std::size_t tab2 = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
    m.from = std::string(line.substr(0, tab));
    if (tab != std::string_view::npos) m.to = std::string(line.substr(tab + 1, tab2 - tab - 1));
    const bool hasId = tab2 != std::string_view::npos && ParseId(line.substr(tab2 + 1), m.id);
    m.plausible = hasId && PlausibleMove(m.from, m.to);
    moves.push_back(std::move(m));
  }
  if (complete) *complete = ended;
  return moves;
}

void Journal::Discard() {
  moves_.clear();
  memoryHolds_ = false;
  ended_ = false;
  if (file_.empty()) return;
  // Only a plain file is ours to delete: never what a link points to.
  HANDLE h = OpenPlain(file_, DELETE | FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return;
  os::DeleteByHandle(h);
  CloseHandle(h);
}

void Journal::Keep(const std::vector<Move>& moves) {
  if (moves.empty()) {
    Discard();
    return;
  }
  // The kept moves as a journal of their own, which replaces the old one as a run's would.
  BeginRun();
  for (const Move& m : moves) {
    Record(m.from, m.to, m.id);
    // A line that was no move of ours stays as it was read, to be refused again.
    if (!m.plausible) run_.back().plausible = false;
  }
  Landed();
  EndRun();
}
