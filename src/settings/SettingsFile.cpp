#include "settings/SettingsFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <variant>
#include <vector>

#include "settings/CommaList.h"
#include "settings/OwnFile.h"
#include "text/sjis.h"

namespace {

// ---- The keys -------------------------------------------------------------------------------

enum class Type { Integer, ShortInteger, Boolean, String, List };

using Member = std::variant<int Settings::*, bool Settings::*, std::string Settings::*,
                            std::vector<std::string> Settings::*>;

struct Key {
  const char* section;
  const char* name;
  Type type;
  Member member;
};

// Read and written in this order; a new file lists them so.
constexpr Key kKeys[] = {
    {"Window", "Width", Type::Integer, &Settings::width},
    {"Window", "Height", Type::Integer, &Settings::height},
    {"Window", "Left", Type::Integer, &Settings::left},
    {"Window", "Top", Type::Integer, &Settings::top},
    {"Window", "Tab", Type::Integer, &Settings::tab},
    {"Job", "Start", Type::ShortInteger, &Settings::start},
    {"Job", "Step", Type::ShortInteger, &Settings::step},
    {"Job", "Column", Type::ShortInteger, &Settings::column},
    {"Job", "Divide", Type::Boolean, &Settings::divide},
    {"Job", "Div2", Type::Boolean, &Settings::div2},
    {"Job", "HeadOrTail", Type::Boolean, &Settings::headOrTail},
    {"Job", "Time", Type::Integer, &Settings::time},
    {"Job", "HeadTail2", Type::Boolean, &Settings::headTail2},
    {"Job", "UpLoCase", Type::Integer, &Settings::upLoCase},
    {"Job", "WNWord", Type::Integer, &Settings::wnWord},
    {"Job", "WNNum", Type::Integer, &Settings::wnNum},
    {"Job", "WNKakko", Type::Integer, &Settings::wnKakko},
    {"Job", "WNSpace", Type::Integer, &Settings::wnSpace},
    {"Job", "WNSymbol", Type::Integer, &Settings::wnSymbol},
    {"Job", "WideKana", Type::Boolean, &Settings::wideKana},
    {"Job", "RegExp", Type::Boolean, &Settings::regExp},
    {"Option", "RemSCut", Type::Boolean, &Settings::remSCut},
    {"Option", "RemCopy", Type::Boolean, &Settings::remCopy},
    {"Option", "Rem[1]", Type::Boolean, &Settings::remBracket1},
    {"Option", "Rem(1)", Type::Boolean, &Settings::remParen1},
    {"Option", "Trim", Type::Boolean, &Settings::trim},
    {"Option", "Jpeg-Jpg", Type::Boolean, &Settings::jpegJpg},
    {"Option", "ClearItems", Type::Boolean, &Settings::clearItems},
    {"Option", "EscToExit", Type::Boolean, &Settings::escToExit},
    {"Option", "EnterToExec", Type::Boolean, &Settings::enterToExec},
    {"Option", "DropDir", Type::Boolean, &Settings::dropDir},
    {"Option", "Dedupe", Type::Boolean, &Settings::dedupe},
    {"Option", "History", Type::ShortInteger, &Settings::history},
    {"Option", "Filter", Type::String, &Settings::filter},
    {"Option", "FilterExt", Type::String, &Settings::filterExt},
    {"Combo", "BasVal", Type::List, &Settings::basVal},
    {"Combo", "OldVal", Type::List, &Settings::oldVal},
    {"Combo", "NewVal", Type::List, &Settings::newVal},
    {"Combo", "AddVal", Type::List, &Settings::addVal},
    {"Combo", "DateFormat", Type::List, &Settings::dateFormat},
    {"Window", "NameWidth", Type::Integer, &Settings::nameWidth},
    {"Window", "PathWidth", Type::Integer, &Settings::pathWidth},
    {"Window", "NewNameWidth", Type::Integer, &Settings::newNameWidth},
    {"Window", "Maximized", Type::Boolean, &Settings::maximized},
};
static_assert(std::size(kKeys) == 44);

constexpr std::size_t MemberIndex(Type t) {
  switch (t) {
    case Type::Integer:
    case Type::ShortInteger: return 0;
    case Type::Boolean: return 1;
    case Type::String: return 2;
    case Type::List: return 3;
  }
  return 99;
}

constexpr bool TypesMatchMembers() {
  for (const Key& k : kKeys) {
    if (k.member.index() != MemberIndex(k.type)) return false;
  }
  return true;
}
static_assert(TypesMatchMembers(), "a key's type and its member disagree");

template <typename T>
T& Field(Settings& s, const Key& k) {
  return s.*std::get<T Settings::*>(k.member);
}
template <typename T>
const T& Field(const Settings& s, const Key& k) {
  return s.*std::get<T Settings::*>(k.member);
}

// ---- INI text --------------------------------------------------------------------------------

// What the platform's profile reader trims around names and values. No CP932 trail byte is
// below 0x40, so byte-wise trimming never cuts a character.
bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsIniBlank(s.front())) s.remove_prefix(1);
  return s;
}
std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsIniBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sjis::AsciiLower(a) == sjis::AsciiLower(b);
}

