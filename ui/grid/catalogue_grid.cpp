// The catalogue grid over a virtual list view.
#include "ui/grid/catalogue_grid.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "catalogue/display_format.h"
#include "platform/codepage.h"
#include "platform/locale.h"
#include "ui/grid/column_move.h"

namespace capsdub::ui {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kHeaderSubclassId = 2;

struct ColumnDef {
  const char* field;
  const wchar_t* title;
  int width;  // 0: sized from the field's display text
  int format;
};

// The columns in display order.
const ColumnDef kColumns[] = {
    {"FileName", L"番号", 0, LVCFMT_LEFT},
    {"Title", L"タイトル", 215, LVCFMT_LEFT},
    {"FileSize", L"サイズ(Kバイト)", 124, LVCFMT_RIGHT},
    {"FileDateTime", L"録画日時", 0, LVCFMT_LEFT},
    {"Channel", L"チャンネル", 96, LVCFMT_LEFT},
    {"TapeLibName", L"キャビネット", 96, LVCFMT_LEFT},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

// The keys that move the current row or change the selection.
bool IsSelectingKey(WPARAM key) {
  switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_SPACE:
    case VK_ESCAPE:
      return true;
    default:
      return false;
  }
}

int TextWidth(HWND window, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size.cx;
}

}  // namespace

CatalogueGrid::CatalogueGrid(Catalogue& catalogue, Callbacks callbacks)
    : catalogue_(catalogue), callbacks_(std::move(callbacks)) {}

const std::vector<std::string>& CatalogueGrid::FieldNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const ColumnDef& c : kColumns) v.emplace_back(c.field);
    return v;
  }();
  return names;
}

