// Profile files on Windows through the system's W profile functions. A profile file that this
// module creates starts as an empty UTF-16 file with a byte-order mark: the system then keeps
// it in UTF-16, so Japanese values survive whatever the system's ANSI code page is.
#include <windows.h>

#include <string>

#include "platform/codepage.h"
#include "platform/fault_checks.h"
#include "platform/profile.h"

namespace capsdub::platform {
namespace {

// Given as the default of a read, so that a missing key can be told from an empty value.
constexpr wchar_t kMissing[] = L"\uE000\uE001";

bool HasFolder(std::string_view file) {
  return file.find_first_of("\\/:") != std::string_view::npos;
}

std::wstring WindowsDirectory() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const UINT n = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (n == 0) return {};
    if (n < folder.size()) {
      folder.resize(n);
      return folder;
    }
    folder.resize(n);
  }
}

std::wstring WindowsProfilePath(std::string_view file) {
  std::wstring name = SjisToWide(file);
  if (HasFolder(file)) return name;
  std::wstring folder = WindowsDirectory();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder + name;
}

// Where the system puts a standard user's copy of a file in the Windows directory when it
// virtualises the writes of a 32-bit program without a requested execution level: the same
// path below the local application data's VirtualStore folder. A 64-bit program is never
// virtualised, so it keeps its settings there itself; both builds then share one copy. Empty
// for a name with a folder, or when the local application data folder is not known.
std::wstring VirtualStorePath(std::string_view file) {
  if (HasFolder(file)) return {};
  std::wstring local(MAX_PATH, L'\0');
  const DWORD n =
      ::GetEnvironmentVariableW(L"LOCALAPPDATA", local.data(), static_cast<DWORD>(local.size()));
  if (n == 0 || n >= local.size()) return {};
  local.resize(n);
  std::wstring windows = WindowsDirectory();
  if (windows.size() < 3 || windows[1] != L':' || windows[2] != L'\\') return {};
  windows.erase(0, 3);  // "C:\Windows" -> "Windows"
  if (!windows.empty() && windows.back() != L'\\') windows += L'\\';
  if (local.back() != L'\\') local += L'\\';
  return local + L"VirtualStore\\" + windows + SjisToWide(file);
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The file that reads and writes go to: the virtual-store copy once there is one, as on a
// system that virtualises, otherwise the file in the Windows directory (or the named file).
std::wstring WideProfilePath(std::string_view file) {
  const std::wstring store = VirtualStorePath(file);
  if (!store.empty() && FileExists(store)) return store;
  return WindowsProfilePath(file);
}

// Creates the folders of `path` that are missing.
void CreateFoldersOf(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
       at = path.find(L'\\', at + 1)) {
    ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
}

// Creates the file as UTF-16 with a byte-order mark when it does not exist yet. A file that
// exists keeps its encoding. A failure here is left to the write that follows to report.
void CreateAsUtf16(const std::wstring& path) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  static const unsigned char kBom[] = {0xFF, 0xFE};
  DWORD written = 0;
  const BOOL ok = ::WriteFile(h, kBom, sizeof kBom, &written, nullptr);
  ::CloseHandle(h);
  if (!ok || written != sizeof kBom) ::DeleteFileW(path.c_str());
}

// GetPrivateProfileStringW into a buffer that grows until the text fits. `slack` is how far
// below the buffer size a truncated result ends (1 for a value, 2 for a list of names).
std::wstring ReadWide(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                      const std::wstring& file, DWORD slack) {
  std::wstring buffer(256, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD n =
        ::GetPrivateProfileStringW(section, key, def, buffer.data(), size, file.c_str());
    if (n + slack < size || buffer.size() > (1u << 24)) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string ProfilePath(std::string_view file) {
  return WideToSjis(WideProfilePath(file));
}

std::optional<std::string> ReadProfileValue(std::string_view file, std::string_view section,
                                            std::string_view key) {
  const std::wstring value = ReadWide(SjisToWide(section).c_str(), SjisToWide(key).c_str(),
                                      kMissing, WideProfilePath(file), 1);
  if (value == kMissing) return std::nullopt;
  return WideToSjis(value);
}

std::vector<std::string> ReadProfileKeys(std::string_view file, std::string_view section) {
  const std::wstring names =
      ReadWide(SjisToWide(section).c_str(), nullptr, L"", WideProfilePath(file), 2);
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (start < names.size()) {
    std::size_t end = names.find(L'\0', start);
    if (end == std::wstring::npos) end = names.size();
    if (end > start)
      keys.push_back(WideToSjis(std::wstring_view(names).substr(start, end - start)));
    start = end + 1;
  }
  return keys;
}

namespace {

// Runs `write` on the profile file; when the Windows directory refuses a standard user, moves
// to the virtual-store copy (starting from the current file's contents) and writes there.
template <typename Write>
bool WriteWithVirtualStore(std::string_view file, bool create, Write write) {
  const std::wstring path = WideProfilePath(file);
  DWORD error = ERROR_ACCESS_DENIED;
  if (!detail::ProfileWriteDenied(WideToSjis(path))) {
    if (create) CreateAsUtf16(path);
    if (write(path)) return true;
    error = ::GetLastError();
  }
  const std::wstring store = VirtualStorePath(file);
  if (store.empty() || path == store ||
      (error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT))
    return false;
  CreateFoldersOf(store);
  if (FileExists(path)) {
    if (!::CopyFileW(path.c_str(), store.c_str(), TRUE)) return false;
    // The copy is the user's own file: it does not keep a read-only mark of the original.
    const DWORD attributes = ::GetFileAttributesW(store.c_str());
    ::SetFileAttributesW(store.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  } else if (create) {
    CreateAsUtf16(store);
  } else {
    return true;  // nothing to erase from
  }
  return write(store);
}

}  // namespace

bool WriteProfileValue(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value) {
  bool lossy_section = false, lossy_key = false, lossy_value = false;
  const std::wstring wide_section = SjisToWide(section, &lossy_section);
  const std::wstring wide_key = SjisToWide(key, &lossy_key);
  const std::wstring wide_value = SjisToWide(value, &lossy_value);
  const bool ok = WriteWithVirtualStore(file, true, [&](const std::wstring& path) {
    return ::WritePrivateProfileStringW(wide_section.c_str(), wide_key.c_str(), wide_value.c_str(),
                                        path.c_str()) != FALSE;
  });
  return ok && !lossy_section && !lossy_key && !lossy_value;
}

bool EraseProfileSection(std::string_view file, std::string_view section) {
  // The system reports success for a missing file or section; a new file is not made for it.
  const std::wstring wide_section = SjisToWide(section);
  return WriteWithVirtualStore(file, false, [&](const std::wstring& path) {
    return ::WritePrivateProfileStringW(wide_section.c_str(), nullptr, nullptr, path.c_str()) !=
           FALSE;
  });
}

}  // namespace capsdub::platform
