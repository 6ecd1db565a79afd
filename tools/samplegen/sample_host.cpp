// The sample host's record formatters and its writer.
#include "tools/samplegen/sample_host.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>

#include "platform/files.h"
#include "tools/samplegen/file_times.h"
#include "ui/text/sjis.h"
#include "ui/text/text_utils.h"

namespace capsdub::samplegen {
namespace {

// Tape record layout: offset and width of each field.
constexpr std::size_t kNumberOffset = 0;
constexpr std::size_t kMediumOffset = 8;  // not read by CapsDub
constexpr std::size_t kCabinetOffset = 75;
constexpr std::size_t kCabinetWidth = 3;
constexpr std::size_t kChannelCodeOffset = 78;  // not read by CapsDub
constexpr std::size_t kDateOffset = 90;
constexpr std::size_t kTimeOffset = 98;
constexpr std::size_t kEndOffset = 104;  // end date and time, not read by CapsDub
constexpr std::size_t kSizeOffset = 144;
constexpr std::size_t kSizeWidth = 11;
constexpr std::size_t kBitRateOffset = 155;  // not read by CapsDub
constexpr std::size_t kChannelOffset = 188;
constexpr std::size_t kStatusOffset = 452;
constexpr std::size_t kKindOffset = 453;  // not read by CapsDub
constexpr std::size_t kTitleOffset = 491;

constexpr std::size_t kCabinetNameOffset = 48;
constexpr std::size_t kMemoLengthWidth = 4;

constexpr std::size_t kWriteBlock = 4 << 20;

void Put(std::string& record, std::size_t offset, std::string_view text) {
  if (offset + text.size() > record.size()) {
    throw std::invalid_argument("sample host: field does not fit its record");
  }
  std::memcpy(record.data() + offset, text.data(), text.size());
}

void CheckWidth(std::string_view what, std::string_view text, std::size_t width) {
  if (text.size() > width) {
    throw std::invalid_argument("sample host: " + std::string(what) + " longer than " +
                                std::to_string(width) + " bytes");
  }
}

std::string RightAligned(const std::string& text, std::size_t width) {
  if (text.size() > width) {
    throw std::invalid_argument("sample host: number " + text + " wider than its field");
  }
  return std::string(width - text.size(), ' ') + text;
}

std::string Digits(long long value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
  return buffer;
}

std::string WithSeparators(std::uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string DateDigits(const CivilDateTime& c) {
  return Digits(c.year, 4) + Digits(c.month, 2) + Digits(c.day, 2);
}

std::string TimeDigits(int hour, int minute, int second) {
  return Digits(hour, 2) + Digits(minute, 2) + Digits(second, 2);
}

bool SameExtension(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  platform::File file = platform::File::Create(path, platform::ShareMode::kRead);
  file.Write(data.data(), data.size());
  file.Close();
}

void CreateFolder(const std::string& folder) {
  if (!platform::CreateFolders(folder)) {
    throw platform::IoError("sample host: cannot create folder " + folder);
  }
}

std::uint64_t Mix(std::uint64_t x) {  // splitmix64's finaliser
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

}  // namespace

// --- Paths ---

std::string MediaFolderOf(std::string_view host_folder, char medium) {
  std::string folder = WithTrailingBackslash(host_folder);
  if (folder.size() < 2 || folder[1] != ':') {
    throw std::invalid_argument("sample host: host folder " + folder +
                                " does not begin with a drive letter");
  }
  folder[0] = medium;
  return folder;
}

std::string SegmentFileName(const CapsuleLayout& capsule, std::size_t position) {
  const SegmentLayout& segment = capsule.segments.at(position);
  int index = segment.index;
  if (index == 0) {
    for (std::size_t i = 0; i <= position; ++i) {
      if (SameExtension(capsule.segments[i].extension, segment.extension)) ++index;
    }
  }
  if (index < 0 || index > 999) throw std::invalid_argument("sample host: segment number");
  return capsule.number + "-" + Digits(index, 3) + segment.extension;
}

std::string SegmentPath(std::string_view host_folder, const CapsuleLayout& capsule,
                        std::size_t position) {
  const char medium = capsule.segments.at(position).medium != 0 ? capsule.segments[position].medium
                                                                : capsule.medium;
  return MediaFolderOf(host_folder, medium) + SegmentFileName(capsule, position);
}

// --- Records ---

std::string FormatMediaFile(const std::vector<char>& media) {
  if (media.empty() || media.size() > 9) {
    throw std::invalid_argument("sample host: a host has 1 to 9 media");
  }
  std::string out = "[ReelKeeper Media]\r\n";
  out += "CurrentNumMedia:" + std::to_string(media.size()) + "\r\n";
  for (char letter : media) {
    out += letter;
    out += "\r\n";
  }
  return out;
}

std::string FormatTapeHeaderRecord(int index, std::uint32_t seed) {
  if (index < 0 || index >= static_cast<int>(kTapeHeaderRecords)) {
    throw std::invalid_argument("sample host: header record index");
  }
  std::string record(kTapeRecordSize, '\0');
  Put(record, 0, "RKDBTAPE HEADER " + std::to_string(index));
  if (index == 0) Put(record, 32, "ReelKeeper Tape Database Version 1.00");
  if (index == 3) {
    // The tail that the external cabinet form copies: recognisable text with NUL bytes
    // between its parts, so a reader that forgets the NUL replacement shows.
    const std::string tail_head = "TAIL-BEGIN seed=" + std::to_string(seed);
    Put(record, kTapeHeaderTailOffset, tail_head);
    Put(record, kTapeHeaderTailOffset + 100, "TAIL-MIDDLE");
    Put(record, kTapeRecordSize - 2 - 8, "TAIL-END");
  }
  record[kTapeRecordSize - 2] = '\r';
  record[kTapeRecordSize - 1] = '\n';
  return record;
}

CivilDateTime RecordingEnd(const CapsuleLayout& capsule) {
  const double minutes = 30.0 * static_cast<double>(1 + capsule.segments.size() % 4);
  CivilDateTime end = DecodeDateTime(DateTime{MakeDateTime(capsule.start).days + minutes / 1440.0});
  end.millisecond = 0;
  return end;
}

std::string FormatTapeRecord(const CapsuleLayout& capsule) {
  if (capsule.number.size() != 4) {
    throw std::invalid_argument("sample host: capsule number " + capsule.number +
                                " is not 4 characters");
  }
  CheckWidth("title", capsule.title, kTitleFieldWidth);
  CheckWidth("channel", capsule.channel, kChannelFieldWidth);
  if (capsule.status < 0 || capsule.status > 9) {
    throw std::invalid_argument("sample host: status is one digit");
  }
  if (capsule.cabinet < 0 || capsule.cabinet > 999) {
    throw std::invalid_argument("sample host: cabinet number out of range");
  }

  // Unused bytes are NUL, as the host's fixed character arrays leave them.
  std::string record(kTapeRecordSize, '\0');
  Put(record, kNumberOffset, capsule.number);
  record[kMediumOffset] = capsule.medium;
  Put(record, kCabinetOffset, RightAligned(std::to_string(capsule.cabinet), kCabinetWidth));
  // Fields the catalogue does not read sit right after the ones it reads, so that a reader
  // that cuts a field too wide gets a wrong value.
  Put(record, kChannelCodeOffset, Digits(capsule.cabinet * 7 % 100 + 1, 4));

  const CivilDateTime& start = capsule.start;
  CivilDateTime date = start;
  int hour = start.hour;
  if (capsule.late_night_hours && start.hour < 5) {
    date = DecodeDateTime(DateTime{MakeDateTime(start).days - 1.0});
    hour = start.hour + 24;
  }
  Put(record, kDateOffset, DateDigits(date));
  Put(record, kTimeOffset, TimeDigits(hour, start.minute, start.second));
  const CivilDateTime end = RecordingEnd(capsule);
  Put(record, kEndOffset, DateDigits(end) + TimeDigits(end.hour, end.minute, end.second));

  const std::string size_text = capsule.size_separators ? WithSeparators(capsule.size_bytes)
                                                        : std::to_string(capsule.size_bytes);
  Put(record, kSizeOffset, RightAligned(size_text, kSizeWidth));
  Put(record, kBitRateOffset, "6000");
  Put(record, kChannelOffset, capsule.channel);
  record[kStatusOffset] = static_cast<char>('0' + capsule.status);
  record[kKindOffset] = '1';
  Put(record, kTitleOffset, capsule.title);
  record[kTapeRecordSize - 2] = '\r';
  record[kTapeRecordSize - 1] = '\n';
  return record;
}

std::string FormatTapeDatabase(const HostLayout& layout) {
  std::string out;
  out.reserve((kTapeHeaderRecords + layout.capsules.size()) * kTapeRecordSize);
  for (std::size_t i = 0; i < kTapeHeaderRecords; ++i) {
    out += FormatTapeHeaderRecord(static_cast<int>(i), layout.seed);
  }
  for (const CapsuleLayout& capsule : layout.capsules) {
    if (capsule.has_tape_record) out += FormatTapeRecord(capsule);
  }
  return out;
}

std::string FormatCabinetLine(const CabinetLayout& cabinet) {
  if (cabinet.id < 0 || cabinet.id > 999) {
    throw std::invalid_argument("sample host: cabinet number out of range");
  }
  CheckWidth("cabinet name", cabinet.name, kCabinetNameWidth);
  std::string line(kCabinetLineLength, ' ');
  Put(line, 0, RightAligned(std::to_string(cabinet.id), kCabinetWidth));
  Put(line, 8, "2001/01/01 00:00:00");  // when the cabinet was made; not read by CapsDub
  Put(line, kCabinetNameOffset, cabinet.name);
  return line;
}

std::string FormatCabinetDatabase(const std::vector<CabinetLayout>& cabinets) {
  std::string out = "[ReelKeeper TapeLib] " + std::to_string(cabinets.size()) + "\r\n";
  for (const CabinetLayout& cabinet : cabinets) out += FormatCabinetLine(cabinet) + "\r\n";
  return out;
}

std::string FormatMemoBlock(std::string_view memo, std::string_view length_field) {
  CheckWidth("memo", memo, kMemoAreaSize);
  if (length_field.size() != kMemoLengthWidth) {
    throw std::invalid_argument("sample host: the memo length field has 4 characters");
  }
  std::string block(kMemoLengthWidth + 1 + kMemoAreaSize, '\0');
  Put(block, 0, length_field);
  Put(block, kMemoLengthWidth + 1, memo);
  return block;
}

std::string FormatExtensionFile(std::string_view host_folder, const CapsuleLayout& capsule) {
  std::string out;
  for (std::size_t i = 0; i < capsule.segments.size(); ++i) {
    out += SegmentPath(host_folder, capsule, i) + "\r\n";
  }
  if (out.size() > kMemoBlockOffset) {
    throw std::invalid_argument("sample host: too many segments for the extension file of " +
                                capsule.number);
  }
  out.resize(kMemoBlockOffset, '\0');
  out += FormatMemoBlock(capsule.memo,
                         RightAligned(std::to_string(capsule.memo.size()), kMemoLengthWidth));
  return out;
}

// --- Writing ---

void WriteDatabaseFiles(const std::string& host_folder, const HostLayout& layout) {
  const std::string host = WithTrailingBackslash(host_folder);
  CreateFolder(host + "RKDB\\TapeExt");
  WriteWholeFile(host + "RKDB\\RKDBMedia.SVD", FormatMediaFile(layout.media));
  WriteWholeFile(host + "RKDB\\RKDBTape.SVD", FormatTapeDatabase(layout));
  WriteWholeFile(host + "RKDB\\RKDBTapelib.SVD", FormatCabinetDatabase(layout.cabinets));
  for (const CapsuleLayout& capsule : layout.capsules) {
    if (capsule.number == "0000" || !capsule.has_extension_file) continue;
    WriteWholeFile(host + "RKDB\\TapeExt\\Tx" + capsule.number + ".SVD",
                   FormatExtensionFile(host, capsule));
  }
}

void WriteSegmentFiles(const std::string& host_folder, const HostLayout& layout) {
  std::set<char> made;
  const auto buffer = std::make_unique<char[]>(kWriteBlock);
  for (const CapsuleLayout& capsule : layout.capsules) {
    if (capsule.number == "0000") continue;
    for (std::size_t i = 0; i < capsule.segments.size(); ++i) {
      const SegmentLayout& segment = capsule.segments[i];
      if (!segment.on_disk) continue;
      const char medium = segment.medium != 0 ? segment.medium : capsule.medium;
      if (made.insert(medium).second) CreateFolder(MediaFolderOf(host_folder, medium));
      const std::string path = SegmentPath(host_folder, capsule, i);
      SegmentContentStream content(layout.seed, SegmentFileName(capsule, i));
      platform::File file = platform::File::Create(path, platform::ShareMode::kRead);
      for (std::uint64_t left = segment.size; left > 0;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kWriteBlock));
        content.Fill(buffer.get(), n);
        file.Write(buffer.get(), n);
        left -= n;
      }
      file.Close();
      SetLastWriteTime(path, RecordingEnd(capsule));
    }
  }
}

void WriteHost(const std::string& host_folder, const HostLayout& layout) {
  WriteDatabaseFiles(host_folder, layout);
  WriteSegmentFiles(host_folder, layout);
}

// --- Contents ---

SegmentContentStream::SegmentContentStream(std::uint32_t seed, std::string_view file_name) {
  ContentHash key;
  key.Update(&seed, sizeof seed);
  for (char c : file_name) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    key.Update(&lower, 1);
  }
  state_ = Mix(key.value());
  if (state_ == 0) state_ = 1;  // xorshift never leaves 0
}

