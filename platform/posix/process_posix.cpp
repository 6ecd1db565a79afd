// POSIX side of process.h: posix_spawnp of the command line split into words the way a
// Windows program splits its own (blanks separate, double quotes group, \" is a quote).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix_paths.h"
#include "platform/process.h"

extern char** environ;

namespace capsdub::platform {

namespace {

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) break;
    std::string word;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
        word += '"';
        ++i;
      } else if (c == '"') {
        quoted = !quoted;
      } else {
        word += c;
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

// Owns posix_spawn's attribute objects.
struct SpawnActions {
  posix_spawn_file_actions_t actions;
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
};

}  // namespace

Process::Process(Process&& other) noexcept
    : started_(std::exchange(other.started_, false)),
      ended_(std::exchange(other.ended_, false)),
      process_(std::exchange(other.process_, -1)),
      thread_(std::exchange(other.thread_, -1)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    started_ = std::exchange(other.started_, false);
    ended_ = std::exchange(other.ended_, false);
    process_ = std::exchange(other.process_, -1);
    thread_ = std::exchange(other.thread_, -1);
  }
  return *this;
}

Process::~Process() {
  Release();
}

void Process::Release() {
  // A program that has not ended yet keeps running; reap it if it has ended meanwhile.
  if (started_ && !ended_) HasEnded();
  started_ = false;
  process_ = -1;
}

Process Process::Start(std::string_view command_line, std::uint16_t show_state,
                       std::string_view working_folder) {
  Process result;
  const std::vector<std::string> words = SplitCommandLine(SjisToUtf8(command_line));
  if (words.empty()) return result;
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  SpawnActions spawn;
  const std::string folder = working_folder.empty() ? std::string() : HostPath(working_folder);
  if (!folder.empty() && posix_spawn_file_actions_addchdir_np(&spawn.actions, folder.c_str())) {
    return result;
  }
  if (show_state == 0) {
    for (int fd = 0; fd <= 2; ++fd) {
      posix_spawn_file_actions_addopen(&spawn.actions, fd, "/dev/null",
                                       fd == 0 ? O_RDONLY : O_WRONLY, 0);
    }
  }
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &spawn.actions, nullptr, argv.data(), environ) != 0) {
    return result;
  }
  result.started_ = true;
  result.process_ = pid;
  return result;
}

bool Process::HasEnded() {
  if (!started_ || ended_) return true;
  int status = 0;
  const pid_t r = waitpid(static_cast<pid_t>(process_), &status, WNOHANG);
  if (r != 0) ended_ = true;  // ended and reaped, or no longer our child
  return ended_;
}

}  // namespace capsdub::platform
