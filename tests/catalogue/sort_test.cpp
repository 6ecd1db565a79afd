// Sorting the catalogue by a column: direction toggling, nulls first, ties in scan order.
#include "catalogue/sort.h"

#include <gtest/gtest.h>

namespace capsdub {
namespace {

Catalogue Sample() {
  Catalogue c;
  const struct {
    const char* number;
    const char* title;
    double size;
    double date;
  } rows[] = {
      {"0001", "beta", 10, 3},
      {"0002", "Alpha", 30, 1},
      {"0003", "", 20, 2},
      {"0004", "BETA", 5, 4},
  };
  for (const auto& r : rows) {
    CatalogueRow row;
    row.FileName = r.number;
    row.Title = r.title;
    row.FileSize = r.size;
    row.FileDateTime = DateTime{r.date};
    c.Table1.Append(row);
  }
  return c;
}

std::string Order(const Catalogue& c) {
  std::string order;
  for (const auto& row : c.Table1.rows()) order += row.FileName.back();
  return order;
}

TEST(SortCatalogue, DefaultIsNewestFirst) {
  Catalogue c = Sample();
  SortCatalogue(c, std::nullopt);
  EXPECT_EQ(Order(c), "4132");
}

TEST(SortCatalogue, ClicksChooseAndFlipTheDirection) {
  Catalogue c = Sample();
  SortCatalogue(c, "FileSize");
  EXPECT_EQ(c.SortMarker, 1);
  EXPECT_EQ(Order(c), "2314");
  SortCatalogue(c, "FileSize");
  EXPECT_EQ(c.SortMarker, 2);
  EXPECT_EQ(Order(c), "4132");
  SortCatalogue(c, "Title");
  EXPECT_EQ(c.SortMarker, 1);
  // Descending: the whole ascending order (null first, ties in scan order) reversed.
  EXPECT_EQ(Order(c), "4123");
  SortCatalogue(c, "Title");
  EXPECT_EQ(Order(c), "3214");
}

TEST(SortCatalogue, KeepsTheCurrentRowAndClearsTheSelection) {
  Catalogue c = Sample();
  c.CurrentRow = c.Table1.rows()[2].id;
  c.Selection = {1, 2};
  SortCatalogue(c, "FileSize");
  EXPECT_EQ(c.CurrentRow, c.SelectionAnchor);
  EXPECT_EQ(c.Table1.FindById(*c.CurrentRow)->FileName, "0003");
  EXPECT_TRUE(c.Selection.empty());
}

TEST(CatalogueTable, FindsRowsByIdentityAfterEveryReorder) {
  Catalogue c = Sample();
  auto all_found = [&] {
    const auto& rows = c.Table1.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (c.Table1.IndexOf(rows[i].id) != i || c.Table1.FindById(rows[i].id) != &rows[i])
        return false;
    }
    return true;
  };
  SortCatalogue(c, "Title");
  EXPECT_TRUE(all_found());
  auto& rows = c.Table1.mutable_rows();
  std::swap(rows.front(), rows.back());  // moved behind the table's back
  EXPECT_TRUE(all_found());
  const RowId old_id = rows.front().id;
  c.Table1.Clear();
  CatalogueRow row;
  row.FileName = "0009";
  const RowId id = c.Table1.Append(row);
  EXPECT_FALSE(c.Table1.IndexOf(old_id));
  EXPECT_EQ(c.Table1.IndexOf(id), 0u);
  EXPECT_FALSE(c.Table1.IndexOf(id + 1));
}

TEST(SortCatalogue, EmptyAndUnknownFields) {
  Catalogue c = Sample();
  c.SortField = "";
  c.SortMarker = 2;
  SortCatalogue(c, std::nullopt);
  EXPECT_EQ(Order(c), "1234");
  c.SortMarker = 1;
  SortCatalogue(c, std::nullopt);
  EXPECT_EQ(Order(c), "4321");
  c.SortField = "NoSuchField";
  EXPECT_THROW(SortCatalogue(c, std::nullopt), UnknownFieldError);
  SortCatalogue(c, "filesize");  // a click repairs it; names ignore case
  EXPECT_EQ(Order(c), "2314");
}

TEST(CompareTextCollated, IgnoresCase) {
  EXPECT_EQ(CompareTextCollated("abc", "ABC"), 0);
  EXPECT_LT(CompareTextCollated("abc", "abd"), 0);
  EXPECT_LT(CompareTextCollated("", "a"), 0);
  EXPECT_EQ(CompareTextCollated("\x82\x60", "\x82\x81"), 0);  // full-width Ａ and ａ
}

}  // namespace
}  // namespace capsdub
