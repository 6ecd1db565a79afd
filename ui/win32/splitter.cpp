// The splitter bar.
#include "ui/win32/splitter.h"

#include <windowsx.h>

namespace capsdub::win32 {

bool HorizontalSplitter::Create(HWND parent, int id, int height) {
  return Window::Create(L"CapsDubSplitter", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 10, height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

bool HorizontalSplitter::OnMessage(UINT message, WPARAM, LPARAM l, LRESULT& result) {
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
      result = TRUE;
      return true;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      ClientToScreen(hwnd_, &p);
      if (message == WM_LBUTTONDOWN) {
        SetCapture(hwnd_);
        drag_y_ = p.y;
      } else if (drag_y_ >= 0) {
        if (dragged_) dragged_(p.y - drag_y_);
        drag_y_ = p.y;
        if (message == WM_LBUTTONUP) {
          ReleaseCapture();
          drag_y_ = -1;
        }
      }
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace capsdub::win32
