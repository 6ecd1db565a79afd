// The date, time and number parsers of the tape database.
#include <gtest/gtest.h>

#include "catalogue/host_files.h"
#include "platform/clock.h"
#include "ui/text/text_utils.h"

namespace capsdub {
namespace {

std::string Iso(DateTime d) {
  const CivilDateTime c = DecodeDateTime(d);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.year, c.month, c.day);
  return text;
}

TEST(ParseDateText, AcceptsTheLayoutsReelKeeperWrites) {
  const int this_year = YearOfDate(platform::Now());
  const struct {
    std::string in, out;
  } cases[] = {
      {"20010315", "2001-03-15"},   {"010315", "2001-03-15"},
      {"990315", "1999-03-15"},     {"200315", "1920-03-15"},
      {" 20010315 ", "2001-03-15"}, {"2001/3/15(\x96\xd8)", "2001-03-15"},
      {"3/15/2001", "2001-03-15"},  {"2001-03", "2001-03-01"},
      {"2001-03-15", "2001-03-15"}, {"20011345", "1970-01-01"},
      {"        ", "1970-01-01"},   {"2001:03:15", "2001-03-15"},
      {"3:15:2001", "2001-03-15"},  {"2001/0/15", "2001-01-01"},
      {"20010230", "1970-01-01"},   {"xx0315", "1970-03-15"},
      {"2001", "1970-01-01"},       {"15/3/40", "1970-01-01"},
  };
  for (const auto& c : cases) EXPECT_EQ(Iso(ParseDateText(c.in)), c.out) << c.in;
  EXPECT_EQ(Iso(ParseDateText("3/15(\x96\xd8)")), std::to_string(this_year) + "-03-15");
}

TEST(ParseDateText, SwapsWhenTheDayIsAYear) {
  // 12/31/40: the third number is 40, so it is the year.
  EXPECT_EQ(Iso(ParseDateText("12/31/40")), "0040-12-31");
  // 5/6/7 stays year 5.
  EXPECT_EQ(Iso(ParseDateText("5/6/7")), "0005-06-07");
}

TEST(ParseTimeText, HandlesLateNightHours) {
  const struct {
    std::string in;
    int days, h, m, s;
  } cases[] = {
      {"213000", 0, 21, 30, 0}, {"2130", 0, 21, 30, 0}, {"253000", 1, 1, 30, 0},
      {"29:00", 0, 0, 0, 0},    {"24:00", 1, 0, 0, 0},  {"12:34:56", 0, 12, 34, 56},
      {"7:5", 0, 7, 5, 0},      {"216000", 0, 0, 0, 0}, {"      ", 0, 0, 0, 0},
      {"12345", 0, 0, 0, 0},    {"ab:cd", 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const double expected = c.days + EncodeTime(c.h, c.m, c.s);
    EXPECT_DOUBLE_EQ(ParseTimeText(c.in), expected) << c.in;
  }
}

TEST(ParseNumberText, ReadsThousandsSeparatorsAndFallsBack) {
  EXPECT_DOUBLE_EQ(ParseNumberText("1,234,567", 0), 1234567);
  EXPECT_DOUBLE_EQ(ParseNumberText("  1048576   ", 0), 1048576);
  EXPECT_DOUBLE_EQ(ParseNumberText("12.5", 0), 12.5);
  EXPECT_DOUBLE_EQ(ParseNumberText("", -1), -1);
  EXPECT_DOUBLE_EQ(ParseNumberText("12a", -1), -1);
  EXPECT_DOUBLE_EQ(ParseNumberText(std::string("\0\0\0", 3), 7), 7);
  // Texts that the conversion would take as infinity or not-a-number are not numbers.
  for (const char* text : {"inf", "-INF", "nan", "NaN(1)", "infinity", "1e999"}) {
    EXPECT_DOUBLE_EQ(ParseNumberText(text, 5), 5) << text;
  }
}

}  // namespace
}  // namespace capsdub
