// How both sides of the platform layer apply the injected faults of the test seam.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/fault_injection.h"

namespace capsdub::platform::detail {

inline bool Matches(const std::string& path, const std::string& part) {
  return !part.empty() && path.find(part) != std::string::npos;
}

inline bool OpenLocked(const std::string& path) {
  return Matches(path, testing::ActiveFaults().locked_path_part);
}

// The injected free space of `folder`: false when none is injected, else `bytes` is set.
inline bool InjectedFreeBytes(const std::string& folder, std::optional<std::uint64_t>& bytes) {
  const auto& f = testing::ActiveFaults();
  for (const auto& [part, value] : f.free_bytes_by_path) {
    if (Matches(folder, part)) {
      bytes = value;
      return true;
    }
  }
  if (!f.free_bytes) return false;
  bytes = f.free_bytes;
  return true;
}

// How many of `wanted` bytes may be read after `done`; sets `fail` when the read must fail.
inline std::size_t AllowedRead(const std::string& path, std::uint64_t done, std::size_t wanted,
                               bool& fail) {
  const auto& f = testing::ActiveFaults();
  fail = false;
  if (!Matches(path, f.read_error_path_part)) return wanted;
  if (done >= f.read_error_after) {
    fail = true;
    return 0;
  }
  const std::uint64_t left = f.read_error_after - done;
  return left < wanted ? static_cast<std::size_t>(left) : wanted;
}

// As AllowedRead, for writes (a full disk).
inline std::size_t AllowedWrite(const std::string& path, std::uint64_t done, std::size_t wanted) {
  const auto& f = testing::ActiveFaults();
  if (!Matches(path, f.write_error_path_part)) return wanted;
  if (done >= f.write_error_after) return 0;
  const std::uint64_t left = f.write_error_after - done;
  return left < wanted ? static_cast<std::size_t>(left) : wanted;
}

inline bool ProfileWriteDenied(const std::string& path) {
  return Matches(path, testing::ActiveFaults().profile_denied_path_part);
}

inline bool OpenRefused(const std::string& path) {
  return Matches(path, testing::ActiveFaults().open_error_path_part);
}

// How many of `wanted` bytes a file cut short lets a read at `done` have.
inline std::size_t ShortenedRead(const std::string& path, std::uint64_t done, std::size_t wanted) {
  const auto& f = testing::ActiveFaults();
  if (!Matches(path, f.short_read_path_part)) return wanted;
  if (done >= f.short_read_after) return 0;
  const std::uint64_t left = f.short_read_after - done;
  return left < wanted ? static_cast<std::size_t>(left) : wanted;
}

// Inverts the changed byte when it lies in the `got` bytes just read at `done`.
inline void ChangeReadByte(const std::string& path, std::uint64_t done, char* data,
                           std::size_t got) {
  const auto& f = testing::ActiveFaults();
  if (!Matches(path, f.changed_byte_path_part)) return;
  if (f.changed_byte_offset >= done && f.changed_byte_offset - done < got) {
    data[f.changed_byte_offset - done] = static_cast<char>(~data[f.changed_byte_offset - done]);
  }
}

}  // namespace capsdub::platform::detail
