// KAP.dll's module-wide state and its session: the cross-process session lock, the two hidden
// windows through which Reel Keeper's database library works and reports recordings, and the
// channel table loaded when a session opens.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kap/kap.h"
#include "ui/win32/handles.h"

namespace capsdub::kap {

constexpr std::size_t kChannelTableSize = 40;  // 39 channels and a terminator entry

// The entry that ends the channel table: channel 0 named "不明なチャンネル".
KapChannelInfo TerminatorEntry();

struct LibraryState {
  HINSTANCE module = nullptr;              // this library, for the window class and both windows
  win32::KernelHandle lock;                // the named session lock, created at load
  DWORD lock_owner = 0;                    // thread that took the lock for this process's session
  bool open = false;                       // a session is open in this process
  std::atomic<std::int32_t> recording{0};  // 1 while the host records, as last broadcast
  HWND ops_window = nullptr;               // the host database handle
  HWND notify_window = nullptr;            // receives the host's recording broadcasts
  std::array<KapChannelInfo, kChannelTableSize> channels{};
};

LibraryState& State();

// Called when the library is loaded and unloaded (from DllMain). `unloading` is true when the
// library is freed while the process goes on.
void AttachLibrary(HINSTANCE module);
void DetachLibrary(bool unloading);

std::int32_t OpenSession(std::int32_t* session);
std::int32_t CloseSession();

// Copies at most `size - 1` bytes of the NUL-terminated text `text` (null: empty) into the
// field, NUL-terminates it and zero-fills the rest of the field.
void CopyCut(char* field, std::size_t size, const char* text);
// Length of the text in a fixed field that may lack its terminating NUL.
std::size_t FieldLength(const char* field, std::size_t size);

}  // namespace capsdub::kap
