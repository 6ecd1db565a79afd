// Per-capsule failure reports and the dry-run listing of capsdub-cli.
#include "app/cli/dub_outcome.h"

#include <cstdio>

#include "app/cli/command_registry.h"
#include "app/cli/tsv.h"
#include "dubbing/dubbing_job.h"

namespace capsdub::cli {
namespace {

std::string ShortfallText(const SegmentShortfall& s) {
  switch (s.fault) {
    case SegmentFault::kMissing:
      return "segment " + s.path + " is missing";
    case SegmentFault::kNotOpened:
      return "segment " + s.path + " could not be opened";
    case SegmentFault::kShortened:
      return "segment " + s.path + " was cut short (" + std::to_string(s.copied) + " of " +
             std::to_string(s.size_at_start) + " bytes copied)";
  }
  return {};
}

// Why one dubbed capsule failed; empty when it did not.
std::string Problem(const ConsoleWindow::Result& r, bool check_delete,
                    const ReportingDeleter& deleter) {
  if (r.stopped) return "stopped";
  if (!r.check.complete()) {
    std::string text = "incomplete dub";
    const char* separator = ": ";
    for (const SegmentShortfall& s : r.check.shortfalls) {
      text.append(separator);
      separator = "; ";
      text.append(ShortfallText(s));
    }
    if (check_delete) text.append("; not deleted");
    return text;
  }
  if (r.copied == 0) return "nothing copied (output name taken, or no segment files)";
  if (!PassesSizeCheck(r.copied, r.catalogue_size)) {
    return "size check failed (" + std::to_string(static_cast<long long>(r.copied)) +
           " bytes copied, catalogue size " +
           std::to_string(static_cast<long long>(r.catalogue_size)) + " KB)";
  }
  if (!check_delete) return {};
  switch (r.check.verification) {
    case Verification::kMismatch:
      return "the output did not read back as it was copied; not deleted";
    case Verification::kStopped:
      return "stopped during the read-back; not deleted";
    case Verification::kNotRun:
      return "not read back; not deleted";
    case Verification::kMatch:
      break;
  }
  if (deleter.not_deleted().count(r.number) != 0) return "dubbed but not deleted";
  return {};
}

}  // namespace

bool ReportingDeleter::DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) {
  const bool deleted = deleter_.DeleteDubbedCapsule(number, window);
  if (!deleted) not_deleted_.insert(number);
  return deleted;
}

int ReportFailures(const ConsoleWindow& window, const ReportingDeleter& deleter,
                   const std::string& command) {
  int failures = 0;
  std::set<std::string> done;
  for (const ConsoleWindow::Result& r : window.results()) {
    done.insert(r.number);
    const std::string problem = Problem(r, window.CheckDelete(), deleter);
    if (!problem.empty()) {
      PrintErr(command + ": capsule " + r.number + ": " + problem + "\n");
      ++failures;
    }
  }
  const Catalogue& catalogue = window.table();
  for (RowId id : catalogue.Selection) {
    const CatalogueRow* row = catalogue.Table1.FindById(id);
    if (row != nullptr && done.count(row->FileName) == 0) {
      PrintErr(command + ": capsule " + row->FileName + ": not dubbed\n");
      ++failures;
    }
  }
  return failures;
}

void PrintPlan(const Catalogue& catalogue, const std::vector<PlannedDub>& plan,
               const std::string& command) {
  PrintOutUtf8(TsvHeader() + "\tOutput\n");
  for (const PlannedDub& dub : plan) {
    const CatalogueRow* row = catalogue.Table1.FindById(dub.row);
    if (row == nullptr) continue;
    if (dub.output.empty()) {
      PrintErr(command + ": capsule " + row->FileName +
               ": the output name is taken; it would be skipped\n");
      continue;
    }
    if (!dub.room) {
      PrintErr(command + ": capsule " + row->FileName +
               ": its drive lacks room; the run would ask whether to go on\n");
    }
    PrintOutUtf8(TsvRow(*row) + "\t" + TsvField(dub.output) + "\n");
  }
}

}  // namespace capsdub::cli
