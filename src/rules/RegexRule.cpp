#include "rules/RegexRule.h"

#include <cstddef>
#include <iterator>
#include <regex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rules/Platform.h"
#include "text/StringEx.h"
#include "text/utf16.h"

namespace rules {

namespace {

// The matcher backtracks (an expression such as "(a*)*b" takes exponential time) and
// recurses once per step, so it runs on a thread with a deep stack, over an iterator that
// counts its steps and gives up beyond a bound. The window waits for the preview, so the
// clock is looked at every few thousand steps too, not only between names: one name's match
// may take all of its steps.
constexpr std::size_t kStepsPerName = 2'000'000;
constexpr unsigned kStepsPerLook = 4096;
constexpr std::uint64_t kPreviewMs = 1'000;
constexpr std::size_t kStackBytes = 64u << 20;
constexpr std::size_t kStackSpare = 4u << 20;  // left below the deepest step

struct TooLong {};

// How deep the matcher thread's stack may go: its reservation's end, with room to spare.
thread_local const char* stackFloor = nullptr;

// The steps left for one name and the time left for the whole preview.
class Budget {
 public:
  explicit Budget(RegexClock clock) : clock_(clock), start_(clock()) {}
  void NextName() {
    left_ = kStepsPerName;
    Look();
  }
  void Step() {
    if (left_ == 0) throw TooLong{};
    --left_;
    if (--untilLook_ == 0) Look();
  }

 private:
  void Look() {
    untilLook_ = kStepsPerLook;
    if (clock_() - start_ > kPreviewMs) throw TooLong{};
  }
  RegexClock clock_;
  std::uint64_t start_;
  std::size_t left_ = kStepsPerName;
  unsigned untilLook_ = kStepsPerLook;
};

class CountedChars {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = wchar_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const wchar_t*;
  using reference = const wchar_t&;

