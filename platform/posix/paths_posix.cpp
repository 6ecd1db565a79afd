// Windows paths on POSIX: drive letters through a table, '\' as a separator, and names
// matched without regard to letter case so a data folder copied from Windows works as it is.
#include <dirent.h>
#include <sys/stat.h>

#include <array>
#include <cctype>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

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

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

// The names of the folders met so far, by their names folded to lower case, each with the
// folder's modification time when it was read. A folder is read again only when it changed
// other than through this process's own creations, so that creating many files in one folder
// does not read it again for each file. A name that another program gives a folder within
// the same tick of the file-system clock as this process's last look is seen only after the
// folder changes again; the exact name is always tried first, so this only delays matching a
// name that differs in letter case.
class FolderNameCache {
 public:
  std::optional<std::string> Find(const std::string& dir, const std::string& name) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    if (folders_.size() > 1024 && folders_.count(dir) == 0) folders_.clear();
    Names& names = folders_[dir];
    if (!SameTime(names.mtime, st.st_mtim)) {
      Read(dir, names);
      names.mtime = st.st_mtim;
    }
    const auto it = names.by_folded.find(Folded(name));
    if (it == names.by_folded.end()) return std::nullopt;
    return it->second;
  }

  // Records a file or folder that this process has just created in `dir`.
  void NoteCreated(const std::string& dir, const std::string& name) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = folders_.find(dir);
    if (it == folders_.end()) return;
    it->second.by_folded.emplace(Folded(name), name);
    it->second.mtime = st.st_mtim;
  }

 private:
  struct Names {
    timespec mtime{-1, 0};
    std::unordered_map<std::string, std::string> by_folded;  // first entry of each folded name
  };

  static bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
  }

  void Read(const std::string& dir, Names& names) {
    names.by_folded.clear();
    if (DIR* d = ::opendir(dir.c_str())) {
      while (const dirent* e = ::readdir(d)) names.by_folded.emplace(Folded(e->d_name), e->d_name);
      ::closedir(d);
    }
  }

  std::mutex mutex_;
  std::unordered_map<std::string, Names> folders_;
};

FolderNameCache& NameCache() {
  static FolderNameCache cache;
  return cache;
}

// Appends `name` to `dir`, replaced by the entry of `dir` that matches it without regard to
// case when no entry has exactly that name.
std::string Join(const std::string& dir, const std::string& name) {
  std::string result = dir.empty() ? std::string("/") : dir;
  if (result.back() != '/') result += '/';
  const std::string exact = result + name;
  if (name == "." || name == ".." || Exists(exact)) return exact;
  const auto found = NameCache().Find(dir.empty() ? std::string("/") : dir, name);
  return found ? result + *found : exact;
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
  // Calls `add(name)` for each name of `rest`, in order.
  const auto for_each_name = [&rest](auto&& add) {
    std::size_t pos = 0;
    while (pos <= rest.size()) {
      const std::size_t slash = rest.find('/', pos);
      const std::size_t end = slash == std::string::npos ? rest.size() : slash;
      if (end > pos) add(rest.substr(pos, end - pos));
      if (slash == std::string::npos) break;
      pos = slash + 1;
    }
  };
  // A path that exists exactly as given needs no name matched: one look-up instead of one per
  // name.
  std::string result = root;
  for_each_name([&result](const std::string& name) {
    if (result.empty() || result.back() != '/') result += '/';
    result += name;
  });
  if (result == root || !Exists(result)) {
    result = root;
    for_each_name([&result](const std::string& name) { result = Join(result, name); });
  }
  // A trailing separator names a folder; keep it so that callers can tell.
  if (!rest.empty() && rest.back() == '/' && result.back() != '/') result += '/';
  return result;
}

void NoteCreated(const std::string& posix_path) {
  const auto slash = posix_path.find_last_of('/');
  if (slash == std::string::npos) {
    NameCache().NoteCreated(".", posix_path);
  } else {
    NameCache().NoteCreated(slash == 0 ? "/" : posix_path.substr(0, slash),
                            posix_path.substr(slash + 1));
  }
}

std::string HostPath(std::string_view path) {
  return MapPath(path).value_or(std::string("/nonexistent-drive/") + std::string(path));
}

}  // namespace capsdub::platform
