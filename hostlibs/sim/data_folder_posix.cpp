// Looking the host folder up in the environment (there is no registry on POSIX). The value is
// UTF-8 like every POSIX text; the core works in Shift-JIS.
#include <cstdlib>

#include "hostlibs/sim/data_folder.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace capsdub::hostsim {

std::optional<std::string> FindHostFolder() {
  const char* value = std::getenv(kDataFolderVariable);
  if (value == nullptr || *value == '\0') return std::nullopt;
  std::optional<std::string> sjis = platform::Utf8ToSjis(value);
  if (!sjis || !platform::FolderExists(*sjis)) return std::nullopt;
  return sjis;
}

}  // namespace capsdub::hostsim
