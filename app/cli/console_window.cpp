// The console form of the dubbing window.
#include "app/cli/console_window.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define CAPSDUB_ISATTY _isatty
#define CAPSDUB_FILENO _fileno
#else
#include <unistd.h>
#define CAPSDUB_ISATTY isatty
#define CAPSDUB_FILENO fileno
#endif

#include "app/cli/command_registry.h"
#include "dubbing/dub_utils.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "ui/text/sjis_literals.h"

namespace capsdub::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnDubInterrupt(int) {
  g_interrupted = 1;
}

bool IsTerminal(FILE* stream) {
  return CAPSDUB_ISATTY(CAPSDUB_FILENO(stream)) != 0;
}

const char* ButtonName(MessageButton button) {
  switch (button) {
    case MessageButton::kOk:
      return "[o]k";
    case MessageButton::kCancel:
      return "[c]ancel";
    case MessageButton::kRetry:
      return "[r]etry";
    case MessageButton::kIgnore:
      return "[i]gnore";
  }
  return "";
}

char ButtonKey(MessageButton button) {
  return ButtonName(button)[1];
}

}  // namespace

ConsoleWindow::ConsoleWindow() : terminal_(IsTerminal(stderr)) {
  std::signal(SIGINT, OnDubInterrupt);
}

void ConsoleWindow::ClearProgressLine() {
  if (!line_shown_) return;
  std::fprintf(stderr, "\r%79s\r", "");
  std::fflush(stderr);
  line_shown_ = false;
}

void ConsoleWindow::DrawProgressLine() {
  if (!terminal_) return;
  const std::uint64_t now = platform::MonotonicMs();
  // At most five redraws a second, unless the percentage changed.
  if (line_shown_ && now - drawn_ms_ < 200 && position_ == drawn_position_) return;
  drawn_ms_ = now;
  drawn_position_ = position_;
  constexpr int kWidth = 30;
  const int filled = position_ * kWidth / 100;
  const double seconds = static_cast<double>(now - started_ms_) / 1000;
  const double rate = seconds > 0 ? bytes_ / seconds / 1e6 : 0;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kWidth, '.');
  std::fprintf(stderr, "\r[%s] %3d%%  %s bytes  %.1f MB/s  ", bar.c_str(), position_,
               FormatThousands(bytes_, ",").c_str(), rate);
  std::fflush(stderr);
  line_shown_ = true;
}

void ConsoleWindow::SetStatus(std::string_view text, Colour colour) {
  ClearProgressLine();
  if (text.empty()) return;
  PrintErr(std::string(colour == kColourRed ? "error: " : "") + std::string(text) + "\n");
}

void ConsoleWindow::YieldToUi() {
  if (g_interrupted) StopRequested = true;
}

void ConsoleWindow::SetProgressRange(int, int) {
  started_ms_ = platform::MonotonicMs();
  bytes_ = 0;
}

void ConsoleWindow::SetProgressPosition(int position) {
  // Drawn with the byte count that follows it.
  position_ = position;
  if (position == 0) ClearProgressLine();
}

void ConsoleWindow::ShowCopiedBytes(double bytes) {
  bytes_ = bytes;
  DrawProgressLine();
}

MessageButton ConsoleWindow::ShowModalMessage(std::string_view text, MessageIcon,
                                              const std::vector<MessageButton>& buttons) {
  ClearProgressLine();
  PrintErr(std::string(text) + "\n");
  // Without a terminal to answer, the question is refused: Cancel when offered.
  MessageButton refusal = buttons.empty() ? MessageButton::kOk : buttons.front();
  for (MessageButton b : buttons) {
    if (b == MessageButton::kCancel) refusal = b;
  }
  if (!IsTerminal(stdin) || !terminal_) {
    std::fprintf(stderr, "(no terminal to answer: %s)\n", ButtonName(refusal));
    return refusal;
  }
  for (;;) {
    std::string prompt;
    for (MessageButton b : buttons)
      prompt += std::string(prompt.empty() ? "" : " / ") + ButtonName(b);
    std::fprintf(stderr, "%s? ", prompt.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return refusal;
    if (answer.empty()) continue;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    for (MessageButton b : buttons) {
      if (ButtonKey(b) == key) return b;
    }
  }
}

void ConsoleWindow::ShowMessageNoWait(std::string_view text, MessageIcon icon) {
  ClearProgressLine();
  PrintErr(std::string(icon == MessageIcon::kError ? "error: " : "") + std::string(text) + "\n");
}

void ConsoleWindow::CapsuleDubbed(const CatalogueRow& row, double copied, bool stopped) {
  results_.push_back({row.FileName, copied, stopped, row.FileSize, {}});
}

void ConsoleWindow::CapsuleChecked(const CatalogueRow& row, const DubCheck& check) {
  // Told right after CapsuleDubbed for the same capsule.
  if (!results_.empty() && results_.back().number == row.FileName) results_.back().check = check;
}

std::string ConsoleWindow::ApplicationTitle() const {
  return "カプスダブ";
}

void ConsoleWindow::ShowInformation(std::string_view text, std::string_view) {
  // The box's text on standard output, with the line ends of the console.
  ClearProgressLine();
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  PrintOut(lines);
}

void ConsoleWindow::ShowAppException(std::string_view message) {
  SetStatus(message, kColourRed);
  error_shown_ = true;
}

bool ConsoleWindow::FolderExists(const std::string& path) const {
  return platform::FolderExists(path);
}

}  // namespace capsdub::cli
