// A KAP.dll that lacks an entry is not used at all: the binding fails with the text that names
// the missing entry's line, frees the library, binds nothing and gives the caller's current
// directory back; a later call tries again. A folder without the library loads nothing.
#include <windows.h>

#undef SetCurrentDirectory

#include <gtest/gtest.h>

#include "kapbinding/kap_library.h"
#include "platform/files.h"

namespace capsdub {
namespace {

TEST(KapLibraryMissingEntry, FailsWholeAndLeavesNothingBound) {
  const std::string partial = platform::ProgramFolder() + "partial";
  ASSERT_TRUE(platform::FileExists(partial + "\\KAP.dll"));
  const std::string caller_directory = platform::CurrentDirectory();

  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt == 0 ? "first call" : "second call");
    try {
      LoadKapLibrary(partial);
      ADD_FAILURE() << "a library without KapGetFirstRecorded was bound";
    } catch (const KapBindingError& e) {
      // KapGetFirstRecorded is the tenth entry: 640 + 9 * 4.
      EXPECT_STREQ(e.what(),
                   "Assertion failure (kapbinding\\win32\\kap_library_win32.cpp, line 676)");
    }
    EXPECT_EQ(platform::CurrentDirectory(), caller_directory);
    EXPECT_EQ(GetModuleHandleW(L"KAP.DLL"), nullptr) << "the library stays loaded";
    EXPECT_EQ(KapLibraryEntries().KapOpen, nullptr);
    EXPECT_EQ(KapLibraryEntries().KapDeleteReservation, nullptr);
  }
}

TEST(KapLibraryMissingEntry, AFolderWithoutTheLibraryLoadsNothing) {
  const std::string caller_directory = platform::CurrentDirectory();
  EXPECT_FALSE(LoadKapLibrary(platform::ProgramFolder()));
  EXPECT_EQ(platform::CurrentDirectory(), caller_directory);
  EXPECT_EQ(KapLibraryEntries().KapOpen, nullptr);
}

}  // namespace
}  // namespace capsdub
