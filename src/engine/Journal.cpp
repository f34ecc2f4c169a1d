#include "engine/Journal.h"

#include <cstdio>

#include "text/sjis.h"

namespace {

constexpr std::string_view kHeader = "Kinoha リネーム記録 ";
constexpr std::string_view kEnd = "完了";
// More than the moves of any run of the program; a bigger file isn't one of ours.
constexpr DWORD kMaxFile = 256u << 20;

// "C:\..." or "\\server\...": a relative path would resolve against whatever folder is current.
bool FullPath(std::string_view p) {
  bool drive = p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':' &&
               p[2] == '\\';
  return drive || (p.size() >= 3 && p[0] == '\\' && p[1] == '\\');
}

bool PlausibleMove(std::string_view from, std::string_view to) {
  return FullPath(from) && FullPath(to) && sjis::FolderPart(from) == sjis::FolderPart(to) &&
         !sjis::FileName(from).empty() && !sjis::FileName(to).empty();
}

}  // namespace

Journal::Journal(std::wstring file) : file_(std::move(file)) {}

Journal::~Journal() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

void Journal::BeginRun() {
  armed_ = true;
  started_ = ended_ = false;
}

void Journal::Write(std::string_view line) {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  // One call per line: a crash leaves a line whole or without its line end.
  std::string bytes(line);
  bytes += "\r\n";
  DWORD written = 0;
  if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    DropFile();
    return;
  }
  written_ += written;
}

// The file no longer follows the moves: it is no record of this run, nor of an earlier one.
void Journal::DropFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  if (file_.empty()) return;
  const DWORD attributes = GetFileAttributesW(file_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(file_.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  DeleteFileW(file_.c_str());
}

void Journal::Record(std::string_view from, std::string_view to) {
  if (!armed_) return;
  if (!started_) {
    started_ = true;
    memoryHolds_ = true;
    moves_.clear();
    lineStarts_.clear();
    written_ = 0;
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!file_.empty()) {
      auto create = [&] {
        return CreateFileW(file_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      };
      handle_ = create();
      // An earlier run's journal that can't be replaced (read-only) must not stand for this
      // run: it goes, and the file is made once more.
      if (handle_ == INVALID_HANDLE_VALUE) {
        DropFile();
        handle_ = create();
      }
    }
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u/%02u/%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    Write(std::string(kHeader) + stamp);
  }
  moves_.push_back(Move{std::string(from), std::string(to)});
  lineStarts_.push_back(written_);
  std::string line(from);
  line += '\t';
  line += to;
  Write(line);
}

void Journal::EndRun() {
  if (armed_ && started_) {
    Write(kEnd);
    ended_ = true;
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  armed_ = false;
}

void Journal::Rollback(std::size_t mark) {
  if (!armed_ || !started_ || mark >= moves_.size()) return;
  if (handle_ != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER at;
    at.QuadPart = lineStarts_[mark];
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) {
      DropFile();
    } else {
      written_ = lineStarts_[mark];
    }
  }
  moves_.resize(mark);
  lineStarts_.resize(mark);
}

bool Journal::Available() const {
  if (memoryHolds_) return true;
  if (file_.empty()) return false;
  const DWORD attributes = GetFileAttributesW(file_.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<Move> Journal::Moves(bool* complete) const {
  if (memoryHolds_) {
    if (complete) *complete = ended_ || !started_;
    return moves_;
  }
  if (complete) *complete = false;
  if (file_.empty()) return {};
  HANDLE h = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    // A tab is never part of a CP932 double-byte character, nor of a name the program moves.
    std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos) continue;
    std::string_view from = line.substr(0, tab), to = line.substr(tab + 1);
    if (PlausibleMove(from, to)) moves.push_back(Move{std::string(from), std::string(to)});
  }
  if (complete) *complete = ended;
  return moves;
}

void Journal::Discard() {
  DropFile();
  moves_.clear();
  memoryHolds_ = false;
  armed_ = started_ = ended_ = false;
}

void Journal::Keep(std::size_t n) {
  std::vector<Move> moves = Moves();
  if (n == 0 || moves.empty()) {
    Discard();
    return;
  }
  if (n > moves.size()) n = moves.size();
  moves.resize(n);
  BeginRun();
  for (const Move& m : moves) Record(m.from, m.to);
  EndRun();
}
