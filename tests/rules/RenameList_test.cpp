#include "rules/RenameList.h"

#include <windows.h>

#include <gtest/gtest.h>

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
                                          "ソ.txt", "10.txt", "9.txt", "_x.txt", "ｱ.txt", "ア.txt"};
  RenameList list;
  for (const auto& n : names) list.Add(n, "C:\\");
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
