// Replace by a regular expression: the search text is an ECMAScript expression matched against
// each base name as characters (a surrogate pair is one character: "." takes it whole), and
// the replacement follows ECMAScript's rules: $$, $&, $`, $', $1…$99.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "rules/RenameList.h"

namespace rules {

struct RegexInputs {
  std::wstring search, replacement;
  bool trim = false;  // trim the results' blanks (full-width ones too)
};

// The longest expression taken, in characters: names are at most 255 characters, and the
// standard matcher's depth grows with the expression.
constexpr std::size_t kMaxRegexLength = 255;

// Why an expression could not be applied.
enum class RegexError {
  None,
  Paren,       // a "(" never closed
  StrayParen,  // a ")" with no "("
  Bracket,     // a "[" never closed
  Brace,       // a "{" never closed
  BadBrace,    // a count in "{}" that isn't one
  Range,       // a range such as [z-a]
  Escape,      // a "\" with nothing to escape, or one that means nothing
  Backref,     // a back reference to no group
  Repeat,      // a "*", "+", "?" or "{}" with nothing before it
  ClassName,   // an unknown [[:name:]]
  Complex,     // the matcher gave up on the expression, or it needs too deep a stack
  TooLong,     // longer than kMaxRegexLength
  TooSlow,     // past the steps or the time the preview may take
  Surrogates,  // more distinct characters beyond U+FFFF than there are stand-ins for
  Other,
};
// The reason in a few Japanese words, for the user; "" for None.
const wchar_t* RegexErrorText(RegexError error);

// Writes every row's new name, every match replaced. False, with every row keeping
// its name, when the expression is invalid (or longer than kMaxRegexLength) or would take
// too long: each name has a bound on the matcher's steps, and the whole preview one second,
// looked at also inside a name's match, since the window waits for it. `why`, when given,
// gets the reason (None on success).
// clock: milliseconds from any start (the program's, rules/Platform.h, when null); tests pass
// their own. The matcher runs on the program's deep-stack thread.
using RegexClock = std::uint64_t (*)();
bool PreviewRegexReplace(RenameList& list, const RegexInputs& in, RegexClock clock = nullptr,
                         RegexError* why = nullptr);

}  // namespace rules
