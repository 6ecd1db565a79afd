// The main window in-process under Wine, on generated sample data, driven through real window
// messages: the initial load, sorting by title clicks, Shift-click and drag selection, the
// page keys, the selection line, the enabled states, the history and the error display.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/controller/main_controller.h"
#include "catalogue/sort.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dubbing_job.h"
#include "platform/codepage.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "tests/dubbing/test_support.h"
#include "tests/mainwindow/main_window_fixture.h"
#include "tools/samplegen/sample_host.h"
#include "ui/about/about_form.h"
#include "ui/grid/selection_status.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/win32/window.h"

namespace capsdub {
namespace {

using testing::CloseBoxes;
using testing::g_boxes_closed;
using testing::MainWindowTest;
using testing::OwnMessageBox;
using testing::Pump;
using testing::PumpUntil;
using testing::ScratchFolder;
using testing::SetShift;
using testing::Sjis;

TEST_F(MainWindowTest, LoadsOnceNewestFirstWithTheDateMarker) {
  Start();
  const std::size_t rows = catalogue().Table1.size();
  ASSERT_GT(rows, 20u);
  EXPECT_EQ(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(rows));
  for (std::size_t i = 1; i < rows; ++i) {
    EXPECT_GE(catalogue().Table1.rows()[i - 1].FileDateTime.days,
              catalogue().Table1.rows()[i].FileDateTime.days);
  }
  EXPECT_EQ(HeaderMarker(3), 1);
  EXPECT_EQ(HeaderMarker(2), 0);
  // Later activations and timer ticks do not load again: a capsule added since stays unseen.
  samplegen::HostLayout more =
      samplegen::RandomHost(12, 45, {{scratch_.drive()}, samplegen::SizeScale::kSmall});
  samplegen::WriteHost(host_, more);
  SendMessageW(form_->hwnd(), WM_TIMER, 1, 0);
  SendMessageW(form_->hwnd(), WM_APP + 1, 0, 0);
  Pump(100);
  EXPECT_EQ(catalogue().Table1.size(), rows);
  // 表示更新 reads it.
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionRefresh, 0);
  EXPECT_GT(catalogue().Table1.size(), rows);
  EXPECT_TRUE(IsWindowEnabled(form_->Control(ui::kButtonFolder)));
}

TEST_F(MainWindowTest, TitleClicksSortAndFlipTheMarker) {
  // A stored field names its column whatever its letter case, for the sort and the marker.
  sort_state_.field = "filesize";
  Start();
  EXPECT_EQ(HeaderMarker(2), 1);
  EXPECT_EQ(HeaderMarker(3), 0);
  const auto& rows = catalogue().Table1.rows();
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].FileSize, rows[i].FileSize);
  ClickTitle(2);  // サイズ, the same field: smallest first
  EXPECT_EQ(catalogue().SortField, "FileSize");
  EXPECT_EQ(HeaderMarker(2), 2);
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LE(rows[i - 1].FileSize, rows[i].FileSize);
  ClickTitle(2);  // largest first
  EXPECT_EQ(HeaderMarker(2), 1);
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].FileSize, rows[i].FileSize);
  // The grid shows the sorted rows.
  wchar_t text[64] = {};
  ListView_GetItemText(list(), 0, 0, text, 64);
  EXPECT_EQ(platform::WideToSjis(text), rows[0].FileName);
}

TEST_F(MainWindowTest, ARightButtonDragOnATitleMovesItsColumnWithoutSorting) {
  Start();
  HWND header = ListView_GetHeader(list());
  auto centre = [&](int column) {
    RECT r{};
    Header_GetItemRect(header, column, &r);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };
  auto right_edge = [&](int column) {
    RECT r{};
    Header_GetItemRect(header, column, &r);
    return MAKELPARAM(r.right - 3, (r.top + r.bottom) / 2);
  };
  // タイトル dropped on the right part of 録画日時.
  PostMessageW(header, WM_RBUTTONDOWN, MK_RBUTTON, centre(1));
  PostMessageW(header, WM_MOUSEMOVE, MK_RBUTTON, centre(2));
  PostMessageW(header, WM_MOUSEMOVE, MK_RBUTTON, right_edge(3));
  PostMessageW(header, WM_RBUTTONUP, 0, right_edge(3));
  Pump(80);
  std::vector<std::string> fields;
  for (const ui::GridColumnLayout& c : form_->grid().ColumnLayout()) fields.push_back(c.field);
  EXPECT_EQ(fields, (std::vector<std::string>{"FileName", "FileSize", "FileDateTime", "Title",
                                              "Channel", "TapeLibName"}));
  EXPECT_EQ(catalogue().SortField, "FileDateTime");
  EXPECT_EQ(catalogue().SortMarker, 1);
  // Dropped on its own title, nothing moves; a left click still sorts by the moved column.
  PostMessageW(header, WM_RBUTTONDOWN, MK_RBUTTON, centre(1));
  PostMessageW(header, WM_RBUTTONUP, 0, centre(1));
  Pump(80);
  EXPECT_EQ(form_->grid().ColumnLayout()[3].field, "Title");
  ClickTitle(1);
  EXPECT_EQ(catalogue().SortField, "Title");
}

