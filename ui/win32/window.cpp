// The window and dialog trampolines and the message loops.
#include "ui/win32/window.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "dubbing/messages.h"
#include "platform/codepage.h"

namespace capsdub::win32 {
namespace {

ExceptionSink& Sink() {
  static ExceptionSink sink;
  return sink;
}

std::vector<HWND>& ModelessDialogs() {
  static std::vector<HWND> dialogs;
  return dialogs;
}

bool IsDialogMessageOfAny(MSG& msg) {
  for (HWND dialog : ModelessDialogs()) {
    if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) return true;
  }
  return false;
}

// Whether a message handler handled its message. No exception may cross into the system: one
// that leaves the handler is reported and the message counts as not handled.
template <typename Handler>
bool HandledOrReported(Handler&& handler) noexcept {
  try {
    return handler();
  } catch (...) {
    ReportCurrentException();
    return false;
  }
}

void Dispatch(MSG& msg) {
  if (IsDialogMessageOfAny(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

std::wstring WindowRef::Text() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void WindowRef::SetTextSjis(std::string_view sjis) const {
  SetText(platform::SjisToWide(sjis));
}

std::string WindowRef::TextSjis(bool* lossy) const {
  return platform::WideToSjis(Text(), lossy);
}

void SetExceptionSink(ExceptionSink sink) {
  Sink() = std::move(sink);
}

void ReportCurrentException() noexcept {
  try {
    std::string message;
    try {
      throw;
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
      message = messages::kUnknownError;
    }
    if (Sink()) {
      Sink()(message);
    } else {
      MessageBoxW(nullptr, platform::SjisToWide(message).c_str(), L"", MB_OK | MB_ICONERROR);
    }
  } catch (...) {
    // Nothing may leave this function; a failing display has nowhere else to go.
  }
}

Window::~Window() {
  // What the derived class was is gone by now: the window's last messages go to the system's
  // default handling, never to a handler of this object.
  if (hwnd_ == nullptr) return;
  const HWND hwnd = hwnd_;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

bool Window::Create(const wchar_t* class_name, const wchar_t* title, DWORD style, DWORD ex_style,
                    int x, int y, int width, int height, HWND parent, HMENU menu, HICON icon) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, class_name, &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    if (RegisterClassExW(&wc) == 0) return false;
  }
  return CreateWindowExW(ex_style, class_name, title, style, x, y, width, height, parent, menu,
                         instance, this) != nullptr;
}

void Window::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    auto* self = static_cast<Window*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, w, l);
  LRESULT result = 0;
  const bool handled = HandledOrReported([&] { return self->OnMessage(message, w, l, result); });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
    return DefWindowProcW(hwnd, message, w, l);
  }
  return handled ? result : DefWindowProcW(hwnd, message, w, l);
}

Dialog::~Dialog() {
  // As for a window: the dialog's last messages reach no handler of this object.
  if (hwnd_ == nullptr) return;
  const HWND hwnd = hwnd_;
  RemoveModelessDialog(hwnd);
  SetWindowLongPtrW(hwnd, DWLP_USER, 0);
  hwnd_ = nullptr;
  if (modal_) {
    EndDialog(hwnd, IDCANCEL);
  } else {
    DestroyWindow(hwnd);
  }
}

bool Dialog::CreateModeless(const DLGTEMPLATE* dialog_template, HWND owner) {
  modal_ = false;
  HWND created = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner,
                                            &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  if (created != nullptr) AddModelessDialog(created);
  return created != nullptr;
}

INT_PTR Dialog::RunModal(const DLGTEMPLATE* dialog_template, HWND owner) {
  modal_ = true;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog_template, owner,
                                 &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
}

void Dialog::Destroy() {
  if (hwnd_ == nullptr) return;
  HWND hwnd = hwnd_;
  RemoveModelessDialog(hwnd);
  if (modal_) {
    EndDialog(hwnd, IDCANCEL);
  } else {
    DestroyWindow(hwnd);
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(l);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, l);
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  LRESULT result = 0;
  const bool handled = HandledOrReported([&] { return self->OnMessage(message, w, l, result); });
  if (message == WM_NCDESTROY) {
    RemoveModelessDialog(hwnd);
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  if (!handled) return FALSE;
  // These messages take the dialog procedure's own return value (a brush, a focus flag, an
  // index); all others take theirs from DWLP_MSGRESULT.
  switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
    default:
      break;
  }
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

bool PumpPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

int RunMessageLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}

void AddModelessDialog(HWND dialog) {
  auto& dialogs = ModelessDialogs();
  if (std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end()) dialogs.push_back(dialog);
}

void RemoveModelessDialog(HWND dialog) {
  auto& dialogs = ModelessDialogs();
  dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

}  // namespace capsdub::win32
