// The capsule scan: one catalogue row per capsule whose index segments are on a medium,
// filled from its tape record or, without one, from its files.
#include "catalogue/scan.h"

#include <cmath>

#include "catalogue/host_files.h"
#include "catalogue/sort.h"
#include "platform/files.h"
#include "ui/text/text_utils.h"

namespace capsdub {
namespace {

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

bool StartsWithDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The host folder made absolute, with a trailing separator.
std::string AbsoluteHost(const std::string& host) {
  if (StartsWithDriveLetter(host)) return WithTrailingBackslash(host);
  const std::string current = platform::CurrentDirectory();
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (!host.empty() && separator(host[0])) {
    // "\Reel Keeper" lies on the current drive, whose letter each medium then replaces; a
    // network path or a POSIX path stays as it is.
    const bool network = host.size() >= 2 && separator(host[1]);
    if (!network && StartsWithDriveLetter(current)) {
      return WithTrailingBackslash(current.substr(0, 2) + host);
    }
    return WithTrailingBackslash(host);
  }
  return WithTrailingBackslash(WithTrailingBackslash(current) + host);
}

// Total size of the capsule's files matching number + suffix on every medium, each medium
// once.
double SizeOnMedia(const std::string& number, const char* suffix, const Catalogue& catalogue,
                   WindowPort& window) {
  double total = 0;
  std::vector<std::string> seen;
  for (const std::string& medium : catalogue.MediaList) {
    const std::string folder = MediaFolder(catalogue.PathReelKeeper, medium);
    bool repeated = false;
    for (const auto& s : seen) repeated = repeated || s == folder;
    if (repeated) continue;
    seen.push_back(folder);
    for (const auto& entry : platform::ListFiles(folder, number + suffix)) {
      total += static_cast<double>(entry.size);
      window.YieldToUi();
    }
  }
  window.YieldToUi();
  return total;
}

}  // namespace

std::string MediaFolder(const std::string& host, const std::string& medium) {
  std::string folder = AbsoluteHost(host);
  // A POSIX host folder has no drive letter to replace: every medium is that folder.
  if (StartsWithDriveLetter(folder) && !medium.empty()) folder[0] = medium[0];
  return folder;
}

void BuildCatalogue(Catalogue& catalogue, WindowPort& window) {
  catalogue.Table1.Clear();
  catalogue.Selection.clear();
  catalogue.CurrentRow.reset();
  catalogue.SelectionAnchor.reset();
  // In every case, also after an error, the first row in sort order becomes the current row
  // and the anchor of a range selection.
  struct FirstRowOnExit {
    Catalogue& catalogue;
    ~FirstRowOnExit() {
      const auto& rows = catalogue.Table1.rows();
      catalogue.CurrentRow = rows.empty() ? std::nullopt : std::optional<RowId>(rows.front().id);
      catalogue.SelectionAnchor = catalogue.CurrentRow;
    }
  } first_row{catalogue};
  bool sorted = false;
  try {
    for (const std::string& medium : catalogue.MediaList) {
      if (window.StopRequested) break;
      const std::string folder = MediaFolder(catalogue.PathReelKeeper, medium);
      const std::vector<platform::DirEntry> entries = platform::ListFiles(folder,
                                                                          "????"
                                                                          "-???.ssx");
      catalogue.Table1.Reserve(catalogue.Table1.size() + entries.size());
      for (const auto& entry : entries) {
        if (window.StopRequested) break;
        const std::string number = entry.name.substr(0, 4);
        if (catalogue.Table1.ContainsCapsule(number)) continue;
        CatalogueRow row;
        row.FileName = number;
        row.FileDateTime = entry.last_write;
        bool stays = true;
        if (const RecordingRow* record = catalogue.Table2.Find(number)) {
          row.Title = record->Title;
          row.Channel = record->Channel;
          row.Status = record->Status;
          row.FileDateTime = record->StartDateTime;
          row.Memo = record->Memo;
          row.TapeLibID = record->TapeLibID;
          row.FileSize = RoundHalfEven(record->Size / 1024);
          if (const CabinetRow* cabinet = catalogue.Table3.Find(record->TapeLibID)) {
            row.TapeLibName = cabinet->TapeLibName;
          }
          stays = record->Size != 0 || record->Status == 9;
        } else {
          // Without a record the capsule is still listed, sized from its files, so that a
          // recording whose record is missing can be rescued.
          double total = SizeOnMedia(number, "-???.ss*", catalogue, window);
          if (total == 0) total = SizeOnMedia(number, "-???.mpg", catalogue, window);
          row.FileSize = RoundHalfEven(total / 1024);
        }
        if (stays) catalogue.Table1.Append(std::move(row));
        window.YieldToUi();
      }
      window.YieldToUi();
    }
    sorted = true;
    SortCatalogue(catalogue, std::nullopt);
  } catch (...) {
    // The rows found so far stay, sorted, before the error travels on.
    if (!sorted) {
      try {
        SortCatalogue(catalogue, std::nullopt);
      } catch (...) {
      }
    }
    throw;
  }
}

void GetSegmentLists(const std::string& number, std::vector<std::string>& media,
                     std::vector<std::string>& index, const Catalogue& catalogue,
                     WindowPort& window) {
  ReadSegmentList(".SSG", number, media, catalogue, window);
  if (media.empty()) ReadSegmentList(".MPG", number, media, catalogue, window);
  ReadSegmentList(".SSX", number, index, catalogue, window);
}

void LoadCatalogue(Catalogue& catalogue, WindowPort& window) {
  window.StopRequested = false;
  ReadMediaList(catalogue, window);
  ReadTapeDatabase(catalogue, window);
  ReadCabinetDatabase(catalogue, window);
  BuildCatalogue(catalogue, window);
}

}  // namespace capsdub
