// The working folder that ShellOpen gives the shell: the target up to its last backslash or
// colon, double-byte aware.
#include "ui/shell_open.h"

#include <gtest/gtest.h>

namespace capsdub {
namespace {

TEST(ShellWorkingFolder, UpToTheLastBackslashOrColon) {
  const struct {
    const char* target;
    const char* folder;
  } cases[] = {
      {"C:\\Program Files\\Reel Keeper\\readme.txt", "C:\\Program Files\\Reel Keeper\\"},
      {"C:readme.txt", "C:"},
      {"D:\\", "D:\\"},
      {"\\\\server\\share\\doc.txt", "\\\\server\\share\\"},
      {"readme.txt", ""},
      {"", ""},
      // A web address: its last colon is the scheme's, since the rest uses slashes.
      {"http://www.example.jp/capsdub/", "http:"},
      {"http://host:8080/path", "http://host:"},
      {"folder\\sub:stream", "folder\\sub:"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShellWorkingFolder(c.target), c.folder) << c.target;
}

TEST(ShellWorkingFolder, BackslashValueInsideADoubleByteCharacterIsNoSeparator) {
  // 表 is 0x95 0x5C: its second byte has the value of a backslash.
  EXPECT_EQ(ShellWorkingFolder("C:\\\x95\x5c.txt"), "C:\\");
  EXPECT_EQ(ShellWorkingFolder("C:\\\x95\x5c\\a.txt"), "C:\\\x95\x5c\\");
  EXPECT_EQ(ShellWorkingFolder("\x95\x5c"), "");
  // A lead byte at the very end stands alone; a lead byte takes the next byte with it.
  EXPECT_EQ(ShellWorkingFolder("a\\\x95"), "a\\");
  EXPECT_EQ(ShellWorkingFolder("\x95\\"), "");
  EXPECT_EQ(ShellWorkingFolder("\x95"
                               "a\\"),
            "\x95"
            "a\\");
}

}  // namespace
}  // namespace capsdub
