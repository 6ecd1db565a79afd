// The dubbing utilities: naming, waiting, unquoting, running a program, path pieces.
#include "dubbing/dub_utils.h"

#include <cmath>
#include <cstdio>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "ui/text/sjis.h"
#include "ui/text/sjis_literals.h"

namespace capsdub {

namespace {

// The half-width characters that a file name cannot hold, with their full-width Shift-JIS
// forms. None of the replacements has one of these bytes as its second byte, so one pass
// gives the same result as replacing them one kind after the other.
struct Replacement {
  char from;
  const char* to;
};
constexpr Replacement kReplacements[] = {
    {'\\', "￥"}, {'/', "／"}, {':', "："}, {',', "，"}, {';', "；"}, {'*', "＊"},
    {'?', "？"},  {'"', "”"},  {'<', "＜"}, {'>', "＞"}, {'|', "｜"},
};

bool IsSeparator(char c) {
  return c == '\\' || c == '/' || c == ':';
}

}  // namespace

std::string TitleToFileName(const std::string& title) {
  std::string result;
  result.reserve(title.size());
  for (std::size_t i = 0; i < title.size();) {
    const std::size_t length = CharLengthAt(title, i);
    const Replacement* found = nullptr;
    if (length == 1) {
      for (const Replacement& r : kReplacements) {
        if (title[i] == r.from) found = &r;
      }
    }
    if (found != nullptr) {
      result += found->to;
    } else {
      result.append(title, i, length);
    }
    i += length;
  }
  return result;
}

void WaitSeconds(double seconds, WindowPort& window) {
  const double steps = std::trunc(seconds * 100);
  if (!(steps > 0)) return;  // also NaN
  for (double i = 0; i < steps; ++i) {
    platform::SleepMs(10);
    window.YieldToUi();
  }
}

std::string Unquote(const std::string& text) {
  if (text.empty() || text.front() != '"') return text;
  std::string rest = text.substr(1);
  if (rest.empty() || rest.back() != '"') return text;
  rest.pop_back();
  std::string result;
  result.reserve(rest.size());
  for (std::size_t i = 0; i < rest.size(); ++i) {
    result += rest[i];
    if (rest[i] == '"' && i + 1 < rest.size() && rest[i + 1] == '"') ++i;
  }
  return result;
}

void RunAndWait(const std::string& command_line, std::uint16_t show_state, WindowPort& window) {
  platform::Process process =
      platform::Process::Start(command_line, show_state, platform::ProgramFolder());
  if (!process.is_started()) return;
  while (!process.HasEnded()) {
    platform::SleepMs(100);
    window.YieldToUi();
  }
}

std::size_t FileNameStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t length = CharLengthAt(path, i);
    if (length == 1 && IsSeparator(path[i])) start = i + 1;
    i += length;
  }
  return start;
}

std::string FolderOf(std::string_view path) {
  return std::string(path.substr(0, FileNameStart(path)));
}

std::string FileNameOf(std::string_view path) {
  return std::string(path.substr(FileNameStart(path)));
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
  const std::size_t start = FileNameStart(path);
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = start; i < path.size();) {
    const std::size_t length = CharLengthAt(path, i);
    if (length == 1 && path[i] == '.') dot = i;
    i += length;
  }
  std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
  result += extension;
  return result;
}

std::string WithoutTrailingSeparator(std::string_view folder) {
  if (folder.empty() || FileNameStart(folder) != folder.size()) return std::string(folder);
  const std::size_t last = folder.size() - 1;
  if (folder[last] == ':') return std::string(folder);                   // "D:"
  if (last == 0 || folder[last - 1] == ':') return std::string(folder);  // "\" or "D:\"
  return std::string(folder.substr(0, last));
}

std::string FormatThousands(double value, std::string_view separator, std::size_t width) {
  const double rounded = std::round(value);
  std::string digits;
  if (std::isfinite(rounded)) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(rounded));
    digits = buffer;
  } else {
    digits = "0";
  }
  std::string grouped = rounded < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  if (grouped.size() >= width) return grouped;
  return std::string(width - grouped.size(), ' ') + grouped;
}

}  // namespace capsdub
