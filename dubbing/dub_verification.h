// The read-back that guards a deletion: the written .mpg and .ssx read from disk again and
// compared, by byte count and content hash, with what the copy read from the segments.
#pragma once

#include <string>

#include "dubbing/capsule_copy.h"
#include "dubbing/dub_check.h"
#include "dubbing/dubbing_window.h"

namespace capsdub {

// Reads back the outputs of `copy` (a copy made with hashing) block by block, showing
// `title` + "ダビング検証中..." and the progress, yielding after every block like the copy.
// kMatch only when both files read back with exactly the bytes and hash written; an output
// that cannot be opened or read differs. A stop ends it with kStopped. Input/output errors
// other than a failed open leave as platform::IoError.
Verification VerifyDub(DubbingWindow& window, const CapsuleCopy& copy, const std::string& title);

}  // namespace capsdub
