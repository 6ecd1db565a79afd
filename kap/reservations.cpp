// Channels and reservations: the channel table listing, the reservation listing, creation of a
// reservation (a new empty capsule plus a timer entry recording into it) and its deletion.
#include "kap/reservations.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "kap/channel_aliases.h"
#include "kap/host_records.h"
#include "kap/kap_time.h"
#include "ui/text/sjis_literals.h"

namespace capsdub::kap {
namespace {

constexpr std::int64_t kMinimumLeadSeconds = 300;
constexpr std::int64_t kMinimumLengthSeconds = 180;
constexpr std::uint16_t kFallbackChannel = 103;  // asked for when no alias matches
constexpr char kCreatorText[] = "Orvan Kap SDK";
constexpr std::int32_t kDeleteForCaller = 0;
constexpr std::int32_t kDeleteForUndo = 1;

// Host recording mode for the interface's mode.
std::int32_t ModeToHost(std::uint16_t mode) {
  switch (mode) {
    case 1:
      return 0;
    case 2:
      return 1;
    default:
      return 2;
  }
}

// "<month>月<day>日<hour>時<minute, two digits>分 <channel name>"
std::string CapsuleNameFor(const KapTime& start, const std::string& channel_name) {
  char prefix[64];
  std::snprintf(prefix, sizeof(prefix), "%d月%d日%d時%02d分 ", start.month, start.day, start.hour,
                start.minute);
  return prefix + channel_name;
}

std::string FieldText(const char* field, std::size_t size) {
  return std::string(field, FieldLength(field, size));
}

// Describes reservation *cursor in `out`: mode, channel, title and memo of the capsule it
// records into, its own id, start and end.
std::int32_t DescribeReservation(HWND db, const std::int32_t* cursor, KapRecordInfo* out) {
  const ReserveRecord reservation = ReadReserveRecord(db, *cursor);
  if (!reservation) return kKapNoMoreEntries;
  const std::int32_t result = FillFromCapsule(db, reservation->tape_id, out);
  if (out != nullptr) {
    out->id = reservation->id;
    FromHostTime(reservation->start, out->start);
    FromHostTime(reservation->end, out->end);
  }
  return result;
}

}  // namespace

std::int32_t GetFirstChannel(std::int32_t* cursor, KapChannelInfo* out) {
  if (out == nullptr || out->version != 1) return kKapBadVersion;
  if (cursor == nullptr) return kKapNoMoreEntries;
  *cursor = 0;
  return GetNextChannel(cursor, out);
}

std::int32_t GetNextChannel(std::int32_t* cursor, KapChannelInfo* out) {
  if (out == nullptr || out->version != 1) return kKapBadVersion;
  if (cursor == nullptr || *cursor < 0 || *cursor >= static_cast<std::int32_t>(kChannelTableSize)) {
    return kKapNoMoreEntries;
  }
  const KapChannelInfo& entry = State().channels[static_cast<std::size_t>(*cursor)];
  if (entry.number == 0) return kKapNoMoreEntries;
  *out = entry;
  ++*cursor;
  return kKapOk;
}

std::int32_t GetFirstReservation(std::int32_t* cursor, KapRecordInfo* out) {
  if (cursor == nullptr) return kKapNoMoreEntries;
  const HWND db = Database();
  if (RVCRFirstReserve(db, cursor, 0) != 0 || *cursor == 0) return kKapNoMoreEntries;
  return DescribeReservation(db, cursor, out);
}

std::int32_t GetNextReservation(std::int32_t* cursor, KapRecordInfo* out) {
  if (cursor == nullptr) return kKapNoMoreEntries;
  const HWND db = Database();
  if (RVCRNextReserve(db, cursor, *cursor) != 0 || *cursor == 0) return kKapNoMoreEntries;
  return DescribeReservation(db, cursor, out);
}

std::int32_t SetReservation(KapRecordInfo* in) {
  if (!VersionsAreOne(in)) return kKapBadVersion;
  if (in->end.day != in->start.day) in->end.day = in->start.day;
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  const auto start = NormaliseTime(in->start, 0);
  const auto end = NormaliseTime(in->end, 0);
  if (!start || !end) return kKapBadParameters;
  if (*start - now < kMinimumLeadSeconds) return kKapTooClose;
  if (*end - *start < kMinimumLengthSeconds) return kKapBadParameters;
  const std::int32_t host_mode = ModeToHost(in->mode);

  const auto& channels = State().channels;
  std::size_t entry = 0;
  while (entry + 1 < channels.size() && channels[entry].number != in->channel.number &&
         channels[entry].number != 0) {
    ++entry;
  }
  in->channel = channels[entry];
  const std::string channel_name = FieldText(in->channel.name, sizeof(in->channel.name));

  std::string name = FieldText(in->title, sizeof(in->title));
  if (name.empty()) name = CapsuleNameFor(in->start, channel_name);

  // Everything that could fail to allocate is prepared before the host changes anything.
  const std::string memo = FieldText(in->memo, sizeof(in->memo));
  const HWND db = Database();
  std::int32_t tape_id = 0;
  const std::int32_t created =
      RVCRCreateTape(db, &tape_id, name.c_str(), 1, kCreatorText, 0, host_mode);
  if (created == kRvcrNameExists) return kKapNameExists;
  if (created == kRvcrNoMoreReservations) return kKapReservationLimit;
  if (created != 0) return kKapBadParameters;
  auto undo_capsule = [&] { RVCRDeleteTape(db, tape_id, kDeleteForUndo); };

  if (RVCRSetTapeMemo(db, tape_id, memo.c_str()) != 0 || RVCRGetTapeArea(db, tape_id) != 0) {
    undo_capsule();
    return kKapBadParameters;
  }

  NormaliseTime(in->start, 0);
  NormaliseTime(in->end, 0);
  std::int32_t reservation_id = 0;
  if (RVCRCreateReserve(db, &reservation_id, ToHostTime(in->start), ToHostTime(in->end), tape_id, 0,
                        0, in->channel.number, channel_name.c_str(), 0) != 0) {
    undo_capsule();
    return kKapBadParameters;
  }
  const ReserveRecord reservation = ReadReserveRecord(db, reservation_id);
  if (!reservation || reservation->disk_area == 0) {
    // The new reservation is taken back with its capsule, so that no reservation is left
    // recording into a deleted capsule.
    RVCRDeleteReserve(db, reservation_id, kDeleteForUndo);
    undo_capsule();
    return reservation ? kKapNoDiskSpace : kKapBadParameters;
  }
  return kKapOk;
}

std::int32_t SetReservationEx(KapRecordInfo* in) {
  const auto& aliases = ChannelAliases();
  if (in == nullptr) return kKapBadVersion;
  const std::string name = FieldText(in->channel.name, sizeof(in->channel.name));
  in->channel.number =
      static_cast<std::uint16_t>(FindChannelByAlias(aliases, name).value_or(kFallbackChannel));
  return SetReservation(in);
}

std::int32_t DeleteReservation(std::int32_t id) {
  const HWND db = Database();
  const ReserveRecord reservation = ReadReserveRecord(db, id);
  if (!reservation) return kKapNoSuchId;
  const TapeRecord capsule = ReadTapeRecord(db, reservation->tape_id);
  if (!capsule) return kKapNoSuchId;
  if (RVCRDeleteReserve(db, id, kDeleteForCaller) != 0) return kKapNoSuchId;
  if (RVCRDeleteTape(db, capsule->id, kDeleteForCaller) != 0) return kKapNoSuchId;
  return kKapOk;
}

}  // namespace capsdub::kap
