// Shift_JIS (code page 932) bytes: the program's own files of the older form (settings files,
// journals written before names were UTF-16) and the conversions to and from UTF-16. Names
// inside the program are UTF-16 (text/utf16.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sjis {

constexpr unsigned kCodePage = 932;
constexpr std::size_t npos = std::string_view::npos;

// True for the first byte of a double-byte character (81-9F, E0-FC).
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Index of the character after the one starting at i. A lead byte at the very end counts as
// one character, so stepping never runs past the end.
inline std::size_t NextChar(std::string_view s, std::size_t i) {
  if (i >= s.size()) return s.size();
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? i + 2 : i + 1;
}

// Strict conversions with code page 932. ToUtf16 fails on bytes that are not valid CP932;
// FromUtf16 fails when a character has no exact CP932 form (no best-fit: "¥" is not "\",
// "é" is not "e"). On failure the output is left empty.
bool ToUtf16(std::string_view s, std::wstring& out);
bool FromUtf16(std::wstring_view w, std::string& out);
// Lenient forms for text that is already known to be CP932 or representable: invalid input
// becomes U+30FB/"?" rather than failing. Use only where nothing can be lost.
std::wstring ToUtf16Lenient(std::string_view s);
std::string FromUtf16Lenient(std::wstring_view w);

}  // namespace sjis
