// Character-level conversions of file names: each takes a CP932 string and gives one.
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
std::string TrimWide(std::string_view sjisText);

// For a rule, which converts every name of the list at each change of its inputs: the result
// goes into out, whose buffer is reused (text must not view out). The first character
// upper-cased and the rest lower-cased; the same for every word, a word starting after a
// space.
void TrimWideInPlace(std::string& text);
void CapitalizeFirstTo(std::string_view sjisText, std::string& out);
void CapitalizeWordsTo(std::string_view sjisText, std::string& out);

// The width conversion: each pair of flag bits turns one class (blanks, digits, brackets,
// letters, symbols) half-width or full-width, the half-width first where both bits are set;
// then, when kana is set, half-width katakana become full-width, taking up a voiced or
// semi-voiced mark after them (a mark alone vanishes). One walk over the text: each
// character's conversion is looked up in a table made once for the flags.
class WidthConverter {
 public:
  WidthConverter(WidthFlags flags, bool kana);
  void Convert(std::string_view sjisText, std::string& out) const;

 private:
  // The result of each single byte below 80 and of each character with the lead byte 81 or
  // 82: one byte below 0x100, else lead << 8 | trail.
  std::uint16_t ascii_[0x80];
  std::uint16_t row81_[0x100], row82_[0x100];
  bool identity_, kana_;
};
