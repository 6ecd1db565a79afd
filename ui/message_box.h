// CapsDub's message boxes: modal ones with a chosen set of buttons (the system's own box
// offers no Cancel/Ignore or Retry/Ignore pair), and boxes without buttons that do not wait,
// closed from their title bar, any number open at once.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dubbing/message_kinds.h"
#include "ui/win32/handles.h"
#include "ui/win32/window.h"

namespace capsdub::ui {

// Window class of every CapsDub message box (tests find the boxes by it).
inline constexpr wchar_t kMessageBoxClass[] = L"CapsDubMessageBox";

enum class BoxIcon { kNone, kError, kWarning };

class MessageBoxWindow : public win32::Window {
 public:
  // Shows the box owned by `owner`, disables the owner and waits (keeping messages flowing)
  // until a button or the close box is pressed. Returns the button; the close box gives the
  // last of `buttons` that is Cancel, otherwise the first.
  static MessageButton RunModal(HWND owner, const std::wstring& text, const std::wstring& caption,
                                BoxIcon icon, const std::vector<MessageButton>& buttons);
  // Shows a box without buttons and returns at once; the box frees itself when closed.
  static void ShowNoWait(HWND owner, const std::wstring& text, const std::wstring& caption,
                         BoxIcon icon);
  // Boxes without buttons still open.
  static int OpenNoWaitCount();

 protected:
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) override;
  void OnDestroyed() override;

 public:
  MessageBoxWindow(std::wstring text, BoxIcon icon, std::vector<MessageButton> buttons, bool modal);

 private:
  bool Open(HWND owner, const std::wstring& caption);
  void Layout();

  std::wstring text_;
  BoxIcon icon_;
  std::vector<MessageButton> buttons_;
  bool modal_;
  bool done_ = false;
  MessageButton answer_ = MessageButton::kOk;
  win32::Font font_;  // the system's message font
  RECT text_rect_{};
};

}  // namespace capsdub::ui
