// The dubbing job over the selected capsules and the actions that act on a running job:
// pause/resume and stop; the per-capsule choice of save folders; the save-folder history.
#pragma once

#include <string>
#include <vector>

#include "dubbing/capsule_deleter.h"
#include "dubbing/dubbing_window.h"

namespace capsdub {

// "ダビング": dubs every selected row, in row-identity order, into its save folder; checks
// the free space before each capsule and, with "削除する" ticked, hands a capsule to
// `deleter` only when its dub is complete (no segment missing, unopened or cut short),
// passes the size check and reads back from disk exactly as it was copied. Errors of the copy end
// the job and leave it (after the window is made idle again) for the application's error display.
void ActionExportExecute(DubbingWindow& window, CapsuleDeleter& deleter);
// "一時停止": pauses the running job (waiting inside, keeping the window responsive) or,
// pressed during the pause, resumes it.
void ActionPauseExecute(DubbingWindow& window);
// Stop: asks the running job to stop at its next block.
void ActionSTOPExecute(DubbingWindow& window);
// Asks a save folder for every selected capsule (folder-browse dialog titled with the
// capsule's title) and warns when the chosen folder's drive lacks room; one entry per
// selected row, in row-identity order, each ending in "\" or empty.
std::vector<std::string> ChooseSaveFolders(DubbingWindow& window);
// Moves the save-folder text to the top of its drop-down history (at most 10 entries).
void AddSaveFolderToHistory(DubbingWindow& window);

// One capsule as a job would dub it.
struct PlannedDub {
  RowId row = 0;
  std::string output;  // the .mpg path it would get; empty when the name is taken (skipped)
  bool room = true;    // its drive has room for it after the dubs planned before it
};

// What ActionExportExecute would do, without copying, creating or deleting anything: the
// selected rows in the job's order with their save folders and output names, names already
// on disk and names the plan's earlier dubs take counted as taken, renumbered as the job
// renumbers them. The job's own errors of the save-folder list arise here too.
std::vector<PlannedDub> PlanExport(DubbingWindow& window);

// The size check before a deletion: the whole KB copied must exceed the catalogue size.
bool PassesSizeCheck(double copied_bytes, double catalogue_size);
// "ダビングサイズエラー 元 <size> > 結果 <copied KB>", each number grouped by `separator`
// and right-aligned in 10 characters.
std::string SizeErrorMessage(double catalogue_size, double copied_bytes,
                             const std::string& separator);
// "ダビング不完全エラー " and, one line each, the segments a dub lacks with what happened to
// them, in the words of the copy's status line ("<segment>が見つかりません." ...).
std::string IncompleteDubMessage(const std::vector<SegmentShortfall>& shortfalls);

}  // namespace capsdub
