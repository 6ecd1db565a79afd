// The dubbing job through the recording fake window: save folders (fixed, chosen per
// capsule), row-identity order, the free-space questions, the size check and deletion,
// stop, errors, and the sample host dubbed in both output forms.
#include "dubbing/dubbing_job.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/scan.h"
#include "dubbing/dub_utils.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub {
namespace {

using testing::Exists;
using testing::FakeWindow;
using testing::HashFile;
using testing::Sjis;

constexpr std::uint32_t kSeed = 42;

samplegen::CapsuleLayout Capsule(const std::string& number, const std::string& title,
                                 std::uint64_t media, std::uint64_t index) {
  samplegen::CapsuleLayout c;
  c.number = number;
  c.title = title;
  c.start = {2001, 3, 15, 21, 30, 0, 0};
  c.size_bytes = media;
  c.segments.push_back({".ssg", media, 0, 0, true});
  c.segments.push_back({".ssx", index, 0, 0, true});
  return c;
}

class DubbingJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::ResetFaults();
    previous_directory_ = platform::CurrentDirectory();
    host_ = scratch_.Folder("Reel Keeper\\");
    layout_.media = {scratch_.drive()};
    layout_.seed = kSeed;
    layout_.capsules = {Capsule("0001", "Alpha", 3000, 100), Capsule("0002", "Beta/2", 5000, 50),
                        Capsule("0003", "Gamma", 2000, 0)};
    for (auto& capsule : layout_.capsules) capsule.medium = scratch_.drive();
    samplegen::WriteHost(host_, layout_);
    window_.table.PathReelKeeper = host_;
    // Rows added in capsule order, then shown in the reverse order as a sort would.
    ids_ = {testing::AddRow(window_.table, "0001", "Alpha", 3),
            testing::AddRow(window_.table, "0002", "Beta/2", 5),
            testing::AddRow(window_.table, "0003", "Gamma", 2)};
    auto& rows = window_.table.Table1.mutable_rows();
    std::reverse(rows.begin(), rows.end());
    window_.table.Selection = RowSet(ids_.begin(), ids_.end());
  }
  void TearDown() override {
    platform::testing::ResetFaults();
    platform::SetCurrentDirectory(previous_directory_);  // a refused job leaves it changed
  }

  void SetFileSize(std::size_t i, double size) {
    for (CatalogueRow& row : window_.table.Table1.mutable_rows()) {
      if (row.id == ids_[i]) row.FileSize = size;
    }
  }
  std::uint64_t MediaHash(std::size_t i) const {
    return samplegen::JoinedSegmentsHash(kSeed, layout_.capsules[i], ".ssg");
  }
  std::vector<std::string> DubbedNumbers() const {
    std::vector<std::string> numbers;
    for (const auto& d : window_.dubbed) numbers.push_back(d.number);
    return numbers;
  }
  void ExpectIdleAtTheEnd() const {
    EXPECT_EQ(window_.idle_states, (std::vector<bool>{false, true}));
    EXPECT_EQ(window_.events.back(), "idle:1");
    EXPECT_EQ(window_.events[window_.events.size() - 2], "resume");
  }

  testing::ScratchFolder scratch_;
  std::string previous_directory_;
  std::string host_;
  samplegen::HostLayout layout_;
  std::vector<RowId> ids_;
  FakeWindow window_;
  testing::RecordingDeleter deleter_;
};

TEST_F(DubbingJobTest, FixedSaveFolderDubsInRowIdentityOrderWhateverTheSort) {
  const std::string out = scratch_.Folder("out\\");
  window_.save_folder = out.substr(0, out.size() - 1);  // typed without the backslash
  window_.history = {"E:\\old\\"};
  ActionExportExecute(window_, deleter_);

  EXPECT_EQ(DubbedNumbers(), (std::vector<std::string>{"0001", "0002", "0003"}));
  EXPECT_EQ(HashFile(out + "Alpha.mpg"), MediaHash(0));
  EXPECT_EQ(HashFile(out + TitleToFileName("Beta/2") + ".mpg"), MediaHash(1));
  EXPECT_EQ(HashFile(out + "Gamma.mpg"), MediaHash(2));
  EXPECT_EQ(platform::FileSizeOf(out + "Alpha.ssx"), 100u);
  EXPECT_EQ(platform::FileSizeOf(out + "Gamma.ssx"), 0u);
  // The record file carries the capsule's tape record.
  EXPECT_EQ(platform::FileSizeOf(out + "Alpha.sdb"), 2048u + 1024u + 5120u);
  EXPECT_TRUE(window_.browses.empty());
  EXPECT_EQ(window_.history, (std::vector<std::string>{window_.save_folder, "E:\\old\\"}));
  EXPECT_TRUE(deleter_.deleted.empty());  // "削除する" not ticked
  EXPECT_EQ(window_.table.CurrentRow, ids_[2]);
  EXPECT_EQ(window_.table.SelectionAnchor, ids_[2]);
  EXPECT_EQ(window_.table.Selection.size(), 3u);
  EXPECT_EQ(window_.events.front(), "idle:0");
  EXPECT_EQ(window_.events[1], "suspend");
  EXPECT_NE(std::find(window_.events.begin(), window_.events.end(), "refresh"),
            window_.events.end());
  ExpectIdleAtTheEnd();
}

