// File-system services on Windows through the W functions; Shift-JIS paths are converted to
// UTF-16 at this boundary.
#include <windows.h>
// windows.h maps SetCurrentDirectory to SetCurrentDirectoryW; the platform function keeps its name.
#undef SetCurrentDirectory

#include <algorithm>
#include <string>
#include <utility>

#include "platform/codepage.h"
#include "platform/fault_checks.h"
#include "platform/files.h"
#include "platform/posix_paths.h"

namespace capsdub::platform {
namespace {

HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

DWORD ShareFlags(ShareMode share) {
  return share == ShareMode::kRead ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
}

std::string Reason(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(error);
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
    message.pop_back();
  }
  return WideToSjis(message);
}

DateTime LocalTimeOf(const FILETIME& utc) {
  FILETIME local{};
  SYSTEMTIME st{};
  ::FileTimeToLocalFileTime(&utc, &local);
  ::FileTimeToSystemTime(&local, &st);
  return MakeDateTime(
      {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

DWORD Attributes(std::string_view path) {
  return ::GetFileAttributesW(SjisToWide(path).c_str());
}

}  // namespace

File::File(File&& other) noexcept {
  *this = std::move(other);
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (is_open()) ::CloseHandle(AsHandle(handle_));
    handle_ = std::exchange(other.handle_, kNoHandle);
    path_ = std::move(other.path_);
    bytes_read_ = other.bytes_read_;
    bytes_written_ = other.bytes_written_;
  }
  return *this;
}

File::~File() {
  if (is_open()) ::CloseHandle(AsHandle(handle_));
}

File File::OpenForRead(std::string_view path, ShareMode share) {
  File file;
  if ((share == ShareMode::kRead && detail::OpenLocked(std::string(path))) ||
      detail::OpenRefused(std::string(path))) {
    return file;
  }
  HANDLE h =
      ::CreateFileW(SjisToWide(path).c_str(), GENERIC_READ, ShareFlags(share), nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return file;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::CloseHandle(h);
    return file;
  }
  file.handle_ = reinterpret_cast<std::intptr_t>(h);
  file.path_ = std::string(path);
  return file;
}

File File::Create(std::string_view path, ShareMode share) {
  HANDLE h = ::CreateFileW(SjisToWide(path).c_str(), GENERIC_WRITE, ShareFlags(share), nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw IoError(std::string(path) + ": " + Reason(::GetLastError()));
  File file;
  file.handle_ = reinterpret_cast<std::intptr_t>(h);
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
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(allowed - total, 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(handle_), out + total, chunk, &got, nullptr)) {
      throw IoError(path_ + ": " + Reason(::GetLastError()));
    }
    if (got == 0) break;
    total += got;
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
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(allowed - total, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(AsHandle(handle_), in + total, chunk, &put, nullptr)) {
      throw IoError(path_ + ": " + Reason(::GetLastError()));
    }
    if (put == 0) break;
    total += put;
  }
  bytes_written_ += total;
  if (total < size) throw IoError(path_ + ": " + Reason(ERROR_DISK_FULL));
}

std::uint64_t File::Size() const {
  LARGE_INTEGER size{};
  if (!is_open() || !::GetFileSizeEx(AsHandle(handle_), &size)) {
    throw IoError(path_ + ": cannot read the size");
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

void File::Close() {
  if (!is_open()) return;
  HANDLE h = AsHandle(std::exchange(handle_, kNoHandle));
  if (!::CloseHandle(h)) throw IoError(path_ + ": " + Reason(::GetLastError()));
}

bool FileExists(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> FileSizeOf(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(SjisToWide(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool DeleteFileAt(std::string_view path) {
  return ::DeleteFileW(SjisToWide(path).c_str()) != 0;
}

bool CreateFolders(std::string_view path) {
  std::wstring wide = SjisToWide(path);
  for (std::size_t i = 0; i <= wide.size(); ++i) {
    if (i == wide.size() || wide[i] == L'\\' || wide[i] == L'/') {
      const std::wstring prefix = wide.substr(0, i);
      if (prefix.empty() || prefix.back() == L':') continue;
      ::CreateDirectoryW(prefix.c_str(), nullptr);
    }
  }
  return FolderExists(path);
}

std::vector<DirEntry> ListFiles(std::string_view folder, std::string_view pattern) {
  std::vector<DirEntry> entries;
  // Joined in UTF-16: a Shift-JIS second byte may equal '\\'.
  std::wstring query = SjisToWide(folder);
  if (!query.empty() && query.back() != L'\\' && query.back() != L'/') query += L'\\';
  query += SjisToWide(pattern);
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileW(query.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    entries.push_back({WideToSjis(data.cFileName),
                       (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                       LocalTimeOf(data.ftLastWriteTime)});
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return entries;
}

std::optional<std::uint64_t> FreeBytes(std::string_view folder) {
  if (std::optional<std::uint64_t> injected;
      detail::InjectedFreeBytes(std::string(folder), injected)) {
    return injected;
  }
  ULARGE_INTEGER available{};
  const std::wstring wide = SjisToWide(folder);
  if (!::GetDiskFreeSpaceExW(wide.empty() ? nullptr : wide.c_str(), &available, nullptr, nullptr)) {
    return std::nullopt;
  }
  return available.QuadPart;
}

std::string CurrentDirectory() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(n, L'\0');
  const DWORD got = ::GetCurrentDirectoryW(n, buffer.data());
  buffer.resize(got);
  return WideToSjis(buffer);
}

bool SetCurrentDirectory(std::string_view path) {
  return ::SetCurrentDirectoryW(SjisToWide(path).c_str()) != 0;
}

namespace {

std::wstring ModulePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string ProgramPath() {
  return WideToSjis(ModulePath());
}

std::string ProgramFolder() {
  const std::wstring path = ModulePath();
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : WideToSjis(path.substr(0, slash + 1));
}

void SetDriveFolder(char, std::string) {}
void ClearDriveTable() {}
std::string HostPath(std::string_view path) {
  return std::string(path);
}

}  // namespace capsdub::platform
