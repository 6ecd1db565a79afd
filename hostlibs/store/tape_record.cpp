// Tape records and capsule extension files of the stand-in database library.
#include "hostlibs/store/tape_record.h"

#include <algorithm>
#include <cstdio>

#include "ui/text/sjis.h"
#include "ui/text/text_utils.h"

namespace capsdub::hoststore {
namespace {

constexpr std::string_view kExtrasMarker = "RKSI";
constexpr Minute kUnreadableStart{1970, 1, 1, 0, 0};

std::string_view FieldOf(std::string_view record, FieldSpan span) {
  if (span.offset >= record.size()) return {};
  return record.substr(span.offset, span.width);
}

std::optional<std::uint64_t> Digits(std::string_view s) {
  if (s.empty() || s.size() > 19) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

std::string_view TrimControlsView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsSegmentExtension(std::string_view ext) {
  return ext.size() == 3 && (EqualsIgnoringCase(ext, "MPG") || EqualsIgnoringCase(ext, "SCX") ||
                             (Upper(ext[0]) == 'S' && Upper(ext[1]) == 'S'));
}

// Writes `text` left-aligned into the field, padded with blanks.
void PutField(std::string& record, FieldSpan span, std::string_view text) {
  if (record.size() < span.offset + span.width) return;
  std::string value = CutToBytes(text, span.width);
  for (char& c : value) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  value.resize(span.width, ' ');
  record.replace(span.offset, span.width, value);
}

std::string Blank(std::size_t size) {
  std::string record(size, ' ');
  record[size - 2] = '\r';
  record[size - 1] = '\n';
  return record;
}

Minute ReadStart(std::string_view date_field, std::string_view time_field) {
  const std::string_view date = TrimControlsView(date_field);
  const std::string_view time = TrimControlsView(time_field);
  if (date.size() != 8 || (time.size() != 6 && time.size() != 4)) return kUnreadableStart;
  const auto y = Digits(date.substr(0, 4));
  const auto mo = Digits(date.substr(4, 2));
  const auto d = Digits(date.substr(6, 2));
  const auto h = Digits(time.substr(0, 2));
  const auto mi = Digits(time.substr(2, 2));
  if (!y || !mo || !d || !h || !mi || (time.size() == 6 && !Digits(time.substr(4, 2)))) {
    return kUnreadableStart;
  }
  Minute m{static_cast<int>(*y), static_cast<int>(*mo), static_cast<int>(*d), 0,
           static_cast<int>(*mi)};
  // Late-night starts are written as hours 24-28 of the previous day.
  const bool late = *h >= 24 && *h <= 28;
  m.hour = late ? static_cast<int>(*h) - 24 : static_cast<int>(*h);
  if (!IsValidMinute(m)) return kUnreadableStart;
  return late ? MinuteFromEpoch(MinutesSinceEpoch(m) + 1440) : m;
}

}  // namespace

std::optional<int> CapsuleIdOf(std::string_view number) {
  if (number.size() != 4) return std::nullopt;
  const auto value = Digits(number);
  if (!value || *value == 0) return std::nullopt;
  return static_cast<int>(*value);
}

std::string CapsuleNumberOf(int id) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d", id);
  return buffer;
}

bool IsEmptySlot(std::string_view record) {
  return record.substr(0, 4) == kEmptySlotNumber;
}

TapeFields ReadTapeRecord(std::string_view raw) {
  std::string record(raw.substr(0, kTapeRecordSize));
  std::replace(record.begin(), record.end(), '\0', ' ');
  TapeFields fields;
  fields.number = std::string(FieldOf(record, kNumberField));
  std::string title = TrimSpaces(std::string(FieldOf(record, kTitleField)));
  title.erase(std::remove(title.begin(), title.end(), '\n'), title.end());
  fields.title = std::move(title);
  fields.channel_name = TrimSpaces(std::string(FieldOf(record, kChannelField)));
  fields.start = ReadStart(FieldOf(record, kDateField), FieldOf(record, kTimeField));

  std::string size_text(TrimControlsView(FieldOf(record, kSizeField)));
  size_text.erase(std::remove(size_text.begin(), size_text.end(), ','), size_text.end());
  fields.size = Digits(size_text).value_or(0);

  const std::string_view status = FieldOf(record, kStatusField);
  fields.status = (!status.empty() && status[0] >= '0' && status[0] <= '9') ? status[0] - '0' : 0;
  std::string_view cabinet = FieldOf(record, kCabinetField);
  while (!cabinet.empty() && cabinet.front() == ' ') cabinet.remove_prefix(1);
  fields.cabinet = static_cast<int>(Digits(cabinet).value_or(0));

  const std::string_view extras = FieldOf(record, kExtrasField);
  if (extras.size() == kExtrasField.width && extras.substr(0, 4) == kExtrasMarker) {
    const auto mode = Digits(extras.substr(4, 1));
    const auto channel = Digits(extras.substr(5, 5));
    const auto a = Digits(extras.substr(10, 1));
    const auto b = Digits(extras.substr(11, 1));
    const auto length = Digits(extras.substr(12, 10));
    if (mode && *mode < kModeCount && channel && *channel <= 65535 && a && b && length &&
        *length <= 0xFFFFFFFFu) {
      fields.extras = TapeExtras{static_cast<int>(*mode), static_cast<std::uint16_t>(*channel),
                                 static_cast<int>(*a), static_cast<int>(*b),
                                 static_cast<std::uint32_t>(*length)};
    }
  }
  return fields;
}

std::string NewHeaderRecord(int index) {
  std::string record = Blank(kTapeRecordSize);
  const std::string label = "RKDBTape header " + std::to_string(index);
  record.replace(0, label.size(), label);
  return record;
}

std::string EmptySlotRecord() {
  std::string record = Blank(kTapeRecordSize);
  record.replace(0, 4, kEmptySlotNumber);
  return record;
}

std::string NewTapeRecord(int id, std::string_view title, const Minute& start,
                          const TapeExtras& extras) {
  std::string record = Blank(kTapeRecordSize);
  PutField(record, kNumberField, CapsuleNumberOf(id));
  PutField(record, kCabinetField, "  0");
  PutField(record, kSizeField, "          0");
  PutField(record, kStatusField, "0");
  SetStart(record, start);
  SetTitle(record, title);
  SetExtras(record, extras);
  return record;
}

void SetTitle(std::string& record, std::string_view title) {
  PutField(record, kTitleField, title);
}

void SetChannelName(std::string& record, std::string_view name) {
  PutField(record, kChannelField, name);
}

void SetStart(std::string& record, const Minute& start) {
  char date[16];
  char time[16];
  std::snprintf(date, sizeof date, "%04d%02d%02d", start.year % 10000, start.month % 100,
                start.day % 100);
  std::snprintf(time, sizeof time, "%02d%02d00", start.hour % 100, start.minute % 100);
  PutField(record, kDateField, date);
  PutField(record, kTimeField, time);
}

void SetExtras(std::string& record, const TapeExtras& extras) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%01d%05u%01d%01d%010lu", kExtrasMarker.data(),
                std::clamp(extras.mode, 0, kModeCount - 1), unsigned{extras.channel},
                std::clamp(extras.state_a, 0, 9), std::clamp(extras.state_b, 0, 9),
                static_cast<unsigned long>(extras.length_ms));
  PutField(record, kExtrasField, text);
}

