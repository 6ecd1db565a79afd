// The catalogue grid RxDBGrid1: a virtual list view over Table1 that holds no copy of the
// rows. It keeps the catalogue's selection and current row in step with the list view, draws
// Status 9 rows in red, shows the sort marker in the header, and adds the Shift-click range,
// the drag selection and the page keys of the catalogue.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/tables.h"
#include "ui/win32/window.h"

namespace capsdub::ui {

// One column as the settings keep it: its field, its place in the display order, its width.
struct GridColumnLayout {
  std::string field;
  int index = 0;
  int width = 0;
};

class CatalogueGrid {
 public:
  // Repainting suspended for a scope.
  class RedrawPause {
   public:
    explicit RedrawPause(CatalogueGrid& grid) : grid_(grid) { grid_.SetRedraw(false); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() { grid_.SetRedraw(true); }

   private:
    CatalogueGrid& grid_;
  };

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

  // Creates the list view as child `id` of `parent`, with `font`.
  bool Create(HWND parent, int id, HFONT font);
  HWND hwnd() const { return list_.hwnd(); }

  // The catalogue changed (load, sort, batch selection): row count, selection, current row
  // and sort marker are shown anew.
  void Reload();
  // Repaints the rows and moves the list view's focus to the catalogue's current row.
  void ShowCurrentRow();
  // Adds a row to the selection (the catalogue's and the list view's).
  void SelectRow(RowId id);
  // While suspended the grid does not follow the catalogue's current row.
  void set_display_suspended(bool suspended) { display_suspended_ = suspended; }
  bool display_suspended() const { return display_suspended_; }
  // Repainting off while many rows change; on again repaints once. Pairs nest: only the
  // outermost one switches the list view.
  void SetRedraw(bool on);

  // Notifications of the list view and its header, forwarded by the parent. True when handled.
  bool OnNotify(NMHDR* header, LRESULT& result);

  // Column layout for the settings, and applied from them (unknown fields are ignored).
  std::vector<GridColumnLayout> ColumnLayout() const;
  void ApplyColumnLayout(const std::vector<GridColumnLayout>& layout);
  static const std::vector<std::string>& FieldNames();

  // The text of a cell as the grid shows it (Shift-JIS).
  std::string CellText(std::size_t row, int column) const;
  int RowHeight() const;

 private:
  static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                   DWORD_PTR data);
  LRESULT OnListMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l, bool& handled);
  static LRESULT CALLBACK HeaderSubclass(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                         DWORD_PTR data);
  // Moving a column by dragging its title with the right button.
  bool OnHeaderMessage(HWND header, UINT message, WPARAM w, LPARAM l);
  int HeaderDivider(HWND header, int x) const;
  void OnItemChanged(const NMLISTVIEW& change);
  void OnStateRange(const NMLVODSTATECHANGE& change);
  void OnCellClick(int item);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
  void UpdateSortMarkers();
  // Sets the list view's state of `index` without echoing it into the catalogue.
  void SetItemState(int index, UINT state, UINT mask);
  void ClearSelectionBoth();
  void SelectRangeBoth(int from, int to);
  // Makes the rows from..to exactly the selection of both.
  void SelectExactly(int from, int to);
  // The list view's selection is exactly the rows low..high.
  bool ListSelectionIs(int low, int high) const;
  // The list view's own handling of a button message; a click it reports meanwhile is
  // handled afterwards.
  LRESULT ForwardPress(HWND hwnd, WPARAM w, LPARAM l);
  LRESULT ForwardButton(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  void SetCurrentIndex(int index);
  std::optional<int> FocusedIndex() const;
  int IndexAt(POINT point) const;
  // The grid's keys; false for a key left to the list view.
  bool OnKey(WPARAM key);
  // Moves the current row to `index` and leaves no row selected.
  void MoveClearingSelection(int index);
  void PageMove(bool down);
  void EraseDragRect();

  Catalogue& catalogue_;
  Callbacks callbacks_;
  win32::WindowRef list_;
  std::wstring cell_buffer_;
  bool display_suspended_ = false;
  int redraw_paused_ = 0;             // SetRedraw(false) calls not yet matched
  int button_depth_ = 0;              // >0 while the list view handles a button message
  std::optional<int> pending_click_;  // NM_CLICK received meanwhile
  int echo_suppressed_ = 0;           // >0 while the grid itself changes list view states
  bool selection_touched_ = false;    // the list view reported a selection change
  // Drag selection with the left button.
  bool drag_flag_ = false;
  bool drag_started_ = false;  // the list view reported the start of a drag
  POINT press_point_{};
  RECT drawn_rect_{};
  // The display position of the title dragged with the right button, -1 when none is.
  int moving_position_ = -1;
};

}  // namespace capsdub::ui