TEST_F(MainWindowTest, ShiftClicksSelectRangesFromTheAnchor) {
  Start();
  // Before any click the anchor is the row current at the last sort.
  const int anchor = CurrentIndex();
  ASSERT_GE(anchor, 0);
  Click(anchor + 4, true);
  std::vector<int> expected;
  for (int i = anchor; i <= anchor + 4; ++i) expected.push_back(i);
  EXPECT_EQ(SelectedIndices(), expected);
  EXPECT_EQ(PaintedSelectedIndices(), expected);
  EXPECT_EQ(CurrentIndex(), anchor + 4);
  // The next Shift-click runs from the previous one, replacing the selection.
  Click(anchor + 2, true);
  EXPECT_EQ(SelectedIndices(), (std::vector<int>{anchor + 2, anchor + 3, anchor + 4}));
  // A plain click selects one row.
  Click(9);
  EXPECT_EQ(SelectedIndices(), std::vector<int>{9});
}

TEST_F(MainWindowTest, DragSelectsTheRangeAndKeepsThePressRowCurrent) {
  Start();
  Drag(RowPoint(3), RowPoint(7));
  EXPECT_EQ(SelectedIndices(), (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_EQ(PaintedSelectedIndices(), (std::vector<int>{3, 4, 5, 6, 7}));
  EXPECT_EQ(CurrentIndex(), 3);
  wchar_t memo[6000] = {};
  GetWindowTextW(form_->Control(ui::kDBMemo1), memo, 6000);
  std::wstring expected = platform::SjisToWide(catalogue().Table1.rows()[3].Memo);
  std::wstring shown(memo);
  shown.erase(std::remove(shown.begin(), shown.end(), L'\r'), shown.end());
  EXPECT_EQ(shown, expected);
  // Less than a row height is a click on the press row.
  POINT from = RowPoint(10);
  POINT to = from;
  to.y += 3;
  Drag(from, to);
  EXPECT_EQ(SelectedIndices(), std::vector<int>{10});
}

TEST_F(MainWindowTest, PageKeysMoveOneRowLessThanAPageAndKeysKeepTheSelectionLineTrue) {
  Start();
  const int page = static_cast<int>(SendMessageW(list(), LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(page, 2);
  auto key = [&](WPARAM k) {
    PostMessageW(list(), WM_KEYDOWN, k, 0);
    Pump(40);
  };
  // The selected size of the selection line, up to the free space.
  auto selected_part = [&] {
    const std::string& text = form_->StatusText();
    return text.substr(0, text.find(" / "));
  };
  const std::string empty_line = SelectionStatusText(0, 0, ",");
  const std::string nothing = empty_line.substr(0, empty_line.find(" / "));
  int sized = 0;
  while (catalogue().Table1.rows()[static_cast<std::size_t>(sized)].FileSize <= 0) ++sized;
  Click(0);
  key(VK_NEXT);
  EXPECT_EQ(CurrentIndex(), page);  // on the first row the extra step is blocked
  key(VK_NEXT);
  EXPECT_EQ(CurrentIndex(), 2 * page - 1);
  key(VK_PRIOR);
  EXPECT_EQ(CurrentIndex(), page);
  // The page keys, Home, End and Escape leave no row selected, and the line and ダビング say so.
  for (WPARAM k : {VK_NEXT, VK_END, VK_HOME, VK_ESCAPE}) {
    Click(sized);
    ASSERT_TRUE(form_->ActionEnabled(ui::kActionExport));
    key(k);
    EXPECT_TRUE(SelectedIndices().empty()) << k;
    EXPECT_EQ(selected_part(), nothing) << k;
    EXPECT_FALSE(form_->ActionEnabled(ui::kActionExport)) << k;
  }
  EXPECT_EQ(CurrentIndex(), sized);  // Escape keeps the current row
  // Down selects the row it reaches, and the line counts it.
  key(VK_DOWN);
  EXPECT_EQ(SelectedIndices(), std::vector<int>{sized + 1});
  EXPECT_EQ(form_->ActionEnabled(ui::kActionExport),
            catalogue().Table1.rows()[static_cast<std::size_t>(sized) + 1].FileSize > 0);
}

TEST_F(MainWindowTest, SelectionLineAgainstFreeSpaceAndTheDubButton) {
  Start();
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionExport));
  // A row of size above 0.
  int row = 0;
  while (catalogue().Table1.rows()[static_cast<std::size_t>(row)].FileSize <= 0) ++row;
  const double size = catalogue().Table1.rows()[static_cast<std::size_t>(row)].FileSize;
  platform::testing::ActiveFaults().free_bytes = static_cast<std::uint64_t>(size * 1024);
  Click(row);
  EXPECT_EQ(form_->StatusColor(), kColourWindowText);
  EXPECT_NE(form_->StatusText().find(Sjis("選択サイズ : ")), std::string::npos);
  EXPECT_NE(form_->StatusText().find(Sjis(" / ディスク残量: ")), std::string::npos);
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionExport));
  platform::testing::ActiveFaults().free_bytes = static_cast<std::uint64_t>((size - 1) * 1024);
  Click(row);
  EXPECT_EQ(form_->StatusColor(), kColourRed);
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionExport));
  // A click handled while the line of the one before is added up: the line is the later one's.
  form_->set_selection_turns({1, 0});
  int other = row + 1;
  while (catalogue().Table1.rows()[static_cast<std::size_t>(other)].FileSize == size) ++other;
  const double other_size = catalogue().Table1.rows()[static_cast<std::size_t>(other)].FileSize;
  for (int index : {row, other}) {
    const POINT p = RowPoint(index);
    PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(list(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  Pump(100);
  ASSERT_EQ(SelectedIndices(), std::vector<int>{other});
  EXPECT_EQ(
      form_->StatusText().rfind(Sjis("選択サイズ : ") +
                                FormatThousands(other_size, platform::ThousandsSeparator(), 10)),
      0u);
  // A sort clears the selection: the line and ダビング follow it.
  ClickTitle(1);
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionExport));
  EXPECT_EQ(form_->StatusText().rfind(Sjis("選択サイズ :          0Kバイト"), 0), 0u);
  // Only rows of size 0: Dub is disabled again.
  for (std::size_t i = 0; i < catalogue().Table1.size(); ++i) {
    if (catalogue().Table1.rows()[i].FileSize == 0) {
      Click(static_cast<int>(i));
      EXPECT_FALSE(form_->ActionEnabled(ui::kActionExport));
      break;
    }
  }
}