TEST_F(DubbingJobTest, FoldersChosenPerCapsuleReuseThePreviousOneWhenCancelled) {
  const std::string a = scratch_.Folder("a\\");
  const std::string b = scratch_.Folder("b\\");
  window_.save_folder = "  ";  // blanks only: no fixed folder
  window_.browse = [&](FakeWindow&, int call) -> std::optional<std::string> {
    if (call == 1) return a.substr(0, a.size() - 1);
    if (call == 2) return std::nullopt;
    return b;
  };
  ActionExportExecute(window_, deleter_);

  ASSERT_EQ(window_.browses.size(), 3u);
  EXPECT_EQ(window_.browses[0].title, "Alpha");
  EXPECT_EQ(window_.browses[1].title, "Beta/2");
  EXPECT_EQ(window_.browses[2].title, "Gamma");
  for (const auto& browse : window_.browses) {
    EXPECT_EQ(browse.prompt, Sjis("保存先のフォルダーを選択してください."));
    EXPECT_EQ(browse.initial, "  ");
  }
  EXPECT_TRUE(Exists(a + "Alpha.mpg"));
  EXPECT_TRUE(Exists(a + TitleToFileName("Beta/2") + ".mpg"));
  EXPECT_TRUE(Exists(b + "Gamma.mpg"));
  ExpectIdleAtTheEnd();
}

