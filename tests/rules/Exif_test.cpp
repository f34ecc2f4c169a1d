#include "rules/Exif.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/TestData.h"
#include "disk/ShotDateCache.h"
#include "support/TempDir.h"

using rules::DateTime;
using rules::EncodeDateTime;
using rules::ParseExifDate;
using rules::ShotDateFrom;
using rules::ShotDateFromBytes;
using rules::kExifMaxRead;
using disk::ReadShotDate;
using disk::ShotDateCache;

namespace {

using Bytes = std::vector<unsigned char>;

// Dates compare with EXPECT_DOUBLE_EQ: on i686 the x87 unit keeps EncodeDateTime's result
// with more precision than a stored double has.

const DateTime kOriginal42 = EncodeDateTime(2024, 5, 7, 9, 41, 27);
const DateTime kDigitized42 = EncodeDateTime(2024, 5, 8, 10, 0, 0);
const DateTime kDateTime42 = EncodeDateTime(2024, 6, 1, 12, 0, 0);

// The parse over a copy that ends at a page without access: a read past the end crashes.
bool Parse(const Bytes& bytes, DateTime& out) {
  testdata::Guarded guarded(bytes);
  return ShotDateFromBytes(guarded.data(), guarded.size(), out);
}

// The date, or -1 for none.
DateTime DateOr(const Bytes& bytes) {
  DateTime out = -1;
  return Parse(bytes, out) ? out : -1;
}

Bytes Data(const char* name) {
  Bytes bytes = testdata::Bytes(name);
  EXPECT_FALSE(bytes.empty()) << testdata::Path(name);
  return bytes;
}

// Where the bytes hold the pattern: exactly once, or the test data is not what we think.
std::size_t Find(const Bytes& bytes, const Bytes& pattern) {
  auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
  EXPECT_NE(it, bytes.end());
  if (it == bytes.end()) return 0;
  EXPECT_EQ(std::search(it + 1, bytes.end(), pattern.begin(), pattern.end()), bytes.end()) << "twice";
  return static_cast<std::size_t>(it - bytes.begin());
}

void Put(Bytes& bytes, std::size_t at, const Bytes& what) { std::copy(what.begin(), what.end(), bytes.begin() + at); }
void PutText(Bytes& bytes, std::size_t at, const char* text) {
  std::memcpy(bytes.data() + at, text, std::strlen(text));
}

// Big-endian numbers, as IMG_0042.JPG and shot_mm.tif hold them.
Bytes Be32(std::uint32_t v) { return {Bytes::value_type(v >> 24), Bytes::value_type(v >> 16), Bytes::value_type(v >> 8), Bytes::value_type(v)}; }
Bytes Be16(std::uint16_t v) { return {Bytes::value_type(v >> 8), Bytes::value_type(v)}; }

// IMG_0042.JPG: its APP1 starts at 20, the TIFF header at 30; the offsets inside count from there.
constexpr std::size_t kTiff42 = 30;


TEST(ParseExifDate, TheFormAndTheRanges) {
  DateTime d = -1;
  EXPECT_TRUE(ParseExifDate("2024:05:07 09:41:27", d));
  EXPECT_DOUBLE_EQ(d, kOriginal42);
  EXPECT_TRUE(ParseExifDate("2024:02:29 23:59:59", d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2024, 2, 29, 23, 59, 59));
  EXPECT_TRUE(ParseExifDate("2000:02:29 00:00:00", d));
  EXPECT_TRUE(ParseExifDate("0001:01:01 00:00:00", d));
  EXPECT_TRUE(ParseExifDate("9999:12:31 23:59:59", d));
  for (const char* bad : {"0000:00:00 00:00:00", "                   ", "    :  :     :  :  ", "2023:02:29 00:00:00",
                          "1900:02:29 00:00:00", "2024:04:31 00:00:00", "2024:13:01 00:00:00", "2024:00:10 00:00:00",
                          "2024:05:00 00:00:00", "2024:05:07 24:00:00", "2024:05:07 23:60:00", "2024:05:07 23:59:60",
                          "0000:05:07 09:41:27", "2024-05-07 09:41:27", "2024:05:07T09:41:27", "2024:05:07 09:41:2",
                          "2024:05:07 09:41:27 ", "2024:5:07 09:41:27 ", "2024:05:07 09:41:2x", "+024:05:07 09:41:27",
                          ""}) {
    d = -1;
    EXPECT_FALSE(ParseExifDate(bad, d)) << bad;
    EXPECT_DOUBLE_EQ(d, -1) << bad;
  }
}

TEST(ShotDate, TheTestPhotos) {
  EXPECT_DOUBLE_EQ(DateOr(Data("IMG_0042.JPG")), kOriginal42);                              // JPEG "MM"
  EXPECT_DOUBLE_EQ(DateOr(Data("IMG_0043.JPG")), EncodeDateTime(2022, 8, 15, 18, 30, 0));  // JPEG "II", IFD0 only
  EXPECT_DOUBLE_EQ(DateOr(Data("no_exif.jpg")), -1);
  EXPECT_DOUBLE_EQ(DateOr(Data("shot_ii.tif")), EncodeDateTime(2023, 12, 31, 23, 59, 58));
  EXPECT_DOUBLE_EQ(DateOr(Data("shot_mm.tif")), EncodeDateTime(2019, 2, 28, 6, 7, 8));
  EXPECT_DOUBLE_EQ(DateOr({}), -1);
  DateTime d = -1;
  EXPECT_FALSE(ShotDateFromBytes(nullptr, 100, d));
}

TEST(ShotDate, OriginalThenDigitizedThenIfd0) {
  Bytes b = Data("IMG_0042.JPG");
  const std::size_t original = Find(b, {0x90, 0x03, 0x00, 0x02});
  const std::size_t digitized = Find(b, {0x90, 0x04, 0x00, 0x02});
  Bytes noOriginal = b;
  Put(noOriginal, original, {0x99, 0x99});
  EXPECT_DOUBLE_EQ(DateOr(noOriginal), kDigitized42);
  Bytes neither = noOriginal;
  Put(neither, digitized, {0x99, 0x99});
  EXPECT_DOUBLE_EQ(DateOr(neither), kDateTime42);
  // An invalid text counts as none: the next one is taken.
  Bytes zeroed = b;
  PutText(zeroed, Find(b, {'2', '0', '2', '4', ':', '0', '5', ':', '0', '7'}), "0000:00:00 00:00:00");
  EXPECT_DOUBLE_EQ(DateOr(zeroed), kDigitized42);
  // The wrong type (UNDEFINED rather than ASCII), a count too short.
  Bytes undefined = b;
  Put(undefined, original + 2, Be16(7));
  EXPECT_DOUBLE_EQ(DateOr(undefined), kDigitized42);
  Bytes shortCount = b;
  Put(shortCount, original + 4, Be32(18));
  EXPECT_DOUBLE_EQ(DateOr(shortCount), kDigitized42);
  // A huge count with a good offset: only the 19 bytes are read.
  Bytes hugeCount = b;
  Put(hugeCount, original + 4, Be32(0xFFFFFFFF));
  EXPECT_DOUBLE_EQ(DateOr(hugeCount), kOriginal42);

  // Little-endian TIFF: the same order.
  Bytes t = Data("shot_ii.tif");
  Put(t, Find(t, {0x03, 0x90, 0x02, 0x00}), {0x99, 0x99});
  EXPECT_DOUBLE_EQ(DateOr(t), EncodeDateTime(2023, 12, 30, 1, 2, 3));
  Put(t, Find(t, {0x04, 0x90, 0x02, 0x00}), {0x99, 0x99});
  EXPECT_DOUBLE_EQ(DateOr(t), EncodeDateTime(2024, 1, 2, 3, 4, 5));
}

TEST(ShotDate, OffsetsPastTheEnd) {
  const Bytes b = Data("IMG_0042.JPG");
  const std::size_t exifPointer = Find(b, {0x87, 0x69, 0x00, 0x04});
  const std::size_t original = Find(b, {0x90, 0x03, 0x00, 0x02});
  const std::size_t ifd0 = kTiff42 + 4;
  for (std::uint32_t where : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 0x10000u, std::uint32_t(b.size()),
                            std::uint32_t(b.size() - kTiff42), std::uint32_t(b.size() - kTiff42 - 1)}) {
    Bytes c = b;
    Put(c, ifd0, Be32(where));
    EXPECT_DOUBLE_EQ(DateOr(c), -1) << "IFD0 at " << where;
    c = b;
    Put(c, exifPointer + 8, Be32(where));
    EXPECT_DOUBLE_EQ(DateOr(c), kDateTime42) << "Exif IFD at " << where;
    c = b;
    Put(c, original + 8, Be32(where));
    EXPECT_DOUBLE_EQ(DateOr(c), kDigitized42) << "DateTimeOriginal at " << where;
  }
  // The text's last byte one past the APP1's end: the segment bounds it, not the buffer.
  Bytes c = b;
  const std::size_t app1End = 20 + 2 + (std::size_t{b[22]} << 8 | b[23]);
  Put(c, original + 8, Be32(std::uint32_t(app1End - kTiff42 - 18)));
  EXPECT_DOUBLE_EQ(DateOr(c), kDigitized42);
}

