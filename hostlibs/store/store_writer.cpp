// Writing the stand-in's files and the sample set of them.
#include "hostlibs/store/store_writer.h"

#include <optional>
#include <stdexcept>

#include "hostlibs/store/tape_record.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "ui/text/sjis_literals.h"
#include "ui/text/text_utils.h"

namespace capsdub::hoststore {
namespace {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
  if (!file.is_open()) return std::nullopt;
  std::string data;
  char buffer[65536];
  while (const std::size_t n = file.Read(buffer, sizeof buffer)) data.append(buffer, n);
  return data;
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  platform::File file = platform::File::Create(path, platform::ShareMode::kRead);
  file.Write(data.data(), data.size());
  file.Close();
}

void WriteStandInFile(std::string_view host, std::string_view relative, std::string_view data) {
  const std::string folder = StandInPathOf(host, kStandInFolder);
  if (!platform::CreateFolders(folder)) throw platform::IoError("cannot create " + folder);
  WriteWholeFile(StandInPathOf(host, relative), data);
}

}  // namespace

void WriteChannelTable(std::string_view host, const std::vector<Channel>& channels) {
  WriteStandInFile(host, kChannelsFile, FormatChannels(channels));
}

void WriteReservations(std::string_view host, const std::vector<Reservation>& reservations) {
  WriteStandInFile(host, kReservationsFile, FormatReservations(reservations));
}

void WriteMediaSettings(std::string_view host, const MediaSettings& media) {
  WriteStandInFile(host, kMediaFile, FormatMediaSettings(media));
}

std::vector<Channel> SampleChannels() {
  return {
      {1, 11, 0, "ＮＨＫ総合", "ＮＨＫ,NHK,総合"},   {3, 21, 0, "ＮＨＫ教育", "教育テレビ,ETV"},
      {4, 41, 0, "日本テレビ", "日テレ,NTV"},        {6, 61, 0, "ＴＢＳ", "TBS"},
      {8, 81, 0, "フジテレビ", "フジ,CX"},           {10, 51, 0, "テレビ朝日", "テレ朝,EX"},
      {12, 71, 0, "テレビ東京", "テレ東,TX"},        {101, 101, 0, "ＮＨＫ ＢＳ１", "BS1,NHK BS1"},
      {102, 102, 0, "ＮＨＫ ＢＳ２", "BS2,NHK BS2"}, {103, 103, 0, "外部入力", ""},
      {16, 16, 1, "放送大学", "放送大学"},
  };
}

std::set<int> UsedCapsuleIds(std::string_view host) {
  std::set<int> used;
  if (const auto tape = ReadWholeFile(TapeDatabasePathOf(host))) {
    for (std::size_t pos = kTapeHeaderRecords * kTapeRecordSize;
         pos + kTapeRecordSize <= tape->size(); pos += kTapeRecordSize) {
      if (const auto id = CapsuleIdOf(std::string_view(*tape).substr(pos, 4))) used.insert(*id);
    }
  }
  for (const platform::DirEntry& e :
       platform::ListFiles(WithTrailingBackslash(host) + "RKDB\\TapeExt", "Tx????.SVD")) {
    if (const auto id = CapsuleIdOf(std::string_view(e.name).substr(2, 4))) used.insert(*id);
  }
  std::vector<char> media;
  if (const auto text = ReadWholeFile(MediaFilePathOf(host))) media = ParseMediaList(*text);
  if (media.empty()) media = {'D', WithTrailingBackslash(host)[0]};  // CapsDub's default
  for (char medium : media) {
    for (const platform::DirEntry& e : platform::ListFiles(MediaFolderOf(host, medium),
                                                           "????"
                                                           "-???.*")) {
      if (const auto id = CapsuleIdOf(std::string_view(e.name).substr(0, 4))) used.insert(*id);
    }
  }
  return used;
}

std::vector<Reservation> AddSampleReservations(std::string_view host,
                                               const std::vector<Channel>& channels,
                                               const Minute& now, int count) {
  std::set<int> used = UsedCapsuleIds(host);
  const std::string tape_path = TapeDatabasePathOf(host);
  std::string tape = ReadWholeFile(tape_path).value_or("");
  if (tape.size() % kTapeRecordSize != 0) {
    throw std::runtime_error("tape database is not a whole number of records: " + tape_path);
  }
  for (int i = static_cast<int>(tape.size() / kTapeRecordSize);
       i < static_cast<int>(kTapeHeaderRecords); ++i) {
    tape += NewHeaderRecord(i);
  }
  std::vector<const Channel*> offered;
  for (const Channel& c : channels) {
    if (c.excluded == 0) offered.push_back(&c);
  }

  std::vector<Reservation> reservations;
  const std::int64_t first_day = MinutesSinceEpoch(Minute{now.year, now.month, now.day, 0, 0});
  int next_id = 1;
  for (int i = 0; i < count; ++i) {
    while (next_id <= kMaxCapsuleId && used.count(next_id) != 0) ++next_id;
    if (next_id > kMaxCapsuleId) throw std::runtime_error("no capsule number left");
    used.insert(next_id);
    const Channel* channel = offered.empty() ? nullptr : offered[i % offered.size()];
    Reservation r;
    r.id = i + 1;
    r.capsule = next_id;
    r.start = MinuteFromEpoch(first_day + (i + 1) * 1440 + 21 * 60);
    r.end = MinuteFromEpoch(MinutesSinceEpoch(r.start) + 54);
    r.channel = channel ? channel->number : 0;
    r.channel_name = channel ? CutToBytes(channel->name, kReserveChannelNameMax) : "";
    r.disk_area = true;

    const TapeExtras extras{1, r.channel, 1, 0, 54u * 60000u};
    std::string record = NewTapeRecord(next_id, "予約 " + std::to_string(i + 1), r.start, extras);
    SetChannelName(record, r.channel_name);
    tape += record;
    const std::string ext_folder = WithTrailingBackslash(host) + "RKDB\\TapeExt";
    if (!platform::CreateFolders(ext_folder))
      throw platform::IoError("cannot create " + ext_folder);
    WriteWholeFile(ExtensionPathOf(host, CapsuleNumberOf(next_id)), *ExtensionWithMemo("", ""));
    reservations.push_back(std::move(r));
  }
  const std::string rkdb_folder = WithTrailingBackslash(host) + "RKDB";
  if (!platform::CreateFolders(rkdb_folder))
    throw platform::IoError("cannot create " + rkdb_folder);
  WriteWholeFile(tape_path, tape);
  WriteReservations(host, reservations);
  return reservations;
}

void WriteSampleStandIn(std::string_view host, const Minute& now) {
  const std::vector<Channel> channels = SampleChannels();
  WriteChannelTable(host, channels);
  MediaSettings media;
  media.free_bytes = std::uint64_t{120} * 1000 * 1000 * 1000;
  WriteMediaSettings(host, media);
  AddSampleReservations(host, channels, now, 3);
}

void WriteSampleStandIn(std::string_view host) {
  const CivilDateTime now = DecodeDateTime(platform::Now());
  WriteSampleStandIn(host, Minute{now.year, now.month, now.day, now.hour, now.minute});
}

}  // namespace capsdub::hoststore
