// CapsDub.exe: program start. One instance only; the main window, the message loop.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/controller/main_controller.h"
#include "platform/codepage.h"
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

class NoSortState : public SortStateStore {
 public:
  void Load(Catalogue&) override {}
  void Save(const Catalogue&) override {}
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  const std::vector<std::string> arguments = ProgramArguments();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  ui::TForm1 form;
  NoSortState sort_state;
  std::unique_ptr<KapAccess> kap = MakeKapAccess();
  MainController controller(form, *kap, sort_state, arguments);
  form.set_events(&controller);
  form.set_batch_mode(!arguments.empty());
  win32::SetExceptionSink([&form](const std::string& message) { form.ShowAppException(message); });
  ui::MainWindowResources resources;
  resources.icon = LoadIconW(instance, L"MAINICON");
  if (!form.CreateMainWindow(resources)) return 1;
  form.ShowFirst(show);
  const int code = win32::RunMessageLoop();
  win32::SetExceptionSink(nullptr);
  CoUninitialize();
  return code;
}
