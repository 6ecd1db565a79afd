// The dubbing job: save folders, the free-space check, the copy of each capsule, the size
// check and the deletion request; pause and stop.
#include "dubbing/dubbing_job.h"

#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

#include "catalogue/scan.h"
#include "dubbing/capsule_copy.h"
#include "dubbing/dub_utils.h"
#include "dubbing/dub_verification.h"
#include "dubbing/messages.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/scope_guard.h"
#include "ui/text/sjis.h"
#include "ui/text/text_utils.h"

namespace capsdub {

namespace {

std::vector<RowId> SelectedRows(const Catalogue& catalogue) {
  // The selection set is ordered by row identity, the order in which the scan added rows.
  return std::vector<RowId>(catalogue.Selection.begin(), catalogue.Selection.end());
}

// The free space of the drive of a save-folder entry (a folder ending in "\", or empty for the
// current directory), measured with the folder made the current directory. The previous current
// directory comes back when the measurement goes out of scope, unless KeepFolderCurrent().
class FreeSpaceMeasurement {
 public:
  explicit FreeSpaceMeasurement(const std::string& entry) {
    const std::string folder = WithoutTrailingSeparator(entry);
    if (!folder.empty()) platform::SetCurrentDirectory(folder);
    free_bytes_ = platform::FreeBytes(platform::CurrentDirectory());
  }

  // True when the drive has room for `size` KB beyond `planned` KB already promised to other
  // capsules. A drive whose free space cannot be had is not refused.
  bool HasRoomFor(double size, double planned = 0) const {
    return !free_bytes_ || static_cast<double>(*free_bytes_) / 1024 - planned >= size;
  }
  void KeepFolderCurrent() { previous_.Keep(); }

 private:
  platform::CurrentDirectoryRestorer previous_;
  std::optional<std::uint64_t> free_bytes_;
};

// Compares the free space of the drive of `entry` with `catalogue_size` KB; the save folder
// stays the current directory when `keep_on_refusal` and the room is short.
bool HasRoom(const std::string& entry, double catalogue_size, bool keep_on_refusal) {
  FreeSpaceMeasurement measurement(entry);
  const bool enough = measurement.HasRoomFor(catalogue_size);
  if (!enough && keep_on_refusal) measurement.KeepFolderCurrent();
  return enough;
}

// The save folder list of a job: the typed folder for every capsule, the folders chosen per
// capsule in interactive use, or (batch mode without a folder) an empty list.
std::vector<std::string> SaveFolders(DubbingWindow& window, std::size_t count) {
  std::vector<std::string> folders;
  const std::string typed = window.SaveFolderText();
  if (!TrimSpaces(typed).empty()) {
    folders.assign(count, WithTrailingBackslash(typed));
  } else if (!window.BatchMode()) {
    folders = ChooseSaveFolders(window);
  }
  return folders;
}

const std::string& FolderEntry(const std::vector<std::string>& folders, std::size_t p) {
  // In batch mode without a save folder the list stays empty, and the first capsule fails.
  if (p >= folders.size()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(p) + ")");
  }
  return folders[p];
}

// After a capsule's copy: with "削除する" ticked, a complete dub that passes the size check is
// read back and, only when it reads back as written, deleted; any other dub gets the size
// error box. Returns what the window is told.
DubCheck CheckAndDelete(DubbingWindow& window, CapsuleDeleter& deleter, const CatalogueRow& capsule,
                        const CapsuleCopy& copy, bool stopped) {
  DubCheck check;
  check.shortfalls = copy.shortfalls;
  if (!window.CheckDelete()) return check;
  // A dub that lacks a piece can still pass the size check, which counts media and index
  // bytes together: a missing, unopened or shortened segment alone keeps the capsule, and the
  // box names what is missing instead of comparing sizes that may well pass.
  if (!stopped && !check.complete()) {
    window.ShowMessageNoWait(IncompleteDubMessage(check.shortfalls), MessageIcon::kError);
    return check;
  }
  if (stopped || !PassesSizeCheck(copy.total, capsule.FileSize)) {
    window.ShowMessageNoWait(
        SizeErrorMessage(capsule.FileSize, copy.total, platform::ThousandsSeparator()),
        MessageIcon::kError);
    return check;
  }
  check.verification = VerifyDub(window, copy, capsule.Title);
  if (check.verification == Verification::kMatch) {
    check.deletion_requested = true;
    deleter.DeleteDubbedCapsule(capsule.FileName, window);
  } else if (check.verification == Verification::kMismatch) {
    window.ShowMessageNoWait(std::string(messages::kVerifyError) + copy.mpg.path,
                             MessageIcon::kError);
  }
  // Stopped during the read-back: nothing deleted, the files stay; the job ends next.
  return check;
}

// A path as the file system compares names: ASCII letters folded, double-byte characters
// (whose second byte may be a letter) kept.
std::string FoldedPath(const std::string& path) {
  std::string folded;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t n = CharLengthAt(path, i);
    if (n == 1 && path[i] >= 'a' && path[i] <= 'z') {
      folded += static_cast<char>(path[i] - 'a' + 'A');
    } else {
      folded.append(path, i, n);
    }
    i += n;
  }
  return folded;
}

