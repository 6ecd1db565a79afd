// Shift-JIS trimming, the double-byte position test and the trailing backslash.
#include "ui/text/text_utils.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "ui/text/sjis.h"

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
       "abc"},  // 0x01 stops the left trim of spaces; the final trim of controls removes it
      {"\x83\x40", "\x83\x40"},  // ァ: second byte 0x40 kept
      {"abc\x83\x40  ", "abc\x83\x40"},
      {"a\x81\x81\x40", "a\x81\x81\x40"},  // 0x81 0x81 then 0x40: not a space
      // Bytes up to 0x20 go at the ends whatever comes before them.
      {"abc\x83 ", "abc\x83"},
      {"abc\xfc \x81\x40", "abc\xfc"},
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

TEST(TrimRightSpaces, ASpaceAfterALeadByteIsACharacterOfItsOwn) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"abc\x83 ", "abc\x83"},  // 0x20 cannot be a second byte: "\x83" stands alone
      {"abc\x83  ", "abc\x83"},        {"abc\xfc \x81\x40", "abc\xfc"},
      {"abc\x83\x83 ", "abc\x83\x83"},  // a pair of lead bytes, then a space
      {"abc\x83\x40 ", "abc\x83\x40"},  // ァ and a space
      {"\x81\x40\x81\x40 ", ""},
  };
  for (auto c : cases) {
    TrimRightSpaces(c.in);
    EXPECT_EQ(c.in, c.out);
  }
}

// The bytes where the trimming's position test and the character steps once disagreed: a
// lead byte pairs only with a valid second byte, for the trimming as for every walker.
TEST(IsTrailByte, OnlyAValidSecondByteCompletesALeadByte) {
  for (const unsigned char lead : {0x81, 0x9F, 0xE0, 0xFC}) {
    for (const unsigned char second : {0x00, 0x20, 0x3F, 0x7F, 0xFD, 0xFF}) {
      const std::string text{static_cast<char>(lead), static_cast<char>(second)};
      EXPECT_FALSE(IsTrailByte(text, 2)) << int{lead} << " " << int{second};
      EXPECT_EQ(CharLengthAt(text, 0), 1u) << int{lead} << " " << int{second};
    }
    for (const unsigned char second : {0x40, 0x5C, 0x7E, 0x80, 0x81, 0xFC}) {
      const std::string text{static_cast<char>(lead), static_cast<char>(second)};
      EXPECT_TRUE(IsTrailByte(text, 2)) << int{lead} << " " << int{second};
      EXPECT_EQ(CharLengthAt(text, 0), 2u) << int{lead} << " " << int{second};
    }
  }
  for (const unsigned char single : {0x20, 0x40, 0x80, 0xA0, 0xDF, 0xFD, 0xFF}) {
    const std::string text{static_cast<char>(single), '\x40'};
    EXPECT_FALSE(IsTrailByte(text, 2)) << int{single};
    EXPECT_EQ(CharLengthAt(text, 0), 1u) << int{single};
  }
  EXPECT_EQ(CharLengthAt("a\x83", 1), 1u);  // cut off at the end
}

// IsTrailByte, counting lead bytes backwards, against stepping forwards with CharLengthAt.
TEST(IsTrailByte, AgreesWithTheCharacterSteps) {
  const unsigned char alphabet[] = {0x00, 0x20, 0x40, 0x7F, 0x80, 0x81,
                                    0x9F, 0xA0, 0xDF, 0xE0, 0xFC, 0xFD};
  constexpr std::size_t kLength = 4;
  std::size_t counters[kLength] = {};
  for (;;) {
    std::string text;
    for (const std::size_t c : counters) text += static_cast<char>(alphabet[c]);
    std::vector<bool> second(kLength, false);
    for (std::size_t i = 0; i < text.size(); i += CharLengthAt(text, i)) {
      if (CharLengthAt(text, i) == 2) second[i + 1] = true;
    }
    for (std::size_t p = 1; p <= kLength; ++p) {
      ASSERT_EQ(IsTrailByte(text, p), second[p - 1]) << testing::PrintToString(text) << " " << p;
    }
    std::size_t k = 0;
    while (k < kLength && ++counters[k] == std::size(alphabet)) counters[k++] = 0;
    if (k == kLength) break;
  }
}

TEST(WithTrailingBackslash, IsNotFooledByADoubleByteCharacter) {
  EXPECT_EQ(WithTrailingBackslash("D:\\RK"), "D:\\RK\\");
  EXPECT_EQ(WithTrailingBackslash("D:\\RK\\"), "D:\\RK\\");
  EXPECT_EQ(WithTrailingBackslash(""), "\\");
  // 表 is 0x95 0x5C: its second byte is not a separator.
  EXPECT_EQ(WithTrailingBackslash("D:\\\x95\\"), "D:\\\x95\\\\");
}

TEST(YearOfDate, TakesTheDatePart) {
  EXPECT_EQ(YearOfDate(DateTime{EncodeDate(2001, 12, 31) + 0.99999}), 2001);
  EXPECT_EQ(YearOfDate(DateTime{EncodeDate(1999, 1, 1)}), 1999);
}

}  // namespace
}  // namespace capsdub
