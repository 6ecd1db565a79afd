// The last-write time of a written file, set from a local date and time.
#pragma once

#include <string>

#include "platform/datetime.h"

namespace capsdub::samplegen {

// Throws platform::IoError when the time cannot be set.
void SetLastWriteTime(const std::string& path, const CivilDateTime& local);

}  // namespace capsdub::samplegen
