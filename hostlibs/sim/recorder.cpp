// The simulated recorder: capsules, reservations, media and channels on the host's files.
#include "hostlibs/sim/recorder.h"

#include <algorithm>
#include <limits>
#include <set>

#include "hostlibs/sim/file_edit.h"
#include "hostlibs/store/store_writer.h"
#include "hostlibs/store/tape_record.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "ui/text/text_utils.h"

namespace capsdub::hostsim {

using hoststore::kTapeHeaderRecords;
using hoststore::kTapeRecordSize;

namespace {

hoststore::Minute LocalNow() {
  const CivilDateTime now = DecodeDateTime(platform::Now());
  return hoststore::Minute{now.year, now.month, now.day, now.hour, now.minute};
}

bool IsAbsolute(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\") || path.starts_with("/");
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::uint32_t LengthMs(const hoststore::Reservation& r) {
  const std::int64_t minutes =
      hoststore::MinutesSinceEpoch(r.end) - hoststore::MinutesSinceEpoch(r.start);
  if (minutes <= 0) return 0;
  return static_cast<std::uint32_t>(
      std::min<std::int64_t>(minutes * 60000, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

struct Recorder::TapeFile {
  std::string path;
  std::string bytes;
  bool exists = false;

  std::size_t SlotCount() const { return bytes.size() / kTapeRecordSize; }
  std::string_view Record(std::size_t slot) const {
    return std::string_view(bytes).substr(slot * kTapeRecordSize, kTapeRecordSize);
  }
  // The first slot holding the capsule (the first record of a number wins, as in CapsDub).
  std::optional<std::size_t> SlotOf(std::int32_t id) const {
    if (id < 1 || id > hoststore::kMaxCapsuleId) return std::nullopt;
    const std::string number = hoststore::CapsuleNumberOf(id);
    for (std::size_t slot = kTapeHeaderRecords; slot < SlotCount(); ++slot) {
      if (Record(slot).substr(0, 4) == number) return slot;
    }
    return std::nullopt;
  }
  std::set<std::int32_t> Ids() const {
    std::set<std::int32_t> ids;
    for (std::size_t slot = kTapeHeaderRecords; slot < SlotCount(); ++slot) {
      if (const auto id = hoststore::CapsuleIdOf(Record(slot).substr(0, 4))) ids.insert(*id);
    }
    return ids;
  }
  // A file the library may add records to: whole records and the four header records.
  bool Appendable() const {
    return bytes.size() % kTapeRecordSize == 0 &&
           (bytes.empty() || SlotCount() >= kTapeHeaderRecords);
  }
};

Recorder::Recorder(std::string host) : host_(std::move(host)) {}

Status Recorder::Fail(Status status, std::string what) {
  last_error_ = std::move(what);
  return status;
}

Status Recorder::LoadTape(TapeFile& tape) {
  tape.path = hoststore::TapeDatabasePathOf(host_);
  auto bytes = ReadWholeFile(tape.path);
  if (!bytes) {
    if (platform::FileExists(tape.path)) return Fail(kIoError, "cannot read " + tape.path);
    tape.exists = false;
    tape.bytes.clear();
    return kOk;  // no tape database yet: no capsules
  }
  tape.exists = true;
  tape.bytes = std::move(*bytes);
  return kOk;
}

Status Recorder::WriteRecord(TapeFile& tape, std::size_t slot, const std::string& record) {
  if (slot < tape.SlotCount()) {
    if (!WriteAt(tape.path, slot * kTapeRecordSize, record)) {
      return Fail(kIoError, "cannot write " + tape.path);
    }
    tape.bytes.replace(slot * kTapeRecordSize, kTapeRecordSize, record);
    return kOk;
  }
  if (!tape.Appendable()) {
    return Fail(kCorrupt, tape.path + " is not a whole number of records after its header");
  }
  std::string data;
  if (tape.bytes.empty()) {
    const std::string folder = WithTrailingBackslash(host_) + "RKDB";
    if (!platform::CreateFolders(folder)) return Fail(kIoError, "cannot create " + folder);
    for (std::size_t i = 0; i < kTapeHeaderRecords; ++i) {
      data += hoststore::NewHeaderRecord(static_cast<int>(i));
    }
  }
  data += record;
  if (!AppendTo(tape.path, data)) return Fail(kIoError, "cannot append to " + tape.path);
  tape.bytes += data;
  tape.exists = true;
  return kOk;
}

Status Recorder::LoadReservations(std::vector<hoststore::Reservation>& out) {
  const std::string path = hoststore::StandInPathOf(host_, hoststore::kReservationsFile);
  const auto text = ReadWholeFile(path);
  out.clear();
  if (!text) {
    if (platform::FileExists(path)) return Fail(kIoError, "cannot read " + path);
    return kOk;
  }
  auto parsed = hoststore::ParseReservations(*text);
  if (!parsed.ok()) {
    return Fail(kCorrupt,
                path + " line " + std::to_string(parsed.error->line) + ": " + parsed.error->what);
  }
  out = std::move(parsed.value);
  return kOk;
}

Status Recorder::SaveReservations(const std::vector<hoststore::Reservation>& reservations) {
  const std::string folder = hoststore::StandInPathOf(host_, hoststore::kStandInFolder);
  const std::string path = hoststore::StandInPathOf(host_, hoststore::kReservationsFile);
  if (!platform::CreateFolders(folder)) return Fail(kIoError, "cannot create " + folder);
  if (!ReplaceWholeFile(path, hoststore::FormatReservations(reservations))) {
    return Fail(kIoError, "cannot write " + path);
  }
  return kOk;
}

Status Recorder::LoadMedia(hoststore::MediaSettings& out) {
  const std::string path = hoststore::StandInPathOf(host_, hoststore::kMediaFile);
  const auto text = ReadWholeFile(path);
  out = hoststore::MediaSettings{};
  if (!text) {
    if (platform::FileExists(path)) return Fail(kIoError, "cannot read " + path);
    return kOk;  // defaults
  }
  auto parsed = hoststore::ParseMediaSettings(*text);
  if (!parsed.ok()) {
    return Fail(kCorrupt,
                path + " line " + std::to_string(parsed.error->line) + ": " + parsed.error->what);
  }
  out = parsed.value;
  return kOk;
}

std::vector<char> Recorder::MediaLetters() {
  std::vector<char> media;
  if (const auto text = ReadWholeFile(hoststore::MediaFilePathOf(host_))) {
    media = hoststore::ParseMediaList(*text);
  }
  if (media.empty()) media.push_back('D');  // what CapsDub assumes without a media file
  return media;
}

std::uint64_t Recorder::ReservedBytes(const std::vector<hoststore::Reservation>& reservations,
                                      const TapeFile& tape, const hoststore::MediaSettings& media) {
  std::uint64_t total = 0;
  for (const hoststore::Reservation& r : reservations) {
    if (!r.disk_area) continue;
    int mode = 0;
    if (const auto slot = tape.SlotOf(r.capsule)) {
      const auto fields = hoststore::ReadTapeRecord(tape.Record(*slot));
      if (fields.extras) mode = fields.extras->mode;
    }
    const hoststore::DiskSpace space = hoststore::SpaceForLength(media, LengthMs(r), mode);
    total += space.video + space.index;
  }
  return total;
}

Status Recorder::FirstTape(std::int32_t* id) {
  return NextTape(0, id);
}

Status Recorder::NextTape(std::int32_t current, std::int32_t* id) {
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  const std::set<std::int32_t> ids = tape.Ids();
  const auto next = ids.upper_bound(current);
  *id = next == ids.end() ? 0 : *next;
  return kOk;
}

Status Recorder::GetTape(std::int32_t id, TapeInfo& out) {
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  const auto slot = tape.SlotOf(id);
  if (!slot) return Fail(kNotFound, "no capsule " + std::to_string(id));
  const hoststore::TapeFields fields = hoststore::ReadTapeRecord(tape.Record(*slot));
  out = TapeInfo{};
  out.id = id;
  out.name = fields.title;
  out.channel_name = fields.channel_name;
  out.start = fields.start;
  if (fields.extras) {
    out.mode = fields.extras->mode;
    out.channel = fields.extras->channel;
    out.state_a = fields.extras->state_a;
    out.state_b = fields.extras->state_b;
    out.length_ms = fields.extras->length_ms;
  } else {
    // A record written by Reel Keeper itself: the channel number from the channel table.
    std::vector<hoststore::Channel> channels;
    if (GetChannels(channels) == kOk) {
      for (const hoststore::Channel& c : channels) {
        if (c.name == fields.channel_name) {
          out.channel = c.number;
          break;
        }
      }
    }
    last_error_.clear();
  }
  if (out.length_ms == 0 && fields.size > 0) {
    hoststore::MediaSettings media;
    if (const Status s = LoadMedia(media); s != kOk) return s;
    out.length_ms = hoststore::LengthForSize(media, fields.size, out.mode);
  }
  const std::string number = hoststore::CapsuleNumberOf(id);
  if (const auto ext = ReadWholeFile(hoststore::ExtensionPathOf(host_, number))) {
    out.memo = hoststore::MemoOfExtension(*ext);
  }
  return kOk;
}

Status Recorder::CreateTape(std::string_view name, std::int32_t mode, std::int32_t* id) {
  if (mode < 0 || mode >= hoststore::kModeCount) {
    return Fail(kBadArgument, "recording mode " + std::to_string(mode));
  }
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  if (!tape.Appendable()) {
    return Fail(kCorrupt, tape.path + " is not a whole number of records after its header");
  }
  hoststore::MediaSettings media;
  if (const Status s = LoadMedia(media); s != kOk) return s;

  // The title as it will read back, compared with the capsules' titles.
  const std::string title =
      hoststore::ReadTapeRecord(hoststore::NewTapeRecord(1, name, {}, {})).title;
  int waiting = 0;
  std::optional<std::size_t> empty_slot;
  for (std::size_t slot = kTapeHeaderRecords; slot < tape.SlotCount(); ++slot) {
    const std::string_view record = tape.Record(slot);
    if (hoststore::IsEmptySlot(record)) {
      if (!empty_slot) empty_slot = slot;
      continue;
    }
    const hoststore::TapeFields fields = hoststore::ReadTapeRecord(record);
    if (!title.empty() && fields.title == title) {
      return Fail(kNameExists, "a capsule named like this exists: " + fields.number);
    }
    if (fields.extras && fields.extras->state_a == 1) ++waiting;
  }
  if (waiting >= media.reservation_limit) {
    return Fail(kNoMoreReservations, "reservation limit reached");
  }
  const std::set<int> used = hoststore::UsedCapsuleIds(host_);
  int new_id = 1;
  while (new_id <= hoststore::kMaxCapsuleId && used.count(new_id) != 0) ++new_id;
  if (new_id > hoststore::kMaxCapsuleId) return Fail(kNoMoreReservations, "no capsule number left");

  const std::string ext_folder = WithTrailingBackslash(host_) + "RKDB\\TapeExt";
  const std::string ext_path =
      hoststore::ExtensionPathOf(host_, hoststore::CapsuleNumberOf(new_id));
  if (!platform::CreateFolders(ext_folder) ||
      !ReplaceWholeFile(ext_path, *hoststore::ExtensionWithMemo("", ""))) {
    return Fail(kIoError, "cannot write " + ext_path);
  }
  const hoststore::TapeExtras extras{mode, 0, 1, 0, 0};
  const std::string record = hoststore::NewTapeRecord(new_id, name, LocalNow(), extras);
  if (const Status s = WriteRecord(tape, empty_slot.value_or(tape.SlotCount()), record); s != kOk) {
    platform::DeleteFileAt(ext_path);
    return s;
  }
  *id = new_id;
  return kOk;
}

Status Recorder::SetTapeMemo(std::int32_t id, std::string_view memo) {
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  if (!tape.SlotOf(id)) return Fail(kNotFound, "no capsule " + std::to_string(id));
  const std::string path = hoststore::ExtensionPathOf(host_, hoststore::CapsuleNumberOf(id));
  const auto old = ReadWholeFile(path);
  if (!old && platform::FileExists(path)) return Fail(kIoError, "cannot read " + path);
  const auto updated = hoststore::ExtensionWithMemo(old.value_or(""), memo);
  if (!updated) return Fail(kCorrupt, path + ": its segment lines run into the memo block");
  const std::string folder = WithTrailingBackslash(host_) + "RKDB\\TapeExt";
  if (!platform::CreateFolders(folder) || !ReplaceWholeFile(path, *updated)) {
    return Fail(kIoError, "cannot write " + path);
  }
  return kOk;
}

Status Recorder::SetTapeName(std::int32_t id, std::string_view name) {
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  const auto slot = tape.SlotOf(id);
  if (!slot) return Fail(kNotFound, "no capsule " + std::to_string(id));
  std::string record(tape.Record(*slot));
  hoststore::SetTitle(record, name);
  return WriteRecord(tape, *slot, record);
}

Status Recorder::GetTapeArea(std::int32_t id) {
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  if (!tape.SlotOf(id)) return Fail(kNotFound, "no capsule " + std::to_string(id));
  MediaTotals totals;
  if (const Status s = GetMediaTotals(totals); s != kOk) return s;
  if (totals.free_bytes == 0) return Fail(kNoDiskSpace, "no free space on the media");
  return kOk;
}

Status Recorder::DeleteTape(std::int32_t id) {
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  const auto slot = tape.SlotOf(id);
  if (!slot) return Fail(kNotFound, "no capsule " + std::to_string(id));
  const std::string number = hoststore::CapsuleNumberOf(id);
  const std::string host = WithTrailingBackslash(host_);
  const std::string ext_path = hoststore::ExtensionPathOf(host_, number);

  // The segment files: those the extension file names and those on the media named after
  // the capsule. Only names of this capsule's segments are ever deleted, whatever the
  // extension file says.
  std::vector<std::string> files;
  const auto ext = ReadWholeFile(ext_path);
  if (ext) {
    for (const std::string& line : hoststore::SegmentLinesOf(*ext)) {
      if (hoststore::IsSegmentFileOf(line, number)) {
        files.push_back(IsAbsolute(line) ? line : host + line);
      }
    }
  }
  std::vector<std::string> folders{host};
  for (char medium : MediaLetters()) folders.push_back(hoststore::MediaFolderOf(host_, medium));
  for (const std::string& folder : folders) {
    for (const platform::DirEntry& e : platform::ListFiles(folder, number + "-???.*")) {
      if (hoststore::IsSegmentFileOf(e.name, number)) files.push_back(folder + e.name);
    }
  }
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    return UpperAscii(a) < UpperAscii(b);
  });
  files.erase(std::unique(files.begin(), files.end(),
                          [](const std::string& a, const std::string& b) {
                            return UpperAscii(a) == UpperAscii(b);
                          }),
              files.end());
  std::string undeleted;
  for (const std::string& file : files) {
    if (!platform::DeleteFileAt(file) && platform::FileExists(file)) undeleted += " " + file;
  }
  if (!undeleted.empty()) return Fail(kIoError, "cannot delete" + undeleted);
  if (!platform::DeleteFileAt(ext_path) && platform::FileExists(ext_path)) {
    return Fail(kIoError, "cannot delete " + ext_path);
  }
  if (const Status s = WriteRecord(tape, *slot, hoststore::EmptySlotRecord()); s != kOk) return s;

  // Reservations that would record into the deleted capsule go with it.
  std::vector<hoststore::Reservation> reservations;
  if (LoadReservations(reservations) == kOk) {
    const auto removed = std::erase_if(
        reservations, [id](const hoststore::Reservation& r) { return r.capsule == id; });
    if (removed > 0) SaveReservations(reservations);
  }
  last_error_.clear();
  return kOk;
}

Status Recorder::FirstReserve(std::int32_t* id) {
  return NextReserve(0, id);
}

Status Recorder::NextReserve(std::int32_t current, std::int32_t* id) {
  std::vector<hoststore::Reservation> reservations;
  if (const Status s = LoadReservations(reservations); s != kOk) return s;
  std::int32_t next = 0;
  for (const hoststore::Reservation& r : reservations) {
    if (r.id > current && (next == 0 || r.id < next)) next = r.id;
  }
  *id = next;
  return kOk;
}

Status Recorder::GetReserve(std::int32_t id, hoststore::Reservation& out) {
  std::vector<hoststore::Reservation> reservations;
  if (const Status s = LoadReservations(reservations); s != kOk) return s;
  for (const hoststore::Reservation& r : reservations) {
    if (r.id == id) {
      out = r;
      return kOk;
    }
  }
  return Fail(kNotFound, "no reservation " + std::to_string(id));
}

Status Recorder::CreateReserve(const hoststore::Minute& start, const hoststore::Minute& end,
                               std::int32_t tape_id, std::uint16_t channel,
                               std::string_view channel_name, std::int32_t* id) {
  if (!hoststore::IsValidMinute(start) || !hoststore::IsValidMinute(end) || !(start < end)) {
    return Fail(kBadArgument, "reservation times out of range or end not after start");
  }
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  const auto slot = tape.SlotOf(tape_id);
  if (!slot) return Fail(kNotFound, "no capsule " + std::to_string(tape_id));
  std::vector<hoststore::Reservation> reservations;
  if (const Status s = LoadReservations(reservations); s != kOk) return s;
  hoststore::MediaSettings media;
  if (const Status s = LoadMedia(media); s != kOk) return s;

  hoststore::Reservation r;
  for (const hoststore::Reservation& other : reservations) r.id = std::max(r.id, other.id);
  if (r.id == std::numeric_limits<std::int32_t>::max())
    return Fail(kFailed, "no reservation id left");
  r.id += 1;
  r.capsule = tape_id;
  r.start = start;
  r.end = end;
  r.channel = channel;
  r.channel_name = hoststore::CutToBytes(channel_name, hoststore::kReserveChannelNameMax);
  for (char& c : r.channel_name) {
    if (c == '\r' || c == '\n') c = ' ';
  }

  std::string record(tape.Record(*slot));
  hoststore::TapeExtras extras =
      hoststore::ReadTapeRecord(record).extras.value_or(hoststore::TapeExtras{});
  const std::uint64_t total =
      media.free_bytes ? *media.free_bytes : platform::FreeBytes(host_).value_or(0);
  const std::uint64_t held = ReservedBytes(reservations, tape, media);
  const std::uint64_t available = total > held ? total - held : 0;
  const hoststore::DiskSpace needed = hoststore::SpaceForLength(media, LengthMs(r), extras.mode);
  r.disk_area = needed.video + needed.index <= available;

  const std::vector<hoststore::Reservation> before = reservations;
  reservations.push_back(r);
  if (const Status s = SaveReservations(reservations); s != kOk) return s;

  // The capsule now describes the recording it waits for.
  extras.channel = channel;
  extras.length_ms = LengthMs(r);
  hoststore::SetStart(record, start);
  hoststore::SetChannelName(record, r.channel_name);
  hoststore::SetExtras(record, extras);
  if (const Status s = WriteRecord(tape, *slot, record); s != kOk) {
    const std::string what = last_error_;
    SaveReservations(before);
    return Fail(s, what);
  }
  *id = r.id;
  return kOk;
}

Status Recorder::DeleteReserve(std::int32_t id) {
  std::vector<hoststore::Reservation> reservations;
  if (const Status s = LoadReservations(reservations); s != kOk) return s;
  if (std::erase_if(reservations, [id](const hoststore::Reservation& r) { return r.id == id; }) ==
      0) {
    return Fail(kNotFound, "no reservation " + std::to_string(id));
  }
  return SaveReservations(reservations);
}

Status Recorder::GetMediaTotals(MediaTotals& out) {
  hoststore::MediaSettings media;
  if (const Status s = LoadMedia(media); s != kOk) return s;
  std::vector<hoststore::Reservation> reservations;
  if (const Status s = LoadReservations(reservations); s != kOk) return s;
  TapeFile tape;
  if (const Status s = LoadTape(tape); s != kOk) return s;
  const std::uint64_t total =
      media.free_bytes ? *media.free_bytes : platform::FreeBytes(host_).value_or(0);
  const std::uint64_t held = ReservedBytes(reservations, tape, media);
  out.free_bytes = total > held ? total - held : 0;
  out.media_count = static_cast<std::uint32_t>(MediaLetters().size());
  out.capsule_count = static_cast<std::uint32_t>(tape.Ids().size());
  out.reservation_count = static_cast<std::uint32_t>(reservations.size());
  return kOk;
}

Status Recorder::CalcDiskSpace(std::uint32_t ms, std::int32_t mode, hoststore::DiskSpace& out) {
  out = {};
  if (mode < 0 || mode >= hoststore::kModeCount) {
    return Fail(kBadArgument, "recording mode " + std::to_string(mode));
  }
  hoststore::MediaSettings media;
  if (const Status s = LoadMedia(media); s != kOk) return s;
  out = hoststore::SpaceForLength(media, ms, mode);
  return kOk;
}

Status Recorder::GetChannels(std::vector<hoststore::Channel>& out) {
  const std::string path = hoststore::StandInPathOf(host_, hoststore::kChannelsFile);
  const auto text = ReadWholeFile(path);
  out.clear();
  if (!text) {
    if (platform::FileExists(path)) return Fail(kIoError, "cannot read " + path);
    return Fail(kNotFound, "no channel table " + path);
  }
  auto parsed = hoststore::ParseChannels(*text);
  if (!parsed.ok()) {
    return Fail(kCorrupt,
                path + " line " + std::to_string(parsed.error->line) + ": " + parsed.error->what);
  }
  out = std::move(parsed.value);
  return kOk;
}

}  // namespace capsdub::hostsim
