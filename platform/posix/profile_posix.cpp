// Profile files on POSIX: a small INI reader and writer that behaves like the Windows profile
// functions for what CapsDub stores. Files are UTF-8 with CR LF line ends; each change
// rewrites the file through a temporary file and a rename, so a failed write leaves the old
// file whole.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "platform/codepage.h"
#include "platform/posix_paths.h"
#include "platform/profile.h"

namespace capsdub::platform {
namespace {

namespace fs = std::filesystem;

bool HasFolder(std::string_view file) {
  return file.find_first_of("\\/:") != std::string_view::npos;
}

std::string ProfileFolder() {
  if (const char* dir = std::getenv("CAPSDUB_PROFILE_DIR"); dir != nullptr && *dir != '\0') {
    return dir;
  }
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    return std::string(xdg) + "/capsdub";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return std::string(home) + "/.config/capsdub";
  }
  return ".";
}

fs::path PosixProfilePath(std::string_view file) {
  if (HasFolder(file)) return fs::path(HostPath(file));
  return fs::path(ProfileFolder()) / SjisToUtf8(file);
}

std::string_view TrimBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The section name of a line "[name]", or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos || close == 0) return std::nullopt;
  return TrimBlanks(line.substr(1, close - 1));
}

// The key of a line "key=value" (or of a bare "key"); nullopt for blank and comment lines.
std::optional<std::string_view> KeyOf(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() == ';' || line.front() == '[') return std::nullopt;
  return TrimBlanks(line.substr(0, line.find('=')));
}

std::string_view ValueOf(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  std::string_view value = TrimBlanks(line.substr(eq + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

struct Lines {
  std::vector<std::string> lines;
  bool ok = true;  // false when an existing file could not be read
};

Lines Load(const fs::path& path) {
  Lines result;
  std::error_code ec;
  if (!fs::exists(path, ec)) return result;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.ok = false;
    return result;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    result.lines.push_back(std::move(line));
  }
  if (in.bad()) result.ok = false;
  return result;
}

bool Save(const fs::path& path, const std::vector<std::string>& lines) {
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  const fs::path temp = path.string() + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const std::string& line : lines) out << line << "\r\n";
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

// Where `section` starts (its header line) and ends (the next header or the end).
struct SectionRange {
  std::size_t header = 0;
  std::size_t end = 0;
};

std::optional<SectionRange> FindSection(const std::vector<std::string>& lines,
                                        std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionOf(lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionOf(lines[end])) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

}  // namespace

std::string ProfilePath(std::string_view file) {
  return PosixProfilePath(file).string();
}

std::optional<std::string> ReadProfileValue(std::string_view file, std::string_view section,
                                            std::string_view key) {
  const Lines file_lines = Load(PosixProfilePath(file));
  const std::string utf8_section = SjisToUtf8(section);
  const std::string utf8_key = SjisToUtf8(key);
  const auto range = FindSection(file_lines.lines, utf8_section);
  if (!range) return std::nullopt;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const auto name = KeyOf(file_lines.lines[i]);
    if (!name || !SameName(*name, utf8_key)) continue;
    // Text that code page 932 cannot hold counts as not stored.
    return Utf8ToSjis(ValueOf(file_lines.lines[i]));
  }
  return std::nullopt;
}

std::vector<std::string> ReadProfileKeys(std::string_view file, std::string_view section) {
  const Lines file_lines = Load(PosixProfilePath(file));
  std::vector<std::string> keys;
  const auto range = FindSection(file_lines.lines, SjisToUtf8(section));
  if (!range) return keys;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const auto name = KeyOf(file_lines.lines[i]);
    if (!name || name->empty()) continue;
    if (auto sjis = Utf8ToSjis(*name)) keys.push_back(std::move(*sjis));
  }
  return keys;
}

bool WriteProfileValue(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value) {
  bool lossy_section = false, lossy_key = false, lossy_value = false;
  const std::string utf8_section = SjisToUtf8(section, &lossy_section);
  const std::string utf8_key = SjisToUtf8(key, &lossy_key);
  const std::string utf8_value = SjisToUtf8(value, &lossy_value);
  const fs::path path = PosixProfilePath(file);
  Lines file_lines = Load(path);
  if (!file_lines.ok) return false;  // never replace a file that could not be read
  std::vector<std::string>& lines = file_lines.lines;
  const std::string entry = utf8_key + "=" + utf8_value;

  if (const auto range = FindSection(lines, utf8_section)) {
    std::size_t last_key = range->header;
    bool replaced = false;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
      const auto name = KeyOf(lines[i]);
      if (!name) continue;
      last_key = i;
      if (SameName(*name, utf8_key)) {
        lines[i] = std::string(*name) + "=" + utf8_value;  // the key keeps its spelling
        replaced = true;
        break;
      }
    }
    if (!replaced) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_key + 1), entry);
  } else {
    if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + utf8_section + "]");
    lines.push_back(entry);
  }
  return Save(path, lines) && !lossy_section && !lossy_key && !lossy_value;
}

bool EraseProfileSection(std::string_view file, std::string_view section) {
  const fs::path path = PosixProfilePath(file);
  Lines file_lines = Load(path);
  if (!file_lines.ok) return false;
  std::vector<std::string>& lines = file_lines.lines;
  const auto range = FindSection(lines, SjisToUtf8(section));
  if (!range) return true;
  std::size_t begin = range->header;
  // The blank line that set the section apart goes with it.
  if (begin > 0 && TrimBlanks(lines[begin - 1]).empty()) --begin;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin),
              lines.begin() + static_cast<std::ptrdiff_t>(range->end));
  return Save(path, lines);
}

}  // namespace capsdub::platform
