#include "settings/SettingsFile.h"

#include <windows.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/CommaList.h"
#include "support/TempDir.h"

using settings::ReadCommaList;
using settings::ReadInteger;
using settings::ReadSettings;
using settings::Settings;
using settings::SettingsPath;
using settings::WriteCommaList;
using settings::WriteFailure;
using settings::WriteSettings;

namespace {

using Items = std::vector<std::wstring>;

// Read by the UTF-16 path itself: a folder with no Shift_JIS form would be "<missing>" otherwise.
std::string FileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

std::wstring IniWithContent(const TempDir& dir, const std::string& content) { return dir.Touch(L"k.ini", content); }

// The four default presets, byte for byte: yy"年"mm"月"dd"日",mm"月"dd"日",mm"月"dd"日（"dddd"）",dddddd
const char kDefaultPresets[] =
    "yy\"\x94\x4E\"mm\"\x8C\x8E\"dd\"\x93\xFA\",mm\"\x8C\x8E\"dd\"\x93\xFA\","
    "mm\"\x8C\x8E\"dd\"\x93\xFA\x81\x69\"dddd\"\x81\x6A\",dddddd";

}  // namespace

TEST(SettingsFile, NoFileGivesFirstStartValues) {
  TempDir dir;
  EXPECT_EQ(ReadSettings(dir.path() + L"none.ini"), Settings{});
  EXPECT_EQ(ReadSettings(dir.path() + L"no folder\\k.ini"), Settings{});
  std::wstring own = SettingsPath();
  EXPECT_TRUE(own.ends_with(L"\\settings_tests.ini")) << testing::PrintToString(own);
}

// Every member off its default, and the numbers, texts and lists each unlike the others, so
// that a member no key reads, or a key bound to another member, shows.
TEST(SettingsFile, EveryKeySurvivesARoundTrip) {
  Settings s;
  s.width = 812, s.height = 613, s.left = -1920, s.top = 44, s.tab = 7, s.sort = 6, s.sortDesc = true;
  s.nameWidth = 121, s.pathWidth = 232, s.newNameWidth = 343, s.maximized = true;
  s.start = 70000, s.step = -3, s.column = 9;
  s.divide = true, s.div2 = true, s.headOrTail = false, s.time = 2, s.headTail2 = true;
  s.upLoCase = -1, s.wnWord = 1, s.wnNum = 8, s.wnKakko = 3, s.wnSpace = 4, s.wnSymbol = 5, s.wideKana = true;
  s.regExp = true;
  s.remSCut = s.remCopy = s.remBracket1 = s.remParen1 = s.trim = s.jpegJpg = true;
  s.clearItems = s.escToExit = s.enterToExec = s.dropDir = true;
  s.dedupe = s.subFolders = s.folderItems = s.skipHidden = s.compose = true;
  s.history = 10;
  s.filter = L" lead.txt;ソ.txt;";  // a leading blank would be trimmed unquoted
  s.filterExt = L"'.a;'";            // enclosing quotes would be stripped unquoted
  s.basVal = {L"a b"}, s.oldVal = {L"x", L"y"}, s.newVal = {L""}, s.addVal = {L"\"q\""};
  s.dateFormat = {L"yyyy"};
  TempDir dir;
  // A folder with no Shift_JIS form (é) still works: the path stays UTF-16.
  std::wstring folder = dir.path() + L"caf\u00E9";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring path = folder + L"\\k.ini";
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_EQ(ReadSettings(path), s);
  const std::string first = FileBytes(path);
  // Saving again over the file changes nothing.
  ASSERT_TRUE(WriteSettings(path, ReadSettings(path)));
  EXPECT_EQ(FileBytes(path), first);
}

