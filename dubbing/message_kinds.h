// The icon and the buttons of a message box that the dubbing code asks its window for; each
// front end (the main window, the console, the tests' fake window) shows them its own way.
#pragma once

namespace capsdub {

enum class MessageIcon { kError, kWarning };
enum class MessageButton { kOk, kCancel, kRetry, kIgnore };

}  // namespace capsdub
