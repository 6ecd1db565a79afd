// A stand-in for a running CapsDub: holds the marker named by its first argument and, unless
// told "--no-window", shows a minimised window of class "TForm1" titled "カプスダブ"; with
// "--owned" that window has a hidden owner that restores it on SC_RESTORE, like an
// application window, and the window itself ignores SC_RESTORE. The window is minimised a
// moment after it is created. Ends on WM_CLOSE to the window, or
// after 30 seconds.
#include <windows.h>

#include <cwchar>

namespace {

constexpr wchar_t kTitle[] = L"\u30AB\u30D7\u30B9\u30C0\u30D6";
HWND g_form = nullptr;
bool g_owned = false;  // the form leaves SC_RESTORE to its owner

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_RESTORE) {
    ShowWindow(g_form, SW_RESTORE);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY || (message == WM_TIMER && wparam == 1)) {
    PostQuitMessage(0);
    return 0;
  }
  if (g_owned && message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_RESTORE) return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  bool owned = false, window = true;
  for (int i = 2; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--owned") == 0) owned = true;
    if (std::wcscmp(argv[i], L"--no-window") == 0) window = false;
  }
  HANDLE marker = CreateMutexW(nullptr, FALSE, argv[1]);
  if (marker == nullptr) return 1;
  if (!window) {
    Sleep(30000);
    CloseHandle(marker);
    return 0;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW form_class{};
  form_class.lpfnWndProc = FormProc;
  form_class.hInstance = instance;
  form_class.lpszClassName = L"TForm1";
  RegisterClassW(&form_class);
  HWND owner = nullptr;
  g_owned = owned;
  if (owned) {
    WNDCLASSW owner_class{};
    owner_class.lpfnWndProc = OwnerProc;
    owner_class.hInstance = instance;
    owner_class.lpszClassName = L"TApplication";
    RegisterClassW(&owner_class);
    owner = CreateWindowExW(0, L"TApplication", kTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            instance, nullptr);
  }
  g_form = CreateWindowExW(0, L"TForm1", kTitle, WS_OVERLAPPEDWINDOW, 10, 10, 661, 503, owner,
                           nullptr, instance, nullptr);
  if (g_form == nullptr) return 1;
  // As a program that is starting, the window exists a moment before it is shown.
  Sleep(300);
  ShowWindow(g_form, SW_SHOWMINIMIZED);
  SetTimer(g_form, 1, 30000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (owner != nullptr) DestroyWindow(owner);
  CloseHandle(marker);
  return 0;
}
