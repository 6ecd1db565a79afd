// The keyword expression engine: matching semantics over Shift-JIS, errors, linear time.
#include "dubbing/keyword/regex.h"

#include <gtest/gtest.h>

#include <string>

namespace capsdub::keyword {
namespace {

// Shift-JIS characters used below. The second byte of SO and HYO is a backslash, of ZO a "]",
// of MA "^" and of NE2 "|": a double-byte character must never be split into operators.
const std::string A = "\x82\xa0";    // あ
const std::string I = "\x82\xa2";    // い
const std::string N = "\x82\xf1";    // ん
const std::string KA = "\x83\x4a";   // カ
const std::string SO = "\x83\x5c";   // ソ
const std::string ZO = "\x83\x5d";   // ゾ
const std::string MA = "\x83\x7d";   // マ
const std::string HYO = "\x95\x5c";  // 表
const std::string HW_A = "\xb1";     // ｱ (half-width, one byte)
const std::string NE2 = "\x88\x7c";  // 位 (second byte "|")
const std::string LONE = "\x88";     // a lead byte standing alone

struct MatchCase {
  std::string pattern;
  std::string text;
  bool expected;
};

TEST(RegexTest, MatchesAsAwkDoesWithDoubleByteCharacters) {
  const MatchCase cases[] = {
      // Search anywhere, concatenation, alternation, grouping.
      {"abc", "xxabcxx", true},
      {"abc", "ab", false},
      {"ab|cd", "xcd", true},
      {"a(b|c)d", "acd", true},
      {"a(b|c)d", "aed", false},
      {"", "", true},
      {"", "anything", true},
      // Empty alternatives and empty groups match the empty text.
      {"a|", "zzz", true},
      {"x(|y)z", "xz", true},
      {"x()z", "xz", true},
      {"x()z", "xyz", false},
      {"(|)", "", true},
      // Repetition, also stacked and nested.
      {"ab*c", "ac", true},
      {"ab*c", "abbbc", true},
      {"ab+c", "ac", false},
      {"ab+c", "abbc", true},
      {"ab?c", "abbc", false},
      {"a**", "", true},
      {"(a*)*b", "aaab", true},
      {"(a*)+$", "b", true},
      {"^(a|b)*$", "abba", true},
      {"^(a|b)*$", "abca", false},
      // Anchors hold only at the ends of the text.
      {"^ab", "ab", true},
      {"^ab", "cab", false},
      {"ab$", "cab", true},
      {"ab$", "abc", false},
      {"a^b", "a^b", false},
      {"^$", "", true},
      {"^*a", "a", true},
      // A double-byte character is one character for ".", repetition and classes.
      {"^.$", A, true},
      {"^..$", A, false},
      {"^" + A + "*$", A + A + A, true},
      {A + "+" + I, A + A + I, true},
      {"^[" + A + I + "]$", I, true},
      {"^[" + A + "]$", "\x82", false},
      {"^[^" + A + "]$", I, true},
      {"^[^a]$", A, true},
      {"^[" + A + "-" + N + "]+$", A + I + N, true},
      {"^[" + A + "-" + N + "]$", KA, false},
      {"^[" + KA + "-" + MA + "]$", SO, true},
      {"[a-z]", HW_A, false},
      {"[a-" + SO + "]", HW_A, true},  // single bytes up to 0xFF sort before ソ
      {"^[\xa0-\xdf]$", HW_A, true},
      // Second bytes that look like operators belong to their character.
      {SO, SO, true},
      {SO + "+", "x" + SO + SO, true},
      {HYO + "$", HYO, true},
      {"[" + SO + "]", "\\", false},
      {"[" + ZO + "]", ZO, true},
      {"[" + ZO + "]", "]", false},
      {"^" + MA + "$", MA, true},
      {NE2, NE2, true},
      {NE2, "\x88", false},
      // A byte of a double-byte character is never a character of the text.
      {"\\\\", SO, false},
      {"\\|", NE2, false},
      {"^.$", LONE, true},
      {"^" + LONE + "$", LONE, true},
      {"^" + LONE + " $", LONE + " ", true},
      {"^..$", LONE + " ", true},
      // Bracket expressions.
      {"[]a]", "]", true},
      {"[^]a]", "]", false},
      {"[^]a]", "b", true},
      {"[a-]", "-", true},
      {"[\\]]", "]", true},
      {"[\\-x]", "-", true},
      {"[[:digit:]]+", "a12", true},
      {"^[[:alpha:]_]+$", "ab_C", true},
      {"[[:upper:]]", "abc", false},
      {"[[:space:]]", "a\tb", true},
      {"[[:punct:]]", "a!b", true},
      {"[[:xdigit:]]", "g", false},
      {"[[]", "[", true},
      {"a]", "a]", true},
      // Escapes: metacharacters, AWK's control escapes, octal, an escaped double-byte char.
      {"a\\.b", "a.b", true},
      {"a\\.b", "axb", false},
      {"\\(\\)\\*\\+\\?\\[\\^\\$\\|", "()*+?[^$|", true},
      {"a\\tb", "a\tb", true},
      {"a\\nb", "a\nb", true},
      {"\\101", "A", true},
      {"\\/", "/", true},
      {"\\" + A, A, true},
      {"{2}", "a{2}", true},
      // Nothing special about ".", "*" and "^" in a class.
      {"[.*^]", "a*", true},
      {"[.*]", "a", false},
  };
  for (const MatchCase& c : cases) {
    const Regex regex(c.pattern);
    ASSERT_TRUE(regex.ok()) << c.pattern << ": " << regex.error();
    EXPECT_EQ(regex.Search(c.text), c.expected) << "pattern " << c.pattern << ", text " << c.text;
  }
}

struct ErrorCase {
  std::string pattern;
  RegexError code;
  std::string arg;  // offending piece
};

TEST(RegexTest, ReportsTheErrorAndTheOffendingPiece) {
  const ErrorCase cases[] = {
      {"a(", RegexError::kMissingParen, "("},
      {"x(a|(b)", RegexError::kMissingParen, "(a|(b)"},
      {"a)", RegexError::kUnexpectedParen, "a)"},
      {"(a))b", RegexError::kUnexpectedParen, "(a))"},
      {"*a", RegexError::kMissingRepeatArgument, "*"},
      {"a|+", RegexError::kMissingRepeatArgument, "+"},
      {"(?)", RegexError::kMissingRepeatArgument, "?"},
      {"ab\\", RegexError::kTrailingBackslash, "\\"},
      {"a[bc", RegexError::kMissingBracket, "[bc"},
      {"[]", RegexError::kMissingBracket, "[]"},
      {"[a\\]", RegexError::kMissingBracket, "[a\\]"},
      {"[" + SO + "", RegexError::kMissingBracket, "[" + SO},
      {"[z-a]", RegexError::kBadCharRange, "z-a"},
      {"[" + N + "-" + A + "]", RegexError::kBadCharRange, N + "-" + A},
      {"[a-[:digit:]]", RegexError::kBadCharRange, "a-[:digit:]"},
      {"[[:kanji:]]", RegexError::kBadCharClass, "[:kanji:]"},
      {std::string(201, '(') + std::string(201, ')'), RegexError::kNestingTooDeep,
       "(" + std::string(201, ')')},
  };
  for (const ErrorCase& c : cases) {
    const Regex regex(c.pattern);
    EXPECT_FALSE(regex.ok()) << c.pattern;
    EXPECT_EQ(regex.error_code(), c.code) << c.pattern;
    EXPECT_EQ(regex.error_arg(), c.arg) << c.pattern;
    EXPECT_NE(regex.error().find(c.arg), std::string::npos) << regex.error();
    EXPECT_FALSE(regex.Search(c.pattern));
    EXPECT_FALSE(regex.Search(""));
  }
  // Nesting up to the limit is fine.
  EXPECT_TRUE(Regex(std::string(200, '(') + "a" + std::string(200, ')')).Search("a"));
}

TEST(RegexTest, RejectsAProgramBeyondItsSizeLimit) {
  std::string pattern;
  for (int i = 0; i < 40000; ++i) pattern += "(a|b)";
  const Regex regex(pattern);
  EXPECT_EQ(regex.error_code(), RegexError::kPatternTooLarge);
  EXPECT_EQ(regex.program_size(), 0u);
}

// Patterns that make a backtracking matcher take exponential time must stay linear here: each
// search below would not finish in a backtracking engine.
TEST(RegexTest, PathologicalPatternsRunInLinearTime) {
  const std::string as(5000, 'a');
  const std::string double_as = [] {
    std::string s;
    for (int i = 0; i < 2000; ++i) s += A;
    return s;
  }();
  EXPECT_FALSE(Regex("(a|aa)*b").Search(as));
  EXPECT_TRUE(Regex("(a|aa)*b").Search(as + "b"));
  EXPECT_FALSE(Regex("(x*)*y").Search(std::string(5000, 'x')));
  EXPECT_FALSE(Regex("^(a*)*(a+)+(a?)*$").Search(as + "c"));
  EXPECT_FALSE(Regex("((((a*)*)*)*)*c").Search(as));
  EXPECT_FALSE(Regex("(" + A + "|" + A + A + ")*" + I).Search(double_as));
  EXPECT_FALSE(Regex("(.*)*(.*)*z").Search(double_as + as));
  std::string alternation;
  for (int i = 0; i < 50; ++i) alternation += (i ? "|" : "") + std::string(30, 'a') + "b";
  EXPECT_FALSE(Regex(alternation).Search(as.substr(0, 1000)));
  EXPECT_TRUE(Regex(alternation).Search(as.substr(0, 1000) + "b"));
}

}  // namespace
}  // namespace capsdub::keyword