// Steps through the selection; returns normally after the last capsule or a stop, and false
// when the free-space check ended the job.
bool DubSelection(DubbingWindow& window, CapsuleDeleter& deleter) {
  Catalogue& catalogue = window.catalogue();
  const std::vector<RowId> selection = SelectedRows(catalogue);

  const std::vector<std::string> folders = SaveFolders(window, selection.size());

  std::vector<std::string> media;
  std::vector<std::string> index;
  for (std::size_t p = 0; p < selection.size() && !window.StopRequested; ++p) {
    catalogue.CurrentRow = selection[p];
    const CatalogueRow* found = catalogue.Table1.FindById(selection[p]);
    if (found == nullptr) continue;  // the grid only selects rows of the table
    const CatalogueRow capsule = *found;
    GetSegmentLists(capsule.FileName, media, index, catalogue, window);

    const std::string& folder = FolderEntry(folders, p);
    const std::string previous_directory = platform::CurrentDirectory();
    if (!HasRoom(folder, capsule.FileSize, true)) {
      // The job ends with the save folder left as the current directory.
      if (!window.BatchMode()) return false;
      const MessageButton answer =
          window.ShowModalMessage(messages::kDiskTooSmall, MessageIcon::kError,
                                  {MessageButton::kCancel, MessageButton::kIgnore});
      if (answer != MessageButton::kIgnore) return false;
      platform::SetCurrentDirectory(previous_directory);
    }

    const std::string proposed = folder + TitleToFileName(capsule.Title) + ".mpg";
    // The copy hashes what it reads only when a deletion may follow.
    const CapsuleCopy copy = CopyCapsule(window, media, index, proposed, capsule.FileSize,
                                         capsule.FileName, window.CheckDelete());
    const bool stopped = window.StopRequested;
    window.CapsuleDubbed(capsule, copy.total, stopped);
    window.CapsuleChecked(capsule, CheckAndDelete(window, deleter, capsule, copy, stopped));
    window.YieldToUi();
  }
  return true;
}

}  // namespace

std::vector<PlannedDub> PlanExport(DubbingWindow& window) {
  Catalogue& catalogue = window.catalogue();
  const std::vector<RowId> selection = SelectedRows(catalogue);
  const std::vector<std::string> folders = SaveFolders(window, selection.size());
  std::vector<PlannedDub> plan;
  std::set<std::string> planned;             // folded .mpg paths the plan writes
  std::map<std::string, double> planned_kb;  // per save folder, the KB planned so far
  const PathTaken taken = [&](const std::string& path) {
    return planned.count(FoldedPath(path)) != 0 || platform::FileExists(path);
  };
  for (std::size_t p = 0; p < selection.size() && !window.StopRequested; ++p) {
    const CatalogueRow* row = catalogue.Table1.FindById(selection[p]);
    if (row == nullptr) continue;
    const std::string& folder = FolderEntry(folders, p);
    PlannedDub dub;
    dub.row = row->id;
    double& before = planned_kb[folder];
    dub.room = FreeSpaceMeasurement(folder).HasRoomFor(row->FileSize, before);
    const std::string proposed = folder + TitleToFileName(row->Title) + ".mpg";
    if (const auto output = ChooseOutputPath(window, proposed, row->FileName, taken)) {
      dub.output = *output;
      planned.insert(FoldedPath(*output));
      before += row->FileSize;
    }
    plan.push_back(dub);
  }
  return plan;
}

