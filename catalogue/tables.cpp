// The catalogue's in-memory tables and their key look-ups.
#include "catalogue/tables.h"

namespace capsdub {

void CatalogueTable::Clear() {
  rows_.clear();
  by_number_.clear();
  position_.clear();
  positions_checked_ = true;
  first_id_ = next_id_;
}

void CatalogueTable::Reserve(std::size_t rows) {
  rows_.reserve(rows);
  position_.reserve(rows);
  by_number_.reserve(rows);
}

RowId CatalogueTable::Append(CatalogueRow row) {
  row.id = next_id_++;
  by_number_.emplace(row.FileName, row.id);
  position_.push_back(rows_.size());
  rows_.push_back(std::move(row));
  return rows_.back().id;
}

void CatalogueTable::Reorder(const std::vector<std::size_t>& order) {
  std::vector<CatalogueRow> reordered;
  reordered.reserve(order.size());
  for (std::size_t i : order) reordered.push_back(std::move(rows_[i]));
  rows_ = std::move(reordered);
  IndexPositions();
}

void CatalogueTable::IndexPositions() const {
  positions_checked_ = true;
  position_.assign(static_cast<std::size_t>(next_id_ - first_id_), rows_.size());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const RowId id = rows_[i].id;
    if (id >= first_id_ && id < next_id_) position_[static_cast<std::size_t>(id - first_id_)] = i;
  }
}

bool CatalogueTable::ContainsCapsule(const std::string& number) const {
  return by_number_.count(number) != 0;
}

const CatalogueRow* CatalogueTable::FindById(RowId id) const {
  const auto index = IndexOf(id);
  return index ? &rows_[*index] : nullptr;
}

std::optional<std::size_t> CatalogueTable::IndexOf(RowId id) const {
  if (id < first_id_ || id >= next_id_) return std::nullopt;
  const auto slot = static_cast<std::size_t>(id - first_id_);
  const auto matches = [&] {
    const std::size_t i = slot < position_.size() ? position_[slot] : rows_.size();
    return i < rows_.size() && rows_[i].id == id;
  };
  if (!matches()) {
    // Rows handed out by mutable_rows may have been moved: index them again, once.
    if (positions_checked_) return std::nullopt;
    IndexPositions();
    if (!matches()) return std::nullopt;
  }
  return position_[slot];
}

void RecordingTable::Clear() {
  rows_.clear();
  index_.clear();
}

void RecordingTable::Reserve(std::size_t rows) {
  rows_.reserve(rows);
  index_.reserve(rows);
}

void RecordingTable::Append(RecordingRow row) {
  index_.emplace(row.FileName, rows_.size());
  rows_.push_back(std::move(row));
}

const RecordingRow* RecordingTable::Find(const std::string& number) const {
  const auto it = index_.find(number);
  return it == index_.end() ? nullptr : &rows_[it->second];
}

void CabinetTable::Clear() {
  rows_.clear();
  index_.clear();
}

void CabinetTable::Append(CabinetRow row) {
  index_.emplace(row.TapeLibID, rows_.size());
  rows_.push_back(std::move(row));
}

const CabinetRow* CabinetTable::Find(int id) const {
  const auto it = index_.find(id);
  return it == index_.end() ? nullptr : &rows_[it->second];
}

}  // namespace capsdub
