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
#include "app/cli/dub_outcome.h"
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
    "      /d deletes through KAP.dll as dub --delete does (Windows only): only capsules\n"
    "      whose dub is complete, passes the size check and reads back exactly as copied.\n"
    "      --dry-run: prints, as list --tsv does with one more column Output, the capsules\n"
    "      the batch would dub in their order and the .mpg each would get (taken names and\n"
    "      /w applied); dubs, creates and deletes nothing. Arguments starting with \"--\"\n"
    "      other than these are refused; CapsDub's own options follow its rules.\n"
    "      Exit status: 0 all done (or the usage text), 1 some capsule failed or an error\n"
    "      ended the run, 2 bad arguments.";

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
  return kExitBadArguments;
}

int RunBatch(const std::vector<std::string>& args) {
  HostOptions host;
  std::vector<std::string> arguments;  // CapsDub's own, in Shift-JIS
  bool dry_run = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeHostOption(args, i, host, error)) {
      if (!error.empty()) return Fail(error);
    } else if (args[i] == "--dry-run") {
      dry_run = true;
    } else if (args[i].rfind("--", 0) == 0) {
      return Fail("unknown option '" + args[i] + "'");
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
    return kExitFailed;
  }

  if (dry_run) {
    std::optional<std::vector<PlannedDub>> plan;
    try {
      plan = PlanCommandLine(window, arguments);
    } catch (const std::exception& e) {
      PrintErr(std::string("capsdub-cli batch: ") + e.what() + "\n");
      return kExitFailed;
    }
    if (!plan) {
      ShowUsage(window);  // what the run would show instead of dubbing
      return kExitDone;
    }
    PrintPlan(catalogue, *plan, "capsdub-cli batch");
    return kExitDone;
  }

  LazyKapDeleter kap_deleter;
  ReportingDeleter deleter(kap_deleter);
  RunCommandLine(window, deleter, arguments);
  if (!window.closed()) return kExitDone;  // the usage text was shown
  const int failures = ReportFailures(window, deleter, "capsdub-cli batch");
  std::fprintf(stderr, "%zu capsules dubbed\n", window.results().size());
  return window.error_shown() || failures > 0 ? kExitFailed : kExitDone;
}

const bool registered = RegisterCommand({"batch", kUsage, &RunBatch});

}  // namespace
}  // namespace capsdub::cli
