// RowSet: ordering the identities, and the members that look them up.
#include "catalogue/row_set.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace capsdub {
namespace {

using Position = std::vector<RowId>::iterator;

// Puts [first, last) in ascending order without duplicates; returns the new end. Row identities
// are counted from 1 as rows are added, so a selection usually spans a range not much wider
// than its size: such a range is ordered by marking each identity in a bitmap over the span,
// in linear time, instead of by a comparison sort.
Position SortUnique(Position first, Position last) {
  if (first == last) return last;
  if (!std::is_sorted(first, last)) {
    const auto [lowest, highest] = std::minmax_element(first, last);
    const RowId low = *lowest;
    const RowId span = *highest - low;
    const auto count = static_cast<RowId>(std::distance(first, last));
    if (span / 4 < count) {
      std::vector<bool> present(static_cast<std::size_t>(span) + 1);
      for (Position i = first; i != last; ++i) present[static_cast<std::size_t>(*i - low)] = true;
      Position out = first;
      for (RowId offset = 0; offset <= span; ++offset) {
        if (present[static_cast<std::size_t>(offset)]) *out++ = low + offset;
      }
      return out;
    }
    std::sort(first, last);
  }
  return std::unique(first, last);
}

}  // namespace

RowSet::RowSet(std::vector<RowId> ids) : ids_(std::move(ids)) {
  ids_.erase(SortUnique(ids_.begin(), ids_.end()), ids_.end());
  ordered_ = ids_.size();
}

void RowSet::insert(RowId id) {
  const auto head = ids_.begin() + static_cast<std::ptrdiff_t>(ordered_);
  if (std::binary_search(ids_.begin(), head, id)) return;
  const bool appends_in_order = ordered_ == ids_.size() && (ids_.empty() || ids_.back() < id);
  ids_.push_back(id);
  if (appends_in_order) ordered_ = ids_.size();
}

std::size_t RowSet::erase(RowId id) {
  Order();
  const auto found = std::lower_bound(ids_.begin(), ids_.end(), id);
  if (found == ids_.end() || *found != id) return 0;
  ids_.erase(found);
  ordered_ = ids_.size();
  return 1;
}

bool RowSet::contains(RowId id) const {
  Order();
  return std::binary_search(ids_.begin(), ids_.end(), id);
}

// Sorts the tail and merges it into the head, in time linear in the whole set. A caller that
// reads after every unordered insertion pays that each time, no more than an array kept in
// order on every insertion would; the batches read only after their last insertion.
void RowSet::Order() const {
  if (ordered_ == ids_.size()) return;
  const auto head = static_cast<std::ptrdiff_t>(ordered_);
  ids_.erase(SortUnique(ids_.begin() + head, ids_.end()), ids_.end());
  // insert keeps identities of the head out of the tail, so the merge makes no duplicates.
  if (head > 0 && ids_[ordered_ - 1] > ids_[ordered_]) {
    std::inplace_merge(ids_.begin(), ids_.begin() + head, ids_.end());
  }
  ordered_ = ids_.size();
}

}  // namespace capsdub
