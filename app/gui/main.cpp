// CapsDub.exe: program start. One instance only; the main window, the message loop.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/controller/main_controller.h"
#include "app/gui/resources/resource_ids.h"
#include "app/gui/settings_binding.h"
#include "app/gui/single_instance.h"
#include "app/settings/form_settings.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "ui/about/about_form.h"
#include "ui/main_window.h"

namespace {

using namespace capsdub;

// The program's arguments in Shift-JIS, split by the run-time's rule, program name excluded.
std::vector<std::string> ProgramArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (argv == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(platform::WideToSjis(argv[i]));
  LocalFree(argv);
  return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // A second start restores the running instance's window and ends; while that window
  // cannot be found (it is still starting), this one starts normally.
  if (!CheckSingleInstance("CapsDub") && RestoreRunningInstance()) return 0;
  const std::vector<std::string> arguments = ProgramArguments();
  const std::string settings_file = SettingsFileName(platform::ProgramPath());
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  ui::TForm1 form;
  ProfileSortState sort_state(settings_file);
  std::unique_ptr<KapAccess> kap = MakeKapAccess();
  MainController controller(form, *kap, sort_state, arguments);
  form.set_events(&controller);
  form.set_batch_mode(!arguments.empty());
  form.set_restore_settings([&] { return ReadWindowSettings(settings_file); });
  form.set_save_settings(
      [&](const ui::MainWindowState& state) { WriteWindowSettings(settings_file, state); });
  win32::SetExceptionSink([&form](const std::string& message) { form.ShowAppException(message); });
  ui::MainWindowResources resources;
  resources.icon = LoadIconW(instance, L"MAINICON");
  win32::Bitmap toolbar(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_TOOLBAR),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  win32::Bitmap folder(static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_FOLDER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  resources.toolbar = toolbar.get();
  resources.folder = folder.get();
  if (!form.CreateMainWindow(resources)) return 1;
  TAboutForm about;
  about.Create(form.hwnd());
  form.set_about([&about] { about.Show(); });
  form.ShowFirst(show);
  const int code = win32::RunMessageLoop();
  win32::SetExceptionSink(nullptr);
  CoUninitialize();
  return code;
}