std::string CutToBytes(std::string_view text, std::size_t max) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t len = CharLengthAt(text, end);
    if (end + len > max) break;
    end += len;
  }
  return std::string(text.substr(0, end));
}

std::string MemoOfExtension(std::string_view file) {
  if (file.size() < kExtensionFileSize) return {};
  std::string_view length_field = file.substr(kMemoBlockOffset, 4);
  while (!length_field.empty() && length_field.front() == ' ') length_field.remove_prefix(1);
  const bool negative = !length_field.empty() && length_field.front() == '-';
  if (negative) length_field.remove_prefix(1);
  const auto parsed = Digits(length_field);
  if (parsed && negative) return {};
  const std::size_t length = parsed ? static_cast<std::size_t>(*parsed) : 4096;
  std::string memo(file.substr(kMemoTextOffset, length));
  std::replace(memo.begin(), memo.end(), '\0', ' ');
  return memo;
}

std::optional<std::string> ExtensionWithMemo(std::string_view file, std::string_view memo) {
  std::string head(file.substr(0, kMemoBlockOffset));
  const std::size_t line_start = head.rfind('\n') == std::string::npos ? 0 : head.rfind('\n') + 1;
  const bool open_line = std::any_of(head.begin() + static_cast<std::ptrdiff_t>(line_start),
                                     head.end(), [](char c) { return c != '\0' && c != ' '; });
  if (open_line) {
    // A text line without its line break: the block must not be glued onto it.
    if (file.size() > kMemoBlockOffset || head.size() + 2 > kMemoBlockOffset) return std::nullopt;
    head += "\r\n";
  }
  head.resize(kMemoBlockOffset, '\0');

  const std::string text = CutToBytes(memo, kMemoMax);
  char length_field[8];
  std::snprintf(length_field, sizeof length_field, "%04u", static_cast<unsigned>(text.size()));
  std::string out = std::move(head);
  out.append(length_field, 4);
  out.push_back(file.size() > kMemoBlockOffset + 4 ? file[kMemoBlockOffset + 4] : '\0');
  out += text;
  if (text.size() < kMemoAreaSize) out.append(kMemoAreaSize - text.size(), '\0');
  return out;
}

