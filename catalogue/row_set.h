// RowSet: a set of catalogue row identities held ascending in one flat vector, the type of the
// grid's selection. Selecting every row of a large catalogue costs one array, not a tree node
// per row, and clearing it frees nothing row by row.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "catalogue/row_id.h"

namespace capsdub {

// The part of std::set<RowId>'s interface the program uses; iteration is in ascending identity,
// which is the scan order the dubbing job walks.
//
// Identities inserted in ascending order (the usual case: a scan, a range of rows in scan order)
// are appended. Others are appended unordered and merged into place before the next read, so
// that a batch selecting many rows in display order (the reverse of the scan order when sorted
// newest first) costs one sort rather than one shift of the whole array per row; the callers
// keep selecting row by row, which lets a window repaint each row as it is selected. The merge
// happens inside const members (mutable state): a RowSet belongs to one thread.
class RowSet {
 public:
  using value_type = RowId;
  using const_iterator = std::vector<RowId>::const_iterator;
  using iterator = const_iterator;  // the elements are keys: never changed in place

  RowSet() = default;
  RowSet(std::initializer_list<RowId> ids) : RowSet(std::vector<RowId>(ids)) {}
  // The identities of [first, last) in any order; duplicates count once.
  template <typename Iterator>
  RowSet(Iterator first, Iterator last) : RowSet(std::vector<RowId>(first, last)) {}
  // Takes `ids` (any order, duplicates allowed) and orders them in place.
  explicit RowSet(std::vector<RowId> ids);

  // Adds `id`; nothing when it is present already.
  void insert(RowId id);
  // Removes `id`; the number of identities removed (0 or 1).
  std::size_t erase(RowId id);
  void clear() {
    ids_.clear();
    ordered_ = 0;
  }

  bool contains(RowId id) const;
  std::size_t count(RowId id) const { return contains(id) ? 1 : 0; }
  bool empty() const { return ids_.empty(); }
  std::size_t size() const {
    Order();
    return ids_.size();
  }
  const_iterator begin() const {
    Order();
    return ids_.cbegin();
  }
  const_iterator end() const {
    Order();
    return ids_.cend();
  }

  friend bool operator==(const RowSet& a, const RowSet& b) {
    a.Order();
    b.Order();
    return a.ids_ == b.ids_;
  }

 private:
  // Merges the unordered tail into the ordered head, dropping duplicates.
  void Order() const;

  mutable std::vector<RowId> ids_;  // ascending up to ordered_, then in insertion order
  mutable std::size_t ordered_ = 0;
};

}  // namespace capsdub
