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

namespace settings {

namespace {

// ---- The keys -------------------------------------------------------------------------------

enum class Type { Integer, ShortInteger, Boolean, String, List };

using Member = std::variant<int Settings::*, bool Settings::*, std::wstring Settings::*,
                            std::vector<std::wstring> Settings::*>;

struct Key {
  const wchar_t* section;
  const wchar_t* name;
  Type type;
  Member member;
};

// Read and written in this order; a new file lists them so.
constexpr Key kKeys[] = {
    {L"Window", L"Width", Type::Integer, &Settings::width},
    {L"Window", L"Height", Type::Integer, &Settings::height},
    {L"Window", L"Left", Type::Integer, &Settings::left},
    {L"Window", L"Top", Type::Integer, &Settings::top},
    {L"Window", L"Tab", Type::Integer, &Settings::tab},
    {L"Job", L"Start", Type::ShortInteger, &Settings::start},
    {L"Job", L"Step", Type::ShortInteger, &Settings::step},
    {L"Job", L"Column", Type::ShortInteger, &Settings::column},
    {L"Job", L"Divide", Type::Boolean, &Settings::divide},
    {L"Job", L"Div2", Type::Boolean, &Settings::div2},
    {L"Job", L"HeadOrTail", Type::Boolean, &Settings::headOrTail},
    {L"Job", L"Time", Type::Integer, &Settings::time},
    {L"Job", L"HeadTail2", Type::Boolean, &Settings::headTail2},
    {L"Job", L"UpLoCase", Type::Integer, &Settings::upLoCase},
    {L"Job", L"WNWord", Type::Integer, &Settings::wnWord},
    {L"Job", L"WNNum", Type::Integer, &Settings::wnNum},
    {L"Job", L"WNKakko", Type::Integer, &Settings::wnKakko},
    {L"Job", L"WNSpace", Type::Integer, &Settings::wnSpace},
    {L"Job", L"WNSymbol", Type::Integer, &Settings::wnSymbol},
    {L"Job", L"WideKana", Type::Boolean, &Settings::wideKana},
    {L"Job", L"RegExp", Type::Boolean, &Settings::regExp},
    {L"Option", L"RemSCut", Type::Boolean, &Settings::remSCut},
    {L"Option", L"RemCopy", Type::Boolean, &Settings::remCopy},
    {L"Option", L"Rem[1]", Type::Boolean, &Settings::remBracket1},
    {L"Option", L"Rem(1)", Type::Boolean, &Settings::remParen1},
    {L"Option", L"Trim", Type::Boolean, &Settings::trim},
    {L"Option", L"Jpeg-Jpg", Type::Boolean, &Settings::jpegJpg},
    {L"Option", L"ClearItems", Type::Boolean, &Settings::clearItems},
    {L"Option", L"EscToExit", Type::Boolean, &Settings::escToExit},
    {L"Option", L"EnterToExec", Type::Boolean, &Settings::enterToExec},
    {L"Option", L"DropDir", Type::Boolean, &Settings::dropDir},
    {L"Option", L"Dedupe", Type::Boolean, &Settings::dedupe},
    {L"Option", L"SubFolders", Type::Boolean, &Settings::subFolders},
    {L"Option", L"FolderItems", Type::Boolean, &Settings::folderItems},
    {L"Option", L"SkipHidden", Type::Boolean, &Settings::skipHidden},
    {L"Option", L"History", Type::ShortInteger, &Settings::history},
    {L"Option", L"Filter", Type::String, &Settings::filter},
    {L"Option", L"FilterExt", Type::String, &Settings::filterExt},
    {L"Combo", L"BasVal", Type::List, &Settings::basVal},
    {L"Combo", L"OldVal", Type::List, &Settings::oldVal},
    {L"Combo", L"NewVal", Type::List, &Settings::newVal},
    {L"Combo", L"AddVal", Type::List, &Settings::addVal},
    {L"Combo", L"DateFormat", Type::List, &Settings::dateFormat},
    {L"Window", L"NameWidth", Type::Integer, &Settings::nameWidth},
    {L"Window", L"PathWidth", Type::Integer, &Settings::pathWidth},
    {L"Window", L"NewNameWidth", Type::Integer, &Settings::newNameWidth},
    {L"Window", L"Maximized", Type::Boolean, &Settings::maximized},
    {L"Window", L"Sort", Type::Integer, &Settings::sort},
    {L"Window", L"SortDesc", Type::Boolean, &Settings::sortDesc},
    {L"Option", L"Compose", Type::Boolean, &Settings::compose},
};
static_assert(std::size(kKeys) == 50);

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
std::wstring_view Unquote(std::wstring_view v) {
  if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

// The inverse for a string value: quoted only when trimming or unquoting would change it.
std::wstring QuoteIfNeeded(const std::wstring& v) {
  if (v.empty()) return v;
  bool quotes = v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front();
  if (quotes || IsIniBlank(v.front()) || IsIniBlank(v.back())) return L"\"" + v + L"\"";
  return v;
}

std::wstring FormatValue(const Settings& s, const Key& k) {
  switch (k.type) {
    case Type::Integer:
    case Type::ShortInteger: return std::to_wstring(Field<int>(s, k));
    case Type::Boolean: return Field<bool>(s, k) ? L"1" : L"0";
    case Type::String: return QuoteIfNeeded(Field<std::wstring>(s, k));
    case Type::List: return WriteCommaList(Field<std::vector<std::wstring>>(s, k));
  }
  return {};
}

void ApplyValue(Settings& s, const Key& k, std::wstring_view raw) {
  switch (k.type) {
    case Type::Integer:
    case Type::ShortInteger:
      if (std::optional<int> v = ReadInteger(Unquote(raw))) Field<int>(s, k) = *v;
      break;
    case Type::Boolean:
      if (std::optional<int> v = ReadInteger(Unquote(raw))) Field<bool>(s, k) = *v != 0;
      break;
    case Type::String: Field<std::wstring>(s, k) = std::wstring(Unquote(raw)); break;
    case Type::List: {
      // A history is never longer than the history length, and a huge value is not read on:
      // nothing in the file makes the start (or the close) slow.
      const bool presets = &Field<std::vector<std::wstring>>(s, k) == &s.dateFormat;
      const std::size_t most =
          presets ? kMaxPresets : static_cast<std::size_t>(std::clamp(s.history, kMinHistory, kMaxHistory));
      Field<std::vector<std::wstring>>(s, k) = ReadCommaList(raw, most);
      break;
    }
  }
}

}  // namespace

std::optional<int> ReadInteger(std::wstring_view v) {
  const std::size_t size = v.size();
  while (!v.empty() && (v.front() == L' ' || v.front() == L'\t')) v.remove_prefix(1);
  bool negative = false;
  if (!v.empty() && (v.front() == L'+' || v.front() == L'-')) {
    negative = v.front() == L'-';
    v.remove_prefix(1);
  }
  bool hex = false;
  if (!v.empty() && (v.front() == L'$' || v.front() == L'x' || v.front() == L'X')) {
    hex = true;
    v.remove_prefix(1);
  } else if (size > 2 && v.size() >= 2 && v[0] == L'0' && (v[1] == L'x' || v[1] == L'X')) {
    hex = true;
    v.remove_prefix(2);
  }
  if (v.empty()) return std::nullopt;
  if (hex) {
    if (v.size() > 8) return std::nullopt;
    std::uint32_t u = 0;
    for (wchar_t c : v) {
      unsigned d;
      if (c >= L'0' && c <= L'9') d = c - L'0';
      else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
      else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
      else return std::nullopt;
      u = u * 16 + d;
    }
    if (negative) u = 0u - u;
    return static_cast<int>(u);  // eight digits fill 32 bits: $FFFFFFFF is -1
  }
  std::int64_t n = 0;
  for (wchar_t c : v) {
    if (c < L'0' || c > L'9') return std::nullopt;
    n = n * 10 + (c - L'0');
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
    if (std::optional<std::wstring_view> raw = ini.Get(k.section, k.name)) ApplyValue(s, k, *raw);
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
    std::wstring value = FormatValue(s, k);
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
