#include "settings/SettingsFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <variant>
#include <vector>

#include "settings/CommaList.h"
#include "settings/IniText.h"
#include "text/sjis.h"

namespace settings {

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
    {"Option", "SubFolders", Type::Boolean, &Settings::subFolders},
    {"Option", "FolderItems", Type::Boolean, &Settings::folderItems},
    {"Option", "SkipHidden", Type::Boolean, &Settings::skipHidden},
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
    {"Window", "Sort", Type::Integer, &Settings::sort},
    {"Window", "SortDesc", Type::Boolean, &Settings::sortDesc},
};
static_assert(std::size(kKeys) == 49);

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
  const os::OwnFile file = os::OpenOwnFile(path);
  using Found = os::OwnFile::Found;
  // A link is read (it is only never written through); a folder, a pipe or a device is not.
  std::string bytes;
  if ((file.found != Found::File && file.found != Found::Link) || !os::ReadWhole(file.handle.get(), bytes)) return s;
  const IniText ini(bytes);
  for (const Key& k : kKeys) {
    if (std::optional<std::string_view> raw = ini.Get(k.section, k.name)) ApplyValue(s, k, *raw);
  }
  return s;
}

bool WriteSettings(const std::wstring& path, const Settings& s, WriteFailure* why, const Settings* since,
                   os::DiskRoom room) {
  WriteFailure ignored;
  WriteFailure& failure = why ? *why : ignored;
  failure = {};
  os::OwnFile file = os::OpenOwnFile(path);
  using Found = os::OwnFile::Found;
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
      if (!os::ReadWhole(file.handle.get(), old)) {
        failure.error = GetLastError();
        return false;
      }
      break;
  }
  file.handle.reset();  // Windows replaces no file that is open
  IniText ini(old);
  for (const Key& k : kKeys) {
    std::string value = FormatValue(s, k);
    if (since && value == FormatValue(*since, k) && ini.Get(k.section, k.name)) continue;
    ini.Set(k.section, k.name, value);
  }
  const std::string bytes = ini.Bytes();

  DWORD error = 0;
  const os::ReplaceStep step = os::ReplaceThroughTemporary(path, file, bytes, error, room);
  if (step == os::ReplaceStep::Done) return true;
  // The only copy is never cut: on a full disk it is rewritten only where the new content
  // fits in what it holds; anywhere else a failed write puts the old bytes back.
  if (step == os::ReplaceStep::NoTemporary && (!os::IsDiskFull(error) || bytes.size() <= old.size()) &&
      os::WriteInPlace(path, file, old, bytes, error, failure.damaged, room)) {
    return true;
  }
  failure.error = error;
  // A name the open found free but that is taken: a dangling link.
  failure.notAFile = file.found == Found::Missing && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
  return false;
}

}  // namespace settings