std::vector<std::string> SegmentLinesOf(std::string_view file) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < file.size()) {
    std::size_t end = file.find('\n', pos);
    if (end == std::string_view::npos) end = file.size();
    std::string_view line = file.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string_view name = FileNameOf(line);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && IsSegmentExtension(name.substr(dot + 1))) {
      lines.emplace_back(line);
    }
  }
  return lines;
}

bool IsSegmentFileOf(std::string_view path, std::string_view number) {
  const std::string_view name = FileNameOf(path);
  return name.size() == 12 && number.size() == 4 && EqualsIgnoringCase(name.substr(0, 4), number) &&
         name[4] == '-' && name[8] == '.' && IsSegmentExtension(name.substr(9)) &&
         name.find('\0') == std::string_view::npos;
}

std::string TapeDatabasePathOf(std::string_view host) {
  return WithTrailingBackslash(host) + "RKDB\\RKDBTape.SVD";
}

std::string MediaFilePathOf(std::string_view host) {
  return WithTrailingBackslash(host) + "RKDB\\RKDBMedia.SVD";
}

std::string ExtensionPathOf(std::string_view host, std::string_view number) {
  return WithTrailingBackslash(host) + "RKDB\\TapeExt\\Tx" + std::string(number) + ".SVD";
}

std::string StandInPathOf(std::string_view host, std::string_view relative) {
  return WithTrailingBackslash(host) + std::string(relative);
}

std::vector<char> ParseMediaList(std::string_view text) {
  std::vector<char> media;
  int expected = 1;
  std::size_t pos = 0;
  while (pos < text.size() && expected > 0) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find("CurrentNumMedia:") != std::string_view::npos) {
      const char last = line.back();
      expected = (last >= '0' && last <= '9') ? last - '0' : 1;
    } else if (line.size() == 1) {
      media.push_back(line[0]);
      --expected;
    }
  }
  return media;
}

std::string MediaFolderOf(std::string_view host, char medium) {
  std::string folder = WithTrailingBackslash(host);
  const bool has_drive =
      folder.size() >= 2 && folder[1] == ':' &&
      ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
  if (has_drive) folder[0] = medium;
  return folder;
}

}  // namespace capsdub::hoststore