  CountedChars() = default;
  CountedChars(const wchar_t* at, Budget* budget) : at_(at), budget_(budget) {}
  // The matcher copies its position at every group and repetition, also where it reads no
  // character: copies count as steps too.
  CountedChars(const CountedChars& o) : at_(o.at_), budget_(o.budget_) { Step(); }
  CountedChars& operator=(const CountedChars& o) {
    at_ = o.at_;
    budget_ = o.budget_;
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
  const wchar_t* base() const { return at_; }

 private:
  void Step() const {
    if (!budget_) return;
    const char here = 0;
    if (&here < stackFloor) throw TooLong{};
    budget_->Step();
  }
  const wchar_t* at_ = nullptr;
  Budget* budget_ = nullptr;
};

using Matches = std::regex_iterator<CountedChars>;

// The group a "$" followed by digits names: two digits only where they name a group, else
// one; 0 when neither names one. `digits` counts the digits it takes.
std::size_t GroupAt(std::wstring_view text, std::size_t at, std::size_t groups, std::size_t& digits) {
  auto digit = [&](std::size_t i) -> std::size_t {
    return i < text.size() && text[i] >= L'0' && text[i] <= L'9' ? static_cast<std::size_t>(text[i] - L'0') : 10;
  };
  const std::size_t first = digit(at), second = digit(at + 1);
  if (first > 9) return 0;
  if (second <= 9 && first * 10 + second >= 1 && first * 10 + second <= groups) {
    digits = 2;
    return first * 10 + second;
  }
  digits = 1;
  return first >= 1 && first <= groups ? first : 0;
}

// Appends one match's replacement by ECMAScript's rules (GetSubstitution): "$$" is "$", "$&"
// the match, "$`" and "$'" the name before and after it, "$n" and "$nn" a group ("" when it
// took no part); anything else stays as written: "$0", a "$n" past the groups, "$<name>"
// (std::regex has no named groups) and a lone "$".
void Substitute(std::wstring& out, std::wstring_view with, std::wstring_view name, const Matches::value_type& m) {
  const std::size_t groups = m.size() - 1;
  for (std::size_t i = 0; i < with.size(); ++i) {
    const wchar_t next = i + 1 < with.size() ? with[i + 1] : L'\0';
    std::size_t digits = 0;
    if (with[i] != L'$') {
      out += with[i];
    } else if (next == L'$') {
      out += L'$';
      ++i;
    } else if (next == L'&') {
      out.append(m[0].first.base(), m[0].second.base());
      ++i;
    } else if (next == L'`') {
      out.append(name.data(), m[0].first.base());
      ++i;
    } else if (next == L'\'') {
      out.append(m[0].second.base(), name.data() + name.size());
      ++i;
    } else if (const std::size_t group = GroupAt(with, i + 1, groups, digits)) {
      if (m[group].matched) out.append(m[group].first.base(), m[group].second.base());
      i += digits;
    } else {
      out += L'$';
    }
  }
}

// What the matcher reports as a fault of the parentheses may be an unclosed "(", a ")" with
// no "(", or a repeat with nothing before it: told apart by a walk over the expression
// (outside a class, not escaped).
RegexError ParenFault(std::wstring_view s) {
  int depth = 0;
  bool inClass = false, atom = false, repeat = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const wchar_t c = s[i];
    const bool wasRepeat = repeat;
    repeat = false;
    if (c == L'\\') {
      ++i;
      atom = true;
    } else if (inClass) {
      inClass = c != L']';
    } else if (c == L'[') {
      inClass = atom = true;
    } else if (c == L'(') {
      ++depth;
      atom = false;
      if (i + 2 < s.size() && s[i + 1] == L'?') i += 2;  // (?: (?= (?!
    } else if (c == L')') {
      if (--depth < 0) return RegexError::StrayParen;
      atom = true;
    } else if (c == L'|') {
      atom = false;
    } else if (c == L'*' || c == L'+' || c == L'?') {
      if (!atom && !(c == L'?' && wasRepeat)) return RegexError::Repeat;
      atom = false;
      repeat = true;
    } else {
      atom = true;
    }
  }
  return depth > 0 ? RegexError::Paren : RegexError::Other;
}

RegexError ReasonOf(const std::regex_error& e, std::wstring_view search) {
  namespace rc = std::regex_constants;
  switch (e.code()) {
    case rc::error_paren: return ParenFault(search);
    case rc::error_brack: return RegexError::Bracket;
    case rc::error_brace: return RegexError::Brace;
    case rc::error_badbrace: return RegexError::BadBrace;
    case rc::error_range: return RegexError::Range;
    case rc::error_escape: return RegexError::Escape;
    case rc::error_backref: return RegexError::Backref;
    case rc::error_badrepeat: return RegexError::Repeat;
    case rc::error_ctype:
    case rc::error_collate: return RegexError::ClassName;
    case rc::error_complexity:
    case rc::error_stack:
    case rc::error_space: return RegexError::Complex;
    default: return RegexError::Other;
  }
}

// The matcher reads UTF-16 units, so "." would take half of a surrogate pair. Each character
// beyond U+FFFF met in the names, the search or the replacement stands in as a private-use
// unit that none of them holds while the matcher runs, and comes back after it.
class Placeholders {
 public:
  // False when there are more such characters than free private-use units.
  bool Make(const RenameList& list, std::wstring_view search, std::wstring_view replacement) {
    std::vector<bool> taken(kLast - kFirst + 1, false);
    std::vector<char32_t> codes;
    auto look = [&](std::wstring_view text) {
      for (std::size_t i = 0; i < text.size();) {
        std::size_t next;
        const char32_t c = utf16::CodeAt(text, i, next);
        if (c > 0xFFFF) {
          if (to_.emplace(c, L'\0').second) codes.push_back(c);
        } else if (c >= kFirst && c <= kLast) {
          taken[c - kFirst] = true;
        }
        i = next;
      }
    };
    look(search);
    look(replacement);
    for (const RenameEntry& row : list) look(row.BaseName());
    if (codes.empty()) return true;
    std::size_t k = 0;
    for (char32_t c : codes) {
      while (k < taken.size() && taken[k]) ++k;
      if (k == taken.size()) return false;
      const wchar_t unit = static_cast<wchar_t>(kFirst + k++);
      to_[c] = unit;
      from_.emplace(unit, c);
    }
    return true;
  }
  bool empty() const { return to_.empty(); }
  // The text with each such character as its stand-in; the text itself when there are none.
  std::wstring_view In(std::wstring_view text, std::wstring& buffer) const {
    if (to_.empty()) return text;
    bool any = false;
    for (wchar_t c : text) any = any || utf16::IsHighSurrogate(c);
    if (!any) return text;
    buffer.clear();
    for (std::size_t i = 0; i < text.size();) {
      std::size_t next;
      const char32_t c = utf16::CodeAt(text, i, next);
      if (c > 0xFFFF) buffer += to_.at(c);
      else buffer.append(text.data() + i, next - i);
      i = next;
    }
    return buffer;
  }
  // Every stand-in back as its character.
  void Out(std::wstring& text) const {
    if (from_.empty()) return;
    std::wstring out;
    out.reserve(text.size() + 8);
    for (wchar_t c : text) {
      const auto found = c >= kFirst && c <= kLast ? from_.find(c) : from_.end();
      if (found == from_.end()) out += c;
      else utf16::AppendCode(out, found->second);
    }
    text = std::move(out);
  }

