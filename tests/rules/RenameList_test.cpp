#include "rules/RenameList.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "os/Collate.h"
#include "text/sjis.h"

using rules::RenameList;

namespace {

std::vector<std::string> Names(const RenameList& list) {
  std::vector<std::string> out;
  for (const auto& r : list) out.push_back(r.fileName);
  return out;
}

}  // namespace

TEST(RenameList, OrderMatchesTheLocaleComparison) {
  const std::vector<std::string> names = {"b.txt", "B.txt", "a.txt", "A.txt", "写真.jpg", "しゃしん.jpg",
                                          "ソ.txt", "10.txt", "9.txt", "_x.txt", "ｱ.txt", "ア.txt",
                                          // alike in their first eight characters
                                          "holiday photo 2.jpg", "holiday photo 10.jpg", "holiday photo 1.jpg"};
  RenameList list;
  list.BeginBatch();  // sorted at once, as an intake sorts
  for (const auto& n : names) list.Add(n, "C:\\");
  list.EndBatch();
  ASSERT_EQ(list.size(), names.size());
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_LE(CompareStringA(LOCALE_USER_DEFAULT, 0, list[i - 1].fileName.c_str(), -1, list[i].fileName.c_str(), -1),
              CSTR_EQUAL)
        << list[i - 1].fileName << " before " << list[i].fileName;
  }
}

TEST(RenameList, EqualNamesKeepArrivalOrderSingleAndBatched) {
  for (bool batched : {false, true}) {
    RenameList list;
    list.Add("same.txt", "C:\\one\\");
    list.Add("a.txt", "C:\\");
    if (batched) list.BeginBatch();
    list.Add("same.txt", "C:\\two\\");
    list.Add("same.txt", "C:\\three\\");
    if (batched) list.EndBatch();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].folder, "C:\\one\\");
    EXPECT_EQ(list[2].folder, "C:\\two\\");
    EXPECT_EQ(list[3].folder, "C:\\three\\");
  }
}

TEST(RenameList, RenameResortsOnlyWhileSortingIsOn) {
  RenameList list;
  for (const char* n : {"a.jpg", "b.jpg", "c.jpg"}) list.Add(n, "C:\\");
  list[0].selected = true;
  list.SetSorting(false);
  list.SetFileName(0, "z.jpg");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"z.jpg", "b.jpg", "c.jpg"}));
  list.SetSorting(true);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"b.jpg", "c.jpg", "z.jpg"}));
  EXPECT_TRUE(list[2].selected) << "selection travels with its row";
  EXPECT_EQ(list.FirstSelected(), 2u);
}

TEST(RenameList, DerivedPathsAndSelection) {
  RenameList list;
  list.Add(".txt", "C:\\d\\");
  list.Add("ソ.tar.gz", "C:\\表\\");
  EXPECT_EQ(list[0].BaseName(), "");
  list[1].newName = "new";
  EXPECT_EQ(list[1].NewPath(), "C:\\表\\new.gz");
  EXPECT_EQ(list[1].CurrentPath(), "C:\\表\\ソ.tar.gz");
  EXPECT_EQ(list.FirstSelected(), RenameList::npos);
  list.SelectAll();
  EXPECT_EQ(list.SelectedCount(), 2u);
  list.Remove(0);
  EXPECT_EQ(list.SelectedCount(), 1u);
  list.Add("a.txt", "C:\\");
  list.Add("b.txt", "C:\\");
  list[1].selected = true;  // b.txt; the katakana name after it is still selected
  list.RemoveSelected();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.txt"}));
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
    std::string name;
    std::uint64_t size, lastWrite, creation;
  };
  constexpr std::uint64_t kHigh = 1ull << 32;
  const std::vector<Row> rows = {
      {"img10.jpg", 7, 2, 30},     {"img2.jpg", 3, kHigh + 1, 10}, {"img02.jpg", 9, 2, 20}, {"IMG3.png", 7, 5, 10},
      {"img１１.jpg", 1, kHigh, 40}, {"写真1.txt", 5, 7, 50},      {"しゃしん2.txt", 7, 1, 10}, {"b.Txt", 2, 9, kHigh},
      {"c.TXT", 11, 3, 60},        {"a", 4, 8, 5},                {"x4294967297", 6, 4, 70}, {"x2", 8, 6, 25}};
  auto wide = [](const std::string& s) { return sjis::ToUtf16Lenient(s); };
  auto byName = [](const rules::RenameEntry& a, const rules::RenameEntry& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, 0, a.fileName.c_str(), -1, b.fileName.c_str(), -1) - CSTR_EQUAL;
  };
  using Cmp = std::function<int(const rules::RenameEntry&, const rules::RenameEntry&)>;
  const std::pair<rules::SortBy, Cmp> keys[] = {
      {rules::SortBy::Name, byName},
      {rules::SortBy::Logical, [&](auto& a, auto& b) { return os::LogicalCompare(wide(a.fileName).c_str(), wide(b.fileName).c_str()); }},
      {rules::SortBy::Extension,
       [](auto& a, auto& b) { return sjis::AsciiLower(a.Extension()).compare(sjis::AsciiLower(b.Extension())); }},
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
      for (const Row& r : rows) list.Add(r.name, "C:\\", r.size, r.lastWrite, r.creation);
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
  for (const char* n : {"a", "b", "c", "d"}) list.Add(n, "C:\\");
  list[2].selected = list[3].selected = true;
  EXPECT_TRUE(list.MoveSelected(-1));
  EXPECT_TRUE(list.MoveSelected(-1));
  EXPECT_FALSE(list.MoveSelected(-1));  // the block is at the top
  EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "d", "a", "b"}));
  EXPECT_EQ(list.order(), rules::SortBy::Manual);
  // Renames (as a run or a preview's rows) and new rows leave the manual places as they are.
  list.SetFileName(0, "z");
  list.Add("0", "C:\\");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"z", "d", "a", "b", "0"}));
  list.SetOrder(rules::SortBy::Name, false);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"0", "a", "b", "d", "z"}));
}

// The name order is the key the list is handed: rows already there are ordered again by it,
// and rows added later take their places by it.
TEST(RenameList, OrdersByTheSortKeyItIsHanded) {
  RenameList list;
  for (const char* n : {"a", "c", "b"}) list.Add(n, "C:\\");
  rules::SortHelpers helpers;
  helpers.sortKey = [](std::string_view name) {
    std::string key;
    for (char c : name) key += static_cast<char>(0xFF - static_cast<unsigned char>(c));
    return key;
  };
  list.SetSortHelpers(std::move(helpers));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b", "a"}));
  list.Add("d", "C:\\");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"d", "c", "b", "a"}));
}
