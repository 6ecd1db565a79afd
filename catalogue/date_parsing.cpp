// The forgiving parsers of dates, times and numbers that the tape database needs: several
// date layouts, late-night hours 24 to 28, thousands separators; never an error.
#include <charconv>
#include <cmath>
#include <string>

#include "catalogue/host_files.h"
#include "platform/clock.h"
#include "ui/text/text_utils.h"

namespace capsdub {
namespace {

// A decimal integer, or 0 for anything that is not one.
int IntOrZero(std::string_view text, bool* ok = nullptr) {
  const std::optional<int> value = ParseIntegerText(text);
  if (ok) *ok = value.has_value();
  return value.value_or(0);
}

std::string_view UpToParen(std::string_view text) {
  const auto paren = text.find('(');
  return paren == std::string_view::npos ? text : text.substr(0, paren);
}

DateTime Fallback() {
  return DateTime{EncodeDate(1970, 1, 1)};
}

// Three separated numbers: normally year, month, day; month/day/year when the third is 32 or
// more.
void ThreeNumbers(std::string_view text, char sep, std::size_t first_sep, int& y, int& m, int& d) {
  const int first = IntOrZero(text.substr(0, first_sep));
  const std::string_view rest = text.substr(first_sep + 1);
  const auto second_sep = rest.find(sep);
  const int second = IntOrZero(rest.substr(0, second_sep));
  const int third = IntOrZero(UpToParen(rest.substr(second_sep + 1)));
  if (third >= 32) {
    y = third;
    m = first;
    d = second;
  } else {
    y = first;
    m = second;
    d = third;
  }
}

}  // namespace

DateTime ParseDateText(std::string_view text) {
  int y = 0, m = 0, d = 0;
  if (const auto slash = text.find('/'); slash != std::string_view::npos) {
    const std::string_view rest = text.substr(slash + 1);
    if (rest.find('/') == std::string_view::npos) {
      m = IntOrZero(text.substr(0, slash));
      y = YearOfDate(platform::Now());
      d = IntOrZero(UpToParen(rest));
    } else {
      ThreeNumbers(text, '/', slash, y, m, d);
    }
  } else if (const auto dash = text.find('-'); dash != std::string_view::npos) {
    const std::string_view rest = text.substr(dash + 1);
    if (rest.find('-') == std::string_view::npos) {
      y = IntOrZero(text.substr(0, dash));
      m = IntOrZero(rest);
      d = 1;
    } else {
      ThreeNumbers(text, '-', dash, y, m, d);
    }
  } else if (text.find(':') == std::string_view::npos) {
    const std::string t = TrimControls(std::string(text));
    bool ok = false;
    if (t.size() == 6) {
      int yy = IntOrZero(t.substr(0, 2), &ok);
      if (!ok) yy = 70;
      y = yy >= 20 ? 1900 + yy : 2000 + yy;
      m = IntOrZero(t.substr(2, 2), &ok);
      if (!ok) m = 1;
      d = IntOrZero(t.substr(4, 2), &ok);
      if (!ok) d = 1;
    } else if (t.size() == 8) {
      y = IntOrZero(t.substr(0, 4), &ok);
      if (!ok) y = 1970;
      m = IntOrZero(t.substr(4, 2), &ok);
      if (!ok) m = 1;
      d = IntOrZero(t.substr(6, 2), &ok);
      if (!ok) d = 1;
    } else {
      return Fallback();
    }
  } else {
    const auto colon = text.find(':');
    const std::string_view rest = text.substr(colon + 1);
    const auto second = rest.find(':');
    y = IntOrZero(text.substr(0, colon));
    m = second == std::string_view::npos ? 0 : IntOrZero(rest.substr(0, second));
    d = second == std::string_view::npos ? 0 : IntOrZero(UpToParen(rest.substr(second + 1)));
    if (d >= 32) {
      const int first = y;
      y = d;
      d = m;
      m = first;
    }
  }
  if (m == 0 || d == 0) m = d = 1;
  if (!(d <= 31 || y >= 13)) {
    const int year = d, month = y, day = m;
    y = year;
    m = month;
    d = day;
  }
  if (!IsValidDate(y, m, d)) return Fallback();
  return DateTime{EncodeDate(y, m, d)};
}

double ParseTimeText(std::string_view text) {
  int h = 0, n = 0, s = 0;
  if (text.find(':') == std::string_view::npos) {
    const std::string t = TrimControls(std::string(text));
    if (t.size() != 4 && t.size() != 6) return 0.0;
    h = IntOrZero(t.substr(0, 2));
    n = IntOrZero(t.substr(2, 2));
    s = t.size() == 6 ? IntOrZero(t.substr(4, 2)) : 0;
  } else {
    const auto colon = text.find(':');
    const std::string_view rest = text.substr(colon + 1);
    const auto second = rest.find(':');
    h = IntOrZero(text.substr(0, colon));
    n = IntOrZero(rest.substr(0, second));
    s = second == std::string_view::npos ? 0 : IntOrZero(rest.substr(second + 1));
  }
  double extra_day = 0.0;
  if (h >= 24 && h <= 28) {
    h -= 24;
    extra_day = 1.0;
  }
  if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59) return 0.0;
  return extra_day + EncodeTime(h, n, s);
}

double ParseNumberText(std::string_view text, double fallback) {
  std::string t = TrimControls(std::string(text));
  std::erase(t, ',');
  if (t.empty()) return fallback;
  const char* begin = t.data();
  if (*begin == '+') ++begin;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(begin, t.data() + t.size(), value);
  if (ec != std::errc() || ptr != t.data() + t.size()) return fallback;
  // "inf" and "nan" are not numbers a host file means; a NaN size would also break the
  // ordering of the catalogue.
  if (!std::isfinite(value)) return fallback;
  return value;
}

}  // namespace capsdub
