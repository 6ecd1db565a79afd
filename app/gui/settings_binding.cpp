// The window's settings in the program's profile file.
#include "app/gui/settings_binding.h"

#include <windows.h>

#include "app/settings/form_settings.h"
#include "ui/win32/handles.h"

namespace capsdub {
namespace {

int ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace

ui::MainWindowState ReadWindowSettings(const std::string& file) {
  const FormSettings stored = ReadFormSettings(file, ScreenWidth(), ScreenHeight());
  ui::MainWindowState state;
  if (stored.placement) {
    const WindowPlacementSetting& p = *stored.placement;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.flags = static_cast<UINT>(p.flags);
    placement.showCmd = static_cast<UINT>(p.show_cmd);
    placement.ptMinPosition = {p.min_max_pos[0], p.min_max_pos[1]};
    placement.ptMaxPosition = {p.min_max_pos[2], p.min_max_pos[3]};
    placement.rcNormalPosition = {p.norm_pos[0], p.norm_pos[1], p.norm_pos[2], p.norm_pos[3]};
    // A rectangle that cannot be a window keeps the design-time place.
    if (p.norm_pos[2] > p.norm_pos[0] && p.norm_pos[3] > p.norm_pos[1]) state.placement = placement;
  }
  state.PathReelKeeper_Text = stored.PathReelKeeper_Text;
  state.DBMemo1_Height = stored.DBMemo1_Height;
  state.ExportTo_ItemIndex = stored.ExportTo_ItemIndex;
  state.PathMPEGSave_Items = stored.PathMPEGSave_Items;
  state.PathMPEGSave_Text = stored.PathMPEGSave_Text;
  for (const GridColumnSetting& column : ReadGridColumns(file))
    state.columns.push_back({column.field, column.index, column.width});
  return state;
}

bool WriteWindowSettings(const std::string& file, const ui::MainWindowState& state) {
  FormSettings stored;
  if (state.placement) {
    const WINDOWPLACEMENT& placement = *state.placement;
    WindowPlacementSetting p;
    p.flags = static_cast<int>(placement.flags);
    p.show_cmd = static_cast<int>(placement.showCmd);
    p.min_max_pos[0] = placement.ptMinPosition.x;
    p.min_max_pos[1] = placement.ptMinPosition.y;
    p.min_max_pos[2] = placement.ptMaxPosition.x;
    p.min_max_pos[3] = placement.ptMaxPosition.y;
    p.norm_pos[0] = placement.rcNormalPosition.left;
    p.norm_pos[1] = placement.rcNormalPosition.top;
    p.norm_pos[2] = placement.rcNormalPosition.right;
    p.norm_pos[3] = placement.rcNormalPosition.bottom;
    p.pixels_per_inch = GetDeviceCaps(win32::WindowDc(nullptr).get(), LOGPIXELSY);
    stored.placement = p;
  }
  stored.PathReelKeeper_Text = state.PathReelKeeper_Text;
  stored.DBMemo1_Height = state.DBMemo1_Height;
  stored.ExportTo_ItemIndex = state.ExportTo_ItemIndex;
  stored.PathMPEGSave_Items = state.PathMPEGSave_Items;
  stored.PathMPEGSave_Text = state.PathMPEGSave_Text;
  std::vector<GridColumnSetting> columns;
  for (const ui::GridColumnLayout& column : state.columns)
    columns.push_back({column.field, column.index, column.width});
  const bool form = WriteFormSettings(file, stored, ScreenWidth(), ScreenHeight());
  const bool grid = WriteGridColumns(file, columns);
  return form && grid;
}

void ProfileSortState::Load(Catalogue& catalogue) {
  LoadSortState(file_, catalogue);
}

void ProfileSortState::Save(const Catalogue& catalogue) {
  SaveSortState(file_, catalogue);
}

}  // namespace capsdub
