// The two sides of the main window: what the controller needs from the window beyond the
// batch's view of it (folder buttons, the delete switch's enabled state, the timer, the grid),
// and the events the window hands to the controller.
#pragma once

#include <string>

#include "dubbing/command_line.h"

namespace capsdub {

class MainWindowPort : public BatchWindow {
 public:
  // ButtonFolder and ButtonSaveFolder, disabled while the catalogue loads.
  virtual void EnableFolderButtons(bool enabled) = 0;
  // "削除する" may be ticked only when KAP.dll was loaded and bound.
  virtual void EnableCheckDelete(bool enabled) = 0;
  // Timer1: a tick every second from now on.
  virtual void StartTimer() = 0;
  // Empties the status line, keeping its colour.
  virtual void ClearStatusText() = 0;
  // The catalogue tables changed (a load or a sort): the grid shows them anew.
  virtual void CatalogueChanged() = 0;
};

// The window's events, handled by the controller. No handler throws: errors go to the
// application-wide error display.
class MainWindowEvents {
 public:
  virtual ~MainWindowEvents() = default;
  virtual void FormCreate() = 0;
  virtual void FormActivate() = 0;
  virtual void Timer1Timer() = 0;
  virtual void ActionRefreshExecute() = 0;
  virtual void TitleClick(const std::string& field) = 0;
  virtual void ActionExportExecute() = 0;
  virtual void ActionPauseExecute() = 0;
  virtual void ActionSTOPExecute() = 0;
  virtual void ActionHELPExecute() = 0;
  virtual void FormClose() = 0;
  // A load, a job or the batch is running: the window waits for it before it is destroyed.
  virtual bool Busy() const = 0;
};

}  // namespace capsdub
