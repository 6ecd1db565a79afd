// Options shared by the capsdub-cli commands that read a Reel Keeper data folder, and the
// plain console form of the window port (status lines on standard error).
#pragma once

#include <string>
#include <vector>

#include "catalogue/window_port.h"

namespace capsdub::cli {

struct HostOptions {
  std::string host;  // Shift-JIS host folder, Windows form ("D:\Reel Keeper\") or a POSIX path
  bool host_given = false;
};

// Takes --host FOLDER and --drive D=/path at args[i] (advancing i); true when args[i] was one
// of them. On a bad value sets `error` (UTF-8 message).
bool TakeHostOption(const std::vector<std::string>& args, std::size_t& i, HostOptions& options,
                    std::string& error);

// Status lines on standard error; Ctrl+C sets StopRequested so that long work ends early.
class ConsoleStatus : public WindowPort {
 public:
  ConsoleStatus();
  void SetStatus(std::string_view text, Colour colour) override;
  void YieldToUi() override;
  // Error lines (the window's red status texts) printed so far.
  int errors() const { return errors_; }

 private:
  int errors_ = 0;
};

}  // namespace capsdub::cli
