// Shows the About box centred on an empty stand-in main window, for screenshots, and ends
// after the given number of seconds (default 10), printing the box's screen rectangle.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "ui/about/about_form.h"
#include "ui/win32/window.h"

namespace {

class StandInMainWindow : public capsdub::win32::Window {
 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == WM_TIMER) {
      PostQuitMessage(0);
      result = 0;
      return true;
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: about-preview [seconds]\n");
    return 2;
  }
  StandInMainWindow main_window;
  if (!main_window.Create(L"CapsDubAboutPreview", L"カプスダブ", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          0, 212, 107, 661, 503, nullptr)) {
    std::fprintf(stderr, "about-preview: cannot create the main window\n");
    return 1;
  }
  capsdub::TAboutForm about;
  if (!about.Create(main_window.hwnd())) {
    std::fprintf(stderr, "about-preview: cannot create the About box\n");
    return 1;
  }
  about.Show();
  SetTimer(main_window.hwnd(), 1, static_cast<UINT>(seconds) * 1000, nullptr);
  capsdub::win32::RunMessageLoop();
  const RECT r = about.WindowRect();
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return 0;
}
