// Times CapsDub's main window (TForm1 with its MainController) in-process on a generated host,
// driven by real window messages, each against a baseline measured in the same process, and
// prints the single inputs in a form run_window_bench.sh compares across host sizes; or, with
// --memory, reports the process's memory once a catalogue is loaded, with or without the
// window.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
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

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

using Nanos = long long;
Nanos NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

// What the window and its list view did, counted by subclasses of both that change nothing.
struct Counters {
  HWND list = nullptr;
  int item_prepaints = 0;  // NM_CUSTOMDRAW CDDS_ITEMPREPAINT of the list view
  int dispinfos = 0;       // LVN_GETDISPINFOW of the list view
  int list_paints = 0;     // WM_PAINT of the list view
  int clicks = 0;          // WM_LBUTTONUP of the list view, counted once the grid handled it
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
std::atomic<Nanos> g_stop_posted{0};     // when a Stop was posted to the window
std::atomic<Nanos> g_stop_wait{-1};      // how long it waited for its dispatch
bool g_release_shift_after_key = false;  // Shift let go once the list view handled a key
Nanos g_last_click_done = 0;             // when the list view last handled a WM_LBUTTONUP
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
  if (message == WM_COMMAND && LOWORD(w) == ui::kActionSTOP && g_stop_posted.load() != 0) {
    g_stop_wait = NowNs() - g_stop_posted.load();
    g_stop_posted = 0;
  }
  const UINT code = from_list ? header->code : 0;
  const LRESULT result = CallWindowProcW(g_form_procedure, hwnd, message, w, l);
  if (code == LVN_COLUMNCLICK) ++counters->column_clicks;
  return result;
}