TEST_F(MainWindowTest, IdleStateSwitchesTheJobControls) {
  Start();
  SetFocus(list());
  form_->SetIdleState(false);
  // The window holds the keyboard while the grid is disabled, and gives it back after the job.
  EXPECT_EQ(GetFocus(), form_->hwnd());
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionExport));
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionPause));
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionSTOP));
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionRefresh));
  EXPECT_FALSE(IsWindowEnabled(list()));
  EXPECT_FALSE(IsWindowEnabled(form_->Control(ui::kPathReelKeeper)));
  EXPECT_FALSE(IsWindowEnabled(form_->Control(ui::kPathMPEGSave)));
  EXPECT_TRUE(IsWindowEnabled(form_->Control(ui::kButtonFolder)));
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionExit));
  form_->SetIdleState(true);
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionExport));
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionPause));
  EXPECT_TRUE(IsWindowEnabled(list()));
  EXPECT_EQ(GetFocus(), list());
  // So does a box that took the activation, once it closes.
  ui::MessageBoxWindow::ShowNoWait(form_->hwnd(), L"box", L"box", ui::BoxIcon::kNone);
  ASSERT_NE(OwnMessageBox(), nullptr);
  SetActiveWindow(OwnMessageBox());
  EXPECT_NE(GetFocus(), list());
  PostMessageW(OwnMessageBox(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([] { return OwnMessageBox() == nullptr; }));
  EXPECT_EQ(GetFocus(), list());
  // "削除する" stays disabled without KAP.dll.
  EXPECT_FALSE(IsWindowEnabled(form_->Control(ui::kCheckDelete)));
}

