// The main window's stored settings: its placement and properties, the output-folder history,
// the grid's column order and widths, and the catalogue's sort state, kept in the program's
// profile file in the sections and keys that the window's form storage has always used.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tables.h"

namespace capsdub {

// The window placement as the system reports it: flags and show command, the minimised and
// maximised positions (x, y, x, y) and the normal rectangle (left, top, right, bottom).
struct WindowPlacementSetting {
  int flags = 0;
  int show_cmd = 1;
  int pixels_per_inch = 96;
  int min_max_pos[4] = {-1, -1, -1, -1};
  int norm_pos[4] = {};
};

struct GridColumnSetting {
  std::string field;  // catalogue field name, e.g. "Title"
  int index = 0;      // display position
  int width = 0;      // pixels
};

// The stored properties, with their design-time values.
struct FormSettings {
  std::optional<WindowPlacementSetting> placement;  // absent when never saved
  std::string PathReelKeeper_Text = "D:\\Reel Keeper\\";
  int DBMemo1_Height = 89;
  int ExportTo_ItemIndex = 0;
  std::vector<std::string> PathMPEGSave_Items;
  std::string PathMPEGSave_Text;
};

// The profile file of the program at `program_path`: its base name with the extension ".INI",
// without a folder ("C:\Tools\CapsDub.exe" gives "CapsDub.INI").
std::string SettingsFileName(std::string_view program_path);

// Reads the placement and the properties. A missing key keeps the design-time value, and so
// does a number or rectangle that does not read as one. The placement is read from the keys
// for this screen size when they are there, otherwise from the plain keys.
FormSettings ReadFormSettings(const std::string& file, int screen_width, int screen_height);

// Writes the placement (when present) and the properties; the history section is rewritten
// from scratch. Never throws: false when any value could not be written, which the window may
// ignore (the settings are then not kept, nothing else changes).
bool WriteFormSettings(const std::string& file, const FormSettings& s, int screen_width,
                       int screen_height);

// The grid's stored columns, ordered by index; entries that do not read as "index,width" are
// left out, so those columns keep their design-time place and width.
std::vector<GridColumnSetting> ReadGridColumns(const std::string& file);
// Rewrites the grid's section with `columns`. False when anything could not be written.
bool WriteGridColumns(const std::string& file, const std::vector<GridColumnSetting>& columns);

// Reads the sort field and marker into `catalogue`. When the stored marker is not a number the
// section counts as unreadable, and both fall back to "FileDateTime" and 1 together.
void LoadSortState(const std::string& file, Catalogue& catalogue);
// Writes the sort field and marker as they are. False when they could not be written.
bool SaveSortState(const std::string& file, const Catalogue& catalogue);

}  // namespace capsdub