bool CatalogueGrid::Create(HWND parent, int id, HFONT font) {
  HWND list = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
      100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) return false;
  list_ = win32::WindowRef(list);
  list_.SetFont(font);
  // No grid lines; whole-row highlight; titles may be dragged into another order.
  ListView_SetExtendedListViewStyle(
      list, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
  const int number_width = TextWidth(list, font, L"0000") + 16;
  const int date_width = TextWidth(list, font, L"2002年03月05日(火) 21:30") + 16;
  for (int i = 0; i < kColumnCount; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[i].format;
    column.cx = kColumns[i].width != 0 ? kColumns[i].width : (i == 0 ? number_width : date_width);
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    column.iSubItem = i;
    ListView_InsertColumn(list, i, &column);
  }
  SetWindowSubclass(list, &CatalogueGrid::Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(ListView_GetHeader(list), &CatalogueGrid::HeaderSubclass, kHeaderSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void CatalogueGrid::SetRedraw(bool on) {
  if (!on) {
    if (redraw_paused_++ == 0) list_.Send(WM_SETREDRAW, FALSE);
    return;
  }
  if (redraw_paused_ == 0 || --redraw_paused_ > 0) return;
  list_.Send(WM_SETREDRAW, TRUE);
  RedrawWindow(list_.hwnd(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void CatalogueGrid::SetItemState(int index, UINT state, UINT mask) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  list_.Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void CatalogueGrid::Reload() {
  const std::set<RowId> selection = catalogue_.Selection;
  const std::optional<RowId> current = catalogue_.CurrentRow;
  ++echo_suppressed_;
  SetRedraw(false);
  list_.Send(LVM_SETITEMCOUNT, catalogue_.Table1.size(), 0);
  // Each state apart: the list view passes over every row for a mask it cannot answer from
  // its selection ranges, and only one row can have the focus.
  SetItemState(-1, 0, LVIS_SELECTED);
  if (const std::optional<int> focused = FocusedIndex()) SetItemState(*focused, 0, LVIS_FOCUSED);
  for (RowId id : selection) {
    if (auto index = catalogue_.Table1.IndexOf(id))
      SetItemState(static_cast<int>(*index), LVIS_SELECTED, LVIS_SELECTED);
  }
  if (current) {
    if (auto index = catalogue_.Table1.IndexOf(*current)) {
      SetItemState(static_cast<int>(*index), LVIS_FOCUSED, LVIS_FOCUSED);
      list_.Send(LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(*index));
      ListView_EnsureVisible(list_.hwnd(), static_cast<int>(*index), FALSE);
    }
  }
  --echo_suppressed_;
  catalogue_.Selection = selection;
  catalogue_.CurrentRow = current;
  UpdateSortMarkers();
  SetRedraw(true);
  if (callbacks_.current_row_changed) callbacks_.current_row_changed();
}

void CatalogueGrid::ShowCurrentRow() {
  if (catalogue_.CurrentRow) {
    if (auto index = catalogue_.Table1.IndexOf(*catalogue_.CurrentRow)) {
      ++echo_suppressed_;
      SetItemState(static_cast<int>(*index), LVIS_FOCUSED, LVIS_FOCUSED);
      --echo_suppressed_;
      ListView_EnsureVisible(list_.hwnd(), static_cast<int>(*index), FALSE);
    }
  }
  list_.Invalidate(false);
  if (callbacks_.current_row_changed) callbacks_.current_row_changed();
}

void CatalogueGrid::SelectRow(RowId id) {
  catalogue_.Selection.insert(id);
  if (auto index = catalogue_.Table1.IndexOf(id)) {
    ++echo_suppressed_;
    SetItemState(static_cast<int>(*index), LVIS_SELECTED, LVIS_SELECTED);
    --echo_suppressed_;
  }
}

void CatalogueGrid::ClearSelectionBoth() {
  SetItemState(-1, 0, LVIS_SELECTED);
  catalogue_.Selection.clear();
}

void CatalogueGrid::SelectRangeBoth(int from, int to) {
  const int step = from <= to ? 1 : -1;
  for (int i = from;; i += step) {
    SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    if (i == to) break;
  }
}

bool CatalogueGrid::ListSelectionIs(int low, int high) const {
  // As many selected rows as the range has, the first of them at its start and none after
  // its end: the selection is the range.
  if (list_.Send(LVM_GETSELECTEDCOUNT) != high - low + 1) return false;
  if (list_.Send(LVM_GETNEXTITEM, static_cast<WPARAM>(low - 1), LVNI_SELECTED) != low) return false;
  return high + 1 >= static_cast<int>(catalogue_.Table1.size()) ||
         list_.Send(LVM_GETNEXTITEM, static_cast<WPARAM>(high), LVNI_SELECTED) < 0;
}

void CatalogueGrid::SelectExactly(int from, int to) {
  const int low = std::min(from, to);
  const int high = std::max(from, to);
  if (ListSelectionIs(low, high)) {
    // The list view's own Shift handling selected the range already: a walk would set every
    // row once more, each with its notifications. The catalogue follows it directly.
    const auto& rows = catalogue_.Table1.rows();
    catalogue_.Selection.clear();
    for (int i = low; i <= high && static_cast<std::size_t>(i) < rows.size(); ++i)
      catalogue_.Selection.insert(rows[static_cast<std::size_t>(i)].id);
    return;
  }
  ClearSelectionBoth();
  SelectRangeBoth(from, to);
}

void CatalogueGrid::SetCurrentIndex(int index) {
  SetItemState(index, LVIS_FOCUSED, LVIS_FOCUSED);
  list_.Send(LVM_SETSELECTIONMARK, 0, index);
  const auto& rows = catalogue_.Table1.rows();
  if (index >= 0 && static_cast<std::size_t>(index) < rows.size()) {
    catalogue_.CurrentRow = rows[static_cast<std::size_t>(index)].id;
  }
}

std::optional<int> CatalogueGrid::FocusedIndex() const {
  const int index =
      static_cast<int>(list_.Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (index < 0) return std::nullopt;
  return index;
}

int CatalogueGrid::RowHeight() const {
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (catalogue_.Table1.empty() || !list_.Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)))
    return 16;
  return std::max<int>(1, r.bottom - r.top);
}

int CatalogueGrid::IndexAt(POINT point) const {
  const int count = static_cast<int>(catalogue_.Table1.size());
  if (count == 0) return -1;
  LVHITTESTINFO hit{};
  hit.pt = point;
  hit.pt.x = 2;  // any column: whole rows are hit
  const int index = static_cast<int>(list_.Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index >= 0) return index;
  // Above or below the rows: the nearest visible row.
  const int top = static_cast<int>(list_.Send(LVM_GETTOPINDEX));
  RECT first{};
  first.left = LVIR_BOUNDS;
  list_.Send(LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&first));
  const int guess =
      top + static_cast<int>((point.y - first.top) / RowHeight()) - (point.y < first.top ? 1 : 0);
  return std::clamp(guess, 0, count - 1);
}

std::string CatalogueGrid::CellText(std::size_t row, int column) const {
  const auto& rows = catalogue_.Table1.rows();
  if (row >= rows.size()) return {};
  const CatalogueRow& r = rows[row];
  switch (column) {
    case 0:
      return r.FileName;
    case 1:
      return r.Title;
    case 2:
      return FormatThousands(r.FileSize, platform::ThousandsSeparator());
    case 3:
      return FormatCatalogueDate(r.FileDateTime);
    case 4:
      return r.Channel;
    case 5:
      return r.TapeLibName;
    default:
      return {};
  }
}

void CatalogueGrid::UpdateSortMarkers() {
  HWND header = ListView_GetHeader(list_.hwnd());
  for (int i = 0; i < kColumnCount; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, i, &item);
    item.fmt &= ~(HDF_SORTDOWN | HDF_SORTUP);
    if (catalogue_.SortField == kColumns[i].field)
      item.fmt |= catalogue_.SortMarker == 1 ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, i, &item);
  }
}

void CatalogueGrid::OnItemChanged(const NMLISTVIEW& change) {
  if (echo_suppressed_ > 0 || (change.uChanged & LVIF_STATE) == 0) return;
  const auto& rows = catalogue_.Table1.rows();
  const UINT changed = change.uNewState ^ change.uOldState;
  if (changed & LVIS_SELECTED) selection_touched_ = true;
  if (change.iItem < 0) {
    if (changed & LVIS_SELECTED) {
      catalogue_.Selection.clear();
      if (change.uNewState & LVIS_SELECTED)
        for (const CatalogueRow& r : rows) catalogue_.Selection.insert(r.id);
    }
    return;
  }
  const auto index = static_cast<std::size_t>(change.iItem);
  if (index >= rows.size()) return;
  const RowId id = rows[index].id;
  if (changed & LVIS_SELECTED) {
    if (change.uNewState & LVIS_SELECTED) {
      catalogue_.Selection.insert(id);
    } else {
      catalogue_.Selection.erase(id);
    }
  }
  if ((changed & LVIS_FOCUSED) && (change.uNewState & LVIS_FOCUSED)) {
    catalogue_.CurrentRow = id;
    if (!display_suspended_ && callbacks_.current_row_changed) callbacks_.current_row_changed();
  }
}

void CatalogueGrid::OnStateRange(const NMLVODSTATECHANGE& change) {
  if (echo_suppressed_ > 0) return;
  const auto& rows = catalogue_.Table1.rows();
  const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
  if (((change.uNewState ^ change.uOldState) & LVIS_SELECTED) == 0) return;
  selection_touched_ = true;
  for (int i = std::max(0, change.iFrom);
       i <= change.iTo && static_cast<std::size_t>(i) < rows.size(); ++i) {
    if (selected) {
      catalogue_.Selection.insert(rows[static_cast<std::size_t>(i)].id);
    } else {
      catalogue_.Selection.erase(rows[static_cast<std::size_t>(i)].id);
    }
  }
}

void CatalogueGrid::OnCellClick(int item) {
  if (item >= 0 && GetKeyState(VK_SHIFT) < 0) {
    // The range from the anchor to the clicked row becomes exactly the selection.
    RedrawPause pause(*this);
    int start = item;
    if (catalogue_.SelectionAnchor) {
      if (auto anchor = catalogue_.Table1.IndexOf(*catalogue_.SelectionAnchor))
        start = static_cast<int>(*anchor);
    }
    SelectExactly(start, item);
    SetCurrentIndex(item);
  }
  catalogue_.SelectionAnchor = catalogue_.CurrentRow;
  if (callbacks_.selection_changed) callbacks_.selection_changed();
}

void CatalogueGrid::MoveClearingSelection(int index) {
  ClearSelectionBoth();
  SetItemState(index, LVIS_FOCUSED, LVIS_FOCUSED);
  list_.Send(LVM_SETSELECTIONMARK, 0, index);
  ListView_EnsureVisible(list_.hwnd(), index, FALSE);
}

void CatalogueGrid::PageMove(bool down) {
  const int count = static_cast<int>(catalogue_.Table1.size());
  if (count == 0) return;
  int index = FocusedIndex().value_or(0);
  // One row against the direction first, so that a page moves one row less than the view.
  index = down ? std::max(index - 1, 0) : std::min(index + 1, count - 1);
  const int page = std::max(1, static_cast<int>(list_.Send(LVM_GETCOUNTPERPAGE)));
  index = down ? std::min(index + page, count - 1) : std::max(index - page, 0);
  MoveClearingSelection(index);
}

bool CatalogueGrid::OnKey(WPARAM key) {
  const int count = static_cast<int>(catalogue_.Table1.size());
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
      PageMove(key == VK_NEXT);
      return true;
    case VK_HOME:
    case VK_END:
      // With Shift the list view extends the selection to the first or last row.
      if (shift) return false;
      if (count > 0) MoveClearingSelection(key == VK_HOME ? 0 : count - 1);
      return true;
    case VK_ESCAPE:
      ClearSelectionBoth();
      return true;
    default:
      return false;
  }
}

LRESULT CatalogueGrid::ForwardPress(HWND hwnd, WPARAM w, LPARAM l) {
  LVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  const bool on_row =
      (w & MK_CONTROL) == 0 && list_.Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0;
  const bool plain = (w & MK_SHIFT) == 0;
  // The list view deselects and selects row by row, repainting each row it changes: with a
  // large selection that is as slow as it is useless. A plain press ends with the pressed row
  // as the only selected one, so an old selection of several rows goes in one step first;
  // the range of a Shift press is made exactly the selection again by the click handling.
  // Both happen with repainting suspended. A plain press with one row selected or none
  // changes two rows at most and is left to the list view.
  if (!on_row || (plain && list_.Send(LVM_GETSELECTEDCOUNT) <= 1))
    return ForwardButton(hwnd, WM_LBUTTONDOWN, w, l);
  RedrawPause pause(*this);
  if (plain) ClearSelectionBoth();
  return ForwardButton(hwnd, WM_LBUTTONDOWN, w, l);
}

LRESULT CatalogueGrid::ForwardButton(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  ++button_depth_;
  LRESULT result = 0;
  try {
    result = DefSubclassProc(hwnd, message, w, l);
  } catch (...) {
    --button_depth_;
    throw;
  }
  --button_depth_;
  if (button_depth_ == 0 && pending_click_) {
    const int item = *pending_click_;
    pending_click_.reset();
    // The range walk and the selection line suspend repainting each; one pause over both
    // repaints the list view once.
    RedrawPause pause(*this);
    OnCellClick(item);
  }
  return result;
}

void CatalogueGrid::EraseDragRect() {
  if (IsRectEmpty(&drawn_rect_)) return;
  HDC dc = GetDC(list_.hwnd());
  DrawFocusRect(dc, &drawn_rect_);
  ReleaseDC(list_.hwnd(), dc);
  SetRectEmpty(&drawn_rect_);
}

LRESULT CALLBACK CatalogueGrid::Subclass(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                         DWORD_PTR data) {
  auto* self = reinterpret_cast<CatalogueGrid*>(data);
  bool handled = false;
  LRESULT result = 0;
  try {
    result = self->OnListMessage(hwnd, message, w, l, handled);
  } catch (...) {
    win32::ReportCurrentException();
    handled = true;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &CatalogueGrid::Subclass, kSubclassId);
  return handled ? result : DefSubclassProc(hwnd, message, w, l);
}

LRESULT CALLBACK CatalogueGrid::HeaderSubclass(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                               UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<CatalogueGrid*>(data);
  bool handled = false;
  try {
    handled = self->OnHeaderMessage(hwnd, message, w, l);
  } catch (...) {
    win32::ReportCurrentException();
    handled = true;
  }
  if (message == WM_NCDESTROY)
    RemoveWindowSubclass(hwnd, &CatalogueGrid::HeaderSubclass, kHeaderSubclassId);
  return handled ? 0 : DefSubclassProc(hwnd, message, w, l);
}

int CatalogueGrid::HeaderDivider(HWND header, int x) const {
  const int count = Header_GetItemCount(header);
  std::vector<int> order(static_cast<std::size_t>(count));
  Header_GetOrderArray(header, count, order.data());
  std::vector<int> lefts, rights;
  for (int column : order) {
    RECT r{};
    Header_GetItemRect(header, column, &r);
    lefts.push_back(r.left);
    rights.push_back(r.right);
  }
  return DropDivider(lefts, rights, x);
}

bool CatalogueGrid::OnHeaderMessage(HWND header, UINT message, WPARAM, LPARAM l) {
  const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  switch (message) {
    case WM_RBUTTONDOWN: {
      HDHITTESTINFO hit{};
      hit.pt = at;
      SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem < 0 || (hit.flags & HHT_ONHEADER) == 0) return false;
      HDITEMW item{};
      item.mask = HDI_ORDER;
      Header_GetItem(header, hit.iItem, &item);
      moving_position_ = item.iOrder;
      SetCapture(header);
      return true;
    }
    case WM_MOUSEMOVE:
      if (moving_position_ < 0) return false;
      // The header marks where the column would go.
      SendMessageW(header, HDM_SETHOTDIVIDER, FALSE, HeaderDivider(header, at.x));
      return true;
    case WM_RBUTTONUP: {
      if (moving_position_ < 0) return false;
      const int from = moving_position_;
      moving_position_ = -1;
      ReleaseCapture();
      SendMessageW(header, HDM_SETHOTDIVIDER, FALSE, -1);
      const int count = Header_GetItemCount(header);
      std::vector<int> order(static_cast<std::size_t>(count));
      Header_GetOrderArray(header, count, order.data());
      const std::vector<int> moved = MoveColumn(order, from, HeaderDivider(header, at.x));
      if (moved != order) {
        list_.Send(LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                   reinterpret_cast<LPARAM>(moved.data()));
        InvalidateRect(list_.hwnd(), nullptr, TRUE);
      }
      return true;  // no context menu notification for the drag
    }
    case WM_CAPTURECHANGED:
      if (moving_position_ >= 0 && reinterpret_cast<HWND>(l) != header) {
        moving_position_ = -1;
        SendMessageW(header, HDM_SETHOTDIVIDER, FALSE, -1);
      }
      return false;
    default:
      return false;
  }
}

