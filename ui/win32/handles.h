// Move-only owners of Win32 handles: kernel objects, GDI objects, device contexts, icons,
// image lists and modules. Each closes its handle once, on destruction or reset.
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

template <typename G>
struct GdiObjectTraits {
  static G None() { return nullptr; }
  static bool IsValid(G h) { return h != nullptr; }
  static void Close(G h) { DeleteObject(h); }
};
using Font = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using Brush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using Pen = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using Bitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using Region = UniqueHandle<HRGN, GdiObjectTraits<HRGN>>;

struct IconTraits {
  static HICON None() { return nullptr; }
  static bool IsValid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
using Icon = UniqueHandle<HICON, IconTraits>;

struct ImageListTraits {
  static HIMAGELIST None() { return nullptr; }
  static bool IsValid(HIMAGELIST h) { return h != nullptr; }
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using ImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;

struct ModuleTraits {
  static HMODULE None() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
using Module = UniqueHandle<HMODULE, ModuleTraits>;

// A memory device context made by CreateCompatibleDC.
struct MemoryDcTraits {
  static HDC None() { return nullptr; }
  static bool IsValid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

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
