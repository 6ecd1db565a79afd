// The main window TForm1: the settings panel (host folder, save folder with its history,
// output form, delete switch), the catalogue grid with the memo under it, the toolbar of
// seven actions, the progress bar and the owner-drawn status line. It implements the
// window interfaces the logic talks to and hands its events to the controller.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/grid/catalogue_grid.h"
#include "ui/grid/selection_status.h"
#include "ui/main_window_port.h"
#include "ui/win32/controls.h"
#include "ui/win32/handles.h"
#include "ui/win32/splitter.h"
#include "ui/win32/window.h"

namespace capsdub::ui {

// Child control and action identifiers.
enum ControlId : int {
  kPathReelKeeper = 1001,
  kButtonFolder,
  kButtonSaveFolder,
  kExportTo,  // the group frame
  kExportTo0,
  kExportTo1,
  kPathMPEGSave,
  kCheckDelete,
  kRxDBGrid1,
  kDBMemo1,
  kSplitter1,
  kToolBar1,
  kProgressBar1,
  kStatusBar1,
  kLabel1,
  kLabel2,
  kActionExport = 2001,
  kActionPause,
  kActionSTOP,
  kActionExit,
  kActionAbout,
  kActionRefresh,
  kActionHELP,
};

// Window placement and the stored control values, as the settings keep them.
struct MainWindowState {
  std::optional<WINDOWPLACEMENT> placement;
  std::string PathReelKeeper_Text = "D:\\Reel Keeper\\";
  int DBMemo1_Height = 89;
  int ExportTo_ItemIndex = 0;
  std::vector<std::string> PathMPEGSave_Items;
  std::string PathMPEGSave_Text;
  std::vector<GridColumnLayout> columns;
};

// Images of the window, from the program's resources.
struct MainWindowResources {
  HICON icon = nullptr;
  HBITMAP toolbar = nullptr;  // seven 16 x 16 images side by side, RGB(255, 0, 255) is clear
  HBITMAP folder = nullptr;   // 16 x 16 open folder, same mask colour
};

class TForm1 : public win32::Window, public MainWindowPort {
 public:
  TForm1();
  ~TForm1() override;

  void set_events(MainWindowEvents* events) { events_ = events; }
  // Command-line arguments were given: the job runs without a user.
  void set_batch_mode(bool batch) { batch_mode_ = batch; }
  // Called when the window is shown the first time (restores the settings) and when it may
  // close (saves them).
  void set_restore_settings(std::function<MainWindowState()> restore) {
    restore_settings_ = std::move(restore);
  }
  void set_save_settings(std::function<void(const MainWindowState&)> save) {
    save_settings_ = std::move(save);
  }
  // "About...": shows the About box.
  void set_about(std::function<void()> about) { about_ = std::move(about); }
  // The folder-browse dialog (the system's by default; tests put their own): the chosen
  // folder as the system names it, nullopt when cancelled.
  using FolderBrowser = std::function<std::optional<std::wstring>(
      std::string_view title, std::string_view prompt, std::string_view initial)>;
  void set_folder_browser(FolderBrowser browser) { browser_ = std::move(browser); }
  // When the selection line's adding up yields (tests make every row a turn).
  void set_selection_turns(SelectionTurns turns) { selection_turns_ = turns; }

  // Creates the window and its controls (hidden), then runs FormCreate.
  bool CreateMainWindow(const MainWindowResources& resources);
  // Shows the window the first time: restores the settings, then shows it.
  void ShowFirst(int show_command);

  // The values the settings keep, as they are now.
  MainWindowState CurrentState() const;
  void ApplyState(const MainWindowState& state);

  // For tests and the About box.
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  HWND toolbar() const { return toolbar_.hwnd(); }
  CatalogueGrid& grid() { return grid_; }
  const std::string& StatusText() const { return status_text_; }
  Colour StatusColor() const { return status_color_; }
  std::string StatusHint() const { return status_hint_; }
  bool ActionEnabled(int action) const;
  std::string ActionCaption(int action) const;
  // Selection status (recomputed after every click on a data row).
  bool UpdateSelectionStatus();