// A wider window moves the panel's right-hand controls and widens the folder boxes; dragging
// the splitter up makes the memo taller.
TEST_F(MainWindowTest, PanelFollowsTheWidthAndTheSplitterSizesTheMemo) {
  Start();
  auto rect_of = [&](int id) {
    RECT r{};
    GetWindowRect(form_->Control(id), &r);
    MapWindowPoints(nullptr, form_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT button = rect_of(ui::kButtonFolder);
  const RECT box = rect_of(ui::kPathReelKeeper);
  const RECT window = form_->WindowRect();
  MoveWindow(form_->hwnd(), window.left, window.top, window.right - window.left + 100,
             window.bottom - window.top, TRUE);
  EXPECT_EQ(rect_of(ui::kButtonFolder).left, button.left + 100);
  EXPECT_EQ(rect_of(ui::kPathReelKeeper).right, box.right + 100);
  EXPECT_EQ(rect_of(ui::kPathReelKeeper).left, box.left);

  HWND splitter = form_->Control(ui::kSplitter1);
  const int memo = rect_of(ui::kDBMemo1).bottom - rect_of(ui::kDBMemo1).top;
  SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
  SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, -19));
  // The splitter moved up with the pointer: 10 pixels higher is -9 in its client area now.
  SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(5, -9));
  EXPECT_EQ(rect_of(ui::kDBMemo1).bottom - rect_of(ui::kDBMemo1).top, memo + 30);
  EXPECT_EQ(form_->CurrentState().DBMemo1_Height, memo + 30);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MainWindowTest, EscapeInTheMemoLeavesTheWindowOpen) {
  Start();
  HWND memo = form_->Control(ui::kDBMemo1);
  SetFocus(memo);
  PostMessageW(memo, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(memo, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  Pump(100);
  EXPECT_TRUE(IsWindow(form_->hwnd()));
  EXPECT_TRUE(IsWindowVisible(form_->hwnd()));
}

TEST_F(MainWindowTest, SaveFolderHistory) {
  Start();
  for (int i = 0; i < 11; ++i) {
    form_->SetSaveFolderText("C:\\out" + std::to_string(i));
    AddSaveFolderToHistory(*form_);
  }
  std::vector<std::string> history = form_->SaveFolderHistory();
  ASSERT_EQ(history.size(), 10u);
  EXPECT_EQ(history.front(), "C:\\out10");
  EXPECT_EQ(history.back(), "C:\\out1");  // the oldest was pushed out
  form_->SetSaveFolderText("C:\\out5");
  AddSaveFolderToHistory(*form_);
  history = form_->SaveFolderHistory();
  EXPECT_EQ(history.size(), 10u);
  EXPECT_EQ(history.front(), "C:\\out5");
  EXPECT_EQ(form_->SaveFolderText(), "C:\\out5");
  form_->SetSaveFolderText("C:\\OUT5");  // letter case makes another entry
  AddSaveFolderToHistory(*form_);
  EXPECT_EQ(form_->SaveFolderHistory()[1], "C:\\out5");
}

TEST_F(MainWindowTest, StatusNineRowsAreRed) {
  Start();
  int row = -1;
  for (std::size_t i = 0; i < catalogue().Table1.size(); ++i)
    if (catalogue().Table1.rows()[i].Status == 9) row = static_cast<int>(i);
  ASSERT_GE(row, 0) << "the sample host has a status-9 capsule";
  auto draw = [&](int index) {
    NMLVCUSTOMDRAW nm{};
    nm.nmcd.hdr.hwndFrom = list();
    nm.nmcd.hdr.idFrom = ui::kRxDBGrid1;
    nm.nmcd.hdr.code = NM_CUSTOMDRAW;
    nm.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    nm.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index);
    nm.nmcd.uItemState = CDIS_SELECTED;
    nm.clrText = CLR_DEFAULT;
    nm.clrTextBk = CLR_DEFAULT;
    SendMessageW(form_->hwnd(), WM_NOTIFY, ui::kRxDBGrid1, reinterpret_cast<LPARAM>(&nm));
    return nm;
  };
  NMLVCUSTOMDRAW plain = draw(row);
  EXPECT_EQ(plain.clrTextBk, RGB(255, 0, 0));
  EXPECT_EQ(plain.clrText, RGB(255, 255, 255));
  Click(row);
  NMLVCUSTOMDRAW selected = draw(row);
  EXPECT_EQ(selected.clrTextBk, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(selected.clrText, RGB(255, 0, 0));
  const int other = row == 0 ? 1 : 0;
  // A row the list view marks as selected but the catalogue does not select is plain.
  EXPECT_EQ(draw(other).clrTextBk, GetSysColor(COLOR_WINDOW));
}

TEST_F(MainWindowTest, AnErrorInALoadIsShownAndTheProgramGoesOn) {
  sort_state_.field = "NoSuchField";
  g_boxes_closed = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &CloseBoxes);
  Start();
  KillTimer(nullptr, timer);
  EXPECT_EQ(form_->StatusColor(), kColourRed);
  EXPECT_EQ(form_->StatusText(), "Field 'NoSuchField' not found");
  EXPECT_EQ(form_->StatusHint(), form_->StatusText());
  EXPECT_GE(g_boxes_closed, 1);
  EXPECT_TRUE(IsWindowEnabled(form_->Control(ui::kButtonFolder)));
  // A title click repairs the sort field.
  ClickTitle(1);
  EXPECT_EQ(catalogue().SortField, "Title");
  EXPECT_GT(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0), 0);
}