TEST_F(DubbingJobTest, ChooseSaveFoldersRetryReplacesTheChoiceIgnoreKeepsIt) {
  const std::string a = scratch_.Folder("a\\");
  const std::string b = scratch_.Folder("b\\");
  auto& faults = platform::testing::ActiveFaults();
  window_.browse = [&](FakeWindow&, int call) -> std::optional<std::string> {
    // The second capsule's first choice lies on a full drive; the retry picks another.
    faults.free_bytes = call == 2 ? std::optional<std::uint64_t>(0) : 1ull << 40;
    if (call == 1) return a;
    if (call == 2) return a;
    if (call == 3) return b;
    return std::nullopt;
  };
  window_.modal_answers = {MessageButton::kRetry};
  EXPECT_EQ(ChooseSaveFolders(window_), (std::vector<std::string>{a, b, b}));
  ASSERT_EQ(window_.modals.size(), 1u);
  EXPECT_EQ(window_.modals[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(window_.modals[0].buttons,
            (std::vector<MessageButton>{MessageButton::kRetry, MessageButton::kIgnore}));
  EXPECT_EQ(window_.modals[0].text, Sjis("ディスクの残り容量がビデオのサイズより小さいです。\r\n"
                                         "ディスクの残り容量を増やしてください。"));
  EXPECT_EQ(window_.browses.size(), 4u);
  EXPECT_EQ(platform::CurrentDirectory(), previous_directory_);

  FakeWindow ignoring;
  ignoring.table = window_.table;
  faults.free_bytes = 0;
  ignoring.browse = [&](FakeWindow&, int) -> std::optional<std::string> { return b; };
  ignoring.modal_answers = {MessageButton::kIgnore, MessageButton::kIgnore, MessageButton::kIgnore};
  EXPECT_EQ(ChooseSaveFolders(ignoring), (std::vector<std::string>{b, b, b}));
  EXPECT_EQ(ignoring.modals.size(), 3u);
}

TEST_F(DubbingJobTest, FullDriveEndsAnInteractiveJobSilently) {
  const std::string out = scratch_.Folder("out\\");
  window_.save_folder = out;
  platform::testing::ActiveFaults().free_bytes = 2 * 1024 + 1023;  // 2.99 KB < 3 KB
  ActionExportExecute(window_, deleter_);
  EXPECT_TRUE(window_.dubbed.empty());
  EXPECT_TRUE(window_.modals.empty());
  EXPECT_FALSE(Exists(out + "Alpha.mpg"));
  EXPECT_EQ(std::find(window_.events.begin(), window_.events.end(), "refresh"),
            window_.events.end());
  ExpectIdleAtTheEnd();

  // Exactly the size is enough.
  FakeWindow enough;
  enough.table = window_.table;
  enough.save_folder = out;
  platform::testing::ActiveFaults().free_bytes = 5 * 1024;
  ActionExportExecute(enough, deleter_);
  EXPECT_EQ(enough.dubbed.size(), 3u);
}

// The current directory that `folder` becomes, in the form CurrentDirectory reports.
std::string DirectoryAt(const std::string& folder) {
  const std::string previous = platform::CurrentDirectory();
  EXPECT_TRUE(platform::SetCurrentDirectory(folder)) << folder;
  const std::string result = platform::CurrentDirectory();
  platform::SetCurrentDirectory(previous);
  return result;
}

TEST_F(DubbingJobTest, FreeSpaceIsMeasuredOnTheSaveFolder) {
  const std::string roomy = scratch_.Folder("roomy-drive\\");
  const std::string full = scratch_.Folder("full-drive\\");
  const std::string unknown = scratch_.Folder("unknown-drive\\");
  platform::testing::ActiveFaults().free_bytes_by_path = {
      {"roomy-drive", 1ull << 40}, {"full-drive", 0}, {"unknown-drive", std::nullopt}};

  // From a full current directory into a roomy save folder: dubbed, the directory restored.
  ASSERT_TRUE(platform::SetCurrentDirectory(full));
  window_.save_folder = roomy;
  ActionExportExecute(window_, deleter_);
  EXPECT_EQ(window_.dubbed.size(), 3u);
  EXPECT_EQ(platform::CurrentDirectory(), DirectoryAt(full));

  // From a roomy current directory into a full save folder: refused, and the save folder is
  // left as the current directory.
  ASSERT_TRUE(platform::SetCurrentDirectory(roomy));
  FakeWindow refused;
  refused.table = window_.table;
  refused.save_folder = full;
  ActionExportExecute(refused, deleter_);
  EXPECT_TRUE(refused.dubbed.empty());
  EXPECT_EQ(platform::CurrentDirectory(), DirectoryAt(full));

  // A drive whose free space cannot be had is not refused.
  FakeWindow unmeasured;
  unmeasured.table = window_.table;
  unmeasured.save_folder = unknown;
  ActionExportExecute(unmeasured, deleter_);
  EXPECT_EQ(unmeasured.dubbed.size(), 3u);
  EXPECT_TRUE(Exists(unknown + "Gamma.mpg"));
}

TEST_F(DubbingJobTest, FullDriveInBatchModeAsksCancelOrIgnore) {
  const struct {
    MessageButton answer;
    std::size_t dubbed;
  } cases[] = {{MessageButton::kCancel, 0}, {MessageButton::kIgnore, 3}};
  for (const auto& c : cases) {
    testing::ScratchFolder scratch;
    FakeWindow window;
    window.table = window_.table;
    window.batch = true;
    window.save_folder = scratch.Folder("out\\");
    window.modal_answers = {c.answer, c.answer, c.answer};
    platform::testing::ActiveFaults().free_bytes = 0;
    ActionExportExecute(window, deleter_);
    platform::SetCurrentDirectory(previous_directory_);
    EXPECT_EQ(window.dubbed.size(), c.dubbed);
    ASSERT_EQ(window.modals.size(), c.dubbed == 0 ? 1u : 3u);
    EXPECT_EQ(window.modals[0].icon, MessageIcon::kError);
    EXPECT_EQ(window.modals[0].buttons,
              (std::vector<MessageButton>{MessageButton::kCancel, MessageButton::kIgnore}));
    EXPECT_EQ(window.idle_states.back(), true);
  }
}

TEST_F(DubbingJobTest, SizeCheckDecidesTheDeletion) {
  // Copied: Alpha 3100 bytes (3.03 KB), Beta 5050 bytes (4.93 KB), Gamma 2000 bytes (1.95 KB).
  SetFileSize(0, 2);  // 3 > 2: deleted
  SetFileSize(1, 4);  // 4 > 4 fails
  SetFileSize(2, 1);  // 1 > 1 fails
  window_.save_folder = scratch_.Folder("out\\");
  window_.check_delete = true;
  ActionExportExecute(window_, deleter_);
  EXPECT_EQ(deleter_.deleted, (std::vector<std::string>{"0001"}));
  ASSERT_EQ(window_.notices.size(), 2u);
  EXPECT_EQ(window_.notices[0].text, Sjis("ダビングサイズエラー 元          4 > 結果          5"));
  EXPECT_EQ(window_.notices[1].text, Sjis("ダビングサイズエラー 元          1 > 結果          2"));
  EXPECT_EQ(window_.notices[0].icon, MessageIcon::kError);
}

TEST(SizeCheck, TruncatedKilobytesMustExceedTheCatalogueSize) {
  const struct {
    double copied;
    double size;
    bool passes;
  } cases[] = {{1000.0 * 1024 + 1000 * 1024, 1000, true},
               {1000.0 * 1024, 1000, false},
               {1001.0 * 1024 - 1, 1000, false},
               {1001.0 * 1024, 1000, true},
               {0, 0, false},
               {1024, 0, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(PassesSizeCheck(c.copied, c.size), c.passes) << c.copied << " " << c.size;
  }
  EXPECT_EQ(SizeErrorMessage(1234567, 1234567.5 * 1024, ","),
            Sjis("ダビングサイズエラー 元  1,234,567 > 結果  1,234,568"));
  EXPECT_EQ(SizeErrorMessage(0, 0, "."),
            Sjis("ダビングサイズエラー 元          0 > 結果          0"));
}

TEST_F(DubbingJobTest, StoppedDubNeverReachesTheDeletion) {
  for (std::size_t i = 0; i < 3; ++i) SetFileSize(i, 0);  // every size check would pass
  // Larger than one block, so that the stop comes with output left to copy.
  testing::WriteStreamFile(samplegen::SegmentPath(host_, layout_.capsules[0], 0), 9'000'000, "big");
  const std::string out = scratch_.Folder("out\\");
  window_.save_folder = out;
  window_.check_delete = true;
  const std::string dubbing_alpha = Sjis("Alphaダビング中...");
  window_.on_yield = [&](FakeWindow& w, int) {
    if (!w.statuses.empty() && w.statuses.back().text == dubbing_alpha) ActionSTOPExecute(w);
  };
  ActionExportExecute(window_, deleter_);
  EXPECT_TRUE(deleter_.deleted.empty());
  ASSERT_EQ(window_.dubbed.size(), 1u);  // the job ends after the stopped capsule
  EXPECT_TRUE(window_.dubbed[0].stopped);
  EXPECT_EQ(window_.dubbed[0].copied, 8'000'000);
  EXPECT_FALSE(Exists(out + "Alpha.mpg"));
  EXPECT_FALSE(Exists(out + "Alpha.ssx"));
  ExpectIdleAtTheEnd();
}

TEST_F(DubbingJobTest, ErrorsEndTheJobIdleWithEarlierCapsulesKept) {
  // Batch mode without a save folder: the folder list is empty.
  window_.batch = true;
  EXPECT_THROW(ActionExportExecute(window_, deleter_), std::out_of_range);
  EXPECT_TRUE(window_.dubbed.empty());
  ExpectIdleAtTheEnd();

  // A full disk in the third capsule: the first two stay, the third leaves nothing behind.
  FakeWindow window;
  window.table = window_.table;
  const std::string out = scratch_.Folder("out\\");
  window.save_folder = out;
  platform::testing::ActiveFaults().write_error_path_part = "Gamma.mpg";
  platform::testing::ActiveFaults().write_error_after = 1000;
  EXPECT_THROW(ActionExportExecute(window, deleter_), platform::IoError);
  EXPECT_EQ(HashFile(out + "Alpha.mpg"), MediaHash(0));
  EXPECT_TRUE(Exists(out + TitleToFileName("Beta/2") + ".sdb"));
  EXPECT_FALSE(Exists(out + "Gamma.mpg"));
  EXPECT_FALSE(Exists(out + "Gamma.ssx"));
  EXPECT_EQ(window.idle_states, (std::vector<bool>{false, true}));
  EXPECT_EQ(window.events.back(), "idle:1");

  // A second run without renumbering dubs the failed capsule again instead of skipping it.
  platform::testing::ResetFaults();
  FakeWindow again;
  again.table = window_.table;
  again.save_folder = out;
  again.table.Selection = {ids_[2]};
  ActionExportExecute(again, deleter_);
  EXPECT_EQ(HashFile(out + "Gamma.mpg"), MediaHash(2));
}

TEST_F(DubbingJobTest, DeletionWithoutTheLibraryIsReportedNotAttempted) {
  SetFileSize(0, 1);
  window_.table.Selection = {ids_[0]};
  window_.save_folder = scratch_.Folder("out\\");
  window_.check_delete = true;
  UnavailableCapsuleDeleter unavailable;
  ActionExportExecute(window_, unavailable);
  ASSERT_EQ(window_.notices.size(), 1u);
  EXPECT_EQ(window_.notices[0].text,
            Sjis("Reel Keeper起動エラー / APIをLoadLibrary()できなかった"));
}

TEST(SaveFolderHistory, MostRecentFirstWithoutDuplicatesAtMostTen) {
  FakeWindow window;
  window.save_folder = "";
  AddSaveFolderToHistory(window);
  EXPECT_TRUE(window.history.empty());

  for (int i = 0; i < 11; ++i) {
    window.save_folder = std::to_string(i) + "F";
    AddSaveFolderToHistory(window);
  }
  ASSERT_EQ(window.history.size(), 10u);
  EXPECT_EQ(window.history.front(), "10F");
  EXPECT_EQ(window.history.back(), "1F");  // 0F pushed out

  window.save_folder = "5F";
  AddSaveFolderToHistory(window);
  EXPECT_EQ(window.history.front(), "5F");
  EXPECT_EQ(std::count(window.history.begin(), window.history.end(), "5F"), 1);
  EXPECT_EQ(window.history.size(), 10u);

  window.save_folder = "5f";  // letter case counts
  AddSaveFolderToHistory(window);
  EXPECT_EQ(window.history[0], "5f");
  EXPECT_EQ(window.history[1], "5F");
  EXPECT_EQ(window.save_folder, "5f");
}

// The sample host, loaded by the catalogue scan and dubbed in both output forms.
TEST(SampleHost, DubbedInBothOutputForms) {
  testing::ScratchFolder scratch;
  const std::string host = scratch.Folder("Reel Keeper\\");
  samplegen::RandomOptions options;
  options.media = {scratch.drive()};
  options.scale = samplegen::SizeScale::kSmall;
  options.special_cases = false;
  const samplegen::HostLayout layout = samplegen::RandomHost(kSeed, 4, options);
  samplegen::WriteHost(host, layout);

  for (const OutputForm form : {OutputForm::kMpegFile, OutputForm::kExternalCabinet}) {
    FakeWindow window;
    window.table.PathReelKeeper = host;
    LoadCatalogue(window.table, window);
    ASSERT_FALSE(window.table.Table1.empty());
    const CatalogueRow row = window.table.Table1.rows().front();
    const auto capsule = std::find_if(layout.capsules.begin(), layout.capsules.end(),
                                      [&](const auto& c) { return c.number == row.FileName; });
    ASSERT_NE(capsule, layout.capsules.end());
    window.table.Selection = {row.id};
    const std::string out = scratch.Folder(form == OutputForm::kMpegFile ? "mpeg\\" : "cab\\");
    window.save_folder = out;
    window.form = form;
    window.check_delete = true;
    testing::RecordingDeleter deleter;
    ActionExportExecute(window, deleter);

    const std::string base =
        out + (form == OutputForm::kMpegFile ? TitleToFileName(row.Title) : row.FileName);
    const bool has_ssg = samplegen::JoinedSegmentsSize(*capsule, ".ssg") > 0;
    EXPECT_EQ(HashFile(base + ".mpg"),
              samplegen::JoinedSegmentsHash(layout.seed, *capsule, has_ssg ? ".ssg" : ".mpg"));
    EXPECT_EQ(HashFile(base + ".ssx"),
              samplegen::JoinedSegmentsHash(layout.seed, *capsule, ".ssx"));
    EXPECT_EQ(platform::FileSizeOf(base + ".sdb"), 2048u + 1024u + 5120u);
    EXPECT_EQ(platform::FileSizeOf(base + ".scx"), 0u);
    ASSERT_EQ(window.dubbed.size(), 1u);
    EXPECT_FALSE(window.dubbed[0].stopped);
    // This capsule of seed 42 copies 17,978 bytes, 17 whole KB, more than its
    // catalogue size of 14 KB: deleted, no size error box.
    EXPECT_EQ(samplegen::JoinedSegmentsSize(*capsule, has_ssg ? ".ssg" : ".mpg") +
                  samplegen::JoinedSegmentsSize(*capsule, ".ssx"),
              17978u);
    EXPECT_EQ(window.dubbed[0].copied, 17978);
    EXPECT_EQ(row.FileSize, 14);
    EXPECT_EQ(deleter.deleted, std::vector<std::string>{row.FileName});
    EXPECT_TRUE(window.notices.empty());
  }
}

}  // namespace
}  // namespace capsdub
