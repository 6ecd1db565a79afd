// capsdub-cli batch: loads the catalogue of a Reel Keeper data folder and runs CapsDub's own
// command line on it with the console window: the usage text, or the unattended batch.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/command_registry.h"
#include "app/cli/console_window.h"
#include "catalogue/scan.h"
#include "dubbing/command_line.h"
#include "dubbing/kap_capsule_deleter.h"
#include "kapbinding/kap_library.h"

namespace capsdub::cli {
namespace {

constexpr char kUsage[] =
    "  batch --host FOLDER [--drive D=/path ...] [CAPSDUB-ARGUMENTS...]\n"
    "      Runs CapsDub's command line on the catalogue of FOLDER, as the program does when\n"
    "      started with arguments: [save folder] [/w][/o][/d][/s:order][/c:count]\n"
    "      [/t:keyword][/a:station][/f:cabinet]. Sorts, selects the first capsules that pass\n"
    "      the filters, dubs them, waits 5 seconds and ends (exit status 1 after an error).\n"
    "      \"/?\", a count of 0 or a save folder that does not exist print the usage text on\n"
    "      standard output instead (exit status 0). The save folder is given in Windows form\n"
    "      (on POSIX through --drive): an argument starting with \"/\" is an option.\n"
    "      /d deletes through KAP.dll as dub --delete does (Windows only).";

// Binds KAP.dll at the first deletion, so that a batch without /d never loads it; without the
// library the deletion is reported as unavailable and nothing is called.
class LazyKapDeleter : public CapsuleDeleter {
 public:
  bool DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) override {
    if (!deleter_) {
      const KapEntries* entries = nullptr;
      try {
        if (LoadKapLibrary("")) entries = &KapLibraryEntries();
      } catch (const std::exception& e) {
        PrintErr(std::string("capsdub-cli batch: ") + e.what() + "\n");
      }
      deleter_.emplace(entries);
    }
    return deleter_->DeleteDubbedCapsule(number, window);
  }

 private:
  std::optional<KapCapsuleDeleter> deleter_;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "capsdub-cli batch: %s\nusage:\n%s\n", message.c_str(), kUsage);
  return 2;
}

int RunBatch(const std::vector<std::string>& args) {
  HostOptions host;
  std::vector<std::string> arguments;  // CapsDub's own, in Shift-JIS
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeHostOption(args, i, host, error)) {
      if (!error.empty()) return Fail(error);
    } else {
      std::string sjis;
      if (!ArgumentToSjis(args[i], sjis)) {
        return Fail("an argument cannot be written in Shift-JIS: " + args[i]);
      }
      arguments.push_back(sjis);
    }
  }
  if (!host.host_given) return Fail("--host FOLDER is required");

  ConsoleWindow window;
  Catalogue& catalogue = window.catalogue();
  catalogue.PathReelKeeper = host.host;
  LoadCatalogue(catalogue, window);
  if (window.StopRequested) {
    std::fprintf(stderr, "capsdub-cli batch: interrupted\n");
    return 1;
  }

  LazyKapDeleter deleter;
  RunCommandLine(window, deleter, arguments);
  if (!window.closed()) return 0;  // the usage text was shown
  std::fprintf(stderr, "%zu capsules dubbed\n", window.results().size());
  return window.error_shown() ? 1 : 0;
}

const bool registered = RegisterCommand({"batch", kUsage, &RunBatch});

}  // namespace
}  // namespace capsdub::cli
