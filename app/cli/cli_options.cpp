// Host-folder options and the console status line of capsdub-cli.
#include "app/cli/cli_options.h"

#include <csignal>

#include "app/cli/command_registry.h"
#include "platform/posix_paths.h"

namespace capsdub::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
  g_interrupted = 1;
}

}  // namespace

bool TakeHostOption(const std::vector<std::string>& args, std::size_t& i, HostOptions& options,
                    std::string& error) {
  const std::string& arg = args[i];
  if (arg != "--host" && arg != "--drive") return false;
  if (i + 1 >= args.size()) {
    error = arg + " needs a value";
    return true;
  }
  const std::string& value = args[++i];
  if (arg == "--host") {
    if (!ArgumentToSjis(value, options.host)) {
      error = "the host folder cannot be written in Shift-JIS: " + value;
    }
    options.host_given = true;
    return true;
  }
  // --drive D=/path
  const char letter = value.empty() ? '\0' : value[0];
  const bool is_letter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
  if (!is_letter || value.size() < 3 || value[1] != '=') {
    error = "--drive takes LETTER=FOLDER, for example D=/srv/reelkeeper/D: " + value;
    return true;
  }
  platform::SetDriveFolder(letter, value.substr(2));
  return true;
}

ConsoleStatus::ConsoleStatus() {
  std::signal(SIGINT, OnInterrupt);
}

void ConsoleStatus::SetStatus(std::string_view text, Colour colour) {
  if (text.empty()) return;
  if (colour == kColourRed) ++errors_;
  PrintErr(std::string(colour == kColourRed ? "error: " : "") + std::string(text) + "\n");
}

void ConsoleStatus::YieldToUi() {
  if (g_interrupted) StopRequested = true;
}

}  // namespace capsdub::cli
