// Recorded capsules and disk space: the operations behind KAP.dll's capsule exports.
#pragma once

#include <cstdint>

#include "kap/kap.h"

namespace capsdub::kap {

std::int32_t GetFirstRecorded(std::int32_t* cursor, KapRecordInfo* out);
std::int32_t GetNextRecorded(std::int32_t* cursor, KapRecordInfo* out);
std::int32_t DeleteRecorded(std::int32_t id);
std::int32_t SetMemoRecorded(std::int32_t id, const char* memo);
std::int32_t SetNameRecorded(std::int32_t id, const char* name);
std::int32_t GetDiskSpaceLeft(std::uint64_t* bytes);
std::int32_t GetDiskSpaceRequired(std::int32_t mode, std::uint32_t minutes, std::uint64_t* bytes);

}  // namespace capsdub::kap
