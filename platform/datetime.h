// Date-time values as the catalogue and the output files use them: days since 1899-12-30
// as a floating number, the fraction being the time of day (a time may exceed one day).
#pragma once

#include <compare>
#include <cstdint>

namespace capsdub {

struct CivilDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

struct DateTime {
  double days = 0.0;  // days since 1899-12-30 00:00; the fraction is the time of day

  friend bool operator==(DateTime a, DateTime b) { return a.days == b.days; }
  friend auto operator<=>(DateTime a, DateTime b) { return a.days <=> b.days; }
};

// True when (year, month, day) is a date of the proleptic Gregorian calendar in 1..9999.
bool IsValidDate(int year, int month, int day);
// Day number of a valid date (days since 1899-12-30).
double EncodeDate(int year, int month, int day);
// Fraction of a day; the caller checks the ranges it wants.
double EncodeTime(int hour, int minute, int second, int millisecond = 0);
DateTime MakeDateTime(const CivilDateTime& c);
// Splits a value into calendar fields, rounding to the nearest millisecond.
CivilDateTime DecodeDateTime(DateTime value);
// 0 = Sunday ... 6 = Saturday.
int DayOfWeek(DateTime value);

}  // namespace capsdub
