// Windows paths on POSIX: drive letters through a table, '\' as a separator, and names
// matched without regard to letter case so a data folder copied from Windows works as it is.
#include <dirent.h>
#include <sys/stat.h>

#include <array>
#include <cctype>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/posix/paths_internal.h"
#include "platform/posix_paths.h"

namespace capsdub::platform {
namespace {

std::array<std::string, 26>& DriveTable() {
  static std::array<std::string, 26> table;
  return table;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

// Appends `name` to `dir`, replaced by the entry of `dir` that matches it without regard to
// case when no entry has exactly that name.
std::string Join(const std::string& dir, const std::string& name) {
  std::string exact = dir;
  if (exact.empty() || exact.back() != '/') exact += '/';
  exact += name;
  if (name == "." || name == ".." || Exists(exact)) return exact;
  if (DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str())) {
    std::string found;
    while (const dirent* e = ::readdir(d)) {
      if (EqualsIgnoringCase(name, e->d_name)) {
        found = e->d_name;
        break;
      }
    }
    ::closedir(d);
    if (!found.empty()) {
      std::string result = dir;
      if (result.empty() || result.back() != '/') result += '/';
      return result + found;
    }
  }
  return exact;
}

}  // namespace

void SetDriveFolder(char letter, std::string folder) {
  const int c = std::toupper(static_cast<unsigned char>(letter));
  if (c < 'A' || c > 'Z') return;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  DriveTable()[c - 'A'] = std::move(folder);
}

void ClearDriveTable() {
  for (auto& entry : DriveTable()) entry.clear();
}

std::optional<std::string> MapPath(std::string_view sjis_path) {
  std::string path = SjisToUtf8(sjis_path);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::string root;
  std::string rest;
  if (!path.empty() && path[0] == '/') {
    root = "/";
    rest = path.substr(1);
  } else if (path.size() >= 2 && path[1] == ':' &&
             std::isalpha(static_cast<unsigned char>(path[0]))) {
    const std::string& folder =
        DriveTable()[std::toupper(static_cast<unsigned char>(path[0])) - 'A'];
    if (folder.empty()) return std::nullopt;
    root = folder;
    rest = path.substr(2);
  } else {
    root = ".";
    rest = path;
  }
  std::string result = root;
  std::size_t pos = 0;
  while (pos <= rest.size()) {
    const std::size_t slash = rest.find('/', pos);
    const std::size_t end = slash == std::string::npos ? rest.size() : slash;
    if (end > pos) result = Join(result, rest.substr(pos, end - pos));
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  // A trailing separator names a folder; keep it so that callers can tell.
  if (!rest.empty() && rest.back() == '/' && result.back() != '/') result += '/';
  return result;
}

std::string HostPath(std::string_view path) {
  return MapPath(path).value_or(std::string("/nonexistent-drive/") + std::string(path));
}

}  // namespace capsdub::platform
