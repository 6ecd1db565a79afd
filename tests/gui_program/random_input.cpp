// The random-input tester of CapsDub's window. It starts a copy of CapsDub.exe on a generated
// sample host with a save folder set, and feeds it a seeded stream of user input through the
// system's input queue: plain, Shift and Ctrl clicks on the grid, drags, title clicks, title
// drags with the right button, the wheel, the grid's keys with and without Shift, 表示更新,
// About and its OK, ダビング with 一時停止, 再開 and 停止 at random moments. Boxes that would
// wait for a person are answered (none is expected here, so each one is a failure). After every
// burst of input it checks that the program lives and answers a message within 2 s, that no
// crash handler started, that the grid lists every capsule once, that a selection line adds up the
// selected rows against the free space, that ダビング is enabled exactly for a selection above
// 0 KB, that the controls are either all in the idle state or all in the state of a job that
// ダビング started, and that a job ends. A failure prints the seed and the event number; the
// same seed replays the same stream of input.
//
//   gui_random_input [--seed N] [--events N] [--rows N] [--from N] [--verbose]
//
// --from N draws the events before event N without sending them: a failure late in a long run
// is approached in seconds, from a window in another state than the long run's.
//
// The program reads the other process's list view, toolbar and status bar through memory it
// allocates there, so it must have CapsDub.exe's bitness (both come from the same build).
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/scan.h"
#include "platform/codepage.h"
#include "platform/locale.h"
#include "tests/gui_program/program.h"
#include "tools/samplegen/random.h"
#include "tools/samplegen/sample_host.h"
#include "ui/grid/selection_status.h"
#include "ui/main_window.h"
#include "ui/message_box.h"