LRESULT CatalogueGrid::OnListMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l, bool& handled) {
  switch (message) {
    case WM_GETDLGCODE: {
      // Escape is the grid's (it clears the selection), not the window's dialog navigation.
      LRESULT code = DefSubclassProc(hwnd, message, w, l);
      const auto* msg = reinterpret_cast<const MSG*>(l);
      if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
        code |= DLGC_WANTMESSAGE;
      handled = true;
      return code;
    }
    case WM_KEYDOWN:
    case WM_CHAR: {
      // After a key that moves or selects, and after any key that changed the selection, the
      // selection line (and with it ダビング) says what is selected now.
      selection_touched_ = false;
      const std::size_t selected = catalogue_.Selection.size();
      LRESULT result = 0;
      if (message == WM_CHAR || !OnKey(w)) result = DefSubclassProc(hwnd, message, w, l);
      handled = true;
      const bool selecting_key = message == WM_KEYDOWN && IsSelectingKey(w);
      if ((selecting_key || selection_touched_ || catalogue_.Selection.size() != selected) &&
          callbacks_.selection_changed)
        callbacks_.selection_changed();
      return result;
    }
    case WM_LBUTTONDOWN:
      press_point_ = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      drag_flag_ = true;
      SetRectEmpty(&drawn_rect_);
      handled = true;
      return ForwardPress(hwnd, w, l);
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      drag_flag_ = false;
      return 0;
    case WM_MOUSEMOVE: {
      if (!drag_flag_) return 0;
      if ((w & MK_LBUTTON) == 0) {
        // The release went elsewhere (the list view's own click tracking took it).
        EraseDragRect();
        drag_flag_ = false;
        return 0;
      }
      if (GetCapture() != hwnd) SetCapture(hwnd);
      const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      EraseDragRect();
      RECT r{std::min(press_point_.x, p.x), std::min(press_point_.y, p.y),
             std::max(press_point_.x, p.x), std::max(press_point_.y, p.y)};
      HDC dc = GetDC(hwnd);
      DrawFocusRect(dc, &r);
      ReleaseDC(hwnd, dc);
      drawn_rect_ = r;
      handled = true;  // no hot tracking or marquee of the list view's own during the drag
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!drag_flag_) {
        handled = true;
        return ForwardButton(hwnd, message, w, l);
      }
      const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      drag_flag_ = false;
      EraseDragRect();
      if (GetCapture() == hwnd) ReleaseCapture();
      const int count = static_cast<int>(catalogue_.Table1.size());
      if (count > 0 && std::abs(p.y - press_point_.y) > RowHeight()) {
        const int press_row = IndexAt(press_point_);
        const int release_row = IndexAt(p);
        {
          RedrawPause pause(*this);
          SelectExactly(release_row, press_row);
          SetCurrentIndex(press_row);
        }
        LVHITTESTINFO hit{};
        hit.pt = p;
        if (list_.Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0) {
          OnCellClick(-1);  // the anchor becomes the press row, the status is recomputed
        }
        handled = true;  // the list view must not turn the release into a click
        return 0;
      }
      handled = true;
      return ForwardButton(hwnd, message, w, l);
    }
    default:
      return 0;
  }
}