 private:
  static constexpr char32_t kFirst = 0xE000, kLast = 0xF8FF;
  std::unordered_map<char32_t, wchar_t> to_;
  std::unordered_map<wchar_t, char32_t> from_;
};

// The expression with every unit beyond ASCII written as "\uXXXX": the matcher's reader
// narrows a character to the locale's code page to tell its specials apart, and there some
// characters narrow to one ("¦" to "|", "∕" to "/"). An escaped one ("\¦") is the character
// itself, as ECMAScript reads it.
std::wstring AsciiOnly(std::wstring_view search) {
  std::wstring out;
  bool escaped = false;
  for (wchar_t c : search) {
    if (c < 0x80) {
      escaped = !escaped && c == L'\\';
      out += c;
      continue;
    }
    if (escaped) out.pop_back();
    escaped = false;
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    out += L"\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
  }
  return out;
}

struct Job {
  RenameList& list;
  const RegexInputs& in;
  RegexClock clock;
  bool ok = false;
  RegexError error = RegexError::Other;
};

bool Run(Job& job) {
  Placeholders stand;
  if (!stand.Make(job.list, job.in.search, job.in.replacement)) {
    job.error = RegexError::Surrogates;
    return false;
  }
  std::wstring searchBuffer, replacementBuffer;
  const std::wstring search(stand.In(job.in.search, searchBuffer));
  const std::wstring_view replacement = stand.In(job.in.replacement, replacementBuffer);
  if (search.size() > kMaxRegexLength) {
    job.error = RegexError::TooLong;
    return false;
  }
  std::wregex expression;
  try {
    expression.assign(AsciiOnly(search), std::regex_constants::ECMAScript);
  } catch (const std::regex_error& e) {
    job.error = ReasonOf(e, search);
    return false;
  } catch (const std::exception&) {
    return false;
  }
  Budget budget(job.clock);
  std::wstring nameBuffer, result;
  for (std::size_t i = 0; i < job.list.size(); ++i) {
    RenameEntry& row = job.list[i];
    const std::wstring_view name = stand.In(row.BaseName(), nameBuffer);
    result.clear();
    try {
      if (i > 0) budget.NextName();
      const wchar_t *last = name.data(), *const end = last + name.size();
      for (Matches m({last, &budget}, {end, &budget}, expression), done; m != done; ++m) {
        result.append(last, (*m)[0].first.base());
        Substitute(result, replacement, name, *m);
        last = (*m)[0].second.base();
      }
      result.append(last, end);
    } catch (const TooLong&) {
      job.error = RegexError::TooSlow;
      return false;
    } catch (const std::regex_error& e) {
      job.error = ReasonOf(e, search);
      return false;
    } catch (const std::exception&) {
      return false;
    }
    stand.Out(result);
    if (job.in.trim) TrimWideInPlace(result);
    row.newName = result;
  }
  return true;
}

void RunThread(void* p, const char* floor) {
  stackFloor = floor;
  Job& job = *static_cast<Job*>(p);
  try {
    job.ok = Run(job);
  } catch (...) {
    job.ok = false;
  }
}

}  // namespace

const wchar_t* RegexErrorText(RegexError error) {
  switch (error) {
    case RegexError::None: return L"";
    case RegexError::Paren: return L"括弧が閉じていません";
    case RegexError::StrayParen: return L"「)」に対応する「(」がありません";
    case RegexError::Bracket: return L"角括弧「[」が閉じていません";
    case RegexError::Brace: return L"波括弧「{」が閉じていません";
    case RegexError::BadBrace: return L"「{}」の回数が正しくありません";
    case RegexError::Range: return L"文字の範囲が正しくありません（[z-a] など）";
    case RegexError::Escape: return L"「\\」の使い方が正しくありません";
    case RegexError::Backref: return L"後方参照の番号に当たるグループがありません";
    case RegexError::Repeat: return L"繰り返し（* + ? {}）の前に文字がありません";
    case RegexError::ClassName: return L"文字クラスの名前が正しくありません";
    case RegexError::Complex: return L"式が複雑すぎます";
    case RegexError::TooLong: return L"式が長すぎます（255文字まで）";
    case RegexError::TooSlow: return L"時間がかかりすぎるため中止しました";
    case RegexError::Surrogates: return L"絵文字などの補助文字の種類が多すぎます";
    case RegexError::Other: break;
  }
  return L"式を読めません";
}

bool PreviewRegexReplace(RenameList& list, const RegexInputs& in, RegexClock clock, RegexError* why) {
  if (why) *why = RegexError::None;
  list.ClearMarks();
  // An empty search matches nothing, as in the plain replace.
  if (in.search.empty()) {
    for (RenameEntry& row : list) row.newName.assign(row.BaseName());
    return true;
  }
  const Platform& platform = GetPlatform();
  if (!clock) clock = platform.tickMs ? platform.tickMs : [] { return std::uint64_t{0}; };
  Job job{list, in, clock};
  const bool thread = platform.runWithStack && platform.runWithStack(kStackBytes, kStackSpare, RunThread, &job);
  if (!thread || !job.ok) {
    // Nothing of a failed expression stays: every row keeps its name.
    list.ClearMarks();
    for (RenameEntry& row : list) row.newName.assign(row.BaseName());
    if (why) *why = thread ? job.error : RegexError::Complex;
    return false;
  }
  return true;
}

}  // namespace rules
