// The profile layer: names without regard to case, blanks and quotes around values, empty
// values against missing keys, updates in place, erased sections, Japanese text.
#include "platform/profile.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>

#include "tests/settings/profile_fixture.h"

namespace capsdub::platform {
namespace {

using Lines = std::vector<std::string>;
using testing::ProfileTest;

TEST_F(ProfileTest, ReadsLikeTheSystemProfileFunctions) {
  WriteRaw(
      "; a comment\n"
      "[First]\n"
      "  Key One = value with blanks  \n"
      "Quoted=\"  kept blanks  \"\n"
      "Single='x'\n"
      "Half=\"open\n"
      "Empty=\n"
      "\n"
      "[ Second ]\n"
      "a=1=2\n");
  EXPECT_EQ(ReadProfileValue(file(), "first", "KEY ONE"), "value with blanks");
  EXPECT_EQ(ReadProfileValue(file(), "First", "Quoted"), "  kept blanks  ");
  EXPECT_EQ(ReadProfileValue(file(), "First", "Single"), "x");
  EXPECT_EQ(ReadProfileValue(file(), "First", "Half"), "\"open");
  EXPECT_EQ(ReadProfileValue(file(), "First", "Empty"), "");
  EXPECT_EQ(ReadProfileValue(file(), "First", "Absent"), std::nullopt);
  EXPECT_EQ(ReadProfileValue(file(), "Second", "a"), "1=2");
  EXPECT_EQ(ReadProfileValue(file(), "Third", "a"), std::nullopt);
  EXPECT_EQ(ReadProfileKeys(file(), "First"),
            (Lines{"Key One", "Quoted", "Single", "Half", "Empty"}));
  EXPECT_TRUE(ReadProfileKeys(file(), "Third").empty());
}

TEST_F(ProfileTest, WritesUpdateInPlaceAndEraseWholeSections) {
  ASSERT_TRUE(WriteProfileValue(file(), "A", "one", "1"));
  ASSERT_TRUE(WriteProfileValue(file(), "A", "two", "2"));
  ASSERT_TRUE(WriteProfileValue(file(), "B", "x", "y"));
  ASSERT_TRUE(WriteProfileValue(file(), "a", "ONE", "first"));  // the same key
  ASSERT_TRUE(WriteProfileValue(file(), "A", "three", "3"));
  EXPECT_EQ(Sections()["A"], (Lines{"one=first", "two=2", "three=3"}));
  EXPECT_EQ(Sections()["B"], Lines{"x=y"});

  ASSERT_TRUE(EraseProfileSection(file(), "a"));
  EXPECT_EQ(Sections().count("A"), 0u);
  EXPECT_EQ(ReadProfileValue(file(), "A", "two"), std::nullopt);
  EXPECT_EQ(ReadProfileValue(file(), "B", "x"), "y");
  EXPECT_TRUE(EraseProfileSection(file(), "never there"));
}

TEST_F(ProfileTest, JapaneseTextSurvivesAnySystemLocale) {
  // Shift-JIS "カプスダブ" as key, value and section name.
  const std::string name = "\x83\x4a\x83\x76\x83\x58\x83\x5f\x83\x75";
  ASSERT_TRUE(WriteProfileValue(file(), name, name, name + "\\" + name));
  EXPECT_EQ(ReadProfileValue(file(), name, name), name + "\\" + name);
  EXPECT_EQ(ReadProfileKeys(file(), name), Lines{name});
  EXPECT_NE(Text().find("\xe3\x82\xab\xe3\x83\x97\xe3\x82\xb9\xe3\x83\x80\xe3\x83\x96"),
            std::string::npos);
  // A byte that is no Shift-JIS character cannot be stored faithfully: reported.
  EXPECT_FALSE(WriteProfileValue(file(), "A", "bad", "\x83"));
}

#ifdef _WIN32
TEST_F(ProfileTest, FileIsKeptInTheWindowsDirectoryAsUtf16) {
  ASSERT_TRUE(WriteProfileValue(file(), "A", "k", "\x98\x5e\x89\xe6"));  // 録画
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(folder, MAX_PATH), 0u);
  const std::wstring path =
      std::wstring(folder) + L"\\" + std::wstring(file().begin(), file().end());
  EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  const std::string raw = RawBytes();
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw.substr(0, 2), "\xFF\xFE") << "stored in UTF-16 with a byte-order mark";
  EXPECT_NE(Text().find("k=\xe9\x8c\xb2\xe7\x94\xbb"), std::string::npos);
  std::printf("system ANSI code page: %u\n", GetACP());
}
#endif

}  // namespace
}  // namespace capsdub::platform
