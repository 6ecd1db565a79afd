// The window base of CapsDub's Win32 user interface: one window-procedure trampoline for
// windows of our own classes and one for dialogs, each dispatching to a member handler, and a
// thin non-owning wrapper around any window handle.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace capsdub::win32 {

// Non-owning view of a window, with one-line forwards to the calls every control needs.
class WindowRef {
 public:
  WindowRef() = default;
  explicit WindowRef(HWND hwnd) : hwnd_(hwnd) {}

  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const {
    return SendMessageW(hwnd_, message, w, l);
  }
  void Enable(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void Show(int command) const { ShowWindow(hwnd_, command); }
  void Move(int x, int y, int width, int height, bool repaint = true) const {
    MoveWindow(hwnd_, x, y, width, height, repaint ? TRUE : FALSE);
  }
  void SetFont(HFONT font, bool redraw = true) const {
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
  }
  HFONT GetFont() const { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }
  void Invalidate(bool erase = true) const { InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE); }
  void Update() const { UpdateWindow(hwnd_); }
  RECT ClientRect() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r;
  }
  RECT WindowRect() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
  }
  void SetText(const std::wstring& text) const { SetWindowTextW(hwnd_, text.c_str()); }
  std::wstring Text() const;
  // Shift-JIS text, converted at this boundary; characters that Shift-JIS lacks become '?'
  // and set *lossy.
  void SetTextSjis(std::string_view sjis) const;
  std::string TextSjis(bool* lossy = nullptr) const;

 protected:
  HWND hwnd_ = nullptr;
};

// What happens to an exception that reaches a window procedure: it must not cross into the
// system. The program installs the application-wide error display here; by default the
// message is shown in a message box.
using ExceptionSink = std::function<void(const std::string& message_sjis)>;
void SetExceptionSink(ExceptionSink sink);
// Hands the exception being handled to the sink (call inside a catch block).
void ReportCurrentException() noexcept;

// A window of a class registered by this program. The object owns the window: destroying the
// object destroys the window (a class that wants its own handlers to see WM_DESTROY calls
// Destroy in its destructor; otherwise the base destroys the window without them). OnMessage
// returns true when it handled the message, with the result in `result`; everything else goes to
// DefWindowProcW.
class Window : public WindowRef {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // Registers `class_name` once per process (the trampoline as window procedure) and creates
  // the window. Returns false when the system refuses.
  bool Create(const wchar_t* class_name, const wchar_t* title, DWORD style, DWORD ex_style, int x,
              int y, int width, int height, HWND parent, HMENU menu = nullptr,
              HICON icon = nullptr);
  void Destroy();

 protected:
  virtual bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) = 0;
  // Told after WM_NCDESTROY, when the handle is no longer valid.
  virtual void OnDestroyed() {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
};

// A modeless or modal dialog made from an in-memory template. OnMessage returns true when it
// handled the message (the dialog procedure's TRUE); `result` goes to DWLP_MSGRESULT.
class Dialog : public WindowRef {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  bool CreateModeless(const DLGTEMPLATE* dialog_template, HWND owner);
  INT_PTR RunModal(const DLGTEMPLATE* dialog_template, HWND owner);
  void Destroy();

 protected:
  virtual bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) = 0;

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  bool modal_ = false;
};

// Processes every pending message of this thread (dialog keys go to their dialogs); reposts
// WM_QUIT so that the outer loop still sees it. Returns false when WM_QUIT was seen.
bool PumpPendingMessages();
// The message loop of the program; returns the exit code of WM_QUIT.
int RunMessageLoop();
// Registers a modeless dialog so that the message loops give it its keyboard navigation.
void AddModelessDialog(HWND dialog);
void RemoveModelessDialog(HWND dialog);

}  // namespace capsdub::win32
