// The single-instance marker in one process and against another, and the restore of the
// running instance's minimised window, owned or not.
#include "app/gui/single_instance.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/win32/handles.h"

namespace capsdub {
namespace {

constexpr wchar_t kTitle[] = L"\u30AB\u30D7\u30B9\u30C0\u30D6";

std::string MarkerName(const char* what) {
  return std::string("CapsDubTest-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// A running_instance process (built beside this test), ended when this object goes away.
class RunningInstance {
 public:
  explicit RunningInstance(const std::string& marker, const wchar_t* options = L"") {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program(self);
    program.resize(program.rfind(L'\\') + 1);
    program += L"running_instance.exe";
    std::wstring command =
        L"\"" + program + L"\" " + std::wstring(marker.begin(), marker.end()) + L" " + options;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
      process_.reset(info.hProcess);
      process_id_ = info.dwProcessId;
      CloseHandle(info.hThread);
    }
  }
  ~RunningInstance() {
    if (!process_) return;
    // Only this process's own window is closed, never another test's.
    if (HWND form = OwnForm()) {
      PostMessageW(form, WM_CLOSE, 0, 0);
    } else {
      TerminateProcess(process_.get(), 0);
    }
    if (WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process_.get(), 1);
      WaitForSingleObject(process_.get(), 5000);
    }
  }
  bool started() const { return static_cast<bool>(process_); }

  // Waits (at most ten seconds) until the process holds the marker and, when `window`, shows
  // its own window minimised.
  bool WaitReady(const std::string& marker, bool window) const {
    const std::wstring name(marker.begin(), marker.end());
    for (int i = 0; i < 200; ++i) {
      win32::KernelHandle held(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
      HWND form = OwnForm();
      if (held && (!window || (form != nullptr && IsIconic(form)))) return true;
      Sleep(50);
    }
    return false;
  }

  // The window of class "TForm1" titled "カプスダブ" of this process (another process of the
  // same Wine server may show one too).
  HWND OwnForm() const {
    for (HWND form = FindWindowExW(nullptr, nullptr, L"TForm1", kTitle); form != nullptr;
         form = FindWindowExW(nullptr, form, L"TForm1", kTitle)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(form, &owner);
      if (owner == process_id_) return form;
    }
    return nullptr;
  }

 private:
  win32::KernelHandle process_;
  DWORD process_id_ = 0;
};

// Polls IsIconic until the window is restored or a few seconds have passed.
bool RestoredSoon(HWND window) {
  for (int i = 0; i < 100 && IsIconic(window); ++i) Sleep(50);
  return !IsIconic(window);
}

TEST(CheckSingleInstance, FirstCallMakesTheMarkerLaterCallsFindIt) {
  const std::string name = MarkerName("self");
  EXPECT_TRUE(CheckSingleInstance(name, 0));
  EXPECT_FALSE(CheckSingleInstance(name, 0));
  EXPECT_FALSE(CheckSingleInstance(name, 20));  // with a (short) random wait first
  // The marker stays although no handle is held by the caller.
  win32::KernelHandle held(
      OpenMutexW(SYNCHRONIZE, FALSE, std::wstring(name.begin(), name.end()).c_str()));
  EXPECT_TRUE(held);
}

TEST(CheckSingleInstance, AnotherProcessHoldingTheMarkerMakesItFalse) {
  const std::string name = MarkerName("other");
  RunningInstance other(name, L"--no-window");
  ASSERT_TRUE(other.started());
  ASSERT_TRUE(other.WaitReady(name, false));
  EXPECT_FALSE(CheckSingleInstance(name, 0));
  // The marker held but no main window: nothing to restore, the program starts normally.
  EXPECT_FALSE(RestoreRunningInstance());
}

TEST(RestoreRunningInstance, RestoresAMinimisedWindowWithoutOwner) {
  const std::string name = MarkerName("unowned");
  RunningInstance other(name);
  ASSERT_TRUE(other.started());
  ASSERT_TRUE(other.WaitReady(name, true));
  HWND form = other.OwnForm();
  EXPECT_FALSE(CheckSingleInstance(name, 0));
  EXPECT_TRUE(RestoreRunningInstance());
  EXPECT_TRUE(RestoredSoon(form));
}

TEST(RestoreRunningInstance, SendsTheRestoreToTheOwnerWindow) {
  const std::string name = MarkerName("owned");
  RunningInstance other(name, L"--owned");
  ASSERT_TRUE(other.started());
  ASSERT_TRUE(other.WaitReady(name, true));
  HWND form = other.OwnForm();
  ASSERT_NE(GetWindow(form, GW_OWNER), nullptr);
  EXPECT_TRUE(RestoreRunningInstance());
  // The form itself ignores the command; only its owner restores it.
  EXPECT_TRUE(RestoredSoon(form));
}

TEST(RestoreRunningInstance, NoWindowNoRestore) {
  ASSERT_EQ(FindWindowW(L"TForm1", kTitle), nullptr);
  EXPECT_FALSE(RestoreRunningInstance());
}

}  // namespace
}  // namespace capsdub
