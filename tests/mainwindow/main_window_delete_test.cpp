// A dub with "削除する" through the window, the real KAP.dll and the stand-in host libraries:
// the dubbed capsules leave Reel Keeper (record and segment files), their outputs stay, and
// the refresh no longer lists them. One test: the binding holds once per process.
#include <windows.h>
// windows.h maps SetCurrentDirectory to SetCurrentDirectoryW; the platform function keeps its name.
#undef SetCurrentDirectory

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "dubbing/dub_utils.h"
#include "hostlibs/store/store_writer.h"
#include "platform/files.h"
#include "tests/kap/kap_test_support.h"
#include "tests/mainwindow/main_window_fixture.h"

namespace capsdub {
namespace {

using testing::Pump;

std::set<std::string> RecordedNumbers(const std::string& host) {
  std::set<std::string> numbers;
  for (const auto& capsule : kaptest::ReadCapsules(host)) numbers.insert(capsule.number);
  return numbers;
}

class MainWindowDeleteTest : public testing::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    hoststore::WriteSampleStandIn(host_);
    kap_access_ = real_kap_.get();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    platform::SetCurrentDirectory(platform::ProgramFolder());  // the scratch folder goes away
  }
  std::unique_ptr<KapAccess> real_kap_ = MakeKapAccess();
};

TEST_F(MainWindowDeleteTest, DubbedCapsulesLeaveReelKeeperAndTheRefreshedGrid) {
  const std::string install = platform::ProgramFolder() + "kaphost";
  ASSERT_TRUE(platform::FileExists(install + "\\KAP.dll")) << install;
  kaptest::ScopedHostValue installed(L"InstalledPath", kaptest::Widen(install));
  kaptest::ScopedEnvironment data(L"CAPSDUB_STANDIN_DATA", kaptest::Widen(host_));

  Start();
  // "削除する" can be ticked only because the library was loaded and bound.
  HWND check = form_->Control(ui::kCheckDelete);
  ASSERT_TRUE(IsWindowEnabled(check));
  SendMessageW(check, BM_CLICK, 0, 0);
  Pump(30);
  ASSERT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);

  std::vector<CatalogueRow> selected;
  ASSERT_NO_FATAL_FAILURE(SelectThreeWithMedia(selected));
  std::vector<std::string> numbers, outputs;
  for (const CatalogueRow& row : selected) {
    numbers.push_back(row.FileName);
    outputs.push_back(row.Title);
  }
  ASSERT_EQ(numbers.size(), 3u);
  const std::set<std::string> before = RecordedNumbers(host_);
  for (const std::string& number : numbers) ASSERT_TRUE(before.count(number)) << number;
  const std::size_t listed = catalogue().Table1.size();

  const std::string out = scratch_.Folder("out\\");
  form_->SetSaveFolderText(out);
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionExport, 0);
  Pump(50);
  // No error box: every dub was complete and read back identical.
  EXPECT_EQ(testing::OwnMessageBox(), nullptr);

  const std::set<std::string> after = RecordedNumbers(host_);
  for (const std::string& number : numbers) EXPECT_FALSE(after.count(number)) << number;
  EXPECT_EQ(after.size(), before.size() - numbers.size());
  for (const std::string& title : outputs)
    EXPECT_TRUE(testing::Exists(out + TitleToFileName(title) + ".mpg")) << title;

  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionRefresh, 0);
  ASSERT_TRUE(testing::PumpUntil([&] { return !controller_->Busy(); }));
  Pump(50);
  EXPECT_EQ(catalogue().Table1.size(), listed - numbers.size());
  EXPECT_EQ(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0),
            static_cast<LRESULT>(catalogue().Table1.size()));
  for (const std::string& number : numbers)
    EXPECT_FALSE(catalogue().Table1.ContainsCapsule(number)) << number;
}

}  // namespace
}  // namespace capsdub
