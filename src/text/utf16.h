// UTF-16 text as Windows holds names: every name, path and rule input inside the program is a
// std::wstring. These are the only places that step through characters (a surrogate pair is
// one character, never split), split paths, search, fold and map the letter case of names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace utf16 {

constexpr std::size_t npos = std::wstring_view::npos;

constexpr bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A character no Windows file name holds: "\", "/" and ":" (delimiters), "*", "?", '"', "<"
// and ">" (which a search reads as wildcards), "|", and control characters.
constexpr bool RefusedInName(wchar_t c) {
  constexpr std::uint64_t kLow = 0xFFFFFFFFull | 1ull << '"' | 1ull << '*' | 1ull << '/' | 1ull << ':' |
                                 1ull << '<' | 1ull << '>' | 1ull << '?';
  constexpr std::uint64_t kHigh = 1ull << ('\\' - 64) | 1ull << ('|' - 64);
  return c < 64 ? (kLow >> c) & 1 : c < 128 && ((kHigh >> (c - 64)) & 1);
}

// Index of the character after the one starting at i: a surrogate pair is one character, a
// lone surrogate one too.
inline std::size_t NextChar(std::wstring_view s, std::size_t i) {
  if (i >= s.size()) return s.size();
  return IsHighSurrogate(s[i]) && i + 1 < s.size() && IsLowSurrogate(s[i + 1]) ? i + 2 : i + 1;
}
// Index of the character that ends at i (0 at the start).
inline std::size_t PrevChar(std::wstring_view s, std::size_t i) {
  if (i == 0) return 0;
  return i >= 2 && IsLowSurrogate(s[i - 1]) && IsHighSurrogate(s[i - 2]) ? i - 2 : i - 1;
}
// The code point starting at i; next gets the index after it.
inline char32_t CodeAt(std::wstring_view s, std::size_t i, std::size_t& next) {
  next = NextChar(s, i);
  if (next - i == 2) return 0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
  return s[i];
}
// Whether i is a character's start: not the second half of a pair.
inline bool AtCharStart(std::wstring_view s, std::size_t i) {
  return i == 0 || i >= s.size() || !(IsLowSurrogate(s[i]) && IsHighSurrogate(s[i - 1]));
}
void AppendCode(std::wstring& out, char32_t code);

// Index just past the last "\" or ":" (0 if none).
std::size_t FileNameStart(std::wstring_view path);
// Index of the "." that starts the extension, or npos when the file name has none.
std::size_t ExtensionStart(std::wstring_view path);
// Folder part with its trailing delimiter ("C:\Photos\" of "C:\Photos\a.jpg").
inline std::wstring_view FolderPart(std::wstring_view path) { return path.substr(0, FileNameStart(path)); }
// The name after the last delimiter, with its extension.
inline std::wstring_view FileName(std::wstring_view path) { return path.substr(FileNameStart(path)); }
// From the last "." of the file name on, "." included; empty when there is none.
std::wstring_view Extension(std::wstring_view path);
// File name without its extension (empty for ".txt").
std::wstring_view BaseName(std::wstring_view path);
// Path without the extension: folder and base name.
std::wstring_view StripExtension(std::wstring_view path);
// folder + "\" + name, without doubling a delimiter the folder already ends in ("C:\").
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);
// A folder as shown, without the "\" it ends in; a drive's root keeps it ("C:\").
std::wstring_view WithoutFinalDelimiter(std::wstring_view folder);

// Exact, case-sensitive search that accepts an occurrence only where it begins and ends at
// character boundaries (never half of a surrogate pair). An empty pattern or text has no
// occurrence. Returns the index or npos.
std::size_t Find(std::wstring_view text, std::wstring_view pattern, std::size_t from = 0);
inline bool Contains(std::wstring_view text, std::wstring_view pattern) { return Find(text, pattern) != npos; }

// "A"-"Z" as "a"-"z", any other unit as it is.
constexpr wchar_t AsciiLowerChar(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 0x20) : c; }
std::wstring AsciiLower(std::wstring_view s);
// Whether a and b are the same text but for the letter case of "A"-"Z".
bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);
// The platform's ordinal comparison ignoring case (CompareStringOrdinal): how the file system
// and the user's lists compare texts beyond "A"-"Z". <0, 0, >0.
int CompareOrdinalIgnoringCase(std::wstring_view a, std::wstring_view b);

// The platform's case mapping of the user's locale (LCMapStringEx). A character of the
// Shift_JIS set whose mapping would leave the set stays as it is, as it always has; a surrogate
// pair maps as one character.
std::wstring Upper(std::wstring_view s);
std::wstring Lower(std::wstring_view s);
void AppendUpper(std::wstring_view s, std::wstring& out);
void AppendLower(std::wstring_view s, std::wstring& out);
// Each UTF-16 unit's upper-case unit, 65,536 entries: what Upper gives a character of one unit,
// and how the file system folds names to compare them.
const wchar_t* FoldTable();
// The name as the file system compares it: each unit through FoldTable.
void FoldName(std::wstring_view name, std::wstring& out);

// Length of the text in UTF-8 bytes (a lone surrogate counts 3, as the platform writes it).
std::size_t Utf8Size(std::wstring_view s);
// Whether every character has an exact Shift_JIS (code page 932) form.
bool HasShiftJisForm(std::wstring_view s);

// Unicode composition (NFC, the platform's NormalizeString): a Mac's split voiced marks, "シ"
// followed by U+3099, become "ジ". CJK compatibility ideographs stay as they are, and so does
// a stretch the platform can't compose (one holding a lone surrogate).
std::wstring Compose(std::wstring_view s);
// Whether Compose would change the text (a quick look first: only a combining mark can).
bool NeedsCompose(std::wstring_view s);

// The program's own files: UTF-8 (strict: false on invalid bytes, out left empty) and UTF-8
// from UTF-16 (a lone surrogate becomes U+FFFD).
bool FromUtf8(std::string_view utf8, std::wstring& out);
std::string ToUtf8(std::wstring_view s);
// Names as the journal holds them: WTF-8 (UTF-8, a lone surrogate as its own three bytes), so
// that every name reads back as it was written. FromWtf8 is false for bytes that aren't WTF-8
// as AppendWtf8 writes it (out left empty).
void AppendWtf8(std::string& out, std::wstring_view s);
bool FromWtf8(std::string_view bytes, std::wstring& out);
// A hand-edited or damaged text read anyway: each byte that begins no character is U+FFFD.
std::wstring FromUtf8Leniently(std::string_view bytes);
// One code point's bytes; a surrogate's code as its own three bytes (WTF-8, for names that
// hold a lone one).
void AppendUtf8(std::string& out, char32_t code);

}  // namespace utf16
