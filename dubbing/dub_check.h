// What a dub found out beyond its copied size: the segment files that did not reach the
// output whole, the output files as the copy wrote them, and the read-back that guards a
// deletion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capsdub {

enum class SegmentFault {
  kMissing,    // not there when its turn came ("が見つかりません.")
  kNotOpened,  // there, but the system would not open it
  kShortened,  // copied shorter than its size when the capsule's copy began
};

// A segment file of the capsule whose bytes are not all in the output.
struct SegmentShortfall {
  std::string path;
  SegmentFault fault = SegmentFault::kMissing;
  std::uint64_t size_at_start = 0;  // 0 when it was missing already then
  std::uint64_t copied = 0;
};

// One output file as the copy wrote it.
struct WrittenOutput {
  std::string path;  // empty when the copy did not write it
  std::uint64_t bytes = 0;
  std::uint64_t hash = 0;  // ContentHasher of the bytes written, when the copy hashed them
};

// The read-back of a dub before its deletion.
enum class Verification {
  kNotRun,    // "削除する" not ticked, or the dub did not reach the read-back
  kMatch,     // both outputs read back with the bytes and hash that the copy wrote
  kMismatch,  // an output could not be read or differs: nothing deleted
  kStopped,   // stopped during the read-back: nothing deleted
};

// The job's findings about one dubbed capsule, told to the window after its size check.
struct DubCheck {
  std::vector<SegmentShortfall> shortfalls;  // in list order; empty for a complete dub
  Verification verification = Verification::kNotRun;
  bool deletion_requested = false;  // the capsule was handed to the deleter

  bool complete() const { return shortfalls.empty(); }
};

}  // namespace capsdub
