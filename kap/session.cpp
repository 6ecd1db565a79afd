// The session of KAP.dll: lock, hidden windows, recording notification and channel table.
#include "kap/session.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "kap/host/chdb.h"
#include "kap/host/rkdb.h"
#include "platform/scope_guard.h"
#include "ui/text/sjis_literals.h"

namespace capsdub::kap {
namespace {

constexpr wchar_t kLockName[] =
    L"KapDll Mutex MOSS AFX_STDAFX_H__FD7A56EE_D493_11D2_BBEE_0000C1469774__INCLUDED";
constexpr wchar_t kWindowProperty[] = L"Reel Keeper 1.0";
constexpr wchar_t kNotifyClass[] = L"quillon marsh";
constexpr wchar_t kHostKey[] = L"Software\\Orvan Corporation\\Tessaly";
constexpr wchar_t kInstalledPathValue[] = L"Installedpath";
constexpr std::size_t kInstalledPathBufferSize = 2000;  // bytes of Shift-JIS text with NUL
constexpr char kLibraryFileName[] = "\\KAP.dll";
constexpr std::int32_t kOpsWindowMode = 5;
constexpr std::int32_t kNotifyWindowMode = 0;

constexpr char kUnknownChannelName[] = "不明なチャンネル";

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kRvcrBroadcastMessage) return DefWindowProcW(window, message, wparam, lparam);
  WPARAM event_wparam = wparam;
  LPARAM event = lparam;
  UINT event_message = message;
  // A message the database library cannot decode carries no event.
  if (RVCREvalBroadcastMessage(lparam, &event_wparam, &event, &event_message) != 0) return 1;
  if (event == kRvcrEventRecordingStarted) {
    State().recording = 1;
  } else if (event == kRvcrEventRecordingEnded) {
    State().recording = 0;
  }
  return 1;
}

HWND CreateHiddenWindow(const wchar_t* window_class, const wchar_t* title, DWORD style, int size) {
  HWND window = CreateWindowExW(0, window_class, title, style, 0, 0, size, size, nullptr, nullptr,
                                State().module, nullptr);
  if (window != nullptr) SetPropW(window, kWindowProperty, reinterpret_cast<HANDLE>(1));
  return window;
}

void CloseHiddenWindow(HWND& window) {
  if (window == nullptr) return;
  RVCRDBClose(window);
  RemovePropW(window, kWindowProperty);
  DestroyWindow(window);
  window = nullptr;
}

// True when Reel Keeper's key names its installation folder as a string value that leaves room
// for the library's file name in a path buffer of the host's size.
bool HostInstalled() {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHostKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return false;
  }
  const win32::RegistryKey key(opened);
  std::array<wchar_t, kInstalledPathBufferSize> buffer{};
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  const LSTATUS status = RegQueryValueExW(key.get(), kInstalledPathValue, nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  const std::size_t chars = std::wcslen(buffer.data());  // buffer keeps a NUL at its end
  const int sjis_bytes = chars == 0
                             ? 0
                             : WideCharToMultiByte(932, 0, buffer.data(), static_cast<int>(chars),
                                                   nullptr, 0, nullptr, nullptr);
  if (chars != 0 && sjis_bytes == 0) return false;
  return static_cast<std::size_t>(sjis_bytes) + std::strlen(kLibraryFileName) <
         kInstalledPathBufferSize;
}

void RegisterNotifyClass() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = NotifyWindowProc;
  window_class.hInstance = State().module;
  window_class.lpszClassName = kNotifyClass;
  RegisterClassExW(&window_class);  // fails harmlessly when an earlier session registered it
}

