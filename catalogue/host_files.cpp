// Readers of Reel Keeper's media file, tape database, cabinet database and capsule extension
// files. Every file is opened read-only; nothing is ever written into the host folder.
#include "catalogue/host_files.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <exception>
#include <memory>

#include "platform/clock.h"
#include "ui/text/sjis.h"
#include "ui/text/sjis_literals.h"
#include "ui/text/text_utils.h"

namespace capsdub {
namespace {

// Status-line texts (Shift-JIS).
constexpr char kTapeMissing[] = "ReelKeeper DBデータが見つかりません。";
constexpr char kTapeLocked[] = "ReelKeeper DBデータが使用されていて、見ることができません。";
constexpr char kCabinetMissing[] = "ReelKeeper TapeLibデータが見つかりません。";
constexpr char kCabinetLocked[] =
    "ReelKeeper TapeLibデータが使用されていて、見ることができません。";

constexpr std::size_t kMemoLengthOffset = 4096;
constexpr std::size_t kMemoTextOffset = 4101;
constexpr std::size_t kMemoTextSize = 2096;
constexpr std::size_t kCabinetLineLength = 305;

// Where a field sits in a fixed-width record: its first byte and its length in bytes.
struct FieldAt {
  std::size_t offset;
  std::size_t length;
};

// The fields of a tape database record that the catalogue reads.
constexpr FieldAt kRecordNumber{0, 4};  // the capsule number, "0000" in an unused record
constexpr FieldAt kRecordCabinet{75, 3};
constexpr FieldAt kRecordDate{90, 8};
constexpr FieldAt kRecordTime{98, 6};
constexpr FieldAt kRecordSize{144, 11};  // in bytes
constexpr FieldAt kRecordChannel{188, 256};
constexpr FieldAt kRecordStatus{452, 1};  // one digit
constexpr FieldAt kRecordTitle{491, 256};
// The fields of a cabinet database line.
constexpr FieldAt kCabinetNumber{0, 3};
constexpr FieldAt kCabinetName{48, 255};

// What a field that does not parse stands for. A cabinet number names no cabinet (the row is
// listed without one, and a cabinet line without a number is skipped); a size is zero (the row
// is then left out of the list unless its status is 9); a status is 0.
constexpr int kNoCabinet = 0;
constexpr double kUnreadableSize = 0;
constexpr int kUnreadableStatus = 0;
// A memo length that does not parse, or holds a NUL byte, takes the whole text area.
constexpr int kWholeMemoText = static_cast<int>(kMemoTextSize);

// Field of a record, cut at its position (positions past the end give less or nothing), with
// every NUL byte as a blank. Only the fields read are cut out, so only their bytes are looked at.
std::string Field(std::string_view record, FieldAt at) {
  if (at.offset >= record.size()) return {};
  std::string field(record.substr(at.offset, at.length));
  std::replace(field.begin(), field.end(), '\0', ' ');
  return field;
}

std::string Truncated(std::string text, std::size_t width) {
  if (text.size() > width) text.resize(width);
  return text;
}

// File-name extension of a path, from its last '.' after the last '\' or ':', stepping over
// double-byte characters so that a second byte 0x5C is not taken for a separator.
std::string_view ExtensionOf(std::string_view path) {
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); i += CharLengthAt(path, i)) {
    const char c = path[i];
    if (CharLengthAt(path, i) == 2) continue;
    if (c == '.') {
      dot = i;
    } else if (c == '\\' || c == ':' || c == '/') {
      dot = std::string_view::npos;
    }
  }
  return dot == std::string_view::npos ? std::string_view() : path.substr(dot);
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// A whole file's bytes, in a buffer that is not filled before it is read into.
struct FileBytes {
  std::unique_ptr<char[]> bytes;
  std::size_t capacity = 0;
  std::size_t size = 0;  // bytes read
};

// Reads `file` from where it stands to its end into `data`, in as few reads as its size
// allows. Throws platform::IoError on a read error, `data` then holding what was read before.
void ReadWholeFile(platform::File& file, FileBytes& data) {
  std::size_t expected = 0;
  try {
    expected = static_cast<std::size_t>(file.Size());
  } catch (const platform::IoError&) {
    // The size is only a hint.
  }
  // One byte more than the size, so that the end is seen without growing the buffer.
  data.capacity = std::max<std::size_t>(expected + 1, 64 * 1024);
  data.bytes = std::make_unique_for_overwrite<char[]>(data.capacity);
  data.size = 0;
  for (;;) {
    if (data.size == data.capacity) {
      auto larger = std::make_unique_for_overwrite<char[]>(2 * data.capacity);
      std::memcpy(larger.get(), data.bytes.get(), data.size);
      data.bytes = std::move(larger);
      data.capacity *= 2;
    }
    const std::size_t n = file.Read(data.bytes.get() + data.size, data.capacity - data.size);
    if (n == 0) break;
    data.size += n;
  }
}

RecordingRow ParseTapeRecord(std::string_view record, const std::string& host) {
  RecordingRow row;
  row.FileName = Field(record, kRecordNumber);
  row.TapeLibID = ParseIntegerText(Field(record, kRecordCabinet)).value_or(kNoCabinet);
  const DateTime date = ParseDateText(Field(record, kRecordDate));
  row.StartDateTime = DateTime{date.days + ParseTimeText(Field(record, kRecordTime))};
  row.Size = ParseNumberText(Field(record, kRecordSize), kUnreadableSize);
  row.Channel = Truncated(TrimSpaces(Field(record, kRecordChannel)), kChannelWidth);
  const std::string status = Field(record, kRecordStatus);
  row.Status =
      !status.empty() && status[0] >= '0' && status[0] <= '9' ? status[0] - '0' : kUnreadableStatus;
  std::string title = TrimSpaces(Field(record, kRecordTitle));
  std::erase(title, '\n');
  row.Title = Truncated(std::move(title), kTitleWidth);
  row.Memo = Truncated(ReadCapsuleMemo(CapsuleExtensionPath(host, row.FileName)), kMemoWidth);
  return row;
}

}  // namespace

