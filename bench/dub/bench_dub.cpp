// The capsule copy's throughput on a large generated capsule, and its peak memory.
//   bench_dub generate FOLDER MEGABYTES SEGMENTS   writes seg-001.ssg ... and seg-001.ssx
//   bench_dub dub FOLDER SEGMENTS OUT_FOLDER       dubs them into OUT_FOLDER\Bench.mpg and
//                                                 prints "dub_seconds peak_kib"
//   bench_dub verify FOLDER SEGMENTS OUT_FOLDER    dubs them hashing what it reads, as before a
//                                                 deletion, then reads the outputs back;
//                                                 prints "copy_seconds readback_seconds bytes"
// FOLDER and OUT_FOLDER end in a separator; run_bench.sh drives both against cat.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include "dubbing/capsule_copy.h"
#include "dubbing/dub_verification.h"
#include "platform/files.h"

namespace capsdub {
namespace {

// A window that shows nothing: the copy's own cost only.
class QuietWindow : public DubbingWindow {
 public:
  Catalogue& catalogue() override { return catalogue_; }
  void SetStatus(std::string_view, Colour) override {}
  void YieldToUi() override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void RepaintStatusBar() override {}
  std::string SaveFolderText() const override { return {}; }
  void SetSaveFolderText(const std::string&) override {}
  std::vector<std::string> SaveFolderHistory() const override { return {}; }
  void SetSaveFolderHistory(const std::vector<std::string>&) override {}
  OutputForm ExportTo() const override { return OutputForm::kMpegFile; }
  bool CheckDelete() const override { return false; }
  bool BatchMode() const override { return true; }
  void SetIdleState(bool) override {}
  void SetPauseCaption(std::string_view) override {}
  void SuspendCatalogueDisplay() override {}
  void ResumeCatalogueDisplay() override {}
  void RefreshCatalogueDisplay() override {}
  MessageButton ShowModalMessage(std::string_view, MessageIcon,
                                 const std::vector<MessageButton>&) override {
    return MessageButton::kCancel;
  }
  void ShowMessageNoWait(std::string_view, MessageIcon) override {}
  std::optional<std::string> BrowseForFolder(std::string_view, std::string_view,
                                             std::string_view) override {
    return std::nullopt;
  }

 private:
  Catalogue catalogue_;
};

std::string SegmentName(int n, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "seg-%03d%s", n, extension);
  return name;
}

std::uint64_t PeakKib() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize / 1024;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss);
#endif
}

void WritePattern(const std::string& path, std::uint64_t size, std::uint64_t seed) {
  platform::File file = platform::File::Create(path, platform::ShareMode::kReadWrite);
  constexpr std::size_t kPiece = 1 << 22;
  auto buffer = std::make_unique<std::uint64_t[]>(kPiece / 8);
  std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  while (size > 0) {
    for (std::size_t i = 0; i < kPiece / 8; ++i) {  // xorshift64
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      buffer[i] = x;
    }
    const std::size_t n = size < kPiece ? static_cast<std::size_t>(size) : kPiece;
    file.Write(buffer.get(), n);
    size -= n;
  }
  file.Close();
}

int Generate(const std::string& folder, long megabytes, int segments) {
  const std::uint64_t total = static_cast<std::uint64_t>(megabytes) * 1'000'000;
  for (int n = 1; n <= segments; ++n) {
    // Uneven sizes, so that the joins fall inside blocks.
    std::uint64_t size = total / static_cast<std::uint64_t>(segments);
    if (n < segments) size += static_cast<std::uint64_t>(n) * 12345;
    if (n == segments) size -= static_cast<std::uint64_t>(segments - 1) * segments / 2 * 12345;
    WritePattern(folder + SegmentName(n, ".ssg"), size, static_cast<std::uint64_t>(n));
  }
  WritePattern(folder + SegmentName(1, ".ssx"), 3'000'000, 99);
  return 0;
}

int Dub(const std::string& folder, int segments, const std::string& out) {
  std::vector<std::string> media;
  for (int n = 1; n <= segments; ++n) media.push_back(folder + SegmentName(n, ".ssg"));
  const std::vector<std::string> index = {folder + SegmentName(1, ".ssx")};
  QuietWindow window;
  window.catalogue().PathReelKeeper = folder;
  const auto start = std::chrono::steady_clock::now();
  const double copied = DubCapsule(window, media, index, out + "Bench.mpg", 1e6, "0001");
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%.3f %llu %.0f\n", seconds.count(), static_cast<unsigned long long>(PeakKib()),
              copied);
  return copied > 0 ? 0 : 1;
}

int Verify(const std::string& folder, int segments, const std::string& out) {
  std::vector<std::string> media;
  for (int n = 1; n <= segments; ++n) media.push_back(folder + SegmentName(n, ".ssg"));
  const std::vector<std::string> index = {folder + SegmentName(1, ".ssx")};
  QuietWindow window;
  window.catalogue().PathReelKeeper = folder;
  const auto start = std::chrono::steady_clock::now();
  const CapsuleCopy copy = CopyCapsule(window, media, index, out + "Bench.mpg", 1e6, "0001", true);
  const auto copied = std::chrono::steady_clock::now();
  const Verification result = VerifyDub(window, copy, "Bench");
  const auto verified = std::chrono::steady_clock::now();
  const std::chrono::duration<double> copy_seconds = copied - start;
  const std::chrono::duration<double> readback_seconds = verified - copied;
  std::printf("%.3f %.3f %.0f\n", copy_seconds.count(), readback_seconds.count(), copy.total);
  return result == Verification::kMatch ? 0 : 1;
}

}  // namespace
}  // namespace capsdub

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 4 && args[0] == "generate") {
      return capsdub::Generate(args[1], std::atol(args[2].c_str()), std::atoi(args[3].c_str()));
    }
    if (args.size() == 4 && args[0] == "verify") {
      return capsdub::Verify(args[1], std::atoi(args[2].c_str()), args[3]);
    }
    if (args.size() == 4 && args[0] == "dub") {
      return capsdub::Dub(args[1], std::atoi(args[2].c_str()), args[3]);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_dub: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: bench_dub generate FOLDER MEGABYTES SEGMENTS\n"
               "       bench_dub dub FOLDER SEGMENTS OUT_FOLDER\n"
               "       bench_dub verify FOLDER SEGMENTS OUT_FOLDER\n");
  return 2;
}
