// What the dubbing job and the capsule copy need from the main window, beyond the status
// line, the message pump and the flags of WindowPort: the progress bar, the save-folder box
// with its history, the output form, the delete switch, the idle/busy switch, message boxes
// and the folder-browse dialog. The Win32 window, the console front end and the tests'
// recording fake implement it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tables.h"
#include "catalogue/window_port.h"
#include "dubbing/dub_check.h"
#include "dubbing/message_kinds.h"

namespace capsdub {

// Item index of the radio group ExportTo.
enum class OutputForm {
  kMpegFile = 0,         // "MPEGファイル形式": output named after the title
  kExternalCabinet = 1,  // "外部キャビネット形式": output named after the capsule number
};

class DubbingWindow : public WindowPort {
 public:
  // The catalogue tables the window shows; the job moves its current row and reads its
  // selection (Catalogue::Selection, ordered by row identity).
  virtual Catalogue& catalogue() = 0;

  // ProgressBar1.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Bytes copied (or, before a deletion, read back) so far for the running capsule, once per
  // block; for front ends that show more than the bar (the console shows bytes and rate).
  // Nothing by default.
  virtual void ShowCopiedBytes(double /*bytes*/) {}
  // Repaints the status bar at once.
  virtual void RepaintStatusBar() = 0;

  // PathMPEGSave: its text as typed, and its drop-down history (most recent first).
  virtual std::string SaveFolderText() const = 0;
  virtual void SetSaveFolderText(const std::string& text) = 0;
  virtual std::vector<std::string> SaveFolderHistory() const = 0;
  virtual void SetSaveFolderHistory(const std::vector<std::string>& history) = 0;

  virtual OutputForm ExportTo() const = 0;  // the radio group's item
  virtual bool CheckDelete() const = 0;     // "削除する" ticked
  // True when the program runs a command-line batch (no user to answer the job's questions
  // beyond the free-space box).
  virtual bool BatchMode() const = 0;

  // Enables the job-sensitive actions and controls for idle (true) or a running job (false),
  // then processes pending messages once.
  virtual void SetIdleState(bool idle) = 0;
  // Caption of ActionPause ("一時停止" or " 再 開 ").
  virtual void SetPauseCaption(std::string_view caption) = 0;
  // Display updates of the catalogue table: suspended for a job, resumed at its end; the
  // refresh after a job repaints the grid and shows the current row.
  virtual void SuspendCatalogueDisplay() = 0;
  virtual void ResumeCatalogueDisplay() = 0;
  virtual void RefreshCatalogueDisplay() = 0;

  // A modal message box with `icon` and `buttons`; returns the button pressed.
  virtual MessageButton ShowModalMessage(std::string_view text, MessageIcon icon,
                                         const std::vector<MessageButton>& buttons) = 0;
  // A message box without buttons, shown without waiting: the caller goes on at once.
  virtual void ShowMessageNoWait(std::string_view text, MessageIcon icon) = 0;
  // The folder-browse dialog: the chosen folder, or nullopt when cancelled.
  virtual std::optional<std::string> BrowseForFolder(std::string_view title,
                                                     std::string_view prompt,
                                                     std::string_view initial_folder) = 0;

  // Told after each capsule copy of a job: the row, the bytes copied and whether the copy was
  // stopped. Nothing by default; front ends that report per-capsule results use it.
  virtual void CapsuleDubbed(const CatalogueRow& /*row*/, double /*copied_bytes*/,
                             bool /*stopped*/) {}
  // Told after each capsule's size check (and, with "削除する", its read-back and deletion
  // request): segment files that did not reach the output whole, and the read-back's result.
  // Nothing by default.
  virtual void CapsuleChecked(const CatalogueRow& /*row*/, const DubCheck& /*check*/) {}
};

}  // namespace capsdub
