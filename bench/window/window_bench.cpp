// Times CapsDub's main window (TForm1 with its MainController) in-process on a generated host,
// driven by real window messages, each against a baseline measured in the same process; or,
// with --memory, reports the process's memory once a catalogue is loaded, with or without the
// window, for run_window_bench.sh.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/controller/main_controller.h"
#include "app/gui/resources/resource_ids.h"
#include "catalogue/scan.h"
#include "catalogue/sort.h"
#include "dubbing/capsule_deleter.h"
#include "platform/files.h"
#include "tools/samplegen/sample_host.h"
#include "ui/grid/catalogue_grid.h"
#include "ui/grid/selection_status.h"
#include "ui/main_window.h"
#include "ui/text/text_utils.h"
#include "ui/win32/handles.h"
#include "ui/win32/window.h"

namespace capsdub {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "window_bench: %s\n", what);
  std::exit(1);
}

class NoKap : public KapAccess {
 public:
  bool Load() override { return false; }
  CapsuleDeleter& Deleter() override { return deleter_; }

 private:
  UnavailableCapsuleDeleter deleter_;
};

// The first start's sort state: newest first.
class DefaultSortState : public SortStateStore {
 public:
  void Load(Catalogue& catalogue) override {
    catalogue.SortField = "FileDateTime";
    catalogue.SortMarker = 1;
  }
  void Save(const Catalogue&) override {}
};

// The catalogue load without a window: errors go to standard error; optionally yields to the
// message loop as the window does, to tell the cost of yielding from the load itself.
class BareWindow : public WindowPort {
 public:
  explicit BareWindow(bool pump) : pump_(pump) {}
  void SetStatus(std::string_view text, Colour colour) override {
    if (colour == kColourRed)
      std::fprintf(stderr, "status (red): %.*s\n", static_cast<int>(text.size()), text.data());
  }
  void YieldToUi() override {
    if (!pump_) return;
    Sleep(0);
    win32::PumpPendingMessages();
  }

 private:
  bool pump_;
};

// What the window and its list view did, counted by subclasses of both that change nothing.
struct Counters {
  HWND list = nullptr;
  int item_prepaints = 0;  // NM_CUSTOMDRAW CDDS_ITEMPREPAINT of the list view
  int dispinfos = 0;       // LVN_GETDISPINFOW of the list view
  int list_paints = 0;     // WM_PAINT of the list view
  int clicks = 0;          // NM_CLICK of the list view, counted once the window handled it
  int column_clicks = 0;   // LVN_COLUMNCLICK, likewise
  int keys = 0;            // WM_KEYDOWN of the list view, once handled
  UINT load_trigger = 0;   // the first of the activation message and the timer tick
  void ResetDrawing() { item_prepaints = dispinfos = list_paints = 0; }
};

constexpr UINT kActivateMessage = WM_APP + 1;  // TForm1's posted activation

// The counters are attached by replacing the window procedures, not through
// SetWindowSubclass: under Wine every message to a window subclassed that way looks its
// subclass list up in the server, which would weigh on every notification being counted.
Counters* g_counters = nullptr;
WNDPROC g_form_procedure = nullptr;
WNDPROC g_list_procedure = nullptr;

LRESULT CALLBACK FormSpy(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Counters* counters = g_counters;
  const NMHDR* header = message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(l) : nullptr;
  const bool from_list = header != nullptr && header->hwndFrom == counters->list;
  if (from_list && header->code == NM_CUSTOMDRAW &&
      reinterpret_cast<const NMCUSTOMDRAW*>(l)->dwDrawStage == CDDS_ITEMPREPAINT)
    ++counters->item_prepaints;
  if (from_list && header->code == LVN_GETDISPINFOW) ++counters->dispinfos;
  if (counters->load_trigger == 0 &&
      (message == kActivateMessage || (message == WM_TIMER && w == 1)))
    counters->load_trigger = message;
  const UINT code = from_list ? header->code : 0;
  const LRESULT result = CallWindowProcW(g_form_procedure, hwnd, message, w, l);
  if (code == NM_CLICK) ++counters->clicks;
  if (code == LVN_COLUMNCLICK) ++counters->column_clicks;
  return result;
}

LRESULT CALLBACK ListSpy(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Counters* counters = g_counters;
  if (message == WM_PAINT) ++counters->list_paints;
  const LRESULT result = CallWindowProcW(g_list_procedure, hwnd, message, w, l);
  if (message == WM_KEYDOWN) ++counters->keys;
  return result;
}

WNDPROC Attach(HWND hwnd, WNDPROC spy) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spy)));
}

