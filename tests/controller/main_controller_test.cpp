// The main-window controller against a recording window on generated sample data: creation,
// the single initial load, the hand-over to the batch, the reload, title clicks, closing, and
// errors that reach the error display with the window left usable.
#include "app/controller/main_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/scan.h"
#include "dubbing/capsule_deleter.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub {
namespace {

using testing::FakeWindow;
using testing::ScratchFolder;
using testing::Sjis;

// The main window as the controller sees it. The batch's and the job's calls go to a
// FakeWindow that records them; the window-only calls are recorded here.
class FakeMainWindow : public MainWindowPort {
 public:
  FakeWindow inner;
  std::vector<std::string> events;  // "folders:0", "delete:1", "timer", "clear", "changed"
  // Called at every yield with the running count (from 1).
  std::function<void(int)> on_yield;
  int yields = 0;

  int Count(const std::string& event) const {
    int n = 0;
    for (const std::string& e : events) n += e == event ? 1 : 0;
    return n;
  }

  void EnableFolderButtons(bool enabled) override {
    events.push_back(enabled ? "folders:1" : "folders:0");
  }
  void EnableCheckDelete(bool enabled) override {
    events.push_back(enabled ? "delete:1" : "delete:0");
  }
  void StartTimer() override { events.push_back("timer"); }
  void ClearStatusText() override { events.push_back("clear"); }
  void CatalogueChanged() override { events.push_back("changed"); }

  void SetStatus(std::string_view text, Colour colour) override { inner.SetStatus(text, colour); }
  void YieldToUi() override {
    ++yields;
    if (on_yield) on_yield(yields);
  }
  Catalogue& catalogue() override { return inner.table; }
  void SetProgressRange(int minimum, int maximum) override {
    inner.SetProgressRange(minimum, maximum);
  }
  void SetProgressPosition(int position) override { inner.SetProgressPosition(position); }
  void RepaintStatusBar() override { inner.RepaintStatusBar(); }
  std::string SaveFolderText() const override { return inner.SaveFolderText(); }
  void SetSaveFolderText(const std::string& text) override { inner.SetSaveFolderText(text); }
  std::vector<std::string> SaveFolderHistory() const override { return inner.SaveFolderHistory(); }
  void SetSaveFolderHistory(const std::vector<std::string>& history) override {
    inner.SetSaveFolderHistory(history);
  }
  OutputForm ExportTo() const override { return inner.ExportTo(); }
  bool CheckDelete() const override { return inner.CheckDelete(); }
  bool BatchMode() const override { return inner.BatchMode(); }
  void SetIdleState(bool idle) override { inner.SetIdleState(idle); }
  void SetPauseCaption(std::string_view caption) override { inner.SetPauseCaption(caption); }
  void SuspendCatalogueDisplay() override { inner.SuspendCatalogueDisplay(); }
  void ResumeCatalogueDisplay() override { inner.ResumeCatalogueDisplay(); }
  void RefreshCatalogueDisplay() override { inner.RefreshCatalogueDisplay(); }
  MessageButton ShowModalMessage(std::string_view text, MessageIcon icon,
                                 const std::vector<MessageButton>& buttons) override {
    return inner.ShowModalMessage(text, icon, buttons);
  }
  void ShowMessageNoWait(std::string_view text, MessageIcon icon) override {
    inner.ShowMessageNoWait(text, icon);
  }
  std::optional<std::string> BrowseForFolder(std::string_view title, std::string_view prompt,
                                             std::string_view initial) override {
    return inner.BrowseForFolder(title, prompt, initial);
  }
  void CapsuleDubbed(const CatalogueRow& row, double copied, bool stopped) override {
    // The job runs with renumbering off during the batch and on otherwise.
    events.push_back(NumberDuplicates ? "dub:numbering" : "dub:skipping");
    inner.CapsuleDubbed(row, copied, stopped);
  }
  std::string ApplicationTitle() const override { return inner.ApplicationTitle(); }
  void ShowInformation(std::string_view text, std::string_view caption) override {
    inner.ShowInformation(text, caption);
  }
  void ShowAppException(std::string_view message) override {
    events.push_back("exception");
    inner.ShowAppException(message);
  }
  void SetExportTo(OutputForm form) override { inner.SetExportTo(form); }
  void SetCheckDelete(bool checked) override { inner.SetCheckDelete(checked); }
  void SelectRow(RowId id) override { inner.SelectRow(id); }
  bool FolderExists(const std::string& path) const override { return inner.FolderExists(path); }
  void RunHidden(const std::string& command_line) override { inner.RunHidden(command_line); }
  void CloseMainWindow() override {
    events.push_back(NumberDuplicates ? "close:numbering" : "close:skipping");
    inner.CloseMainWindow();
  }
};

class FakeKap : public KapAccess {
 public:
  bool Load() override {
    ++loads;
    if (fail) throw std::runtime_error("KAP.dll lacks an entry");
    if (fail_without_message) throw 1;
    return loaded;
  }
  CapsuleDeleter& Deleter() override { return deleter; }
  bool loaded = false;
  bool fail = false;
  bool fail_without_message = false;
  int loads = 0;
  testing::RecordingDeleter deleter;
};

class FakeSortState : public SortStateStore {
 public:
  void Load(Catalogue& catalogue) override {
    ++loads;
    catalogue.SortField = field;
    catalogue.SortMarker = marker;
  }
  void Save(const Catalogue& catalogue) override {
    if (fail_save) throw std::runtime_error("settings not writable");
    saved.push_back(catalogue.SortField + ":" + std::to_string(catalogue.SortMarker));
  }
  std::string field = "FileDateTime";
  int marker = 1;
  bool fail_save = false;
  int loads = 0;
  std::vector<std::string> saved;
};

const char kLoading[] = "ビデオ一覧の取得中...";

class MainControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = scratch_.root() + "Reel Keeper\\";
    samplegen::RandomOptions options;
    options.media = {scratch_.drive()};
    options.scale = samplegen::SizeScale::kSmall;
    samplegen::WriteHost(host_, samplegen::RandomHost(5, 12, options));
    window_.inner.table.PathReelKeeper = host_;
  }

  MainController& Make(std::vector<std::string> arguments = {}) {
    controller_ = std::make_unique<MainController>(window_, kap_, sort_state_, arguments);
    return *controller_;
  }
  int Loads() const {
    int n = 0;
    for (const std::string& text : window_.inner.StatusTexts()) n += text == Sjis(kLoading);
    return n;
  }

  ScratchFolder scratch_;
  std::string host_;
  FakeMainWindow window_;
  FakeKap kap_;
  FakeSortState sort_state_;
  std::unique_ptr<MainController> controller_;
};

