// The subcommands of capsdub-cli. Each command's source file registers itself with a
// static initialiser, so adding a command is adding one file.
#pragma once

#include <string>
#include <vector>

namespace capsdub::cli {

struct Command {
  const char* name;   // first argument that selects the command
  const char* usage;  // one or more lines, shown by --help and after a bad argument
  int (*run)(const std::vector<std::string>& args);  // arguments after the name; exit code
};

bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// Writes Shift-JIS text to standard output / error in the terminal's encoding.
void PrintOut(const std::string& sjis);
void PrintErr(const std::string& sjis);
// Arguments reach the commands as UTF-8 on every system (on Windows main converts them from
// the UTF-16 command line). Converts one to Shift-JIS; false when it cannot be represented.
bool ArgumentToSjis(const std::string& arg, std::string& sjis);
// Writes UTF-8 text to standard output unchanged (machine-readable output).
void PrintOutUtf8(const std::string& utf8);

}  // namespace capsdub::cli