TEST(ShotDate, HugeCountsAndLoops) {
  const Bytes b = Data("IMG_0042.JPG");
  const std::size_t exifPointer = Find(b, {0x87, 0x69, 0x00, 0x04});
  const std::size_t ifd0 = kTiff42 + 8;  // IFD0 is at 8
  // IFD0 claims 65535 entries: those that are there are still read, the rest aren't asked for.
  Bytes c = b;
  Put(c, ifd0, Be16(0xFFFF));
  EXPECT_DOUBLE_EQ(DateOr(c), kOriginal42);
  // The Exif IFD pointer points back at IFD0, or at itself, or at the APP1 header: no loop.
  for (std::uint32_t at : {8u, 0u, std::uint32_t(exifPointer - kTiff42), std::uint32_t(exifPointer - kTiff42 + 8)}) {
    c = b;
    Put(c, exifPointer + 8, Be32(at));
    EXPECT_DOUBLE_EQ(DateOr(c), kDateTime42) << at;
  }
  // IFD0's link to the next IFD pointing at IFD0 again: chains are never followed.
  c = b;
  const std::size_t entries = std::size_t{b[ifd0]} << 8 | b[ifd0 + 1];
  Put(c, ifd0 + 2 + entries * 12, Be32(8));
  EXPECT_DOUBLE_EQ(DateOr(c), kOriginal42);
  // A TIFF whose IFD0 claims 65535 entries over a megabyte of zeros: the parse stays bounded.
  Bytes big(1 << 20, 0);
  Put(big, 0, {'M', 'M', 0, 42, 0, 0, 0, 8, 0xFF, 0xFF});
  testdata::CountingBytes counting(big.data(), big.size());
  DateTime out;
  EXPECT_FALSE(ShotDateFrom(counting, out));
  EXPECT_LE(counting.asked, kExifMaxRead);
  EXPECT_LE(counting.reads, 20u);
}

