// The catalogue grid over a virtual list view.
#include "ui/grid/catalogue_grid.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "catalogue/display_format.h"
#include "catalogue/sort.h"
#include "platform/codepage.h"
#include "platform/locale.h"
#include "ui/grid/column_move.h"
#include "ui/win32/handles.h"

namespace capsdub::ui {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

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

bool KeyDown(int key) {
  return GetKeyState(key) < 0;
}

int TextWidth(HWND window, HFONT font, const std::wstring& text) {
  win32::WindowDc dc(window);
  win32::SelectObjectScope select(dc.get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// Puts `procedure` in place of a control's window procedure, with `self` in the control's user
// data; returns the control's own procedure. A replaced procedure costs nothing per message,
// where a subclass made with SetWindowSubclass is looked up in the window's properties on
// every message (under Wine a round trip to its server, paid on every message the list view
// sends its header).
WNDPROC ReplaceProcedure(HWND hwnd, WNDPROC procedure, void* self) {
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

void RestoreProcedure(HWND hwnd, WNDPROC original) {
  if (hwnd == nullptr || original == nullptr || !IsWindow(hwnd)) return;
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

}  // namespace

CatalogueGrid::CatalogueGrid(Catalogue& catalogue, Callbacks callbacks)
    : catalogue_(catalogue), callbacks_(std::move(callbacks)) {}

CatalogueGrid::~CatalogueGrid() {
  // A grid that goes before its window leaves the window its own procedures.
  RestoreProcedure(header_, header_procedure_);
  RestoreProcedure(list_.hwnd(), list_procedure_);
}

const std::vector<std::string>& CatalogueGrid::FieldNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const ColumnDef& c : kColumns) v.emplace_back(c.field);
    return v;
  }();
  return names;
}

bool CatalogueGrid::Create(HWND parent, int id, HFONT font) {
  // The list view keeps no selection of its own: the catalogue's is painted by the grid. (Not
  // LVS_SINGLESEL either: under Wine, selecting a row of such a list view deselects every row
  // one by one.)
  HWND list = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
      100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) return false;
  list_ = win32::ListView(list);
  list_.SetFont(font);
  // No grid lines; whole-row highlight; titles may be dragged into another order.
  list_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_DOUBLEBUFFER);
  const int number_width = TextWidth(list, font, L"0000") + 16;
  const int date_width = TextWidth(list, font, L"2002年03月05日(火) 21:30") + 16;
  for (int i = 0; i < kColumnCount; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[i].format;
    column.cx = kColumns[i].width != 0 ? kColumns[i].width : (i == 0 ? number_width : date_width);
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    column.iSubItem = i;
    list_.InsertColumn(i, column);
  }
  header_ = list_.GetHeader().hwnd();
  list_procedure_ = ReplaceProcedure(list, &CatalogueGrid::ListProcedure, this);
  header_procedure_ = ReplaceProcedure(header_, &CatalogueGrid::HeaderProcedure, this);
  return true;
}

std::optional<int> CatalogueGrid::IndexOfRow(const std::optional<RowId>& id) const {
  if (!id) return std::nullopt;
  const std::optional<std::size_t> index = catalogue_.Table1.IndexOf(*id);
  if (!index) return std::nullopt;
  return static_cast<int>(*index);
}

std::optional<int> CatalogueGrid::CurrentIndex() const {
  return IndexOfRow(catalogue_.CurrentRow);
}

bool CatalogueGrid::IsSelectedIndex(int index) const {
  const auto& rows = catalogue_.Table1.rows();
  return index >= 0 && static_cast<std::size_t>(index) < rows.size() &&
         catalogue_.Selection.count(rows[static_cast<std::size_t>(index)].id) != 0;
}

