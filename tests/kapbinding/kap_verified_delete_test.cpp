// Verified deletion through the real KAP.dll over the stand-in host libraries: a capsule whose
// dub is incomplete or does not read back identical is still in Reel Keeper afterwards, with
// its record and segment files; the clean dub is deleted. The binding holds once per process,
// so every case runs in one test, each on a fresh host.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "dubbing/kap_capsule_deleter.h"
#include "kapbinding/kap_library.h"
#include "platform/files.h"
#include "tests/dubbing/deletion_cases.h"
#include "tests/kap/kap_test_support.h"

// windows.h maps SetCurrentDirectory to SetCurrentDirectoryW; the platform function keeps its name.
#undef SetCurrentDirectory

namespace capsdub {
namespace {

bool Recorded(const std::string& host, int id) {
  for (const auto& capsule : kaptest::ReadCapsules(host)) {
    if (std::stoi(capsule.number) == id) return true;
  }
  return false;
}

TEST(KapVerifiedDeletion, OnlyACompleteDubThatReadsBackIdenticalLeavesReelKeeper) {
  const std::string install = platform::ProgramFolder() + "kaphost";
  ASSERT_TRUE(platform::FileExists(install + "\\KAP.dll")) << install;
  kaptest::ScopedHostValue installed(L"InstalledPath", kaptest::Widen(install));
  ASSERT_TRUE(LoadKapLibrary(""));
  KapCapsuleDeleter deleter(&KapLibraryEntries());

  for (const testing::DeletionCase& c : testing::DeletionCases()) {
    SCOPED_TRACE(c.name);
    std::optional<testing::ScratchFolder> scratch(std::in_place);
    testing::DeletionHost host;
    ASSERT_NO_FATAL_FAILURE(testing::PrepareDeletionHost(*scratch, true, host));
    kaptest::ScopedEnvironment data(L"CAPSDUB_STANDIN_DATA", kaptest::Widen(host.host));
    ASSERT_TRUE(Recorded(host.host, 5));
    testing::RunDeletionCase(c, host, deleter);
    if (c.expected == testing::DeletionExpectation::kDeleted) {
      EXPECT_FALSE(Recorded(host.host, 5));
      EXPECT_FALSE(platform::FileExists(host.SegmentPath(0)));
    } else {
      EXPECT_TRUE(Recorded(host.host, 5));
      // Every segment the case did not remove itself is still there.
      for (std::size_t i = 0; i < 3; ++i) {
        if (c.name.find("deleted") == std::string::npos || i != 1) {
          EXPECT_TRUE(platform::FileExists(host.SegmentPath(i))) << i;
        }
      }
    }
    platform::SetCurrentDirectory(platform::ProgramFolder());  // the scratch folder goes away
  }
}

}  // namespace
}  // namespace capsdub
