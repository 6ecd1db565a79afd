// The catalogue's display formats.
#include "catalogue/display_format.h"

#include "ui/text/sjis_literals.h"

#include <cmath>
#include <cstdio>

namespace capsdub {
namespace {

constexpr const char* kWeekdays[7] = {
    "日", "月", "火", "水", "木", "金", "土",
};
constexpr char kYear[] = "年";
constexpr char kMonth[] = "月";
constexpr char kDay[] = "日";

}  // namespace

std::string FormatCatalogueDate(DateTime value) {
  const CivilDateTime c = DecodeDateTime(value);
  char date[16], time[16];
  std::snprintf(date, sizeof date, "%04d", c.year);
  std::string out = date;
  std::snprintf(date, sizeof date, "%02d", c.month);
  out += kYear;
  out += date;
  out += kMonth;
  std::snprintf(date, sizeof date, "%02d", c.day);
  out += date;
  out += kDay;
  out += "(";
  out += kWeekdays[DayOfWeek(value)];
  std::snprintf(time, sizeof time, ") %02d:%02d", c.hour, c.minute);
  out += time;
  return out;
}

std::string FormatThousands(double value, const std::string& separator) {
  const double rounded = std::round(value);
  const bool negative = rounded < 0;
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.0f", std::fabs(rounded));
  std::string plain = digits;
  std::string out;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i > 0 && (plain.size() - i) % 3 == 0) out += separator;
    out += plain[i];
  }
  return negative ? "-" + out : out;
}

}  // namespace capsdub
