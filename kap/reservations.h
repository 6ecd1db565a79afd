// Channels and reservations: the operations behind KAP.dll's channel and reservation exports.
#pragma once

#include <cstdint>

#include "kap/kap.h"

namespace capsdub::kap {

std::int32_t GetFirstChannel(std::int32_t* cursor, KapChannelInfo* out);
std::int32_t GetNextChannel(std::int32_t* cursor, KapChannelInfo* out);
std::int32_t GetFirstReservation(std::int32_t* cursor, KapRecordInfo* out);
std::int32_t GetNextReservation(std::int32_t* cursor, KapRecordInfo* out);
std::int32_t SetReservation(KapRecordInfo* in);
std::int32_t SetReservationEx(KapRecordInfo* in);
std::int32_t DeleteReservation(std::int32_t id);

}  // namespace capsdub::kap
