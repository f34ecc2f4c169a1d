#include "settings/SettingsFile.h"

#include <windows.h>

#include <cstdint>
#include <iterator>
#include <variant>
#include <vector>

#include "settings/CommaList.h"
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
    {"Option", "History", Type::ShortInteger, &Settings::history},
    {"Option", "Filter", Type::String, &Settings::filter},
    {"Option", "FilterExt", Type::String, &Settings::filterExt},
    {"Combo", "BasVal", Type::List, &Settings::basVal},
    {"Combo", "OldVal", Type::List, &Settings::oldVal},
    {"Combo", "NewVal", Type::List, &Settings::newVal},
    {"Combo", "AddVal", Type::List, &Settings::addVal},
    {"Combo", "DateFormat", Type::List, &Settings::dateFormat},
};
static_assert(std::size(kKeys) == 38);

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

// The file as lines, each kept byte for byte with its own line end, so a save changes only the
// lines of our keys and everything else (comments, unknown keys and sections) stays.
class IniText {
 public:
  explicit IniText(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
      std::size_t nl = bytes.find('\n', pos);
      if (nl == std::string_view::npos) {
        lines_.push_back({std::string(bytes.substr(pos)), ""});
        break;
      }
      std::string_view text = bytes.substr(pos, nl - pos);
      std::string_view eol = "\n";
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        eol = "\r\n";
      }
      lines_.push_back({std::string(text), eol});
      pos = nl + 1;
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
        // Keep the name as the file spells it, and anything before the "=".
        std::string& text = lines_[i].text;
        text.replace(text.find('=') + 1, std::string::npos, value);
        return;
      }
      std::string_view body = TrimLeft(Body(i));
      if (!body.empty() && body.front() != ';') after = i + 1;
    }
    Insert(after, line);
  }

  std::string Bytes() const {
    std::string out;
    for (const Line& l : lines_) out.append(l.text).append(l.eol);
    return out;
  }

 private:
  struct Line {
    std::string text;
    std::string_view eol;  // "\r\n" or "\n"; empty only for a last line without one
  };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // A hand-edited file may begin with a UTF-8 signature; it is not part of the first line's
  // text (and is written back as it was).
  std::string_view Body(std::size_t i) const {
    std::string_view t = lines_[i].text;
    if (i == 0 && t.starts_with("\xEF\xBB\xBF")) t.remove_prefix(3);
    return t;
  }

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
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newline_});
  }

  std::vector<Line> lines_;
  std::string_view newline_ = "\r\n";
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
    case Type::List: Field<std::vector<std::string>>(s, k) = ReadCommaList(raw); break;
  }
}

// ---- The file --------------------------------------------------------------------------------

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadBytes(const std::wstring& path, std::string& out) {
  out.clear();
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    return (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? ReadResult::Missing : ReadResult::Failed;
  }
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return ok ? ReadResult::Ok : ReadResult::Failed;
}

// Writes a temporary file beside the target and moves it over, so a failed save never leaves
// a half-written file.
bool ReplaceBytes(const std::wstring& path, const std::string& bytes) {
  DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;  // a move would replace a read-only file that a plain write can't change
  }
  std::wstring temp = path + L".tmp";
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(h);
  CloseHandle(h);
  if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileW(temp.c_str());
    return false;
  }
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
    SetFileAttributesW(path.c_str(), attrs);
  }
  return true;
}

}  // namespace

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
  std::string bytes;
  if (ReadBytes(path, bytes) != ReadResult::Ok) return s;
  const IniText ini(bytes);
  for (const Key& k : kKeys) {
    if (std::optional<std::string_view> raw = ini.Get(k.section, k.name)) ApplyValue(s, k, *raw);
  }
  return s;
}

bool WriteSettings(const std::wstring& path, const Settings& s) {
  std::string bytes;
  // A file that exists but can't be read is not overwritten: its other contents would be lost.
  if (ReadBytes(path, bytes) == ReadResult::Failed) return false;
  IniText ini(bytes);
  for (const Key& k : kKeys) ini.Set(k.section, k.name, FormatValue(s, k));
  return ReplaceBytes(path, ini.Bytes());
}
