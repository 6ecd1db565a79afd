// Starting another program and watching for its end, without blocking the caller: the
// caller polls, so that it can keep its window responsive while it waits.
#pragma once

#include <cstdint>
#include <string_view>

namespace capsdub::platform {

// A started program. Move-only; releases its handles on destruction (the program itself
// keeps running).
class Process {
 public:
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  // Starts `command_line` (Shift-JIS; the first word names the program, Windows quoting
  // rules) with normal priority, no inherited handles, `working_folder` as its current
  // directory and a request to show its window in `show_state` (0 = hidden; on POSIX a
  // hidden program gets no terminal input or output). An empty Process when the program
  // cannot be started.
  static Process Start(std::string_view command_line, std::uint16_t show_state,
                       std::string_view working_folder);

  bool is_started() const { return started_; }
  // True once the program has ended (also for an empty Process). Never waits.
  bool HasEnded();

 private:
  void Release();

  bool started_ = false;
  bool ended_ = false;
  std::intptr_t process_ = -1;  // process HANDLE on Win32, process id on POSIX
  std::intptr_t thread_ = -1;   // main thread HANDLE on Win32, unused on POSIX
};

}  // namespace capsdub::platform
