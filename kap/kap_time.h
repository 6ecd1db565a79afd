// Time normalisation of KapTime values through the C library's local-time conversion.
#pragma once

#include <cstdint>
#include <optional>

#include "kap/host/rkdb.h"
#include "kap/kap.h"

namespace capsdub::kap {

// Adds `minutes` to `time` as a local calendar time with daylight saving time taken as not in
// effect (month 0 read as January), normalises it with the C library, and writes the normalised
// year, month, day, hour and minute back (the version word is left alone). Returns the seconds
// since 1970-01-01, or nullopt, leaving `time` unchanged, when the C library cannot represent
// the time.
std::optional<std::int64_t> NormaliseTime(KapTime& time, std::int64_t minutes);

// The host's form of a (normalised) time; the two trailing bytes are 0.
RvcrDateTime ToHostTime(const KapTime& time);

// Copies the host's year, month, day, hour and minute into `time` (its version word is kept).
void FromHostTime(const RvcrDateTime& host, KapTime& time);

}  // namespace capsdub::kap
