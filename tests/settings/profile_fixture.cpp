// Per-test profile files for the settings tests.
#include "tests/settings/profile_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/profile.h"

namespace capsdub::testing {
namespace {

namespace fs = std::filesystem;

std::string UniqueName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("CapsDubTest-") + info->test_suite_name() + "-" + info->name();
#ifdef _WIN32
  name.append("-").append(std::to_string(::GetCurrentProcessId()));
#endif
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name + ".INI";
}

}  // namespace

void ProfileTest::SetUp() {
  file_ = UniqueName();
#ifndef _WIN32
  folder_ =
      (fs::temp_directory_path() / ("capsdub-profile-" + std::to_string(::getpid()) + "-" + file_))
          .string();
  fs::remove_all(folder_);
  ::setenv("CAPSDUB_PROFILE_DIR", folder_.c_str(), 1);
#endif
  fs::remove(fs::path(platform::ProfilePath(file_)));
}

void ProfileTest::TearDown() {
  std::error_code ec;
  fs::remove(fs::path(platform::ProfilePath(file_)), ec);
#ifndef _WIN32
  fs::remove_all(folder_, ec);
  ::unsetenv("CAPSDUB_PROFILE_DIR");
#endif
}

std::string ProfileTest::RawBytes() const {
  std::ifstream in(fs::path(platform::ProfilePath(file_)), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string ProfileTest::Text() const {
  std::string raw = RawBytes();
  std::string text;
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
#ifdef _WIN32
    std::wstring wide((raw.size() - 2) / 2, L'\0');
    std::memcpy(wide.data(), raw.data() + 2, wide.size() * 2);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(n));
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                          nullptr, nullptr);
#else
    ADD_FAILURE() << "a UTF-16 profile file natively";
#endif
  } else {
    text = raw;
  }
  std::string lf;
  for (char c : text) {
    if (c != '\r') lf += c;
  }
  return lf;
}

void ProfileTest::WriteRaw(const std::string& ascii_lines) const {
  const fs::path path(platform::ProfilePath(file_));
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::istringstream lines(ascii_lines);
  std::string line;
  while (std::getline(lines, line)) out << line << "\r\n";
}

std::map<std::string, std::vector<std::string>> ProfileTest::Sections() const {
  std::map<std::string, std::vector<std::string>> sections;
  std::istringstream lines(Text());
  std::string line, current;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      current = line.substr(1, line.size() - 2);
      sections[current];
    } else {
      sections[current].push_back(line);
    }
  }
  return sections;
}

}  // namespace capsdub::testing
