#include "rules/PasteNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rules::MapPastedNames;
using rules::PasteResult;
using rules::RenameList;
using Named = std::vector<std::pair<std::size_t, std::wstring>>;

RenameList Rows(std::initializer_list<const wchar_t*> names) {
  RenameList list;
  list.SetOrder(rules::SortBy::Manual, false);
  for (const wchar_t* n : names) list.Add(n, L"C:\\p\\");
  return list;
}

Named NamesOf(const PasteResult& r) {
  Named out;
  for (const auto& n : r.names) out.emplace_back(n.row, n.name);
  return out;
}

TEST(PasteNames, OneNameALineFromTheFirstSelectedRowKeepingEachRowsType) {
  RenameList list = Rows({L"a.jpg", L"b.txt", L"c", L"d.png"});
  PasteResult r = MapPastedNames(list, L"表紙\r\nB.TXT\r\n\r\n裏表紙.PNG.png \r\n\r\n \r\n");
  EXPECT_EQ(NamesOf(r), (Named{{0, L"表紙.jpg"}, {1, L"B.TXT"}, {3, L"裏表紙.PNG.png"}}));
  EXPECT_EQ(r.lines, 4u);
  EXPECT_EQ(r.rows, 4u);
  list[2].selected = list[3].selected = true;
  r = MapPastedNames(list, L"x\ny\nz");
  EXPECT_EQ(NamesOf(r), (Named{{2, L"x"}, {3, L"y.png"}}));
  EXPECT_EQ(r.first, 2u);
  EXPECT_EQ(r.lines, 3u);  // one more than the rows: asked before anything changes
}

TEST(PasteNames, TwoColumnsFindEachRowByItsOldNameOrSayWhyNot) {
  RenameList list = Rows({L"a.jpg", L"a.txt", L"b.txt", L"c"});
  const std::wstring longName(300, L'x');
  const PasteResult r = MapPastedNames(
      list, L"b\tbee\nc\ty.txt\nzzz\tq\na\tw\na.TXT\tnot\nb.txt\tagain\na.jpg\tp/q\na.txt\t" + longName + L"\n");
  ASSERT_TRUE(r.twoColumns);
  EXPECT_EQ(NamesOf(r), (Named{{2, L"bee.txt"}, {3, L"y.txt"}}));
  EXPECT_EQ(r.problems.unknown, (std::vector<std::size_t>{3, 5}));  // "a.TXT" is no row's name
  EXPECT_EQ(r.problems.ambiguous, (std::vector<std::size_t>{4}));
  EXPECT_EQ(r.problems.repeated, (std::vector<std::size_t>{6}));
  EXPECT_EQ(r.problems.badName, (std::vector<std::size_t>{7}));
  EXPECT_EQ(r.problems.tooLong, (std::vector<std::size_t>{8}));
}

TEST(PasteNames, CopiedNamesPasteBackAsTheyWere) {
  RenameList list = Rows({L"a.jpg", L"b.txt", L"c"});
  list[0].newName = L"表紙";
  list[2].newName = L"d";
  EXPECT_EQ(rules::CopiedNames(list), L"a.jpg\t表紙.jpg\r\nb.txt\tb.txt\r\nc\td\r\n");
  EXPECT_EQ(NamesOf(MapPastedNames(list, rules::CopiedNames(list))),
            (Named{{0, L"表紙.jpg"}, {1, L"b.txt"}, {2, L"d"}}));
  list[1].selected = true;
  EXPECT_EQ(rules::CopiedNames(list), L"b.txt\tb.txt\r\n");
}

TEST(PasteNames, LinesWithAndWithoutATabTogetherTakeNothing) {
  const PasteResult r = MapPastedNames(Rows({L"a.jpg", L"b.jpg"}), L"a.jpg\tx\ny\n");
  EXPECT_TRUE(r.mixed);
  EXPECT_TRUE(r.names.empty());
}

}  // namespace
