// The window base: a window or modeless dialog whose class leaves its destruction to the base
// goes away with the object, and its last messages reach no handler of the object being
// destroyed (a call through the base's pure handler slot faults; the system swallows the
// fault inside the window procedure, so the test watches for it); an error without a message.
#include "ui/win32/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "ui/win32/dialog_template.h"

namespace capsdub {
namespace {

std::vector<UINT> g_handled;  // messages the test classes' handlers saw
LONG g_faults = 0;            // exceptions raised in this process while a test watches

LONG CALLBACK CountFault(EXCEPTION_POINTERS*) {
  InterlockedIncrement(&g_faults);
  return EXCEPTION_CONTINUE_SEARCH;
}

// Counts the exceptions raised while it lives.
class FaultWatch {
 public:
  FaultWatch() : handler_(AddVectoredExceptionHandler(1, &CountFault)) { g_faults = 0; }
  FaultWatch(const FaultWatch&) = delete;
  FaultWatch& operator=(const FaultWatch&) = delete;
  ~FaultWatch() { RemoveVectoredExceptionHandler(handler_); }
  LONG faults() const { return g_faults; }

 private:
  void* handler_;
};

class LeavesItToTheBase : public win32::Window {
 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
    g_handled.push_back(message);
    return false;
  }
};

class DialogLeavesItToTheBase : public win32::Dialog {
 protected:
  bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
    g_handled.push_back(message);
    return false;
  }
};

TEST(WindowBase, DestroysTheWindowOfAClassThatDoesNot) {
  HWND hwnd = nullptr;
  FaultWatch watch;
  {
    LeavesItToTheBase window;
    ASSERT_TRUE(window.Create(L"CapsDubWindowBaseTest", L"base", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200,
                              100, nullptr));
    hwnd = window.hwnd();
    g_handled.clear();
  }
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(g_handled.empty());
  EXPECT_EQ(watch.faults(), 0);
}

TEST(WindowBase, DestroysAModelessDialogOfAClassThatDoesNot) {
  win32::DialogTemplate layout(WS_POPUP | WS_CAPTION, 0, 120, 60, L"base");
  HWND hwnd = nullptr;
  FaultWatch watch;
  {
    DialogLeavesItToTheBase dialog;
    ASSERT_TRUE(dialog.CreateModeless(layout.get(), nullptr));
    hwnd = dialog.hwnd();
    g_handled.clear();
  }
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(g_handled.empty());
  EXPECT_EQ(watch.faults(), 0);
}

TEST(WindowBase, AnErrorWithoutAMessageIsToldInJapanese) {
  std::string told;
  win32::SetExceptionSink([&](const std::string& message) { told = message; });
  try {
    throw 1;
  } catch (...) {
    win32::ReportCurrentException();
  }
  win32::SetExceptionSink(nullptr);
  EXPECT_EQ(told, platform::WideToSjis(L"不明なエラーが発生しました。"));
}

}  // namespace
}  // namespace capsdub
