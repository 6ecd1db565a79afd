// Recorded capsules: listing, deletion, memo and name, disk space; and the description of a
// capsule in a KapRecordInfo that the reservation listing shares.
#include "kap/recorded.h"

#include <cstring>

#include "kap/host_records.h"
#include "kap/kap_time.h"

namespace capsdub::kap {
namespace {

constexpr std::uint32_t kMillisecondsPerMinute = 60000;
constexpr std::size_t kMemoTextLimit = 3839;  // bytes of memo text handed back

// Recording mode of the interface (1-3) for the host's code (0-2).
std::uint16_t ModeFromHost(std::int32_t host_mode) {
  switch (host_mode) {
    case 0:
      return 1;
    case 1:
      return 2;
    default:
      return 3;
  }
}

bool Listable(const RvcrTapeInfo& record) {
  return record.state_a == 0 && record.state_b == 0;
}

// Moves *cursor on until it names a listable capsule, then fills `out` from it.
std::int32_t ListFromCursor(HWND db, std::int32_t* cursor, KapRecordInfo* out) {
  for (;;) {
    if (*cursor == 0) return kKapNoMoreEntries;
    bool listable = false;
    if (TapeRecord record = ReadTapeRecord(db, *cursor)) listable = Listable(*record);
    if (listable) return FillFromCapsule(db, *cursor, out);
    if (RVCRNextTape(db, cursor, *cursor, 0) != 0) return kKapNoMoreEntries;
  }
}

}  // namespace

TapeRecord ReadTapeRecord(HWND db, std::int32_t id) {
  RvcrTapeInfo* record = nullptr;
  if (RVCRGetTapeInfo(db, id, &record) != 0) record = nullptr;
  return TapeRecord(record, TapeRecordRelease{db});
}

ReserveRecord ReadReserveRecord(HWND db, std::int32_t id) {
  RvcrReserveInfo* record = nullptr;
  if (RVCRGetReserveInfo(db, id, &record) != 0) record = nullptr;
  return ReserveRecord(record, ReserveRecordRelease{db});
}

bool VersionsAreOne(const KapRecordInfo* record) {
  return record != nullptr && record->version == 1 && record->start.version == 1 &&
         record->end.version == 1 && record->channel.version == 1;
}

std::int32_t FillFromCapsule(HWND db, std::int32_t id, KapRecordInfo* out) {
  if (!VersionsAreOne(out)) return kKapBadVersion;
  const TapeRecord record = ReadTapeRecord(db, id);
  if (!record) return kKapNoMoreEntries;
  out->id = record->id;
  FromHostTime(record->start, out->start);
  out->end = out->start;
  NormaliseTime(out->end, record->length_ms / kMillisecondsPerMinute);
  out->mode = ModeFromHost(record->mode);
  out->channel.number = record->channel;
  out->channel.number2 = record->channel;
  CopyCut(out->channel.name, sizeof(out->channel.name), record->channel_name);
  CopyCut(out->title, sizeof(out->title), record->name);
  CopyCut(out->memo, sizeof(out->memo), record->memo);
  out->memo[kMemoTextLimit] = '\0';
  return kKapOk;
}

std::int32_t GetFirstRecorded(std::int32_t* cursor, KapRecordInfo* out) {
  if (cursor == nullptr) return kKapNoMoreEntries;
  const HWND db = Database();
  if (RVCRFirstTape(db, cursor, 0) != 0 || *cursor == 0) return kKapNoMoreEntries;
  bool listable = false;
  {
    const TapeRecord record = ReadTapeRecord(db, *cursor);
    if (!record) return kKapNoMoreEntries;
    listable = Listable(*record);
  }
  if (listable) return FillFromCapsule(db, *cursor, out);
  return GetNextRecorded(cursor, out);
}

std::int32_t GetNextRecorded(std::int32_t* cursor, KapRecordInfo* out) {
  if (cursor == nullptr) return kKapNoMoreEntries;
  const HWND db = Database();
  if (RVCRNextTape(db, cursor, *cursor, 0) != 0) return kKapNoMoreEntries;
  return ListFromCursor(db, cursor, out);
}

std::int32_t DeleteRecorded(std::int32_t id) {
  return RVCRDeleteTape(Database(), id, 0) == 0 ? kKapOk : kKapNoSuchId;
}

std::int32_t SetMemoRecorded(std::int32_t id, const char* memo) {
  if (memo == nullptr) return kKapNoSuchId;
  return RVCRSetTapeMemo(Database(), id, memo) == 0 ? kKapOk : kKapNoSuchId;
}

std::int32_t SetNameRecorded(std::int32_t id, const char* name) {
  if (name == nullptr) return kKapNoSuchId;
  return RVCRSetTapeName(Database(), id, name) == 0 ? kKapOk : kKapNoSuchId;
}

std::int32_t GetDiskSpaceLeft(std::uint64_t* bytes) {
  if (bytes == nullptr) return kKapNoMoreEntries;
  RvcrMediaInfo media{};  // stays zero when the host supplies nothing
  std::uint32_t count1 = 0;
  std::uint32_t count2 = 0;
  std::uint32_t count3 = 0;
  RVCRGetTotalMediaInfo(Database(), &media, &count1, &count2, &count3);
  const std::uint64_t free_bytes = media.free_bytes;
  std::memcpy(bytes, &free_bytes, sizeof(free_bytes));
  return kKapOk;
}

std::int32_t GetDiskSpaceRequired(std::int32_t mode, std::uint32_t minutes, std::uint64_t* bytes) {
  if (bytes == nullptr) return kKapNoMoreEntries;
  std::uint64_t required = 0;
  if (minutes != 0) {
    if (mode < 1 || mode > 3) return kKapBadMode;
    const std::int32_t host_mode = mode - 1;
    const HWND db = Database();
    auto space_for = [&](std::uint32_t span) {
      std::uint64_t a = 0;
      std::uint64_t b = 0;
      RVCRCalcDiskSpaceFromTime(db, span * kMillisecondsPerMinute, host_mode, &a, &b);
      return a + b;
    };
    // The host takes milliseconds in 32 bits; longer recordings are asked for in the longest
    // spans that fit and summed.
    constexpr std::uint32_t kLongestSpan = UINT32_MAX / kMillisecondsPerMinute;
    const std::uint32_t full_spans = minutes / kLongestSpan;
    const std::uint32_t rest = minutes % kLongestSpan;
    if (full_spans != 0) required = full_spans * space_for(kLongestSpan);
    if (rest != 0) required += space_for(rest);
  }
  std::memcpy(bytes, &required, sizeof(required));
  return kKapOk;
}

}  // namespace capsdub::kap