namespace capsdub::program_test {
namespace {

constexpr DWORD kAnswerLimitMs = 2000;  // the program must answer a message this soon
constexpr DWORD kEventGapMs = 20;       // between two events of a burst
constexpr int kLongestBurst = 8;        // events between two checks, at most
constexpr auto kLongestJob = std::chrono::seconds(120);  // a job running unpaused this long hangs
constexpr auto kLongestLoad = std::chrono::seconds(30);  // a load this long hangs
constexpr std::size_t kOutputFilesKept = 60;             // the save folder is emptied beyond this
// The copy's name (its settings file and its Wine settings are named after it).
constexpr wchar_t kProgramName[] = L"CapsDubRandomInput";
constexpr wchar_t kWineAppSettings[] = L"Software\\Wine\\AppDefaults\\CapsDubRandomInput.exe";
constexpr wchar_t kWineSettings[] =
    L"Software\\Wine\\AppDefaults\\CapsDubRandomInput.exe\\X11 Driver";

struct Options {
  std::uint64_t seed = 1;
  long events = 300;
  int rows = 60;
  long from = 1;  // the first event sent
  bool verbose = false;
};

// The sample data's stream with the draws the tester needs: the same input from the same
// seed on every build.
class Random : public samplegen::Random {
 public:
  using samplegen::Random::Random;
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  double Fraction() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

enum class Kind {
  kRowClick,
  kDrag,
  kTitleClick,
  kTitleRightDrag,
  kWheel,
  kKey,
  kRefresh,
  kAbout,
  kAboutOk,
  kDub,
  kPause,
  kStop,
  kWait,
};

// One piece of user input, drawn from the random stream alone (positions as fractions of the
// area they fall in), so that a seed always gives the same stream.
struct Event {
  Kind kind = Kind::kWait;
  int modifier = 0;  // 0 none, VK_SHIFT or VK_CONTROL
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int vk = 0;
  int amount = 0;  // wheel notches, drag steps, wait milliseconds
};

Event NextEvent(Random& random) {
  static const std::pair<Kind, int> kWeights[] = {
      {Kind::kRowClick, 22}, {Kind::kDrag, 6}, {Kind::kTitleClick, 4}, {Kind::kTitleRightDrag, 3},
      {Kind::kWheel, 6},     {Kind::kKey, 22}, {Kind::kRefresh, 3},    {Kind::kAbout, 2},
      {Kind::kAboutOk, 2},   {Kind::kDub, 4},  {Kind::kPause, 4},      {Kind::kStop, 2},
      {Kind::kWait, 4},
  };
  int total = 0;
  for (const auto& [kind, weight] : kWeights) total += weight;
  int pick = random.Below(total);
  Event e;
  for (const auto& [kind, weight] : kWeights) {
    if (pick < weight) {
      e.kind = kind;
      break;
    }
    pick -= weight;
  }
  static const int kModifiers[] = {0, 0, VK_SHIFT, VK_CONTROL};
  static const int kKeys[] = {VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END, VK_ESCAPE};
  e.modifier = kModifiers[random.Below(4)];
  e.x1 = random.Fraction();
  e.y1 = random.Fraction();
  e.x2 = random.Fraction();
  e.y2 = random.Fraction();
  e.vk = kKeys[random.Below(7)];
  e.amount = random.Below(6) + 1;
  if (e.kind == Kind::kKey && e.modifier == VK_CONTROL) e.modifier = 0;
  return e;
}

int WheelNotches(const Event& e) {
  return (e.y2 < 0.5 ? -1 : 1) * (e.amount % 3 + 1);
}

std::string Describe(const Event& e) {
  static const std::map<int, const char*> kKeyNames = {
      {VK_UP, "Up"},     {VK_DOWN, "Down"}, {VK_PRIOR, "Page Up"}, {VK_NEXT, "Page Down"},
      {VK_HOME, "Home"}, {VK_END, "End"},   {VK_ESCAPE, "Escape"}};
  const std::string modifier = e.modifier == VK_SHIFT     ? "Shift+"
                               : e.modifier == VK_CONTROL ? "Ctrl+"
                                                          : "";
  char at[64];
  switch (e.kind) {
    case Kind::kRowClick:
      std::snprintf(at, sizeof at, " at (%.2f, %.2f)", e.x1, e.y1);
      return modifier + "click in the rows" + at;
    case Kind::kDrag:
    case Kind::kTitleRightDrag:
      std::snprintf(at, sizeof at, " from %.2f to %.2f", e.kind == Kind::kDrag ? e.y1 : e.x1,
                    e.kind == Kind::kDrag ? e.y2 : e.x2);
      return (e.kind == Kind::kDrag ? "drag in the rows" : "right-button title drag") +
             std::string(at);
    case Kind::kTitleClick:
      std::snprintf(at, sizeof at, " at %.2f", e.x1);
      return std::string("title click") + at;
    case Kind::kWheel:
      return "wheel " + std::to_string(WheelNotches(e));
    case Kind::kKey:
      return "key " + modifier + kKeyNames.at(e.vk);
    case Kind::kRefresh:
      return "表示更新";
    case Kind::kAbout:
      return "About...";
    case Kind::kAboutOk:
      return "OK of the About box";
    case Kind::kDub:
      return "ダビング";
    case Kind::kPause:
      return "一時停止 / 再開";
    case Kind::kStop:
      return "停止";
    case Kind::kWait:
      return "wait " + std::to_string(e.amount * 100) + " ms";
  }
  return {};
}

// Memory in the program's process, for the messages whose answer is written through a pointer.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, SIZE_T size)
      : process_(process),
        base_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBuffer() {
    if (base_ != nullptr) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* at(std::size_t offset) const { return static_cast<char*>(base_) + offset; }
  bool Write(std::size_t offset, const void* data, std::size_t size) const {
    return WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }
  bool Read(std::size_t offset, void* data, std::size_t size) const {
    return ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_;
  void* base_;
};

// What the tester sees of the window at one moment.
struct Snapshot {
  int rows = -1;
  std::vector<int> selected;  // display indices
  std::wstring status;
  std::wstring pause_caption;
  std::map<int, bool> enabled;  // actions and controls by identifier
  bool operator==(const Snapshot&) const = default;
};

// The actions and controls the window's table of enabled states covers, with their state when
// no job runs and while one runs (1 enabled, 0 disabled). When idle, ダビング is enabled
// exactly for a selection above 0 KB; 削除する stays disabled, as this copy has no KAP.dll.
struct Control {
  int id;
  bool action;  // a toolbar button
  const char* name;
  int idle;
  int job;
};
constexpr int kBySelection = -1;
constexpr Control kControls[] = {
    {ui::kActionExport, true, "ダビング", kBySelection, 0},
    {ui::kActionPause, true, "一時停止", 0, 1},
    {ui::kActionSTOP, true, "停止", 0, 1},
    {ui::kActionExit, true, "終了", 1, 1},
    {ui::kActionAbout, true, "About", 1, 1},
    {ui::kActionRefresh, true, "表示更新", 1, 0},
    {ui::kActionHELP, true, "コマンド", 1, 1},
    {ui::kRxDBGrid1, false, "RxDBGrid1", 1, 0},
    {ui::kPathReelKeeper, false, "PathReelKeeper", 1, 0},
    {ui::kPathMPEGSave, false, "PathMPEGSave", 1, 0},
    {ui::kButtonFolder, false, "ButtonFolder", 1, 1},
    {ui::kButtonSaveFolder, false, "ButtonSaveFolder", 1, 1},
    {ui::kExportTo0, false, "ExportTo item 0", 1, 1},
    {ui::kExportTo1, false, "ExportTo item 1", 1, 1},
    {ui::kDBMemo1, false, "DBMemo1", 1, 1},
    {ui::kCheckDelete, false, "CheckDelete", 0, 0},
};

std::string Utf8(const std::wstring& wide) {
  return platform::SjisToUtf8(platform::WideToSjis(wide));
}

// The visible top-level windows of one process.
struct WindowSearch {
  DWORD process;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleWindow(HWND w, LPARAM l) {
  auto* search = reinterpret_cast<WindowSearch*>(l);
  DWORD process = 0;
  GetWindowThreadProcessId(w, &process);
  if (process == search->process && IsWindowVisible(w)) search->found.push_back(w);
  return TRUE;
}

// The program's window, read and driven from outside.
class Target {
 public:
  Target(const Program& program, HWND main)
      : program_(program),
        main_(main),
        list_(GetDlgItem(main, ui::kRxDBGrid1)),
        toolbar_(GetDlgItem(main, ui::kToolBar1)),
        status_(GetDlgItem(main, ui::kStatusBar1)),
        buffer_(program.handle(), 4096) {}

  HWND main() const { return main_; }
  int Rows() const { return static_cast<int>(Send(list_, LVM_GETITEMCOUNT)); }

  std::vector<int> Selected() const {
    std::vector<int> indices;
    for (int i = -1; (i = static_cast<int>(Send(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                LVNI_SELECTED))) >= 0;) {
      indices.push_back(i);
      if (indices.size() > 100000) break;
    }
    return indices;
  }

  std::wstring CellText(int item, int column) const {
    LVITEMW request{};
    request.iSubItem = column;
    request.cchTextMax = 256;
    request.pszText = reinterpret_cast<wchar_t*>(buffer_.at(sizeof request));
    if (!buffer_.Write(0, &request, sizeof request)) return {};
    const int length = static_cast<int>(Send(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                             reinterpret_cast<LPARAM>(buffer_.at(0))));
    std::wstring text(static_cast<std::size_t>(std::clamp(length, 0, 255)), L'\0');
    buffer_.Read(sizeof request, text.data(), text.size() * sizeof(wchar_t));
    return text;
  }

  // The status line: the owner-drawn panel's data is a pointer to the text the window draws.
  std::wstring StatusText() const {
    const auto* remote = reinterpret_cast<const wchar_t*>(Send(status_, SB_GETTEXTW, 0, 0));
    std::wstring text;
    wchar_t chunk[64];
    for (int i = 0; remote != nullptr && i < 16; ++i) {
      if (!ReadProcessMemory(program_.handle(), remote + text.size(), chunk, sizeof chunk, nullptr))
        break;
      const wchar_t* end = std::find(chunk, chunk + 64, L'\0');
      text.append(chunk, static_cast<std::size_t>(end - chunk));
      if (end != chunk + 64) break;
    }
    return text;
  }

  std::wstring PauseCaption() const {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.cchText = 64;
    info.pszText = reinterpret_cast<wchar_t*>(buffer_.at(sizeof info));
    if (!buffer_.Write(0, &info, sizeof info)) return {};
    Send(toolbar_, TB_GETBUTTONINFOW, ui::kActionPause, reinterpret_cast<LPARAM>(buffer_.at(0)));
    wchar_t text[64] = {};
    buffer_.Read(sizeof info, text, sizeof text - sizeof(wchar_t));
    return text;
  }

  bool ActionEnabled(int id) const {
    return (Send(toolbar_, TB_GETSTATE, static_cast<WPARAM>(id)) & TBSTATE_ENABLED) != 0;
  }

  Snapshot Take() const {
    Snapshot s;
    s.rows = Rows();
    s.selected = Selected();
    s.status = StatusText();
    s.pause_caption = PauseCaption();
    for (const Control& c : kControls)
      s.enabled[c.id] = c.action ? ActionEnabled(c.id) : IsWindowEnabled(GetDlgItem(main_, c.id));
    return s;
  }

  // Screen areas of the parts the input aims at.
  RECT RowsArea() const {
    RECT r = ScreenClient(list_);
    RECT header{};
    GetWindowRect(reinterpret_cast<HWND>(Send(list_, LVM_GETHEADER)), &header);
    r.top += header.bottom - header.top;
    return r;
  }
  RECT TitlesArea() const {
    RECT header{};
    GetWindowRect(reinterpret_cast<HWND>(Send(list_, LVM_GETHEADER)), &header);
    return header;
  }
  std::optional<POINT> ButtonCentre(int id) const {
    const int index = static_cast<int>(Send(toolbar_, TB_COMMANDTOINDEX, static_cast<WPARAM>(id)));
    if (index < 0 || !Send(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(buffer_.at(0))))
      return std::nullopt;
    RECT r{};
    buffer_.Read(0, &r, sizeof r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(toolbar_, &p);
    return p;
  }

  // Top-level windows of the program's process that pass `keep`.
  template <typename Keep>
  std::vector<HWND> OwnWindows(Keep&& keep) const {
    WindowSearch search{program_.id(), {}};
    EnumWindows(&CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    std::vector<HWND> kept;
    for (HWND w : search.found)
      if (keep(w)) kept.push_back(w);
    return kept;
  }

  static bool IsAboutBox(HWND w) {
    wchar_t caption[32] = {};
    GetWindowTextW(w, caption, 32);
    return std::wstring(caption) == L"バージョン情報";
  }
  std::vector<HWND> AboutBoxes() const { return OwnWindows(&IsAboutBox); }

  // Boxes that wait for a person: CapsDub's message boxes and any other dialog than About.
  std::vector<HWND> WaitingBoxes() const {
    return OwnWindows([this](HWND w) {
      if (w == main_) return false;
      wchar_t name[64] = {};
      GetClassNameW(w, name, 64);
      const std::wstring cls = name;
      return cls == ui::kMessageBoxClass || (cls == L"#32770" && !IsAboutBox(w));
    });
  }

  // Sends a message and returns its answer; 0 when the program does not answer in time.
  LRESULT Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, w, l, SMTO_ABORTIFHUNG, kAnswerLimitMs, &result);
    return static_cast<LRESULT>(result);
  }

 private:
  static RECT ScreenClient(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  const Program& program_;
  HWND main_;
  HWND list_;
  HWND toolbar_;
  HWND status_;
  RemoteBuffer buffer_;
};

// Input through the system's queue, as a person's mouse and keyboard give it.
class Input {
 public:
  void MoveTo(POINT p) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = MulDiv(p.x, 65535, std::max(width - 1, 1));
    in.mi.dy = MulDiv(p.y, 65535, std::max(height - 1, 1));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
  }
  void Mouse(DWORD flags, DWORD data = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    SendInput(1, &in, sizeof in);
  }
  void Key(int vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = static_cast<WORD>(vk);
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (vk == VK_PRIOR || vk == VK_NEXT || vk == VK_HOME || vk == VK_END || vk == VK_UP ||
        vk == VK_DOWN)
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &in, sizeof in);
  }
  void Click(POINT p, int modifier = 0, bool right = false) {
    MoveTo(p);
    if (modifier != 0) Key(modifier, false);
    Mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    Mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    if (modifier != 0) Key(modifier, true);
  }
  void Drag(POINT from, POINT to, int steps, bool right) {
    MoveTo(from);
    Mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= steps; ++i) {
      Sleep(10);
      MoveTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
    }
    Sleep(10);
    Mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
  }
};

POINT At(const RECT& r, double fx, double fy) {
  const LONG width = std::max<LONG>(r.right - r.left, 1),
             height = std::max<LONG>(r.bottom - r.top, 1);
  return {r.left + std::min<LONG>(static_cast<LONG>(fx * width), width - 1),
          r.top + std::min<LONG>(static_cast<LONG>(fy * height), height - 1)};
}

std::set<DWORD> CrashHandlers() {
  std::set<DWORD> ids;
  win32::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"winedbg.exe") == 0 ||
        _wcsicmp(entry.szExeFile, L"drwtsn32.exe") == 0 ||
        _wcsicmp(entry.szExeFile, L"WerFault.exe") == 0)
      ids.insert(entry.th32ProcessID);
  }
  return ids;
}

