// The stand-in Reel Keeper's own files beside the real ones in RKDB\StandIn\: the channel
// table, the timer reservations and the recorder's media settings. They are plain Shift-JIS
// text meant to be read and edited by hand: sections such as "[channel]" followed by
// "key=value" lines; blank lines and lines starting with '#' or ';' are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capsdub::hoststore {

// Paths relative to the host folder.
inline constexpr std::string_view kStandInFolder = "RKDB\\StandIn";
inline constexpr std::string_view kChannelsFile = "RKDB\\StandIn\\channels.txt";
inline constexpr std::string_view kReservationsFile = "RKDB\\StandIn\\reservations.txt";
inline constexpr std::string_view kMediaFile = "RKDB\\StandIn\\media.txt";

// Limits of the channel library's record.
inline constexpr std::size_t kChannelNameMax = 256;  // may fill the field without a NUL
inline constexpr std::size_t kAltNamesMax = 1023;    // always NUL-terminated in the field
inline constexpr std::size_t kReserveChannelNameMax = 255;

struct Channel {
  std::uint16_t number = 0;    // 1-65535
  std::uint16_t second = 0;    // second channel number
  std::uint16_t excluded = 0;  // nonzero: not offered for reservations by name
  std::string name;            // Shift-JIS, at most 256 bytes
  std::string alt_names;       // comma-separated alternative names, at most 1023 bytes
  friend bool operator==(const Channel&, const Channel&) = default;
};

// A calendar time to the minute, as reservations carry it.
struct Minute {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  friend bool operator==(const Minute&, const Minute&) = default;
  friend auto operator<=>(const Minute&, const Minute&) = default;
};
bool IsValidMinute(const Minute& m);
// "2001-04-13 23:30".
std::string FormatMinute(const Minute& m);
std::optional<Minute> ParseMinute(std::string_view text);
// Minutes since 1970-01-01 00:00 of a valid time (no time zone involved).
std::int64_t MinutesSinceEpoch(const Minute& m);
Minute MinuteFromEpoch(std::int64_t minutes);

struct Reservation {
  std::int32_t id = 0;       // 1 and up, unique in the file
  std::int32_t capsule = 0;  // capsule id (the capsule number as an integer) it records into
  Minute start;
  Minute end;
  std::uint16_t channel = 0;
  std::string channel_name;  // at most 255 bytes
  bool disk_area = false;    // disk space has been assigned
  friend bool operator==(const Reservation&, const Reservation&) = default;
};

// Recording modes 0, 1, 2 as the database library numbers them.
inline constexpr int kModeCount = 3;

struct MediaSettings {
  // Free bytes reported for the media; nullopt ("auto"): the free space of the drive that
  // holds the host folder.
  std::optional<std::uint64_t> free_bytes;
  // Bytes per second of video for modes 0, 1 and 2, and of the index segments (any mode).
  std::uint32_t video_rate[kModeCount] = {1000000, 750000, 500000};
  std::uint32_t index_rate = 2000;
  // Capsules awaiting their recording beyond which no reservation can be made.
  int reservation_limit = 100;
  friend bool operator==(const MediaSettings&, const MediaSettings&) = default;
};

// The bytes a recording of `ms` milliseconds in `mode` needs: video and index parts.
struct DiskSpace {
  std::uint64_t video = 0;
  std::uint64_t index = 0;
};
DiskSpace SpaceForLength(const MediaSettings& media, std::uint32_t ms, int mode);
// The length in milliseconds of a recording of `bytes` in `mode` (the inverse, saturated).
std::uint32_t LengthForSize(const MediaSettings& media, std::uint64_t bytes, int mode);

// Where a file failed to parse: its 1-based line and what is wrong there.
struct ParseError {
  int line = 0;
  std::string what;
};

template <typename T>
struct Parsed {
  T value{};
  std::optional<ParseError> error;
  bool ok() const { return !error.has_value(); }
};

Parsed<std::vector<Channel>> ParseChannels(std::string_view text);
Parsed<std::vector<Reservation>> ParseReservations(std::string_view text);
Parsed<MediaSettings> ParseMediaSettings(std::string_view text);

// The file texts, with CR LF line breaks. A field that does not fit its limit throws
// std::invalid_argument (the parser would reject the file).
std::string FormatChannels(const std::vector<Channel>& channels);
std::string FormatReservations(const std::vector<Reservation>& reservations);
std::string FormatMediaSettings(const MediaSettings& media);

}  // namespace capsdub::hoststore