TEST(SettingsFile, FirstStartValuesAreWrittenExactly) {
  TempDir dir;
  std::wstring path = dir.path() + L"k.ini";
  ASSERT_TRUE(WriteSettings(path, Settings{}));
  const std::string expected = std::string() +
      "[Window]\r\nWidth=400\r\nHeight=400\r\nLeft=0\r\nTop=0\r\nTab=0\r\n"
      "NameWidth=0\r\nPathWidth=0\r\nNewNameWidth=0\r\nMaximized=0\r\nSort=0\r\nSortDesc=0\r\n\r\n"
      "[Job]\r\nStart=1\r\nStep=1\r\nColumn=2\r\nDivide=0\r\nDiv2=0\r\nHeadOrTail=1\r\nTime=0\r\n"
      "HeadTail2=0\r\nUpLoCase=0\r\nWNWord=0\r\nWNNum=0\r\nWNKakko=0\r\nWNSpace=0\r\nWNSymbol=0\r\n"
      "WideKana=0\r\nRegExp=0\r\n\r\n"
      "[Option]\r\nRemSCut=0\r\nRemCopy=0\r\nRem[1]=0\r\nRem(1)=0\r\nTrim=0\r\nJpeg-Jpg=0\r\n"
      "ClearItems=0\r\nEscToExit=0\r\nEnterToExec=0\r\nDropDir=0\r\nDedupe=0\r\nSubFolders=0\r\nFolderItems=0\r\n"
      "SkipHidden=0\r\nHistory=5\r\nFilter=\r\nFilterExt=\r\nCompose=0\r\n\r\n"
      "[Combo]\r\nBasVal=\r\nOldVal=\r\nNewVal=\r\nAddVal=\r\nDateFormat=" + kDefaultPresets + "\r\n";
  EXPECT_EQ(FileBytes(path), expected);
  EXPECT_EQ(ReadSettings(path), Settings{});
}

