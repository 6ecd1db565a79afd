// What capsdub-cli dub and batch report after a job, and what their dry runs print: each
// capsule that failed (not dubbed, incomplete, size check, read-back, deletion) on standard
// error, and the plan of a dry run as tab-separated rows with the output each would get.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/cli/console_window.h"
#include "dubbing/capsule_deleter.h"
#include "dubbing/dubbing_job.h"

namespace capsdub::cli {

// The exit statuses of capsdub-cli.
constexpr int kExitDone = 0;          // everything asked for was done
constexpr int kExitFailed = 1;        // some capsule failed, or an error ended the run
constexpr int kExitBadArguments = 2;  // the arguments were refused; nothing was touched

// Passes each deletion on and remembers the capsules that were not deleted.
class ReportingDeleter : public CapsuleDeleter {
 public:
  explicit ReportingDeleter(CapsuleDeleter& deleter) : deleter_(deleter) {}
  bool DeleteDubbedCapsule(const std::string& number, DubbingWindow& window) override;
  const std::set<std::string>& not_deleted() const { return not_deleted_; }

 private:
  CapsuleDeleter& deleter_;
  std::set<std::string> not_deleted_;
};

// Reports, as "<command>: capsule N: ...", every selected capsule of the window's catalogue
// that the job did not dub completely and whole (and, with "削除する", read back and delete);
// returns how many.
int ReportFailures(const ConsoleWindow& window, const ReportingDeleter& deleter,
                   const std::string& command);

// Prints the plan: the header of list --tsv with the column Output, then one row per capsule
// that would be dubbed, in the job's order; capsules that would be skipped, and those whose
// drive lacks room, are named on standard error.
void PrintPlan(const Catalogue& catalogue, const std::vector<PlannedDub>& plan,
               const std::string& command);

}  // namespace capsdub::cli
