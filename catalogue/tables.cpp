// The catalogue's in-memory tables and their key look-ups.
#include "catalogue/tables.h"

namespace capsdub {

void CatalogueTable::Clear() {
  rows_.clear();
  by_number_.clear();
}

RowId CatalogueTable::Append(CatalogueRow row) {
  row.id = next_id_++;
  by_number_.emplace(row.FileName, row.id);
  rows_.push_back(std::move(row));
  return rows_.back().id;
}

bool CatalogueTable::ContainsCapsule(const std::string& number) const {
  return by_number_.count(number) != 0;
}

const CatalogueRow* CatalogueTable::FindById(RowId id) const {
  const auto index = IndexOf(id);
  return index ? &rows_[*index] : nullptr;
}

std::optional<std::size_t> CatalogueTable::IndexOf(RowId id) const {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].id == id) return i;
  }
  return std::nullopt;
}

void RecordingTable::Clear() {
  rows_.clear();
  index_.clear();
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
