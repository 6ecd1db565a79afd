// Calendar arithmetic for date-time values counted in days since 1899-12-30.
#include "platform/datetime.h"

#include <cmath>

namespace capsdub {
namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 0001-01-01 to the given date (proleptic Gregorian).
long long DaysFromCivil(int y, int m, int d) {
  // Howard Hinnant's algorithm, shifted so that 1970-01-01 is day 0.
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr long long kEpochOffset = 25569;  // days from 1899-12-30 to 1970-01-01

}  // namespace

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, month, day) + kEpochOffset);
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

DateTime MakeDateTime(const CivilDateTime& c) {
  return DateTime{EncodeDate(c.year, c.month, c.day) +
                  EncodeTime(c.hour, c.minute, c.second, c.millisecond)};
}

CivilDateTime DecodeDateTime(DateTime value) {
  // Whole milliseconds since the epoch day, so that 21:30 never decodes as 21:29:59.999.
  const long long ms = std::llround(value.days * 86400000.0);
  long long day = ms / 86400000;
  long long rest = ms % 86400000;
  if (rest < 0) {
    rest += 86400000;
    --day;
  }
  CivilDateTime c;
  CivilFromDays(day - kEpochOffset, c.year, c.month, c.day);
  c.hour = static_cast<int>(rest / 3600000);
  c.minute = static_cast<int>(rest / 60000 % 60);
  c.second = static_cast<int>(rest / 1000 % 60);
  c.millisecond = static_cast<int>(rest % 1000);
  return c;
}

int DayOfWeek(DateTime value) {
  const long long day = static_cast<long long>(std::floor(value.days));
  // 1899-12-30 was a Saturday.
  return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

}  // namespace capsdub