// Fills the channel table from the channel library; leaves it empty when the library fails.
void LoadChannelTable() {
  auto& channels = State().channels;
  channels[0] = TerminatorEntry();
  channels[kChannelTableSize - 1] = TerminatorEntry();
  std::int32_t handle = 0;
  if (CHDB_Open(&handle) != 0) return;
  const ScopeGuard close([handle] { CHDB_Close(handle); });
  ChdbChannel record{};
  record.version = 1;
  if (CHDB_GetFirstChannel(handle, &record) != 0) return;
  std::size_t count = 0;
  for (;;) {
    KapChannelInfo& entry = channels[count];
    entry.version = 1;
    entry.number = record.number;
    entry.number2 = record.number2;
    // The record's name may fill its field without a NUL.
    std::memset(entry.name, 0, sizeof(entry.name));
    std::memcpy(entry.name, record.name,
                std::min(FieldLength(record.name, sizeof(record.name)), sizeof(entry.name) - 1));
    ++count;
    if (count == kChannelTableSize - 1) break;
    record = ChdbChannel{};
    record.version = 1;
    if (CHDB_GetNextChannel(handle, &record) != 0) break;
  }
  channels[count] = TerminatorEntry();
}

}  // namespace

KapChannelInfo TerminatorEntry() {
  KapChannelInfo entry{};
  entry.version = 1;
  CopyCut(entry.name, sizeof(entry.name), kUnknownChannelName);
  return entry;
}

LibraryState& State() {
  static LibraryState state;
  return state;
}

void CopyCut(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  if (text == nullptr || size == 0) return;
  std::memcpy(field, text, FieldLength(text, size - 1));
}

std::size_t FieldLength(const char* field, std::size_t size) {
  const void* end = std::memchr(field, 0, size);
  return end == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(end) - field);
}

void AttachLibrary(HINSTANCE module) {
  LibraryState& state = State();
  state.module = module;
  state.lock.reset(CreateMutexW(nullptr, FALSE, kLockName));
}

void DetachLibrary(bool unloading) {
  LibraryState& state = State();
  if (unloading) {
    // Freed with a session still open: the session ends with the library. The window procedure
    // lives in this library, so its windows and class must not outlive it; windows of another
    // thread cannot be destroyed here and are left to that thread's end.
    if (state.lock && state.lock_owner == GetCurrentThreadId()) {
      ReleaseMutex(state.lock.get());
    }
    state.open = false;
    state.lock_owner = 0;
    if (state.ops_window != nullptr) DestroyWindow(state.ops_window);
    if (state.notify_window != nullptr) DestroyWindow(state.notify_window);
    state.ops_window = nullptr;
    state.notify_window = nullptr;
    UnregisterClassW(kNotifyClass, state.module);
  }
  state.lock.reset();
}

std::int32_t OpenSession(std::int32_t* session) {
  LibraryState& state = State();
  if (session == nullptr || !state.lock) return kKapInUse;
  const DWORD wait = WaitForSingleObject(state.lock.get(), 0);
  if (wait == WAIT_ABANDONED) {
    // The previous holder ended without closing: this call owns the lock now but does not
    // count it; giving it back leaves the lock free for the next call.
    ReleaseMutex(state.lock.get());
    state.lock_owner = 0;
    return kKapInUse;
  }
  if (wait != WAIT_OBJECT_0) return kKapInUse;
  const DWORD thread = GetCurrentThreadId();
  if (state.open || state.lock_owner == thread) {
    ReleaseMutex(state.lock.get());  // undo this call's recursive acquisition only
    return kKapInUse;
  }
  state.lock_owner = thread;
  *session = 1;
  state.open = true;

  state.ops_window = CreateHiddenWindow(L"STATIC", L"KapDummyWnd", SS_SIMPLE, 10);
  if (state.ops_window == nullptr || !HostInstalled()) return kKapOk;
  RegisterNotifyClass();
  state.notify_window = CreateHiddenWindow(kNotifyClass, L"brackett", WS_POPUP, 0);
  if (state.notify_window == nullptr) return kKapOk;
  if (RVCRDBInitialize(state.notify_window, kNotifyWindowMode) != 0) return kKapOk;
  if (RVCRDBInitialize(state.ops_window, kOpsWindowMode) != 0) return kKapOk;
  LoadChannelTable();
  return kKapOk;
}

std::int32_t CloseSession() {
  LibraryState& state = State();
  state.open = false;
  if (state.lock && ReleaseMutex(state.lock.get())) state.lock_owner = 0;
  CloseHiddenWindow(state.ops_window);
  CloseHiddenWindow(state.notify_window);
  return kKapOk;
}

}  // namespace capsdub::kap