class Tester {
 public:
  explicit Tester(Options options) : options_(options), random_(options.seed) {}

  int Run();

 private:
  bool Prepare();
  void Execute(const Event& e);
  // The checks after a burst; false (with the reason in failure_) when one fails.
  bool Alive();  // the program runs, started no crash handler and has its window
  // Alive, and answers a message within 2 s; a message left unanswered because the program
  // or its window ended meanwhile is reported as that end. `ms` gets the time the answer took.
  bool Answers(double* ms = nullptr);
  bool Check();
  bool CheckIdle(const Snapshot& s, const std::vector<std::string>& numbers);
  void AnswerBoxes();
  void EmptySaveFolderWhenIdle(const Snapshot& s);
  void CountAndRemoveOutputs();
  bool Fail(const std::string& reason) {
    failure_ = reason;
    return false;
  }
  int Report();
  bool Finish();

  Options options_;
  Random random_;
  fs::path scratch_;
  fs::path out_;
  fs::path profile_;
  win32::KernelHandle job_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<Target> target_;
  Input input_;
  std::map<std::string, double> sizes_;  // FileSize of each capsule number, as loaded here
  int expected_rows_ = 0;
  std::set<DWORD> crash_handlers_at_start_;

  long event_ = 0;  // events executed
  long bursts_ = 0;
  std::deque<std::string> recent_;  // the last events, for the report
  std::string failure_;
  bool dub_pressed_ = false;  // ダビング pressed since the window was last seen idle
  bool was_busy_ = false;
  Clock::time_point busy_since_{};
  long jobs_seen_ = 0;     // checks that met a job running (a new one each time)
  long dubs_started_ = 0;  // ダビング pressed while enabled
  long files_dubbed_ = 0;  // .mpg files the jobs wrote
  long boxes_answered_ = 0;
  long selection_lines_checked_ = 0;
  double slowest_answer_ms_ = 0;
  std::string slowest_after_;  // the event before the slowest answer
  std::string separator_;
  Snapshot last_;  // the window as the last check saw it
};

