// Typed views of the common controls the windows use: each method is a one-line forward to the
// control's message, so that window code says `grid.SetItemCount(n)` instead of sending
// LVM_SETITEMCOUNT. Like WindowRef they own nothing; the parent window destroys its controls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <span>
#include <string>
#include <vector>

#include "ui/win32/window.h"

namespace capsdub::win32 {

class Button : public WindowRef {
 public:
  using WindowRef::WindowRef;
  bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
  void SetChecked(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }
  void SetIcon(HICON icon) const { Send(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)); }
};

class ComboBox : public WindowRef {
 public:
  using WindowRef::WindowRef;
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  std::wstring ItemText(int index) const;
  int AddString(const std::wstring& text) const {
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  void ResetContent() const { Send(CB_RESETCONTENT); }
  // `index` -1 is the selection field, 0 the items of the list.
  void SetItemHeight(int index, int height) const {
    Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height);
  }
  // The edit control of a drop-down combo box (null for a drop-down list).
  HWND EditControl() const;
};

class Header : public WindowRef {
 public:
  using WindowRef::WindowRef;
  int ItemCount() const { return static_cast<int>(Send(HDM_GETITEMCOUNT)); }
  // The item indices in display order.
  std::vector<int> OrderArray() const;
  RECT ItemRect(int index) const {
    RECT r{};
    Send(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // The display position of an item.
  int ItemOrder(int index) const;
  // An item's HDF_ format flags (alignment, sort marker).
  int Format(int index) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Send(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return item.fmt;
  }
  void SetFormat(int index, int format) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    item.fmt = format;
    Send(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
  // The item at a client point with HHT_ flags, as HDM_HITTEST answers.
  HDHITTESTINFO HitTest(POINT at) const {
    HDHITTESTINFO hit{};
    hit.pt = at;
    Send(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit;
  }
  // Marks the divider where a dragged item would go; -1 takes the mark away.
  void SetHotDivider(int divider) const { Send(HDM_SETHOTDIVIDER, FALSE, divider); }
};

class ListView : public WindowRef {
 public:
  using WindowRef::WindowRef;
  void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style); }
  int InsertColumn(int index, const LVCOLUMNW& column) const {
    return static_cast<int>(
        Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
  }
  Header GetHeader() const { return Header(reinterpret_cast<HWND>(Send(LVM_GETHEADER))); }
  int ColumnWidth(int column) const {
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
  }
  void SetColumnWidth(int column, int width) const {
    Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width);
  }
  // The column indices in display order; `order` holds the answer when the list view gives
  // none.
  void GetColumnOrder(std::span<int> order) const {
    Send(LVM_GETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  }
  void SetColumnOrder(std::span<const int> order) const {
    Send(LVM_SETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  }

  int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  // The number of rows of a virtual list view (LVS_OWNERDATA).
  void SetItemCount(int count) const { Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0); }
  void SetItemState(int index, UINT state, UINT mask) const;
  // The next item after `start` (-1: from the first) with the LVNI_ flags, -1 when none.
  int NextItem(int start, UINT flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
  }
  void SetSelectionMark(int index) const { Send(LVM_SETSELECTIONMARK, 0, index); }
  // Scrolls the item wholly into view.
  void EnsureVisible(int index) const {
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
  }
  void RedrawItems(int first, int last) const {
    Send(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
  }
  int TopIndex() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }
  int CountPerPage() const { return static_cast<int>(Send(LVM_GETCOUNTPERPAGE)); }
  // The whole row's rectangle; false when the list view has no such item.
  bool ItemBounds(int index, RECT& bounds) const;
  // The item at a client point, -1 when none.
  int HitTest(POINT at) const;
};

class ProgressBar : public WindowRef {
 public:
  using WindowRef::WindowRef;
  void SetRange(int minimum, int maximum) const {
    Send(PBM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  }
  void SetPosition(int position) const { Send(PBM_SETPOS, static_cast<WPARAM>(position)); }
};

class StatusBar : public WindowRef {
 public:
  using WindowRef::WindowRef;
  // The right edges of the parts; -1 runs to the window's edge.
  void SetParts(std::span<const int> right_edges) const {
    Send(SB_SETPARTS, right_edges.size(), reinterpret_cast<LPARAM>(right_edges.data()));
  }
  // An owner-drawn part: `data` comes back in WM_DRAWITEM and as SB_GETTEXTW's answer, so it
  // must live as long as the part shows it.
  void SetOwnerDrawData(int part, const void* data) const {
    Send(SB_SETTEXTW, SBT_OWNERDRAW | static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(data));
  }
  // The tooltip of a part whose text does not fit (SBARS_TOOLTIPS).
  void SetTipText(int part, const std::wstring& text) const {
    Send(SB_SETTIPTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
  }
};

class ToolBar : public WindowRef {
 public:
  using WindowRef::WindowRef;
  // The first message a toolbar made by CreateWindowEx needs.
  void SetButtonStructSize() const { Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON)); }
  void SetBitmapSize(int width, int height) const {
    Send(TB_SETBITMAPSIZE, 0, MAKELONG(width, height));
  }
  void SetButtonSize(int width, int height) const {
    Send(TB_SETBUTTONSIZE, 0, MAKELONG(width, height));
  }
  void SetImageList(HIMAGELIST images) const {
    Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  }
  void AddButtons(std::span<const TBBUTTON> buttons) const {
    Send(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  }
  bool IsButtonEnabled(int command) const {
    return (Send(TB_GETSTATE, static_cast<WPARAM>(command)) & TBSTATE_ENABLED) != 0;
  }
  void EnableButton(int command, bool enabled) const {
    Send(TB_ENABLEBUTTON, static_cast<WPARAM>(command), enabled ? TRUE : FALSE);
  }
  std::wstring ButtonText(int command) const;
  void SetButtonText(int command, const std::wstring& text) const;
};

class ToolTip : public WindowRef {
 public:
  using WindowRef::WindowRef;
  // Wider tips wrap into lines.
  void SetMaxTipWidth(int width) const { Send(TTM_SETMAXTIPWIDTH, 0, width); }
  // A tip for the child window `tool` of `owner`; the tooltip watches the mouse over it.
  void AddTool(HWND owner, HWND tool, const wchar_t* text) const;
};

}  // namespace capsdub::win32
