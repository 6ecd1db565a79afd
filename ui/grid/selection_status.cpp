// The selection-size line of the catalogue grid.
#include "ui/grid/selection_status.h"

#include <algorithm>
#include <vector>

#include "dubbing/dub_utils.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "ui/text/sjis_literals.h"

namespace capsdub {
namespace {

constexpr char kSelected[] = "選択サイズ : ";
constexpr char kKBytes[] = "Kバイト";
constexpr char kFree[] = " / ディスク残量: ";

}  // namespace

std::string SelectionStatusText(double total_kb, double free_kb, std::string_view separator) {
  return std::string(kSelected) + FormatThousands(total_kb, separator, 10) + kKBytes + kFree +
         FormatThousands(free_kb, separator, 10) + kKBytes;
}

std::optional<double> FreeKbOfSaveFolder(const std::string& save_folder) {
  const std::string previous = platform::CurrentDirectory();
  if (!save_folder.empty()) platform::SetCurrentDirectory(save_folder);
  const std::optional<std::uint64_t> free_bytes = platform::FreeBytes(platform::CurrentDirectory());
  platform::SetCurrentDirectory(previous);
  if (!free_bytes) return std::nullopt;
  return static_cast<double>(*free_bytes) / 1024;
}

SelectionStatus ComputeSelectionStatus(const Catalogue& catalogue, const std::string& save_folder,
                                       WindowPort& window, SelectionTurns turns) {
  SelectionStatus status;
  const std::optional<double> free_kb = FreeKbOfSaveFolder(save_folder);
  status.free_kb = free_kb.value_or(0);
  // A copy: input handled while yielding may change the selection under the walk.
  const std::vector<RowId> selected(catalogue.Selection.begin(), catalogue.Selection.end());
  const std::size_t rows_per_look = std::max<std::size_t>(turns.rows_per_look, 1);
  std::uint64_t turn_due = platform::MonotonicMs() + turns.every_ms;
  for (std::size_t i = 0; i < selected.size(); ++i) {
    if (const CatalogueRow* row = catalogue.Table1.FindById(selected[i]))
      status.total_kb += row->FileSize;
    if ((i + 1) % rows_per_look == 0 && platform::MonotonicMs() >= turn_due) {
      window.YieldToUi();
      ++status.yields;
      turn_due = platform::MonotonicMs() + turns.every_ms;
    }
  }
  status.fits = !free_kb || status.total_kb <= *free_kb;
  status.colour = status.fits ? kColourWindowText : kColourRed;
  status.text =
      SelectionStatusText(status.total_kb, status.free_kb, platform::ThousandsSeparator());
  return status;
}

}  // namespace capsdub
