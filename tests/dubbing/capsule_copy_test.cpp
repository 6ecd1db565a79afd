// The capsule copy: byte-exact joins around the block size, missing segments, output naming
// in both forms, stop and pause between blocks, and removal of output cut short by an error.
#include "dubbing/capsule_copy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "catalogue/host_files.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dubbing_job.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/posix_paths.h"
#include "tests/dubbing/test_support.h"

namespace capsdub {
namespace {

using testing::Exists;
using testing::FakeWindow;
using testing::HashFile;
using testing::HashFiles;
using testing::Sjis;

constexpr std::uint64_t kBlock = kCopyBlockSize;

class CapsuleCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::ResetFaults();
    host_ = scratch_.Folder("host\\");
    out_ = scratch_.Folder("out\\");
    window_.table.PathReelKeeper = host_;  // no tape database: the .sdb stays empty
  }
  void TearDown() override { platform::testing::ResetFaults(); }

  // Writes a segment of `size` bytes into the host folder and returns its path.
  std::string Segment(const std::string& name, std::uint64_t size) {
    const std::string path = host_ + name;
    testing::WriteStreamFile(path, size, name);
    return path;
  }
  // Makes `title` the current row.
  void CurrentTitle(const std::string& title, const std::string& number = "0012") {
    window_.table.CurrentRow = testing::AddRow(window_.table, number, title, 0);
  }
  double Dub(const std::vector<std::string>& media, const std::vector<std::string>& index,
             const std::string& proposed, double size = 0, const std::string& number = "0012") {
    return DubCapsule(window_, media, index, proposed, size, number);
  }

  testing::ScratchFolder scratch_;
  std::string host_;
  std::string out_;
  FakeWindow window_;
};

