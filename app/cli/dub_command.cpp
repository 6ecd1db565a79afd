// capsdub-cli dub: loads the catalogue of a Reel Keeper data folder, selects the capsules
// named on the command line and runs the dubbing job on them with the console window.
#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/command_registry.h"
#include "app/cli/console_window.h"
#include "app/cli/dub_outcome.h"
#include "catalogue/scan.h"
#include "dubbing/capsule_deleter.h"
#include "dubbing/dubbing_job.h"
#include "dubbing/kap_capsule_deleter.h"
#include "kapbinding/kap_library.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace capsdub::cli {
namespace {

constexpr char kUsage[] =
    "  dub --host FOLDER [--drive D=/path ...] --to FOLDER [--cabinet-form] [--renumber]\n"
    "      [--delete] [--dry-run] NUMBER...\n"
    "      Dubs the capsules with these numbers into the save folder --to, in the order the\n"
    "      scan found them: the .mpg named after the title (--cabinet-form: after the\n"
    "      number), with .ssx, .sdb and .scx. An existing output name is skipped unless\n"
    "      --renumber is given. A capsule fails when it is not dubbed, when a segment file\n"
    "      is missing, cannot be opened or is cut short during the copy (the segment is\n"
    "      named), or when it does not pass the size check.\n"
    "      --delete: each capsule whose dub is complete and passes the size check is read\n"
    "      back from disk and, only when both outputs read back exactly as copied, deleted\n"
    "      from Reel Keeper through KAP.dll (Windows only; found in Reel Keeper's\n"
    "      installation folder or by the system's search); a capsule not deleted fails.\n"
    "      --dry-run: prints, as list --tsv does with one more column Output, the capsules\n"
    "      that would be dubbed in their order and the .mpg each would get; touches nothing.\n"
    "      Exit status: 0 all done, 1 some capsule failed, 2 bad arguments.";

// The bound library entries for --delete, or null when KAP.dll cannot be used (the deleter
// then reports that for each capsule, as the window's job does).
const KapEntries* BindKapLibrary() {
  try {
    if (LoadKapLibrary("")) return &KapLibraryEntries();
  } catch (const std::exception& e) {
    PrintErr(std::string("capsdub-cli dub: ") + e.what() + "\n");
  }
  return nullptr;
}

int Fail(const std::string& message, bool usage = false) {
  std::fprintf(stderr, "capsdub-cli dub: %s\n", message.c_str());
  if (usage) std::fprintf(stderr, "usage:\n%s\n", kUsage);
  return kExitBadArguments;
}

int RunDub(const std::vector<std::string>& args) {
  HostOptions host;
  std::string save_folder;
  bool save_folder_given = false;
  bool cabinet_form = false;
  bool renumber = false;
  bool delete_dubbed = false;
  bool dry_run = false;
  std::vector<std::string> numbers;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeHostOption(args, i, host, error)) {
      if (!error.empty()) return Fail(error);
    } else if (args[i] == "--to") {
      if (i + 1 >= args.size()) return Fail("--to needs a folder", true);
      if (!ArgumentToSjis(args[++i], save_folder)) {
        return Fail("the save folder cannot be written in Shift-JIS: " + args[i]);
      }
      save_folder_given = true;
    } else if (args[i] == "--cabinet-form") {
      cabinet_form = true;
    } else if (args[i] == "--renumber") {
      renumber = true;
    } else if (args[i] == "--delete") {
      delete_dubbed = true;
    } else if (args[i] == "--dry-run") {
      dry_run = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Fail("unknown option '" + args[i] + "'", true);
    } else {
      std::string number;
      if (!ArgumentToSjis(args[i], number)) return Fail("bad capsule number: " + args[i]);
      numbers.push_back(number);
    }
  }
  if (!host.host_given) return Fail("--host FOLDER is required", true);
  if (!save_folder_given) return Fail("--to FOLDER is required", true);
  if (numbers.empty()) return Fail("no capsule numbers given", true);
  if (!platform::FolderExists(save_folder)) {
    return Fail("the save folder does not exist: " + platform::SjisToUtf8(save_folder));
  }

  ConsoleWindow window;
  Catalogue& catalogue = window.catalogue();
  catalogue.PathReelKeeper = host.host;
  LoadCatalogue(catalogue, window);
  if (window.StopRequested) {
    std::fprintf(stderr, "capsdub-cli dub: interrupted\n");
    return kExitFailed;
  }

  // Each number names the first row the scan found with it; one index of the rows serves every
  // number, however many the command line gives.
  std::unordered_map<std::string_view, RowId> first_row;
  for (const CatalogueRow& row : catalogue.Table1.rows()) first_row.emplace(row.FileName, row.id);
  std::set<std::string> unknown;
  for (const std::string& number : numbers) {
    if (const auto found = first_row.find(number); found != first_row.end()) {
      catalogue.Selection.insert(found->second);
    } else {
      unknown.insert(number);
    }
  }
  for (const std::string& number : unknown) {
    PrintErr("capsdub-cli dub: no capsule " + number + " in the catalogue\n");
  }
  if (!unknown.empty()) return kExitFailed;

  window.set_save_folder(save_folder);
  window.set_output_form(cabinet_form ? OutputForm::kExternalCabinet : OutputForm::kMpegFile);
  window.NumberDuplicates = renumber;
  window.set_check_delete(delete_dubbed);
  if (dry_run) {
    PrintPlan(catalogue, PlanExport(window), "capsdub-cli dub");
    return kExitDone;
  }
  KapCapsuleDeleter kap_deleter(delete_dubbed ? BindKapLibrary() : nullptr);
  ReportingDeleter deleter(kap_deleter);
  try {
    ActionExportExecute(window, deleter);
  } catch (const std::exception& e) {
    PrintErr(std::string("error: ") + e.what() + "\n");
    ReportFailures(window, deleter, "capsdub-cli dub");
    return kExitFailed;
  }
  if (ReportFailures(window, deleter, "capsdub-cli dub") > 0) return kExitFailed;
  std::fprintf(stderr, "%zu capsules dubbed%s\n", window.results().size(),
               delete_dubbed ? " and deleted" : "");
  return kExitDone;
}

const bool registered = RegisterCommand({"dub", kUsage, &RunDub});

}  // namespace
}  // namespace capsdub::cli
