// Verified deletion: the content hash, the dubs that must not be deleted (segment missing,
// unopened, cut short; an output changed before its read-back; a stop during it) and the
// clean one that is, and a plain dub that reads nothing back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "dubbing/content_hash.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dubbing_job.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "tests/dubbing/deletion_cases.h"

namespace capsdub {
namespace {

using testing::DeletionCase;
using testing::DeletionExpectation;
using testing::DeletionHost;
using testing::Sjis;

std::uint64_t HashOf(std::string_view text) {
  ContentHasher hasher;
  hasher.Update(text.data(), text.size());
  return hasher.Digest();
}

TEST(ContentHasher, KnownValuesOfXxHash64) {
  EXPECT_EQ(HashOf(""), 0xEF46DB3751D8E999ull);
  EXPECT_EQ(HashOf("a"), 0xD24EC4F1A98C6E5Bull);
  EXPECT_EQ(HashOf("abc"), 0x44BC2CF5AD770999ull);
  EXPECT_EQ(HashOf("Nobody inspects the spammish repetition"), 0xFBCEA83C8A378BF1ull);
}

TEST(ContentHasher, PiecesOfAnySizeGiveTheHashOfTheWhole) {
  std::string data(1000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + 7);
  for (std::size_t length : {0u, 1u, 31u, 32u, 33u, 63u, 64u, 100u, 1000u}) {
    const std::string whole = data.substr(0, length);
    const std::uint64_t expected = HashOf(whole);
    for (std::size_t piece : {1u, 3u, 8u, 31u, 32u, 33u, 500u}) {
      ContentHasher hasher;
      for (std::size_t at = 0; at < length; at += piece) {
        hasher.Update(whole.data() + at, std::min(piece, length - at));
      }
      EXPECT_EQ(hasher.Digest(), expected) << length << " in pieces of " << piece;
      EXPECT_EQ(hasher.bytes(), length);
    }
  }
  // One changed bit anywhere changes the hash.
  for (std::size_t at : {0u, 31u, 32u, 500u, 999u}) {
    std::string changed = data;
    changed[at] = static_cast<char>(changed[at] ^ 1);
    EXPECT_NE(HashOf(changed), HashOf(data)) << at;
  }
}

class VerifiedDeletionTest : public ::testing::TestWithParam<DeletionCase> {
 protected:
  void TearDown() override { platform::testing::ResetFaults(); }
};

TEST_P(VerifiedDeletionTest, OnlyACompleteDubThatReadsBackIdenticalIsDeleted) {
  testing::ScratchFolder scratch;
  DeletionHost host;
  ASSERT_NO_FATAL_FAILURE(testing::PrepareDeletionHost(scratch, false, host));
  testing::RecordingDeleter deleter;
  testing::RunDeletionCase(GetParam(), host, deleter);
  const bool deleted = GetParam().expected == DeletionExpectation::kDeleted;
  EXPECT_EQ(deleter.deleted,
            deleted ? std::vector<std::string>{"0005"} : std::vector<std::string>{});
  ASSERT_EQ(host.window.checks.size(), 1u);
  const DubCheck& check = host.window.checks[0];
  EXPECT_EQ(check.deletion_requested, deleted);
  switch (GetParam().expected) {
    case DeletionExpectation::kDeleted:
      EXPECT_TRUE(check.complete());
      EXPECT_EQ(check.verification, Verification::kMatch);
      EXPECT_EQ(testing::HashFile(host.MpgPath()),
                samplegen::JoinedSegmentsHash(host.layout.seed, host.capsule(), ".ssg"));
      break;
    case DeletionExpectation::kIncomplete:
      ASSERT_EQ(check.shortfalls.size(), 1u);
      EXPECT_EQ(check.verification, Verification::kNotRun);
      break;
    case DeletionExpectation::kVerifyError:
      EXPECT_TRUE(check.complete());
      EXPECT_EQ(check.verification, Verification::kMismatch);
      // Only the read-back saw the change: the file on disk is the copy.
      EXPECT_EQ(testing::HashFile(host.MpgPath()),
                samplegen::JoinedSegmentsHash(host.layout.seed, host.capsule(), ".ssg"));
      break;
    case DeletionExpectation::kStopped:
      EXPECT_EQ(check.verification, Verification::kStopped);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Dubs, VerifiedDeletionTest, ::testing::ValuesIn(testing::DeletionCases()),
                         [](const ::testing::TestParamInfo<DeletionCase>& info) {
                           std::string name;
                           for (char c : info.param.name) {
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

TEST(VerifiedDeletion, ShortfallsAreNotedWithTheirSizes) {
  testing::ScratchFolder scratch;
  DeletionHost host;
  ASSERT_NO_FATAL_FAILURE(testing::PrepareDeletionHost(scratch, false, host));
  auto& faults = platform::testing::ActiveFaults();
  faults.short_read_path_part = FileNameOf(host.SegmentPath(0));
  faults.short_read_after = 12'345;
  faults.open_error_path_part = FileNameOf(host.SegmentPath(2));
  testing::RecordingDeleter deleter;
  ActionExportExecute(host.window, deleter);
  platform::testing::ResetFaults();
  ASSERT_EQ(host.window.checks.size(), 1u);
  const auto& shortfalls = host.window.checks[0].shortfalls;
  ASSERT_EQ(shortfalls.size(), 2u);
  EXPECT_EQ(shortfalls[0].path, host.SegmentPath(0));
  EXPECT_EQ(shortfalls[0].fault, SegmentFault::kShortened);
  EXPECT_EQ(shortfalls[0].size_at_start, 20'000u);
  EXPECT_EQ(shortfalls[0].copied, 12'345u);
  EXPECT_EQ(shortfalls[1].path, host.SegmentPath(2));
  EXPECT_EQ(shortfalls[1].fault, SegmentFault::kNotOpened);
  EXPECT_EQ(host.window.dubbed[0].copied, 12'345 + 20'000);
  EXPECT_TRUE(deleter.deleted.empty());
  // One box names both, one line each.
  ASSERT_EQ(host.window.notices.size(), 1u);
  EXPECT_EQ(host.window.notices[0].text, Sjis("ダビング不完全エラー ") + host.SegmentPath(0) +
                                             Sjis("が短くなりました.\r\n") + host.SegmentPath(2) +
                                             Sjis("を開けません."));
}

TEST(VerifiedDeletion, APlainDubReadsNothingBackAndShowsNoBox) {
  testing::ScratchFolder scratch;
  DeletionHost host;
  ASSERT_NO_FATAL_FAILURE(testing::PrepareDeletionHost(scratch, false, host));
  host.window.check_delete = false;
  // A read of the output would fail; a plain dub never reads it.
  platform::testing::ActiveFaults().read_error_path_part = "Keep Me.";
  platform::testing::ActiveFaults().read_error_after = 0;
  // An incomplete plain dub is reported on the status line only.
  ASSERT_TRUE(platform::DeleteFileAt(host.SegmentPath(0)));
  testing::RecordingDeleter deleter;
  ActionExportExecute(host.window, deleter);
  platform::testing::ResetFaults();
  EXPECT_TRUE(host.window.notices.empty());
  EXPECT_FALSE(host.window.HasStatus(Sjis("Keep Meダビング検証中..."), kColourWindowText));
  EXPECT_TRUE(host.window.HasStatus(Sjis("Keep Meダビング終了."), kColourWindowText));
  ASSERT_EQ(host.window.checks.size(), 1u);
  EXPECT_EQ(host.window.checks[0].verification, Verification::kNotRun);
  ASSERT_EQ(host.window.checks[0].shortfalls.size(), 1u);
  EXPECT_EQ(host.window.checks[0].shortfalls[0].fault, SegmentFault::kMissing);
  EXPECT_TRUE(deleter.deleted.empty());
}

TEST(VerifiedDeletion, TheReadBackShowsItsProgressAndYields) {
  testing::ScratchFolder scratch;
  DeletionHost host;
  ASSERT_NO_FATAL_FAILURE(testing::PrepareDeletionHost(scratch, false, host));
  // A media segment of more than one block, so that the read-back takes several.
  testing::WriteStreamFile(host.SegmentPath(0), 9'000'000, "big");
  int yields_before_read_back = -1;
  const std::string verifying = Sjis("Keep Meダビング検証中...");
  host.window.on_yield = [&](testing::FakeWindow& w, int count) {
    if (yields_before_read_back < 0 && !w.statuses.empty() && w.statuses.back().text == verifying) {
      yields_before_read_back = count;
      w.positions.clear();
    }
  };
  testing::RecordingDeleter deleter;
  ActionExportExecute(host.window, deleter);
  EXPECT_EQ(deleter.deleted, std::vector<std::string>{"0005"});
  ASSERT_GT(yields_before_read_back, 0);
  EXPECT_GE(host.window.yields - yields_before_read_back, 3);  // one per block at least
  // Positions over the read-back: rising to 100, then back to 0.
  const auto& p = host.window.positions;
  ASSERT_GE(p.size(), 3u);
  EXPECT_EQ(p.back(), 0);
  EXPECT_EQ(p[p.size() - 2], 100);
  for (std::size_t i = 1; i + 1 < p.size(); ++i) EXPECT_GE(p[i], p[i - 1]);
}

}  // namespace
}  // namespace capsdub