// How the file's text is kept. Windows' own profile functions read UTF-16 LE files with their
// byte-order mark, and a hand-edited file may be UTF-8 with one.
enum class Encoding { ShiftJis, Utf8, Utf16 };

std::wstring WideOf(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
  return w;
}

std::string Utf8Of(std::wstring_view w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf16Of(std::wstring_view w) {
  std::string out(w.size() * 2, '\0');
  for (std::size_t i = 0; i < w.size(); ++i) {
    out[2 * i] = static_cast<char>(w[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(w[i] >> 8);
  }
  return out;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16Mark = "\xFF\xFE";

// The file as lines, each kept byte for byte with its own line end, so a save changes only the
// lines of our keys whose values changed, and everything else (comments, unknown keys and
// sections, values of other encodings than Shift_JIS can hold) stays. Each line is read as
// Shift_JIS text; a line of a UTF-8 or UTF-16 file is converted for reading, and a line that
// changes is written back in the file's encoding.
class IniText {
 public:
  explicit IniText(std::string_view bytes) {
    if (bytes.starts_with(kUtf16Mark)) {
      encoding_ = Encoding::Utf16;
      bytes.remove_prefix(kUtf16Mark.size());
      std::wstring w(bytes.size() / 2, L'\0');
      for (std::size_t i = 0; i < w.size(); ++i) {
        w[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
      }
      Split<wchar_t>(w, [](std::wstring_view line) { return std::make_pair(sjis::Narrow(line), Utf16Of(line)); });
    } else if (bytes.starts_with(kUtf8Mark)) {
      encoding_ = Encoding::Utf8;
      bytes.remove_prefix(kUtf8Mark.size());
      Split<char>(bytes, [](std::string_view line) {
        return std::make_pair(sjis::Narrow(WideOf(line, CP_UTF8)), std::string(line));
      });
    } else {
      Split<char>(bytes, [](std::string_view line) { return std::make_pair(std::string(line), std::string(line)); });
    }
    if (!lines_.empty() && !lines_.front().eol.empty()) newline_ = lines_.front().eol;
  }

  // The first matching key of the first matching section, trimmed.
  std::optional<std::string_view> Get(std::string_view section, std::string_view key) const {
    std::size_t header = FindSection(section);
    if (header == kNone) return std::nullopt;
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
      if (IsHeader(i)) break;
      std::string_view name, value;
      if (IsKey(i, name, value) && SameName(name, key)) return value;
    }
    return std::nullopt;
  }

  // Replaces the value of that key, or adds the key after the section's last entry, or adds
  // the section at the end of the file.
  void Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    std::size_t header = FindSection(section);
    if (header == kNone) {
      if (!lines_.empty() && !Trim(lines_.back().text).empty()) Insert(lines_.size(), "");
      std::string header = "[";
      header += section;
      header += ']';
      Insert(lines_.size(), std::move(header));
      Insert(lines_.size(), line);
      return;
    }
    std::size_t after = header + 1;
    for (std::size_t i = header + 1; i < lines_.size() && !IsHeader(i); ++i) {
      std::string_view name, old;
      if (IsKey(i, name, old) && SameName(name, key)) {
        // A value that didn't change keeps its line as the file has it, byte for byte.
        if (old == value) return;
        // Keep the name as the file spells it, and anything before the "=".
        std::string& text = lines_[i].text;
        text.replace(text.find('=') + 1, std::string::npos, value);
        lines_[i].changed = true;
        return;
      }
      std::string_view body = TrimLeft(Body(i));
      if (!body.empty() && body.front() != ';') after = i + 1;
    }
    Insert(after, line);
  }

  std::string Bytes() const {
    std::string out;
    if (encoding_ == Encoding::Utf8) out += kUtf8Mark;
    if (encoding_ == Encoding::Utf16) out += kUtf16Mark;
    for (const Line& l : lines_) {
      out += l.changed ? Encode(l.text) : l.original;
      out += Encode(std::string(l.eol));
    }
    return out;
  }

 private:
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
  void Split(std::basic_string_view<Char> text, Convert convert) {
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t nl = text.find(Char('\n'), pos);
      std::basic_string_view<Char> line = text.substr(pos, nl == text.npos ? text.npos : nl - pos);
      std::string_view eol = nl == text.npos ? "" : "\n";
      if (nl != text.npos && !line.empty() && line.back() == Char('\r')) {
        line.remove_suffix(1);
        eol = "\r\n";
      }
      auto [readable, original] = convert(line);
      lines_.push_back({std::move(readable), std::move(original), eol, false});
      if (nl == text.npos) break;
      pos = nl + 1;
    }
  }

  std::string Encode(const std::string& text) const {
    switch (encoding_) {
      case Encoding::Utf8: return Utf8Of(sjis::Widen(text));
      case Encoding::Utf16: return Utf16Of(sjis::Widen(text));
      case Encoding::ShiftJis: break;
    }
    return text;
  }

  std::string_view Body(std::size_t i) const { return lines_[i].text; }

  bool IsHeader(std::size_t i, std::string_view* name = nullptr) const {
    std::string_view t = TrimLeft(Body(i));
    if (t.empty() || t.front() != '[') return false;
    std::size_t close = sjis::Find(t, "]", 1);  // a "]" can be the trail byte of a character
    if (close == sjis::npos) return false;
    if (name) *name = Trim(t.substr(1, close - 1));
    return true;
  }

  bool IsKey(std::size_t i, std::string_view& name, std::string_view& value) const {
    std::string_view t = TrimLeft(Body(i));
    if (t.empty() || t.front() == ';' || IsHeader(i)) return false;
    std::size_t eq = t.find('=');  // "=" is never a trail byte
    if (eq == std::string_view::npos) return false;
    name = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return !name.empty();
  }

  std::size_t FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      std::string_view name;
      if (IsHeader(i, &name) && SameName(name, section)) return i;
    }
    return kNone;
  }

  void Insert(std::size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), {}, newline_, true});
  }

  std::vector<Line> lines_;
  std::string_view newline_ = "\r\n";
  Encoding encoding_ = Encoding::ShiftJis;
};

