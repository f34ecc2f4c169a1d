#include "rules/RenameList.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "os/Collate.h"
#include "text/utf16.h"

using rules::RenameList;

namespace {

std::vector<std::wstring> Names(const RenameList& list) {
  std::vector<std::wstring> out;
  for (const auto& r : list) out.push_back(r.fileName);
  return out;
}

}  // namespace

TEST(RenameList, OrderMatchesTheLocaleComparison) {
  const std::vector<std::wstring> names = {L"b.txt", L"B.txt", L"a.txt", L"A.txt", L"写真.jpg", L"しゃしん.jpg",
                                          L"ソ.txt", L"10.txt", L"9.txt", L"_x.txt", L"ｱ.txt", L"ア.txt",
                                          // alike in their first eight characters
                                          L"holiday photo 2.jpg", L"holiday photo 10.jpg", L"holiday photo 1.jpg",
                                          L"é.txt", L"E.txt", L"한.txt", L"\U0001F600.txt", L"〜.txt"};
  RenameList list;
  list.BeginBatch();  // sorted at once, as an intake sorts
  for (const auto& n : names) list.Add(n, L"C:\\");
  list.EndBatch();
  ASSERT_EQ(list.size(), names.size());
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_LE(CompareStringW(LOCALE_USER_DEFAULT, 0, list[i - 1].fileName.c_str(), -1, list[i].fileName.c_str(), -1),
              CSTR_EQUAL)
        << list[i - 1].fileName << " before " << list[i].fileName;
  }
}

TEST(RenameList, EqualNamesKeepArrivalOrderSingleAndBatched) {
  for (bool batched : {false, true}) {
    RenameList list;
    list.Add(L"same.txt", L"C:\\one\\");
    list.Add(L"a.txt", L"C:\\");
    if (batched) list.BeginBatch();
    list.Add(L"same.txt", L"C:\\two\\");
    list.Add(L"same.txt", L"C:\\three\\");
    if (batched) list.EndBatch();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].folder(), L"C:\\one\\");
    EXPECT_EQ(list[2].folder(), L"C:\\two\\");
    EXPECT_EQ(list[3].folder(), L"C:\\three\\");
  }
}

TEST(RenameList, RenameResortsOnlyWhileSortingIsOn) {
  RenameList list;
  for (const wchar_t* n : {L"a.jpg", L"b.jpg", L"c.jpg"}) list.Add(n, L"C:\\");
  list[0].selected = true;
  list.SetSorting(false);
  list.SetFileName(0, L"z.jpg");
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"z.jpg", L"b.jpg", L"c.jpg"}));
  list.SetSorting(true);
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"b.jpg", L"c.jpg", L"z.jpg"}));
  EXPECT_TRUE(list[2].selected) << "selection travels with its row";
  EXPECT_EQ(list.FirstSelected(), 2u);
}

TEST(RenameList, DerivedPathsAndSelection) {
  RenameList list;
  list.Add(L".txt", L"C:\\d\\");
  list.Add(L"ソ.tar.gz", L"C:\\表\\");
  EXPECT_EQ(list[0].BaseName(), L"");
  list[1].newName = L"new";
  EXPECT_EQ(list[1].NewPath(), L"C:\\表\\new.gz");
  EXPECT_EQ(list[1].CurrentPath(), L"C:\\表\\ソ.tar.gz");
  EXPECT_EQ(list.FirstSelected(), RenameList::npos);
  list.SelectAll();
  EXPECT_EQ(list.SelectedCount(), 2u);
  list.Remove(0);
  EXPECT_EQ(list.SelectedCount(), 1u);
  list.Add(L"a.txt", L"C:\\");
  list.Add(L"b.txt", L"C:\\");
  list[1].selected = true;  // b.txt; the katakana name after it is still selected
  list.RemoveSelected();
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"a.txt"}));
}

namespace {
rules::SortHelpers PlatformHelpers() {
  // The 撮影日 key stands in as the size's negative, so that order runs opposite to sizes.
  return {os::LogicalCompare, [](const rules::RenameEntry& r) { return -static_cast<double>(r.size); }};
}
}  // namespace

