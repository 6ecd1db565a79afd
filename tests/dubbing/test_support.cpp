// Scratch folders, file helpers and the recording fake window of the dubbing tests.
#include "tests/dubbing/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>

#include <cstdlib>
#endif

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix_paths.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub::testing {

namespace {
std::atomic<int> scratch_counter{0};
}  // namespace

ScratchFolder::ScratchFolder() {
  const int n = scratch_counter++;
#ifdef _WIN32
  std::filesystem::path base =
      std::filesystem::temp_directory_path() /
      (std::to_string(_getpid()) + "-" + std::to_string(n) + "-capsdub-dub");
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base);
  native_ = base.string();
  root_ = native_;
  for (char& c : root_) {
    if (c == '/') c = '\\';
  }
  if (root_.back() != '\\') root_ += '\\';
#else
  std::string pattern = (std::filesystem::temp_directory_path() / "capsdub-dub-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  native_ = pattern;
  // Drive letters J to Y, one per live folder, so that paths have the Windows form.
  const char letter = static_cast<char>('J' + n % 16);
  platform::SetDriveFolder(letter, native_);
  root_ = std::string(1, letter) + ":\\";
#endif
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(native_, ignored);
}

std::string ScratchFolder::Folder(const std::string& relative) const {
  const std::string path = root_ + relative;
  if (!path.empty() && path.back() == '\\') platform::CreateFolders(path);
  return path;
}

std::string Sjis(const std::string& utf8) {
  const std::optional<std::string> sjis = platform::Utf8ToSjis(utf8);
  EXPECT_TRUE(sjis.has_value()) << utf8;
  return sjis.value_or("");
}

bool Exists(const std::string& path) {
  return platform::FileExists(path);
}

void WriteStreamFile(const std::string& path, std::uint64_t size, const std::string& key) {
  samplegen::SegmentContentStream stream(7, key);
  platform::File file = platform::File::Create(path, platform::ShareMode::kReadWrite);
  constexpr std::size_t kPiece = 1 << 20;
  auto buffer = std::make_unique<char[]>(kPiece);
  std::uint64_t left = size;
  while (left > 0) {
    const std::size_t n = left < kPiece ? static_cast<std::size_t>(left) : kPiece;
    stream.Fill(buffer.get(), n);
    file.Write(buffer.get(), n);
    left -= n;
  }
  file.Close();
}

std::uint64_t HashFiles(const std::vector<std::string>& paths) {
  samplegen::ContentHash hash;
  constexpr std::size_t kPiece = 1 << 20;
  auto buffer = std::make_unique<char[]>(kPiece);
  for (const std::string& path : paths) {
    platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
    if (!file.is_open()) continue;
    for (;;) {
      const std::size_t got = file.Read(buffer.get(), kPiece);
      if (got == 0) break;
      hash.Update(buffer.get(), got);
    }
  }
  return hash.value();
}

std::uint64_t HashFile(const std::string& path) {
  return HashFiles({path});
}

std::vector<std::string> FakeWindow::StatusTexts() const {
  std::vector<std::string> texts;
  for (const Status& s : statuses) texts.push_back(s.text);
  return texts;
}

bool FakeWindow::HasStatus(const std::string& text, Colour colour) const {
  for (const Status& s : statuses) {
    if (s.text == text && s.colour == colour) return true;
  }
  return false;
}

void FakeWindow::SetStatus(std::string_view text, Colour colour) {
  statuses.push_back({std::string(text), colour});
}

void FakeWindow::YieldToUi() {
  ++yields;
  if (on_yield) on_yield(*this, yields);
}

void FakeWindow::SetProgressRange(int minimum, int maximum) {
  std::string event = "range:";
  event += std::to_string(minimum);
  event += '-';
  event += std::to_string(maximum);
  events.push_back(event);
}

void FakeWindow::SetIdleState(bool idle) {
  idle_states.push_back(idle);
  events.push_back(idle ? "idle:1" : "idle:0");
}

MessageButton FakeWindow::ShowModalMessage(std::string_view text, MessageIcon icon,
                                           const std::vector<MessageButton>& buttons) {
  modals.push_back({std::string(text), icon, buttons});
  events.push_back("modal");
  if (!modal_answers.empty()) {
    const MessageButton answer = modal_answers.front();
    modal_answers.pop_front();
    return answer;
  }
  return buttons.empty() ? MessageButton::kOk : buttons.front();
}

void FakeWindow::ShowMessageNoWait(std::string_view text, MessageIcon icon) {
  notices.push_back({std::string(text), icon});
  events.push_back("notice");
}

std::optional<std::string> FakeWindow::BrowseForFolder(std::string_view title,
                                                       std::string_view prompt,
                                                       std::string_view initial_folder) {
  browses.push_back({std::string(title), std::string(prompt), std::string(initial_folder)});
  events.push_back("browse");
  if (browse) return browse(*this, static_cast<int>(browses.size()));
  return std::nullopt;
}

void FakeWindow::CapsuleDubbed(const CatalogueRow& row, double copied, bool stopped) {
  dubbed.push_back({row.FileName, copied, stopped});
  events.push_back("dub:" + row.FileName);
}

void FakeWindow::ShowInformation(std::string_view text, std::string_view caption) {
  informations.push_back({std::string(text), std::string(caption)});
  events.push_back("information");
}

void FakeWindow::ShowAppException(std::string_view message) {
  app_exceptions.emplace_back(message);
  events.push_back("exception");
}

void FakeWindow::SelectRow(RowId id) {
  selected.push_back(id);
  BatchWindow::SelectRow(id);
}

void FakeWindow::RunHidden(const std::string& command_line) {
  commands.push_back(command_line);
  if (on_run) on_run(*this, command_line);
}

void FakeWindow::CloseMainWindow() {
  ++closes;
  events.push_back("close");
}

RowId AddRow(Catalogue& catalogue, const std::string& number, const std::string& title,
             double file_size) {
  CatalogueRow row;
  row.FileName = number;
  row.Title = title;
  row.FileSize = file_size;
  return catalogue.Table1.Append(row);
}

}  // namespace capsdub::testing
