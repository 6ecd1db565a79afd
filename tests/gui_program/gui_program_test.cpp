// CapsDub.exe as a program of its own: a second start while one runs minimised, a start while
// another process holds the instance marker without a window, and the command-line batch
// against capsdub-cli's on the same sample data.
//
// Each test runs a copy of CapsDub.exe under a name of its own in a scratch folder: the
// program keeps its settings in the profile file named after itself, so the copy reads the
// host folder the test writes there and never touches CapsDub.INI. Every process a test starts
// is in a job object that is ended with the test, so nothing is left running even when a test
// fails or this program dies.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "tests/gui_program/program.h"
#include "tools/samplegen/sample_host.h"
#include "ui/text/text_utils.h"
#include "ui/win32/handles.h"

namespace capsdub {
namespace {

using namespace program_test;

// The files under `folder` by path relative to it, with their bytes.
std::map<std::wstring, std::string> FilesUnder(const fs::path& folder) {
  std::map<std::wstring, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[fs::relative(entry.path(), folder).wstring()] = bytes.str();
  }
  return files;
}

using Files = std::map<std::wstring, std::string>;

std::vector<std::string> Names(const Files& files) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(platform::WideToSjis(name));
  return names;
}

// The same file names with the same bytes; a difference is told by name, not by content.
void ExpectSameFiles(const Files& actual, const Files& expected, const char* what) {
  EXPECT_EQ(Names(actual), Names(expected)) << what;
  for (const auto& [name, bytes] : expected) {
    const auto it = actual.find(name);
    if (it != actual.end()) {
      EXPECT_TRUE(it->second == bytes) << what << ": " << platform::WideToSjis(name);
    }
  }
}

class GuiProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MainWindows().empty()) << "a main window of another program is open";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = fs::temp_directory_path() / (std::string("capsdub-gui-") + info->name() + "-" +
                                            std::to_string(GetCurrentProcessId()));
    fs::remove_all(scratch_);
    fs::create_directories(scratch_ / "bin");
    // The copy's name keys its profile file: one for these tests alone. tools/release-check.sh
    // names instead a CapsDub.exe unpacked from a release zip, run where it is.
    if (const wchar_t* shipped = _wgetenv(L"CAPSDUB_PROGRAM_UNDER_TEST"); shipped != nullptr) {
      program_ = shipped;
    } else {
      program_ = scratch_ / "bin" / "CapsDubProgramTest.exe";
      ASSERT_TRUE(CopyFileW(WindowsPath(CAPSDUB_GUI_EXE).c_str(), program_.c_str(), FALSE));
    }
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_GT(n, 0u);
    profile_ = fs::path(std::wstring(windows, n)) / program_.stem().wstring().append(L".INI");
    fs::remove(profile_);

    job_ = KillOnCloseJob();
    ASSERT_TRUE(job_);
  }

  void TearDown() override {
    programs_.clear();  // each closes its window or is ended
    if (job_) TerminateJobObject(job_.get(), 1);
    job_.reset();
    std::error_code ignored;
    fs::remove(profile_, ignored);
    fs::remove_all(scratch_, ignored);
  }

  // A sample host of ordinary capsules under `folder`, its Reel Keeper folder returned.
  std::wstring WriteSampleHost(const fs::path& folder) {
    const std::string root = platform::WideToSjis(folder.wstring());
    const std::string host = WithTrailingBackslash(root) + "Reel Keeper\\";
    samplegen::RandomOptions options;
    options.media = {root[0]};
    options.scale = samplegen::SizeScale::kSmall;
    options.special_cases = false;
    samplegen::WriteHost(host, samplegen::RandomHost(7, 12, options));
    return platform::SjisToWide(host);
  }

  // The program's host folder, where it keeps it: in its profile file.
  void SetHostFolder(const std::wstring& host) {
    ASSERT_TRUE(WritePrivateProfileStringW(L".\\CapsGrid.INI", L"PathReelKeeper_Text", host.c_str(),
                                           profile_.filename().c_str()));
  }

  Program& Start(const fs::path& exe, const std::vector<std::wstring>& arguments,
                 WORD show = SW_SHOWNORMAL, HANDLE output = nullptr) {
    programs_.push_back(std::make_unique<Program>(job_.get(), exe, arguments, show, output));
    return *programs_.back();
  }

  fs::path scratch_;
  fs::path program_;
  fs::path profile_;
  win32::KernelHandle job_;
  std::vector<std::unique_ptr<Program>> programs_;
};