std::optional<int> ParseIntegerText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '+') ++i;
  int value = 0;
  const char* begin = text.data() + i;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || begin == end) return std::nullopt;
  return value;
}

std::string MediaFilePath(std::string_view host) {
  return WithTrailingBackslash(host) + "RKDB\\RKDBMedia.SVD";
}
std::string TapeDatabasePath(std::string_view host) {
  return WithTrailingBackslash(host) + "RKDB\\RKDBTape.SVD";
}
std::string CabinetDatabasePath(std::string_view host) {
  return WithTrailingBackslash(host) + "RKDB\\RKDBTapelib.SVD";
}
std::string CapsuleExtensionPath(std::string_view host, std::string_view number) {
  return WithTrailingBackslash(host) + "RKDB\\TapeExt\\Tx" + std::string(number) + ".SVD";
}

std::optional<std::string> LineReader::Next() {
  for (;;) {
    const auto lf = buffer_.find('\n', pos_);
    if (lf != std::string::npos) {
      std::string line = buffer_.substr(pos_, lf - pos_);
      pos_ = lf + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (eof_) {
      if (pos_ >= buffer_.size()) return std::nullopt;
      std::string line = buffer_.substr(pos_);
      pos_ = buffer_.size();
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    buffer_.erase(0, pos_);
    pos_ = 0;
    char chunk[16384];
    const std::size_t n = file_.Read(chunk, sizeof chunk);
    if (n == 0) {
      eof_ = true;
    } else {
      buffer_.append(chunk, n);
    }
  }
}

platform::File OpenForReading(std::string_view path, int retries, WindowPort& window,
                              platform::ShareMode share) {
  for (int attempt = 0; attempt <= retries; ++attempt) {
    platform::File file = platform::File::OpenForRead(path, share);
    if (file.is_open()) return file;
    if (attempt < retries) WaitMinutes(1, window);
  }
  return {};
}

void WaitMinutes(double minutes, WindowPort& window) {
  const std::uint64_t until =
      platform::MonotonicMs() + static_cast<std::uint64_t>(std::max(0.0, minutes) * 60000.0);
  do {
    platform::SleepMs(100);
    window.YieldToUi();
  } while (platform::MonotonicMs() < until);
}

void ReadMediaList(Catalogue& catalogue, WindowPort& window) {
  platform::File file = OpenForReading(MediaFilePath(catalogue.PathReelKeeper), 0, window);
  if (!file.is_open()) {
    catalogue.MediaList = {"D"};
    return;
  }
  catalogue.MediaList.clear();
  int expected = 1;
  LineReader lines(std::move(file));
  try {
    while (expected > 0 && !window.StopRequested) {
      const auto line = lines.Next();
      if (!line) break;
      if (line->find("CurrentNumMedia:") != std::string::npos) {
        const char last = line->back();
        expected = last >= '0' && last <= '9' ? last - '0' : 1;
      } else if (line->size() == 1) {
        catalogue.MediaList.push_back(*line);
        --expected;
      }
    }
  } catch (const platform::IoError&) {
    // A media file that cannot be read is treated like a missing one, without a message.
    catalogue.MediaList = {"D"};
  }
}

void ReadTapeDatabase(Catalogue& catalogue, WindowPort& window) {
  window.StopRequested = false;
  const std::string path = TapeDatabasePath(catalogue.PathReelKeeper);
  if (!platform::FileExists(path)) {
    window.SetStatus(kTapeMissing, kColourRed);
    return;
  }
  platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
  if (!file.is_open()) {
    window.SetStatus(kTapeLocked, kColourRed);
    return;
  }
  catalogue.Table2.Clear();
  // The whole file in one pass into one buffer, the records cut out of it. A read error ends
  // the reading: the records read before it are stored, then the error goes on.
  FileBytes data;
  std::exception_ptr read_error;
  try {
    ReadWholeFile(file, data);
  } catch (const platform::IoError&) {
    read_error = std::current_exception();
  }
  // Only whole records count; bytes after the last one are a partial record.
  const std::size_t records = data.size / kTapeRecordSize;
  catalogue.Table2.Reserve(records);
  for (std::size_t index = 0; index < records && !window.StopRequested; ++index) {
    // NUL bytes count as blanks; the fields cut out of the record get them so.
    const std::string_view record(data.bytes.get() + index * kTapeRecordSize, kTapeRecordSize);
    if (index == 3) {
      catalogue.TapeHeaderTail =
          Field(record, {kTapeHeaderTailOffset, kTapeRecordSize - kTapeHeaderTailOffset});
    } else if (index >= 4 && Field(record, kRecordNumber) != "0000") {
      catalogue.Table2.Append(ParseTapeRecord(record, catalogue.PathReelKeeper));
    }
  }
  if (read_error) std::rethrow_exception(read_error);
}

void ReadCabinetDatabase(Catalogue& catalogue, WindowPort& window) {
  window.StopRequested = false;
  const std::string path = CabinetDatabasePath(catalogue.PathReelKeeper);
  if (!platform::FileExists(path)) {
    window.SetStatus(kCabinetMissing, kColourRed);
    return;
  }
  platform::File file = OpenForReading(path, 0, window);
  if (!file.is_open()) {
    window.SetStatus(kCabinetLocked, kColourRed);
    return;
  }
  catalogue.Table3.Clear();
  LineReader lines(std::move(file));
  while (!window.StopRequested) {
    const auto line = lines.Next();
    if (!line) break;
    if (line->size() != kCabinetLineLength) continue;
    const int id =
        ParseIntegerText(TrimControls(line->substr(kCabinetNumber.offset, kCabinetNumber.length)))
            .value_or(kNoCabinet);
    if (id == kNoCabinet) continue;
    catalogue.Table3.Append(
        {id, Truncated(TrimControls(line->substr(kCabinetName.offset, kCabinetName.length)),
                       kTapeLibNameWidth)});
  }
}

void ReadSegmentList(std::string_view kind, std::string_view number, std::vector<std::string>& list,
                     const Catalogue& catalogue, WindowPort& window) {
  list.clear();
  platform::File file =
      OpenForReading(CapsuleExtensionPath(catalogue.PathReelKeeper, number), 0, window);
  if (!file.is_open()) return;
  const std::string wanted = UpperAscii(kind);
  LineReader lines(std::move(file));
  while (const auto line = lines.Next()) {
    if (UpperAscii(ExtensionOf(*line)) == wanted) list.push_back(*line);
    window.YieldToUi();
  }
}

std::string ReadCapsuleMemo(std::string_view path) {
  try {
    // A missing file fails to open like a locked one: either gives an empty memo.
    platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
    if (!file.is_open()) return {};
    std::array<char, kMemoBlockSize> block;
    std::size_t got = 0;
    while (got < block.size()) {
      const std::size_t n = file.Read(block.data() + got, block.size() - got);
      if (n == 0) return {};  // shorter than one block
      got += n;
    }
    const std::string_view length_text(block.data() + kMemoLengthOffset, 4);
    const long length = length_text.find('\0') == std::string_view::npos
                            ? ParseIntegerText(length_text).value_or(kWholeMemoText)
                            : kWholeMemoText;
    if (length <= 0) return {};
    std::string memo(block.data() + kMemoTextOffset,
                     std::min(static_cast<std::size_t>(length), kMemoTextSize));
    std::replace(memo.begin(), memo.end(), '\0', ' ');
    return memo;
  } catch (const platform::IoError&) {
    return {};
  }
}

}  // namespace capsdub