void CatalogueGrid::Reload() {
  const std::optional<RowId> current = catalogue_.CurrentRow;
  reloading_ = true;
  // The whole list view is painted once, whatever follows. A new count does that by itself; the
  // same count (a sort) only invalidates, since setting the count also sets the scroll bars
  // anew, which costs tens of milliseconds under Wine. (Switching the list view's repainting
  // off and on costs as much again: a change of its visibility each way.)
  const auto count = static_cast<int>(catalogue_.Table1.size());
  if (list_.ItemCount() != count) {
    list_.SetItemCount(count);
  } else {
    list_.Invalidate(false);
  }
  // The list view keeps nothing of the rows but the current one; the selection is painted
  // from the catalogue.
  if (const std::optional<int> index = IndexOfRow(current)) {
    list_.SetItemState(*index, LVIS_FOCUSED, LVIS_FOCUSED);
    list_.SetSelectionMark(*index);
    list_.EnsureVisible(*index);
  } else {
    const int focused = list_.NextItem(-1, LVNI_FOCUSED);
    if (focused >= 0) list_.SetItemState(focused, 0, LVIS_FOCUSED);
  }
  reloading_ = false;
  catalogue_.CurrentRow = current;
  key_mark_ = current;
  UpdateSortMarkers();
  if (callbacks_.current_row_changed) callbacks_.current_row_changed();
}

void CatalogueGrid::ShowCurrentRow() {
  if (const std::optional<int> index = CurrentIndex()) {
    list_.SetItemState(*index, LVIS_FOCUSED, LVIS_FOCUSED);
    list_.EnsureVisible(*index);
  }
  list_.Invalidate(false);
  if (callbacks_.current_row_changed) callbacks_.current_row_changed();
}

void CatalogueGrid::SelectRow(RowId id) {
  catalogue_.Selection.insert(id);
  if (const std::optional<int> index = IndexOfRow(id)) list_.RedrawItems(*index, *index);
}

template <typename Change>
void CatalogueGrid::ChangeSelection(Change change) {
  // The rows on screen, and which of them were selected.
  const int count = static_cast<int>(catalogue_.Table1.size());
  const int top = std::max(0, list_.TopIndex());
  const int shown = std::min(count - top, list_.CountPerPage() + 1);
  std::vector<bool> before(static_cast<std::size_t>(std::max(shown, 0)));
  for (int i = 0; i < shown; ++i) before[static_cast<std::size_t>(i)] = IsSelectedIndex(top + i);
  change();
  for (int i = 0; i < shown; ++i) {
    if (before[static_cast<std::size_t>(i)] != IsSelectedIndex(top + i))
      list_.RedrawItems(top + i, top + i);
  }
}

void CatalogueGrid::ClearSelection() {
  if (catalogue_.Selection.empty()) return;
  ChangeSelection([&] { catalogue_.Selection.clear(); });
}

void CatalogueGrid::SelectOnly(int index) {
  const auto& rows = catalogue_.Table1.rows();
  if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return;
  const RowId id = rows[static_cast<std::size_t>(index)].id;
  if (catalogue_.Selection.size() == 1 && *catalogue_.Selection.begin() == id) return;
  ChangeSelection([&] {
    catalogue_.Selection.clear();
    catalogue_.Selection.insert(id);
  });
}

void CatalogueGrid::ToggleSelected(int index) {
  const auto& rows = catalogue_.Table1.rows();
  if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return;
  const RowId id = rows[static_cast<std::size_t>(index)].id;
  ChangeSelection([&] {
    if (catalogue_.Selection.erase(id) == 0) catalogue_.Selection.insert(id);
  });
}

void CatalogueGrid::SelectExactly(int from, int to) {
  const auto& rows = catalogue_.Table1.rows();
  const int count = static_cast<int>(rows.size());
  if (count == 0) return;
  const int low = std::clamp(std::min(from, to), 0, count - 1);
  const int high = std::clamp(std::max(from, to), 0, count - 1);
  // The identities of the range, gathered into one array that the set orders in place.
  std::vector<RowId> ids;
  ids.reserve(static_cast<std::size_t>(high - low + 1));
  for (int i = low; i <= high; ++i) ids.push_back(rows[static_cast<std::size_t>(i)].id);
  ChangeSelection([&] { catalogue_.Selection = RowSet(std::move(ids)); });
}

void CatalogueGrid::SetCurrentIndex(int index) {
  const auto& rows = catalogue_.Table1.rows();
  if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return;
  list_.SetItemState(index, LVIS_FOCUSED, LVIS_FOCUSED);
  list_.SetSelectionMark(index);
  catalogue_.CurrentRow = rows[static_cast<std::size_t>(index)].id;
  list_.EnsureVisible(index);
}

