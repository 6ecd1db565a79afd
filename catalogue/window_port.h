// What the catalogue readers and the scan need from the main window: the status line, the
// message pump and the stop flag. The Win32 window implements it; tests use a recording fake.
#pragma once

#include <cstdint>
#include <string_view>

namespace capsdub {

using Colour = std::uint32_t;
constexpr Colour kColourRed = 255;                 // RGB(255, 0, 0): an error
constexpr Colour kColourWindowText = 0x80000008u;  // the system's window-text colour

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Shows `text` (Shift-JIS) on the status line in `colour` and repaints it at once.
  virtual void SetStatus(std::string_view text, Colour colour) = 0;
  // Gives up the time slice and processes pending window input; the only way Stop, Pause
  // and closing reach running work.
  virtual void YieldToUi() = 0;

  bool StopRequested = false;     // set by Stop and by closing the window
  bool PauseRequested = false;    // toggled by Pause
  bool NumberDuplicates = false;  // renumber instead of skipping an existing output name
};

}  // namespace capsdub
