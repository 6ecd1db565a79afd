// The platform layer: wildcards, code page 932, files with injected faults, path mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>

#include "platform/codepage.h"
#include "platform/datetime.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/posix_paths.h"
#include "platform/scope_guard.h"

namespace capsdub::platform {
namespace {

namespace fs = std::filesystem;

TEST(WildcardMatch, WindowsRules) {
  const struct {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"????"
       "-???.ssx",
       "0012-001.ssx", true},
      {"????"
       "-???.ssx",
       "0012-001.SSX", true},
      {"????"
       "-???.ssx",
       "0012-01.ssx", false},
      {"????"
       "-???.ssx",
       "0012-0011.ssx", false},
      {"0012-???.ss*", "0012-001.ssg", true},
      {"0012-???.ss*", "0012-001.ss", true},
      {"0012-???.ss*", "0012-001.mpg", false},
      {"*", "", true},
      {"*.mpg", "a.b.MPG", true},
      {"a*b*c", "aXbYbZc", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(Codepage, RoundTripsAndReportsLoss) {
  const std::string sjis = "\x95\x5c\x83\x65\x83\x58\x83g ABC \xb1\xb2";  // 表テスト ABC ｱｲ
  const std::string utf8 = SjisToUtf8(sjis);
  EXPECT_EQ(utf8, "\xe8\xa1\xa8\xe3\x83\x86\xe3\x82\xb9\xe3\x83\x88 ABC \xef\xbd\xb1\xef\xbd\xb2");
  EXPECT_EQ(Utf8ToSjis(utf8), sjis);
  EXPECT_FALSE(Utf8ToSjis("\xf0\x9f\x98\x80").has_value());  // no emoji in code page 932
  EXPECT_FALSE(Utf8ToSjis("caf\xc3\xa9").has_value());       // nor "e" standing in for "é"
  EXPECT_FALSE(Utf8ToSjis("\xff").has_value());
  bool lossy = false;
  SjisToUtf8("a\x81", &lossy);
  EXPECT_TRUE(lossy);
}

// ScopeGuard undoes on every exit, ScopeFailGuard only on an exception; an undo that throws
// while an exception is on its way does not replace it.
TEST(ScopeGuards, UndoOnTheirExits) {
  std::string undone;
  auto run = [&](bool fail) {
    const ScopeGuard always([&] { undone += 'a'; });
    const ScopeFailGuard on_error([&] {
      undone += 'f';
      throw std::logic_error("undo");
    });
    if (fail) throw std::runtime_error("step");
  };
  run(false);
  EXPECT_EQ(undone, "a");
  undone.clear();
  EXPECT_THROW(run(true), std::runtime_error);
  EXPECT_EQ(undone, "fa");
}

TEST(DateTime, EncodesAndDecodes) {
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_DOUBLE_EQ(EncodeDate(2001, 3, 15), 36965);
  const CivilDateTime c = DecodeDateTime(DateTime{EncodeDate(2001, 3, 15) + EncodeTime(21, 30, 0)});
  EXPECT_EQ(c.hour, 21);
  EXPECT_EQ(c.minute, 30);
  EXPECT_EQ(DayOfWeek(DateTime{EncodeDate(2001, 3, 15)}), 4);  // Thursday
  EXPECT_FALSE(IsValidDate(2001, 2, 29));
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
}

class FileTest : public ::testing::Test {
 protected:
  FileTest() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("capsdub-platform-" + std::to_string(rd()));
    fs::create_directories(root_);
#ifdef _WIN32
    folder_ = root_.string() + "\\";
#else
    SetDriveFolder('Q', root_.string());
    folder_ = "Q:\\";
#endif
  }
  ~FileTest() override {
    testing::ResetFaults();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path root_;
  std::string folder_;
};

TEST_F(FileTest, WritesReadsListsAndDeletes) {
  const std::string path = folder_ + "Sub\\0012-001.SSX";
  ASSERT_TRUE(CreateFolders(folder_ + "Sub"));
  File out = File::Create(path, ShareMode::kReadWrite);
  out.Write("hello", 5);
  out.Close();
  EXPECT_TRUE(FileExists(folder_ + "sub\\0012-001.ssx"));  // any letter case
  EXPECT_EQ(FileSizeOf(path), 5u);
  const auto listed = ListFiles(folder_ + "SUB",
                                "????"
                                "-???.ssx");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "0012-001.SSX");
  EXPECT_EQ(listed[0].size, 5u);
  File in = File::OpenForRead(path, ShareMode::kRead);
  ASSERT_TRUE(in.is_open());
  char buffer[16];
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 5u);
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 0u);
  in.Close();
  EXPECT_TRUE(DeleteFileAt(path));
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(File::OpenForRead(path, ShareMode::kRead).is_open());
  EXPECT_FALSE(File::OpenForRead(folder_ + "Sub", ShareMode::kRead).is_open());  // a folder
}

TEST_F(FileTest, InjectedFaults) {
  const std::string path = folder_ + "data.bin";
  testing::ActiveFaults().write_error_path_part = "data.bin";
  testing::ActiveFaults().write_error_after = 3;
  File out = File::Create(path, ShareMode::kReadWrite);
  EXPECT_THROW(out.Write("hello", 5), IoError);
  out.Close();
  EXPECT_EQ(FileSizeOf(path), 3u);

  testing::ResetFaults();
  testing::ActiveFaults().read_error_path_part = "data.bin";
  testing::ActiveFaults().read_error_after = 2;
  File in = File::OpenForRead(path, ShareMode::kReadWrite);
  char buffer[8];
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 2u);
  EXPECT_THROW(in.Read(buffer, sizeof buffer), IoError);

