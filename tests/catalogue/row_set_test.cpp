// RowSet against std::set: the same identities, ascending, whatever the order of insertion.
#include "catalogue/row_set.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace capsdub {
namespace {

std::vector<RowId> Contents(const RowSet& s) {
  return {s.begin(), s.end()};
}

TEST(RowSet, HoldsWhatStdSetHoldsInAscendingOrder) {
  const std::vector<std::vector<RowId>> inserts = {
      {},
      {1, 2, 3, 4},
      {4, 3, 2, 1},                         // newest first: the batch's usual order
      {5, 1, 5, 3, 1, 9, 2},                // duplicates, some already in order
      {10, 20, 15, 20, 1000000, 3, 15},     // sparse: a comparison sort
      {1, 2, 3, 100, 50, 2, 101, 99, 100},  // in order, then a tail to merge
  };
  for (const std::vector<RowId>& ids : inserts) {
    const std::set<RowId> expected(ids.begin(), ids.end());
    const std::vector<RowId> ascending(expected.begin(), expected.end());
    RowSet inserted;
    for (RowId id : ids) inserted.insert(id);
    EXPECT_EQ(Contents(inserted), ascending);
    EXPECT_EQ(inserted.size(), expected.size());
    EXPECT_EQ(Contents(RowSet(ids.begin(), ids.end())), ascending);
    EXPECT_TRUE(RowSet(ids.begin(), ids.end()) == inserted);
  }
}

TEST(RowSet, EraseAndLookUpBetweenInsertions) {
  RowSet s = {7, 3};
  s.insert(5);
  EXPECT_EQ(s.count(5), 1u);
  s.insert(1);  // after a read: merged into the ordered part
  EXPECT_EQ(s.erase(3), 1u);
  EXPECT_EQ(s.erase(3), 0u);
  EXPECT_FALSE(s.contains(3));
  EXPECT_EQ(Contents(s), (std::vector<RowId>{1, 5, 7}));
  s.clear();
  EXPECT_TRUE(s.empty());
  s.insert(2);
  EXPECT_EQ(Contents(s), std::vector<RowId>{2});
}

}  // namespace
}  // namespace capsdub
