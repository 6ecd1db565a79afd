// The main window's test fixture: a TForm1 with its controller on a generated Reel Keeper
// host under Wine, and the real window messages the tests drive it with (clicks at row
// positions, drags, title clicks, Shift held through the keyboard state).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/controller/main_controller.h"
#include "dubbing/capsule_deleter.h"
#include "platform/fault_injection.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/win32/window.h"

namespace capsdub::testing {

class FakeKap : public KapAccess {
 public:
  bool Load() override { return loaded; }
  CapsuleDeleter& Deleter() override { return deleter; }
  bool loaded = false;
  UnavailableCapsuleDeleter deleter;
};

class FakeSortState : public SortStateStore {
 public:
  void Load(Catalogue& catalogue) override {
    catalogue.SortField = field;
    catalogue.SortMarker = marker;
  }
  void Save(const Catalogue& catalogue) override { saved = catalogue.SortField; }
  std::string field = "FileDateTime";
  int marker = 1;
  std::string saved;
};

inline void Pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    win32::PumpPendingMessages();
    Sleep(5);
  } while (GetTickCount() < end);
}

template <typename Predicate>
bool PumpUntil(Predicate done, int ms = 10000) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (!done()) {
    if (GetTickCount() > end) return false;
    win32::PumpPendingMessages();
    Sleep(5);
  }
  return true;
}

inline void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// A message box of this process (another program of the same Wine server may show one too).
inline HWND OwnMessageBox() {
  for (HWND box = FindWindowExW(nullptr, nullptr, ui::kMessageBoxClass, nullptr); box != nullptr;
       box = FindWindowExW(nullptr, box, ui::kMessageBoxClass, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (process == GetCurrentProcessId()) return box;
  }
  return nullptr;
}

// Closes CapsDub's message boxes a moment after they open, counting them.
inline int g_boxes_closed = 0;
inline void CALLBACK CloseBoxes(HWND, UINT, UINT_PTR, DWORD) {
  // A modal box stays until its loop ends: one close per tick.
  if (HWND box = OwnMessageBox()) {
    ++g_boxes_closed;
    PostMessageW(box, WM_CLOSE, 0, 0);
  }
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::ResetFaults();
    host_ = scratch_.root() + "Reel Keeper\\";
    samplegen::RandomOptions options;
    options.media = {scratch_.drive()};
    options.scale = samplegen::SizeScale::kSmall;
    layout_ = samplegen::RandomHost(11, 40, options);
    samplegen::WriteHost(host_, layout_);
  }
  void TearDown() override {
    form_.reset();
    controller_.reset();
    platform::testing::ResetFaults();
    SetShift(false);
  }

  // Creates and shows the window and waits for the initial load.
  void Start(std::vector<std::string> arguments = {}) {
    controller_ = std::make_unique<MainController>(*form_, *kap_access_, sort_state_, arguments);
    form_->set_events(controller_.get());
    form_->set_batch_mode(!arguments.empty());
    form_->set_restore_settings([this] {
      ui::MainWindowState state;
      state.PathReelKeeper_Text = host_;
      return state;
    });
    ASSERT_TRUE(form_->CreateMainWindow({}));
    form_->ShowFirst(SW_SHOWNORMAL);
    ASSERT_TRUE(PumpUntil([&] { return controller_->CatalogueLoaded() && !controller_->Busy(); }));
    Pump(50);
  }

  HWND list() { return form_->grid().hwnd(); }
  Catalogue& catalogue() { return form_->catalogue(); }
  POINT RowPoint(int index) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageW(list(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return {40, (r.top + r.bottom) / 2};
  }
  void Click(int index, bool shift = false) {
    ListView_EnsureVisible(list(), index, FALSE);
    Pump(20);
    const POINT p = RowPoint(index);
    SetShift(shift);
    const WPARAM keys = shift ? MK_SHIFT : 0;
    PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
    PostMessageW(list(), WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
    Pump(60);
    SetShift(false);
  }
  void Drag(POINT from, POINT to) {
    PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    Pump(30);
    PostMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, (from.y + to.y) / 2));
    PostMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    Pump(30);
    PostMessageW(list(), WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    Pump(60);
  }
  // Selects the three newest capsules that have media (a click, then a Shift-click on the
  // third) and gives the selected rows that have media.
  void SelectThreeWithMedia(std::vector<CatalogueRow>& selected) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < catalogue().Table1.size() && rows.size() < 3; ++i) {
      if (catalogue().Table1.rows()[i].FileSize > 0) rows.push_back(static_cast<int>(i));
    }
    ASSERT_EQ(rows.size(), 3u);
    Click(rows[0]);
    Click(rows[2], true);
    for (RowId id : catalogue().Selection) {
      const CatalogueRow& row = *catalogue().Table1.FindById(id);
      if (row.FileSize > 0) selected.push_back(row);
    }
  }
  // Display indices of the selected rows, in display order.
  std::vector<int> SelectedIndices() {
    std::vector<int> indices;
    for (std::size_t i = 0; i < catalogue().Table1.size(); ++i) {
      if (catalogue().Selection.count(catalogue().Table1.rows()[i].id)) indices.push_back(int(i));
    }
    return indices;
  }
  // Display indices of the rows the grid paints as selected.
  std::vector<int> PaintedSelectedIndices() {
    std::vector<int> indices;
    for (std::size_t i = 0; i < catalogue().Table1.size(); ++i) {
      NMLVCUSTOMDRAW draw{};
      draw.nmcd.hdr.hwndFrom = list();
      draw.nmcd.hdr.idFrom = ui::kRxDBGrid1;
      draw.nmcd.hdr.code = NM_CUSTOMDRAW;
      draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
      draw.nmcd.dwItemSpec = i;
      draw.clrTextBk = CLR_DEFAULT;
      SendMessageW(form_->hwnd(), WM_NOTIFY, ui::kRxDBGrid1, reinterpret_cast<LPARAM>(&draw));
      if (draw.clrTextBk == GetSysColor(COLOR_HIGHLIGHT)) indices.push_back(static_cast<int>(i));
    }
    return indices;
  }
  int CurrentIndex() {
    auto index = catalogue().Table1.IndexOf(catalogue().CurrentRow.value_or(0));
    return index ? static_cast<int>(*index) : -1;
  }
  int HeaderMarker(int column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(ListView_GetHeader(list()), column, &item);
    if (item.fmt & HDF_SORTDOWN) return 1;
    if (item.fmt & HDF_SORTUP) return 2;
    return 0;
  }
  void ClickTitle(int column) {
    HWND header = ListView_GetHeader(list());
    RECT r{};
    Header_GetItemRect(header, column, &r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(header, WM_LBUTTONUP, 0, at);
    Pump(80);
  }

  ScratchFolder scratch_;
  std::string host_;
  samplegen::HostLayout layout_;
  FakeKap kap_;
  KapAccess* kap_access_ = &kap_;  // a test may put the real library here
  FakeSortState sort_state_;
  std::unique_ptr<ui::TForm1> form_ = std::make_unique<ui::TForm1>();
  std::unique_ptr<MainController> controller_;
};

}  // namespace capsdub::testing