TEST_F(MainControllerTest, CreationLoadsTheSortStateAndEnablesDeletingOnlyWithTheLibrary) {
  sort_state_.field = "Title";
  sort_state_.marker = 0;
  Make().FormCreate();
  EXPECT_EQ(sort_state_.loads, 1);
  EXPECT_EQ(window_.catalogue().SortField, "Title");
  EXPECT_EQ(window_.catalogue().SortMarker, 0);
  EXPECT_EQ(window_.events, (std::vector<std::string>{"timer"}));

  FakeMainWindow other;
  kap_.loaded = true;
  MainController with_library(other, kap_, sort_state_, {});
  with_library.FormCreate();
  EXPECT_EQ(other.events, (std::vector<std::string>{"delete:1", "timer"}));
}

TEST_F(MainControllerTest, AFailingLibraryIsShownAndLeavesTheTimerOff) {
  kap_.fail = true;
  Make().FormCreate();
  EXPECT_EQ(window_.inner.app_exceptions, (std::vector<std::string>{"KAP.dll lacks an entry"}));
  EXPECT_EQ(window_.Count("timer"), 0);
  EXPECT_EQ(window_.Count("delete:1"), 0);

  // An error without a message of its own is told in the user's language.
  kap_.fail = false;
  kap_.fail_without_message = true;
  Make().FormCreate();
  EXPECT_EQ(window_.inner.app_exceptions.back(), Sjis("不明なエラーが発生しました。"));
}

