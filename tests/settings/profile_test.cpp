// The profile layer: names without regard to case, blanks and quotes around values, empty
// values against missing keys, updates in place, erased sections, Japanese text.
#include "platform/profile.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>

#include "platform/fault_injection.h"
#include "tests/settings/profile_fixture.h"

namespace capsdub::platform {
namespace {

using Lines = std::vector<std::string>;
using capsdub::testing::ProfileTest;

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

// A Windows directory that refuses the user's writes: the settings go to the user's
// virtual-store copy, which starts from the file's contents and is read from then on; the file
// itself is left as it was.
TEST_F(ProfileTest, AnUnwritableWindowsDirectoryFileMovesToTheVirtualStore) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring local =
      std::wstring(temp) + L"CapsDubLocal-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  ASSERT_TRUE(CreateDirectoryW(local.c_str(), nullptr));
  wchar_t old_local[MAX_PATH] = {};
  const bool had_local = GetEnvironmentVariableW(L"LOCALAPPDATA", old_local, MAX_PATH) > 0;
  SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str());

  ASSERT_TRUE(WriteProfileValue(file(), "A", "kept", "1"));
  const std::string windows_path = ProfilePath(file());
  const std::wstring windows_wide(windows_path.begin(), windows_path.end());
  const std::string before = RawBytes();
  platform::testing::ActiveFaults().profile_denied_path_part = windows_path;

  EXPECT_TRUE(WriteProfileValue(file(), "A", "new", "2"));
  EXPECT_EQ(ReadProfileValue(file(), "A", "kept"), "1");
  EXPECT_EQ(ReadProfileValue(file(), "A", "new"), "2");
  const std::string store = ProfilePath(file());
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(std::wstring(store.begin(), store.end()),
            local + L"VirtualStore\\" + std::wstring(windows).substr(3) + L"\\" +
                std::wstring(file().begin(), file().end()));
  EXPECT_TRUE(EraseProfileSection(file(), "A"));
  EXPECT_EQ(ReadProfileValue(file(), "A", "kept"), std::nullopt);
  EXPECT_EQ(Sections().count("A"), 0u);

  platform::testing::ResetFaults();
  std::string after;
  {
    // The Windows directory's file is unchanged.
    FILE* f = _wfopen(windows_wide.c_str(), L"rb");
    ASSERT_NE(f, nullptr);
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) after.append(buffer, n);
    fclose(f);
  }
  EXPECT_EQ(after, before);
  DeleteFileW(windows_wide.c_str());
  DeleteFileW(std::wstring(store.begin(), store.end()).c_str());
  SetEnvironmentVariableW(L"LOCALAPPDATA", had_local ? old_local : nullptr);
  // The folders made for the store, innermost first.
  std::wstring folder = std::wstring(store.begin(), store.end());
  while (folder.size() > local.size()) {
    folder.resize(folder.rfind(L'\\'));
    RemoveDirectoryW(folder.c_str());
  }
  RemoveDirectoryW(local.c_str());
}
#endif

}  // namespace
}  // namespace capsdub::platform
