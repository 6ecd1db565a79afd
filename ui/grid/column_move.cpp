// Moving a column of the catalogue grid by dragging its title.
#include "ui/grid/column_move.h"

#include <cstddef>

namespace capsdub {

int DropDivider(const std::vector<int>& lefts, const std::vector<int>& rights, int x) {
  const std::size_t count = lefts.size() < rights.size() ? lefts.size() : rights.size();
  for (std::size_t position = 0; position < count; ++position) {
    if (x < (lefts[position] + rights[position]) / 2) return static_cast<int>(position);
  }
  return static_cast<int>(count);
}

std::vector<int> MoveColumn(std::vector<int> order, int from, int divider) {
  const int count = static_cast<int>(order.size());
  if (from < 0 || from >= count || divider < 0 || divider > count) return order;
  if (divider == from || divider == from + 1) return order;
  const int column = order[static_cast<std::size_t>(from)];
  order.erase(order.begin() + from);
  // Removing the column shifts the dividers to its right one place to the left.
  const int to = divider > from ? divider - 1 : divider;
  order.insert(order.begin() + to, column);
  return order;
}

}  // namespace capsdub
