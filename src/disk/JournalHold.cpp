// One window at a time: the hold on the journal, and what is set right under it (a damaged
// journal kept aside, a run a crash left beside the journal taken in).
#include <algorithm>
#include <utility>
#include <vector>

#include "disk/Journal.h"
#include "disk/JournalLines.h"
#include "os/OwnFile.h"

namespace disk {

using namespace journal_lines;

bool Journal::Take(const std::function<bool()>& wait) {
  if (file_.empty()) return true;
  if (holds_ > 0) {
    ++holds_;
    return true;
  }
  if (!mutex_) mutex_ = os::FileMutex(file_, L"Kinoha-journal");
  if (mutex_) {
    for (DWORD timeout = 0;; timeout = 100) {
      // A holder that died let it go: what it wrote was written before each of its moves.
      const os::MutexWait r = os::WaitForMutex(mutex_.get(), timeout);
      if (r == os::MutexWait::Had) break;
      if (r == os::MutexWait::Failed) {
        mutex_.reset();
        break;
      }
      if (!wait || !wait()) return false;
    }
  }
  holds_ = 1;
  // Another window may have written it since this one read it (its length or time tells: a
  // journal of ten big runs takes a quarter of a second to read); runs only memory holds stay.
  Refresh();
  if (state_.damaged) SetAside();
  AdoptLeftovers();
  return true;
}

void Journal::Release() {
  if (holds_ == 0 || --holds_ > 0) return;
  if (mutex_) os::ReleaseHeldMutex(mutex_.get());
}

std::wstring Journal::TakeSetAside() { return std::exchange(setAside_, std::wstring()); }

void Journal::SetAside() {
  os::unique_file h = os::OpenPlain(file_, DELETE | FILE_READ_ATTRIBUTES);
  if (!h) return;
  // Never over an older one: the first free of .bad, .bad2, .bad3, ...
  for (int n = 1; n < 100; ++n) {
    std::wstring aside = file_ + L".bad" + (n > 1 ? std::to_wstring(n) : std::wstring());
    const DWORD error = os::RenameHandle(h.get(), aside, false);
    if (error == 0) {
      setAside_ = aside;
      state_.damaged = false;
      h.reset();
      Load();
      return;
    }
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
  }
  // It stays where it is, unread and unwritten: the runs of this session stay in memory.
  Trouble(L"記録が壊れています");
}

void Journal::AdoptLeftovers() {
  if (state_.stale || armed()) return;
  const std::vector<std::wstring> names = os::FilesMatching(file_ + L".*.tmp");
  if (names.empty()) return;
  const std::wstring folder = file_.substr(0, file_.find_last_of(L"\\/") + 1);
  bool adopted = false;
  for (const std::wstring& name : names) {
    // Nobody else writes one while this window holds the journal: each is a leftover.
    const std::wstring path = folder + name;
    os::unique_file h = os::OpenPlain(path, GENERIC_READ | DELETE);
    if (!h) continue;
    std::string text;
    // Not one of ours: left where it is.
    if (!os::ReadWhole(h.get(), text, kMaxFile)) continue;
    const std::string_view bytes = text;
    if (!bytes.starts_with(kUtf8Words.header) && !bytes.starts_with(kShiftJisWords.header)) continue;
    std::vector<JournalRun> runs = ParseRuns(text).runs;
    // Its last run is the one it was made for; those before it came from the journal.
    if (!runs.empty() && !runs.back().undone) {
      JournalRun& run = runs.back();
      Check(run);
      const bool known = std::any_of(runs_.begin(), runs_.end(), [&](const JournalRun& r) {
        return r.number == run.number && r.time == run.time && r.kind == run.kind;
      });
      if (!known && !run.moves.empty()) {
        run.number = nextNumber_++;
        AddRun(std::move(run));
        adopted = true;
      }
    }
    os::DeleteByHandle(h.get());
  }
  if (adopted) Rewrite();
}

}  // namespace disk
