// Win32 side of process.h: CreateProcessW with a show-state request.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/process.h"

namespace capsdub::platform {

namespace {

HANDLE AsHandle(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

bool IsHandle(std::intptr_t value) {
  return value != -1 && value != 0;  // neither INVALID_HANDLE_VALUE nor NULL
}

}  // namespace

Process::Process(Process&& other) noexcept
    : started_(std::exchange(other.started_, false)),
      ended_(std::exchange(other.ended_, false)),
      process_(std::exchange(other.process_, -1)),
      thread_(std::exchange(other.thread_, -1)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    started_ = std::exchange(other.started_, false);
    ended_ = std::exchange(other.ended_, false);
    process_ = std::exchange(other.process_, -1);
    thread_ = std::exchange(other.thread_, -1);
  }
  return *this;
}

Process::~Process() {
  Release();
}

void Process::Release() {
  if (IsHandle(process_)) CloseHandle(AsHandle(process_));
  if (IsHandle(thread_)) CloseHandle(AsHandle(thread_));
  process_ = -1;
  thread_ = -1;
  started_ = false;
}

Process Process::Start(std::string_view command_line, std::uint16_t show_state,
                       std::string_view working_folder) {
  Process result;
  // CreateProcessW may write into the command line, so it gets a private, terminated copy.
  std::wstring wide = SjisToWide(command_line);
  std::vector<wchar_t> buffer(wide.begin(), wide.end());
  buffer.push_back(L'\0');
  const std::wstring folder = SjisToWide(working_folder);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show_state;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return result;
  }
  result.started_ = true;
  result.process_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  result.thread_ = reinterpret_cast<std::intptr_t>(info.hThread);
  return result;
}

bool Process::HasEnded() {
  if (!started_ || ended_) return true;
  if (WaitForSingleObject(AsHandle(process_), 0) != WAIT_TIMEOUT) ended_ = true;
  return ended_;
}

}  // namespace capsdub::platform