  // WindowPort, DubbingWindow, BatchWindow, MainWindowPort.
  void SetStatus(std::string_view text, Colour colour) override;
  void YieldToUi() override;
  Catalogue& catalogue() override { return catalogue_; }
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void RepaintStatusBar() override;
  std::string SaveFolderText() const override;
  void SetSaveFolderText(const std::string& text) override;
  std::vector<std::string> SaveFolderHistory() const override;
  void SetSaveFolderHistory(const std::vector<std::string>& history) override;
  OutputForm ExportTo() const override;
  bool CheckDelete() const override;
  bool BatchMode() const override { return batch_mode_; }
  void SetIdleState(bool idle) override;
  void SetPauseCaption(std::string_view caption) override;
  void SuspendCatalogueDisplay() override;
  void ResumeCatalogueDisplay() override;
  void RefreshCatalogueDisplay() override;
  MessageButton ShowModalMessage(std::string_view text, MessageIcon icon,
                                 const std::vector<MessageButton>& buttons) override;
  void ShowMessageNoWait(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> BrowseForFolder(std::string_view title, std::string_view prompt,
                                             std::string_view initial_folder) override;
  std::string ApplicationTitle() const override;
  void ShowInformation(std::string_view text, std::string_view caption) override;
  void ShowAppException(std::string_view message) override;
  void SetExportTo(OutputForm form) override;
  void SetCheckDelete(bool checked) override;
  void SelectRow(RowId id) override { grid_.SelectRow(id); }
  bool FolderExists(const std::string& path) const override;
  void CloseMainWindow() override;
  void EnableFolderButtons(bool enabled) override;
  void EnableCheckDelete(bool enabled) override;
  void StartTimer() override;
  void ClearStatusText() override;
  void CatalogueChanged() override;

 protected:
  bool OnMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) override;

 private:
  void CreateControls(const MainWindowResources& resources);
  void CreateToolBar(const MainWindowResources& resources);
  void AddTooltip(HWND control, const wchar_t* text);
  void LayoutControls();
  void OnCommand(int id, int code);
  void OnDrawStatus(const DRAWITEMSTRUCT& item);
  void ShowMemo();
  void ButtonFolderClick();
  void ButtonSaveFolderClick();
  // Whether the text of a folder box has a Shift-JIS form; when not, says so on the status
  // line in red.
  bool FolderTextUsable(int box);
  void SaveSettingsOnce();
  // Runs an event handler; a close asked for meanwhile is carried out once nothing runs.
  template <typename Handler>
  void Run(Handler&& handler);
  void DestroyWhenIdle();
  void SplitterDrag(int dy);
  // Whether a control of this window exists, and it and the controls it lies in are enabled.
  bool ControlUsable(HWND control) const;

  Catalogue catalogue_;
  CatalogueGrid grid_;
  MainWindowEvents* events_ = nullptr;
  bool batch_mode_ = false;
  std::function<MainWindowState()> restore_settings_;
  std::function<void(const MainWindowState&)> save_settings_;
  std::function<void()> about_;
  FolderBrowser browser_;
  SelectionTurns selection_turns_;

  win32::Font font_;                // ＭＳ Ｐゴシック, 12 pixels
  win32::Font status_font_;         // Tahoma, 11 pixels
  win32::ImageList images_;         // the toolbar's
  win32::ImageList images_folder_;  // the folder buttons'
  win32::Icon folder_icon_;
  win32::ToolBar toolbar_;
  win32::StatusBar status_bar_;
  win32::ProgressBar progress_;
  win32::WindowRef memo_;
  win32::HorizontalSplitter splitter_;
  win32::ToolTip tooltip_;
  int memo_height_ = 89;
  std::string status_text_;
  std::wstring status_wide_;           // status_text_ as drawn, the status panel's data
  bool selection_line_shown_ = false;  // the status line is the selection line
  Colour status_color_ = kColourWindowText;
  std::string status_hint_;
  int selection_status_count_ = 0;  // UpdateSelectionStatus calls begun, for nested ones
  bool shown_ = false;
  bool settings_saved_ = false;
  bool close_pending_ = false;
  bool destroying_ = false;
  int running_ = 0;  // event handlers on the stack
  bool activate_posted_ = false;
  // The control to give the keyboard back to after a job, or when the window is active again.
  HWND saved_focus_ = nullptr;
};

}  // namespace capsdub::ui