TEST_F(CapsuleCopyTest, JoinsSegmentsByteForByteAroundTheBlockSize) {
  const struct {
    std::uint64_t size;
    int blocks;
  } cases[] = {{0, 0}, {1, 1}, {kBlock - 1, 1}, {kBlock, 1}, {kBlock + 1, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    for (const char* ext : {".mpg", ".ssx", ".sdb", ".scx"}) {
      platform::DeleteFileAt(out_ + "News" + ext);
    }
    FakeWindow window;
    window.table.PathReelKeeper = host_;
    window.table.CurrentRow = testing::AddRow(window.table, "0012", "News", 0);
    const std::string media = Segment("0012-001.ssg", c.size);
    const std::string index = Segment("0012-001.ssx", 100);
    // Any read after the last byte fails: the copy must stop at the end without reading on.
    platform::testing::ActiveFaults().read_error_path_part = "0012-001.ssg";
    platform::testing::ActiveFaults().read_error_after = c.size;
    const double copied = DubCapsule(window, {media}, {index}, out_ + "News.mpg", 0, "0012");
    platform::testing::ResetFaults();
    EXPECT_EQ(copied, static_cast<double>(c.size + 100));
    EXPECT_EQ(HashFile(out_ + "News.mpg"), HashFile(media));
    EXPECT_EQ(platform::FileSizeOf(out_ + "News.mpg"), c.size);
    EXPECT_EQ(HashFile(out_ + "News.ssx"), HashFile(index));
    // One yield per block, one per segment file.
    EXPECT_EQ(window.yields, c.blocks + 1 + 1 + 1);
    EXPECT_TRUE(Exists(out_ + "News.sdb"));
    EXPECT_EQ(platform::FileSizeOf(out_ + "News.scx"), 0u);
    EXPECT_EQ(window.StatusTexts().back(), Sjis("Newsダビング終了."));
    EXPECT_EQ(window.statuses.back().colour, kColourWindowText);
  }
}

TEST_F(CapsuleCopyTest, JoinsSeveralSegmentsOfTensOfMegabytes) {
  CurrentTitle("Big");
  const std::vector<std::string> media = {Segment("0012-001.ssg", 3 * kBlock + 12345),
                                          Segment("0012-002.ssg", 9'999'999),
                                          Segment("0012-003.ssg", 1)};
  const std::vector<std::string> index = {Segment("0012-001.ssx", kBlock + 7),
                                          Segment("0012-002.ssx", 0)};
  const double media_bytes = 3.0 * kBlock + 12345 + 9'999'999 + 1;
  const double index_bytes = kBlock + 7;
  const double size_kb = (media_bytes + index_bytes) / 1024;
  const double copied = Dub(media, index, out_ + "Big.mpg", size_kb);
  EXPECT_EQ(copied, media_bytes + index_bytes);
  EXPECT_EQ(HashFile(out_ + "Big.mpg"), HashFiles(media));
  EXPECT_EQ(HashFile(out_ + "Big.ssx"), HashFiles(index));
  // Progress: range 0-100 at the start, rising once per block to 100, back to 0 at the end.
  ASSERT_EQ(window_.positions.size(), 1u + (4 + 2 + 1) + (2 + 0) + 1);
  EXPECT_EQ(window_.positions.front(), 0);
  EXPECT_EQ(window_.positions[window_.positions.size() - 2], 100);
  EXPECT_EQ(window_.positions.back(), 0);
  for (std::size_t i = 2; i + 1 < window_.positions.size(); ++i) {
    EXPECT_GE(window_.positions[i], window_.positions[i - 1]);
  }
}

TEST(ProgressPosition, NearestPercentHalvesToEvenAtMostFull) {
  const struct {
    double total;
    double size_kb;
    int expected;
  } cases[] = {
      {0, 200, 0},
      {1024, 200, 0},  // 0.5 % -> 0
      {3 * 1024, 200, 2},
      {5 * 1024, 200, 2},  // 1.5 -> 2, 2.5 -> 2
      {7 * 1024, 200, 4},
      {100 * 1024, 200, 50},
      {300 * 1024, 200, 100},  // index bytes push past the catalogue size
      {1e18, 1, 100},
      // Unknown size: empty before the first byte, full after it.
      {0, 0, 0},
      {1, 0, 100},
      {1, -5, 100},
      {0, std::nan(""), 0},
      {5, std::nan(""), 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressPosition(c.total, c.size_kb), c.expected) << c.total << " " << c.size_kb;
  }
}

TEST_F(CapsuleCopyTest, SegmentThatGrowsWhileCopiedIsFollowedToItsNewEnd) {
  CurrentTitle("Live");
  const std::string segment = Segment("0012-001.ssg", kBlock + 10);
  window_.on_yield = [&](FakeWindow&, int n) {
    // The host goes on recording into the segment that is being copied.
    if (n == 1 || n == 2) {
      std::ofstream append(platform::HostPath(segment), std::ios::binary | std::ios::app);
      append << std::string(kBlock / 2, static_cast<char>('a' + n));
    }
  };
  const double copied = Dub({segment}, {}, out_ + "Live.mpg");
  EXPECT_EQ(copied, static_cast<double>(2 * kBlock + 10));
  EXPECT_EQ(HashFile(out_ + "Live.mpg"), HashFile(segment));
}

TEST_F(CapsuleCopyTest, MissingSegmentIsReportedAndSkipped) {
  CurrentTitle("Gap");
  const std::string first = Segment("0012-001.ssg", 1000);
  const std::string missing = host_ + "0012-002.ssg";
  const std::string third = Segment("0012-003.ssg", 2000);
  const double copied = Dub({first, missing, third}, {}, out_ + "Gap.mpg");
  EXPECT_EQ(copied, 3000);
  EXPECT_EQ(HashFile(out_ + "Gap.mpg"), HashFiles({first, third}));
  EXPECT_TRUE(window_.HasStatus(missing + Sjis("が見つかりません."), kColourRed));
  EXPECT_EQ(window_.statuses.back().text, Sjis("Gapダビング終了."));
}

TEST_F(CapsuleCopyTest, CapsuleWithoutIndexSegmentsGetsAnEmptySsx) {
  CurrentTitle("NoIndex");
  const double copied = Dub({Segment("0012-001.ssg", 4321)}, {}, out_ + "NoIndex.mpg");
  EXPECT_EQ(copied, 4321);
  EXPECT_EQ(platform::FileSizeOf(out_ + "NoIndex.ssx"), 0u);
}

TEST_F(CapsuleCopyTest, TakenNameIsRenumberedInTheMpegForm) {
  const struct {
    std::string title;
    std::vector<std::string> existing;
    std::string expected;
  } cases[] = {
      {"News", {"News.mpg", "News(1).mpg"}, "News(2)"},
      {"News", {"News.mpg", "News.ssx", "News.sdb"}, "News(1)"},
      {"", {".mpg"}, "(1)"},
      {Sjis("表"), {Sjis("表.mpg")}, Sjis("表(1)")},
      {"a.b", {"a.b.mpg"}, "a.b(1)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testing::ScratchFolder scratch;
    const std::string out = scratch.Folder("out\\");
    for (const std::string& name : c.existing) testing::WriteFileBytes(out + name, "old");
    FakeWindow window;
    window.table.PathReelKeeper = host_;
    window.table.CurrentRow = testing::AddRow(window.table, "0012", c.title, 0);
    window.NumberDuplicates = true;
    const std::string media = Segment("0012-001.ssg", 50);
    DubCapsule(window, {media}, {}, out + TitleToFileName(c.title) + ".mpg", 0, "0012");
    for (const char* ext : {".mpg", ".ssx", ".sdb", ".scx"}) {
      EXPECT_TRUE(Exists(out + c.expected + ext)) << ext;
    }
    EXPECT_EQ(HashFile(out + c.expected + ".mpg"), HashFile(media));
    for (const std::string& name : c.existing) {
      // Only the .mpg name is tested; the companions of a free base would be overwritten,
      // those of a taken one stay.
      EXPECT_EQ(testing::ReadFileBytes(out + name), "old") << name;
    }
  }
}

TEST_F(CapsuleCopyTest, CabinetFormNamesByNumberAndRenumbersFromOne) {
  const struct {
    std::vector<std::string> existing;
    std::string expected;
  } cases[] = {
      {{}, "0012"},
      {{"0012.mpg"}, "0001"},
      {{"0012.mpg", "0001.mpg"}, "0002"},
      {{"0012.mpg", "0002.mpg"}, "0001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testing::ScratchFolder scratch;
    const std::string out = scratch.Folder("out\\");
    for (const std::string& name : c.existing) testing::WriteFileBytes(out + name, "old");
    FakeWindow window;
    window.table.PathReelKeeper = host_;
    window.table.CurrentRow = testing::AddRow(window.table, "0012", "Title", 0);
    window.form = OutputForm::kExternalCabinet;
    window.NumberDuplicates = true;
    DubCapsule(window, {Segment("0012-001.ssg", 50)}, {}, out + "Title.mpg", 0, "0012");
    for (const char* ext : {".mpg", ".ssx", ".sdb", ".scx"}) {
      EXPECT_TRUE(Exists(out + c.expected + ext)) << ext;
    }
    EXPECT_FALSE(Exists(out + "Title.mpg"));
  }
}

// A capsule whose folder choice was cancelled has a bare proposed name: both forms write
// into the current directory, never into the root of its drive.
TEST_F(CapsuleCopyTest, BareProposedNameWritesIntoTheCurrentDirectory) {
  const std::string previous = platform::CurrentDirectory();
  const std::string here = scratch_.Folder("here\\");
  ASSERT_TRUE(platform::SetCurrentDirectory(WithoutTrailingSeparator(here)));
  for (const OutputForm form : {OutputForm::kMpegFile, OutputForm::kExternalCabinet}) {
    FakeWindow window;
    window.table.PathReelKeeper = host_;
    window.table.CurrentRow = testing::AddRow(window.table, "0012", "News", 0);
    window.form = form;
    window.NumberDuplicates = true;
    const std::string media = Segment("0012-001.ssg", 50);
    DubCapsule(window, {media}, {}, "News.mpg", 0, "0012");
    DubCapsule(window, {media}, {}, "News.mpg", 0, "0012");  // the name is now taken
    const std::vector<std::string> bases = form == OutputForm::kMpegFile
                                               ? std::vector<std::string>{"News", "News(1)"}
                                               : std::vector<std::string>{"0012", "0001"};
    for (const std::string& base : bases) {
      for (const char* ext : {".mpg", ".ssx", ".sdb", ".scx"}) {
        EXPECT_TRUE(Exists(here + base + ext)) << base << ext;
      }
      EXPECT_EQ(HashFile(here + base + ".mpg"), HashFile(media));
    }
  }
  platform::SetCurrentDirectory(previous);
}

TEST_F(CapsuleCopyTest, TakenNameWithoutRenumberingSkipsAndTouchesNothing) {
  for (const OutputForm form : {OutputForm::kMpegFile, OutputForm::kExternalCabinet}) {
    testing::ScratchFolder scratch;
    const std::string out = scratch.Folder("out\\");
    const std::string taken = form == OutputForm::kMpegFile ? "News" : "0012";
    testing::WriteFileBytes(out + taken + ".mpg", "old mpg");
    testing::WriteFileBytes(out + taken + ".ssx", "old ssx");
    FakeWindow window;
    window.table.PathReelKeeper = host_;
    window.table.CurrentRow = testing::AddRow(window.table, "0012", "News", 0);
    window.form = form;
    window.NumberDuplicates = false;
    const double copied =
        DubCapsule(window, {Segment("0012-001.ssg", 50)}, {}, out + "News.mpg", 0, "0012");
    EXPECT_EQ(copied, 0);
    EXPECT_EQ(window.statuses.back().text, Sjis("Newsはダビング済みです."));
    EXPECT_EQ(window.statuses.back().colour, kColourRed);
    EXPECT_EQ(testing::ReadFileBytes(out + taken + ".mpg"), "old mpg");
    EXPECT_EQ(testing::ReadFileBytes(out + taken + ".ssx"), "old ssx");
    for (const char* name : {"News(1).mpg", "0001.mpg", "News.sdb", "0012.sdb", "News.scx"}) {
      EXPECT_FALSE(Exists(out + name)) << name;
    }
  }
}

// Copies of three blocks of media and two of index, with scripted input at given yields.
class InterruptedCopyTest : public CapsuleCopyTest {
 protected:
  void SetUp() override {
    CapsuleCopyTest::SetUp();
    CurrentTitle("Show");
    // A tape database of header records only, so that the record file is written.
    platform::CreateFolders(host_ + "RKDB\\");
    testing::WriteFileBytes(TapeDatabasePath(host_), std::string(4 * 1024, '#'));
    media_ = {Segment("0012-001.ssg", 2 * kBlock + 10)};
    index_ = {Segment("0012-001.ssx", kBlock + 10)};
  }
  std::vector<std::string> media_;
  std::vector<std::string> index_;
};

TEST_F(InterruptedCopyTest, StopRemovesThePartialOutput) {
  const struct {
    int stop_at_yield;  // yields: 1-3 media blocks, 4 after the media file, 5-6 index blocks
    double copied;
  } cases[] = {{1, kBlock}, {3, 2.0 * kBlock + 10}, {5, 2.0 * kBlock + 10 + kBlock}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stop_at_yield);
    FakeWindow window;
    window.table = window_.table;
    window.on_yield = [&](FakeWindow& w, int n) {
      if (n == c.stop_at_yield) ActionSTOPExecute(w);
    };
    const double copied = DubCapsule(window, media_, index_, out_ + "Show.mpg", 0, "0012");
    EXPECT_EQ(copied, c.copied);
    for (const char* ext : {".mpg", ".ssx", ".sdb", ".scx"}) {
      EXPECT_FALSE(Exists(out_ + "Show" + ext)) << ext;
    }
    EXPECT_EQ(window.statuses.back().text, Sjis("Showダビング中断."));
    EXPECT_EQ(window.statuses.back().colour, kColourRed);
    EXPECT_EQ(window.positions.back(), 0);
    EXPECT_TRUE(window.StopRequested);
  }
}

TEST_F(InterruptedCopyTest, PauseThenResumeGivesTheUninterruptedOutput) {
  window_.on_yield = [](FakeWindow& w, int n) {
    // The first press pauses inside the copy's yield; the nested wait keeps yielding, and
    // the second press, two yields later, resumes.
    if (n == 2 || n == 4) ActionPauseExecute(w);
  };
  const double copied = Dub(media_, index_, out_ + "Show.mpg");
  EXPECT_EQ(copied, 3.0 * kBlock + 20);
  EXPECT_EQ(HashFile(out_ + "Show.mpg"), HashFiles(media_));
  EXPECT_EQ(HashFile(out_ + "Show.ssx"), HashFiles(index_));
  EXPECT_EQ(window_.captions, (std::vector<std::string>{Sjis(" 再 開 "), Sjis("一時停止")}));
  EXPECT_FALSE(window_.PauseRequested);
}

TEST_F(InterruptedCopyTest, PauseThenStopEndsTheWaitAndRemovesTheOutput) {
  window_.on_yield = [](FakeWindow& w, int n) {
    if (n == 1) ActionPauseExecute(w);
    if (n == 3) ActionSTOPExecute(w);
  };
  const double copied = Dub(media_, index_, out_ + "Show.mpg");
  EXPECT_EQ(copied, kBlock);
  EXPECT_FALSE(Exists(out_ + "Show.mpg"));
  EXPECT_FALSE(Exists(out_ + "Show.ssx"));
  EXPECT_EQ(window_.captions, (std::vector<std::string>{Sjis(" 再 開 ")}));
  EXPECT_TRUE(window_.PauseRequested);  // the next press only clears it
  ActionPauseExecute(window_);
  EXPECT_FALSE(window_.PauseRequested);
  EXPECT_EQ(window_.captions.back(), Sjis("一時停止"));
}

TEST_F(InterruptedCopyTest, InputOutputErrorRemovesThePartialOutputAndTravelsOn) {
  const struct {
    const char* what;
    std::string write_part;
    std::string read_part;
    std::uint64_t after;
  } cases[] = {
      {"disk full in the media", ".mpg", "", kBlock + 5},
      {"disk full in the index", ".ssx", "", 10},
      {"disk full in the record file", ".sdb", "", 0},
      {"disk full in the empty file", ".scx", "", 0},
      {"read error in a media segment", "", "0012-001.ssg", kBlock + 3},
      {"read error in an index segment", "", "0012-001.ssx", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::WriteFileBytes(out_ + "Earlier.mpg", "dubbed before");
    platform::testing::ResetFaults();
    auto& faults = platform::testing::ActiveFaults();
    faults.write_error_path_part = c.write_part;
    faults.write_error_after = c.after;
    faults.read_error_path_part = c.read_part;
    faults.read_error_after = c.after;
    FakeWindow window;
    window.table = window_.table;
    // .scx is empty: a write of nothing cannot fail, so its case fails at the creation.
    if (c.write_part == ".scx") {
      faults.write_error_path_part.clear();
      platform::CreateFolders(out_ + "Show.scx\\");  // a folder where the file must go
    }
    EXPECT_THROW(DubCapsule(window, media_, index_, out_ + "Show.mpg", 0, "0012"),
                 platform::IoError);
    platform::testing::ResetFaults();
    for (const char* ext : {".mpg", ".ssx", ".sdb"}) {
      EXPECT_FALSE(Exists(out_ + "Show" + ext)) << ext;
    }
    EXPECT_EQ(testing::ReadFileBytes(out_ + "Earlier.mpg"), "dubbed before");
    platform::DeleteFileAt(out_ + "Earlier.mpg");
  }
}

TEST_F(CapsuleCopyTest, VanishedSaveFolderIsAnInputOutputError) {
  CurrentTitle("Gone");
  EXPECT_THROW(Dub({Segment("0012-001.ssg", 10)}, {}, out_ + "missing\\Gone.mpg"),
               platform::IoError);
  EXPECT_FALSE(Exists(out_ + "missing\\Gone.mpg"));
}

}  // namespace
}  // namespace capsdub