TEST_F(MainControllerTest, TheCatalogueLoadsOnceWhicheverEventComesFirst) {
  for (bool timer_first : {false, true}) {
    FakeMainWindow window;
    window.inner.table.PathReelKeeper = host_;
    MainController controller(window, kap_, sort_state_, {});
    controller.FormCreate();
    EXPECT_FALSE(controller.CatalogueLoaded());
    if (timer_first) controller.Timer1Timer();
    controller.FormActivate();
    controller.Timer1Timer();
    controller.FormActivate();
    EXPECT_TRUE(controller.CatalogueLoaded());
    int loads = 0;
    for (const std::string& text : window.inner.StatusTexts()) loads += text == Sjis(kLoading);
    EXPECT_EQ(loads, 1) << "timer first: " << timer_first;
    Catalogue bare;
    bare.PathReelKeeper = host_;
    FakeWindow plain;
    LoadCatalogue(bare, plain);
    EXPECT_EQ(window.catalogue().Table1.size(), bare.Table1.size());
    EXPECT_GT(bare.Table1.size(), 0u);
    // The folder buttons are off during the load and on after it; the status line ends empty.
    EXPECT_EQ(window.events,
              (std::vector<std::string>{"timer", "folders:0", "changed", "clear", "folders:1"}));
    EXPECT_TRUE(window.NumberDuplicates);
    EXPECT_FALSE(controller.Busy());
  }
}

TEST_F(MainControllerTest, TheLoadIsBusyAndARefreshDuringItIsIgnored) {
  MainController& controller = Make();
  int busy_yields = 0;
  bool refreshed = false;
  window_.on_yield = [&](int) {
    busy_yields += controller.Busy() ? 1 : 0;
    if (!refreshed) {
      refreshed = true;
      controller.ActionRefreshExecute();  // a click on 表示更新 while the load yields
    }
  };
  controller.FormActivate();
  ASSERT_TRUE(refreshed);
  EXPECT_EQ(busy_yields, window_.yields);
  EXPECT_EQ(window_.Count("folders:0"), 1);  // the refresh did not start a second load
  EXPECT_EQ(Loads(), 1);
  EXPECT_FALSE(controller.Busy());
}

TEST_F(MainControllerTest, ADubDuringARefreshIsIgnored) {
  MainController& controller = Make();
  controller.FormActivate();
  window_.inner.save_folder = scratch_.Folder("out\\");
  bool pressed = false;
  window_.on_yield = [&](int) {
    if (!pressed) {
      pressed = true;
      controller.ActionExportExecute();  // a click on ダビング while the refresh yields
    }
  };
  controller.ActionRefreshExecute();
  ASSERT_TRUE(pressed);
  EXPECT_TRUE(window_.inner.idle_states.empty()) << "a job ran inside the refresh";
}

TEST_F(MainControllerTest, ARefreshClearsStopReadsAgainAndKeepsTheSort) {
  MainController& controller = Make();
  controller.FormActivate();
  controller.TitleClick("Title");
  const std::vector<std::string> titles = [&] {
    std::vector<std::string> t;
    for (const auto& row : window_.catalogue().Table1.rows()) t.push_back(row.Title);
    return t;
  }();
  ASSERT_EQ(window_.catalogue().SortField, "Title");
  window_.StopRequested = true;
  window_.events.clear();
  controller.ActionRefreshExecute();
  EXPECT_FALSE(window_.StopRequested);
  EXPECT_EQ(window_.events, (std::vector<std::string>{"folders:0", "changed", "folders:1"}));
  EXPECT_EQ(window_.catalogue().SortField, "Title");
  std::vector<std::string> again;
  for (const auto& row : window_.catalogue().Table1.rows()) again.push_back(row.Title);
  EXPECT_EQ(again, titles);
}

TEST_F(MainControllerTest, TitleClicksSortNewFieldsDescendingAndFlipTheSameField) {
  MainController& controller = Make();
  controller.FormActivate();
  controller.TitleClick("FileSize");
  EXPECT_EQ(window_.catalogue().SortField, "FileSize");
  EXPECT_EQ(window_.catalogue().SortMarker, 1);
  const auto& rows = window_.catalogue().Table1.rows();
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].FileSize, rows[i].FileSize);
  window_.events.clear();
  controller.TitleClick("FileSize");
  EXPECT_NE(window_.catalogue().SortMarker, 1);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_LE(rows[i - 1].FileSize, rows[i].FileSize);
  EXPECT_EQ(window_.events, (std::vector<std::string>{"changed"}));
}

