// Where a title dropped at a point lands, and the column order a move gives.
#include "ui/grid/column_move.h"

#include <gtest/gtest.h>

#include <vector>

namespace capsdub {
namespace {

using Order = std::vector<int>;

TEST(ColumnMove, ADropLandsBeforeTheTitleWhoseLeftHalfItHits) {
  const std::vector<int> lefts{0, 50, 100}, rights{50, 100, 200};
  EXPECT_EQ(DropDivider(lefts, rights, -5), 0);
  EXPECT_EQ(DropDivider(lefts, rights, 24), 0);
  EXPECT_EQ(DropDivider(lefts, rights, 25), 1);  // the middle counts as the right half
  EXPECT_EQ(DropDivider(lefts, rights, 149), 2);
  EXPECT_EQ(DropDivider(lefts, rights, 150), 3);
  EXPECT_EQ(DropDivider(lefts, rights, 900), 3);
  EXPECT_EQ(DropDivider({}, {}, 10), 0);
}

TEST(ColumnMove, MovesRightAndLeftAndKeepsTheOrderOnItsOwnEdges) {
  const Order order{4, 0, 1, 2, 3};
  EXPECT_EQ(MoveColumn(order, 1, 4), (Order{4, 1, 2, 0, 3}));  // right: before position 4
  EXPECT_EQ(MoveColumn(order, 1, 5), (Order{4, 1, 2, 3, 0}));  // to the end
  EXPECT_EQ(MoveColumn(order, 3, 0), (Order{2, 4, 0, 1, 3}));  // to the front
  EXPECT_EQ(MoveColumn(order, 3, 1), (Order{4, 2, 0, 1, 3}));
  EXPECT_EQ(MoveColumn(order, 2, 2), order);
  EXPECT_EQ(MoveColumn(order, 2, 3), order);
  EXPECT_EQ(MoveColumn(order, 5, 0), order);
  EXPECT_EQ(MoveColumn(order, 0, 6), order);
  EXPECT_EQ(MoveColumn(order, -1, 2), order);
}

}  // namespace
}  // namespace capsdub