  testing::ActiveFaults().locked_path_part = "data.bin";
  EXPECT_FALSE(File::OpenForRead(path, ShareMode::kRead).is_open());
  EXPECT_TRUE(File::OpenForRead(path, ShareMode::kReadWrite).is_open());

  testing::ActiveFaults().free_bytes = 1234;
  EXPECT_EQ(FreeBytes(folder_), 1234u);
  // Per folder, before the value for every folder; an entry without a value is unknown.
  testing::ActiveFaults().free_bytes_by_path = {{"Full", 0}, {"Unknown", std::nullopt}};
  EXPECT_EQ(FreeBytes(folder_ + "Full"), 0u);
  EXPECT_EQ(FreeBytes(folder_ + "Unknown"), std::nullopt);
  EXPECT_EQ(FreeBytes(folder_ + "Other"), 1234u);
}

TEST_F(FileTest, ShiftJisNamesAndCreateFailure) {
  const std::string name = folder_ + "\x95\x5c\x8e\xa6.mpg";  // 表示.mpg: second byte 0x5C
  File out = File::Create(name, ShareMode::kReadWrite);
  out.Close();
  const auto listed = ListFiles(folder_, "*.mpg");
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "\x95\x5c\x8e\xa6.mpg");
  EXPECT_THROW(File::Create(folder_ + "missing\\x.mpg", ShareMode::kReadWrite), IoError);
}

TEST_F(FileTest, FreeBytesIsTheDrivesSpaceForThisUser) {
  // Compared with the standard library's figure; other programs may write meanwhile.
  const std::optional<std::uint64_t> free_bytes = FreeBytes(folder_);
  ASSERT_TRUE(free_bytes.has_value());
  const std::uint64_t expected = fs::space(root_).available;
  const std::uint64_t difference =
      *free_bytes > expected ? *free_bytes - expected : expected - *free_bytes;
  EXPECT_LE(difference, std::max<std::uint64_t>(expected / 100, 64ull << 20))
      << *free_bytes << " against " << expected;
  EXPECT_EQ(FreeBytes(folder_ + "missing\\"), std::nullopt);
}

#ifndef _WIN32
TEST_F(FileTest, SeesNamesThatOtherProgramsCreateOrRename) {
  // Names created here are remembered; names made behind the layer's back must still be found.
  File::Create(folder_ + "mine.bin", ShareMode::kReadWrite).Close();
  EXPECT_TRUE(FileExists(folder_ + "MINE.BIN"));
  // Folder times tick at the kernel's clock granularity; a change inside the same tick as the
  // last look goes unseen, so the outside changes here come a tick later.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  { std::ofstream(root_ / "Theirs.SSG") << "x"; }
  EXPECT_TRUE(FileExists(folder_ + "theirs.ssg"));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  fs::rename(root_ / "Theirs.SSG", root_ / "Renamed.SSG");
  EXPECT_FALSE(FileExists(folder_ + "theirs.ssg"));
  EXPECT_TRUE(FileExists(folder_ + "RENAMED.ssg"));
}

TEST(HostPath, MapsDrivesAndIgnoresCase) {
  SetDriveFolder('d', "/tmp");
  EXPECT_EQ(HostPath("D:\\x\\y"), "/tmp/x/y");
  EXPECT_EQ(HostPath("/abs\\path"), "/abs/path");
  ClearDriveTable();
  EXPECT_FALSE(FileExists("D:\\anything"));
}
#endif

}  // namespace
}  // namespace capsdub::platform
