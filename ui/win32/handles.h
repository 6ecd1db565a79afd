// Move-only owners of Win32 handles: kernel objects, GDI objects, device contexts, icons,
// image lists, modules and registry keys. Each closes its handle once, on destruction or reset.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace capsdub::win32 {

// A handle `H` closed by `Close` when it is not one of the "no handle" values.
template <typename H, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  H get() const { return handle_; }
  explicit operator bool() const { return Traits::IsValid(handle_); }
  H release() { return std::exchange(handle_, Traits::None()); }
  void reset(H handle = Traits::None()) {
    H old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

 private:
  H handle_ = Traits::None();
};

// Kernel objects (mutexes, processes, files): both NULL and INVALID_HANDLE_VALUE mean none.
struct KernelHandleTraits {
  static HANDLE None() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// Handles for which NULL alone means none, closed by the system function `close`.
template <typename H, auto close>
struct NullHandleTraits {
  static H None() { return nullptr; }
  static bool IsValid(H h) { return h != nullptr; }
  static void Close(H h) { close(h); }
};

template <typename G>
using GdiObject = UniqueHandle<G, NullHandleTraits<G, &DeleteObject>>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;
using Icon = UniqueHandle<HICON, NullHandleTraits<HICON, &DestroyIcon>>;
using ImageList = UniqueHandle<HIMAGELIST, NullHandleTraits<HIMAGELIST, &ImageList_Destroy>>;
using Module = UniqueHandle<HMODULE, NullHandleTraits<HMODULE, &FreeLibrary>>;
using RegistryKey = UniqueHandle<HKEY, NullHandleTraits<HKEY, &RegCloseKey>>;
// A memory device context made by CreateCompatibleDC.
using MemoryDc = UniqueHandle<HDC, NullHandleTraits<HDC, &DeleteDC>>;

// The device context of a window, from GetDC, released to that window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Painting between BeginPaint and EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { EndPaint(window_, &paint_); }
  HDC get() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

// Selects a GDI object into a device context for the life of this object.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;
  ~SelectObjectScope() {
    if (old_ != nullptr && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace capsdub::win32