LRESULT CatalogueGrid::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const auto index = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
      const auto& rows = catalogue_.Table1.rows();
      if (index >= rows.size() || rows[index].Status != 9) return CDRF_DODEFAULT;
      const bool selected =
          (list_.Send(LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
      if (selected) {
        draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        draw.clrText = kRed;
      } else {
        draw.clrTextBk = kRed;
        draw.clrText = kWhite;
      }
      // The list view would paint a selected row in its own highlight colours.
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

bool CatalogueGrid::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom != list_.hwnd()) return false;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) && info->item.pszText != nullptr &&
          info->item.cchTextMax > 0) {
        cell_buffer_ = platform::SjisToWide(
            CellText(static_cast<std::size_t>(info->item.iItem), info->item.iSubItem));
        const auto room = static_cast<std::size_t>(info->item.cchTextMax - 1);
        const std::size_t n = std::min(room, cell_buffer_.size());
        std::wmemcpy(info->item.pszText, cell_buffer_.data(), n);
        info->item.pszText[n] = L'\0';
      }
      result = 0;
      return true;
    }
    case LVN_ITEMCHANGED:
      OnItemChanged(*reinterpret_cast<NMLISTVIEW*>(header));
      result = 0;
      return true;
    case LVN_ODSTATECHANGED:
      OnStateRange(*reinterpret_cast<NMLVODSTATECHANGE*>(header));
      result = 0;
      return true;
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      if (column >= 0 && column < kColumnCount && callbacks_.title_click)
        callbacks_.title_click(kColumns[column].field);
      result = 0;
      return true;
    }
    case NM_CLICK: {
      const int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
      if (item >= 0 || catalogue_.Table1.empty()) {
        // Sent while the list view still handles the button (Wine sends it from the release
        // before it reduces a selection to the clicked row): handled once that is complete.
        if (button_depth_ > 0) {
          pending_click_ = item;
        } else {
          OnCellClick(item);
        }
      }
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW:
      result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
      return true;
    default:
      return false;
  }
}