int CatalogueGrid::RowHeight() const {
  RECT r{};
  if (catalogue_.Table1.empty() || !list_.ItemBounds(0, r)) return 16;
  return std::max<int>(1, r.bottom - r.top);
}

int CatalogueGrid::IndexAt(POINT point) const {
  const int count = static_cast<int>(catalogue_.Table1.size());
  if (count == 0) return -1;
  // Any column: whole rows are hit.
  const int index = list_.HitTest({2, point.y});
  if (index >= 0) return index;
  // Above or below the rows: the nearest visible row.
  const int top = list_.TopIndex();
  RECT first{};
  list_.ItemBounds(top, first);
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
  // A changed item makes the header invalidate all its titles, and under Wine each title drawn
  // costs about as much as a row: only the titles whose marker changed are drawn again, with
  // whatever was waiting to be drawn before.
  win32::Region waiting(CreateRectRgn(0, 0, 0, 0));
  const bool had_waiting = GetUpdateRgn(header_, waiting.get(), FALSE) > NULLREGION;
  std::vector<RECT> changed;
  const win32::Header header(header_);
  for (int i = 0; i < kColumnCount; ++i) {
    const int old_format = header.Format(i);
    int format = old_format & ~(HDF_SORTDOWN | HDF_SORTUP);
    if (SameFieldName(catalogue_.SortField, kColumns[i].field))
      format |= catalogue_.SortMarker == 1 ? HDF_SORTDOWN : HDF_SORTUP;
    if (format == old_format) continue;
    header.SetFormat(i, format);
    changed.push_back(header.ItemRect(i));
  }
  if (changed.empty()) return;
  ValidateRect(header_, nullptr);
  if (had_waiting) InvalidateRgn(header_, waiting.get(), FALSE);
  for (const RECT& r : changed) InvalidateRect(header_, &r, TRUE);
}

void CatalogueGrid::OnItemChanged(const NMLISTVIEW& change) {
  // Only the focus counts: it is the current row. The list view's own selection is not the
  // catalogue's.
  if ((change.uChanged & LVIF_STATE) == 0 || change.iItem < 0) return;
  const UINT changed = change.uNewState ^ change.uOldState;
  if ((changed & LVIS_FOCUSED) == 0 || (change.uNewState & LVIS_FOCUSED) == 0) return;
  const auto& rows = catalogue_.Table1.rows();
  const auto index = static_cast<std::size_t>(change.iItem);
  if (index >= rows.size()) return;
  catalogue_.CurrentRow = rows[index].id;
  if (!display_suspended_ && !reloading_ && callbacks_.current_row_changed)
    callbacks_.current_row_changed();
}

void CatalogueGrid::OnPress(WPARAM keys, POINT at) {
  press_point_ = at;
  drag_flag_ = true;
  SetRectEmpty(&drawn_rect_);
  if (GetFocus() != list_.hwnd()) SetFocus(list_.hwnd());
  SetCapture(list_.hwnd());
  press_row_ = list_.HitTest(at);
  const bool shift = (keys & MK_SHIFT) != 0;
  const bool control = (keys & MK_CONTROL) != 0;
  if (press_row_ < 0) {
    // Below the rows: a plain press leaves no row selected.
    if (!shift && !control) ClearSelection();
    return;
  }
  // The grid's own handling of a press: a plain press makes the row the only selected one, one
  // with Ctrl toggles it; with Shift the click handling makes the range.
  if (shift) {
  } else if (control) {
    ToggleSelected(press_row_);
    key_mark_ = catalogue_.Table1.rows()[static_cast<std::size_t>(press_row_)].id;
  } else {
    SelectOnly(press_row_);
    key_mark_ = catalogue_.Table1.rows()[static_cast<std::size_t>(press_row_)].id;
  }
  SetCurrentIndex(press_row_);
}

