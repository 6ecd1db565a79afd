// Reading whole files through the platform layer.
#include "hostlibs/sim/file_edit.h"

#include "platform/files.h"

namespace capsdub::hostsim {

std::optional<std::string> ReadWholeFile(std::string_view path) {
  try {
    platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
    if (!file.is_open()) return std::nullopt;
    std::string data;
    char buffer[65536];
    while (const std::size_t n = file.Read(buffer, sizeof buffer)) data.append(buffer, n);
    return data;
  } catch (const platform::IoError&) {
    return std::nullopt;
  }
}

}  // namespace capsdub::hostsim
