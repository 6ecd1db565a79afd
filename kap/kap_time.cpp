// Time normalisation of KapTime values.
#include "kap/kap_time.h"

#include <ctime>
#include <limits>

namespace capsdub::kap {

std::optional<std::int64_t> NormaliseTime(KapTime& time, std::int64_t minutes) {
  const std::int64_t minute = static_cast<std::int64_t>(time.minute) + minutes;
  if (minute > std::numeric_limits<int>::max() || minute < std::numeric_limits<int>::min()) {
    return std::nullopt;
  }
  std::tm calendar{};
  calendar.tm_year = static_cast<int>(time.year) - 1900;
  calendar.tm_mon = time.month == 0 ? 0 : time.month - 1;
  calendar.tm_mday = time.day;
  calendar.tm_hour = time.hour;
  calendar.tm_min = static_cast<int>(minute);
  calendar.tm_sec = 0;
  calendar.tm_isdst = 0;
  const std::time_t seconds = std::mktime(&calendar);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  const int year = calendar.tm_year + 1900;
  if (year < 0 || year > std::numeric_limits<std::uint16_t>::max()) return std::nullopt;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint8_t>(calendar.tm_mon + 1);
  time.day = static_cast<std::uint8_t>(calendar.tm_mday);
  time.hour = static_cast<std::uint8_t>(calendar.tm_hour);
  time.minute = static_cast<std::uint8_t>(calendar.tm_min);
  return static_cast<std::int64_t>(seconds);
}

RvcrDateTime ToHostTime(const KapTime& time) {
  RvcrDateTime host{};
  host.year = time.year;
  host.month = time.month;
  host.day = time.day;
  host.hour = time.hour;
  host.minute = time.minute;
  return host;
}

void FromHostTime(const RvcrDateTime& host, KapTime& time) {
  time.year = host.year;
  time.month = host.month;
  time.day = host.day;
  time.hour = host.hour;
  time.minute = host.minute;
}

}  // namespace capsdub::kap