TEST_F(GuiProgramTest, SecondStartRestoresTheMinimisedWindowAndEnds) {
  SetHostFolder(WriteSampleHost(scratch_ / "D"));
  Program& first = Start(program_, {}, SW_SHOWMINIMIZED);
  ASSERT_TRUE(first.started());
  HWND window = first.WaitForVisibleMainWindow(20000);
  ASSERT_NE(window, nullptr) << "the first start shows no main window";
  ASSERT_TRUE(WaitFor(5000, [&] { return IsIconic(window) != FALSE; }));

  const auto started = Clock::now();
  Program& second = Start(program_, {});
  ASSERT_TRUE(second.started());
  const std::optional<DWORD> code = second.WaitExit(10000);
  ASSERT_TRUE(code.has_value()) << "the second start did not end";
  EXPECT_EQ(*code, 0u);
  std::printf(
      "second start ended after %lld ms\n",
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count()));
  // The restore was sent and answered before the second start ended.
  EXPECT_TRUE(WaitFor(2000, [&] { return IsIconic(window) == FALSE; }));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(first.running());
  EXPECT_EQ(MainWindows(), std::vector<HWND>{window}) << "the second start opened a window";
}

TEST_F(GuiProgramTest, MarkerHeldWithoutWindowStillStarts) {
  SetHostFolder(WriteSampleHost(scratch_ / "D"));
  // Holds the marker "CapsDub" and shows nothing.
  Program& holder = Start(WindowsPath(RUNNING_INSTANCE_EXE), {L"CapsDub", L"--no-window"});
  ASSERT_TRUE(holder.started());
  ASSERT_TRUE(WaitFor(10000, [] {
    return win32::KernelHandle(OpenMutexW(SYNCHRONIZE, FALSE, L"CapsDub")).get() != nullptr;
  }));

  Program& program = Start(program_, {});
  ASSERT_TRUE(program.started());
  HWND window = program.WaitForVisibleMainWindow(20000);
  EXPECT_NE(window, nullptr) << "no main window while another process holds the marker";
  EXPECT_TRUE(program.running());
  EXPECT_TRUE(holder.running());
}

// The batch of the window and that of capsdub-cli with the same arguments, each on a fresh
// sample host written to the same place (its files name their own paths) and into the same
// save folder: the same files with the same bytes.
TEST_F(GuiProgramTest, BatchLeavesTheFilesOfTheCommandLineTool) {
  const std::vector<std::vector<std::wstring>> cases = {
      {L"/c:3"}, {L"/s:t", L"/c:4", L"/o"}, {L"/s:s-", L"/c:2"}};
  const fs::path data = scratch_ / "data";
  const fs::path out = data / "out";
  for (const std::vector<std::wstring>& options : cases) {
    std::wstring joined;
    for (const std::wstring& option : options) joined += option + L" ";
    SCOPED_TRACE(platform::WideToSjis(joined));
    std::vector<std::wstring> arguments = {out.wstring()};
    arguments.insert(arguments.end(), options.begin(), options.end());

    fs::remove_all(data);
    const std::wstring host = WriteSampleHost(data);
    const auto sample = FilesUnder(data);
    fs::create_directories(out);
    SetHostFolder(host);
    const auto started = Clock::now();
    Program& program = Start(program_, arguments);
    ASSERT_TRUE(program.started());
    // The dub takes a moment, then the batch waits five seconds and closes the window.
    const std::optional<DWORD> gui_code = program.WaitExit(60000);
    ASSERT_TRUE(gui_code.has_value()) << "the batch did not close the program";
    EXPECT_EQ(*gui_code, 0u);
    EXPECT_GE(Clock::now() - started, std::chrono::seconds(5))
        << "the batch closed before its five-second wait";
    const auto gui_files = FilesUnder(out);
    fs::remove_all(out);
    ExpectSameFiles(FilesUnder(data), sample, "the window's batch changed its host");

    fs::remove_all(data);
    ASSERT_EQ(WriteSampleHost(data), host);
    ExpectSameFiles(FilesUnder(data), sample, "the sample host is not written the same again");
    fs::create_directories(out);
    const fs::path log = scratch_ / "cli.log";
    std::string cli_text;
    std::optional<DWORD> cli_code;
    {
      SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
      win32::KernelHandle output(CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      std::vector<std::wstring> cli_arguments = {L"batch", L"--host", host};
      cli_arguments.insert(cli_arguments.end(), arguments.begin(), arguments.end());
      Program& tool = Start(WindowsPath(CAPSDUB_CLI_EXE), cli_arguments, SW_HIDE, output.get());
      ASSERT_TRUE(tool.started());
      cli_code = tool.WaitExit(60000);
    }
    std::ifstream log_in(log, std::ios::binary);
    cli_text.assign(std::istreambuf_iterator<char>(log_in), std::istreambuf_iterator<char>());
    ASSERT_TRUE(cli_code.has_value()) << "capsdub-cli did not end";
    EXPECT_EQ(*cli_code, 0u) << cli_text;
    const auto cli_files = FilesUnder(out);
    ASSERT_FALSE(cli_files.empty()) << cli_text;
    ExpectSameFiles(gui_files, cli_files, "the window's batch and capsdub-cli's differ");
  }
}

}  // namespace
}  // namespace capsdub
