// The selection-size line of the catalogue grid: the K bytes of the selected rows against the
// free space of the save folder's drive.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/tables.h"
#include "catalogue/window_port.h"

namespace capsdub {

struct SelectionStatus {
  double total_kb = 0;  // FileSize of the selected rows
  double free_kb = 0;   // free space of the save folder's drive
  bool fits = true;     // total <= free (an unknown free space counts as fitting)
  std::string text;  // 選択サイズ : <total>Kバイト / ディスク残量: <free>Kバイト
  Colour colour = kColourWindowText;
  int yields = 0;  // turns given to the message loop while adding up
};

// How long the adding up runs before the message loop gets its turn.
constexpr int kSelectionYieldMs = 10;

// When the adding up gives the message loop its turn: it looks at the clock after every
// `rows_per_look` rows and yields once `every_ms` milliseconds have passed since the last turn.
struct SelectionTurns {
  std::size_t rows_per_look = 256;
  unsigned every_ms = kSelectionYieldMs;
};

// "選択サイズ : %10.nKバイト / ディスク残量: %10.0nKバイト" with the locale's separator.
std::string SelectionStatusText(double total_kb, double free_kb, std::string_view separator);

// Free K bytes of the drive of `save_folder`: the folder is made the current directory for
// the measurement (when that fails, the current directory is measured) and the previous one
// is restored. nullopt when the system cannot tell.
std::optional<double> FreeKbOfSaveFolder(const std::string& save_folder);

// Adds up the selected rows, giving the window its turns as `turns` says (by default a large
// selection stays responsive without paying a turn per row), and compares the total with the
// free space of `save_folder`'s drive.
SelectionStatus ComputeSelectionStatus(const Catalogue& catalogue, const std::string& save_folder,
                                       WindowPort& window, SelectionTurns turns = {});

}  // namespace capsdub
