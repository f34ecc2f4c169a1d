// Shift_JIS (code page 932) byte-string helpers. Every name inside the program is a CP932
// byte string; these are the only places that step through characters, split paths,
// search or lower-case such strings, and convert them to and from UTF-16.
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

// A single-byte character no Windows file name holds: "\", "/" and ":" (delimiters), "*",
// "?", '"', "<" and ">" (which a search reads as wildcards), "|", and control characters.
constexpr bool RefusedInName(unsigned char c) {
  constexpr std::uint64_t kLow = 0xFFFFFFFFull | 1ull << '"' | 1ull << '*' | 1ull << '/' | 1ull << ':' |
                                 1ull << '<' | 1ull << '>' | 1ull << '?';
  constexpr std::uint64_t kHigh = 1ull << ('\\' - 64) | 1ull << ('|' - 64);
  return c < 64 ? (kLow >> c) & 1 : c < 128 && ((kHigh >> (c - 64)) & 1);
}

// Index of the character after the one starting at i. A lead byte at the very end counts as
// one character, so stepping never runs past the end.
inline std::size_t NextChar(std::string_view s, std::size_t i) {
  if (i >= s.size()) return s.size();
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? i + 2 : i + 1;
}

// The character starting at p[i] (of `size` bytes) as one code: its byte, or lead << 8 | trail,
// as the case and UTF-8 tables are indexed. `next` gets the index after it, as NextChar.
inline unsigned CodeAt(const char* p, std::size_t size, std::size_t i, std::size_t& next) {
  const unsigned char b = static_cast<unsigned char>(p[i]);
  if (IsLeadByte(b) && i + 1 < size) {
    next = i + 2;
    return static_cast<unsigned>(b) << 8 | static_cast<unsigned char>(p[i + 1]);
  }
  next = i + 1;
  return b;
}

// Index just past the last "\" or ":" that stands as a character of its own (0 if none).
std::size_t FileNameStart(std::string_view path);
// Index of the "." that starts the extension, or npos when the file name has none.
std::size_t ExtensionStart(std::string_view path);

// Folder part with its trailing delimiter ("C:\Photos\" of "C:\Photos\a.jpg").
inline std::string_view FolderPart(std::string_view path) { return path.substr(0, FileNameStart(path)); }
// The name after the last delimiter, with its extension.
inline std::string_view FileName(std::string_view path) { return path.substr(FileNameStart(path)); }
// From the last "." of the file name on, "." included; empty when there is none.
std::string_view Extension(std::string_view path);
// File name without its extension (empty for ".txt").
std::string_view BaseName(std::string_view path);
// Path without the extension: folder and base name.
std::string_view StripExtension(std::string_view path);
// folder + "\" + name, without doubling a delimiter the folder already ends in ("C:\").
std::string JoinPath(std::string_view folder, std::string_view name);
// A folder as shown, without the "\" it ends in ("C:\Photos" of "C:\Photos\"); a drive's root
// keeps it, since "C:" alone names the drive's current folder.
std::string_view WithoutFinalDelimiter(std::string_view folder);

// Byte-exact, case-sensitive search that accepts an occurrence only where it begins a
// character (never at the trail byte of a double-byte character) and ends where one ends (a
// pattern ending in a lone lead byte never takes half of a character). An empty pattern or
// text has no occurrence. Returns the byte index or npos.
std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from = 0);
inline bool Contains(std::string_view text, std::string_view pattern) {
  return Find(text, pattern) != npos;
}

// "A"-"Z" as "a"-"z", any other byte as it is: for a byte known to stand as a character.
constexpr char AsciiLowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }
// Every single-byte "A"-"Z" becomes "a"-"z"; nothing else changes, least of all the trail
// byte of a double-byte character ("ア" is 83 41).
std::string AsciiLower(std::string_view s);
// Whether a and b are the same text but for the letter case of single-byte "A"-"Z".
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Strict conversions with code page 932. ToUtf16 fails on bytes that are not valid CP932;
// FromUtf16 fails when a character has no exact CP932 form (no best-fit: "¥" is not "\",
// "é" is not "e"). On failure the output is left empty.
bool ToUtf16(std::string_view s, std::wstring& out);
bool FromUtf16(std::wstring_view w, std::string& out);
// Lenient forms for text that is already known to be CP932 or representable: invalid input
// becomes U+30FB/"?" rather than failing. Use only where nothing can be lost.
std::wstring ToUtf16Lenient(std::string_view s);
std::string FromUtf16Lenient(std::wstring_view w);
// The same lenient forms from and to UTF-8 text (a settings file a user saved as UTF-8).
std::string FromUtf8Lenient(std::string_view utf8);
std::string ToUtf8Lenient(std::string_view s);

// The platform's locale-aware case mapping of a CP932 string (CharUpperBuff/CharLowerBuff
// semantics under code page 932), independent of the system's ANSI code page. A character that
// can't be mapped (invalid bytes such as a lone lead byte, or no CP932 form after mapping)
// stays as it is and the others are mapped: "a\x82" is "A\x82". Served from a table of every
// character's mapping, made on first use.
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
// out += Upper(s) / Lower(s), without a string in between.
void AppendUpper(std::string_view s, std::string& out);
void AppendLower(std::string_view s, std::string& out);
// The table Upper is served from, for loops that fold names without making strings: the
// upper-case code of each character (its byte, or lead << 8 | trail; a result below 0x100 is
// one byte), or kCaseSpecial or more where Upper does more than look the character up.
const std::uint16_t* UpperCodes();
const std::uint16_t* LowerCodes();
constexpr std::uint16_t kCaseSpecial = 0xFFFE;
// Of the codes from kCaseSpecial on, the one where the character stays as it is.
constexpr std::uint16_t kCaseKeep = 0xFFFF;
// Indexed the same way: each character's length in UTF-8, 0 where it is no character.
const std::uint8_t* Utf8Lengths();

}  // namespace sjis
