// The common-control views' longer forwards.
#include "ui/win32/controls.h"

#include <algorithm>
#include <iterator>

namespace capsdub::win32 {

std::wstring ComboBox::ItemText(int index) const {
  const int length = static_cast<int>(Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
  const auto size = static_cast<std::size_t>(std::max(length, 0));
  std::wstring text(size + 1, L'\0');
  Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(size);
  return text;
}

HWND ComboBox::EditControl() const {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(hwnd_, &info)) return nullptr;
  return info.hwndItem;
}

std::vector<int> Header::OrderArray() const {
  std::vector<int> order(static_cast<std::size_t>(std::max(ItemCount(), 0)));
  Send(HDM_GETORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  return order;
}

int Header::ItemOrder(int index) const {
  HDITEMW item{};
  item.mask = HDI_ORDER;
  Send(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return item.iOrder;
}

void ListView::SetItemState(int index, UINT state, UINT mask) const {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool ListView::ItemBounds(int index, RECT& bounds) const {
  bounds = RECT{};
  bounds.left = LVIR_BOUNDS;
  return Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&bounds)) !=
         FALSE;
}

int ListView::HitTest(POINT at) const {
  LVHITTESTINFO hit{};
  hit.pt = at;
  return static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

std::wstring ToolBar::ButtonText(int command) const {
  wchar_t buffer[64] = {};
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  info.pszText = buffer;
  info.cchText = static_cast<int>(std::size(buffer));
  Send(TB_GETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
  return buffer;
}

void ToolBar::SetButtonText(int command, const std::wstring& text) const {
  std::wstring copy = text;  // the message takes a writable buffer
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  info.pszText = copy.data();
  Send(TB_SETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
}

void ToolTip::AddTool(HWND owner, HWND tool, const wchar_t* text) const {
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = const_cast<wchar_t*>(text);
  Send(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace capsdub::win32
