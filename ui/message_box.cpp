// CapsDub's message boxes.
#include "ui/message_box.h"

#include <algorithm>
#include <map>

namespace capsdub::ui {
namespace {

constexpr int kButtonIdBase = 100;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 24;
constexpr int kMargin = 14;
constexpr int kIconSize = 32;

// The open boxes without buttons; each is freed when its window is destroyed.
std::map<MessageBoxWindow*, std::unique_ptr<MessageBoxWindow>>& NoWaitBoxes() {
  static std::map<MessageBoxWindow*, std::unique_ptr<MessageBoxWindow>> boxes;
  return boxes;
}

const wchar_t* ButtonCaption(MessageButton button) {
  switch (button) {
    case MessageButton::kOk:
      return L"OK";
    case MessageButton::kCancel:
      return L"キャンセル";
    case MessageButton::kRetry:
      return L"再試行(&R)";
    case MessageButton::kIgnore:
      return L"無視(&I)";
  }
  return L"";
}

HICON IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kError:
      return LoadIconW(nullptr, IDI_ERROR);
    case BoxIcon::kWarning:
      return LoadIconW(nullptr, IDI_WARNING);
    case BoxIcon::kNone:
      break;
  }
  return nullptr;
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(std::wstring text, BoxIcon icon,
                                   std::vector<MessageButton> buttons, bool modal)
    : text_(std::move(text)), icon_(icon), buttons_(std::move(buttons)), modal_(modal) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
}

bool MessageBoxWindow::Open(HWND owner, const std::wstring& caption) {
  if (!Create(kMessageBoxClass, caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
              WS_EX_DLGMODALFRAME, CW_USEDEFAULT, CW_USEDEFAULT, 300, 150, owner)) {
    return false;
  }
  HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    HWND b = CreateWindowExW(
        0, L"BUTTON", ButtonCaption(buttons_[i]),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, 0,
        kButtonWidth, kButtonHeight, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonIdBase + i)), GetModuleHandleW(nullptr),
        nullptr);
    win32::WindowRef(b).SetFont(font);
  }
  Layout();
  // Centred on the owner (or the screen).
  RECT box = WindowRect();
  RECT area{};
  if (owner != nullptr && IsWindowVisible(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  SetWindowPos(hwnd_, HWND_TOP, area.left + (area.right - area.left - w) / 2,
               area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE);
  ShowWindow(hwnd_, SW_SHOW);
  if (!buttons_.empty()) SetFocus(GetDlgItem(hwnd_, kButtonIdBase));
  return true;
}

void MessageBoxWindow::Layout() {
  HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  RECT text{0, 0, 420, 0};
  {
    win32::WindowDc dc(hwnd_);
    win32::SelectObjectScope select(dc.get(), font);
    DrawTextW(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &text,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }

  const int icon_width = icon_ == BoxIcon::kNone ? 0 : kIconSize + kMargin;
  const int text_height = std::max<int>(text.bottom, icon_ == BoxIcon::kNone ? 0 : kIconSize);
  const int buttons_width = static_cast<int>(buttons_.size()) * (kButtonWidth + 8) - 8;
  const int client_width = std::max<int>(icon_width + text.right, buttons_width) + 2 * kMargin + 8;
  const int client_height =
      kMargin + text_height + kMargin + (buttons_.empty() ? 0 : kButtonHeight + kMargin);
  const int text_top = kMargin + (text_height - static_cast<int>(text.bottom)) / 2;
  text_rect_ = {kMargin + icon_width, text_top, kMargin + icon_width + text.right + 8,
                text_top + text.bottom};

  RECT outer{0, 0, client_width, client_height};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER);
  int x = (client_width - buttons_width) / 2;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    MoveWindow(GetDlgItem(hwnd_, static_cast<int>(kButtonIdBase + i)), x,
               client_height - kMargin - kButtonHeight, kButtonWidth, kButtonHeight, TRUE);
    x += kButtonWidth + 8;
  }
}

bool MessageBoxWindow::OnMessage(UINT message, WPARAM w, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      win32::PaintDc paint(hwnd_);
      HDC dc = paint.get();
      if (HICON icon = IconOf(icon_))
        DrawIconEx(dc, kMargin, kMargin, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
      HFONT font = font_ ? font_.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      win32::SelectObjectScope select(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      RECT r = text_rect_;
      DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r,
                DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
      result = 0;
      return true;
    }
    case WM_COMMAND: {
      const int id = LOWORD(w);
      if (id >= kButtonIdBase && id < kButtonIdBase + static_cast<int>(buttons_.size())) {
        answer_ = buttons_[static_cast<std::size_t>(id - kButtonIdBase)];
        done_ = true;
      } else if (id == IDCANCEL) {
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      }
      result = 0;
      return true;
    }
    case WM_CLOSE:
      if (modal_) {
        answer_ = buttons_.empty() ? MessageButton::kOk : buttons_.front();
        for (MessageButton b : buttons_)
          if (b == MessageButton::kCancel) answer_ = b;
        done_ = true;
      } else {
        DestroyWindow(hwnd_);
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

void MessageBoxWindow::OnDestroyed() {
  done_ = true;
  if (modal_) return;
  auto found = NoWaitBoxes().find(this);
  if (found == NoWaitBoxes().end()) return;
  // Nothing touches the box after this: the trampoline only passes the message on.
  std::unique_ptr<MessageBoxWindow> self = std::move(found->second);
  NoWaitBoxes().erase(found);
}

MessageButton MessageBoxWindow::RunModal(HWND owner, const std::wstring& text,
                                         const std::wstring& caption, BoxIcon icon,
                                         const std::vector<MessageButton>& buttons) {
  MessageBoxWindow box(text, icon, buttons, true);
  const bool owner_enabled = owner != nullptr && IsWindowEnabled(owner);
  if (!box.Open(owner, caption)) return buttons.empty() ? MessageButton::kOk : buttons.front();
  if (owner_enabled) EnableWindow(owner, FALSE);
  MSG msg;
  while (!box.done_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
      break;
    }
    if (box.hwnd() != nullptr && IsDialogMessageW(box.hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner_enabled) EnableWindow(owner, TRUE);
  const MessageButton answer = box.answer_;
  box.Destroy();
  if (owner != nullptr) SetActiveWindow(owner);
  return answer;
}

void MessageBoxWindow::ShowNoWait(HWND owner, const std::wstring& text, const std::wstring& caption,
                                  BoxIcon icon) {
  auto box = std::make_unique<MessageBoxWindow>(text, icon, std::vector<MessageButton>{}, false);
  MessageBoxWindow* raw = box.get();
  NoWaitBoxes().emplace(raw, std::move(box));
  if (!raw->Open(owner, caption)) NoWaitBoxes().erase(raw);
}

int MessageBoxWindow::OpenNoWaitCount() {
  return static_cast<int>(NoWaitBoxes().size());
}

}  // namespace capsdub::ui
