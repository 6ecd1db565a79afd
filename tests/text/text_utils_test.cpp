// Shift-JIS trimming and the double-byte position test.
#include "ui/text/text_utils.h"

#include <gtest/gtest.h>

namespace capsdub {
namespace {

TEST(TrimSpaces, RemovesAsciiFullWidthAndControlsAtBothEnds) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"  \x81\x40 \x81\x40", ""},        // only spaces
      {"\x81\x40News\x81\x40 ", "News"},  // full-width around
      {" \t\x81\x40"
       "abc"
       "\x81\x40\r\n",
       "abc"},  // controls outside
      {"\x81\x40\x01\x81\x40"
       "abc",
       "\x81\x40"
       "abc"},                   // control stops step 3, step 4 eats it
      {"\x83\x40", "\x83\x40"},  // ァ: second byte 0x40 kept
      {"abc\x83\x40  ", "abc\x83\x40"},
      {"a\x81\x81\x40", "a\x81\x81\x40"},  // 0x81 0x81 then 0x40: not a space
  };
  for (const auto& c : cases) EXPECT_EQ(TrimSpaces(c.in), c.out) << c.in;
}

TEST(IsTrailByte, CountsLeadBytesBackwards) {
  EXPECT_FALSE(IsTrailByte("\x83\x40", 1));
  EXPECT_TRUE(IsTrailByte("\x83\x40", 2));
  EXPECT_FALSE(IsTrailByte("\x83\x40\x83\x41", 3));
  EXPECT_TRUE(IsTrailByte("\x83\x40\x83\x41", 4));
  EXPECT_FALSE(IsTrailByte("ab", 2));
  EXPECT_THROW(IsTrailByte("ab", 0), IllegalIndex);
  EXPECT_THROW(IsTrailByte("ab", 3), IllegalIndex);
  try {
    IsTrailByte("", 1);
    FAIL();
  } catch (const IllegalIndex& e) {
    EXPECT_STREQ(e.what(), "Illegal Index");
  }
}

TEST(YearOfDate, TakesTheDatePart) {
  EXPECT_EQ(YearOfDate(DateTime{EncodeDate(2001, 12, 31) + 0.99999}), 2001);
  EXPECT_EQ(YearOfDate(DateTime{EncodeDate(1999, 1, 1)}), 1999);
}

}  // namespace
}  // namespace capsdub
