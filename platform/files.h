// File-system services of the portable core. Paths are Shift-JIS byte strings in Windows form
// ("D:\Reel Keeper\0012-001.ssg"); on POSIX they are mapped through the drive table
// (see posix_paths.h), and a path that begins with '/' is used as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"

namespace capsdub::platform {

// An input/output error on a file: the operation that failed and the system's reason.
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What other processes may do with a file while this process holds it open.
enum class ShareMode {
  kRead,       // others may read but not write
  kReadWrite,  // others may read and write
};

// An open file. Move-only; closes on destruction.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens an existing file for reading only. An empty File when it cannot be opened
  // (missing, locked, not a file).
  static File OpenForRead(std::string_view path, ShareMode share);
  // Creates a file, or truncates an existing one, for writing. Throws IoError on failure.
  static File Create(std::string_view path, ShareMode share);

  bool is_open() const { return handle_ != kNoHandle; }
  const std::string& path() const { return path_; }

  // Reads up to `size` bytes; returns how many were read, 0 at the end. Throws IoError.
  std::size_t Read(void* buffer, std::size_t size);
  // Writes all bytes or throws IoError (a short write is an error: a full disk).
  void Write(const void* data, std::size_t size);
  // Current size of the open file. Throws IoError.
  std::uint64_t Size() const;
  // Closes the file; throws IoError when the system reports a failure at close.
  void Close();

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;  // HANDLE on Win32, file descriptor on POSIX
  std::string path_;
  std::uint64_t bytes_read_ = 0;     // for injected read faults
  std::uint64_t bytes_written_ = 0;  // for injected write faults
};

// One file found by ListFiles.
struct DirEntry {
  std::string name;  // file name without folder, Shift-JIS
  std::uint64_t size = 0;
  DateTime last_write;  // local time
};

bool FileExists(std::string_view path);  // an existing file, not a folder
bool FolderExists(std::string_view path);
std::optional<std::uint64_t> FileSizeOf(std::string_view path);
bool DeleteFileAt(std::string_view path);
// Creates a folder and any missing parents; true when it exists afterwards.
bool CreateFolders(std::string_view path);

// Files (no folders) of `folder` whose names match `pattern` under the Windows wildcard rules
// ('?' one character, '*' any run, case-insensitive). A folder that cannot be read lists
// nothing. The order is the file system's; on POSIX names are sorted as NTFS returns them.
std::vector<DirEntry> ListFiles(std::string_view folder, std::string_view pattern);
// The Windows wildcard test of one name, used by ListFiles on POSIX.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Free bytes, for this user, of the drive that holds `folder`; nullopt when unknown.
std::optional<std::uint64_t> FreeBytes(std::string_view folder);

std::string CurrentDirectory();
bool SetCurrentDirectory(std::string_view path);

// Makes the current directory of its making current again when it goes out of scope, however
// the scope ends, unless Keep() was called.
class CurrentDirectoryRestorer {
 public:
  CurrentDirectoryRestorer();
  CurrentDirectoryRestorer(const CurrentDirectoryRestorer&) = delete;
  CurrentDirectoryRestorer& operator=(const CurrentDirectoryRestorer&) = delete;
  ~CurrentDirectoryRestorer();
  void Keep() { keep_ = true; }  // the directory made current meanwhile stays

 private:
  std::string remembered_;  // empty when it could not be had: nothing to restore
  bool keep_ = false;
};

// Full path of the running program's executable, and its folder with a trailing separator.
std::string ProgramPath();
std::string ProgramFolder();

}  // namespace capsdub::platform