void CatalogueGrid::OnRelease(POINT at) {
  drag_flag_ = false;
  EraseDragRect();
  if (GetCapture() == list_.hwnd()) ReleaseCapture();
  const int count = static_cast<int>(catalogue_.Table1.size());
  if (count > 0 && std::abs(at.y - press_point_.y) > RowHeight()) {
    // A drag: the rows between the press and the release, the press row current.
    const int press_row = IndexAt(press_point_);
    const int release_row = IndexAt(at);
    SelectExactly(release_row, press_row);
    SetCurrentIndex(press_row);
    key_mark_ = catalogue_.Table1.rows()[static_cast<std::size_t>(release_row)].id;
    if (list_.HitTest(at) >= 0) {
      OnCellClick(std::nullopt);  // the anchor becomes the press row
    } else if (callbacks_.selection_changed) {
      callbacks_.selection_changed();
    }
    return;
  }
  // A click: on the row pressed, or in an empty catalogue; below the rows the selection line
  // follows what the press cleared.
  if (press_row_ >= 0 || count == 0) {
    OnCellClick(press_row_ >= 0 ? std::optional<int>(press_row_) : std::nullopt);
  } else if (callbacks_.selection_changed) {
    callbacks_.selection_changed();
  }
}

void CatalogueGrid::OnCellClick(std::optional<int> item) {
  if (item && KeyDown(VK_SHIFT)) {
    // The range from the anchor to the clicked row becomes exactly the selection.
    const int start = IndexOfRow(catalogue_.SelectionAnchor).value_or(*item);
    SelectExactly(start, *item);
    SetCurrentIndex(*item);
    key_mark_ = catalogue_.Table1.rows()[static_cast<std::size_t>(start)].id;
  }
  catalogue_.SelectionAnchor = catalogue_.CurrentRow;
  if (callbacks_.selection_changed) callbacks_.selection_changed();
}

void CatalogueGrid::PageMove(bool down) {
  const int count = static_cast<int>(catalogue_.Table1.size());
  if (count == 0) return;
  int index = CurrentIndex().value_or(0);
  // One row against the direction first, so that a page moves one row less than the view.
  index = down ? std::max(index - 1, 0) : std::min(index + 1, count - 1);
  const int page = std::max(1, list_.CountPerPage());
  index = down ? std::min(index + page, count - 1) : std::max(index - page, 0);
  ClearSelection();
  SetCurrentIndex(index);
}

bool CatalogueGrid::OnKey(WPARAM key) {
  const int count = static_cast<int>(catalogue_.Table1.size());
  const bool shift = KeyDown(VK_SHIFT);
  const bool control = KeyDown(VK_CONTROL);
  const int current = CurrentIndex().value_or(0);
  int target = -1;
  switch (key) {
    case VK_ESCAPE:
      ClearSelection();
      return true;
    case VK_SPACE:
      if (count == 0) return true;
      if (shift) {
        SelectExactly(IndexOfRow(key_mark_).value_or(current), current);
      } else if (control) {
        ToggleSelected(current);
      } else {
        SelectOnly(current);
        key_mark_ = catalogue_.CurrentRow;
      }
      return true;
    case VK_UP:
    case VK_DOWN:
      target = std::clamp(current + (key == VK_DOWN ? 1 : -1), 0, count - 1);
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = count - 1;
      break;
    case VK_PRIOR:
    case VK_NEXT:
      if (!shift) {
        PageMove(key == VK_NEXT);
        key_mark_ = catalogue_.CurrentRow;
        return true;
      }
      target = std::clamp(current + (key == VK_NEXT ? 1 : -1) * (list_.CountPerPage() - 1), 0,
                          count - 1);
      break;
    default:
      return false;
  }
  if (count == 0) return true;
  if (shift) {
    // Shift extends the selection from the mark to the row reached.
    SelectExactly(IndexOfRow(key_mark_).value_or(current), target);
  } else if (key == VK_UP || key == VK_DOWN) {
    // An arrow selects the row it reaches (with Ctrl it only moves).
    if (!control) {
      SelectOnly(target);
      key_mark_ = catalogue_.Table1.rows()[static_cast<std::size_t>(target)].id;
    }
  } else {
    // Home and End leave no row selected.
    ClearSelection();
    key_mark_ = catalogue_.Table1.rows()[static_cast<std::size_t>(target)].id;
  }
  SetCurrentIndex(target);
  return true;
}

