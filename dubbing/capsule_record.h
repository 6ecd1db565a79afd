// The capsule record file (.sdb) written into an open file; the copy creates the file itself
// so that it knows which outputs it made.
#pragma once

#include <string>

#include "dubbing/dubbing_window.h"
#include "platform/files.h"

namespace capsdub {

// Lines 1 to 6 make exactly this many bytes, the memo line this many.
constexpr std::size_t kRecordHeaderSize = 2048;
constexpr std::size_t kMemoLineSize = 5120;

// Writes the capsule record of `number` into `sdb` (created empty by the caller); leaves it
// empty, with a red status message, when the tape database is missing or busy.
void WriteCapsuleRecord(DubbingWindow& window, platform::File& sdb, const std::string& number);

}  // namespace capsdub
