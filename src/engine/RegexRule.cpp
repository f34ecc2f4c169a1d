#include "engine/RegexRule.h"

#include <windows.h>

#include <cstddef>
#include <iterator>
#include <regex>

#include "text/StringEx.h"
#include "text/sjis.h"

namespace {

// The matcher backtracks (an expression such as "(a*)*b" takes exponential time) and
// recurses once per step, so it runs on a thread with a deep stack, over an iterator that
// counts its steps and gives up beyond a bound.
constexpr std::size_t kStepsPerName = 2'000'000;
constexpr ULONGLONG kPreviewMs = 10'000;
constexpr SIZE_T kStackBytes = 64u << 20;

struct TooLong {};

// How deep the matcher thread's stack may go: its reservation's end, with room to spare.
thread_local const char* stackFloor = nullptr;

class CountedChars {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = wchar_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const wchar_t*;
  using reference = const wchar_t&;

  CountedChars() = default;
  CountedChars(const wchar_t* at, std::size_t* left) : at_(at), left_(left) {}
  // The matcher copies its position at every group and repetition, also where it reads no
  // character: copies count as steps too.
  CountedChars(const CountedChars& o) : at_(o.at_), left_(o.left_) { Step(); }
  CountedChars& operator=(const CountedChars& o) {
    at_ = o.at_;
    left_ = o.left_;
    Step();
    return *this;
  }

  reference operator*() const {
    Step();
    return *at_;
  }
  CountedChars& operator++() {
    Step();
    ++at_;
    return *this;
  }
  CountedChars operator++(int) {
    CountedChars was = *this;
    ++*this;
    return was;
  }
  CountedChars& operator--() {
    Step();
    --at_;
    return *this;
  }
  CountedChars operator--(int) {
    CountedChars was = *this;
    --*this;
    return was;
  }
  friend bool operator==(const CountedChars& a, const CountedChars& b) { return a.at_ == b.at_; }
  friend bool operator!=(const CountedChars& a, const CountedChars& b) { return a.at_ != b.at_; }

 private:
  void Step() const {
    if (!left_) return;
    const char here = 0;
    if (*left_ == 0 || &here < stackFloor) throw TooLong{};
    --*left_;
  }
  const wchar_t* at_ = nullptr;
  std::size_t* left_ = nullptr;
};

struct Job {
  RenameList& list;
  const RegexInputs& in;
  bool ok = false;
};

bool Run(Job& job) {
  std::wstring search, replacement;
  if (!sjis::ToWide(job.in.search, search) || search.size() > kMaxRegexLength) return false;
  if (!sjis::ToWide(job.in.replacement, replacement) && !job.in.replacement.empty()) return false;
  std::wregex expression;
  try {
    expression.assign(search, std::regex_constants::ECMAScript);
  } catch (const std::exception&) {
    return false;
  }
  const ULONGLONG start = GetTickCount64();
  std::wstring name, result;
  std::string narrow;
  for (std::size_t i = 0; i < job.list.size(); ++i) {
    RenameEntry& row = job.list[i];
    const std::string_view base = row.BaseName();
    // A name read from the disk always converts; one that doesn't is left as it is.
    if (!sjis::ToWide(base, name)) {
      row.newName.assign(base);
      continue;
    }
    std::size_t left = kStepsPerName;
    result.clear();
    try {
      std::regex_replace(std::back_inserter(result), CountedChars(name.data(), &left),
                         CountedChars(name.data() + name.size(), &left), expression, replacement);
    } catch (const TooLong&) {
      return false;
    } catch (const std::exception&) {
      return false;
    }
    if (sjis::FromWide(result, narrow)) {
      row.newName = job.in.trim ? TrimWide(std::string_view(narrow)) : narrow;
    } else {
      row.newName.assign(base);
      job.list.SetMark(i, RuleMark::NotShiftJis);
    }
    if (GetTickCount64() - start > kPreviewMs) return false;
  }
  return true;
}

DWORD WINAPI RunThread(void* p) {
  MEMORY_BASIC_INFORMATION stack{};
  VirtualQuery(&stack, &stack, sizeof stack);
  stackFloor = static_cast<const char*>(stack.AllocationBase) + (4u << 20);
  Job& job = *static_cast<Job*>(p);
  try {
    job.ok = Run(job);
  } catch (...) {
    job.ok = false;
  }
  return 0;
}

}  // namespace

bool PreviewRegexReplace(RenameList& list, const RegexInputs& in) {
  list.ClearMarks();
  // An empty search matches nothing, as in the plain replace.
  if (in.search.empty()) {
    for (RenameEntry& row : list) row.newName.assign(row.BaseName());
    return true;
  }
  Job job{list, in};
  HANDLE thread = CreateThread(nullptr, kStackBytes, RunThread, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  if (!thread || !job.ok) {
    // Nothing of a failed expression stays: every row keeps its name.
    list.ClearMarks();
    for (RenameEntry& row : list) row.newName.assign(row.BaseName());
    return false;
  }
  return true;
}