TEST(ShotDate, JpegSegments) {
  const Bytes b = Data("IMG_0042.JPG");
  ASSERT_EQ(b[20], 0xFF);
  ASSERT_EQ(b[21], 0xE1);
  auto insertAt = [&](std::size_t at, const Bytes& what) {
    Bytes c = b;
    c.insert(c.begin() + static_cast<std::ptrdiff_t>(at), what.begin(), what.end());
    return c;
  };
  // An XMP APP1 before the Exif one, fill bytes before a marker, a marker without length.
  Bytes xmp = {0xFF, 0xE1, 0x00, 0x10};
  for (char ch : std::string("http://ns.adob")) xmp.push_back(static_cast<unsigned char>(ch));
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, xmp)), kOriginal42);
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, {0xFF, 0xFF, 0xFF})), kOriginal42);
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, {0xFF, 0xD0})), kOriginal42);
  // The image data (SOS) or the end (EOI) before the APP1: no date.
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, {0xFF, 0xDA, 0x00, 0x02})), -1);
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, {0xFF, 0xD9})), -1);
  // A segment length of 0 or 1, or one reaching past everything.
  for (std::uint16_t length : {0, 1}) {
    Bytes c = b;
    Put(c, 4, Be16(length));
    EXPECT_DOUBLE_EQ(DateOr(c), -1) << length;
  }
  Bytes c = b;
  Put(c, 4, Be16(0xFFFF));
  EXPECT_DOUBLE_EQ(DateOr(c), -1);
  // An APP1 "Exif" too short for its header.
  c = b;
  Put(c, 22, Be16(8));
  EXPECT_DOUBLE_EQ(DateOr(c), -1);
  // A segment that runs on past the buffer: only what is there is read.
  c = b;
  Put(c, 22, Be16(0xFFFF));
  EXPECT_DOUBLE_EQ(DateOr(c), kOriginal42);
  // Not behind a 64 KiB run of other segments.
  Bytes pad;
  for (int i = 0; i < 2; ++i) {
    Bytes seg = {0xFF, 0xE2, 0xFF, 0xFF};
    seg.resize(2 + 0xFFFF, 0);
    pad.insert(pad.end(), seg.begin(), seg.end());
  }
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, pad)), -1);
  // Past 64 fill bytes the search gives up.
  EXPECT_DOUBLE_EQ(DateOr(insertAt(20, Bytes(100, 0xFF))), -1);
  // Not a JPEG nor a TIFF.
  EXPECT_DOUBLE_EQ(DateOr({'I', 'I', 43, 0, 8, 0, 0, 0}), -1);
  EXPECT_DOUBLE_EQ(DateOr({'I', 'M', 42, 0, 8, 0, 0, 0}), -1);
  EXPECT_DOUBLE_EQ(DateOr({0xFF, 0xD8}), -1);
  EXPECT_DOUBLE_EQ(DateOr({0xFF}), -1);
}

// ---- The file side ----------------------------------------------------------------------------

std::wstring Copy(const TempDir& dir, const std::wstring& name, const Bytes& bytes) {
  return dir.Touch(name, std::string(bytes.begin(), bytes.end()));
}

