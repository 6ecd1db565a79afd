// The dubbing window of capsdub-cli: status lines on standard error, a progress line with
// percentage, bytes and rate when standard error is a terminal, and the free-space question
// as a prompt (refused when there is no terminal to answer it). Ctrl+C asks for a stop. For
// the command-line batch, the usage box is printed on standard output and errors on standard
// error; closing the window is remembered.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dubbing/command_line.h"

namespace capsdub::cli {

class ConsoleWindow : public BatchWindow {
 public:
  struct Result {
    std::string number;
    double copied = 0;
    bool stopped = false;
    double catalogue_size = 0;
    DubCheck check;  // segments that did not reach the output whole, the read-back
  };

  ConsoleWindow();

  void set_save_folder(const std::string& folder) { save_folder_ = folder; }
  void set_output_form(OutputForm form) { form_ = form; }
  // --delete: the job deletes each dubbed capsule that passes the size check.
  void set_check_delete(bool check) { check_delete_ = check; }
  // The capsules the job copied, in its order.
  const std::vector<Result>& results() const { return results_; }
  // The batch showed an error / closed the window.
  bool error_shown() const { return error_shown_; }
  bool closed() const { return closed_; }

  Catalogue& catalogue() override { return catalogue_; }
  const Catalogue& table() const { return catalogue_; }
  void SetStatus(std::string_view text, Colour colour) override;
  void YieldToUi() override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void ShowCopiedBytes(double bytes) override;
  void RepaintStatusBar() override {}
  std::string SaveFolderText() const override { return save_folder_; }
  void SetSaveFolderText(const std::string& text) override { save_folder_ = text; }
  std::vector<std::string> SaveFolderHistory() const override { return history_; }
  void SetSaveFolderHistory(const std::vector<std::string>& history) override {
    history_ = history;
  }
  OutputForm ExportTo() const override { return form_; }
  bool CheckDelete() const override { return check_delete_; }
  // The console runs unattended like the command-line batch: a full drive is a question.
  bool BatchMode() const override { return true; }
  void SetIdleState(bool) override {}
  void SetPauseCaption(std::string_view) override {}
  void SuspendCatalogueDisplay() override {}
  void ResumeCatalogueDisplay() override {}
  void RefreshCatalogueDisplay() override {}
  MessageButton ShowModalMessage(std::string_view text, MessageIcon icon,
                                 const std::vector<MessageButton>& buttons) override;
  void ShowMessageNoWait(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> BrowseForFolder(std::string_view, std::string_view,
                                             std::string_view) override {
    return std::nullopt;  // the save folder is always given on the command line
  }
  void CapsuleDubbed(const CatalogueRow& row, double copied, bool stopped) override;
  void CapsuleChecked(const CatalogueRow& row, const DubCheck& check) override;

  std::string ApplicationTitle() const override;
  void ShowInformation(std::string_view text, std::string_view caption) override;
  void ShowAppException(std::string_view message) override;
  void SetExportTo(OutputForm form) override { form_ = form; }
  void SetCheckDelete(bool checked) override { check_delete_ = checked; }
  bool FolderExists(const std::string& path) const override;
  void CloseMainWindow() override { closed_ = true; }

 private:
  void ClearProgressLine();
  void DrawProgressLine();

  Catalogue catalogue_;
  std::string save_folder_;
  std::vector<std::string> history_;
  OutputForm form_ = OutputForm::kMpegFile;
  bool check_delete_ = false;
  bool terminal_ = false;    // standard error is a terminal
  bool line_shown_ = false;  // a progress line is on screen
  int position_ = 0;
  int drawn_position_ = -1;  // percentage of the progress line on screen
  double bytes_ = 0;
  std::uint64_t started_ms_ = 0;  // start of the running capsule copy
  std::uint64_t drawn_ms_ = 0;    // last redraw of the progress line
  std::vector<Result> results_;
  bool error_shown_ = false;
  bool closed_ = false;
};

}  // namespace capsdub::cli
