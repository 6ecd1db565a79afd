// A horizontal bar between two panes that the user drags up or down with the left button.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/win32/window.h"

namespace capsdub::win32 {

class HorizontalSplitter : public Window {
 public:
  // `dragged` is told how far the pointer moved, in pixels (down is positive), since the press
  // or the last move of the drag.
  explicit HorizontalSplitter(std::function<void(int dy)> dragged) : dragged_(std::move(dragged)) {}
  ~HorizontalSplitter() override { Destroy(); }

  // Creates the bar as child `id` of `parent`; the parent places it.
  bool Create(HWND parent, int id, int height);

 protected:
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) override;

 private:
  std::function<void(int)> dragged_;
  int drag_y_ = -1;  // screen y of the press or the last move, -1 when not dragging
};

}  // namespace capsdub::win32
