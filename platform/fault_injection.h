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

  // Opening for reading a path that contains this text fails, whatever the share mode (a
  // file the system refuses to open).
  std::string open_error_path_part;
  // A path containing this text reads as ending after this many bytes, while its size stays
  // as it was: a file cut short after it was measured.
  std::string short_read_path_part;
  std::uint64_t short_read_after = 0;
  // Reading a path containing this text hands back the byte at this offset inverted: a file
  // changed on disk since it was written.
  std::string changed_byte_path_part;
  std::uint64_t changed_byte_offset = 0;

  // Writing a profile file whose path contains this text is refused (access denied), as the
  // Windows directory refuses a standard user.
  std::string profile_denied_path_part;
};

Faults& ActiveFaults();
void ResetFaults();

}  // namespace capsdub::platform::testing
