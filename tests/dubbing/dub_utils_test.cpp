// The dubbing utilities: file names from titles, unquoting, path pieces, number format,
// waiting and running a program.
#include "dubbing/dub_utils.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/posix_paths.h"
#include "tests/dubbing/test_support.h"

namespace capsdub {
namespace {

using testing::FakeWindow;
using testing::Sjis;

TEST(TitleToFileName, ReplacesEachReservedSymbolByItsFullWidthForm) {
  const struct {
    const char* title;
    const char* expected;  // UTF-8
  } cases[] = {
      {"a\\b", "a￥b"}, {"a/b", "a／b"},    {"a:b", "a：b"},        {"a,b", "a，b"},
      {"a;b", "a；b"},  {"a*b", "a＊b"},    {"a?b", "a？b"},        {"a\"b", "a”b"},
      {"a<b", "a＜b"},  {"a>b", "a＞b"},    {"a|b", "a｜b"},        {"a/b:c?", "a／b：c？"},
      {"", ""},         {"  x. ", "  x. "}, {"\\\\//", "￥￥／／"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TitleToFileName(c.title), Sjis(c.expected)) << c.title;
  }
}

TEST(TitleToFileName, LeavesTheSecondByteOfADoubleByteCharacterAlone) {
  // 表 is 0x95 0x5C and ソ is 0x83 0x5C: neither second byte is a backslash.
  EXPECT_EQ(TitleToFileName(Sjis("表ソ")), Sjis("表ソ"));
  EXPECT_EQ(TitleToFileName(Sjis("表\\ソ/")), Sjis("表￥ソ／"));
  // A lead byte at the very end is a character of its own; the text is kept as it is.
  EXPECT_EQ(TitleToFileName(std::string("a\x95")), std::string("a\x95"));
}

TEST(Unquote, RemovesOnePairOfQuotesAndUndoublesInnerOnes) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"\"news\"", "news"},
      {"\"a\"\"b\"", "a\"b"},
      {"\"a\"\"\"\"b\"", "a\"\"b"},
      {"\"\"", ""},
      {"\"", "\""},            // no closing quote after removing the leading one
      {"\"open", "\"open"},    // unchanged, leading quote kept
      {"plain\"", "plain\""},  // no leading quote
      {"a\"\"b", "a\"\"b"},    // doubled quotes are only undoubled inside quotes
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Unquote(c.text), c.expected) << c.text;
}

TEST(PathPieces, ASecondByte0x5CIsNoSeparator) {
  const std::string table = Sjis("表");  // 0x95 0x5C
  EXPECT_EQ(FolderOf("D:\\out\\" + table + ".mpg"), "D:\\out\\");
  EXPECT_EQ(FileNameOf("D:\\out\\" + table + ".mpg"), table + ".mpg");
  EXPECT_EQ(FolderOf(table + ".mpg"), "");
  EXPECT_EQ(ChangeExtension("D:\\o.ut\\" + table, ".sdb"), "D:\\o.ut\\" + table + ".sdb");
  EXPECT_EQ(ChangeExtension("D:\\out\\.mpg", ""), "D:\\out\\");
  EXPECT_EQ(WithoutTrailingSeparator("D:\\out\\"), "D:\\out");
  EXPECT_EQ(WithoutTrailingSeparator("D:\\"), "D:\\");
  EXPECT_EQ(WithoutTrailingSeparator("D:\\" + table), "D:\\" + table);
}

TEST(WaitSeconds, StepsOfTenMillisecondsWithAYieldEach) {
  const struct {
    double seconds;
    int yields;
  } cases[] = {{0.05, 5}, {0.009, 0}, {0, 0}, {-1, 0}, {0.123, 12}};
  for (const auto& c : cases) {
    FakeWindow window;
    WaitSeconds(c.seconds, window);
    EXPECT_EQ(window.yields, c.yields) << c.seconds;
  }
}

// A command line that writes the program's working directory into `file` after a short wait.
std::string WorkingFolderCommand(const std::string& file) {
#ifdef _WIN32
  return "cmd /c cd > \"" + file + "\"";
#else
  return "sh -c \"sleep 0.3; pwd > '" + platform::HostPath(file) + "'\"";
#endif
}

TEST(RunAndWait, WaitsForTheProgramInTheProgramsFolder) {
  testing::ScratchFolder scratch;
  const std::string marker = scratch.root() + "cwd.txt";
  FakeWindow window;
  RunAndWait(WorkingFolderCommand(marker), 0, window);
  ASSERT_TRUE(testing::Exists(marker)) << "returned before the program ended";
  std::string written = testing::ReadFileBytes(marker);
  while (!written.empty() && (written.back() == '\n' || written.back() == '\r')) {
    written.pop_back();
  }
  std::string expected = WithoutTrailingSeparator(platform::ProgramFolder());
#ifndef _WIN32
  expected = platform::HostPath(expected);
  while (expected.size() > 1 && expected.back() == '/') expected.pop_back();
  EXPECT_GE(window.yields, 2);  // polled every 100 ms while the program slept
#endif
  EXPECT_EQ(written, expected);
}

TEST(RunAndWait, ReturnsAtOnceWhenTheProgramCannotBeStarted) {
  FakeWindow window;
  RunAndWait("capsdub-no-such-program-4711 /x", 0, window);
  RunAndWait("", 0, window);
  EXPECT_EQ(window.yields, 0);
}

}  // namespace
}  // namespace capsdub
