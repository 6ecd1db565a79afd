// Reading and writing the stand-in's channel, reservation and media files.
#include "hostlibs/store/standin_files.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>
#include <stdexcept>

namespace capsdub::hoststore {
namespace {

struct Entry {
  std::string key;
  std::string value;
  int line = 0;
  bool used = false;
};

struct Section {
  std::string kind;
  int line = 0;
  std::vector<Entry> entries;
};

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

ParseError ErrorAt(int line, std::string what) {
  return ParseError{line, std::move(what)};
}

// Splits the text into sections of key=value entries. Values are kept byte for byte.
std::optional<ParseError> SplitSections(std::string_view text, std::vector<Section>& sections) {
  int line_number = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    ++line_number;
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) return ErrorAt(line_number, "NUL byte");
    if (line.find('\r') != std::string_view::npos) return ErrorAt(line_number, "stray CR");
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') continue;
    if (trimmed.front() == '[') {
      if (trimmed.back() != ']' || trimmed.size() < 3) {
        return ErrorAt(line_number, "malformed section header");
      }
      sections.push_back(
          Section{std::string(TrimBlanks(trimmed.substr(1, trimmed.size() - 2))), line_number, {}});
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      return ErrorAt(line_number, "expected [section] or key=value");
    }
    if (sections.empty()) return ErrorAt(line_number, "key=value before the first section");
    const std::string key(TrimBlanks(line.substr(0, eq)));
    if (key.empty()) return ErrorAt(line_number, "empty key");
    for (const Entry& e : sections.back().entries) {
      if (e.key == key) return ErrorAt(line_number, "duplicate key " + key);
    }
    sections.back().entries.push_back(Entry{key, std::string(line.substr(eq + 1)), line_number});
  }
  return std::nullopt;
}

std::optional<std::uint64_t> ParseUnsigned(std::string_view s) {
  if (s.empty() || s.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

// Reads the fields of one section; the first problem is kept and later reads do nothing.
class SectionReader {
 public:
  SectionReader(Section& section, std::optional<ParseError>& error)
      : section_(section), error_(error) {}

  bool Number(const char* key, std::uint64_t min, std::uint64_t max, bool required,
              std::uint64_t& out) {
    Entry* e = Find(key, required);
    if (e == nullptr) return false;
    const auto value = ParseUnsigned(TrimBlanks(e->value));  // blanks around a number are harmless
    if (!value || *value < min || *value > max) {
      Fail(e->line, std::string(key) + " must be a number from " + std::to_string(min) + " to " +
                        std::to_string(max));
      return false;
    }
    out = *value;
    return true;
  }

  bool Text(const char* key, std::size_t max, bool required, std::string& out) {
    Entry* e = Find(key, required);
    if (e == nullptr) return false;
    if (e->value.size() > max) {
      Fail(e->line, std::string(key) + " is longer than " + std::to_string(max) + " bytes");
      return false;
    }
    out = e->value;
    return true;
  }

  bool Time(const char* key, Minute& out) {
    Entry* e = Find(key, true);
    if (e == nullptr) return false;
    const auto value = ParseMinute(e->value);
    if (!value) {
      Fail(e->line, std::string(key) + " must be a time like 2001-04-13 23:30");
      return false;
    }
    out = *value;
    return true;
  }

  // A raw value, for fields with a format of their own.
  Entry* Raw(const char* key) { return Find(key, false); }

  // Fails on keys that no read asked for (a misspelt key would otherwise be ignored).
  void Finish() {
    for (const Entry& e : section_.entries) {
      if (!e.used) Fail(e.line, "unknown key " + e.key);
    }
  }

  void Fail(int line, std::string what) {
    if (!error_) error_ = ErrorAt(line, std::move(what));
  }

 private:
  Entry* Find(const char* key, bool required) {
    if (error_) return nullptr;
    for (Entry& e : section_.entries) {
      if (e.key == key) {
        e.used = true;
        return &e;
      }
    }
    if (required) Fail(section_.line, std::string("missing key ") + key);
    return nullptr;
  }

  Section& section_;
  std::optional<ParseError>& error_;
};

void CheckFieldText(std::string_view value, std::size_t max, const char* what) {
  if (value.size() > max) throw std::invalid_argument(std::string(what) + " too long");
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw std::invalid_argument(std::string(what) + " holds a line break or NUL");
  }
}

std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<std::int64_t>(era) * 146097 + doe - 719468;
}

}  // namespace

bool IsValidMinute(const Minute& m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m.year < 1 || m.year > 9999 || m.month < 1 || m.month > 12) return false;
  const bool leap = (m.year % 4 == 0 && m.year % 100 != 0) || m.year % 400 == 0;
  const int days = kDays[m.month - 1] + (m.month == 2 && leap ? 1 : 0);
  return m.day >= 1 && m.day <= days && m.hour >= 0 && m.hour <= 23 && m.minute >= 0 &&
         m.minute <= 59;
}