bool Tester::Prepare() {
  scratch_ =
      fs::temp_directory_path() / ("capsdub-random-" + std::to_string(GetCurrentProcessId()));
  std::error_code ignored;
  fs::remove_all(scratch_, ignored);
  fs::create_directories(scratch_ / "bin");
  out_ = scratch_ / "out";
  fs::create_directories(out_);
  const fs::path program = scratch_ / "bin" / (std::wstring(kProgramName) + L".exe");
  if (!CopyFileW(WindowsPath(CAPSDUB_GUI_EXE).c_str(), program.c_str(), FALSE))
    return Fail("CapsDub.exe could not be copied");

  // The sample host and the catalogue this tester expects the window to list.
  const std::string root = platform::WideToSjis(scratch_.wstring());
  const std::string host = root + "\\Reel Keeper\\";
  samplegen::RandomOptions sample;
  sample.media = {root[0]};
  sample.scale = samplegen::SizeScale::kSmall;
  samplegen::HostLayout layout =
      samplegen::RandomHost(static_cast<std::uint32_t>(options_.seed), options_.rows, sample);
  // Every fifth capsule 500 times larger (segments of megabytes): a dub that includes one
  // lasts long enough for 一時停止 and 停止 to meet it.
  for (std::size_t i = 4; i < layout.capsules.size(); i += 5) {
    samplegen::CapsuleLayout& capsule = layout.capsules[i];
    capsule.size_bytes = 0;
    for (samplegen::SegmentLayout& segment : capsule.segments) {
      segment.size *= 500;
      if (_stricmp(segment.extension.c_str(), ".ssx") != 0) capsule.size_bytes += segment.size;
    }
  }
  samplegen::WriteHost(host, layout);
  struct Quiet : WindowPort {
    void SetStatus(std::string_view, Colour) override {}
    void YieldToUi() override {}
  } quiet;
  Catalogue reference;
  reference.PathReelKeeper = host;
  LoadCatalogue(reference, quiet);
  expected_rows_ = static_cast<int>(reference.Table1.size());
  for (const CatalogueRow& row : reference.Table1.rows()) sizes_[row.FileName] = row.FileSize;
  if (sizes_.size() != reference.Table1.rows().size())
    return Fail("the sample host has two capsules of one number");

  // The copy keeps its settings in a profile file of its own name: host and save folder set.
  wchar_t windows[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  profile_ = fs::path(std::wstring(windows, n)) / (std::wstring(kProgramName) + L".INI");
  fs::remove(profile_, ignored);
  const std::wstring out = out_.wstring() + L"\\";
  WritePrivateProfileStringW(L".\\CapsGrid.INI", L"PathReelKeeper_Text",
                             platform::SjisToWide(host).c_str(), profile_.filename().c_str());
  WritePrivateProfileStringW(L".\\CapsGrid.INI", L"PathMPEGSave_Text", out.c_str(),
                             profile_.filename().c_str());

  // Without a window manager, Wine waits 2 s for a "managed" window it hides to be withdrawn
  // (the About box's OK): the copy runs unmanaged, so that a slow answer is the program's own.
  RegSetKeyValueW(HKEY_CURRENT_USER, kWineSettings, L"Managed", REG_SZ, L"N", 2 * sizeof(wchar_t));

  crash_handlers_at_start_ = CrashHandlers();
  job_ = KillOnCloseJob();
  program_ = std::make_unique<Program>(job_.get(), program, std::vector<std::wstring>{});
  if (!program_->started()) return Fail("CapsDub.exe did not start");
  HWND main = program_->WaitForVisibleMainWindow(30000);
  if (main == nullptr) return Fail("no main window within 30 s");
  target_ = std::make_unique<Target>(*program_, main);
  if (!WaitFor(60000, [&] { return target_->Rows() == expected_rows_; }))
    return Fail("the first load did not list " + std::to_string(expected_rows_) + " rows");
  SetForegroundWindow(main);
  separator_ = platform::ThousandsSeparator();
  return true;
}

void Tester::Execute(const Event& e) {
  Target& t = *target_;
  auto click_button = [&](int id) {
    if (const std::optional<POINT> p = t.ButtonCentre(id)) input_.Click(*p);
  };
  switch (e.kind) {
    case Kind::kRowClick:
      input_.Click(At(t.RowsArea(), 0.02 + e.x1 * 0.5, e.y1), e.modifier);
      break;
    case Kind::kDrag: {
      const RECT rows = t.RowsArea();
      input_.Drag(At(rows, 0.02 + e.x1 * 0.5, e.y1), At(rows, 0.02 + e.x1 * 0.5, e.y2), e.amount,
                  false);
      break;
    }
    case Kind::kTitleClick:
      input_.Click(At(t.TitlesArea(), e.x1, 0.5));
      break;
    case Kind::kTitleRightDrag: {
      const RECT titles = t.TitlesArea();
      input_.Drag(At(titles, e.x1, 0.5), At(titles, e.x2, 0.5), e.amount, true);
      break;
    }
    case Kind::kWheel:
      input_.MoveTo(At(t.RowsArea(), 0.02 + e.x1 * 0.5, e.y1));
      input_.Mouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(WheelNotches(e) * WHEEL_DELTA));
      break;
    case Kind::kKey:
      if (e.modifier != 0) input_.Key(e.modifier, false);
      input_.Key(e.vk, false);
      input_.Key(e.vk, true);
      if (e.modifier != 0) input_.Key(e.modifier, true);
      break;
    case Kind::kRefresh:
      click_button(ui::kActionRefresh);
      break;
    case Kind::kAbout:
      click_button(ui::kActionAbout);
      break;
    case Kind::kAboutOk:
      for (HWND about : t.AboutBoxes()) {
        RECT r{};
        GetWindowRect(GetDlgItem(about, IDCANCEL), &r);
        input_.Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        break;
      }
      break;
    case Kind::kDub:
      dub_pressed_ = true;
      if (t.ActionEnabled(ui::kActionExport)) ++dubs_started_;
      click_button(ui::kActionExport);
      break;
    case Kind::kPause:
      click_button(ui::kActionPause);
      break;
    case Kind::kStop:
      click_button(ui::kActionSTOP);
      break;
    case Kind::kWait:
      Sleep(static_cast<DWORD>(e.amount * 100));
      break;
  }
}