void SetLastWrite(const std::wstring& path, int year) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year), st.wMonth = 1, st.wDay = 1;
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
}

TEST(ReadShotDate, FilesOnDisk) {
  TempDir dir;
  DateTime d = -1;
  EXPECT_TRUE(ReadShotDate(Copy(dir, L"写真\U0001F600.JPG", Data("IMG_0042.JPG")), d));
  EXPECT_DOUBLE_EQ(d, kOriginal42);
  EXPECT_TRUE(ReadShotDate(Copy(dir, L"a.tif", Data("shot_mm.tif")), d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2019, 2, 28, 6, 7, 8));
  // The content decides, not the name.
  EXPECT_TRUE(ReadShotDate(Copy(dir, L"photo.txt", Data("shot_ii.tif")), d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2023, 12, 31, 23, 59, 58));
  d = -1;
  EXPECT_FALSE(ReadShotDate(Copy(dir, L"plain.jpg", Data("no_exif.jpg")), d));
  EXPECT_FALSE(ReadShotDate(dir.Touch(L"empty.jpg"), d));
  EXPECT_FALSE(ReadShotDate(dir.path() + L"missing.jpg", d));
  EXPECT_FALSE(ReadShotDate(dir.Mkdir(L"folder.jpg"), d));
  EXPECT_FALSE(ReadShotDate(L"", d));
  EXPECT_DOUBLE_EQ(d, -1);
}

// A TIFF whose IFDs and text lie past the first 64 KiB: read where they are, bounded.
TEST(ReadShotDate, TiffBeyondTheHead) {
  Bytes big(200000, 0);
  const std::uint32_t ifd = 150000, text = 180000;
  Put(big, 0, {'M', 'M', 0, 42});
  Put(big, 4, Be32(ifd));
  Put(big, ifd, Be16(1));
  Put(big, ifd + 2, Be16(0x0132));
  Put(big, ifd + 4, Be16(2));
  Put(big, ifd + 6, Be32(20));
  Put(big, ifd + 10, Be32(text));
  PutText(big, text, "2011:03:11 14:46:18");
  TempDir dir;
  DateTime d = -1;
  EXPECT_TRUE(ReadShotDate(Copy(dir, L"big.tif", big), d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2011, 3, 11, 14, 46, 18));
  Put(big, ifd + 10, Be32(static_cast<std::uint32_t>(big.size() - 10)));
  EXPECT_FALSE(ReadShotDate(Copy(dir, L"past.tif", big), d));
}

TEST(ShotDateCache, EachFileReadOnceUntilItChanges) {
  TempDir dir;
  const Bytes photo = Data("IMG_0042.JPG");
  const std::wstring a = Copy(dir, L"a.jpg", photo), b = Copy(dir, L"b.jpg", Data("no_exif.jpg"));
  SetLastWrite(a, 2020);
  ShotDateCache cache;
  DateTime d = -1;
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_TRUE(cache.Get(a, d));
    EXPECT_DOUBLE_EQ(d, kOriginal42);
    EXPECT_FALSE(cache.Get(b, d));
    EXPECT_FALSE(cache.Get(dir.path() + L"missing.jpg", d));
  }
  EXPECT_EQ(cache.size(), 2u);

  // Another date written in, the same size: the date kept answers while the last-write time
  // stays; another time has the file read again.
  Bytes changed = photo;
  PutText(changed, Find(photo, {'2', '0', '2', '4', ':', '0', '5', ':', '0', '7'}), "2025:01:02");
  Copy(dir, L"a.jpg", changed);
  SetLastWrite(a, 2020);
  EXPECT_TRUE(cache.Get(a, d));
  EXPECT_DOUBLE_EQ(d, kOriginal42);
  SetLastWrite(a, 2030);
  EXPECT_TRUE(cache.Get(a, d));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2025, 1, 2, 9, 41, 27));
  // Exif added to b: another size.
  Copy(dir, L"b.jpg", photo);
  EXPECT_TRUE(cache.Get(b, d));
  // Cleared, a file is read again though its stamp is the one kept.
  Copy(dir, L"a.jpg", photo);
  SetLastWrite(a, 2030);
  cache.Clear();
  EXPECT_TRUE(cache.Get(a, d));
  EXPECT_DOUBLE_EQ(d, kOriginal42);
}

// A file held open for writing by another that shares reading: still read (we ask for reading
// only and share everything).
TEST(ReadShotDate, AFileHeldOpenByAnother) {
  TempDir dir;
  const std::wstring path = Copy(dir, L"held.jpg", Data("IMG_0042.JPG"));
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DateTime d = -1;
  EXPECT_TRUE(ReadShotDate(path, d));
  EXPECT_DOUBLE_EQ(d, kOriginal42);
  CloseHandle(held);
}

}  // namespace
