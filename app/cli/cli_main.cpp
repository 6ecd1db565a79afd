// capsdub-cli: entry point, command dispatch and console text output.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/command_registry.h"
#include "platform/codepage.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// After windows.h: shellapi.h needs its types.
#include <shellapi.h>
#endif

namespace capsdub::cli {
namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

#ifdef _WIN32
// Shift-JIS text for a console handle: UTF-16 to the console itself, or the console's code
// page when the stream is redirected.
void WriteText(DWORD which, FILE* stream, const std::string& sjis) {
  const std::wstring wide = platform::SjisToWide(sjis);
  HANDLE handle = ::GetStdHandle(which);
  DWORD mode = 0;
  std::fflush(stream);
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const UINT cp = ::GetConsoleOutputCP() ? ::GetConsoleOutputCP() : CP_UTF8;
  const int n = ::WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(cp, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr,
                          nullptr);
  }
  std::fwrite(out.data(), 1, out.size(), stream);
  std::fflush(stream);
}
#endif

int Usage(FILE* stream) {
  std::fprintf(stream, "usage: capsdub-cli COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& command : Commands()) std::fprintf(stream, "%s\n", command.usage);
  std::fprintf(stream,
               "\nexit status: 0 all done; 1 some capsule failed (not dubbed, incomplete, size\n"
               "check, read-back, deletion) or an error ended the run; 2 bad arguments (an\n"
               "unknown command or option; nothing is touched).\n");
  return stream == stdout ? 0 : 2;
}

}  // namespace

bool RegisterCommand(const Command& command) {
  Registry().push_back(command);
  return true;
}

const std::vector<Command>& Commands() {
  return Registry();
}

void PrintOut(const std::string& sjis) {
#ifdef _WIN32
  WriteText(STD_OUTPUT_HANDLE, stdout, sjis);
#else
  const std::string utf8 = platform::SjisToUtf8(sjis);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
#endif
}

void PrintErr(const std::string& sjis) {
#ifdef _WIN32
  WriteText(STD_ERROR_HANDLE, stderr, sjis);
#else
  const std::string utf8 = platform::SjisToUtf8(sjis);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
#endif
}

void PrintOutUtf8(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

bool ArgumentToSjis(const std::string& arg, std::string& sjis) {
  const auto converted = platform::Utf8ToSjis(arg);
  if (!converted) return false;
  sjis = *converted;
  return true;
}

}  // namespace capsdub::cli

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  // The UTF-16 command line, so that arguments survive whatever the system's code page.
  (void)argc;
  (void)argv;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 1; wide && i < count; ++i) {
    const std::wstring w = wide[i];
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
      ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), utf8.data(), n,
                            nullptr, nullptr);
    }
    args.push_back(utf8);
  }
  if (wide) ::LocalFree(wide);
#else
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
#endif
  return args;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> args = Arguments(argc, argv);
  if (args.empty()) return capsdub::cli::Usage(stderr);
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    return capsdub::cli::Usage(stdout);
  }
  for (const auto& command : capsdub::cli::Commands()) {
    if (args[0] == command.name) {
      try {
        return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
      } catch (const std::exception& e) {
        capsdub::cli::PrintErr(std::string("capsdub-cli: ") + e.what() + "\n");
        return 1;
      }
    }
  }
  std::fprintf(stderr, "capsdub-cli: unknown command '%s'\n\n", args[0].c_str());
  return capsdub::cli::Usage(stderr);
}