void CatalogueGrid::EraseDragRect() {
  if (IsRectEmpty(&drawn_rect_)) return;
  DrawFocusRect(win32::WindowDc(list_.hwnd()).get(), &drawn_rect_);
  SetRectEmpty(&drawn_rect_);
}

LRESULT CALLBACK CatalogueGrid::ListProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CatalogueGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const WNDPROC own = self->list_procedure_;
  if (message == WM_NCDESTROY) {
    RestoreProcedure(hwnd, own);
    self->list_procedure_ = nullptr;
    return CallWindowProcW(own, hwnd, message, w, l);
  }
  bool handled = false;
  LRESULT result = 0;
  try {
    result = self->OnListMessage(hwnd, message, w, l, handled);
  } catch (...) {
    win32::ReportCurrentException();
    handled = true;
  }
  return handled ? result : CallWindowProcW(own, hwnd, message, w, l);
}

LRESULT CALLBACK CatalogueGrid::HeaderProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CatalogueGrid*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const WNDPROC own = self->header_procedure_;
  if (message == WM_NCDESTROY) {
    RestoreProcedure(hwnd, own);
    self->header_procedure_ = nullptr;
    self->header_ = nullptr;
    return CallWindowProcW(own, hwnd, message, w, l);
  }
  bool handled = false;
  try {
    handled = self->OnHeaderMessage(hwnd, message, w, l);
  } catch (...) {
    win32::ReportCurrentException();
    handled = true;
  }
  return handled ? 0 : CallWindowProcW(own, hwnd, message, w, l);
}

int CatalogueGrid::HeaderDivider(HWND header, int x) const {
  const win32::Header titles(header);
  std::vector<int> lefts, rights;
  for (int column : titles.OrderArray()) {
    const RECT r = titles.ItemRect(column);
    lefts.push_back(r.left);
    rights.push_back(r.right);
  }
  return DropDivider(lefts, rights, x);
}

bool CatalogueGrid::OnHeaderMessage(HWND header, UINT message, WPARAM, LPARAM l) {
  const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  const win32::Header titles(header);
  switch (message) {
    case WM_RBUTTONDOWN: {
      const HDHITTESTINFO hit = titles.HitTest(at);
      if (hit.iItem < 0 || (hit.flags & HHT_ONHEADER) == 0) return false;
      moving_position_ = titles.ItemOrder(hit.iItem);
      SetCapture(header);
      return true;
    }
    case WM_MOUSEMOVE:
      if (moving_position_ < 0) return false;
      // The header marks where the column would go.
      titles.SetHotDivider(HeaderDivider(header, at.x));
      return true;
    case WM_RBUTTONUP: {
      if (moving_position_ < 0) return false;
      const int from = moving_position_;
      moving_position_ = -1;
      ReleaseCapture();
      titles.SetHotDivider(-1);
      const std::vector<int> order = titles.OrderArray();
      const std::vector<int> moved = MoveColumn(order, from, HeaderDivider(header, at.x));
      if (moved != order) {
        list_.SetColumnOrder(moved);
        InvalidateRect(list_.hwnd(), nullptr, TRUE);
      }
      return true;  // no context menu notification for the drag
    }
    case WM_CAPTURECHANGED:
      if (moving_position_ >= 0 && reinterpret_cast<HWND>(l) != header) {
        moving_position_ = -1;
        titles.SetHotDivider(-1);
      }
      return false;
    default:
      return false;
  }
}

