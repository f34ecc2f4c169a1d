// The settings file's text: INI lines read and changed in memory, with no file in sight.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// What the platform's profile reader trims around names and values.
bool IsIniBlank(wchar_t c);

// The file as lines, each kept byte for byte with its own line end, so a save changes only the
// lines of our keys whose values changed, and everything else (comments, unknown keys and
// sections) stays. A file is Shift_JIS, or UTF-16 LE or UTF-8 with a byte-order mark; each line
// is read as UTF-16 text, and a line that changes is written back in the file's encoding. A
// file given a value its encoding can't hold (no Shift_JIS form; in UTF-8, a lone surrogate) is
// written whole as UTF-16 LE with its mark, which the platform's profile functions read.
class IniText {
 public:
  explicit IniText(std::string_view bytes);

  // The first matching key of the first matching section, trimmed.
  std::optional<std::wstring_view> Get(std::wstring_view section, std::wstring_view key) const;

  // Replaces the value of that key, or adds the key after the section's last entry, or adds
  // the section at the end of the file.
  void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);

  std::string Bytes() const;

 private:
  enum class Encoding { ShiftJis, Utf8, Utf16 };
  struct Line {
    std::wstring text;
    std::string original;  // the file's own bytes, without the line end
    std::string_view eol;  // "\r\n" or "\n"; empty only for a last line without one
    bool changed = false;
  };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Lines of the file's characters, split at "\n" (a "\r" before it belongs to the line end);
  // convert gives each line's text and its own bytes.
  template <typename Char, typename Convert>
  void Split(std::basic_string_view<Char> text, Convert convert);
  // The encoding a save writes: the file's own, unless a changed line needs more.
  Encoding Written() const;
  static std::string Encode(std::wstring_view text, Encoding encoding);
  std::wstring_view Body(std::size_t i) const { return lines_[i].text; }
  bool IsHeader(std::size_t i, std::wstring_view* name = nullptr) const;
  bool IsKey(std::size_t i, std::wstring_view& name, std::wstring_view& value) const;
  std::size_t FindSection(std::wstring_view section) const;
  void Insert(std::size_t at, std::wstring text);

  std::vector<Line> lines_;
  std::string_view newline_ = "\r\n";
  Encoding encoding_ = Encoding::ShiftJis;
};

}  // namespace settings
