// Shared pieces of the dubbing tests: a scratch folder reachable by Windows-form paths on
// both platforms, file helpers, Shift-JIS literals from UTF-8, and a recording fake of the
// dubbing window whose message pump can run scripted input (stop, pause) mid-copy.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dubbing/capsule_deleter.h"
#include "dubbing/command_line.h"
#include "dubbing/dubbing_window.h"
#include "tests/support/file_bytes.h"

namespace capsdub::testing {

// A fresh, empty folder, removed with everything in it at destruction. root() is its
// Windows-form path with a trailing backslash ("T:\" on POSIX through the drive table).
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& root() const { return root_; }
  char drive() const { return root_[0]; }
  // root() + relative, with the folder created when `relative` ends in "\".
  std::string Folder(const std::string& relative) const;

 private:
  std::string native_;  // the folder in the system's own form
  std::string root_;
};

// Shift-JIS bytes of a UTF-8 literal (fails the test when it does not convert).
std::string Sjis(const std::string& utf8);

bool Exists(const std::string& path);

// Writes `size` bytes of the deterministic stream keyed by `key` to `path` in 1 MB pieces.
void WriteStreamFile(const std::string& path, std::uint64_t size, const std::string& key);
// FNV-1a (the sample generator's ContentHash) of the files' bytes joined in order; missing
// files add nothing.
std::uint64_t HashFiles(const std::vector<std::string>& paths);
std::uint64_t HashFile(const std::string& path);

// The window as the job, the copy and the batch see it, recording everything they do.
class FakeWindow : public BatchWindow {
 public:
  struct Status {
    std::string text;
    Colour colour;
  };
  struct Modal {
    std::string text;
    MessageIcon icon;
    std::vector<MessageButton> buttons;
  };
  struct Notice {
    std::string text;
    MessageIcon icon;
  };
  struct Browse {
    std::string title;
    std::string prompt;
    std::string initial;
  };

  // Called from YieldToUi with the running count of yields (1 for the first): scripted input.
  std::function<void(FakeWindow&, int)> on_yield;
  // Answers of the dialogs, taken in order; a modal box without a scripted answer gets its
  // first button, a browse without one is cancelled.
  std::deque<MessageButton> modal_answers;
  std::function<std::optional<std::string>(FakeWindow&, int)> browse;  // call count from 1

  Catalogue table;
  std::string save_folder;
  std::vector<std::string> history;
  OutputForm form = OutputForm::kMpegFile;
  bool check_delete = false;
  bool batch = false;

  std::vector<Status> statuses;
  std::vector<int> positions;
  int yields = 0;
  std::vector<bool> idle_states;
  std::vector<std::string> captions;
  std::vector<Modal> modals;
  std::vector<Notice> notices;
  std::vector<Browse> browses;
  std::vector<std::string> events;  // "idle:0", "suspend", "resume", "refresh", "dub:<number>"
  struct Dubbed {
    std::string number;
    double copied;
    bool stopped;
  };
  std::vector<Dubbed> dubbed;
  std::vector<DubCheck> checks;  // what the job found out about each dubbed capsule

  // The batch's view: folders that exist (others do not), the programs it started, the boxes
  // it showed, the rows it selected, and how often it closed the window.
  std::set<std::string> folders;
  std::function<void(FakeWindow&, const std::string&)> on_run;  // scripted effect of a program
  std::vector<std::string> commands;
  std::string title = "CapsDub";
  struct Information {
    std::string text;
    std::string caption;
  };
  std::vector<Information> informations;
  std::vector<std::string> app_exceptions;
  std::vector<RowId> selected;
  int closes = 0;

  // The status texts in order.
  std::vector<std::string> StatusTexts() const;
  bool HasStatus(const std::string& text, Colour colour) const;

  Catalogue& catalogue() override { return table; }
  void SetStatus(std::string_view text, Colour colour) override;
  void YieldToUi() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override { positions.push_back(position); }
  void RepaintStatusBar() override { events.push_back("repaint"); }
  std::string SaveFolderText() const override { return save_folder; }
  void SetSaveFolderText(const std::string& text) override { save_folder = text; }
  std::vector<std::string> SaveFolderHistory() const override { return history; }
  void SetSaveFolderHistory(const std::vector<std::string>& h) override { history = h; }
  OutputForm ExportTo() const override { return form; }
  bool CheckDelete() const override { return check_delete; }
  bool BatchMode() const override { return batch; }
  void SetIdleState(bool idle) override;
  void SetPauseCaption(std::string_view caption) override { captions.emplace_back(caption); }
  void SuspendCatalogueDisplay() override { events.push_back("suspend"); }
  void ResumeCatalogueDisplay() override { events.push_back("resume"); }
  void RefreshCatalogueDisplay() override { events.push_back("refresh"); }
  MessageButton ShowModalMessage(std::string_view text, MessageIcon icon,
                                 const std::vector<MessageButton>& buttons) override;
  void ShowMessageNoWait(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> BrowseForFolder(std::string_view title, std::string_view prompt,
                                             std::string_view initial_folder) override;
  void CapsuleDubbed(const CatalogueRow& row, double copied, bool stopped) override;
  void CapsuleChecked(const CatalogueRow&, const DubCheck& check) override {
    checks.push_back(check);
  }

  std::string ApplicationTitle() const override { return title; }
  void ShowInformation(std::string_view text, std::string_view caption) override;
  void ShowAppException(std::string_view message) override;
  void SetExportTo(OutputForm f) override { form = f; }
  void SetCheckDelete(bool checked) override { check_delete = checked; }
  void SelectRow(RowId id) override;
  bool FolderExists(const std::string& path) const override { return folders.count(path) != 0; }
  void RunHidden(const std::string& command_line) override;
  void CloseMainWindow() override;
};

// A deleter that records the capsules it was asked to delete.
class RecordingDeleter : public CapsuleDeleter {
 public:
  std::vector<std::string> deleted;
  bool DeleteDubbedCapsule(const std::string& number, DubbingWindow&) override {
    deleted.push_back(number);
    return true;
  }
};

// Adds a catalogue row and returns its identity.
RowId AddRow(Catalogue& catalogue, const std::string& number, const std::string& title,
             double file_size);

}  // namespace capsdub::testing
