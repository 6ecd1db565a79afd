// Looking the host folder up in the environment and in the registry.
#include <windows.h>

#include <vector>

#include "hostlibs/sim/data_folder.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace capsdub::hostsim {
namespace {

std::optional<std::wstring> FromEnvironment() {
  const std::wstring name = platform::SjisToWide(kDataFolderVariable);
  const DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::vector<wchar_t> buffer(needed);
  const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer.data(), needed);
  if (length == 0 || length >= needed) return std::nullopt;
  return std::wstring(buffer.data(), length);
}

std::optional<std::wstring> FromRegistry() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTessalyKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<std::wstring> result;
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, kDataFolderValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0 && bytes < 65536) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = bytes;
    if (RegQueryValueExW(key, kDataFolderValue, nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
      // The stored string need not carry its terminator; the extra element supplies one.
      result = std::wstring(buffer.data());
    }
  }
  RegCloseKey(key);
  return result;
}

}  // namespace

std::optional<std::string> FindHostFolder() {
  std::optional<std::wstring> folder = FromEnvironment();
  if (!folder || folder->empty()) folder = FromRegistry();
  if (!folder || folder->empty()) return std::nullopt;
  bool lossy = false;
  std::string sjis = platform::WideToSjis(*folder, &lossy);
  if (lossy || !platform::FolderExists(sjis)) return std::nullopt;
  return sjis;
}

}  // namespace capsdub::hostsim
