// The catalogue grid in a window of its own under Wine, over a catalogue of 2,000 rows made in
// memory, driven by real mouse messages: a click on a large selection leaves the clicked row
// alone, a Shift-click range runs exactly from the anchor, the rows are painted as the
// catalogue selects them, and large ranges are neither repainted nor reported row by row.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ui/grid/catalogue_grid.h"
#include "ui/win32/window.h"

namespace capsdub {
namespace {

using ui::CatalogueGrid;

constexpr int kRows = 2000;
constexpr int kGridId = 7;

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms = 10000) {
  const DWORD end = GetTickCount() + ms;
  while (!done()) {
    if (GetTickCount() > end) return false;
    win32::PumpPendingMessages();
    Sleep(1);
  }
  return true;
}

// A parent that hands the list view's notifications to the grid, counting some of them, and
// records what the click handling saw.
class GridHost : public win32::Window {
 public:
  GridHost() : grid_(catalogue_, {nullptr, [this] { OnCellClicked(); }, nullptr}) {
    for (int i = 0; i < kRows; ++i) {
      CatalogueRow row;
      char number[8];
      std::snprintf(number, sizeof number, "%04d", i + 1);
      row.FileName = number;
      row.Title = "title " + std::to_string(i);
      row.FileSize = 10;
      catalogue_.Table1.Append(row);
    }
  }
  ~GridHost() override { Destroy(); }  // while the grid that subclasses the list view lives

  bool Open() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!Create(L"CatalogueGridTestHost", L"grid", WS_OVERLAPPEDWINDOW, 0, 0, 0, 600, 400, nullptr))
      return false;
    if (!grid_.Create(hwnd_, kGridId, nullptr)) return false;
    MoveWindow(grid_.hwnd(), 0, 0, 560, 340, TRUE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    grid_.Reload();
    UpdateWindow(grid_.hwnd());
    return true;
  }

  HWND list() { return grid_.hwnd(); }
  CatalogueGrid& grid() { return grid_; }
  Catalogue& catalogue() { return catalogue_; }
  int CountPerPage() { return static_cast<int>(SendMessageW(list(), LVM_GETCOUNTPERPAGE, 0, 0)); }

  // Presses and releases the left button on a row (scrolled into view first), with Shift when
  // asked, and waits until the click has been handled.
  void Click(int index, bool shift) {
    ListView_EnsureVisible(list(), index, FALSE);
    UpdateWindow(list());
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageW(list(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(40, (r.top + r.bottom) / 2);
    const WPARAM keys = shift ? MK_SHIFT : 0;
    const int before = clicks;
    SetShift(shift);
    PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageW(list(), WM_LBUTTONUP, keys, at);
    const bool handled = PumpUntil([&] { return clicks > before; });
    UpdateWindow(list());
    SetShift(false);
    ASSERT_TRUE(handled);
  }

  // Display indices of the selected rows: the catalogue's and the list view's.
  std::vector<int> CatalogueSelection() {
    std::vector<int> indices;
    const auto& rows = catalogue_.Table1.rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (catalogue_.Selection.count(rows[i].id)) indices.push_back(static_cast<int>(i));
    return indices;
  }
  // Whether the grid paints the row as selected (the list view's own state not counting).
  bool PaintedSelected(int index) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = list();
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index);
    draw.clrTextBk = CLR_DEFAULT;
    LRESULT result = 0;
    grid_.OnNotify(&draw.nmcd.hdr, result);
    return draw.clrTextBk == GetSysColor(COLOR_HIGHLIGHT);
  }

  int clicks = 0;             // cell clicks handled
  std::size_t seen_rows = 0;  // catalogue rows selected when the last click was handled
  int item_changes = 0;       // LVN_ITEMCHANGED for single rows
  int rows_drawn = 0;         // NM_CUSTOMDRAW CDDS_ITEMPREPAINT

 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM l, LRESULT& result) override {
    if (message != WM_NOTIFY) return false;
    auto* header = reinterpret_cast<NMHDR*>(l);
    if (header->hwndFrom == grid_.hwnd()) {
      if (header->code == LVN_ITEMCHANGED && reinterpret_cast<NMLISTVIEW*>(l)->iItem >= 0)
        ++item_changes;
      if (header->code == NM_CUSTOMDRAW &&
          reinterpret_cast<NMCUSTOMDRAW*>(l)->dwDrawStage == CDDS_ITEMPREPAINT)
        ++rows_drawn;
    }
    return grid_.OnNotify(header, result);
  }

 private:
  void OnCellClicked() {
    ++clicks;
    seen_rows = catalogue_.Selection.size();
  }

  Catalogue catalogue_;
  CatalogueGrid grid_;
};

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}

class CatalogueGridTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host_.Open()); }
  void TearDown() override { SetShift(false); }
  GridHost host_;
};

TEST_F(CatalogueGridTest, AShiftClickOverEveryRowIsExactAndNeitherRepaintsNorReportsRowByRow) {
  host_.Click(0, false);
  host_.item_changes = 0;
  host_.rows_drawn = 0;
  host_.Click(kRows - 1, true);
  EXPECT_EQ(host_.CatalogueSelection(), Range(0, kRows - 1));
  EXPECT_TRUE(host_.PaintedSelected(0) && host_.PaintedSelected(kRows - 1));
  EXPECT_EQ(host_.seen_rows, static_cast<std::size_t>(kRows));
  const auto& rows = host_.catalogue().Table1.rows();
  EXPECT_EQ(host_.catalogue().CurrentRow, rows.back().id);
  EXPECT_EQ(host_.catalogue().SelectionAnchor, rows.back().id);
  // One screenful drawn, a handful of rows reported: not one per row of the range.
  const int page = host_.CountPerPage();
  ASSERT_GT(page, 2);
  EXPECT_LE(host_.rows_drawn, 2 * (page + 1));
  EXPECT_LT(host_.item_changes, page);
}

TEST_F(CatalogueGridTest, APlainClickOnAWholeSelectionLeavesTheClickedRowAlone) {
  host_.Click(0, false);
  host_.Click(kRows - 1, true);
  ASSERT_EQ(host_.CatalogueSelection().size(), static_cast<std::size_t>(kRows));
  // A click on a row of the whole selection leaves that row alone selected; the click
  // handling (the selection line) already sees it so.
  host_.rows_drawn = 0;
  host_.Click(kRows - 2, false);
  EXPECT_EQ(host_.seen_rows, 1u);
  EXPECT_EQ(host_.CatalogueSelection(), std::vector<int>{kRows - 2});
  EXPECT_TRUE(host_.PaintedSelected(kRows - 2));
  EXPECT_FALSE(host_.PaintedSelected(kRows - 1));
  EXPECT_EQ(host_.catalogue().CurrentRow, host_.catalogue().Table1.rows()[kRows - 2].id);
  EXPECT_LE(host_.rows_drawn, 2 * (host_.CountPerPage() + 1));
  // A click on a row outside the selection likewise.
  host_.Click(kRows - 5, false);
  EXPECT_EQ(host_.seen_rows, 1u);
  EXPECT_EQ(host_.CatalogueSelection(), std::vector<int>{kRows - 5});
}

TEST_F(CatalogueGridTest, AShiftRangeRunsFromTheAnchor) {
  host_.Click(3, false);  // the list view's own range would start here
  const auto& rows = host_.catalogue().Table1.rows();
  host_.catalogue().SelectionAnchor = rows[10].id;
  host_.Click(20, true);
  EXPECT_EQ(host_.CatalogueSelection(), Range(10, 20));
  // Back across the anchor: the next range runs from the row clicked last.
  host_.Click(5, true);
  EXPECT_EQ(host_.CatalogueSelection(), Range(5, 20));
  EXPECT_EQ(host_.seen_rows, 16u);
  // Another program asking the list view is told the same selection.
  std::vector<int> told;
  for (int i = -1;
       (i = static_cast<int>(SendMessageW(host_.list(), LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                          LVNI_SELECTED))) >= 0;)
    told.push_back(i);
  EXPECT_EQ(told, Range(5, 20));
  EXPECT_EQ(SendMessageW(host_.list(), LVM_GETSELECTEDCOUNT, 0, 0), 16);
  EXPECT_EQ(SendMessageW(host_.list(), LVM_GETITEMSTATE, 4, LVIS_SELECTED), 0);
  EXPECT_EQ(SendMessageW(host_.list(), LVM_GETITEMSTATE, 5, LVIS_SELECTED), LVIS_SELECTED);
}

}  // namespace
}  // namespace capsdub
