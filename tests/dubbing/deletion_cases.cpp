// The deletion cases and their common run.
#include "tests/dubbing/deletion_cases.h"

#include <gtest/gtest.h>

#include "catalogue/scan.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dubbing_job.h"
#include "hostlibs/store/store_writer.h"
#include "platform/fault_injection.h"
#include "platform/files.h"

namespace capsdub::testing {

namespace {

constexpr std::uint64_t kMediaSegment = 20'000;
constexpr std::uint64_t kIndexSegment = 3'000;

samplegen::CapsuleLayout KeepMe(char medium) {
  samplegen::CapsuleLayout c;
  c.number = "0005";
  c.title = "Keep Me";
  c.start = {2001, 4, 13, 23, 30, 0, 0};
  c.size_bytes = 2 * kMediaSegment;
  c.medium = medium;
  c.segments = {{".ssg", kMediaSegment, 0, 0, true},
                {".ssg", kMediaSegment, 0, 0, true},
                {".ssx", kIndexSegment, 0, 0, true}};
  return c;
}

// The status text `suffix` after segment `position`'s path.
std::function<std::string(const DeletionHost&)> SegmentStatus(std::size_t position,
                                                              const char* suffix) {
  return [=](const DeletionHost& h) { return h.SegmentPath(position) + Sjis(suffix); };
}

std::function<std::string(const DeletionHost&)> Fixed(const char* utf8) {
  return [=](const DeletionHost&) { return Sjis(utf8); };
}

platform::testing::Faults& Faults() {
  return platform::testing::ActiveFaults();
}

}  // namespace

std::string DeletionHost::SegmentPath(std::size_t position) const {
  return samplegen::SegmentPath(host, capsule(), position);
}

std::vector<DeletionCase> DeletionCases() {
  using E = DeletionExpectation;
  return {
      {"clean dub", [](DeletionHost&) {}, E::kDeleted, Fixed("Keep Meダビング検証終了."),
       kColourWindowText},
      {"segment deleted after the listing",
       [](DeletionHost& h) { ASSERT_TRUE(platform::DeleteFileAt(h.SegmentPath(1))); },
       E::kIncomplete, SegmentStatus(1, "が見つかりません.")},
      {"segment deleted while the one before is copied",
       [](DeletionHost& h) {
         const std::string second = h.SegmentPath(1);
         h.window.on_yield = [second](FakeWindow&, int) {
           if (platform::FileExists(second)) platform::DeleteFileAt(second);
         };
       },
       E::kIncomplete, SegmentStatus(1, "が見つかりません.")},
      {"segment that fails to open",
       [](DeletionHost& h) { Faults().open_error_path_part = FileNameOf(h.SegmentPath(0)); },
       E::kIncomplete, SegmentStatus(0, "を開けません.")},
      {"segment cut short during the copy",
       [](DeletionHost& h) {
         Faults().short_read_path_part = FileNameOf(h.SegmentPath(1));
         Faults().short_read_after = kMediaSegment / 2;
       },
       E::kIncomplete, SegmentStatus(1, "が短くなりました.")},
      {"index segment that fails to open",
       [](DeletionHost& h) { Faults().open_error_path_part = FileNameOf(h.SegmentPath(2)); },
       E::kIncomplete, SegmentStatus(2, "を開けません.")},
      {".mpg byte changed before the read-back",
       [](DeletionHost&) {
         Faults().changed_byte_path_part = "Keep Me.mpg";
         Faults().changed_byte_offset = kMediaSegment + 7;  // in the second segment's bytes
       },
       E::kVerifyError, nullptr},
      {".ssx byte changed before the read-back",
       [](DeletionHost&) {
         Faults().changed_byte_path_part = "Keep Me.ssx";
         Faults().changed_byte_offset = kIndexSegment - 1;  // its last byte
       },
       E::kVerifyError, nullptr},
      {"stop during the read-back",
       [](DeletionHost& h) {
         const std::string verifying = Sjis("Keep Meダビング検証中...");
         h.window.on_yield = [verifying](FakeWindow& w, int) {
           if (!w.statuses.empty() && w.statuses.back().text == verifying) w.StopRequested = true;
         };
       },
       E::kStopped, Fixed("Keep Meダビング検証中断.")},
  };
}

void PrepareDeletionHost(const ScratchFolder& scratch, bool standin, DeletionHost& host) {
  host.host = scratch.Folder("Reel Keeper\\");
  host.out = scratch.Folder("out\\");
  host.layout.media = {scratch.drive()};
  host.layout.seed = 7;
  host.layout.capsules = {KeepMe(scratch.drive())};
  samplegen::WriteHost(host.host, host.layout);
  if (standin) hoststore::WriteSampleStandIn(host.host);
  host.window.table.PathReelKeeper = host.host;
  LoadCatalogue(host.window.table, host.window);
  ASSERT_EQ(host.window.table.Table1.size(), 1u);
  CatalogueRow& row = host.window.table.Table1.mutable_rows().front();
  row.FileSize = 1;
  host.window.table.Selection = {row.id};
  host.window.save_folder = host.out;
  host.window.check_delete = true;
  host.window.statuses.clear();
}

void RunDeletionCase(const DeletionCase& c, DeletionHost& host, CapsuleDeleter& deleter) {
  SCOPED_TRACE(c.name);
  platform::testing::ResetFaults();
  c.arrange(host);
  ActionExportExecute(host.window, deleter);
  platform::testing::ResetFaults();

  FakeWindow& w = host.window;
  ASSERT_EQ(w.dubbed.size(), 1u);
  switch (c.expected) {
    case DeletionExpectation::kDeleted:
      EXPECT_TRUE(w.notices.empty()) << (w.notices.empty() ? "" : w.notices[0].text);
      break;
    case DeletionExpectation::kIncomplete:
      // The box names the segment the dub lacks; the sizes alone would have passed.
      ASSERT_EQ(w.notices.size(), 1u);
      EXPECT_EQ(w.notices[0].text, Sjis("ダビング不完全エラー ") + c.status(host));
      EXPECT_EQ(w.notices[0].icon, MessageIcon::kError);
      break;
    case DeletionExpectation::kVerifyError:
      ASSERT_EQ(w.notices.size(), 1u);
      EXPECT_EQ(w.notices[0].text, Sjis("ダビング検証エラー ") + host.MpgPath());
      EXPECT_EQ(w.notices[0].icon, MessageIcon::kError);
      break;
    case DeletionExpectation::kStopped:
      EXPECT_TRUE(w.notices.empty());
      break;
  }
  if (c.status) {
    EXPECT_TRUE(w.HasStatus(c.status(host), c.status_colour)) << c.status(host);
  }
  // The dub's files stay in every case.
  for (const char* extension : {".mpg", ".ssx", ".sdb", ".scx"}) {
    EXPECT_TRUE(Exists(ChangeExtension(host.MpgPath(), extension))) << extension;
  }
}

}  // namespace capsdub::testing
