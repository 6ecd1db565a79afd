// The in-memory tables of the catalogue: Table1 (one row per capsule found on disk), Table2
// (the tape records), Table3 (the cabinets), with the window state that goes with them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/row_id.h"
#include "catalogue/row_set.h"
#include "platform/datetime.h"

namespace capsdub {

struct CatalogueRow {  // Table1
  RowId id = 0;
  std::string FileName;     // capsule number, 4 characters
  std::string Title;        // up to 256 bytes
  double FileSize = 0;      // K bytes (1024), a whole number
  DateTime FileDateTime;    // recording start, or the first index segment's last-write time
  std::string Channel;      // up to 256 bytes
  int Status = 0;           // status digit; 9 is listed even with size 0 and painted red
  std::string Memo;         // up to 5000 bytes
  int TapeLibID = 0;        // cabinet number
  std::string TapeLibName;  // up to 255 bytes
};

struct RecordingRow {  // Table2
  std::string FileName;
  std::string Title;
  std::string Channel;
  DateTime StartDateTime;
  double Size = 0;  // bytes
  int Status = 0;
  std::string Memo;
  int TapeLibID = 0;
};

struct CabinetRow {  // Table3
  int TapeLibID = 0;
  std::string TapeLibName;
};

// Field widths in bytes of Shift-JIS text.
constexpr std::size_t kFileNameWidth = 4;
constexpr std::size_t kTitleWidth = 256;
constexpr std::size_t kChannelWidth = 256;
constexpr std::size_t kMemoWidth = 5000;
constexpr std::size_t kTapeLibNameWidth = 255;

// Table1: rows in display order; the row identity keeps the insertion order. A row is found
// by its identity or its position in constant time, whatever the number of rows.
class CatalogueTable {
 public:
  const std::vector<CatalogueRow>& rows() const { return rows_; }
  // The rows' fields may be changed through this; their order only through Reorder.
  std::vector<CatalogueRow>& mutable_rows() {
    positions_checked_ = false;
    return rows_;
  }
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }

  void Clear();
  void Reserve(std::size_t rows);
  // Appends a row and gives it the next identity; returns that identity.
  RowId Append(CatalogueRow row);
  // Puts the rows in the order of `order` (positions of the present rows, each once).
  void Reorder(const std::vector<std::size_t>& order);
  bool ContainsCapsule(const std::string& number) const;
  const CatalogueRow* FindById(RowId id) const;
  std::optional<std::size_t> IndexOf(RowId id) const;  // position in display order

 private:
  void IndexPositions() const;

  std::vector<CatalogueRow> rows_;
  std::unordered_map<std::string, RowId> by_number_;
  RowId next_id_ = 1;
  RowId first_id_ = 1;  // identity of the first row appended since the last Clear
  // Position of each row, by identity - first_id_; checked against the row on every look-up
  // and made again when it no longer matches, once after the rows were handed out to change.
  mutable std::vector<std::size_t> position_;
  mutable bool positions_checked_ = true;
};

// Table2, looked up by capsule number (the first row of a number wins).
class RecordingTable {
 public:
  const std::vector<RecordingRow>& rows() const { return rows_; }
  void Clear();
  void Reserve(std::size_t rows);
  void Append(RecordingRow row);
  const RecordingRow* Find(const std::string& number) const;

 private:
  std::vector<RecordingRow> rows_;
  std::unordered_map<std::string, std::size_t> index_;
};

// Table3, looked up by cabinet number (the first row of a number wins).
class CabinetTable {
 public:
  const std::vector<CabinetRow>& rows() const { return rows_; }
  void Clear();
  void Append(CabinetRow row);
  const CabinetRow* Find(int id) const;

 private:
  std::vector<CabinetRow> rows_;
  std::unordered_map<int, std::size_t> index_;
};

// Everything a load fills and the grid, the job and the batch read.
struct Catalogue {
  std::string PathReelKeeper = "D:\\Reel Keeper\\";  // the host folder
  std::vector<std::string> MediaList;                // drive letters of the media
  std::string TapeHeaderTail;                        // last 272 bytes of tape header record 3
  CatalogueTable Table1;
  RecordingTable Table2;
  CabinetTable Table3;

  std::string SortField = "FileDateTime";
  int SortMarker = 1;                    // 1 = descending, otherwise ascending
  RowSet Selection;                      // walked in ascending identity = scan order
  std::optional<RowId> CurrentRow;       // the row shown in the memo pane
  std::optional<RowId> SelectionAnchor;  // start of a Shift-click range
};

}  // namespace capsdub
