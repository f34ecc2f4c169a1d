// The settings file's text: INI lines read and changed in memory, with no file in sight.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// What the platform's profile reader trims around names and values. No CP932 trail byte is
// below 0x40, so byte-wise trimming never cuts a character.
bool IsIniBlank(char c);

// The file as lines, each kept byte for byte with its own line end, so a save changes only the
// lines of our keys whose values changed, and everything else (comments, unknown keys and
// sections, values of other encodings than Shift_JIS can hold) stays. Each line is read as
// Shift_JIS text; a line of a UTF-8 or UTF-16 file is converted for reading, and a line that
// changes is written back in the file's encoding.
class IniText {
 public:
  explicit IniText(std::string_view bytes);

  // The first matching key of the first matching section, trimmed.
  std::optional<std::string_view> Get(std::string_view section, std::string_view key) const;

  // Replaces the value of that key, or adds the key after the section's last entry, or adds
  // the section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  std::string Bytes() const;

 private:
  // How the file's text is kept. Windows' own profile functions read UTF-16 LE files with their
  // byte-order mark, and a hand-edited file may be UTF-8 with one.
  enum class Encoding { ShiftJis, Utf8, Utf16 };
  struct Line {
    std::string text;      // as Shift_JIS
    std::string original;  // the file's own bytes, without the line end
    std::string_view eol;  // "\r\n" or "\n"; empty only for a last line without one
    bool changed = false;
  };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Lines of the file's characters, split at "\n" (a "\r" before it belongs to the line end);
  // convert gives each line's Shift_JIS text and its own bytes.
  template <typename Char, typename Convert>
  void Split(std::basic_string_view<Char> text, Convert convert);
  std::string Encode(const std::string& text) const;
  std::string_view Body(std::size_t i) const { return lines_[i].text; }
  bool IsHeader(std::size_t i, std::string_view* name = nullptr) const;
  bool IsKey(std::size_t i, std::string_view& name, std::string_view& value) const;
  std::size_t FindSection(std::string_view section) const;
  void Insert(std::size_t at, std::string text);

  std::vector<Line> lines_;
  std::string_view newline_ = "\r\n";
  Encoding encoding_ = Encoding::ShiftJis;
};

}  // namespace settings
