// The window's settings in the program's profile file: the placement and stored properties,
// the grid's columns and the sort state, mapped between the window and the form storage.
#pragma once

#include <string>

#include "app/controller/main_controller.h"
#include "ui/main_window.h"

namespace capsdub {

// Reads the placement, the properties and the grid's columns from `file`.
ui::MainWindowState ReadWindowSettings(const std::string& file);
// Writes them; false when something could not be written (the program goes on).
bool WriteWindowSettings(const std::string& file, const ui::MainWindowState& state);

// The sort state in section "etc" of the profile file.
class ProfileSortState : public SortStateStore {
 public:
  explicit ProfileSortState(std::string file) : file_(std::move(file)) {}
  void Load(Catalogue& catalogue) override;
  void Save(const Catalogue& catalogue) override;

 private:
  std::string file_;
};

}  // namespace capsdub