std::vector<GridColumnLayout> CatalogueGrid::ColumnLayout() const {
  std::vector<int> order(kColumnCount);
  for (int i = 0; i < kColumnCount; ++i) order[static_cast<std::size_t>(i)] = i;
  list_.Send(LVM_GETCOLUMNORDERARRAY, kColumnCount, reinterpret_cast<LPARAM>(order.data()));
  std::vector<GridColumnLayout> layout;
  for (int position = 0; position < kColumnCount; ++position) {
    const int column = order[static_cast<std::size_t>(position)];
    if (column < 0 || column >= kColumnCount) continue;
    const int width = static_cast<int>(list_.Send(LVM_GETCOLUMNWIDTH, column));
    layout.push_back({kColumns[column].field, position, width});
  }
  return layout;
}

void CatalogueGrid::ApplyColumnLayout(const std::vector<GridColumnLayout>& layout) {
  std::vector<int> order;
  std::vector<std::pair<int, int>> placed;  // position, column
  for (const GridColumnLayout& entry : layout) {
    for (int i = 0; i < kColumnCount; ++i) {
      if (entry.field != kColumns[i].field) continue;
      if (entry.width > 0) list_.Send(LVM_SETCOLUMNWIDTH, i, entry.width);
      placed.emplace_back(entry.index, i);
    }
  }
  if (static_cast<int>(placed.size()) != kColumnCount) return;  // a partial order is not used
  std::stable_sort(placed.begin(), placed.end());
  for (const auto& p : placed) order.push_back(p.second);
  list_.Send(LVM_SETCOLUMNORDERARRAY, kColumnCount, reinterpret_cast<LPARAM>(order.data()));
}

}  // namespace capsdub::ui
