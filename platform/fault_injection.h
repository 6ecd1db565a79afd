// Test seam: makes the platform layer fail the way real disks and busy files do, so that
// tests can reach error paths on any system. Production code never sets these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace capsdub::platform::testing {

struct Faults {
  // FreeBytes reports this value for every folder.
  std::optional<std::uint64_t> free_bytes;
  // FreeBytes of a folder whose path contains one of these texts reports that entry's value
  // (no value: the free space is unknown), before free_bytes; the first match counts.
  std::vector<std::pair<std::string, std::optional<std::uint64_t>>> free_bytes_by_path;
  // Opening for reading a path that contains this text fails as if another process had the
  // file open for writing (only for ShareMode::kRead opens).
  std::string locked_path_part;
  // Reads from a path containing this text fail once this many bytes have been read.
  std::string read_error_path_part;
  std::uint64_t read_error_after = 0;
  // Writes to a path containing this text fail (disk full) once this many bytes are written.
  std::string write_error_path_part;
  std::uint64_t write_error_after = 0;
};

Faults& ActiveFaults();
void ResetFaults();

}  // namespace capsdub::platform::testing