LRESULT CALLBACK ListSpy(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Counters* counters = g_counters;
  if (message == WM_PAINT) ++counters->list_paints;
  const LRESULT result = CallWindowProcW(g_list_procedure, hwnd, message, w, l);
  if (message == WM_KEYDOWN) {
    ++counters->keys;
    if (g_release_shift_after_key) SetShift(false);
  }
  if (message == WM_LBUTTONUP) {
    ++counters->clicks;
    g_last_click_done = NowNs();
  }
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
  // has drawn rows (as many as a bare load found, when given, else its catalogue's);
  // UpdateWindow of the list view is the last step.
  void StartAndWaitForRows(std::optional<std::size_t> expected_rows) {
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
             SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0) ==
                 static_cast<LRESULT>(expected_rows.value_or(rows()));
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
double Line(const char* what, const std::vector<double>& ms, const char* baseline,
            const std::vector<double>& base_ms, const std::string& note = {}) {
  const double m = Median(ms);
  const double b = Median(base_ms);
  const double ratio = b > 0 ? m / b : 0.0;
  std::printf("| %-36s | %9.2f | %-32s | %9.3f | %8.2f | %s\n", what, m, baseline, b, ratio,
              note.c_str());
  return ratio;
}

// The goals met or not, printed at the end for run_window_bench.sh's summary.
struct GoalResult {
  std::string name;
  double ratio;
  double limit;
};
std::vector<GoalResult> g_goals;

// Records a goal; "goal <= limit: met" or "NOT met", for a note.
std::string Goal(const std::string& name, double ratio, double limit) {
  g_goals.push_back({name, ratio, limit});
  char text[48];
  std::snprintf(text, sizeof text, "goal <= %.1f: %s", limit, ratio <= limit ? "met" : "NOT met");
  return text;
}

// Input from another thread while a step runs: a message posted every 2 ms to a window of the
// bench, each timed from its posting to its dispatch, and one Stop (WM_COMMAND of 停止) posted
// to the main window 1 ms into the step. The longest waits tell how soon the window takes a
// user's input during the step.
constexpr UINT kProbeMessage = WM_APP + 40;
std::atomic<Nanos> g_probe_posted[4096];
std::atomic<Nanos> g_probe_longest{0};

LRESULT CALLBACK ProbeProcedure(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == kProbeMessage) {
    const Nanos wait = NowNs() - g_probe_posted[w % std::size(g_probe_posted)].load();
    if (wait > g_probe_longest.load()) g_probe_longest = wait;
    return 0;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

struct ProbeResult {
  double longest_wait_ms = 0;  // of the messages posted every 2 ms
  double stop_wait_ms = -1;    // of the Stop; -1 when it was not dispatched during the step
  int posted = 0;
};

template <typename Step>
ProbeResult ProbeDuring(HWND form, Step step) {
  static HWND probe_window = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ProbeProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WindowBenchProbe";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
  }();
  g_probe_longest = 0;
  g_stop_wait = -1;
  std::atomic<bool> running{true};
  std::atomic<int> posted{0};
  std::thread poster([&] {
    Sleep(1);
    g_stop_posted = NowNs();
    PostMessageW(form, WM_COMMAND, ui::kActionSTOP, 0);
    for (WPARAM n = 0; running; ++n) {
      g_probe_posted[n % std::size(g_probe_posted)] = NowNs();
      PostMessageW(probe_window, kProbeMessage, n, 0);
      ++posted;
      Sleep(2);
    }
  });
  step();
  running = false;
  poster.join();
  ProbeResult result;
  result.longest_wait_ms = static_cast<double>(g_probe_longest.load()) / 1e6;
  result.stop_wait_ms = g_stop_wait.load() < 0 ? -1 : static_cast<double>(g_stop_wait.load()) / 1e6;
  result.posted = posted;
  win32::PumpPendingMessages();
  return result;
}

// The selected size of the selection line, up to " / " before the free space (which others
// may change meanwhile).
std::string SelectedPart(ui::TForm1& form) {
  const std::string& text = form.StatusText();
  return text.substr(0, text.find(" / "));
}

int RunTimings(const std::string& host, int repeat, int load_repeat) {
  // Page cache, directory caches and the collation tables warm for every side alike. The bare
  // loads run before the window exists: a window whose messages wait meanwhile slows Wine's
  // file calls down.
  std::size_t rows = 0;
  BareLoad(host, false, &rows);
  if (rows == 0) Fail("the host has no capsules");
  std::vector<double> bare_ms, bare_pump_ms;
  for (int r = 0; r < load_repeat; ++r) {
    bare_ms.push_back(BareLoad(host, false));
    bare_pump_ms.push_back(BareLoad(host, true));
  }

  BenchWindow w(host);
  const auto start = Clock::now();
  w.StartAndWaitForRows(rows);
  const std::vector<double> start_ms{MsSince(start)};
  const bool started_by_activation = w.counters.load_trigger == kActivateMessage;
  const int page = static_cast<int>(SendMessageW(w.list(), LVM_GETCOUNTPERPAGE, 0, 0));
  const int last = static_cast<int>(rows) - 1;

  // Repaints of the whole list view: the floor of every repainting step below.
  std::vector<double> repaint_ms;
  int repaint_prepaints = 0;
  for (int r = 0; r < repeat; ++r) {
    w.counters.ResetDrawing();
    repaint_ms.push_back(w.Repaint());
    repaint_prepaints = w.counters.item_prepaints;
  }

  // Single inputs, each from the same state at every size: a plain click on the last row, the
  // page keys, an arrow, Home, End and Escape.
  struct Input {
    Input(const char* k, const char* n) : key(k), name(n) {}
    const char* key;   // name in the comparison across sizes
    const char* name;  // in the table
    std::vector<double> ms;
    int prepaints = 0;
  };
  std::vector<Input> inputs = {{"plain_click", "plain click, last row"},
                               {"page_down", "Page Down"},
                               {"page_up", "Page Up"},
                               {"down_arrow", "Down arrow"},
                               {"home", "Home, from the last row"},
                               {"end", "End, from the first row"},
                               {"escape", "Escape, one row selected"}};
  // Each is cheap: five times the repetitions, so that the comparison across sizes stands on
  // steady medians.
  auto timed = [&](Input& input, auto&& prepare, auto&& act) {
    for (int r = 0; r < 5 * repeat; ++r) {
      prepare();
      w.counters.ResetDrawing();
      input.ms.push_back(act());
      input.prepaints = std::max(input.prepaints, w.counters.item_prepaints);
    }
  };
  auto at_first = [&] {
    w.ShowRow(0);
    w.Click(0, false);
  };
  auto at_last = [&] {
    w.ShowRow(last);
    w.Click(last, false);
  };
  timed(inputs[0], at_first, [&] {
    w.ShowRow(last);
    return w.Click(last, false);
  });
  timed(inputs[1], at_first, [&] { return w.Key(VK_NEXT); });
  timed(inputs[2], at_last, [&] { return w.Key(VK_PRIOR); });
  timed(inputs[3], at_first, [&] { return w.Key(VK_DOWN); });
  timed(inputs[4], at_last, [&] { return w.Key(VK_HOME); });
  timed(inputs[5], at_first, [&] { return w.Key(VK_END); });
  timed(inputs[6], at_first, [&] { return w.Key(VK_ESCAPE); });
  if (!w.catalogue().Selection.empty()) Fail("Escape left rows selected");
  const std::vector<double>& plain_ms = inputs[0].ms;

  // Over every row: a Shift-click from the first to the last row and Shift+End from the first
  // row, against a plain click; rows drawn meanwhile are counted. Then a plain click with every
  // row selected, which must leave one row selected and the selection line saying so.
  std::vector<double> shift_ms, shift_end_ms, status_ms, collapse_ms;
  int shift_prepaints = 0, shift_paints = 0, stale_status = 0, yields = 0;
  for (int r = 0; r < repeat; ++r) {
    at_first();
    w.ShowRow(last);
    w.counters.ResetDrawing();
    shift_ms.push_back(w.Click(last, true));
    shift_prepaints = std::max(shift_prepaints, w.counters.item_prepaints);
    shift_paints = std::max(shift_paints, w.counters.list_paints);
    if (w.catalogue().Selection.size() != rows) Fail("the Shift-click did not select every row");
    // The selection line over every row, alone, and how often it gave the loop its turn.
    auto begin = Clock::now();
    w.form().UpdateSelectionStatus();
    status_ms.push_back(MsSince(begin));
    yields = ComputeSelectionStatus(w.catalogue(), w.form().SaveFolderText(), w.form()).yields;
    // A plain click on a row of the full selection.
    collapse_ms.push_back(w.Click(last - 1, false));
    if (w.catalogue().Selection.size() != 1) Fail("the plain click did not leave one row");
    const std::string shown = SelectedPart(w.form());
    w.form().UpdateSelectionStatus();
    if (SelectedPart(w.form()) != shown) ++stale_status;
    at_first();
    SetShift(true);
    shift_end_ms.push_back(w.Key(VK_END));
    SetShift(false);
    if (w.catalogue().Selection.size() != rows) Fail("Shift+End did not select every row");
  }

  // Input while a Shift-click over every row is handled: messages posted from another thread
  // every 2 ms and a Stop, each timed to its dispatch.
  at_first();
  w.ShowRow(last);
  const ProbeResult probe = ProbeDuring(w.form().hwnd(), [&] { w.Click(last, true); });
  // A plain click posted 1 ms after Shift+End from the first row: it is handled once the range
  // is, and the selection line then counts the one row it left.
  at_first();
  const POINT click_at = w.RowPoint(0);
  SetShift(true);
  g_release_shift_after_key = true;
  const int clicks_before = w.counters.clicks;
  Nanos click_posted = 0;
  std::thread clicker([&] {
    Sleep(1);
    click_posted = NowNs();
    PostMessageW(w.list(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click_at.x, click_at.y));
    PostMessageW(w.list(), WM_LBUTTONUP, 0, MAKELPARAM(click_at.x, click_at.y));
  });
  PostMessageW(w.list(), WM_KEYDOWN, VK_END, 0);
  clicker.join();
  if (!PumpUntil([&] { return w.counters.clicks > clicks_before; }))
    Fail("the click after Shift+End was not handled");
  const double click_wait_ms = static_cast<double>(g_last_click_done - click_posted) / 1e6;
  g_release_shift_after_key = false;
  SetShift(false);
  const bool click_won = w.catalogue().Selection.size() == 1;
  const std::string click_line = SelectedPart(w.form());
  w.form().UpdateSelectionStatus();
  const bool click_line_true = SelectedPart(w.form()) == click_line;

  // Title clicks against SortCatalogue of a copy of the same rows in the same state.
  struct TitleCase {
    int column;
    const char* name;
    const char* key;
  };
  const TitleCase titles[] = {{1, "title click: Title (text)", "title_Title"},
                              {2, "title click: FileSize", "title_FileSize"},
                              {3, "title click: FileDateTime", "title_FileDateTime"},
                              {4, "title click: Channel (text)", "title_Channel"}};
  // A click's time less its sort's is what the click adds to the sort, compared across sizes.
  struct TitleResult {
    std::vector<double> click, sort, besides_sort;
  };
  std::vector<TitleResult> title_results(std::size(titles));
  for (int r = 0; r < repeat; ++r) {
    for (std::size_t t = 0; t < std::size(titles); ++t) {
      const std::string field = ui::CatalogueGrid::FieldNames()[titles[t].column];
      Catalogue copy = w.catalogue();
      const auto begin = Clock::now();
      SortCatalogue(copy, field);
      title_results[t].sort.push_back(MsSince(begin));
      title_results[t].click.push_back(w.ClickTitle(titles[t].column));
      title_results[t].besides_sort.push_back(title_results[t].click.back() -
                                              title_results[t].sort.back());
      const auto& mine = w.catalogue().Table1.rows();
      const auto& theirs = copy.Table1.rows();
      bool same = w.catalogue().SortField == field && w.catalogue().SortMarker == copy.SortMarker &&
                  mine.size() == theirs.size();
      for (std::size_t i = 0; same && i < mine.size(); ++i) same = mine[i].id == theirs[i].id;
      if (!same) Fail("the title click did not sort as SortCatalogue does");
    }
  }

  // The grid's reload and repaint alone, and 表示更新 (the catalogue's reload, the sort, the
  // grid's reload) to the repainted grid, against the catalogue's own reload plus a repaint.
  std::vector<double> free_ms, status_one_ms, reload_ms, refresh_ms;
  at_first();
  for (int r = 0; r < repeat; ++r) {
    auto begin = Clock::now();
    FreeKbOfSaveFolder(w.form().SaveFolderText());
    free_ms.push_back(MsSince(begin));
    begin = Clock::now();
    w.form().UpdateSelectionStatus();
    status_one_ms.push_back(MsSince(begin));
    begin = Clock::now();
    w.form().CatalogueChanged();
    UpdateWindow(w.list());
    reload_ms.push_back(MsSince(begin));
  }
  for (int r = 0; r < load_repeat; ++r) {
    const auto begin = Clock::now();
    SendMessageW(w.form().hwnd(), WM_COMMAND, ui::kActionRefresh, 0);
    UpdateWindow(w.list());
    refresh_ms.push_back(MsSince(begin));
    if (w.catalogue().Table1.size() != rows) Fail("表示更新 did not load every row");
  }
  const double repaint = Median(repaint_ms);
  std::vector<double> bare_repaint_ms, bare_pump_repaint_ms;
  for (double ms : bare_ms) bare_repaint_ms.push_back(ms + repaint);
  for (double ms : bare_pump_ms) bare_pump_repaint_ms.push_back(ms + repaint);

  char note[200];
  std::printf("%zu rows, medians of %d repetitions (%d of each load); %d rows per page\n\n", rows,
              repeat, load_repeat, page);
  std::printf("| %-36s | %9s | %-32s | %9s | %8s |\n", "step", "ms", "baseline", "base ms",
              "ratio");
  std::printf("|%s|%s|%s|%s|%s|\n", std::string(38, '-').c_str(), std::string(11, '-').c_str(),
              std::string(34, '-').c_str(), std::string(11, '-').c_str(),
              std::string(10, '-').c_str());
  std::snprintf(note, sizeof note, "load started by the %s",
                started_by_activation ? "activation" : "timer");
  Line("start to first painted grid", start_ms, "bare LoadCatalogue", bare_ms, note);
  Line("start to first painted grid", start_ms, "LoadCatalogue, pumping", bare_pump_ms);
  for (const Input& input : inputs) {
    std::snprintf(note, sizeof note, "%d rows drawn (a whole repaint draws %d)", input.prepaints,
                  repaint_prepaints);
    Line(input.name, input.ms, "repaint of the list view", repaint_ms, note);
  }
  std::snprintf(note, sizeof note, "%s; selection line left stale in %d of %d",
                Goal("plain click with every row selected / plain click",
                     Median(collapse_ms) / Median(plain_ms), 1.5)
                    .c_str(),
                stale_status, repeat);
  Line("plain click, all rows selected", collapse_ms, "plain click, last row", plain_ms, note);
  double ratio = Median(shift_ms) / Median(plain_ms);
  std::snprintf(note, sizeof note, "%s; %d rows drawn in %d WM_PAINT",
                Goal("Shift-click over every row / plain click", ratio, 2).c_str(), shift_prepaints,
                shift_paints);
  Line("Shift-click, first to last row", shift_ms, "plain click, last row", plain_ms, note);
  ratio = Median(shift_end_ms) / Median(plain_ms);
  Line("Shift+End, first to last row", shift_end_ms, "plain click, last row", plain_ms,
       Goal("Shift+End over every row / plain click", ratio, 2));
  std::snprintf(note, sizeof note, "%d turns given to the message loop over %zu rows", yields,
                rows);
  Line("selection line over all rows", status_ms, "plain click, last row", plain_ms, note);
  Line("selection line, one row", status_one_ms, "plain click, last row", plain_ms);
  Line("free space of the save folder", free_ms, "plain click, last row", plain_ms);
  for (std::size_t t = 0; t < std::size(titles); ++t) {
    const double click = Median(title_results[t].click);
    const double sort = Median(title_results[t].sort);
    // A title click sorts and repaints at the least: (sort + repaint) / sort is the ratio it
    // cannot go below on this machine.
    std::snprintf(note, sizeof note, "%s; besides the sort and one repaint: %.1f ms; at best %.2f",
                  Goal(std::string(titles[t].name) + " / SortCatalogue", click / sort, 2).c_str(),
                  click - sort - repaint, (sort + repaint) / sort);
    Line(titles[t].name, title_results[t].click, "SortCatalogue, same rows", title_results[t].sort,
         note);
  }
  // The grid's share of 表示更新, which the goal below covers as a whole.
  Line("grid reload and repaint", reload_ms, "repaint of the list view", repaint_ms);
  ratio = Median(refresh_ms) / Median(bare_repaint_ms);
  Line("refresh (表示更新) to the painted grid", refresh_ms, "bare LoadCatalogue + repaint",
       bare_repaint_ms,
       Goal("refresh to the painted grid / (bare LoadCatalogue + repaint)", ratio, 1.5));
  Line("refresh (表示更新) to the painted grid", refresh_ms, "LoadCatalogue, pumping + repaint",
       bare_pump_repaint_ms);

  // A Stop not dispatched during the step counts as never taken.
  const double input_wait =
      std::max(probe.longest_wait_ms, probe.stop_wait_ms < 0 ? 1e9 : probe.stop_wait_ms);
  std::printf(
      "\ninput during a Shift-click over all %zu rows: the longest of %d messages posted "
      "every 2 ms waited %.1f ms, a Stop %.1f ms (wait / 100 ms: %s)\n",
      rows, probe.posted, probe.longest_wait_ms, probe.stop_wait_ms,
      Goal("input and Stop during a Shift-click over every row: wait / 100 ms", input_wait / 100, 1)
          .c_str());
  std::printf(
      "a plain click posted 1 ms after Shift+End over all rows waited %.1f ms (wait / 100 ms: "
      "%s); it %s, and the selection line %s\n",
      click_wait_ms,
      Goal("a click during Shift+End over every row: wait / 100 ms", click_wait_ms / 100, 1)
          .c_str(),
      click_won ? "left its one row selected" : "did NOT leave one row selected",
      click_line_true ? "counts that row" : "is STALE");
  // For run_window_bench.sh: the single inputs, which it compares across host sizes, the turns
  // of the selection line and the goals.
  for (const Input& input : inputs) std::printf("#input %s %.3f\n", input.key, Median(input.ms));
  for (std::size_t t = 0; t < std::size(titles); ++t)
    std::printf("#input %s %.3f\n", titles[t].key, Median(title_results[t].besides_sort));
  std::printf("#yields %d %zu\n", yields, rows);
  for (const GoalResult& goal : g_goals)
    std::printf("#goal %.3f %.2f %s\n", goal.ratio, goal.limit, goal.name.c_str());
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

// Bytes of the blocks allocated in the process's heaps (the C runtime's among them): what the
// program holds, whereas committed memory grows in steps of whole pages and regions, which a
// large catalogue's last heap region can take one more or one fewer of.
std::uint64_t HeapBytesInUse() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  std::uint64_t total = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    }
    HeapUnlock(heap);
  }
  return total;
}

