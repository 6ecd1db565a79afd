// Time services: the local time, sleeping, a monotonic clock for rates and time-outs.
#pragma once

#include <cstdint>

#include "platform/datetime.h"

namespace capsdub::platform {

DateTime Now();  // local time
void SleepMs(unsigned milliseconds);
std::uint64_t MonotonicMs();

}  // namespace capsdub::platform
