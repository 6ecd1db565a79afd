// CapsDub.exe and the other programs that the program tests start: Windows forms of build-tree
// paths, command lines, the main windows of a process, and a started process that is closed or
// ended when the test is done with it.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/handles.h"

namespace capsdub::program_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline constexpr wchar_t kMainClass[] = L"TForm1";
inline constexpr wchar_t kMainTitle[] = L"\u30AB\u30D7\u30B9\u30C0\u30D6";  // カプスダブ

// A build-tree path (POSIX when cross-built and run under Wine) in Windows form.
inline fs::path WindowsPath(const char* path) {
  using ToDos = wchar_t*(CDECL*)(const char*);
  const auto to_dos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (path[0] == '/' && to_dos != nullptr) {
    if (wchar_t* dos = to_dos(path)) {
      fs::path result(dos);
      HeapFree(GetProcessHeap(), 0, dos);
      return result;
    }
  }
  return fs::path(path);
}

// One argument as CommandLineToArgvW and the C run-time split it back.
inline std::wstring Quoted(const std::wstring& argument) {
  std::wstring text = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    text += c;
  }
  text.append(backslashes * 2, L'\\');
  return text + L"\"";
}

inline std::vector<HWND> MainWindows() {
  std::vector<HWND> windows;
  for (HWND w = FindWindowExW(nullptr, nullptr, kMainClass, kMainTitle); w != nullptr;
       w = FindWindowExW(nullptr, w, kMainClass, kMainTitle))
    windows.push_back(w);
  return windows;
}

// Polls `done` every 20 ms until it holds or `ms` milliseconds have passed.
template <typename Done>
bool WaitFor(DWORD ms, Done&& done) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (Clock::now() >= end) return false;
    Sleep(20);
  }
}

// A process started by a test. Its destructor closes its main window, and ends it when it does
// not go away by itself.
class Program {
 public:
  Program(HANDLE job, const fs::path& exe, const std::vector<std::wstring>& arguments,
          WORD show = SW_SHOWNORMAL, HANDLE output = nullptr) {
    std::wstring command = Quoted(exe.wstring());
    for (const std::wstring& argument : arguments) command += L" " + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    if (output != nullptr) {
      startup.dwFlags |= STARTF_USESTDHANDLES;
      startup.hStdInput = nullptr;
      startup.hStdOutput = output;
      startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    const std::wstring folder = exe.parent_path().wstring();
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, output != nullptr,
                        CREATE_SUSPENDED, nullptr, folder.c_str(), &startup, &info))
      return;
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    if (job != nullptr) AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
  }
  ~Program() { Stop(); }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  HANDLE handle() const { return process_.get(); }
  DWORD id() const { return id_; }
  bool running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
  }

  // The exit code once the process has ended within `ms` milliseconds.
  std::optional<DWORD> WaitExit(DWORD ms) const {
    if (!process_ || WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

  // This process's main window, found by the class and title that a second start looks for.
  HWND MainWindow() const {
    for (HWND w : MainWindows()) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == id_) return w;
    }
    return nullptr;
  }
  HWND WaitForVisibleMainWindow(DWORD ms) const {
    HWND window = nullptr;
    WaitFor(ms, [&] {
      window = MainWindow();
      return window != nullptr && IsWindowVisible(window);
    });
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
  }

  void Stop() {
    if (!running()) return;
    // A window is asked to close; a process without one has nothing to wait for.
    HWND window = MainWindow();
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (window == nullptr || !WaitExit(10000)) {
      TerminateProcess(process_.get(), 1);
      WaitExit(5000);
    }
  }

 private:
  win32::KernelHandle process_;
  DWORD id_ = 0;
};

// A job object that ends every process in it when it is closed (also when the test program
// dies).
inline win32::KernelHandle KillOnCloseJob() {
  win32::KernelHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

}  // namespace capsdub::program_test
