// In-place writes, appends and whole-file replacement with the Win32 file functions.
#include <windows.h>

#include <algorithm>

#include "hostlibs/sim/file_edit.h"
#include "platform/codepage.h"

namespace capsdub::hostsim {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (ok()) CloseHandle(h_);
  }
  bool ok() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  // Closes now and reports whether the system accepted the close.
  bool Close() {
    const bool closed = ok() && CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view data) {
  while (!data.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(h, data.data(), chunk, &written, nullptr) || written == 0) return false;
    data.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool WriteAt(std::string_view path, std::uint64_t offset, std::string_view data) {
  Handle file(CreateFileW(platform::SjisToWide(path).c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return false;
  return WriteAll(file.get(), data) && file.Close();
}

bool AppendTo(std::string_view path, std::string_view data) {
  Handle file(CreateFileW(platform::SjisToWide(path).c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.ok()) return false;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return false;
  return WriteAll(file.get(), data) && file.Close();
}

bool ReplaceWholeFile(std::string_view path, std::string_view data) {
  const std::wstring target = platform::SjisToWide(path);
  const std::wstring temporary = target + L".standin-tmp";
  {
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) return false;
    if (!WriteAll(file.get(), data) || !file.Close()) {
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace capsdub::hostsim
