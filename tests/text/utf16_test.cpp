#include "text/utf16.h"

#include <gtest/gtest.h>

#include <string>

#include "text/TextTestUtil.h"

namespace {

const std::wstring kEmoji = L"\U0001F600";  // one character, two units

TEST(Utf16Path, SplitsIntoFolderNameAndExtension) {
  struct Row {
    const wchar_t* path;
    const wchar_t *folder, *name, *base, *ext;
  } rows[] = {
      {L"C:\\写真\\IMG.jpg", L"C:\\写真\\", L"IMG.jpg", L"IMG", L".jpg"},
      {L"C:\\a.b\\noext", L"C:\\a.b\\", L"noext", L"noext", L""},
      {L"C:\\d\\.txt", L"C:\\d\\", L".txt", L"", L".txt"},
      {L"C:x.tar.gz", L"C:", L"x.tar.gz", L"x.tar", L".gz"},
      {L"\\\\?\\C:\\\U0001F600\\\u00E9.MP3", L"\\\\?\\C:\\\U0001F600\\", L"\u00E9.MP3", L"\u00E9", L".MP3"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(Hex(r.path));
    EXPECT_EQ(utf16::FolderPart(r.path), r.folder);
    EXPECT_EQ(utf16::FileName(r.path), r.name);
    EXPECT_EQ(utf16::BaseName(r.path), r.base);
    EXPECT_EQ(utf16::Extension(r.path), r.ext);
  }
  EXPECT_EQ(utf16::JoinPath(L"C:\\", L"a"), L"C:\\a");
  EXPECT_EQ(utf16::JoinPath(L"C:\\d", L"a"), L"C:\\d\\a");
  EXPECT_EQ(utf16::WithoutFinalDelimiter(L"C:\\d\\"), L"C:\\d");
  EXPECT_EQ(utf16::WithoutFinalDelimiter(L"C:\\"), L"C:\\");
}

TEST(Utf16Find, NeverMatchesHalfOfAPair) {
  const std::wstring text = L"a" + kEmoji + L"b" + kEmoji;
  EXPECT_EQ(utf16::Find(text, kEmoji), 1u);
  EXPECT_EQ(utf16::Find(text, kEmoji, 2), 4u);
  EXPECT_EQ(utf16::Find(text, kEmoji.substr(1)), utf16::npos);  // the low half alone
  EXPECT_EQ(utf16::Find(text, kEmoji.substr(0, 1)), utf16::npos);
  EXPECT_EQ(utf16::Find(text, L""), utf16::npos);
  std::size_t next;
  EXPECT_EQ(utf16::CodeAt(text, 1, next), char32_t{0x1F600});
  EXPECT_EQ(next, 3u);
  EXPECT_EQ(utf16::PrevChar(text, 3), 1u);
}

TEST(Utf16Case, MapsThePlatformsWayAndPairsAsOneCharacter) {
  EXPECT_EQ(utf16::Upper(L"beyonc\u00E9 - halo"), L"BEYONC\u00C9 - HALO");
  EXPECT_EQ(utf16::Lower(L"STRASSE \u00C4\u00D6\u00DC"), L"strasse \u00E4\u00F6\u00FC");
  EXPECT_EQ(utf16::Upper(L"ａｂｃ\u301C" + kEmoji), L"ＡＢＣ\u301C" + kEmoji);
  EXPECT_EQ(utf16::Upper(L"\U00010428"), L"\U00010400");  // Deseret: a pair maps to a pair
  EXPECT_EQ(utf16::Lower(std::wstring(1, wchar_t(0xD801))), std::wstring(1, wchar_t(0xD801)));
  std::wstring folded;
  utf16::FoldName(L"Photo \u00E9.jpg", folded);
  EXPECT_EQ(folded, L"PHOTO \u00C9.JPG");
  EXPECT_EQ(utf16::CompareOrdinalIgnoringCase(L".MP3", L".mp3"), 0);
  EXPECT_EQ(utf16::CompareOrdinalIgnoringCase(L"\u00E9", L"\u00C9"), 0);
  EXPECT_NE(utf16::CompareOrdinalIgnoringCase(L"e", L"\u00E9"), 0);
}

TEST(Utf16, ShiftJisFormUtf8AndComposition) {
  EXPECT_TRUE(utf16::HasShiftJisForm(L"写真ｱ～①"));
  for (const wchar_t* s : {L"\u301C", L"\u00E9", L"\uD55C", L"\U0001F600"}) EXPECT_FALSE(utf16::HasShiftJisForm(s)) << Hex(s);
  const std::wstring mixed = L"Beyonc\u00E9 \u301C \uD55C\uAD6D\uC5B4 " + kEmoji;
  std::wstring back;
  ASSERT_TRUE(utf16::FromUtf8(utf16::ToUtf8(mixed), back));
  EXPECT_EQ(back, mixed);
  EXPECT_EQ(utf16::Utf8Size(mixed), utf16::ToUtf8(mixed).size());
  EXPECT_FALSE(utf16::FromUtf8("\xC3", back));
  const std::wstring mac = L"\u30B7\u3099\u30FC\u30EB";  // シ + the voiced mark, ール
  EXPECT_TRUE(utf16::NeedsCompose(mac));
  EXPECT_EQ(utf16::Compose(mac), L"\u30B8\u30FC\u30EB");
  EXPECT_FALSE(utf16::NeedsCompose(L"ジール.txt"));
  EXPECT_FALSE(utf16::NeedsCompose(L"\uF929"));  // a compatibility ideograph NFC would replace
  EXPECT_EQ(utf16::Compose(L"\uF929" + mac), L"\uF929\u30B8\u30FC\u30EB");
  EXPECT_EQ(utf16::Compose(L"ジール.txt"), L"ジール.txt");
}

}  // namespace
