// In-place writes, appends and whole-file replacement with the POSIX file functions; paths go
// through the drive table like every other path of the core.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "hostlibs/sim/file_edit.h"
#include "platform/posix_paths.h"

namespace capsdub::hostsim {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  int get() const { return fd_; }
  bool Close() {
    const bool closed = fd_ >= 0 && ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data, off_t offset, bool positioned) {
  while (!data.empty()) {
    const ssize_t n = positioned ? ::pwrite(fd, data.data(), data.size(), offset)
                                 : ::write(fd, data.data(), data.size());
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return true;
}

}  // namespace

bool WriteAt(std::string_view path, std::uint64_t offset, std::string_view data) {
  Descriptor file(::open(platform::HostPath(path).c_str(), O_WRONLY | O_CLOEXEC));
  return file.ok() && WriteAll(file.get(), data, static_cast<off_t>(offset), true) && file.Close();
}

bool AppendTo(std::string_view path, std::string_view data) {
  Descriptor file(
      ::open(platform::HostPath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  return file.ok() && WriteAll(file.get(), data, 0, false) && file.Close();
}

bool ReplaceWholeFile(std::string_view path, std::string_view data) {
  const std::string target = platform::HostPath(path);
  const std::string temporary = target + ".standin-tmp";
  {
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.ok()) return false;
    if (!WriteAll(file.get(), data, 0, false) || !file.Close()) {
      ::unlink(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace capsdub::hostsim