std::string FormatMinute(const Minute& m) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d", m.year, m.month, m.day, m.hour,
                m.minute);
  return buffer;
}

std::optional<Minute> ParseMinute(std::string_view text) {
  // Exactly "YYYY-MM-DD HH:MM".
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':') {
    return std::nullopt;
  }
  auto field = [&](std::size_t pos, std::size_t len) -> int {
    const auto v = ParseUnsigned(text.substr(pos, len));
    return v ? static_cast<int>(*v) : -1;
  };
  const Minute m{field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2)};
  if (!IsValidMinute(m)) return std::nullopt;
  return m;
}

std::int64_t MinutesSinceEpoch(const Minute& m) {
  return DaysFromCivil(m.year, m.month, m.day) * 1440 + m.hour * 60 + m.minute;
}

Minute MinuteFromEpoch(std::int64_t minutes) {
  std::int64_t days = minutes / 1440;
  std::int64_t rest = minutes % 1440;
  if (rest < 0) {
    rest += 1440;
    --days;
  }
  // Civil date from a day count (proleptic Gregorian).
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
  return Minute{y, m, d, static_cast<int>(rest / 60), static_cast<int>(rest % 60)};
}

DiskSpace SpaceForLength(const MediaSettings& media, std::uint32_t ms, int mode) {
  if (mode < 0 || mode >= kModeCount) return {};
  // (2^32 - 1)^2 fits in 64 bits, so neither product overflows.
  return DiskSpace{std::uint64_t{ms} * media.video_rate[mode] / 1000,
                   std::uint64_t{ms} * media.index_rate / 1000};
}

std::uint32_t LengthForSize(const MediaSettings& media, std::uint64_t bytes, int mode) {
  if (mode < 0 || mode >= kModeCount) return 0;
  const std::uint64_t per_second = std::uint64_t{media.video_rate[mode]} + media.index_rate;
  if (per_second == 0) return 0;
  const std::uint64_t seconds = bytes / per_second;
  if (seconds > std::numeric_limits<std::uint32_t>::max() / 1000) {
    return std::numeric_limits<std::uint32_t>::max();
  }
  const std::uint64_t ms = seconds * 1000 + (bytes % per_second) * 1000 / per_second;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(ms, std::numeric_limits<std::uint32_t>::max()));
}

Parsed<std::vector<Channel>> ParseChannels(std::string_view text) {
  Parsed<std::vector<Channel>> result;
  std::vector<Section> sections;
  result.error = SplitSections(text, sections);
  for (Section& section : sections) {
    if (result.error) break;
    if (section.kind != "channel") {
      result.error = ErrorAt(section.line, "expected [channel]");
      break;
    }
    SectionReader reader(section, result.error);
    Channel channel;
    std::uint64_t value = 0;
    if (reader.Number("number", 1, 65535, true, value))
      channel.number = static_cast<std::uint16_t>(value);
    channel.second = channel.number;
    if (reader.Number("second", 0, 65535, false, value))
      channel.second = static_cast<std::uint16_t>(value);
    if (reader.Number("excluded", 0, 65535, false, value)) {
      channel.excluded = static_cast<std::uint16_t>(value);
    }
    reader.Text("name", kChannelNameMax, true, channel.name);
    reader.Text("aliases", kAltNamesMax, false, channel.alt_names);
    reader.Finish();
    result.value.push_back(std::move(channel));
  }
  if (result.error) result.value.clear();
  return result;
}

Parsed<std::vector<Reservation>> ParseReservations(std::string_view text) {
  Parsed<std::vector<Reservation>> result;
  std::vector<Section> sections;
  result.error = SplitSections(text, sections);
  std::set<std::int32_t> ids;
  for (Section& section : sections) {
    if (result.error) break;
    if (section.kind != "reservation") {
      result.error = ErrorAt(section.line, "expected [reservation]");
      break;
    }
    SectionReader reader(section, result.error);
    Reservation r;
    std::uint64_t value = 0;
    if (reader.Number("id", 1, std::numeric_limits<std::int32_t>::max(), true, value)) {
      r.id = static_cast<std::int32_t>(value);
      if (!ids.insert(r.id).second)
        reader.Fail(section.line, "duplicate id " + std::to_string(r.id));
    }
    if (reader.Number("capsule", 1, 9999, true, value))
      r.capsule = static_cast<std::int32_t>(value);
    reader.Time("start", r.start);
    reader.Time("end", r.end);
    if (reader.Number("channel", 0, 65535, false, value))
      r.channel = static_cast<std::uint16_t>(value);
    reader.Text("channel_name", kReserveChannelNameMax, false, r.channel_name);
    if (reader.Number("disk_area", 0, 1, false, value)) r.disk_area = value != 0;
    reader.Finish();
    result.value.push_back(std::move(r));
  }
  if (result.error) result.value.clear();
  return result;
}

