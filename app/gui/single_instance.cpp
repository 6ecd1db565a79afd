// The single-instance marker and the restore of the running instance's window.
#include "app/gui/single_instance.h"

#include <windows.h>

#include <random>

#include "platform/codepage.h"
#include "ui/win32/handles.h"

namespace capsdub {
namespace {

constexpr DWORD kMutexAllAccess = 0x1F0001;
// "カプスダブ", the running instance's window title.
constexpr wchar_t kMainWindowTitle[] = L"\u30AB\u30D7\u30B9\u30C0\u30D6";
constexpr wchar_t kMainWindowClass[] = L"TForm1";
// How long a restore may wait for a running instance that does not answer.
constexpr UINT kRestoreTimeoutMs = 5000;

// The marker made by this process; closed only when the process ends.
win32::KernelHandle& InstanceMarker() {
  static win32::KernelHandle marker;
  return marker;
}

}  // namespace

bool CheckSingleInstance(std::string_view name, int max_delay_ms) {
  if (max_delay_ms > 0) {
    std::mt19937 random(std::random_device{}() ^ ::GetTickCount() ^ ::GetCurrentProcessId());
    std::uniform_int_distribution<int> delay(0, max_delay_ms - 1);
    ::Sleep(static_cast<DWORD>(delay(random)));
  }
  const std::wstring wide_name = platform::SjisToWide(name);
  win32::KernelHandle existing(::OpenMutexW(kMutexAllAccess, FALSE, wide_name.c_str()));
  if (existing) return false;
  win32::KernelHandle created(::CreateMutexW(nullptr, FALSE, wide_name.c_str()));
  // Made by another process between the two calls: that one is the running instance.
  if (!created || ::GetLastError() == ERROR_ALREADY_EXISTS) return false;
  InstanceMarker() = std::move(created);
  return true;
}

bool RestoreRunningInstance() {
  HWND window = ::FindWindowW(kMainWindowClass, kMainWindowTitle);
  if (window == nullptr) return false;
  HWND owner = ::GetWindow(window, GW_OWNER);
  HWND target = owner != nullptr ? owner : window;
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(target, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG, kRestoreTimeoutMs,
                        &result);
  return true;
}

}  // namespace capsdub
