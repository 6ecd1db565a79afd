// Start-up, loading and the action handlers of the main window.
#include "app/controller/main_controller.h"

#include <exception>
#include <utility>

#include "catalogue/scan.h"
#include "catalogue/sort.h"
#include "dubbing/dubbing_job.h"
#include "dubbing/kap_capsule_deleter.h"
#include "dubbing/messages.h"
#include "kapbinding/kap_library.h"
#include "platform/scope_guard.h"
#include "ui/text/sjis_literals.h"

namespace capsdub {
namespace {

constexpr char kLoadingText[] = "ビデオ一覧の取得中...";

class DllKapAccess : public KapAccess {
 public:
  bool Load() override {
    loaded_ = LoadKapLibrary("");
    return loaded_;
  }
  CapsuleDeleter& Deleter() override {
    if (!deleter_)
      deleter_ = std::make_unique<KapCapsuleDeleter>(loaded_ ? &KapLibraryEntries() : nullptr);
    return *deleter_;
  }

 private:
  bool loaded_ = false;
  std::unique_ptr<KapCapsuleDeleter> deleter_;
};

// Counts a running piece of work for as long as it is on the stack.
class BusyScope {
 public:
  explicit BusyScope(int& count) : count_(count) { ++count_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { --count_; }

 private:
  int& count_;
};

}  // namespace

std::unique_ptr<KapAccess> MakeKapAccess() {
  return std::make_unique<DllKapAccess>();
}

MainController::MainController(MainWindowPort& window, KapAccess& kap, SortStateStore& sort_state,
                               std::vector<std::string> arguments)
    : window_(window), kap_(kap), sort_state_(sort_state), arguments_(std::move(arguments)) {}

template <typename Step>
void MainController::Guarded(Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    window_.ShowAppException(e.what());
  } catch (...) {
    window_.ShowAppException(messages::kUnknownError);
  }
}

void MainController::FormCreate() {
  Guarded([&] {
    Catalogue& catalogue = window_.catalogue();
    catalogue.SortMarker = 1;
    sort_state_.Load(catalogue);
    if (kap_.Load()) window_.EnableCheckDelete(true);
    window_.StartTimer();
  });
}

void MainController::FormActivate() {
  if (catalogue_loaded_) return;
  catalogue_loaded_ = true;
  LoadCatalogue();
}

void MainController::Timer1Timer() {
  FormActivate();
}

void MainController::LoadCatalogue() {
  BusyScope busy(busy_);
  loading_ = true;
  Guarded([&] {
    const ScopeGuard buttons_again([&] {
      window_.NumberDuplicates = true;
      window_.EnableFolderButtons(true);
    });
    const ScopeFailGuard show_partial([&] {
      loading_ = false;
      // The rows read before the error are in the catalogue: the grid shows them.
      window_.CatalogueChanged();
    });
    window_.SetStatus(kLoadingText, kColourWindowText);
    window_.StopRequested = false;
    window_.EnableFolderButtons(false);
    capsdub::LoadCatalogue(window_.catalogue(), window_);
    window_.CatalogueChanged();
    window_.ClearStatusText();
    loading_ = false;
    window_.NumberDuplicates = false;
    if (!arguments_.empty()) {
      RunCommandLine(window_, kap_.Deleter(), arguments_);
      window_.CatalogueChanged();
    }
  });
}

void MainController::ActionRefreshExecute() {
  // A reload while one runs would rebuild the tables under it: refused.
  if (loading_) return;
  BusyScope busy(busy_);
  loading_ = true;
  Guarded([&] {
    // After an error too, the grid shows the rows read before it.
    const ScopeGuard loaded([&] {
      loading_ = false;
      window_.CatalogueChanged();
      window_.EnableFolderButtons(true);
    });
    window_.StopRequested = false;
    window_.EnableFolderButtons(false);
    capsdub::LoadCatalogue(window_.catalogue(), window_);
    SortCatalogue(window_.catalogue(), std::nullopt);
  });
}

void MainController::TitleClick(const std::string& field) {
  Guarded([&] {
    const ScopeGuard shown([&] { window_.CatalogueChanged(); });
    SortCatalogue(window_.catalogue(), field);
  });
}

void MainController::ActionExportExecute() {
  // A job started while a load yields would dub from tables being rebuilt under it: refused,
  // as a reload is.
  if (loading_) return;
  BusyScope busy(busy_);
  Guarded([&] { capsdub::ActionExportExecute(window_, kap_.Deleter()); });
}

void MainController::ActionPauseExecute() {
  BusyScope busy(busy_);
  Guarded([&] { capsdub::ActionPauseExecute(window_); });
}

void MainController::ActionSTOPExecute() {
  capsdub::ActionSTOPExecute(window_);
}

void MainController::ActionHELPExecute() {
  Guarded([&] { capsdub::ActionHELPExecute(window_); });
}

void MainController::FormClose() {
  window_.StopRequested = true;
  Guarded([&] { sort_state_.Save(window_.catalogue()); });
}

}  // namespace capsdub
