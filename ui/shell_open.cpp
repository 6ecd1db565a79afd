// The shell's "open" action on a file or web address.
#include "ui/shell_open.h"

#include "ui/text/sjis.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/codepage.h"
#endif

namespace capsdub {

std::string ShellWorkingFolder(std::string_view target) {
  std::size_t end = 0;  // length of the folder part found so far
  for (std::size_t pos = 0; pos < target.size();) {
    const std::size_t length = CharLengthAt(target, pos);
    if (length == 1 && (target[pos] == '\\' || target[pos] == ':')) end = pos + 1;
    pos += length;
  }
  return std::string(target.substr(0, end));
}

#ifdef _WIN32
void ShellOpen(std::string_view target, std::string_view parameters) {
  const std::wstring file = platform::SjisToWide(target);
  const std::wstring arguments = platform::SjisToWide(parameters);
  const std::wstring folder = platform::SjisToWide(ShellWorkingFolder(target));
  ShellExecuteW(nullptr, L"open", file.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
}
#endif

}  // namespace capsdub