// Input while a job runs: commands posted to the window and a thread timer, both handled at
// the job's yields.
struct JobScript {
  ui::TForm1* form = nullptr;
  int stop_at_tick = 0;    // posts " 停　止 " at this tick
  int resume_at_tick = 0;  // presses " 再 開 " at this tick
  int ticks = 0;
  std::string caption;  // ActionPause's caption at the first tick
  bool export_enabled = true;
};
JobScript* g_script = nullptr;
void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  JobScript& s = *g_script;
  ++s.ticks;
  if (s.ticks == 1) {
    s.caption = s.form->ActionCaption(ui::kActionPause);
    s.export_enabled = s.form->ActionEnabled(ui::kActionExport);
  }
  if (s.ticks == s.stop_at_tick) PostMessageW(s.form->hwnd(), WM_COMMAND, ui::kActionSTOP, 0);
  // A stop that never arrives must not hang the test: the pause is released after 3 s.
  if (s.ticks == s.resume_at_tick || s.ticks == 60)
    PostMessageW(s.form->hwnd(), WM_COMMAND, ui::kActionPause, 0);
}

TEST_F(MainWindowTest, PauseWaitsResumeGoesOnAndStopEndsTheJob) {
  Start();
  std::vector<CatalogueRow> selected;
  ASSERT_NO_FATAL_FAILURE(SelectThreeWithMedia(selected));
  std::vector<std::string> titles;
  for (const CatalogueRow& row : selected) titles.push_back(TitleToFileName(row.Title));
  auto dubbed = [&](const std::string& out) {
    int n = 0;
    for (const std::string& t : titles) n += testing::Exists(out + t + ".mpg") ? 1 : 0;
    return n;
  };
  // Pressed before ダビング, 一時停止 is handled as soon as the job first yields.
  auto run = [&](int stop_at_tick, int resume_at_tick, const std::string& out) {
    JobScript script;
    script.form = form_.get();
    script.stop_at_tick = stop_at_tick;
    script.resume_at_tick = resume_at_tick;
    g_script = &script;
    form_->SetSaveFolderText(out);
    PostMessageW(form_->hwnd(), WM_COMMAND, ui::kActionPause, 0);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &ScriptTick);
    SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionExport, 0);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    return script;
  };

  const std::string resumed = scratch_.Folder("resumed\\");
  const JobScript first = run(0, 4, resumed);
  EXPECT_EQ(first.caption, Sjis(" 再 開 "));
  EXPECT_FALSE(first.export_enabled);
  EXPECT_GE(first.ticks, 4);  // the job waited while paused
  EXPECT_EQ(dubbed(resumed), static_cast<int>(titles.size()));
  EXPECT_EQ(form_->ActionCaption(ui::kActionPause), Sjis("一時停止"));

  const std::string stopped = scratch_.Folder("stopped\\");
  const JobScript second = run(3, 0, stopped);
  EXPECT_GE(second.ticks, 3);
  EXPECT_LT(second.ticks, 60);
  EXPECT_EQ(dubbed(stopped), 0);
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionExport));
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionSTOP));
}

