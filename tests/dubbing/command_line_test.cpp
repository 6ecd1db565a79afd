// The command line through the recording fake window: reading the arguments (options, save
// folders, the usage cases), the usage text byte for byte, and batch runs: sort, filters,
// selection, the job's order, the window flags, the wait and the closing of the window.
#include "dubbing/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "dubbing/kap_capsule_deleter.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub {
namespace {

using testing::FakeWindow;
using testing::Sjis;

// ---------------------------------------------------------------------------------------
// Reading the arguments

struct OptionCase {
  std::vector<std::string> arguments;
  long long count;
  std::string sort;
  bool number_duplicates = false;
  bool cabinet_form = false;
  bool delete_after_dub = false;
  std::string title_filter = "";
  std::string channel_filter = "";
  std::string cabinet_filter = "";
};

TEST(ReadCommandLineTest, OptionsByKey) {
  const OptionCase cases[] = {
      {{}, 1, "d-"},
      // Letters in either case, "-" and "/" alike; values as typed.
      {{"/s:t"}, 1, "t"},
      {{"-S:Td"}, 1, "Td"},
      {{"/C:3"}, 3, "d-"},
      {{"/w", "-O", "/D"}, 1, "d-", true, true, true},
      // Two-character keys only: extra characters make another option, which is ignored.
      {{"/wx", "/d-", "/ox", "/?x", "/"}, 1, "d-"},
      {{"/c", "/t", "/x:1", "-", "/ww"}, 1, "d-"},
      // The count: trimmed, signed, 0 when it is not a whole number.
      {{"/c: 3 "}, 3, "d-"},
      {{"/c:-1"}, -1, "d-"},
      {{"/c:+2"}, 2, "d-"},
      {{"/c:abc"}, 0, "d-"},
      {{"/c:3x"}, 0, "d-"},
      {{"/c:"}, 0, "d-"},
      {{"/c:2147483647"}, 2147483647, "d-"},
      {{"/c:2147483648"}, 0, "d-"},
      // Once the count is 0, the count and the filters are no longer read; the rest still is.
      {{"/c:0", "/c:5"}, 0, "d-"},
      {{"/c:x", "/t:a", "/a:b", "/f:c", "/s:n", "/w"}, 0, "n", true},
      // "/?" stops the reading.
      {{"/?", "/w", "/c:5"}, 0, "d-"},
      {{"/w", "-?", "/o"}, 0, "d-", true},
      // Filters: the title is unquoted, the others are taken as typed.
      {{"/t:\"a \"\"b\"\"\"", "/a:\"NHK\"", "/f:cab"},
       1,
       "d-",
       false,
       false,
       false,
       "a \"b\"",
       "\"NHK\"",
       "cab"},
      {{"/T:news", "/A:", "/F:x y"}, 1, "d-", false, false, false, "news", "", "x y"},
  };
  for (const OptionCase& c : cases) {
    std::string label;
    for (const std::string& a : c.arguments) label += "[" + a + "]";
    SCOPED_TRACE(label);
    FakeWindow window;
    const BatchOptions options = ReadCommandLine(c.arguments, window);
    EXPECT_EQ(options.count, c.count);
    EXPECT_EQ(options.sort, c.sort);
    EXPECT_EQ(window.NumberDuplicates, c.number_duplicates);
    EXPECT_EQ(window.CabinetForm, c.cabinet_form);
    EXPECT_EQ(window.DeleteAfterDub, c.delete_after_dub);
    EXPECT_EQ(options.title_filter, c.title_filter);
    EXPECT_EQ(options.channel_filter, c.channel_filter);
    EXPECT_EQ(options.cabinet_filter, c.cabinet_filter);
    EXPECT_TRUE(window.commands.empty());  // no save folder, no program started
    EXPECT_EQ(window.save_folder, "");
  }
}

TEST(ReadCommandLineTest, SaveFolders) {
  {
    SCOPED_TRACE("an existing folder, among options in any order");
    FakeWindow window;
    window.folders = {"D:\\out"};
    const BatchOptions options = ReadCommandLine({"/o", "/d", "D:\\out", "/c:2"}, window);
    EXPECT_EQ(options.count, 2);
    EXPECT_EQ(window.save_folder, "D:\\out");
    EXPECT_EQ(window.commands, (std::vector<std::string>{"dir D:\\out"}));
    EXPECT_TRUE(window.CabinetForm && window.DeleteAfterDub);
  }
  {
    SCOPED_TRACE("a missing folder: count 0, the save folder unchanged");
    FakeWindow window;
    window.save_folder = "E:\\before";
    const BatchOptions options = ReadCommandLine({"D:\\missing", "/c:3"}, window);
    EXPECT_EQ(options.count, 0);
    EXPECT_EQ(window.save_folder, "E:\\before");
    EXPECT_EQ(window.commands, (std::vector<std::string>{"dir D:\\missing"}));
  }
  {
    SCOPED_TRACE("an empty argument is a missing folder");
    FakeWindow window;
    EXPECT_EQ(ReadCommandLine({""}, window).count, 0);
  }
  {
    SCOPED_TRACE("a network folder that \"net use\" connects");
    FakeWindow window;
    window.on_run = [](FakeWindow& w, const std::string& command) {
      if (command == "net use \\\\srv\\share") w.folders.insert("\\\\srv\\share\\rec\\tv");
    };
    const BatchOptions options = ReadCommandLine({"\\\\srv\\share\\rec\\tv"}, window);
    EXPECT_EQ(options.count, 1);
    EXPECT_EQ(window.save_folder, "\\\\srv\\share\\rec\\tv");
    EXPECT_EQ(window.commands,
              (std::vector<std::string>{"dir \\\\srv\\share\\rec\\tv", "net use \\\\srv\\share"}));
  }
  {
    SCOPED_TRACE("a network folder that stays out of reach; a local one gets no net use");
    FakeWindow window;
    const BatchOptions options = ReadCommandLine({"\\\\srv\\share", "C:\\x"}, window);
    EXPECT_EQ(options.count, 0);
    EXPECT_EQ(window.commands, (std::vector<std::string>{"dir \\\\srv\\share",
                                                         "net use \\\\srv\\share", "dir C:\\x"}));
  }
}

TEST(ReadCommandLineTest, NetworkDriveOfStopsAtTheSecondSeparator) {
  EXPECT_EQ(NetworkDriveOf("\\\\srv\\share\\a\\b"), "\\\\srv\\share");
  EXPECT_EQ(NetworkDriveOf("\\\\srv\\share\\"), "\\\\srv\\share");
  EXPECT_EQ(NetworkDriveOf("\\\\srv\\share"), "\\\\srv\\share");
  EXPECT_EQ(NetworkDriveOf("\\\\srv"), "\\\\srv");
  // The second byte of ソ (0x83 0x5C) is no separator.
  const std::string so = "\x83\x5c";
  EXPECT_EQ(NetworkDriveOf("\\\\srv\\" + so + "\\x"), "\\\\srv\\" + so);
}

// ---------------------------------------------------------------------------------------
// The usage text

TEST(UsageTextTest, ByteForByte) {
  const char* const lines[] = {
      "ビデオカプセルを書き出します.",
      "",
      "CapsDub [パス] "
      "[/w][/o][/s:ソート順][/c:数][/t:\"キーワード\"][/a:TV局名][/f:キャビネット名]",
      "",
      "パス   ビデオカプセルの保存先フォルダーを指定します.",
      "",
      "/w     ファイルが存在した場合ファイル名を変えて書き出します.",
      "",
      "/o     外部キャビネット形式で書き出します.",
      "",
      "/s:    ビデオカプセルを並び替えます.",
      "       t  タイトル順      d  録画日時順",
      "       s  サイズ順        c  チャンネル順",
      "       f  キャビネット順  n  番号順",
      "       -  降順",
      "",
      "/c:    上から何個のビデオカプセルを書き出すか指定します.",
      "",
      "/t:    指定した文字とタイトルがマッチしたものを書き出します.正規表現での指定も可能です.",
      "",
      "/a:    指定した文字とTV局がマッチしたものを書き出します.",
      "",
      "/f:    指定した文字とキャビネットがマッチしたものを書き出します.",
      "",
      "/d     ダビング後にビデオカプセルを削除する.",
      "",
      "初期値  /s:d- /c:1",
  };
  std::string expected;
  for (const char* line : lines) expected += Sjis(line) + "\r\n";
  const std::string text = UsageText();
  EXPECT_EQ(text, expected);
  // Line 3 holds two characters whose second byte is 0x5C (ソ, and 能 on line 19).
  const std::string line3 =
      "CapsDub [\x83p\x83X] [/w][/o][/s:\x83\x5c\x81[\x83g\x8f\x87][/c:\x90\x94]"
      "[/t:\"\x83L\x81[\x83\x8f\x81[\x83h\"][/a:TV\x8b\xc7\x96\xbc]"
      "[/f:\x83L\x83\x83\x83r\x83l\x83\x62\x83g\x96\xbc]\r\n";
  EXPECT_NE(text.find("\r\n\r\n" + line3 + "\r\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 27);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 27);
  const std::string last = Sjis("初期値  /s:d- /c:1") + "\r\n";
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST(UsageTextTest, ShownInABoxCaptionedWithTheTitle) {
  FakeWindow window;
  window.title = Sjis("カプスダブ");
  ActionHELPExecute(window);
  ASSERT_EQ(window.informations.size(), 1u);
  EXPECT_EQ(window.informations[0].text, UsageText());
  EXPECT_EQ(window.informations[0].caption, Sjis("カプスダブ"));
}

// ---------------------------------------------------------------------------------------
// Batch runs

DateTime Day(int day) {
  return MakeDateTime({2024, 5, day, 21, 0, 0, 0});
}

class BatchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.batch = true;
    window_.table.PathReelKeeper = scratch_.Folder("Reel Keeper\\");  // no capsule files
    out_ = scratch_.Folder("out\\");
    out_.pop_back();
    window_.folders = {out_};
    // Scan order: 0001 .. 0005.
    Add("0001", "Delta", 300, Day(3), "NHK", "Drama");
    Add("0002", "alpha", 100, Day(5), "TBS", "News");
    Add("0003", Sjis("ニュース特集"), 500, Day(1), "NHK", "News");
    Add("0004", "Bravo", 200, Day(4), "TBS", "Drama");
    Add("0005", "charlie news", 400, Day(2), "NHK", "Drama");
  }

  void Add(const std::string& number, const std::string& title, double size, DateTime date,
           const std::string& channel, const std::string& cabinet) {
    CatalogueRow row;
    row.FileName = number;
    row.Title = title;
    row.FileSize = size;
    row.FileDateTime = date;
    row.Channel = channel;
    row.TapeLibName = cabinet;
    ids_.push_back(window_.table.Table1.Append(row));
  }

  // A fresh window on the catalogue in scan order, for the next case of a table.
  void Reset() {
    window_ = FakeWindow();
    ids_.clear();
    SetUp();
  }

  void Run(std::vector<std::string> arguments, double wait = 0) {
    RunCommandLine(window_, deleter_, arguments, wait);
  }
  std::vector<std::string> Numbers(const std::vector<RowId>& ids) const {
    std::vector<std::string> numbers;
    for (RowId id : ids) numbers.push_back(window_.table.Table1.FindById(id)->FileName);
    return numbers;
  }
  std::vector<std::string> SelectedNumbers() const { return Numbers(window_.selected); }
  std::vector<std::string> DubbedNumbers() const {
    std::vector<std::string> numbers;
    for (const auto& d : window_.dubbed) numbers.push_back(d.number);
    return numbers;
  }
  std::vector<std::string> DisplayOrder() const {
    std::vector<std::string> numbers;
    for (const CatalogueRow& row : window_.table.Table1.rows()) numbers.push_back(row.FileName);
    return numbers;
  }
  void ExpectClosedOnceAtTheEnd() const {
    EXPECT_EQ(window_.closes, 1);
    EXPECT_EQ(window_.events.back(), "close");
    EXPECT_TRUE(window_.informations.empty());
  }

  testing::ScratchFolder scratch_;
  std::string out_;
  std::vector<RowId> ids_;
  FakeWindow window_;
  testing::RecordingDeleter deleter_;
};

TEST_F(BatchRunTest, SortLettersChooseFieldAndDirection) {
  struct Case {
    std::vector<std::string> extra;
    std::string field;
    int marker;
    std::vector<std::string> order;  // display order afterwards
  };
  const Case cases[] = {
      {{}, "FileDateTime", 1, {"0002", "0004", "0001", "0005", "0003"}},  // newest first
      {{"/s:d"}, "FileDateTime", 2, {"0003", "0005", "0001", "0004", "0002"}},
      // Text without regard to case; the first recognised letter in d, t, s, c, f, n order.
      {{"/s:t"}, "Title", 2, {"0002", "0004", "0005", "0001", "0003"}},
      {{"/s:-t"}, "Title", 1, {"0003", "0001", "0005", "0004", "0002"}},
      {{"/s:td"}, "FileDateTime", 2, {"0003", "0005", "0001", "0004", "0002"}},
      {{"/s:s-"}, "FileSize", 1, {"0003", "0005", "0001", "0004", "0002"}},
      {{"/s:nc"}, "Channel", 2, {"0001", "0003", "0005", "0002", "0004"}},
      {{"/s:fn-"}, "TapeLibName", 1, {"0003", "0002", "0005", "0004", "0001"}},
      {{"/s:n-"}, "FileName", 1, {"0005", "0004", "0003", "0002", "0001"}},
      // Upper case is no sort letter: the catalogue keeps its order, also with "-".
      {{"/s:T"}, "", 2, {"0001", "0002", "0003", "0004", "0005"}},
      {{"/s:X-"}, "", 1, {"0001", "0002", "0003", "0004", "0005"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra.empty() ? "(default)" : c.extra[0]);
    Reset();
    std::vector<std::string> arguments = {out_, "/c:1"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    Run(arguments);
    EXPECT_EQ(window_.table.SortField, c.field);
    EXPECT_EQ(window_.table.SortMarker, c.marker);
    EXPECT_EQ(DisplayOrder(), c.order);
    EXPECT_EQ(DubbedNumbers(), std::vector<std::string>{c.order[0]});
    ExpectClosedOnceAtTheEnd();
  }
}

TEST_F(BatchRunTest, SelectsFromTheTopButTheJobDubsInScanOrder) {
  Run({out_, "/s:t", "/c:3"});
  EXPECT_EQ(SelectedNumbers(), (std::vector<std::string>{"0002", "0004", "0005"}));
  EXPECT_EQ(DubbedNumbers(), (std::vector<std::string>{"0002", "0004", "0005"}));
  // Largest first picks out of scan order; the job still dubs in scan order.
  Reset();
  Run({out_, "/s:s-", "/c:3"});
  EXPECT_EQ(SelectedNumbers(), (std::vector<std::string>{"0003", "0005", "0001"}));
  EXPECT_EQ(DubbedNumbers(), (std::vector<std::string>{"0001", "0003", "0005"}));
  EXPECT_EQ(window_.save_folder, out_);
  ExpectClosedOnceAtTheEnd();
}

TEST_F(BatchRunTest, FiltersMustAllPassAndOnlyMatchesCount) {
  struct Case {
    std::vector<std::string> filters;
    std::vector<std::string> selected;  // in display order (by number, "/s:n")
  };
  const Case cases[] = {
      {{"/f:News"}, {"0002", "0003"}},
      {{"/f:Drama", "/t:news"}, {"0005"}},
      {{"/a:NHK", "/f:Drama"}, {"0001", "0005"}},
      {{"/a:TBS", "/f:News", "/t:alpha"}, {"0002"}},
      {{"/a:TBS", "/t:Delta"}, {}},
      // Half-width katakana finds the full-width title through fuzzy matching.
      {{"/t:" + Sjis("ﾆｭｰｽ")}, {"0003"}},
      // An expression.
      {{"/t:^(B|D)"}, {"0001", "0004"}},
      {{"/f:nomatch"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filters[0] + (c.filters.size() > 1 ? " " + c.filters[1] : ""));
    Reset();
    std::vector<std::string> arguments = {out_, "/s:n", "/c:9"};
    arguments.insert(arguments.end(), c.filters.begin(), c.filters.end());
    Run(arguments);
    EXPECT_EQ(SelectedNumbers(), c.selected);
    EXPECT_EQ(DubbedNumbers(), c.selected);
    ExpectClosedOnceAtTheEnd();
  }
  // The count counts matches only: the first two of the three NHK rows.
  Reset();
  Run({out_, "/s:n", "/c:2", "/a:NHK"});
  EXPECT_EQ(SelectedNumbers(), (std::vector<std::string>{"0001", "0003"}));
}

TEST_F(BatchRunTest, WindowFlagsAreClearedThenSetByOptions) {
  window_.NumberDuplicates = true;
  window_.CabinetForm = true;
  window_.DeleteAfterDub = true;
  window_.form = OutputForm::kExternalCabinet;
  window_.check_delete = true;
  Run({out_});
  EXPECT_FALSE(window_.NumberDuplicates);
  EXPECT_EQ(window_.form, OutputForm::kMpegFile);
  EXPECT_FALSE(window_.check_delete);
  EXPECT_EQ(DubbedNumbers(), std::vector<std::string>{"0002"});

  Reset();
  Run({"/o", "/d", "/w", out_});
  EXPECT_TRUE(window_.NumberDuplicates);
  EXPECT_EQ(window_.form, OutputForm::kExternalCabinet);
  EXPECT_TRUE(window_.check_delete);
  ExpectClosedOnceAtTheEnd();
}

TEST_F(BatchRunTest, UsageCasesLeaveTheWindowOpenAndDubNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {"/?"}, {out_, "/c:0", "/c:5"}, {"Q:\\missing", "/c:2"}, {out_, "/c:none"}, {out_, "/?"}};
  for (const auto& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    Reset();
    window_.table.SortField = "Title";
    window_.table.SortMarker = 2;
    Run(arguments);
    ASSERT_EQ(window_.informations.size(), 1u);
    EXPECT_EQ(window_.informations[0].text, UsageText());
    EXPECT_EQ(window_.closes, 0);
    EXPECT_TRUE(window_.idle_states.empty());  // no job
    EXPECT_TRUE(window_.selected.empty());
    EXPECT_EQ(window_.table.SortField, "Title");  // no sort either
    EXPECT_EQ(window_.table.SortMarker, 2);
  }
}

TEST_F(BatchRunTest, NegativeCountOrStopSelectsNothingButStillCloses) {
  Run({out_, "/c:-1"});
  EXPECT_TRUE(window_.selected.empty());
  EXPECT_TRUE(window_.dubbed.empty());
  EXPECT_EQ(window_.idle_states, (std::vector<bool>{false, true}));  // the job ran, empty
  ExpectClosedOnceAtTheEnd();

  Reset();
  window_.StopRequested = true;
  Run({out_, "/c:5"});
  EXPECT_TRUE(window_.selected.empty());
  ExpectClosedOnceAtTheEnd();
}

TEST_F(BatchRunTest, AJobErrorIsShownBeforeTheWindowCloses) {
  // No save folder given and none typed: the job fails at its first capsule.
  Run({"/c:2"});
  ASSERT_EQ(window_.app_exceptions.size(), 1u);
  EXPECT_EQ(window_.app_exceptions[0], "List index out of bounds (0)");
  const auto exception = std::find(window_.events.begin(), window_.events.end(), "exception");
  ASSERT_NE(exception, window_.events.end());
  ASSERT_NE(exception + 1, window_.events.end()) << "the window was closed before the error";
  EXPECT_EQ(*(exception + 1), "close");
  EXPECT_EQ(window_.idle_states, (std::vector<bool>{false, true}));  // the job cleaned up
  ExpectClosedOnceAtTheEnd();
}

TEST_F(BatchRunTest, AnErrorBeforeTheJobIsShownAndTheWindowCloses) {
  // An error before the job (here from the selection) is shown, and the window closes.
  struct ThrowingWindow : FakeWindow {
    void SelectRow(RowId) override { throw std::runtime_error("selection failed"); }
  };
  ThrowingWindow window;
  window.batch = true;
  window.folders = {out_};
  window.table = window_.table;
  RunCommandLine(window, deleter_, {out_}, 0);
  EXPECT_EQ(window.app_exceptions, std::vector<std::string>{"selection failed"});
  EXPECT_EQ(window.closes, 1);
  EXPECT_TRUE(window.idle_states.empty());  // no job after the failure
}

TEST_F(BatchRunTest, WaitsWithTheWindowResponsiveBeforeClosing) {
  window_.on_yield = [](FakeWindow& w, int) { w.events.push_back("yield"); };
  Run({out_}, 0.05);
  const auto job_end = std::find(window_.events.rbegin(), window_.events.rend(), "idle:1");
  ASSERT_NE(job_end, window_.events.rend());
  // One yield, then one per 10 ms step of the wait, then the close.
  EXPECT_EQ(std::count(window_.events.rbegin(), job_end, "yield"), 1 + 5);
  ExpectClosedOnceAtTheEnd();
}

TEST(BatchDeletionTest, WithoutTheLibraryEachDubbedCapsuleIsReportedAndNothingIsCalled) {
  // "/d" ticks the delete box whether or not the library was loaded; the deleter of an
  // unloaded library reports each capsule instead of calling into it.
  testing::ScratchFolder scratch;
  const std::string host = scratch.Folder("Reel Keeper\\");
  samplegen::HostLayout layout;
  layout.media = {scratch.drive()};
  layout.seed = 7;
  samplegen::CapsuleLayout capsule;
  capsule.number = "0001";
  capsule.title = "Alpha";
  capsule.start = {2001, 3, 15, 21, 30, 0, 0};
  capsule.size_bytes = 3000;
  capsule.medium = scratch.drive();
  capsule.segments.push_back({".ssg", 3000, 0, 0, true});
  capsule.segments.push_back({".ssx", 100, 0, 0, true});
  layout.capsules = {capsule};
  samplegen::WriteHost(host, layout);

  FakeWindow window;
  window.batch = true;
  window.table.PathReelKeeper = host;
  testing::AddRow(window.table, "0001", "Alpha", 1);
  std::string out = scratch.Folder("out\\");
  out.pop_back();
  window.folders = {out};
  KapCapsuleDeleter deleter(nullptr);
  RunCommandLine(window, deleter, {"/d", out}, 0);

  EXPECT_TRUE(window.check_delete);
  ASSERT_EQ(window.dubbed.size(), 1u);
  EXPECT_EQ(window.dubbed[0].copied, 3100);
  ASSERT_EQ(window.notices.size(), 1u);
  EXPECT_EQ(window.notices[0].text, DeletionUnavailableMessage());
  EXPECT_TRUE(window.app_exceptions.empty());
  EXPECT_EQ(window.closes, 1);
}

}  // namespace
}  // namespace capsdub