void Tester::AnswerBoxes() {
  for (HWND box : target_->WaitingBoxes()) {
    wchar_t caption[128] = {};
    GetWindowTextW(box, caption, 128);
    ++boxes_answered_;
    PostMessageW(box, WM_CLOSE, 0, 0);
    // Wine's own "About Wine" (its item in a window's system menu, which a click may open) is
    // no box of CapsDub's.
    if (std::wcsncmp(caption, L"About Wine", 10) == 0) continue;
    if (failure_.empty()) failure_ = "a box waited for a person: \"" + Utf8(caption) + "\"";
  }
}

void Tester::EmptySaveFolderWhenIdle(const Snapshot& s) {
  if (s.enabled.at(ui::kActionSTOP)) return;
  std::error_code error;
  std::size_t files = 0;
  for (auto it = fs::directory_iterator(out_, error); !error && it != fs::directory_iterator();
       it.increment(error))
    ++files;
  if (files <= kOutputFilesKept) return;
  CountAndRemoveOutputs();
}

void Tester::CountAndRemoveOutputs() {
  std::error_code error;
  for (auto it = fs::directory_iterator(out_, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    files_dubbed_ += _wcsicmp(it->path().extension().c_str(), L".mpg") == 0 ? 1 : 0;
    fs::remove(it->path(), error);
  }
}

bool Tester::Alive() {
  if (WaitForSingleObject(program_->handle(), 0) != WAIT_TIMEOUT) {
    DWORD code = 0;
    GetExitCodeProcess(program_->handle(), &code);
    char text[64];
    std::snprintf(text, sizeof text, "the program ended (exit code 0x%lx)", code);
    return Fail(text);
  }
  for (DWORD id : CrashHandlers())
    if (!crash_handlers_at_start_.count(id)) return Fail("a crash handler started");
  if (!IsWindow(target_->main())) return Fail("the main window is gone");
  return true;
}

bool Tester::Answers(double* ms) {
  if (!Alive()) return false;
  const auto asked = Clock::now();
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(target_->main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs,
                          &answer)) {
    if (ms != nullptr)
      *ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
    return true;
  }
  return Alive() ? Fail("the program did not answer a message within 2 s") : false;
}