// Dispatches messages until `done`, sleeping only while the queue is empty.
bool PumpUntil(const std::function<bool()>& done, double timeout_ms = 60000) {
  const auto start = Clock::now();
  while (!done()) {
    if (MsSince(start) > timeout_ms) return false;
    if (!win32::PumpPendingMessages()) return false;
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(double ms) {
  const auto start = Clock::now();
  PumpUntil([&] { return MsSince(start) >= ms; }, ms + 1000);
}

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// CapsDub's window as the program makes it (its resources, no settings file, no KAP.dll),
// with the counters attached.
class BenchWindow {
 public:
  explicit BenchWindow(const std::string& host)
      : controller_(form_, kap_, sort_state_, {}), host_(host) {
    form_.set_events(&controller_);
    form_.set_restore_settings([this] {
      ui::MainWindowState state;
      state.PathReelKeeper_Text = host_;
      return state;
    });
  }

  // CreateMainWindow and ShowFirst, then messages until the load has ended and the list view
  // has drawn rows; UpdateWindow of the list view is the last step.
  void StartAndWaitForRows(std::size_t expected_rows) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    toolbar_.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_TOOLBAR),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    folder_.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_FOLDER),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ui::MainWindowResources resources;
    resources.icon = LoadIconW(instance, L"MAINICON");
    resources.toolbar = toolbar_.get();
    resources.folder = folder_.get();
    if (!form_.CreateMainWindow(resources)) Fail("CreateMainWindow failed");
    counters.list = form_.grid().hwnd();
    g_counters = &counters;
    g_form_procedure = Attach(form_.hwnd(), &FormSpy);
    g_list_procedure = Attach(list(), &ListSpy);
    form_.ShowFirst(SW_SHOWNORMAL);
    const bool loaded = PumpUntil([&] {
      return controller_.CatalogueLoaded() && !controller_.Busy() &&
             SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(expected_rows);
    });
    if (!loaded) Fail("the window's load did not end");
    UpdateWindow(list());
    if (counters.item_prepaints == 0 &&
        !PumpUntil([&] { return counters.item_prepaints > 0; }, 5000))
      Fail("the list view drew no rows");
  }

  HWND list() { return form_.grid().hwnd(); }
  ui::TForm1& form() { return form_; }
  Catalogue& catalogue() { return form_.catalogue(); }
  std::size_t rows() { return catalogue().Table1.size(); }

  POINT RowPoint(int index) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    SendMessageW(list(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return {40, (r.top + r.bottom) / 2};
  }
  void ShowRow(int index) {
    ListView_EnsureVisible(list(), index, FALSE);
    UpdateWindow(list());
    PumpFor(5);
  }
  // A click on a visible row, from the press to the repainted list; Shift held when asked.
  double Click(int index, bool shift) {
    const POINT p = RowPoint(index);
    const int before = counters.clicks;
    SetShift(shift);
    const WPARAM keys = shift ? MK_SHIFT : 0;
    const auto start = Clock::now();
    PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
    PostMessageW(list(), WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
    if (!PumpUntil([&] { return counters.clicks > before; })) Fail("the click was not handled");
    UpdateWindow(list());
    const double ms = MsSince(start);
    SetShift(false);
    return ms;
  }
  // A click in the middle of a column title, to the repainted list.
  double ClickTitle(int column) {
    HWND header = ListView_GetHeader(list());
    RECT r{};
    Header_GetItemRect(header, column, &r);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const int before = counters.column_clicks;
    const auto start = Clock::now();
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(header, WM_LBUTTONUP, 0, at);
    if (!PumpUntil([&] { return counters.column_clicks > before; }))
      Fail("the title click was not handled");
    UpdateWindow(list());
    return MsSince(start);
  }
  // A key press on the list view, to the repainted list.
  double Key(WPARAM key) {
    const int before = counters.keys;
    const auto start = Clock::now();
    PostMessageW(list(), WM_KEYDOWN, key, 0);
    if (!PumpUntil([&] { return counters.keys > before; })) Fail("the key was not handled");
    UpdateWindow(list());
    return MsSince(start);
  }
  // The whole list view painted anew: what one screenful of rows costs.
  double Repaint() {
    const auto start = Clock::now();
    InvalidateRect(list(), nullptr, TRUE);
    UpdateWindow(list());
    return MsSince(start);
  }
  int FocusedIndex() {
    return static_cast<int>(
        SendMessageW(list(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  }

  Counters counters;

 private:
  ui::TForm1 form_;
  NoKap kap_;
  DefaultSortState sort_state_;
  MainController controller_;
  std::string host_;
  win32::Bitmap toolbar_;
  win32::Bitmap folder_;
};

double BareLoad(const std::string& host, bool pump, std::size_t* rows = nullptr) {
  BareWindow window(pump);
  Catalogue catalogue;
  catalogue.PathReelKeeper = host;
  const auto start = Clock::now();
  LoadCatalogue(catalogue, window);
  const double ms = MsSince(start);
  if (rows != nullptr) *rows = catalogue.Table1.size();
  return ms;
}

// One table line: the median of the measured times, the median of the baseline and the ratio.
void Line(const char* what, const std::vector<double>& ms, const char* baseline,
          const std::vector<double>& base_ms, const std::string& note = {}) {
  const double m = Median(ms);
  const double b = Median(base_ms);
  std::printf("| %-34s | %9.2f | %-28s | %9.3f | %8.2f | %s\n", what, m, baseline, b,
              b > 0 ? m / b : 0.0, note.c_str());
}

int RunTimings(const std::string& host, int repeat, int start_repeat) {
  // Page cache, directory caches and the collation tables warm for every side alike.
  std::size_t rows = 0;
  BareLoad(host, false, &rows);
  if (rows == 0) Fail("the host has no capsules");

  std::vector<double> bare_ms, bare_pump_ms, start_ms;
  std::vector<double> trigger_activation;
  std::unique_ptr<BenchWindow> window;
  for (int r = 0; r < start_repeat; ++r) {
    bare_ms.push_back(BareLoad(host, false));
    bare_pump_ms.push_back(BareLoad(host, true));
    window.reset();
    window = std::make_unique<BenchWindow>(host);
    const auto start = Clock::now();
    window->StartAndWaitForRows(rows);
    start_ms.push_back(MsSince(start));
    trigger_activation.push_back(window->counters.load_trigger == kActivateMessage ? 1 : 0);
  }
  BenchWindow& w = *window;
  const int page = static_cast<int>(SendMessageW(w.list(), LVM_GETCOUNTPERPAGE, 0, 0));

  // Repaints of the whole list view: the floor of every repainting step below.
  std::vector<double> repaint_ms;
  int repaint_prepaints = 0;
  for (int r = 0; r < repeat; ++r) {
    w.counters.ResetDrawing();
    repaint_ms.push_back(w.Repaint());
    repaint_prepaints = w.counters.item_prepaints;
  }

  // Title clicks against SortCatalogue of a copy of the same rows in the same state.
  struct TitleCase {
    int column;
    const char* name;
  };
  const TitleCase titles[] = {{1, "title click: Title (text)"},
                              {2, "title click: FileSize"},
                              {3, "title click: FileDateTime"},
                              {4, "title click: Channel (text)"}};
  struct TitleResult {
    std::vector<double> click, sort;
    int over_goal = 0;
  };
  std::vector<TitleResult> title_results(std::size(titles));
  for (int r = 0; r < repeat; ++r) {
    for (std::size_t t = 0; t < std::size(titles); ++t) {
      const std::string field = ui::CatalogueGrid::FieldNames()[titles[t].column];
      Catalogue copy = w.catalogue();
      const auto start = Clock::now();
      SortCatalogue(copy, field);
      title_results[t].sort.push_back(MsSince(start));
      const double ms = w.ClickTitle(titles[t].column);
      title_results[t].click.push_back(ms);
      if (ms >= 100) ++title_results[t].over_goal;
      const auto& mine = w.catalogue().Table1.rows();
      const auto& theirs = copy.Table1.rows();
      bool same = w.catalogue().SortField == field && w.catalogue().SortMarker == copy.SortMarker &&
                  mine.size() == theirs.size();
      for (std::size_t i = 0; same && i < mine.size(); ++i) same = mine[i].id == theirs[i].id;
      if (!same) Fail("the title click did not sort as SortCatalogue does");
    }
  }

  // Page Down from the first row, against a repaint of the whole list.
  w.ShowRow(0);
  w.Click(0, false);
  std::vector<double> page_ms;
  int page_prepaints = 0;
  for (int r = 0; r < repeat; ++r) {
    const int from = w.FocusedIndex();
    w.counters.ResetDrawing();
    page_ms.push_back(w.Key(VK_NEXT));
    page_prepaints = std::max(page_prepaints, w.counters.item_prepaints);
    if (w.FocusedIndex() <= from) Fail("Page Down did not move the current row");
  }

  // Shift-click from the first to the last row, against a plain click on the last row and a
  // repaint of the whole list; rows drawn and texts asked for meanwhile are counted. Then a
  // plain click with every row selected, which must leave one row selected and the selection
  // line saying so.
  const int last = static_cast<int>(rows) - 1;
  std::vector<double> plain_ms, shift_ms, status_ms, collapse_ms;
  int shift_prepaints = 0, shift_dispinfos = 0, shift_paints = 0, after_prepaints = 0;
  int stale_status = 0;
  for (int r = 0; r < repeat; ++r) {
    w.ShowRow(0);
    w.Click(0, false);
    w.ShowRow(last);
    plain_ms.push_back(w.Click(last, false));
    w.ShowRow(0);
    w.Click(0, false);
    w.ShowRow(last);
    w.counters.ResetDrawing();
    shift_ms.push_back(w.Click(last, true));
    shift_prepaints = std::max(shift_prepaints, w.counters.item_prepaints);
    shift_dispinfos = std::max(shift_dispinfos, w.counters.dispinfos);
    shift_paints = std::max(shift_paints, w.counters.list_paints);
    const int during = w.counters.item_prepaints;
    PumpFor(50);
    after_prepaints = std::max(after_prepaints, w.counters.item_prepaints - during);
    if (w.catalogue().Selection.size() != rows ||
        SendMessageW(w.list(), LVM_GETSELECTEDCOUNT, 0, 0) != static_cast<LRESULT>(rows))
      Fail("the Shift-click did not select every row");
    // The selection line over every row, alone.
    auto start = Clock::now();
    w.form().UpdateSelectionStatus();
    status_ms.push_back(MsSince(start));
    // A plain click on a row of the full selection.
    collapse_ms.push_back(w.Click(last - 1, false));
    if (w.catalogue().Selection.size() != 1 ||
        SendMessageW(w.list(), LVM_GETSELECTEDCOUNT, 0, 0) != 1)
      Fail("the plain click did not leave one row selected");
    // The selected size, up to " / " before the free space (which others may change).
    auto selected_part = [&] {
      const std::string& text = w.form().StatusText();
      return text.substr(0, text.find(" / "));
    };
    const std::string shown = selected_part();
    w.form().UpdateSelectionStatus();
    if (selected_part() != shown) ++stale_status;
  }

  // Pieces of the steps above, each called directly.
  std::vector<double> free_ms, status_one_ms, reload_ms;
  w.ShowRow(0);
  w.Click(0, false);
  for (int r = 0; r < repeat; ++r) {
    auto start = Clock::now();
    FreeKbOfSaveFolder(w.form().SaveFolderText());
    free_ms.push_back(MsSince(start));
    start = Clock::now();
    w.form().UpdateSelectionStatus();
    status_one_ms.push_back(MsSince(start));
    start = Clock::now();
    w.form().CatalogueChanged();
    UpdateWindow(w.list());
    reload_ms.push_back(MsSince(start));
  }

  char note[160];
  std::printf("%zu rows, medians of %d repetitions (%d of the start); %d rows per page\n\n", rows,
              repeat, start_repeat, page);
  std::printf("| %-34s | %9s | %-28s | %9s | %8s |\n", "step", "ms", "baseline", "base ms",
              "ratio");
  std::printf("|%s|%s|%s|%s|%s|\n", std::string(36, '-').c_str(), std::string(11, '-').c_str(),
              std::string(30, '-').c_str(), std::string(11, '-').c_str(),
              std::string(10, '-').c_str());
  std::snprintf(note, sizeof note, "load started by the activation in %.0f of %d",
                std::count(trigger_activation.begin(), trigger_activation.end(), 1.0) * 1.0,
                start_repeat);
  Line("start to first painted grid", start_ms, "bare LoadCatalogue", bare_ms, note);
  Line("start to first painted grid", start_ms, "LoadCatalogue, pumping", bare_pump_ms);
  for (std::size_t t = 0; t < std::size(titles); ++t) {
    const double m = Median(title_results[t].click);
    std::snprintf(note, sizeof note, "goal < 100 ms: %s (%d of %d over)",
                  m < 100 ? "met" : "NOT met", title_results[t].over_goal, repeat);
    Line(titles[t].name, title_results[t].click, "SortCatalogue, same rows", title_results[t].sort,
         note);
  }
  std::snprintf(note, sizeof note, "%d rows drawn (a whole repaint draws %d)", page_prepaints,
                repaint_prepaints);
  Line("Page Down to repaint", page_ms, "repaint of the list view", repaint_ms, note);
  Line("plain click, last row", plain_ms, "repaint of the list view", repaint_ms);
  std::snprintf(note, sizeof note, "selection line left stale in %d of %d", stale_status, repeat);
  Line("plain click, all rows selected", collapse_ms, "plain click, last row", plain_ms, note);
  std::snprintf(note, sizeof note,
                "%d rows drawn, %d texts asked, %d WM_PAINT; %d rows drawn in the next 50 ms",
                shift_prepaints, shift_dispinfos, shift_paints, after_prepaints);
  Line("Shift-click, first to last row", shift_ms, "repaint of the list view", repaint_ms, note);
  Line("Shift-click, first to last row", shift_ms, "plain click, last row", plain_ms);
  Line("selection line over all rows", status_ms, "Shift-click", shift_ms);
  Line("selection line, one row", status_one_ms, "plain click, last row", plain_ms);
  Line("free space of the save folder", free_ms, "plain click, last row", plain_ms);
  Line("grid reload and repaint", reload_ms, "repaint of the list view", repaint_ms);
  std::printf(
      "\nrow-by-row check: a Shift-click over %zu rows drew %d rows in %d paints (%.2f pages)\n",
      rows, shift_prepaints, shift_paints, page > 0 ? shift_prepaints / double(page) : 0.0);
  return 0;
}

// Committed private memory of the process (heaps, stacks, private mappings): the private bytes,
// added up region by region, since Wine leaves PrivateUsage of GetProcessMemoryInfo at 0.
std::uint64_t CommittedPrivateBytes() {
  std::uint64_t total = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (const char* address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;
       address = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
  }
  return total;
}

// Memory once the catalogue is loaded: bare, or in the window with its grid painted.
int RunMemory(const std::string& host, bool with_window) {
  std::size_t rows = 0;
  BareLoad(host, false, &rows);
  std::unique_ptr<BenchWindow> window;
  Catalogue catalogue;
  if (with_window) {
    window = std::make_unique<BenchWindow>(host);
    window->StartAndWaitForRows(rows);
    PumpFor(200);
  } else {
    BareWindow port(false);
    catalogue.PathReelKeeper = host;
    LoadCatalogue(catalogue, port);
  }
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    Fail("GetProcessMemoryInfo failed");
  std::printf("rows=%zu private_kb=%llu working_set_kb=%llu pagefile_kb=%llu\n", rows,
              static_cast<unsigned long long>(CommittedPrivateBytes() / 1024),
              static_cast<unsigned long long>(counters.WorkingSetSize / 1024),
              static_cast<unsigned long long>(counters.PagefileUsage / 1024));
  return 0;
}

// Writes the host once; a marker file tells a complete host of that size.
void Generate(const std::string& host, int capsules) {
  const std::string marker = host + "capsules.txt";
  if (platform::FileExists(marker)) return;
  samplegen::RandomOptions options;
  options.media = {host[0]};
  options.scale = samplegen::SizeScale::kTiny;
  samplegen::WriteHost(host, samplegen::RandomHost(1, capsules, options));
  const std::string count = std::to_string(capsules);
  platform::File file = platform::File::Create(marker, platform::ShareMode::kRead);
  file.Write(count.data(), count.size());
  file.Close();
}

[[noreturn]] void Usage() {
  std::fputs(
      "usage: window_bench --host FOLDER [--generate N] [--repeat N] [--start-repeat N]\n"
      "                    [--memory bare|window]\n"
      "  --host      the host folder in Windows form with a trailing backslash\n"
      "  --generate  first write a generated host of N capsules there (once)\n"
      "  --repeat    repetitions of each step (default 7); medians are printed\n"
      "  --start-repeat  repetitions of the start to the first painted grid (default 3)\n"
      "  --memory    only load (bare, or in the window) and print the process's memory\n",
      stderr);
  std::exit(2);
}

}  // namespace
}  // namespace capsdub

int main(int argc, char** argv) {
  using namespace capsdub;
  std::string host;
  int generate = 0;
  int repeat = 7;
  int start_repeat = 3;
  std::optional<bool> memory_window;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) Usage();
    const std::string value = argv[++i];
    if (arg == "--host") {
      host = WithTrailingBackslash(value);
    } else if (arg == "--generate") {
      generate = std::atoi(value.c_str());
    } else if (arg == "--repeat") {
      repeat = std::max(1, std::atoi(value.c_str()));
    } else if (arg == "--start-repeat") {
      start_repeat = std::max(1, std::atoi(value.c_str()));
    } else if (arg == "--memory" && (value == "bare" || value == "window")) {
      memory_window = value == "window";
    } else {
      Usage();
    }
  }
  if (host.empty()) Usage();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  try {
    if (generate > 0) Generate(host, generate);
    return memory_window ? RunMemory(host, *memory_window) : RunTimings(host, repeat, start_repeat);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "window_bench: %s\n", e.what());
    return 1;
  }
}
