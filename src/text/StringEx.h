// Character-level conversions of file names (UTF-16): a surrogate pair is one character and
// is never split.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using WidthFlags = std::uint16_t;

namespace width {
constexpr WidthFlags kSpaceToHalf = 0x0001, kSpaceToWide = 0x0002;
constexpr WidthFlags kDigitToHalf = 0x0004, kDigitToWide = 0x0008;
constexpr WidthFlags kBracketToHalf = 0x0010, kBracketToWide = 0x0020;
constexpr WidthFlags kLetterToHalf = 0x0040, kLetterToWide = 0x0080;
constexpr WidthFlags kSymbolToHalf = 0x0100, kSymbolToWide = 0x0200;
}  // namespace width

// The text without the blanks at both ends (control characters, " " and the full-width space).
std::wstring TrimWide(std::wstring_view text);

// For a rule, which converts every name of the list at each change of its inputs: the result
// goes into out, whose buffer is reused (text must not view out). The first character
// upper-cased and the rest lower-cased (utf16::Upper/Lower); the same for every word, a word
// starting after a space (" " or the full-width one).
void TrimWideInPlace(std::wstring& text);
void CapitalizeFirstTo(std::wstring_view text, std::wstring& out);
void CapitalizeWordsTo(std::wstring_view text, std::wstring& out);

// The width conversion: each pair of flag bits turns one class (blanks, digits, brackets,
// letters, symbols) half-width or full-width, the half-width first where both bits are set;
// then, when kana is set, half-width katakana become full-width, taking up a voiced or
// semi-voiced mark after them (a mark alone vanishes). Characters outside these classes stay.
// One walk over the text: each character's conversion is looked up in a table made once for
// the flags.
class WidthConverter {
 public:
  WidthConverter(WidthFlags flags, bool kana);
  void Convert(std::wstring_view text, std::wstring& out) const;

 private:
  // The result of each unit below 0x80, of U+3000..U+3015 and of U+FF00..U+FF5F, and of "♯"
  // (which gives "#"): every class lies there, and each result is one unit.
  wchar_t ascii_[0x80];
  wchar_t cjk_[0x16], full_[0x60];
  wchar_t sharp_;
  bool identity_, kana_;
};