bool Tester::Check() {
  if (!failure_.empty()) return false;
  double answer_ms = 0;
  if (!Answers(&answer_ms)) return false;
  if (options_.verbose) std::printf("  answered in %.0f ms\n", answer_ms);
  if (answer_ms > slowest_answer_ms_) {
    slowest_answer_ms_ = answer_ms;
    slowest_after_ = recent_.empty() ? std::string() : recent_.back();
  }

  // The input is handled after the message: read until two looks 50 ms apart agree, and a
  // load (表示更新 disables the folder buttons while it reads) has ended.
  Snapshot s = target_->Take();
  const auto loading_since = Clock::now();
  for (int i = 0;; ++i) {
    Sleep(50);
    // The input of the burst is handled meanwhile: an end, a crash or a hang it causes is
    // reported as what it is, not as a load that does not end.
    if (!Answers()) return false;
    Snapshot again = target_->Take();
    // A running job changes the status line all the time: its state is checked once two looks
    // agree on the controls (one look may fall across the job's end).
    const bool job = s.enabled.at(ui::kActionSTOP) && again.enabled == s.enabled;
    const bool settled = again == s || job || i >= 40;
    s = std::move(again);
    if (settled && s.enabled.at(ui::kButtonFolder)) break;
    if (Clock::now() - loading_since > kLongestLoad) {
      // The report shows the window as it is now, and any dialog that holds the load up.
      last_ = s;
      std::string held;
      for (HWND box : target_->OwnWindows([this](HWND w) { return w != target_->main(); })) {
        wchar_t caption[128] = {};
        GetWindowTextW(box, caption, 128);
        held += " \"" + Utf8(caption) + "\"";
      }
      return Fail("a load has not ended in 30 s" +
                  (held.empty() ? std::string() : "; other windows of the program:" + held));
    }
  }
  last_ = s;
  AnswerBoxes();
  if (!failure_.empty()) return false;
  if (target_->AboutBoxes().size() > 1) return Fail("two About boxes are open");
  if (s.rows != expected_rows_) {
    return Fail("the grid lists " + std::to_string(s.rows) + " rows of " +
                std::to_string(expected_rows_));
  }
  // Every capsule of the host, each once: the numbers the rows show.
  std::vector<std::string> numbers;
  std::set<std::string> seen;
  for (int i = 0; i < s.rows; ++i) {
    numbers.push_back(platform::WideToSjis(target_->CellText(i, 0)));
    if (sizes_.count(numbers.back()) == 0 || !seen.insert(numbers.back()).second) {
      return Fail("row " + std::to_string(i) + " shows capsule \"" + numbers.back() + "\"" +
                  (sizes_.count(numbers.back()) == 0 ? ", which the host lacks" : " twice"));
    }
  }
  const bool busy = s.enabled.at(ui::kActionSTOP);
  if (!busy) {
    was_busy_ = false;
    dub_pressed_ = false;
    EmptySaveFolderWhenIdle(s);
    return CheckIdle(s, numbers);
  }
  // A job: every control in the state of a running job, started by ダビング, ending in time.
  if (!dub_pressed_) return Fail("a job runs that ダビング did not start");
  for (const Control& c : kControls) {
    if (s.enabled.at(c.id) != (c.job == 1))
      return Fail(std::string("during a job ") + c.name +
                  (c.job == 1 ? " is disabled" : " is enabled"));
  }
  const bool paused = s.pause_caption != L"一時停止";
  if (!was_busy_ || paused) busy_since_ = Clock::now();
  if (!was_busy_) ++jobs_seen_;
  was_busy_ = true;
  if (Clock::now() - busy_since_ > kLongestJob) return Fail("a job has run for two minutes");
  return true;
}

