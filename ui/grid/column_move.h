// Moving a column of the catalogue grid by dragging its title: where a drop lands and the
// column order that results.
#pragma once

#include <vector>

namespace capsdub {

// The divider a drop at `x` lands on: the position before which the moved column goes, from
// 0 (before the first) to the column count (after the last). `lefts` and `rights` are the
// titles' edges in display order; a drop on a title's left half lands before it.
int DropDivider(const std::vector<int>& lefts, const std::vector<int>& rights, int x);

// `order` (display position to column) with the column at `from` moved to `divider`; the
// order unchanged when the divider is on either side of the moved column itself or out of
// range.
std::vector<int> MoveColumn(std::vector<int> order, int from, int divider);

}  // namespace capsdub