// A value in one pair of double or single quotes is read without them (not for lists, whose
// quotes belong to their items).
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

// The inverse for a string value: quoted only when trimming or unquoting would change it.
std::string QuoteIfNeeded(const std::string& v) {
  if (v.empty()) return v;
  bool quotes = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
  if (quotes || IsIniBlank(v.front()) || IsIniBlank(v.back())) return "\"" + v + "\"";
  return v;
}

std::string FormatValue(const Settings& s, const Key& k) {
  switch (k.type) {
    case Type::Integer:
    case Type::ShortInteger: return std::to_string(Field<int>(s, k));
    case Type::Boolean: return Field<bool>(s, k) ? "1" : "0";
    case Type::String: return QuoteIfNeeded(Field<std::string>(s, k));
    case Type::List: return WriteCommaList(Field<std::vector<std::string>>(s, k));
  }
  return {};
}

void ApplyValue(Settings& s, const Key& k, std::string_view raw) {
  switch (k.type) {
    case Type::Integer:
    case Type::ShortInteger:
      if (std::optional<int> v = ReadInteger(Unquote(raw))) Field<int>(s, k) = *v;
      break;
    case Type::Boolean:
      if (std::optional<int> v = ReadInteger(Unquote(raw))) Field<bool>(s, k) = *v != 0;
      break;
    case Type::String: Field<std::string>(s, k) = std::string(Unquote(raw)); break;
    case Type::List: {
      // A history is never longer than the history length, and a huge value is not read on:
      // nothing in the file makes the start (or the close) slow.
      const bool presets = &Field<std::vector<std::string>>(s, k) == &s.dateFormat;
      const std::size_t most =
          presets ? kMaxPresets : static_cast<std::size_t>(std::clamp(s.history, kMinHistory, kMaxHistory));
      Field<std::vector<std::string>>(s, k) = ReadCommaList(raw, most);
      break;
    }
  }
}

}  // namespace

