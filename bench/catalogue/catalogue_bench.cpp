// Times the catalogue load (media list, tape database, cabinet database, scan and sort) of a
// host folder and reports the process's peak memory, for run_catalogue_bench.sh.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "catalogue/host_files.h"
#include "catalogue/scan.h"
#include "catalogue/tables.h"
#include "catalogue/window_port.h"
#include "platform/posix_paths.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

// The window as the load sees it: no messages to pump; error texts go to standard error.
class BenchWindow : public capsdub::WindowPort {
 public:
  void SetStatus(std::string_view text, capsdub::Colour colour) override {
    if (colour == capsdub::kColourRed) {
      std::fprintf(stderr, "status (red): %.*s\n", static_cast<int>(text.size()), text.data());
      ++errors;
    }
  }
  void YieldToUi() override {}
  int errors = 0;
};

// Peak resident memory of this process so far, in K bytes.
std::uint64_t PeakMemoryKb() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize / 1024;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss);
#endif
}

[[noreturn]] void Usage() {
  std::fputs(
      "usage: catalogue_bench --host FOLDER [--drive L=/path ...] [--repeat N] [--phases 1]\n"
      "Loads the catalogue of the host N times (default 5) and prints one line:\n"
      "rows=R records=T first_ms=F best_ms=B median_ms=M base_kb=K peak_kb=P\n"
      "and with --phases 1, from one more load, phase by phase:\n"
      "media_ms=.. tape_ms=.. cabinet_ms=.. scan_ms=..\n"
      "then the time of a row look-up by identity and of its display position:\n"
      "find_ns=.. index_ns=..\n",
      stderr);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::string host;
  int repeat = 5;
  bool with_phases = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) Usage();
    const std::string value = argv[++i];
    if (arg == "--host") {
      host = value;
    } else if (arg == "--drive" && value.size() > 2 && value[1] == '=') {
      capsdub::platform::SetDriveFolder(value[0], value.substr(2));
    } else if (arg == "--phases") {
      with_phases = value == "1";
    } else if (arg == "--repeat") {
      repeat = std::max(1, std::atoi(value.c_str()));
    } else {
      Usage();
    }
  }
  if (host.empty()) Usage();

  const std::uint64_t base_kb = PeakMemoryKb();
  std::vector<double> times;
  std::size_t rows = 0;
  std::size_t records = 0;
  BenchWindow window;
  capsdub::Catalogue catalogue;
  for (int r = 0; r < repeat; ++r) {
    // A fresh catalogue each time, as the program's first load sees it.
    catalogue = capsdub::Catalogue();
    catalogue.PathReelKeeper = host;
    const auto start = std::chrono::steady_clock::now();
    capsdub::LoadCatalogue(catalogue, window);
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    rows = catalogue.Table1.size();
    records = catalogue.Table2.rows().size();
  }
  // Look-ups of rows picked at random in the loaded (sorted) catalogue, as the grid and the
  // selection line make them: a row by its identity, and the display position of an identity.
  // 1,000 rows, each looked up 20 times: the rows touched are as many at every size, so that
  // the time shows what a look-up does, not how much of a larger table misses the caches.
  const auto& loaded = catalogue.Table1.rows();
  std::vector<capsdub::RowId> sample;
  std::mt19937 random(1);
  for (int i = 0; i < 1000 && !loaded.empty(); ++i)
    sample.push_back(loaded[random() % loaded.size()].id);
  std::vector<capsdub::RowId> picked;
  for (int pass = 0; pass < 20; ++pass) picked.insert(picked.end(), sample.begin(), sample.end());
  double find_ns = 0, index_ns = 0, checksum = 0;
  if (!picked.empty()) {
    auto start = std::chrono::steady_clock::now();
    for (capsdub::RowId id : picked) checksum += catalogue.Table1.FindById(id)->FileSize;
    auto end = std::chrono::steady_clock::now();
    find_ns = std::chrono::duration<double, std::nano>(end - start).count() / picked.size();
    start = std::chrono::steady_clock::now();
    for (capsdub::RowId id : picked)
      checksum += static_cast<double>(catalogue.Table1.IndexOf(id).value_or(0));
    end = std::chrono::steady_clock::now();
    index_ns = std::chrono::duration<double, std::nano>(end - start).count() / picked.size();
  }
  // With --phases, one more load, phase by phase, to show where the time goes.
  double phases[4] = {};
  if (with_phases) {
    catalogue = capsdub::Catalogue();
    catalogue.PathReelKeeper = host;
    auto timed = [&](double& ms, auto&& step) {
      const auto start = std::chrono::steady_clock::now();
      step();
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
    };
    timed(phases[0], [&] { capsdub::ReadMediaList(catalogue, window); });
    timed(phases[1], [&] { capsdub::ReadTapeDatabase(catalogue, window); });
    timed(phases[2], [&] { capsdub::ReadCabinetDatabase(catalogue, window); });
    timed(phases[3], [&] { capsdub::BuildCatalogue(catalogue, window); });
  }
  const double first = times.front();
  std::sort(times.begin(), times.end());
  std::printf(
      "rows=%zu records=%zu first_ms=%.1f best_ms=%.1f median_ms=%.1f base_kb=%llu "
      "peak_kb=%llu media_ms=%.1f tape_ms=%.1f cabinet_ms=%.1f scan_ms=%.1f find_ns=%.1f "
      "index_ns=%.1f\n",
      rows, records, first, times.front(), times[times.size() / 2],
      static_cast<unsigned long long>(base_kb), static_cast<unsigned long long>(PeakMemoryKb()),
      phases[0], phases[1], phases[2], phases[3], find_ns, index_ns);
  if (checksum < 0) std::puts("");  // keeps the look-ups from being optimised away
  return window.errors == 0 ? 0 : 1;
}