TEST(SettingsFile, IntegerValues) {
  struct Case {
    const wchar_t* value;
    std::optional<int> read;
  };
  const Case cases[] = {
      {L"500", 500},          {L"  -7", -7},         {L"+7", 7},           {L"70000", 70000},
      {L"0x1F4", 500},        {L"0X1f4", 500},       {L"$1F4", 500},       {L"x10", 16},
      {L"X10", 16},           {L"-$10", -16},        {L"$FFFFFFFF", -1},   {L"-2147483648", INT_MIN},
      {L"$100000000", {}},    {L"2147483648", {}},   {L"0x", {}},          {L"$", {}},
      {L"abc", {}},           {L"12a", {}},          {L"", {}},            {L"1 ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadInteger(c.value), c.read) << testing::PrintToString(c.value);
}

TEST(SettingsFile, ValuesAsTheFileHoldsThem) {
  TempDir dir;
  std::wstring path = IniWithContent(dir, "[Window]\r\nWidth=0x1F4\r\n[Job]\r\nStart=70000\r\nDivide=2\r\n");
  Settings s = ReadSettings(path);
  EXPECT_EQ(s.width, 500);
  EXPECT_EQ(s.start, 70000);  // the window takes the low 16 bits and clamps
  EXPECT_TRUE(s.divide);
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_NE(FileBytes(path).find("\r\nDivide=1\r\n"), std::string::npos);

  s = ReadSettings(IniWithContent(dir, "[Window]\r\nWidth=abc\r\n[Job]\r\nDivide=x\r\n"));
  EXPECT_EQ(s.width, 400);
  EXPECT_FALSE(s.divide);
}

TEST(SettingsFile, HandEditedFileReadsAndKeepsItsOwnLines) {
  const std::string content =
      "\xEF\xBB\xBF; written by hand\r\n"
      "[window]\r\n"
      "  width = 640\r\n"
      "WIDTH=999\r\n"
      "; keep me\r\n"
      "[Other]\r\n"
      "Width=1\r\n"
      "[option]\r\n"
      "unknown=\x95\x5C\r\n"  // 表: trail byte 5C
      "filter = \"a.txt;\" \r\n"
      "\r\n"
      "[Combo]\r\n"
      "BasVal=\"a b\"\r\n"
      "OldVal=\"a b\",c, \"d\"\"e\"";  // no line end
  TempDir dir;
  std::wstring path = IniWithContent(dir, content);
  Settings s = ReadSettings(path);
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.filter, L"a.txt;");
  EXPECT_EQ(s.basVal, (Items{L"a b"}));  // the quotes belong to the list
  EXPECT_EQ(s.oldVal, (Items{L"a b", L"c", L"d\"e"}));
  EXPECT_EQ(s.dateFormat, Settings{}.dateFormat);

  s.width = 700;
  ASSERT_TRUE(WriteSettings(path, s));
  std::string saved = FileBytes(path);
  for (const char* kept : {"\xEF\xBB\xBF; written by hand\r\n[window]\r\n  width =700\r\nWIDTH=999\r\n",
                           "; keep me\r\n[Other]\r\nWidth=1\r\n[option]\r\nunknown=\x95\x5C\r\n",
                           "filter =a.txt;\r\n"}) {
    EXPECT_NE(saved.find(kept), std::string::npos) << kept;
  }
  // A missing key goes to the end of its section, before the blank line.
  EXPECT_NE(saved.find("FilterExt=\r\nCompose=0\r\n\r\n[Combo]"), std::string::npos);
  EXPECT_EQ(saved.find("[Window]"), std::string::npos);  // no second section
  EXPECT_EQ(ReadSettings(path), s);
}

TEST(SettingsFile, ListsComeBackAsTheyWere) {
  struct Case {
    Items items;
    const wchar_t* written;
  };
  const Case cases[] = {
      {{}, L""},
      {{L""}, L"\"\""},
      {{L"a b"}, L"\"a b\""},
      {{L"yyyy mm dd", L"a,b", L"\"q\"yy"}, L"\"yyyy mm dd\",\"a,b\",\"\"\"q\"\"yy\""},
      {{L"x", L"", L"y", L""}, L"x,,y,\"\""},
      {{L"", L"tab\there"}, L",\"tab\there\""},
      {{L"mid\"quote", L"ソ ソ"}, L"mid\"quote,\"ソ ソ\""},
      // Texts Shift_JIS can't hold, a lone surrogate too, come back as they were.
      {{L"\" \U0001F600", L"a\u00E9", L"\xD800" L"b"}, L"\"\"\" \U0001F600\",a\u00E9,\xD800" L"b"},
  };
  for (const Case& c : cases) {
    const std::wstring written = c.written;
    EXPECT_EQ(WriteCommaList(c.items), written);
    EXPECT_EQ(ReadCommaList(written), c.items) << testing::PrintToString(written);
    Settings s;
    s.dateFormat = s.addVal = c.items;
    TempDir dir;
    std::wstring path = dir.path() + L"k.ini";
    ASSERT_TRUE(WriteSettings(path, s));
    EXPECT_EQ(ReadSettings(path), s) << testing::PrintToString(written);
  }
}

TEST(SettingsFile, ListsWrittenByEarlierVersionsStillRead) {
  struct Case {
    const wchar_t* value;
    Items items;
  };
  const Case cases[] = {
      {L"yyyy mm dd,x", {L"yyyy", L"mm", L"dd", L"x"}},   // presets joined unquoted
      {L"\"a b\",\"c\"\"d\",e", {L"a b", L"c\"d", L"e"}},  // histories quoted more often
      {L"  a ,  b  ,", {L"a", L"b"}},
      {L"a,,b", {L"a", L"", L"b"}},
      {L"\"a\"b", {L"a", L"b"}},
      {L"\"never closed, a", {L"never closed, a"}},
      {L"ソ,表", {L"ソ", L"表"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadCommaList(c.value), c.items) << testing::PrintToString(c.value);
}

TEST(SettingsFile, ValuesOfAnyLength) {
  Settings s;
  // 3000 bytes of double-byte characters with a blank first, so a cut at 2047 bytes or units
  // would show.
  std::wstring longPreset = L" ";
  while (longPreset.size() < 1500) longPreset += L"日";
  s.dateFormat = {longPreset, L"dd"};
  s.filter = std::wstring(5000, L'f') + L";";
  TempDir dir;
  std::wstring path = dir.path() + L"k.ini";
  ASSERT_TRUE(WriteSettings(path, s));
  EXPECT_EQ(ReadSettings(path), s);
}

TEST(SettingsFile, ReadOnlyFileIsLeftAsItWas) {
  TempDir dir;
  const std::string content = "[Window]\r\nWidth=500\r\n";
  std::wstring path = IniWithContent(dir, content);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteSettings(path, Settings{}));
  EXPECT_EQ(FileBytes(path), content);
  EXPECT_EQ(FolderListing(dir.path()), (Items{L"k.ini"}));  // no temporary file left behind

  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(WriteSettings(path, Settings{}));
  EXPECT_EQ(FolderListing(dir.path()), (Items{L"k.ini"}));
}

TEST(SettingsFile, HistoriesAreCutToTheHistoryLengthWhenRead) {
  TempDir dir;
  std::string huge = "[Option]\r\nHistory=3\r\n[Combo]\r\nBasVal=";
  for (int i = 0; i < 100000; ++i) huge.append("x").append(std::to_string(i)).append(",");
  huge += "\r\nOldVal=a,b\r\n";
  Settings s = ReadSettings(IniWithContent(dir, huge));
  EXPECT_EQ(s.basVal, (Items{L"x0", L"x1", L"x2"}));
  EXPECT_EQ(s.oldVal, (Items{L"a", L"b"}));
}

namespace {

std::string Utf16Bytes(const std::wstring& w) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : w) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::string Utf8Bytes(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

// Windows' own profile functions read UTF-16 LE files; such a file stays one, and what
// Shift_JIS can't hold (the comment's "é" and "☕") survives the save.
TEST(SettingsFile, Utf16FileIsReadAndWrittenBackInUtf16) {
  TempDir dir;
  const std::wstring before = L"; caf\u00E9 \u2615\r\n[Option]\r\nHistory=4\r\n[Combo]\r\nBasVal=\u5199\u771F\r\n";
  std::wstring ini = IniWithContent(dir, Utf16Bytes(before));
  Settings s = ReadSettings(ini);
  EXPECT_EQ(s.history, 4);
  EXPECT_EQ(s.basVal, Items{L"写真"});
  s.history = 6;
  ASSERT_TRUE(WriteSettings(ini, s));
  std::string bytes = FileBytes(ini);
  ASSERT_TRUE(bytes.starts_with("\xFF\xFE"));
  std::string expectedStart = Utf16Bytes(L"; caf\u00E9 \u2615\r\n[Option]\r\nHistory=6\r\n");
  EXPECT_TRUE(bytes.starts_with(expectedStart));
  EXPECT_NE(bytes.find(Utf16Bytes(L"BasVal=\u5199\u771F\r\n").substr(2)), std::string::npos);
  EXPECT_EQ(ReadSettings(ini), s);
}

TEST(SettingsFile, Utf8FileKeepsItsMarkAndTheBytesOfUnchangedValues) {
  TempDir dir;
  const std::string head = "\xEF\xBB\xBF" + Utf8Bytes(L"; caf\u00E9\r\n[Combo]\r\nAddVal=\u65E5\u672C\r\n");
  const std::string tail = Utf8Bytes(L"OldVal=caf\u00E9\r\n");
  std::wstring ini = IniWithContent(dir, head + tail);
  Settings s = ReadSettings(ini);
  EXPECT_EQ(s.addVal, Items{L"日本"});
  s.newVal = {L"新"};
  ASSERT_TRUE(WriteSettings(ini, s));
  std::string bytes = FileBytes(ini);
  // The mark, the comment, the unchanged values (also one Shift_JIS can't hold) as they were.
  EXPECT_TRUE(bytes.starts_with(head + tail)) << bytes;
  EXPECT_NE(bytes.find(Utf8Bytes(L"NewVal=\u65B0")), std::string::npos);
  EXPECT_EQ(ReadSettings(ini).newVal, Items{L"新"});
}

// A file of Shift_JIS values stays Shift_JIS byte for byte; a value Shift_JIS can't hold makes
// the whole file UTF-16 LE with its mark, comments and all, and each form reads back as written.
TEST(SettingsFile, AValueShiftJisCantHoldMakesTheFileUtf16) {
  TempDir dir;
  const std::wstring ini = IniWithContent(dir, "; \x90\xDD\x92\xE8\r\n[Combo]\r\nBasVal=a\r\n");  // ; 設定
  Settings s;
  s.basVal = {L"写真"};
  ASSERT_TRUE(WriteSettings(ini, s));
  std::string bytes = FileBytes(ini);
  EXPECT_TRUE(bytes.starts_with("; \x90\xDD\x92\xE8\r\n[Combo]\r\nBasVal=\x8E\xCA\x90\x5E\r\n")) << bytes;
  EXPECT_EQ(ReadSettings(ini), s);

  s.basVal = {L"caf\u00E9", L"写真"};
  s.oldVal = {L"\U0001F600", L"한국어"};
  ASSERT_TRUE(WriteSettings(ini, s));
  bytes = FileBytes(ini);
  EXPECT_TRUE(bytes.starts_with(Utf16Bytes(L"; 設定\r\n[Combo]\r\nBasVal=caf\u00E9,写真\r\n"))) << bytes;
  EXPECT_EQ(ReadSettings(ini), s);
  ASSERT_TRUE(WriteSettings(ini, ReadSettings(ini)));
  EXPECT_EQ(FileBytes(ini), bytes);
}

// A full disk: no file can be made beside the settings file, and it can't grow. It is written
// in place (keeping its attributes) only where the new content fits; else it stays whole.
TEST(SettingsFile, AFullDiskNeverCutsTheFile) {
  TempDir dir;
  std::wstring ini = IniWithContent(dir, "");
  Settings s;
  s.history = 3;
  ASSERT_TRUE(WriteSettings(ini, s));
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_HIDDEN);
  static std::uint64_t room;
  const std::string before = FileBytes(ini);
  room = before.size();
  const os::DiskRoom full = [](const std::wstring& path) { return path.ends_with(L"\\k.ini") ? room : 0; };
  s.basVal = {L"x"};
  WriteFailure why;
  EXPECT_FALSE(WriteSettings(ini, s, &why, nullptr, full));
  EXPECT_EQ(why.error, static_cast<unsigned long>(ERROR_DISK_FULL));
  EXPECT_EQ(FileBytes(ini), before);
  s.basVal = {}, s.history = 7;
  EXPECT_TRUE(WriteSettings(ini, s, nullptr, nullptr, full));
  EXPECT_EQ(ReadSettings(ini), s);
  EXPECT_EQ(GetFileAttributesW(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(FolderListing(dir.path()), (Items{L"k.ini"}));
}

// Only a plain file of its own is written: a link at the temporary file's name (to a file
// elsewhere, or dangling) is passed over, and a settings file that is a link or a folder is
// not written at all.
TEST(SettingsFile, NothingButAPlainFileOfItsOwnIsWritten) {
  if (!UnderWine()) GTEST_SKIP() << "links are made through Linux";
  // The entry planted, and the link's target (a folder where empty).
  for (auto [entry, link] : {std::pair{L"k.ini.tmp", L"../o/t.txt"}, {L"k.ini.tmp", L"../o/new.txt"},
                             {L"k.ini", L"../o/t.txt"}, {L"k.ini", L"../o/new.txt"}, {L"k.ini", L""}}) {
    TempDir dir;
    const std::wstring outside = dir.Touch(L"o\\t.txt", "mine");
    const std::wstring ini = dir.Mkdir(L"p") + L"\\k.ini";
    const bool plain = std::wstring_view(entry) != L"k.ini";
    if (plain) dir.Touch(L"p\\k.ini", "[Option]\r\nHistory=3\r\n");
    ASSERT_TRUE(*link ? dir.LinkUnix(entry, link, L"p") : !dir.Mkdir(L"p\\k.ini").empty());
    WriteFailure why;
    EXPECT_EQ(WriteSettings(ini, Settings{}, &why), plain) << testing::PrintToString(std::wstring(entry) + L" " + link);
    EXPECT_EQ(why.notAFile, !plain);
    EXPECT_EQ(FolderListing(dir.path() + L"o"), Items{L"t.txt"});
    EXPECT_EQ(FileContent(outside), "mine");
    EXPECT_TRUE(!plain || ReadSettings(ini) == Settings{});
  }
}
