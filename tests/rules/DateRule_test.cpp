#include "rules/DateRule.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data/TestData.h"
#include "disk/untFileUtils.h"
#include "support/TempDir.h"

namespace {

const DateTime kCreated = EncodeDateTime(2003, 5, 7, 10, 15, 36);
const DateTime kModified = EncodeDateTime(2004, 6, 8);
const char* kPattern = "yy\"年\"mm\"月\"dd\"日\"";

// Files answer with their creation or last-write date; any other path or kind is an error.
DateSources FakeFiles() {
  DateSources sources;
  sources.now = [] { return DateTime(-1); };
  sources.fileDate = [](std::string_view path, FileTimeKind kind) {
    EXPECT_EQ(path, "C:\\Photos\\photo.jpg");
    return kind == ftCreation ? kCreated : kind == ftLastWrite ? kModified : DateTime(-2);
  };
  return sources;
}

std::string RunOnPhoto(const DateInputs& in) {
  RenameList list;
  list.Add("photo.jpg", "C:\\Photos\\");
  list[0].newName = "stale";
  PreviewDate(list, in, DateLocale{}, FakeFiles());
  return list[0].newName;
}

TEST(PreviewDate, JoinsTextAndDate) {
  struct Row {
    DateKind kind;
    bool head, tail, hasDate;
    std::string text, expected;
  };
  const std::vector<Row> rows = {
      {DateKind::Created, false, true, true, "", "photo_03年05月07日"},
      {DateKind::Created, true, false, true, "", "03年05月07日_photo"},
      {DateKind::Modified, false, true, true, "", "photo_04年06月08日"},
      {DateKind::Created, true, true, true, "", "03年05月07日_photo"},  // head wins
      {DateKind::Created, false, true, true, " 旅行 ", " 旅行 _03年05月07日"},
      {DateKind::Created, false, true, false, "", "photo_"},
      {DateKind::Created, true, false, false, "trip", "_trip"},
      {DateKind::Created, false, false, true, "trip", "stale"},
  };
  for (const Row& r : rows) {
    DateInputs in;
    in.kind = r.kind, in.head = r.head, in.tail = r.tail, in.hasDate = r.hasDate;
    in.text = r.text;
    in.pattern = kPattern;
    EXPECT_EQ(RunOnPhoto(in), r.expected) << "text '" << r.text << "' head " << r.head << " tail " << r.tail;
  }
}

TEST(PreviewDate, TodayIsReadAnewForEachRow) {
  RenameList list;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) list.Add(name, "C:\\x\\");
  int reads = 0;
  DateSources sources;
  sources.now = [&] { return EncodeDateTime(2003, 5, 7, 10, 0, ++reads); };
  sources.fileDate = [](std::string_view, FileTimeKind) -> DateTime {
    ADD_FAILURE() << "no file date for today";
    return 0;
  };
  DateInputs in;
  in.hasDate = true;
  in.pattern = "ss";
  PreviewDate(list, in, DateLocale{}, sources);
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(list[0].newName, "a_01");
  EXPECT_EQ(list[1].newName, "b_02");
  EXPECT_EQ(list[2].newName, "c_03");
}

// 撮影日: the date of shooting where the file has one; the last-write date, and a mark, where
// it hasn't.
TEST(PreviewDate, ShotDateOrTheLastWriteDateMarked) {
  RenameList list;
  for (const char* name : {"IMG_0042.JPG", "memo.txt", "scan.tif"}) list.Add(name, "C:\\x\\");
  list.SetMark(0, RuleMark::NoShotDate);  // from an earlier preview: cleared by the rule
  DateSources sources;
  sources.now = [] { return DateTime(-1); };
  std::vector<std::string> asked;
  sources.shotDate = [&](std::string_view path, DateTime& out) {
    asked.emplace_back(path);
    if (path.ends_with(".txt")) return false;
    out = path.ends_with(".JPG") ? EncodeDateTime(2024, 5, 7, 9, 41, 27) : EncodeDateTime(2019, 2, 28);
    return true;
  };
  sources.fileDate = [](std::string_view path, FileTimeKind kind) {
    EXPECT_EQ(path, "C:\\x\\memo.txt");
    EXPECT_EQ(kind, ftLastWrite);
    return kModified;
  };
  DateInputs in;
  in.kind = DateKind::Shot;
  in.hasDate = true;
  in.pattern = "yyyy\"年\"mm\"月\"dd\"日\"";
  in.head = true, in.tail = false;
  PreviewDate(list, in, DateLocale{}, sources);
  EXPECT_EQ(asked, (std::vector<std::string>{"C:\\x\\IMG_0042.JPG", "C:\\x\\memo.txt", "C:\\x\\scan.tif"}));
  EXPECT_EQ(list[0].newName, "2024年05月07日_IMG_0042");
  EXPECT_EQ(list[1].newName, "2004年06月08日_memo");
  EXPECT_EQ(list[2].newName, "2019年02月28日_scan");
  EXPECT_EQ(list[0].mark(), RuleMark::None);
  EXPECT_EQ(list[1].mark(), RuleMark::NoShotDate);
  EXPECT_EQ(list[2].mark(), RuleMark::None);

  // Another date type, or no date chosen: no file is read and no row is marked.
  in.kind = DateKind::Modified;
  asked.clear();
  sources.fileDate = [](std::string_view, FileTimeKind) { return kModified; };
  PreviewDate(list, in, DateLocale{}, sources);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(list[1].mark(), RuleMark::None);
  in.kind = DateKind::Shot;
  in.hasDate = false;
  PreviewDate(list, in, DateLocale{}, sources);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(list[1].mark(), RuleMark::None);
  EXPECT_EQ(list[1].newName, "_memo");
}

// The real thing: a photo shot on 7 May 2024, the date at the head.
TEST(PreviewDate, ShotDateOfARealPhoto) {
  TempDir dir;
  const std::vector<unsigned char> photo = testdata::Bytes("IMG_0042.JPG"), plain = testdata::Bytes("no_exif.jpg");
  ASSERT_FALSE(photo.empty());
  dir.Touch("IMG_0042.JPG", std::string(photo.begin(), photo.end()));
  const std::string plainPath = dir.Touch("DSC_0001.jpg", std::string(plain.begin(), plain.end()));
  RenameList list;
  list.Add("IMG_0042.JPG", dir.path());
  list.Add("DSC_0001.jpg", dir.path());
  DateInputs in;
  in.kind = DateKind::Shot;
  in.hasDate = true;
  in.pattern = "yyyy\"年\"mm\"月\"dd\"日\"";
  in.head = true, in.tail = false;
  PreviewDate(list, in, DateLocale{}, DiskDateSources());
  const std::size_t photoRow = list[0].fileName == "IMG_0042.JPG" ? 0 : 1, plainRow = 1 - photoRow;
  EXPECT_EQ(list[photoRow].NewPath(), dir.path() + "2024年05月07日_IMG_0042.JPG");
  EXPECT_EQ(list[photoRow].mark(), RuleMark::None);
  EXPECT_EQ(list[plainRow].newName, RenderDatePattern(in.pattern, GetFileDate(plainPath, ftLastWrite), DateLocale{}) + "_DSC_0001");
  EXPECT_EQ(list[plainRow].mark(), RuleMark::NoShotDate);
}

}  // namespace