LRESULT CatalogueGrid::OnListMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l, bool& handled) {
  switch (message) {
    // Another program asks the list view which rows are selected (a screen reader, the
    // random-input tester): the answer is the catalogue's selection, the one the grid paints.
    case LVM_GETSELECTEDCOUNT:
      handled = true;
      return static_cast<LRESULT>(catalogue_.Selection.size());
    case LVM_GETNEXTITEM:
      if (l != LVNI_SELECTED) return 0;
      handled = true;
      for (int i = std::max(static_cast<int>(w) + 1, 0);
           static_cast<std::size_t>(i) < catalogue_.Table1.size(); ++i)
        if (IsSelectedIndex(i)) return i;
      return -1;
    case LVM_GETITEMSTATE:
      if ((l & LVIS_SELECTED) == 0) return 0;
      handled = true;
      return (CallWindowProcW(list_procedure_, hwnd, message, w, l) & ~LVIS_SELECTED) |
             (IsSelectedIndex(static_cast<int>(w)) ? LVIS_SELECTED : 0);
    case WM_GETDLGCODE: {
      // Escape is the grid's (it clears the selection), not the window's dialog navigation.
      LRESULT code = CallWindowProcW(list_procedure_, hwnd, message, w, l);
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
      const std::size_t selected = catalogue_.Selection.size();
      LRESULT result = 0;
      if (message == WM_CHAR || !OnKey(w))
        result = CallWindowProcW(list_procedure_, hwnd, message, w, l);
      handled = true;
      const bool selecting_key = message == WM_KEYDOWN && IsSelectingKey(w);
      if ((selecting_key || catalogue_.Selection.size() != selected) &&
          callbacks_.selection_changed)
        callbacks_.selection_changed();
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Presses are the grid's: the list view never selects row by row.
      OnPress(w, {GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      handled = true;
      return 0;
    case WM_LBUTTONUP:
      if (!drag_flag_) return 0;
      OnRelease({GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      handled = true;
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      // The right button does not select rows.
      drag_flag_ = false;
      handled = true;
      return 0;
    case WM_MBUTTONDOWN:
      drag_flag_ = false;
      return 0;
    case WM_CAPTURECHANGED:
      if (drag_flag_ && reinterpret_cast<HWND>(l) != hwnd) {
        // Capture taken away mid-press: no drag and no click.
        EraseDragRect();
        drag_flag_ = false;
      }
      return 0;
    case WM_MOUSEMOVE: {
      if (!drag_flag_) return 0;
      if ((w & MK_LBUTTON) == 0) {
        // The release went elsewhere.
        EraseDragRect();
        drag_flag_ = false;
        return 0;
      }
      const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      EraseDragRect();
      RECT r{std::min(press_point_.x, p.x), std::min(press_point_.y, p.y),
             std::max(press_point_.x, p.x), std::max(press_point_.y, p.y)};
      DrawFocusRect(win32::WindowDc(hwnd).get(), &r);
      drawn_rect_ = r;
      handled = true;  // no hot tracking or marquee of the list view's own during the drag
      return 0;
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
      if (index >= rows.size()) return CDRF_DODEFAULT;
      // The selection is the catalogue's: the list view's own selected state is not shown.
      const bool selected = IsSelectedIndex(static_cast<int>(index));
      const bool list_selected = (draw.nmcd.uItemState & CDIS_SELECTED) != 0;
      draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
      if (rows[index].Status == 9) {
        draw.clrTextBk = selected ? GetSysColor(COLOR_HIGHLIGHT) : kRed;
        draw.clrText = selected ? kRed : kWhite;
        draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_FOCUS);
      } else if (selected) {
        draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
      } else if (list_selected) {
        // A row the list view selected itself (its type-ahead search), not selected in the
        // catalogue: plain colours.
        draw.clrTextBk = GetSysColor(COLOR_WINDOW);
        draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
      } else {
        return CDRF_DODEFAULT;
      }
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
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
      if (column >= 0 && column < kColumnCount && callbacks_.title_click)
        callbacks_.title_click(kColumns[column].field);
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
  list_.GetColumnOrder(order);
  std::vector<GridColumnLayout> layout;
  for (int position = 0; position < kColumnCount; ++position) {
    const int column = order[static_cast<std::size_t>(position)];
    if (column < 0 || column >= kColumnCount) continue;
    const int width = list_.ColumnWidth(column);
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
      if (entry.width > 0) list_.SetColumnWidth(i, entry.width);
      placed.emplace_back(entry.index, i);
    }
  }
  if (static_cast<int>(placed.size()) != kColumnCount) return;  // a partial order is not used
  std::stable_sort(placed.begin(), placed.end());
  for (const auto& p : placed) order.push_back(p.second);
  list_.SetColumnOrder(order);
}

}  // namespace capsdub::ui
