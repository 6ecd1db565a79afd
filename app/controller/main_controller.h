// The controller side of the main window: creation, the single initial load and the hand-over
// to the command-line batch, the reload, the title-click sort, the dubbing actions, and the
// application-wide error display. Portable: the Win32 window and the tests' fake drive it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dubbing/capsule_deleter.h"
#include "ui/main_window_port.h"

namespace capsdub {

// How the controller reaches KAP.dll: loaded once at creation, used for every deletion.
class KapAccess {
 public:
  virtual ~KapAccess() = default;
  // True when the library was found and bound; may throw (a library lacking an entry).
  virtual bool Load() = 0;
  // The deleter of the job; without a loaded library it reports each capsule as failed.
  virtual CapsuleDeleter& Deleter() = 0;
};

// KAP.dll through LoadKapLibrary("") and KapCapsuleDeleter.
std::unique_ptr<KapAccess> MakeKapAccess();

// Settings file access for the sort state; the program uses the profile file, tests a fake.
class SortStateStore {
 public:
  virtual ~SortStateStore() = default;
  virtual void Load(Catalogue& catalogue) = 0;
  virtual void Save(const Catalogue& catalogue) = 0;
};

class MainController : public MainWindowEvents {
 public:
  // `arguments`: the program's command-line arguments (Shift-JIS, program name excluded).
  MainController(MainWindowPort& window, KapAccess& kap, SortStateStore& sort_state,
                 std::vector<std::string> arguments);

  // Window creation: sort state, KAP.dll (enables "削除する" when bound), Timer1. An error
  // ends it where it arose and goes to the error display; the timer then stays off.
  void FormCreate() override;
  // Each starts the initial load when it has not been started yet.
  void FormActivate() override;
  void Timer1Timer() override;
  // "表示更新": reads everything again and re-applies the sort. Refused while a load runs.
  void ActionRefreshExecute() override;
  // A column title was clicked: sort by its field (a new field descending, the same field
  // flipped).
  void TitleClick(const std::string& field) override;
  // "ダビング" (refused while a load runs), "一時停止", " 停　止 ", "コマンド".
  void ActionExportExecute() override;
  void ActionPauseExecute() override;
  void ActionSTOPExecute() override;
  void ActionHELPExecute() override;
  // The window is closing: asks running work to stop and saves the sort state.
  void FormClose() override;

  bool CatalogueLoaded() const { return catalogue_loaded_; }
  // A load, a job or the batch is running (the window defers its destruction meanwhile).
  bool Busy() const override { return busy_ > 0; }

 private:
  void LoadCatalogue();
  // Runs `step` and shows an error that escapes it; the display never throws back.
  template <typename Step>
  void Guarded(Step&& step);

  MainWindowPort& window_;
  KapAccess& kap_;
  SortStateStore& sort_state_;
  std::vector<std::string> arguments_;
  bool catalogue_loaded_ = false;
  bool loading_ = false;  // a load or refresh runs (it yields to the message loop)
  int busy_ = 0;
};

}  // namespace capsdub