void SegmentContentStream::Fill(char* out, std::size_t size) {
  auto next = [this] {
    // xorshift64*
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545f4914f6cdd1dull;
  };
  std::size_t done = 0;
  while (done < size && word_used_ < 8) {
    out[done++] = static_cast<char>(word_ >> (8 * word_used_++));
  }
  while (size - done >= 8) {
    const std::uint64_t w = next();
    for (unsigned b = 0; b < 8; ++b) out[done + b] = static_cast<char>(w >> (8 * b));
    done += 8;
  }
  if (done < size) {
    word_ = next();
    word_used_ = 0;
    while (done < size) out[done++] = static_cast<char>(word_ >> (8 * word_used_++));
  }
}

std::string SegmentContent(std::uint32_t seed, std::string_view file_name, std::uint64_t size) {
  std::string out(static_cast<std::size_t>(size), '\0');
  SegmentContentStream(seed, file_name).Fill(out.data(), out.size());
  return out;
}

void ContentHash::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::uint64_t h = hash_;
  for (std::size_t i = 0; i < size; ++i) {
    h ^= bytes[i];
    h *= 0x100000001b3ull;
  }
  hash_ = h;
}

std::uint64_t JoinedSegmentsHash(std::uint32_t seed, const CapsuleLayout& capsule,
                                 std::string_view extension) {
  ContentHash hash;
  const auto buffer = std::make_unique<char[]>(kWriteBlock);
  for (std::size_t i = 0; i < capsule.segments.size(); ++i) {
    const SegmentLayout& segment = capsule.segments[i];
    if (!segment.on_disk || !SameExtension(segment.extension, extension)) continue;
    SegmentContentStream content(seed, SegmentFileName(capsule, i));
    for (std::uint64_t left = segment.size; left > 0;) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kWriteBlock));
      content.Fill(buffer.get(), n);
      hash.Update(buffer.get(), n);
      left -= n;
    }
  }
  return hash.value();
}

std::uint64_t JoinedSegmentsSize(const CapsuleLayout& capsule, std::string_view extension) {
  std::uint64_t total = 0;
  for (const SegmentLayout& segment : capsule.segments) {
    if (segment.on_disk && SameExtension(segment.extension, extension)) total += segment.size;
  }
  return total;
}

}  // namespace capsdub::samplegen