bool Tester::CheckIdle(const Snapshot& s, const std::vector<std::string>& numbers) {
  for (const Control& c : kControls) {
    if (c.idle != kBySelection && s.enabled.at(c.id) != (c.idle == 1))
      return Fail(std::string("with no job running ") + c.name +
                  (c.idle == 1 ? " is disabled" : " is enabled"));
  }
  double total_kb = 0;
  for (int index : s.selected) {
    if (index >= static_cast<int>(numbers.size()))
      return Fail("row " + std::to_string(index) + " is selected of " +
                  std::to_string(numbers.size()));
    total_kb += sizes_.at(numbers[static_cast<std::size_t>(index)]);
  }
  if (s.enabled.at(ui::kActionExport) != (total_kb > 0)) {
    return Fail(std::string("ダビング is ") + (total_kb > 0 ? "disabled" : "enabled") + " with " +
                std::to_string(s.selected.size()) + " rows of " +
                std::to_string(static_cast<long long>(total_kb)) + " KB selected");
  }
  // A selection line shown: the selected rows' total against the save folder's free space.
  const std::string line = platform::WideToSjis(s.status);
  const std::string start = SelectionStatusText(0, 0, separator_);
  const std::string prefix = start.substr(0, start.find(':') + 2);
  if (line.compare(0, prefix.size(), prefix) != 0) return true;
  ++selection_lines_checked_;
  auto number_after = [&](std::size_t from) {
    std::string digits;
    for (std::size_t i = from; i < line.size() && (digits.empty() || line[i] != 'K'); ++i) {
      if (line[i] >= '0' && line[i] <= '9')
        digits += line[i];
      else if (!digits.empty() && line.compare(i, separator_.size(), separator_) != 0 &&
               line[i] != ' ')
        break;
    }
    return digits.empty() ? -1.0 : std::atof(digits.c_str());
  };
  const std::size_t free_at = line.find(": ", prefix.size());
  const double free_kb = free_at == std::string::npos ? -1 : number_after(free_at + 2);
  if (line != SelectionStatusText(total_kb, free_kb, separator_)) {
    return Fail("the selection line reads \"" + platform::SjisToUtf8(line) + "\" with " +
                std::to_string(s.selected.size()) + " rows of " +
                std::to_string(static_cast<long long>(total_kb)) + " KB selected");
  }
  const std::optional<double> measured = FreeKbOfSaveFolder(platform::WideToSjis(out_.wstring()));
  if (measured && std::abs(*measured - free_kb) > std::max(0.1 * *measured, 1024.0 * 1024)) {
    return Fail("the selection line's free space " + std::to_string(free_kb) +
                " KB is far from the " + std::to_string(*measured) + " KB measured here");
  }
  return true;
}

