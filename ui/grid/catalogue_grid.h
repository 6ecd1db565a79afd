// The catalogue grid RxDBGrid1: a virtual list view over Table1 that holds no copy of the
// rows. The catalogue holds the selection and the grid paints it, so that no click or key costs
// more with more rows: the list view keeps only the current row (its focus), the scroll
// position and the titles. The grid draws Status 9 rows in red, shows the sort marker in the
// header, and adds the Shift-click range, the drag selection and the keys of the catalogue.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/tables.h"
#include "ui/win32/controls.h"

namespace capsdub::ui {

// One column as the settings keep it: its field, its place in the display order, its width.
struct GridColumnLayout {
  std::string field;
  int index = 0;
  int width = 0;
};

class CatalogueGrid {
 public:
  struct Callbacks {
    std::function<void()> current_row_changed;  // the memo follows
    // After a click on a data row, and after a key that changed the selection: the selection
    // line follows.
    std::function<void()> selection_changed;
    std::function<void(const std::string&)> title_click;  // field of the clicked column
  };

  CatalogueGrid(Catalogue& catalogue, Callbacks callbacks);
  CatalogueGrid(const CatalogueGrid&) = delete;
  CatalogueGrid& operator=(const CatalogueGrid&) = delete;
  ~CatalogueGrid();

  // Creates the list view as child `id` of `parent`, with `font`.
  bool Create(HWND parent, int id, HFONT font);
  HWND hwnd() const { return list_.hwnd(); }

  // The catalogue changed (load, sort, batch selection): row count, selection, current row
  // and sort marker are shown anew.
  void Reload();
  // Repaints the rows and moves the list view's focus to the catalogue's current row.
  void ShowCurrentRow();
  // Adds a row to the selection.
  void SelectRow(RowId id);
  // While suspended the grid does not follow the catalogue's current row.
  void set_display_suspended(bool suspended) { display_suspended_ = suspended; }
  bool display_suspended() const { return display_suspended_; }

  // Notifications of the list view and its header, forwarded by the parent. True when handled.
  bool OnNotify(NMHDR* header, LRESULT& result);

  // Column layout for the settings, and applied from them (unknown fields are ignored).
  std::vector<GridColumnLayout> ColumnLayout() const;
  void ApplyColumnLayout(const std::vector<GridColumnLayout>& layout);
  static const std::vector<std::string>& FieldNames();

  // The text of a cell as the grid shows it (Shift-JIS).
  std::string CellText(std::size_t row, int column) const;
  // Whether the row at display position `index` is shown as selected.
  bool IsSelectedIndex(int index) const;
  int RowHeight() const;

 private:
  static LRESULT CALLBACK ListProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK HeaderProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  LRESULT OnListMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l, bool& handled);
  // Moving a column by dragging its title with the right button.
  bool OnHeaderMessage(HWND header, UINT message, WPARAM w, LPARAM l);
  int HeaderDivider(HWND header, int x) const;
  void OnItemChanged(const NMLISTVIEW& change);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
  void UpdateSortMarkers();

  // Mouse and keys.
  void OnPress(WPARAM keys, POINT at);
  void OnRelease(POINT at);
  void OnCellClick(std::optional<int> item);
  // The grid's keys; false for a key left to the list view.
  bool OnKey(WPARAM key);
  void PageMove(bool down);

  // Changes the selection, then repaints the visible rows whose selected state changed.
  template <typename Change>
  void ChangeSelection(Change change);
  void ClearSelection();
  void SelectOnly(int index);
  void ToggleSelected(int index);
  // Makes the rows from..to (display positions, both included) exactly the selection.
  void SelectExactly(int from, int to);
  // Makes `index` the current row: the list view's focus, scrolled into view.
  void SetCurrentIndex(int index);
  std::optional<int> CurrentIndex() const;
  std::optional<int> IndexOfRow(const std::optional<RowId>& id) const;
  int IndexAt(POINT point) const;
  void EraseDragRect();

  Catalogue& catalogue_;
  Callbacks callbacks_;
  win32::ListView list_;
  HWND header_ = nullptr;
  WNDPROC list_procedure_ = nullptr;    // the list view's own window procedure
  WNDPROC header_procedure_ = nullptr;  // the header's
  std::wstring cell_buffer_;
  bool display_suspended_ = false;
  bool reloading_ = false;
  // The row Shift with a key extends the selection from: the start of the last range, or the
  // row the last plain click or key went to.
  std::optional<RowId> key_mark_;
  // Pressing and dragging with the left button.
  bool drag_flag_ = false;
  POINT press_point_{};
  int press_row_ = -1;  // the row pressed, -1 below the rows
  RECT drawn_rect_{};
  // The display position of the title dragged with the right button, -1 when none is.
  int moving_position_ = -1;
};

}  // namespace capsdub::ui
