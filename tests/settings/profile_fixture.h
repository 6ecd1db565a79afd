// A profile file of its own for each test: natively in a fresh folder given to the profile
// layer, on Windows under a unique name in the Windows directory. Gives the file's text as
// UTF-8 with LF line ends, whatever encoding the system stored it in.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace capsdub::testing {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  const std::string& file() const { return file_; }
  // The file's raw bytes; empty when it does not exist.
  std::string RawBytes() const;
  // The file's text as UTF-8 with LF line ends (UTF-16 with a byte-order mark decoded).
  std::string Text() const;
  // Replaces the file with ASCII text (CR LF line ends added), bypassing the profile layer.
  void WriteRaw(const std::string& ascii_lines) const;
  // The non-blank lines under each section header, in file order.
  std::map<std::string, std::vector<std::string>> Sections() const;

 private:
  std::string file_;
  std::string folder_;  // native: the folder given to the profile layer
};

}  // namespace capsdub::testing
