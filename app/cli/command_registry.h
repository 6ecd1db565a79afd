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
// Converts an argument from the terminal's encoding to Shift-JIS; nullopt when it cannot.
bool ArgumentToSjis(const std::string& arg, std::string& sjis);

}  // namespace capsdub::cli
