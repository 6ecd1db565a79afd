// Whole files as bytes, for the test programs: written at once, read back whole.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace capsdub::testing {

inline void WriteFileBytes(const std::string& path, std::string_view bytes) {
  platform::File file = platform::File::Create(path, platform::ShareMode::kReadWrite);
  file.Write(bytes.data(), bytes.size());
  file.Close();
}

// "" when the file is missing.
inline std::string ReadFileBytes(const std::string& path) {
  platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
  if (!file.is_open()) return {};
  std::string bytes;
  std::array<char, 65536> block{};
  while (const std::size_t n = file.Read(block.data(), block.size())) bytes.append(block.data(), n);
  return bytes;
}

}  // namespace capsdub::testing
