// File-system services on POSIX. Share modes cannot be enforced here; the test seam stands in
// for a file that another process holds open for writing.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/codepage.h"
#include "platform/fault_checks.h"
#include "platform/files.h"
#include "platform/posix/paths_internal.h"

namespace capsdub::platform {
namespace {

std::string Reason(int error) {
  return std::strerror(error);
}

DateTime LocalFileTime(const struct stat& st) {
  tm local{};
  ::localtime_r(&st.st_mtim.tv_sec, &local);
  return MakeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                       local.tm_min, local.tm_sec, static_cast<int>(st.st_mtim.tv_nsec / 1000000)});
}

std::string Fold(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return r;
}

}  // namespace

File::File(File&& other) noexcept {
  *this = std::move(other);
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (is_open()) ::close(static_cast<int>(handle_));
    handle_ = std::exchange(other.handle_, kNoHandle);
    path_ = std::move(other.path_);
    bytes_read_ = other.bytes_read_;
    bytes_written_ = other.bytes_written_;
  }
  return *this;
}

File::~File() {
  if (is_open()) ::close(static_cast<int>(handle_));
}

File File::OpenForRead(std::string_view path, ShareMode share) {
  File file;
  const auto mapped = MapPath(path);
  if (!mapped || (share == ShareMode::kRead && detail::OpenLocked(std::string(path))) ||
      detail::OpenRefused(std::string(path))) {
    return file;
  }
  const int fd = ::open(mapped->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return file;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return file;
  }
  file.handle_ = fd;
  file.path_ = std::string(path);
  return file;
}

File File::Create(std::string_view path, ShareMode) {
  const auto mapped = MapPath(path);
  if (!mapped) throw IoError(std::string(path) + ": no such drive");
  const int fd = ::open(mapped->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw IoError(std::string(path) + ": " + Reason(errno));
  NoteCreated(*mapped);
  File file;
  file.handle_ = fd;
  file.path_ = std::string(path);
  return file;
}

std::size_t File::Read(void* buffer, std::size_t size) {
  if (!is_open()) throw IoError(path_ + ": file not open");
  bool fail = false;
  const std::size_t allowed = detail::ShortenedRead(
      path_, bytes_read_, detail::AllowedRead(path_, bytes_read_, size, fail));
  if (fail) throw IoError(path_ + ": read error");
  auto* out = static_cast<char*>(buffer);
  std::size_t total = 0;
  while (total < allowed) {
    const ssize_t n = ::read(static_cast<int>(handle_), out + total, allowed - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(path_ + ": " + Reason(errno));
    }
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
  }
  detail::ChangeReadByte(path_, bytes_read_, out, total);
  bytes_read_ += total;
  return total;
}

void File::Write(const void* data, std::size_t size) {
  if (!is_open()) throw IoError(path_ + ": file not open");
  const std::size_t allowed = detail::AllowedWrite(path_, bytes_written_, size);
  const auto* in = static_cast<const char*>(data);
  std::size_t total = 0;
  while (total < allowed) {
    const ssize_t n = ::write(static_cast<int>(handle_), in + total, allowed - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError(path_ + ": " + Reason(errno));
    }
    total += static_cast<std::size_t>(n);
  }
  bytes_written_ += total;
  if (total < size) throw IoError(path_ + ": " + Reason(ENOSPC));
}

std::uint64_t File::Size() const {
  struct stat st {};
  if (!is_open() || ::fstat(static_cast<int>(handle_), &st) != 0) {
    throw IoError(path_ + ": cannot read the size");
  }
  return static_cast<std::uint64_t>(st.st_size);
}

void File::Close() {
  if (!is_open()) return;
  const int fd = static_cast<int>(std::exchange(handle_, kNoHandle));
  if (::close(fd) != 0) throw IoError(path_ + ": " + Reason(errno));
}

bool FileExists(std::string_view path) {
  const auto mapped = MapPath(path);
  struct stat st {};
  return mapped && ::stat(mapped->c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(std::string_view path) {
  const auto mapped = MapPath(path);
  struct stat st {};
  return mapped && ::stat(mapped->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> FileSizeOf(std::string_view path) {
  const auto mapped = MapPath(path);
  struct stat st {};
  if (!mapped || ::stat(mapped->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool DeleteFileAt(std::string_view path) {
  const auto mapped = MapPath(path);
  return mapped && ::unlink(mapped->c_str()) == 0;
}

bool CreateFolders(std::string_view path) {
  const auto mapped = MapPath(path);
  if (!mapped) return false;
  std::string p = *mapped;
  for (std::size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      const std::string prefix = p.substr(0, i);
      if (::mkdir(prefix.c_str(), 0755) == 0) {
        NoteCreated(prefix);
      } else if (errno != EEXIST) {
        return false;
      }
    }
  }
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<DirEntry> ListFiles(std::string_view folder, std::string_view pattern) {
  std::vector<DirEntry> entries;
  const auto mapped = MapPath(folder);
  if (!mapped) return entries;
  DIR* dir = ::opendir(mapped->c_str());
  if (!dir) return entries;
  // Each entry is looked up relative to the open folder, not through its whole path.
  const int dir_fd = ::dirfd(dir);
  std::vector<std::string> folded;
  while (const dirent* e = ::readdir(dir)) {
    const auto name = Utf8ToSjis(e->d_name);
    if (!name) continue;
    if (!WildcardMatch(pattern, *name)) continue;
    struct stat st {};
    if (::fstatat(dir_fd, e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    folded.push_back(Fold(*name));
    entries.push_back({*name, static_cast<std::uint64_t>(st.st_size), LocalFileTime(st)});
  }
  ::closedir(dir);
  // NTFS lists a folder in the order of its names compared without case.
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&folded](std::size_t a, std::size_t b) { return folded[a] < folded[b]; });
  std::vector<DirEntry> sorted;
  sorted.reserve(entries.size());
  for (std::size_t i : order) sorted.push_back(std::move(entries[i]));
  return sorted;
}

std::optional<std::uint64_t> FreeBytes(std::string_view folder) {
  if (std::optional<std::uint64_t> injected;
      detail::InjectedFreeBytes(std::string(folder), injected)) {
    return injected;
  }
  auto mapped = MapPath(folder.empty() ? std::string_view(".") : folder);
  if (!mapped) return std::nullopt;
  struct statvfs vfs {};
  if (::statvfs(mapped->c_str(), &vfs) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (!::getcwd(buffer.data(), buffer.size())) return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return Utf8ToSjis(buffer).value_or(buffer);
}

bool SetCurrentDirectory(std::string_view path) {
  const auto mapped = MapPath(path);
  return mapped && ::chdir(mapped->c_str()) == 0;
}

std::string ProgramPath() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  buffer.resize(static_cast<std::size_t>(n));
  return Utf8ToSjis(buffer).value_or(buffer);
}

std::string ProgramFolder() {
  std::string path = ProgramPath();
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace capsdub::platform
