// The command-line batch: reading CapsDub's arguments (save folder and options), the usage
// text, and the unattended run that sorts the catalogue, selects the first capsules that pass
// the keyword filters, dubs them, waits and closes the main window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dubbing/capsule_deleter.h"
#include "dubbing/dubbing_job.h"
#include "dubbing/dubbing_window.h"

namespace capsdub {

// What the batch needs from the main window beyond the dubbing job's view of it.
class BatchWindow : public DubbingWindow {
 public:
  // The application's title, the caption of the usage box.
  virtual std::string ApplicationTitle() const = 0;
  // A modal message box with an OK button only and no icon, captioned `caption`.
  virtual void ShowInformation(std::string_view text, std::string_view caption) = 0;
  // The application-wide display of an error nothing else handled: the status line in red
  // and a message box.
  virtual void ShowAppException(std::string_view message) = 0;
  // Sets the radio group ExportTo and the check box "削除する".
  virtual void SetExportTo(OutputForm form) = 0;
  virtual void SetCheckDelete(bool checked) = 0;
  // Adds a catalogue row to the grid's selection (Catalogue::Selection by default; a window
  // that draws the selection repaints the row).
  virtual void SelectRow(RowId id) { catalogue().Selection.insert(id); }
  // Whether `path` (Shift-JIS) names an existing folder.
  virtual bool FolderExists(const std::string& path) const = 0;
  // Starts `command_line` with a hidden window and waits for its end, keeping the window
  // responsive; nothing when the program cannot be started (RunAndWait by default).
  virtual void RunHidden(const std::string& command_line);
  // Closes the main window, which ends the program.
  virtual void CloseMainWindow() = 0;

  bool CabinetForm = false;     // dub in the external cabinet form (/o)
  bool DeleteAfterDub = false;  // tick "削除する" for the job (/d)
};

// The batch settings read from the arguments (the window flags go to the window itself).
struct BatchOptions {
  long long count = 1;         // capsules to select from the top; 0 shows the usage text
  std::string sort = "d-";     // sort letters and "-" for descending
  std::string title_filter;    // keyword filter on Title
  std::string channel_filter;  // keyword filter on Channel
  std::string cabinet_filter;  // keyword filter on TapeLibName
};

// Reads the arguments (Shift-JIS, program name excluded) in order: a save folder sets the
// window's save folder when it exists (after "dir" and, for a network path, "net use" have
// had a chance to reach it) and otherwise makes the count 0; options set the batch settings
// or the window's flags. Unknown and malformed options are ignored; "/?" ends the reading.
BatchOptions ReadCommandLine(const std::vector<std::string>& arguments, BatchWindow& window);

// The drive part of a network path: "\\server\share" of "\\server\share\folder"; the whole
// text when it has no further separator.
std::string NetworkDriveOf(std::string_view path);

// The usage text: 27 lines, each ending in CR LF.
std::string UsageText();
// Shows the usage text in a modal box captioned with the application's title.
void ShowUsage(BatchWindow& window);
// "コマンド": the usage text.
void ActionHELPExecute(BatchWindow& window);

// Seconds the window stays up with the final status line after a batch run.
constexpr double kBatchEndWaitSeconds = 5;

// Runs CapsDub's command line once the catalogue is loaded. Clears the three window flags and
// reads the arguments; when they ask for the usage text (or name a save folder that cannot be
// reached, or a count of 0), shows it and returns with the window open. Otherwise sorts the
// catalogue, selects the first `count` rows that pass the filters, dubs them with `deleter`,
// waits `end_wait_seconds` and closes the main window. The window is closed on every way out
// of the batch; an error of the batch is shown with ShowAppException before it closes.
void RunCommandLine(BatchWindow& window, CapsuleDeleter& deleter,
                    const std::vector<std::string>& arguments,
                    double end_wait_seconds = kBatchEndWaitSeconds);

// What RunCommandLine would dub, without dubbing: clears the window flags and reads the
// arguments as it does; nullopt (and nothing shown) when they ask for the usage text.
// Otherwise sorts the catalogue, ticks the boxes and selects rows as the batch does, and
// returns the job's plan (PlanExport) instead of running it; nothing is waited for or closed.
std::optional<std::vector<PlannedDub>> PlanCommandLine(BatchWindow& window,
                                                       const std::vector<std::string>& arguments);

}  // namespace capsdub