bool PassesSizeCheck(double copied_bytes, double catalogue_size) {
  return std::trunc(copied_bytes / 1024) > catalogue_size;
}

std::string SizeErrorMessage(double catalogue_size, double copied_bytes,
                             const std::string& separator) {
  return std::string(messages::kSizeError) + messages::kSizeOriginal +
         FormatThousands(catalogue_size, separator, 10) + messages::kSizeResult +
         FormatThousands(copied_bytes / 1024, separator, 10);
}

std::string IncompleteDubMessage(const std::vector<SegmentShortfall>& shortfalls) {
  std::string text = messages::kIncompleteError;
  const char* separator = "";
  for (const SegmentShortfall& s : shortfalls) {
    text += separator + s.path;
    separator = "\r\n";
    switch (s.fault) {
      case SegmentFault::kMissing:
        text += messages::kNotFound;
        break;
      case SegmentFault::kNotOpened:
        text += messages::kCannotOpen;
        break;
      case SegmentFault::kShortened:
        text += messages::kShortened;
        break;
    }
  }
  return text;
}

void ActionExportExecute(DubbingWindow& window, CapsuleDeleter& deleter) {
  window.StopRequested = false;
  AddSaveFolderToHistory(window);
  window.SetIdleState(false);
  const ScopeGuard idle_again([&] { window.SetIdleState(true); });
  window.SuspendCatalogueDisplay();
  const ScopeGuard display_again([&] { window.ResumeCatalogueDisplay(); });
  if (DubSelection(window, deleter)) {
    Catalogue& catalogue = window.catalogue();
    window.RefreshCatalogueDisplay();
    catalogue.SelectionAnchor = catalogue.CurrentRow;
  }
}

void ActionPauseExecute(DubbingWindow& window) {
  if (window.PauseRequested) {
    window.PauseRequested = false;
    window.SetPauseCaption(messages::kPauseCaption);
    return;
  }
  window.PauseRequested = true;
  window.SetPauseCaption(messages::kResumeCaption);
  // A second press runs this handler again from inside YieldToUi and ends the wait; a stop
  // ends it too but leaves the pause set, to be cleared by the next press.
  while (window.PauseRequested && !window.StopRequested) {
    window.YieldToUi();
    platform::SleepMs(100);
  }
}

void ActionSTOPExecute(DubbingWindow& window) {
  window.StopRequested = true;
}

std::vector<std::string> ChooseSaveFolders(DubbingWindow& window) {
  Catalogue& catalogue = window.catalogue();
  const std::vector<RowId> selection = SelectedRows(catalogue);
  std::vector<std::string> folders;
  folders.reserve(selection.size());
  for (std::size_t p = 0; p < selection.size(); ++p) {
    catalogue.CurrentRow = selection[p];
    const CatalogueRow* row = catalogue.Table1.FindById(selection[p]);
    const std::string title = row != nullptr ? row->Title : std::string();
    const double size = row != nullptr ? row->FileSize : 0;
    std::string entry;
    for (;;) {
      const std::optional<std::string> chosen =
          window.BrowseForFolder(title, messages::kChooseSaveFolder, window.SaveFolderText());
      if (chosen) {
        entry = WithTrailingBackslash(*chosen);
      } else {
        entry = p > 0 ? folders[p - 1] : std::string();
      }
      if (HasRoom(entry, size, false)) break;
      const MessageButton answer =
          window.ShowModalMessage(messages::kDiskTooSmall, MessageIcon::kWarning,
                                  {MessageButton::kRetry, MessageButton::kIgnore});
      if (answer != MessageButton::kRetry) break;
    }
    folders.push_back(entry);
    window.YieldToUi();
  }
  return folders;
}

void AddSaveFolderToHistory(DubbingWindow& window) {
  const std::string text = window.SaveFolderText();
  if (text.empty()) return;
  std::vector<std::string> history = window.SaveFolderHistory();
  for (auto it = history.begin(); it != history.end(); ++it) {
    if (*it == text) {
      history.erase(it);
      break;
    }
  }
  history.insert(history.begin(), text);
  constexpr std::size_t kMaxHistory = 10;
  if (history.size() > kMaxHistory) history.erase(history.begin() + kMaxHistory);
  window.SetSaveFolderHistory(history);
  window.SetSaveFolderText(text);
}

}  // namespace capsdub
