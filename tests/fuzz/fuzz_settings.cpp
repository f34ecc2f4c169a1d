// Targets of the settings: the CommaList reader and writer, and the settings
// file read from random contents and written back.
#include <windows.h>

#include <algorithm>
#include <string>

#include "Fuzz.h"
#include "settings/CommaList.h"
#include "settings/History.h"
#include "settings/SettingsFile.h"
#include "text/sjis.h"
#include "text/utf16.h"

using settings::ReadCommaList;
using settings::ReadSettings;
using settings::Settings;
using settings::WriteCommaList;
using settings::WriteSettings;
using settings::kMaxHistory;
using settings::kMaxPresets;
using settings::kMinHistory;

namespace fuzz {
namespace {

const wchar_t* const kListPieces[] = {L",",   L",",   L" ",  L"  ",  L"\t",   L"\"",
                                     L"\"\"", L"\",", L",\"", L"\" ", L"\x01", L",,"};

// The UTF-8 form of a wide text, for the inputs a failure prints.
std::string Shown(std::wstring_view w) { return utf16::ToUtf8(w); }

std::wstring ListValue(Rng& rng) {
  std::wstring v;
  for (int k = rng.Between(0, 10); k > 0; --k) {
    if (rng.Percent(45)) v += rng.Pick(kListPieces);
    else v += WideText(rng, 4);
  }
  return v;
}

void CommaList(Case& c) {
  const std::wstring value = ListValue(c.rng);
  c.Input("value", Shown(value));
  const std::vector<std::wstring> items = ReadCommaList(value);
  const std::size_t most = c.rng.Below(6);
  const std::vector<std::wstring> first = ReadCommaList(value, most);
  c.Check(first.size() == std::min(most, items.size()) && std::equal(first.begin(), first.end(), items.begin()),
          "a list read to its limit is not the list's first items");
  // Whatever is written reads back as it was: the items read, and items of any units at all.
  const std::wstring written = WriteCommaList(items);
  c.Check(ReadCommaList(written) == items, "items read don't come back through the writer",
          Shown(WriteCommaList(ReadCommaList(written))), Shown(written));
  std::vector<std::wstring> any(c.rng.Below(5));
  for (std::wstring& item : any) item = c.rng.Percent(30) ? WidePiece(c.rng, value) : WideText(c.rng, 5);
  const std::wstring joined = WriteCommaList(any);
  c.Input("written", Shown(joined));
  const std::vector<std::wstring> back = ReadCommaList(joined);
  c.Check(back == any, "items don't come back through the writer", Shown(WriteCommaList(back)), Shown(joined));
}

// ---- The settings file ------------------------------------------------------------------------

const char* const kSections[] = {"Window", "Job", "Option", "Combo", "window", "OPTION", "Other", "表"};
const char* const kKeys[] = {"Width", "Height", "Left", "Top", "Tab", "Start", "Step", "Column", "Divide", "Div2",
                             "HeadOrTail", "Time", "HeadTail2", "UpLoCase", "WNWord", "WNNum", "WNKakko", "WNSpace",
                             "WNSymbol", "WideKana", "RemSCut", "RemCopy", "Rem[1]", "Rem(1)", "Trim", "Jpeg-Jpg",
                             "ClearItems", "EscToExit", "EnterToExec", "DropDir", "History", "Filter", "FilterExt",
                             "BasVal", "OldVal", "NewVal", "AddVal", "DateFormat", "Compose", "history", "WIDTH",
                             "Unknown"};
const char* const kNumbers[] = {"0", "1", "-1", "70000", "0x1F4", "$FFFFFFFF", "x10", "X7fffffff", "2147483648",
                                "-2147483648", "  12", "+5", "abc", "", "0x", "12a", "99999999999", "\"3\"", "'4'"};

std::string Value(Rng& rng) {
  switch (rng.Below(5)) {
    case 0:
    case 1: return rng.Pick(kNumbers);
    case 2: return sjis::FromUtf16Lenient(ListValue(rng));
    default: return Cat({rng.Percent(20) ? " " : "", AnyText(rng, 8), rng.Percent(20) ? "\t" : ""});
  }
}

std::string Contents(Rng& rng) {
  const char* const eols[] = {"\r\n", "\n", "\r\n", "\r\r\n"};
  const char* eol = rng.Pick(eols);
  std::string text;
  for (int k = rng.Between(0, 30); k > 0; --k) {
    switch (rng.Below(8)) {
      case 0: text += Cat({"[", rng.Pick(kSections), rng.Percent(95) ? "]" : ""}); break;
      case 1: text += Cat({"; ", AnyText(rng, 6)}); break;
      case 2: text += AnyText(rng, 8); break;
      case 3: text += ""; break;
      default:
        text += Cat({rng.Percent(10) ? " " : "", rng.Pick(kKeys), rng.Percent(10) ? " = " : "=", Value(rng)});
        break;
    }
    if (rng.Percent(97)) text += rng.Percent(90) ? eol : rng.Pick(eols);
  }
  switch (rng.Below(10)) {
    case 0: return Cat({"\xEF\xBB\xBF", text});  // UTF-8: the Shift_JIS bytes mostly read as invalid
    case 1: {
      std::wstring w = sjis::ToUtf16Lenient(text);
      std::string out = "\xFF\xFE";
      for (wchar_t ch : w) out += {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
      if (rng.Percent(10)) out += 'x';  // an odd byte at the end
      return out;
    }
    default: return text;
  }
}

// One file in the temporary folder for every case, removed when the run ends.
struct TestFile {
  std::wstring path;
  TestFile() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path = std::wstring(temp) + L"kinoha-fuzz-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
  }
  ~TestFile() { DeleteFileW(path.c_str()); }
};

const std::wstring& FilePath() {
  static const TestFile file;
  return file.path;
}

bool Put(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

std::string Get(const std::wstring& path) {
  std::string out;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(h);
  return out;
}

void CheckRanges(Case& c, const Settings& s) {
  const std::size_t most = static_cast<std::size_t>(std::clamp(s.history, kMinHistory, kMaxHistory));
  for (const std::vector<std::wstring>* h : {&s.basVal, &s.oldVal, &s.newVal, &s.addVal}) {
    c.Check(h->size() <= most, "a history read longer than the history length");
  }
  c.Check(s.dateFormat.size() <= kMaxPresets, "more presets read than kept");
}

void SettingsTarget(Case& c) {
  const std::string contents = Contents(c.rng);
  c.Input("file", contents);
  const std::wstring& path = FilePath();
  if (!c.Check(Put(path, contents), "the test file can't be written")) return;
  Settings s = ReadSettings(path);
  CheckRanges(c, s);
  // A text Shift_JIS can't hold turns the file to UTF-16, which reads back the same.
  if (c.rng.Percent(30)) {
    s.filter = WideText(c.rng, 8);
    std::erase_if(s.filter, [](wchar_t ch) { return ch == L'\r' || ch == L'\n'; });  // a value is one line
    c.Input("filter", Shown(s.filter));
  }
  c.Check(WriteSettings(path, s), "the first write failed");
  const std::string first = Get(path);
  const Settings s2 = ReadSettings(path);
  CheckRanges(c, s2);
  c.Check(s2 == s, "what was written reads back otherwise");
  c.Check(WriteSettings(path, s2), "the second write failed");
  const std::string second = Get(path);
  c.Check(second == first, "the second write's bytes differ from the first's", second, first);
}

}  // namespace

void AddSettingsTargets(std::vector<Target>& targets) {
  targets.push_back({"commalist", CommaList});
  targets.push_back({"settings", SettingsTarget, 50});
}

}  // namespace fuzz
