// The job's plan (the dry runs): the outputs it names are exactly the files the job then
// writes, with taken names skipped or renumbered, and planning changes nothing on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "catalogue/scan.h"
#include "dubbing/command_line.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dubbing_job.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub {
namespace {

using testing::FakeWindow;

// Name and size of every file in a folder.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const platform::DirEntry& e : platform::ListFiles(folder, "*")) {
    names.push_back(e.name + " " + std::to_string(e.size));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::set<std::string> MpgNames(const std::string& folder) {
  std::set<std::string> names;
  for (const platform::DirEntry& e : platform::ListFiles(folder, "*.mpg")) names.insert(e.name);
  return names;
}

samplegen::CapsuleLayout Capsule(const std::string& number, const std::string& title) {
  samplegen::CapsuleLayout c;
  c.number = number;
  c.title = title;
  c.start = {2001, 5, 1, 20, 0, 0, 0};
  c.size_bytes = 3000;
  c.segments = {{".ssg", 3000, 0, 0, true}, {".ssx", 100, 0, 0, true}};
  return c;
}

class DubPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = scratch_.Folder("Reel Keeper\\");
    out_ = scratch_.Folder("out\\");
    layout_.media = {scratch_.drive()};
    // Two capsules share a title, a third's name is taken on disk.
    layout_.capsules = {Capsule("0001", "News"), Capsule("0002", "News"), Capsule("0003", "Film"),
                        Capsule("0004", "Drama")};
    for (auto& c : layout_.capsules) c.medium = scratch_.drive();
    samplegen::WriteHost(host_, layout_);
    testing::WriteFileBytes(out_ + "Film.mpg", "taken");
    testing::WriteFileBytes(out_ + "news(1).mpg", "taken too");  // names compare without case
    testing::WriteFileBytes(out_ + "0004.mpg", "cabinet name taken");
  }

  // A window with the host loaded and every capsule selected.
  void Load(FakeWindow& window) {
    window.table.PathReelKeeper = host_;
    LoadCatalogue(window.table, window);
    for (const CatalogueRow& row : window.table.Table1.rows())
      window.table.Selection.insert(row.id);
    window.save_folder = out_;
    window.batch = true;
  }

  testing::ScratchFolder scratch_;
  std::string host_;
  std::string out_;
  samplegen::HostLayout layout_;
};

TEST_F(DubPlanTest, PlannedOutputsAreTheFilesTheJobWrites) {
  const struct {
    OutputForm form;
    bool renumber;
    std::vector<std::string> outputs;  // in the job's order; "" skipped
  } cases[] = {
      {OutputForm::kMpegFile, false, {"News.mpg", "", "", "Drama.mpg"}},
      {OutputForm::kMpegFile, true, {"News.mpg", "News(2).mpg", "Film(1).mpg", "Drama.mpg"}},
      {OutputForm::kExternalCabinet, false, {"0001.mpg", "0002.mpg", "0003.mpg", ""}},
      {OutputForm::kExternalCabinet, true, {"0001.mpg", "0002.mpg", "0003.mpg", "0005.mpg"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.form)) + (c.renumber ? " renumbered" : ""));
    const std::string folder = scratch_.Folder("case" + std::to_string(&c - cases) + "\\");
    for (const char* taken : {"Film.mpg", "news(1).mpg", "0004.mpg"}) {
      testing::WriteFileBytes(folder + taken, "taken");
    }
    FakeWindow window;
    Load(window);
    window.save_folder = folder;
    window.form = c.form;
    window.NumberDuplicates = c.renumber;
    const std::vector<std::string> before = Listing(folder);
    const std::vector<PlannedDub> plan = PlanExport(window);
    EXPECT_EQ(Listing(folder), before);  // planning creates nothing

    std::vector<std::string> planned;
    std::set<std::string> planned_names;
    for (const PlannedDub& dub : plan) {
      planned.push_back(dub.output.empty() ? "" : FileNameOf(dub.output));
      if (!dub.output.empty()) {
        EXPECT_EQ(FolderOf(dub.output), folder);
        planned_names.insert(FileNameOf(dub.output));
      }
      EXPECT_TRUE(dub.room);
    }
    EXPECT_EQ(planned, c.outputs);

    const std::set<std::string> old_names = MpgNames(folder);
    testing::RecordingDeleter deleter;
    ActionExportExecute(window, deleter);
    std::set<std::string> created;
    for (const std::string& name : MpgNames(folder)) {
      if (old_names.count(name) == 0) created.insert(name);
    }
    EXPECT_EQ(created, planned_names);
  }
}

TEST_F(DubPlanTest, BatchPlanFollowsTheArgumentsWithoutDubbing) {
  FakeWindow window;
  Load(window);
  window.table.Selection.clear();
  window.folders = {out_};
  const std::vector<std::string> before = Listing(out_);
  // Sorted by number, the first three; /w renumbers, /o would name by number.
  const auto plan = PlanCommandLine(window, {out_, "/s:n", "/c:3", "/w"});
  ASSERT_TRUE(plan.has_value());
  ASSERT_EQ(plan->size(), 3u);
  EXPECT_EQ(FileNameOf((*plan)[0].output), "News.mpg");
  EXPECT_EQ(FileNameOf((*plan)[1].output), "News(2).mpg");
  EXPECT_EQ(FileNameOf((*plan)[2].output), "Film(1).mpg");
  EXPECT_EQ(Listing(out_), before);
  EXPECT_EQ(window.closes, 0);
  EXPECT_TRUE(window.informations.empty());

  // Without /w the taken name is skipped.
  const auto plain = PlanCommandLine(window, {out_, "/s:n", "/c:3"});
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(FileNameOf((*plain)[0].output), "News.mpg");
  EXPECT_EQ((*plain)[1].output, "");
  EXPECT_EQ((*plain)[2].output, "");

  // Arguments that ask for the usage text plan nothing and show nothing.
  EXPECT_FALSE(PlanCommandLine(window, {out_, "/?"}).has_value());
  EXPECT_FALSE(PlanCommandLine(window, {"Z:\\no such folder\\"}).has_value());
  EXPECT_TRUE(window.informations.empty());
}

TEST_F(DubPlanTest, RoomIsCountedOverThePlannedDubs) {
  FakeWindow window;
  Load(window);
  window.NumberDuplicates = true;
  // Room for the first two capsules of the job's order and half a kilobyte more.
  auto id = window.table.Selection.begin();
  double kb = 0.5 + window.table.Table1.FindById(*id)->FileSize;
  kb += window.table.Table1.FindById(*++id)->FileSize;
  platform::testing::ActiveFaults().free_bytes = static_cast<std::uint64_t>(kb * 1024);
  const std::vector<PlannedDub> plan = PlanExport(window);
  platform::testing::ResetFaults();
  std::vector<bool> room;
  for (const PlannedDub& dub : plan) room.push_back(dub.room);
  EXPECT_EQ(room, (std::vector<bool>{true, true, false, false}));
}

}  // namespace
}  // namespace capsdub