// Memory once the catalogue is loaded: bare, or in the window with its grid painted.
int RunMemory(const std::string& host, bool with_window) {
  std::size_t rows = 0;
  std::unique_ptr<BenchWindow> window;
  Catalogue catalogue;
  if (with_window) {
    // The window's own load only: each side of the comparison has loaded the host once.
    window = std::make_unique<BenchWindow>(host);
    window->StartAndWaitForRows(std::nullopt);
    PumpFor(200);
    rows = window->rows();
  } else {
    // Loaded and sorted as the window's first load leaves it: the sort's passing allocations
    // are the catalogue's, not the window's.
    BareWindow port(false);
    catalogue.PathReelKeeper = host;
    DefaultSortState().Load(catalogue);
    LoadCatalogue(catalogue, port);
    SortCatalogue(catalogue, std::nullopt);
    rows = catalogue.Table1.size();
  }
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    Fail("GetProcessMemoryInfo failed");
  std::printf("rows=%zu heap_bytes=%llu private_kb=%llu working_set_kb=%llu pagefile_kb=%llu\n",
              rows, static_cast<unsigned long long>(HeapBytesInUse()),
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
      "usage: window_bench --host FOLDER [--generate N] [--repeat N] [--load-repeat N]\n"
      "                    [--memory bare|window]\n"
      "  --host      the host folder in Windows form with a trailing backslash\n"
      "  --generate  first write a generated host of N capsules there (once)\n"
      "  --repeat    repetitions of each step (default 3); medians are printed\n"
      "  --load-repeat  repetitions of each whole load: the bare loads and 表示更新\n"
      "              (default as --repeat)\n"
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
  int repeat = 3;
  int load_repeat = 0;
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
    } else if (arg == "--load-repeat") {
      load_repeat = std::max(1, std::atoi(value.c_str()));
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
    return memory_window ? RunMemory(host, *memory_window)
                         : RunTimings(host, repeat, load_repeat > 0 ? load_repeat : repeat);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "window_bench: %s\n", e.what());
    return 1;
  }
}