TEST_F(MainWindowTest, DubsTheSelectionIntoTheSaveFolder) {
  Start();
  const std::string out = scratch_.Folder("out\\");
  form_->SetSaveFolderText(out);
  Drag(RowPoint(0), RowPoint(2));
  ASSERT_TRUE(form_->ActionEnabled(ui::kActionExport));
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionExport, 0);
  EXPECT_TRUE(form_->ActionEnabled(ui::kActionExport));  // enabled after every job
  EXPECT_FALSE(form_->ActionEnabled(ui::kActionPause));
  int written = 0;
  for (int i = 0; i < 3; ++i) {
    const CatalogueRow& row = catalogue().Table1.rows()[static_cast<std::size_t>(i)];
    if (row.FileSize > 0 && testing::Exists(out + TitleToFileName(row.Title) + ".mpg")) ++written;
  }
  EXPECT_GE(written, 1);
  EXPECT_EQ(form_->SaveFolderHistory().front(), out);
}

// "é" has no Shift-JIS form; the system's nearest stand-in would be "e", naming another folder.
TEST_F(MainWindowTest, FoldersWithoutAShiftJisFormAreRefusedAndNothingIsWritten) {
  Start();
  const std::string lookalike = scratch_.Folder("cafe\\");
  const std::wstring refused = platform::SjisToWide(scratch_.root()) + L"caf\u00e9\\";
  Drag(RowPoint(0), RowPoint(2));
  SetWindowTextW(form_->Control(ui::kPathMPEGSave), refused.c_str());
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionExport, 0);
  Pump(50);
  EXPECT_EQ(form_->StatusText(), Sjis("保存フォルダーにシフトJISで表せない文字があります。"
                                      "別のフォルダーを指定してください。"));
  EXPECT_EQ(form_->StatusColor(), kColourRed);
  EXPECT_TRUE(form_->SaveFolderHistory().empty());
  EXPECT_TRUE(platform::ListFiles(lookalike, "*").empty());

  // The host folder: 表示更新 is refused and the catalogue stays.
  const std::size_t rows = catalogue().Table1.size();
  SetWindowTextW(form_->Control(ui::kPathReelKeeper), refused.c_str());
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionRefresh, 0);
  EXPECT_EQ(form_->StatusText(), Sjis("ReelKeeperフォルダーにシフトJISで表せない文字があります。"
                                      "別のフォルダーを指定してください。"));
  EXPECT_EQ(catalogue().Table1.size(), rows);
  EXPECT_EQ(catalogue().PathReelKeeper, host_);

  // A folder chosen in the dialog: refused, and the dialog asks again.
  std::vector<std::wstring> choices = {refused, platform::SjisToWide(lookalike)};
  form_->set_folder_browser([&](std::string_view, std::string_view, std::string_view) {
    std::optional<std::wstring> next = choices.front();
    choices.erase(choices.begin());
    return next;
  });
  SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(ui::kButtonSaveFolder, BN_CLICKED),
               reinterpret_cast<LPARAM>(form_->Control(ui::kButtonSaveFolder)));
  EXPECT_TRUE(choices.empty());
  EXPECT_EQ(form_->SaveFolderText(), lookalike);
  EXPECT_EQ(form_->StatusText(), Sjis("選択したフォルダーにシフトJISで表せない文字があります。"
                                      "別のフォルダーを選択してください。"));
}

}  // namespace
}  // namespace capsdub

namespace capsdub {
namespace {

TEST_F(MainWindowTest, TheAboutActionShowsOneAboutBox) {
  Start();
  TAboutForm about;
  ASSERT_TRUE(about.Create(form_->hwnd()));
  form_->set_about([&about] { about.Show(); });
  EXPECT_FALSE(IsWindowVisible(about.hwnd()));
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionAbout, 0);
  Pump(50);
  EXPECT_TRUE(IsWindowVisible(about.hwnd()));
  EXPECT_TRUE(IsWindowEnabled(form_->hwnd()));  // the main window is not blocked
  SendMessageW(form_->hwnd(), WM_COMMAND, ui::kActionAbout, 0);
  Pump(50);
  int boxes = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, nullptr, L"バージョン情報")) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    boxes += process == GetCurrentProcessId() ? 1 : 0;  // not another program's box
  }
  EXPECT_EQ(boxes, 1);
}

}  // namespace
}  // namespace capsdub
