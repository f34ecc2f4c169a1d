#include "rules/DateRule.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

using rules::DateInputs;
using rules::DateKind;
using rules::DateLocale;
using rules::DateSources;
using rules::RenameEntry;
using rules::DateTime;
using rules::EncodeDateTime;
using rules::FileTimeKind;
using rules::PreviewDate;
using rules::RenameList;
using rules::ftCreation;
using rules::ftLastWrite;

namespace {

const DateTime kCreated = EncodeDateTime(2003, 5, 7, 10, 15, 36);
const DateTime kModified = EncodeDateTime(2004, 6, 8);
const wchar_t* kPattern = L"yy\"年\"mm\"月\"dd\"日\"";

// Files answer with their creation or last-write date; any other path or kind is an error.
DateSources FakeFiles() {
  DateSources sources;
  sources.now = [] { return DateTime(-1); };
  sources.fileDate = [](const RenameEntry& row, FileTimeKind kind) {
    EXPECT_EQ(row.CurrentPath(), L"C:\\Photos\\photo.jpg");
    return kind == ftCreation ? kCreated : kind == ftLastWrite ? kModified : DateTime(-2);
  };
  return sources;
}

std::wstring RunOnPhoto(const DateInputs& in) {
  RenameList list;
  list.Add(L"photo.jpg", L"C:\\Photos\\");
  list[0].newName = L"stale";
  PreviewDate(list, in, DateLocale{}, FakeFiles());
  return list[0].newName;
}

TEST(PreviewDate, JoinsTextAndDate) {
  struct Row {
    DateKind kind;
    bool head, tail, hasDate;
    std::wstring text, expected;
  };
  const std::vector<Row> rows = {
      {DateKind::Created, false, true, true, L"", L"photo_03年05月07日"},
      {DateKind::Created, true, false, true, L"", L"03年05月07日_photo"},
      {DateKind::Modified, false, true, true, L"", L"photo_04年06月08日"},
      {DateKind::Created, true, true, true, L"", L"03年05月07日_photo"},  // head wins
      {DateKind::Created, false, true, true, L" 旅行 ", L" 旅行 _03年05月07日"},
      {DateKind::Created, false, true, false, L"", L"photo_"},
      {DateKind::Created, true, false, false, L"trip", L"_trip"},
      {DateKind::Created, false, false, true, L"trip", L"stale"},
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
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) list.Add(name, L"C:\\x\\");
  int reads = 0;
  DateSources sources;
  sources.now = [&] { return EncodeDateTime(2003, 5, 7, 10, 0, ++reads); };
  sources.fileDate = [](const RenameEntry&, FileTimeKind) -> DateTime {
    ADD_FAILURE() << "no file date for today";
    return 0;
  };
  DateInputs in;
  in.hasDate = true;
  in.pattern = L"ss";
  PreviewDate(list, in, DateLocale{}, sources);
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(list[0].newName, L"a_01");
  EXPECT_EQ(list[1].newName, L"b_02");
  EXPECT_EQ(list[2].newName, L"c_03");
}

}  // namespace