// Ends a job that still runs, then checks once more, closes the window and sees the program
// end by itself.
bool Tester::Finish() {
  for (int i = 0; i < 20 && target_->ActionEnabled(ui::kActionSTOP); ++i) {
    if (const std::optional<POINT> p = target_->ButtonCentre(ui::kActionSTOP)) input_.Click(*p);
    Sleep(500);
  }
  if (!Check()) return false;
  PostMessageW(target_->main(), WM_CLOSE, 0, 0);
  const std::optional<DWORD> code = program_->WaitExit(20000);
  if (!code) return Fail("the window did not close within 20 s");
  for (DWORD id : CrashHandlers())
    if (!crash_handlers_at_start_.count(id)) return Fail("a crash handler started at the close");
  if (*code != 0) return Fail("the program ended with exit code " + std::to_string(*code));
  return true;
}

int Tester::Report() {
  std::printf("random-input: FAILED at event %ld (burst %ld) of seed %llu: %s\n", event_, bursts_,
              static_cast<unsigned long long>(options_.seed), failure_.c_str());
  std::printf("status line: \"%s\"\nenabled:", Utf8(last_.status).c_str());
  for (const Control& c : kControls)
    if (last_.enabled[c.id]) std::printf(" %s", c.name);
  std::printf("\n%zu rows selected; the last events:\n", last_.selected.size());
  for (const std::string& e : recent_) std::printf("  %s\n", e.c_str());
  std::printf("replay: gui_random_input --seed %llu --events %ld --rows %d",
              static_cast<unsigned long long>(options_.seed), event_, options_.rows);
  if (options_.from > 1) std::printf(" --from %ld", options_.from);
  std::printf("\n");
  return 1;
}

int Tester::Run() {
  std::printf("random-input: seed %llu, %ld events, %d capsules\n",
              static_cast<unsigned long long>(options_.seed), options_.events, options_.rows);
  const auto started = Clock::now();
  bool ok = Prepare();
  while (ok && event_ < options_.events) {
    const long thousands_before = event_ / 1000;
    const int burst = 1 + random_.Below(kLongestBurst);
    for (int i = 0; i < burst && event_ < options_.events; ++i) {
      const Event e = NextEvent(random_);
      ++event_;
      if (event_ < options_.from) continue;
      const std::string told = std::to_string(event_) + ": " + Describe(e);
      if (options_.verbose) std::printf("%s\n", told.c_str());
      recent_.push_back(told);
      if (recent_.size() > 16) recent_.pop_front();
      Execute(e);
      Sleep(kEventGapMs);
      AnswerBoxes();
      // An end of the program is seen at the event that caused it.
      if (WaitForSingleObject(program_->handle(), 0) != WAIT_TIMEOUT && failure_.empty()) Check();
      if (!failure_.empty()) break;
    }
    ++bursts_;
    ok = event_ < options_.from || Check();
    // A long run tells how far it has come, once every thousand events.
    if (ok && event_ / 1000 > thousands_before && event_ >= options_.from &&
        event_ < options_.events) {
      std::printf("random-input: %ld events, slowest answer so far %.0f ms\n", event_,
                  slowest_answer_ms_);
      std::fflush(stdout);
    }
  }
  ok = ok && Finish();
  if (!out_.empty()) CountAndRemoveOutputs();
  program_.reset();
  job_.reset();
  std::error_code ignored;
  fs::remove_all(scratch_, ignored);
  if (!profile_.empty()) fs::remove(profile_, ignored);
  RegDeleteTreeW(HKEY_CURRENT_USER, kWineAppSettings);
  if (!ok) return Report();
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  std::printf(
      "random-input: passed: %ld events in %ld bursts, %.0f s; slowest answer %.0f ms (after "
      "event %s); %ld dubs started, %ld seen running, %ld capsules dubbed; %ld selection lines "
      "checked; %ld boxes answered\n",
      event_, bursts_, seconds, slowest_answer_ms_, slowest_after_.c_str(), dubs_started_,
      jobs_seen_, files_dubbed_, selection_lines_checked_, boxes_answered_);
  return 0;
}

}  // namespace
}  // namespace capsdub::program_test

int main(int argc, char** argv) {
  capsdub::program_test::Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--seed" && has_value) {
      options.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--events" && has_value) {
      options.events = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--rows" && has_value) {
      options.rows = std::max(12, std::atoi(argv[++i]));
    } else if (arg == "--from" && has_value) {
      options.from = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else {
      std::fprintf(stderr,
                   "usage: gui_random_input [--seed N] [--events N] [--rows N] [--from N] "
                   "[--verbose]\n");
      return 2;
    }
  }
  return capsdub::program_test::Tester(options).Run();
}