Parsed<MediaSettings> ParseMediaSettings(std::string_view text) {
  Parsed<MediaSettings> result;
  std::vector<Section> sections;
  result.error = SplitSections(text, sections);
  if (!result.error && sections.size() > 1) {
    result.error = ErrorAt(sections[1].line, "only one [media] section is allowed");
  }
  for (Section& section : sections) {
    if (result.error) break;
    if (section.kind != "media") {
      result.error = ErrorAt(section.line, "expected [media]");
      break;
    }
    SectionReader reader(section, result.error);
    MediaSettings& media = result.value;
    if (Entry* e = reader.Raw("free_bytes")) {
      if (e->value == "auto") {
        media.free_bytes.reset();
      } else if (const auto v = ParseUnsigned(TrimBlanks(e->value))) {
        media.free_bytes = *v;
      } else {
        reader.Fail(e->line, "free_bytes must be a number or auto");
      }
    }
    static constexpr const char* kRateKeys[kModeCount] = {"rate_mode0", "rate_mode1", "rate_mode2"};
    std::uint64_t value = 0;
    for (int mode = 0; mode < kModeCount; ++mode) {
      if (reader.Number(kRateKeys[mode], 1, std::numeric_limits<std::uint32_t>::max(), false,
                        value)) {
        media.video_rate[mode] = static_cast<std::uint32_t>(value);
      }
    }
    if (reader.Number("index_rate", 0, std::numeric_limits<std::uint32_t>::max(), false, value)) {
      media.index_rate = static_cast<std::uint32_t>(value);
    }
    if (reader.Number("reservation_limit", 0, 9999, false, value)) {
      media.reservation_limit = static_cast<int>(value);
    }
    reader.Finish();
  }
  if (result.error) result.value = MediaSettings{};
  return result;
}

std::string FormatChannels(const std::vector<Channel>& channels) {
  std::string out =
      "# Channel table of the stand-in Reel Keeper (Shift-JIS). One [channel] section each:\r\n"
      "# number, second, excluded (nonzero: not chosen by name), name, aliases "
      "(comma-separated).\r\n";
  for (const Channel& c : channels) {
    if (c.number == 0) throw std::invalid_argument("channel number 0");
    CheckFieldText(c.name, kChannelNameMax, "channel name");
    CheckFieldText(c.alt_names, kAltNamesMax, "alternative names");
    out += "\r\n[channel]\r\nnumber=" + std::to_string(c.number) +
           "\r\nsecond=" + std::to_string(c.second) + "\r\nexcluded=" + std::to_string(c.excluded) +
           "\r\nname=" + c.name + "\r\naliases=" + c.alt_names + "\r\n";
  }
  return out;
}

std::string FormatReservations(const std::vector<Reservation>& reservations) {
  std::string out =
      "# Timer reservations of the stand-in Reel Keeper (Shift-JIS). One [reservation] section\r\n"
      "# each; capsule is the capsule number it records into, times are local.\r\n";
  for (const Reservation& r : reservations) {
    if (r.id < 1 || r.capsule < 1 || r.capsule > 9999) {
      throw std::invalid_argument("reservation id or capsule out of range");
    }
    if (!IsValidMinute(r.start) || !IsValidMinute(r.end)) {
      throw std::invalid_argument("reservation time out of range");
    }
    CheckFieldText(r.channel_name, kReserveChannelNameMax, "channel name");
    out += "\r\n[reservation]\r\nid=" + std::to_string(r.id) +
           "\r\ncapsule=" + std::to_string(r.capsule) + "\r\nstart=" + FormatMinute(r.start) +
           "\r\nend=" + FormatMinute(r.end) + "\r\nchannel=" + std::to_string(r.channel) +
           "\r\nchannel_name=" + r.channel_name + "\r\ndisk_area=" + (r.disk_area ? "1" : "0") +
           "\r\n";
  }
  return out;
}

std::string FormatMediaSettings(const MediaSettings& media) {
  std::string out =
      "# Recorder settings of the stand-in Reel Keeper. free_bytes: a number, or auto for the\r\n"
      "# free space of the drive; rates in bytes per second; reservation_limit: capsules that\r\n"
      "# may wait for their recording at once.\r\n\r\n[media]\r\n";
  out += "free_bytes=" + (media.free_bytes ? std::to_string(*media.free_bytes) : "auto") + "\r\n";
  for (int mode = 0; mode < kModeCount; ++mode) {
    if (media.video_rate[mode] == 0) throw std::invalid_argument("rate 0");
    out.append("rate_mode").append(std::to_string(mode)).append("=");
    out.append(std::to_string(media.video_rate[mode])).append("\r\n");
  }
  if (media.reservation_limit < 0 || media.reservation_limit > 9999) {
    throw std::invalid_argument("reservation limit out of range");
  }
  out += "index_rate=" + std::to_string(media.index_rate) + "\r\n";
  out += "reservation_limit=" + std::to_string(media.reservation_limit) + "\r\n";
  return out;
}

}  // namespace capsdub::hoststore
