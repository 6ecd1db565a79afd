// A throw-away Reel Keeper data folder for the catalogue tests: Windows-form paths with a
// drive letter (mapped through the drive table on POSIX), and builders for host records.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/window_port.h"

namespace capsdub::test {

class TempHost {
 public:
  TempHost();
  ~TempHost();
  TempHost(const TempHost&) = delete;
  TempHost& operator=(const TempHost&) = delete;

  // The host folder, "X:\...\Reel Keeper\" with a trailing separator.
  const std::string& host() const { return host_; }
  // Drive letter of the first medium, and of a second one (0 when there is none: on Windows
  // without both C: and Z:\tmp).
  char first_medium() const { return host_[0]; }
  char second_medium() const { return second_; }
  // The host folder on another medium.
  std::string OnMedium(char letter) const;

  // Writes `bytes` to host-relative `relative` (Windows separators), creating folders.
  void Write(const std::string& relative, const std::string& bytes) const;
  void WriteOnMedium(char letter, const std::string& relative, const std::string& bytes) const;
  // Every file under the root with its content, to prove that a load wrote nothing.
  std::map<std::string, std::string> Snapshot() const;

 private:
  std::filesystem::path root_;
  std::filesystem::path second_root_;  // the second medium's folder, when apart from root_
  std::string host_;
  char second_ = 0;
};

// One 1024-byte tape record ending in CR LF, blanks elsewhere.
struct TapeFields {
  std::string number = "0012";
  std::string cabinet = "  0";
  std::string date = "20010315";
  std::string time = "213000";
  std::string size = "1048576";
  std::string channel = "NHK";
  char status = '0';
  std::string title = "News";
};
std::string TapeRecord(const TapeFields& fields);
// Three header records, record 3 with `tail_marker` at offset 752, then the given records.
std::string TapeDatabase(const std::vector<std::string>& records,
                         const std::string& tail_marker = "TAIL");
// A capsule extension file: the lines, then the memo block (length field, one byte, text).
std::string ExtensionFile(const std::vector<std::string>& lines, const std::string& length_field,
                          const std::string& memo);
// A 305-character cabinet line.
std::string CabinetLine(const std::string& number, const std::string& name);

// Records every status line; can raise the stop flag after a number of yields.
class RecordingWindow : public WindowPort {
 public:
  void SetStatus(std::string_view text, Colour colour) override {
    statuses.emplace_back(std::string(text), colour);
  }
  void YieldToUi() override {
    ++yields;
    if (stop_after_yields > 0 && yields >= stop_after_yields) StopRequested = true;
  }
  std::vector<std::pair<std::string, Colour>> statuses;
  int yields = 0;
  int stop_after_yields = 0;
};

}  // namespace capsdub::test