TEST(RenameList, EachKeyOrdersAsItsComparisonAscendingAndDescending) {
  // Each key in its own order, with ties (size 7, extensions that differ in letter case only,
  // equal times), which keep name order in both directions. A number past 32 bits, which some
  // platforms read otherwise, still sorts as the platform compares it; so do times past 32 bits.
  struct Row {
    std::wstring name;
    std::uint64_t size, lastWrite, creation;
  };
  constexpr std::uint64_t kHigh = 1ull << 32;
  const std::vector<Row> rows = {
      {L"img10.jpg", 7, 2, 30},     {L"img2.jpg", 3, kHigh + 1, 10}, {L"img02.jpg", 9, 2, 20}, {L"IMG3.png", 7, 5, 10},
      {L"img１１.jpg", 1, kHigh, 40}, {L"写真1.txt", 5, 7, 50},      {L"しゃしん2.txt", 7, 1, 10}, {L"b.Txt", 2, 9, kHigh},
      {L"c.TXT", 11, 3, 60},        {L"a", 4, 8, 5},                {L"x4294967297", 6, 4, 70}, {L"x2", 8, 6, 25}};
  auto byName = [](const rules::RenameEntry& a, const rules::RenameEntry& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, 0, a.fileName.c_str(), -1, b.fileName.c_str(), -1) - CSTR_EQUAL;
  };
  using Cmp = std::function<int(const rules::RenameEntry&, const rules::RenameEntry&)>;
  const std::pair<rules::SortBy, Cmp> keys[] = {
      {rules::SortBy::Name, byName},
      {rules::SortBy::Logical, [](auto& a, auto& b) { return os::LogicalCompare(a.fileName.c_str(), b.fileName.c_str()); }},
      {rules::SortBy::Extension,
       [](auto& a, auto& b) { return utf16::AsciiLower(a.Extension()).compare(utf16::AsciiLower(b.Extension())); }},
      {rules::SortBy::Size, [](auto& a, auto& b) { return (a.size > b.size) - (a.size < b.size); }},
      {rules::SortBy::LastWrite, [](auto& a, auto& b) { return (a.lastWrite > b.lastWrite) - (a.lastWrite < b.lastWrite); }},
      {rules::SortBy::Creation, [](auto& a, auto& b) { return (a.creation > b.creation) - (a.creation < b.creation); }},
      {rules::SortBy::Shot, [](auto& a, auto& b) { return (a.size < b.size) - (a.size > b.size); }},
  };
  for (const auto& [key, compare] : keys) {
    for (bool down : {false, true}) {
      RenameList list;
      list.SetSortHelpers(PlatformHelpers());
      list.SetOrder(key, down);
      for (const Row& r : rows) list.Add(r.name, L"C:\\", r.size, r.lastWrite, r.creation);
      for (std::size_t i = 1; i < list.size(); ++i) {
        int c = compare(list[i - 1], list[i]) * (down ? -1 : 1);
        if (c == 0) c = byName(list[i - 1], list[i]);
        EXPECT_LT(c, 0) << static_cast<int>(key) << down << ": " << list[i - 1].fileName << " before " << list[i].fileName;
      }
    }
  }
}

TEST(RenameList, AManualOrderLastsUntilAKeyIsChosen) {
  RenameList list;
  for (const wchar_t* n : {L"a", L"b", L"c", L"d"}) list.Add(n, L"C:\\");
  list[2].selected = list[3].selected = true;
  EXPECT_TRUE(list.MoveSelected(-1));
  EXPECT_TRUE(list.MoveSelected(-1));
  EXPECT_FALSE(list.MoveSelected(-1));  // the block is at the top
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"c", L"d", L"a", L"b"}));
  EXPECT_EQ(list.order(), rules::SortBy::Manual);
  // Renames (as a run or a preview's rows) and new rows leave the manual places as they are.
  list.SetFileName(0, L"z");
  list.Add(L"0", L"C:\\");
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"z", L"d", L"a", L"b", L"0"}));
  list.SetOrder(rules::SortBy::Name, false);
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"0", L"a", L"b", L"d", L"z"}));
}

// The name order is the key the list is handed: rows already there are ordered again by it,
// and rows added later take their places by it.
TEST(RenameList, OrdersByTheSortKeyItIsHanded) {
  RenameList list;
  for (const wchar_t* n : {L"a", L"c", L"b"}) list.Add(n, L"C:\\");
  rules::SortHelpers helpers;
  helpers.sortKey = [](std::wstring_view name) {
    std::string key;
    for (wchar_t c : name) key += static_cast<char>(0xFF - (c & 0xFF));
    return key;
  };
  list.SetSortHelpers(std::move(helpers));
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"c", L"b", L"a"}));
  list.Add(L"d", L"C:\\");
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"d", L"c", L"b", L"a"}));
}

// Extensions keep the order their Shift_JIS bytes gave them (ア 83 41 before α 83 BF, though
// U+03B1 is below U+30A2); those with no Shift_JIS form come after.
TEST(RenameList, ExtensionsInShiftJisOrderThenTheOthers) {
  RenameList list;
  list.SetOrder(rules::SortBy::Extension, false);
  for (const wchar_t* n : {L"1.α", L"2.ア", L"3.é", L"4.A", L"5.\U0001F600", L"6.b"}) list.Add(n, L"C:\\");
  EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"4.A", L"6.b", L"2.ア", L"1.α", L"3.\u00E9", L"5.\U0001F600"}));
}