TEST_F(MainControllerTest, AnErrorInTheLoadIsShownTheRowsReadAndTheFolderButtonsComeBack) {
  sort_state_.field = "NoSuchField";
  MainController& controller = Make();
  controller.FormCreate();
  controller.FormActivate();
  EXPECT_EQ(window_.inner.app_exceptions,
            (std::vector<std::string>{"Field 'NoSuchField' not found"}));
  // The scan had filled the catalogue before its sort failed: the grid shows those rows.
  EXPECT_GT(window_.catalogue().Table1.size(), 0u);
  EXPECT_EQ(window_.events,
            (std::vector<std::string>{"timer", "folders:0", "changed", "folders:1", "exception"}));
  EXPECT_TRUE(window_.NumberDuplicates);
  EXPECT_FALSE(controller.Busy());
  // A title click on a real field repairs it and does not load again.
  controller.TitleClick("Title");
  EXPECT_EQ(window_.inner.app_exceptions.size(), 1u);
  EXPECT_EQ(window_.catalogue().SortField, "Title");
  EXPECT_EQ(Loads(), 1);
}

TEST_F(MainControllerTest, AnErrorInATitleClickStillRedrawsTheGrid) {
  MainController& controller = Make();
  controller.FormActivate();
  window_.events.clear();
  controller.TitleClick("NoSuchField");
  EXPECT_EQ(window_.events, (std::vector<std::string>{"changed", "exception"}));
}

TEST_F(MainControllerTest, TheBatchRunsAfterTheLoadAndClosesTheWindow) {
  // Without /w the batch skips taken names; /w turns renumbering on for it.
  for (bool renumber : {false, true}) {
    FakeMainWindow window;
    window.inner.table.PathReelKeeper = host_;
    const std::string out = scratch_.Folder(renumber ? "w\\" : "plain\\");
    window.inner.folders.insert(out);
    std::vector<std::string> arguments{out, "/c:2"};
    if (renumber) arguments.push_back("/w");
    MainController controller(window, kap_, sort_state_, arguments);
    window.NumberDuplicates = true;  // as a window that renumbers by default
    controller.FormActivate();
    const std::string mode = renumber ? "numbering" : "skipping";
    EXPECT_EQ(window.inner.dubbed.size(), 2u);
    EXPECT_EQ(window.Count("dub:" + mode), 2);
    EXPECT_EQ(window.Count("close:" + mode), 1);
    // After the batch, renumbering is on again and the folder buttons are back.
    EXPECT_TRUE(window.NumberDuplicates);
    EXPECT_EQ(window.events.back(), "folders:1");
    EXPECT_EQ(window.Count("changed"), 2);  // after the load and after the batch
    EXPECT_FALSE(controller.Busy());
  }
}

TEST_F(MainControllerTest, DubbingFromTheWindowRenumbers) {
  MainController& controller = Make();
  controller.FormActivate();
  window_.inner.save_folder = scratch_.Folder("out\\");
  window_.catalogue().Selection.insert(window_.catalogue().Table1.rows().front().id);
  controller.ActionExportExecute();
  EXPECT_EQ(window_.Count("dub:numbering"), 1);
  EXPECT_EQ(window_.Count("dub:skipping"), 0);
  EXPECT_FALSE(controller.Busy());
}

TEST_F(MainControllerTest, ClosingStopsRunningWorkAndSavesTheSortState) {
  MainController& controller = Make();
  controller.FormActivate();
  controller.TitleClick("Channel");
  controller.FormClose();
  EXPECT_TRUE(window_.StopRequested);
  EXPECT_EQ(sort_state_.saved, (std::vector<std::string>{"Channel:1"}));

  // A settings file that cannot be written is shown, not thrown through the window.
  sort_state_.fail_save = true;
  window_.StopRequested = false;
  controller.FormClose();
  EXPECT_TRUE(window_.StopRequested);
  EXPECT_EQ(window_.inner.app_exceptions, (std::vector<std::string>{"settings not writable"}));
}

}  // namespace
}  // namespace capsdub