using namespace ownfile;

std::optional<int> ReadInteger(std::string_view v) {
  const std::size_t size = v.size();
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  bool negative = false;
  if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
    negative = v.front() == '-';
    v.remove_prefix(1);
  }
  bool hex = false;
  if (!v.empty() && (v.front() == '$' || v.front() == 'x' || v.front() == 'X')) {
    hex = true;
    v.remove_prefix(1);
  } else if (size > 2 && v.size() >= 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
    hex = true;
    v.remove_prefix(2);
  }
  if (v.empty()) return std::nullopt;
  if (hex) {
    if (v.size() > 8) return std::nullopt;
    std::uint32_t u = 0;
    for (char c : v) {
      unsigned d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return std::nullopt;
      u = u * 16 + d;
    }
    if (negative) u = 0u - u;
    return static_cast<int>(u);  // eight digits fill 32 bits: $FFFFFFFF is -1
  }
  std::int64_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
    if (n > 2147483648LL) return std::nullopt;
  }
  if (negative) n = -n;
  if (n > 2147483647LL) return std::nullopt;
  return static_cast<int>(n);
}

std::wstring SettingsPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 65536) return {};
    path.resize(path.size() * 2);  // cut off: a long path
  }
  std::size_t nameStart = path.find_last_of(L"\\/:");
  nameStart = nameStart == std::wstring::npos ? 0 : nameStart + 1;
  std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || dot < nameStart) {
    path += L".ini";
  } else {
    path.replace(dot, std::wstring::npos, L".ini");
  }
  return path;
}

Settings ReadSettings(const std::wstring& path) {
  Settings s;
  Opened file;
  Open(path, file);
  // A link is read (it is only never written through); a folder, a pipe or a device is not.
  std::string bytes;
  if ((file.found != Found::File && file.found != Found::Link) || !ReadAll(file.handle.get(), bytes)) return s;
  const IniText ini(bytes);
  for (const Key& k : kKeys) {
    if (std::optional<std::string_view> raw = ini.Get(k.section, k.name)) ApplyValue(s, k, *raw);
  }
  return s;
}

bool WriteSettings(const std::wstring& path, const Settings& s, WriteFailure* why, const Settings* since) {
  WriteFailure ignored;
  WriteFailure& failure = why ? *why : ignored;
  failure = {};
  Opened file;
  Open(path, file);
  std::string old;
  switch (file.found) {
    case Found::Link:
    case Found::NotAFile: failure.notAFile = true; return false;
    case Found::Failed: failure.error = file.error; return false;
    case Found::Missing: break;
    case Found::File:
      // A move would replace a read-only file that a plain write can't change.
      if (file.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return false;
      // A file that can't be read is not overwritten: its other contents would be lost.
      if (!ReadAll(file.handle.get(), old)) {
        failure.error = GetLastError();
        return false;
      }
      break;
  }
  file.handle.Close();  // Windows replaces no file that is open
  IniText ini(old);
  for (const Key& k : kKeys) {
    std::string value = FormatValue(s, k);
    if (since && value == FormatValue(*since, k) && ini.Get(k.section, k.name)) continue;
    ini.Set(k.section, k.name, value);
  }
  const std::string bytes = ini.Bytes();

  DWORD error = 0;
  const Step step = ReplaceThroughTemporary(path, file, bytes, error);
  if (step == Step::Done) return true;
  // The only copy is never cut: on a full disk it is rewritten only where the new content
  // fits in what it holds; anywhere else a failed write puts the old bytes back.
  if (step == Step::NoTemporary && (!IsDiskFull(error) || bytes.size() <= old.size()) &&
      WriteInPlace(path, file, old, bytes, error, failure.damaged)) {
    return true;
  }
  failure.error = error;
  // A name the open found free but that is taken: a dangling link.
  failure.notAFile = file.found == Found::Missing && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
  return false;
}
