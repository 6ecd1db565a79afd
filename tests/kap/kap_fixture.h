// The fixture of KAP.dll's tests: a generated host folder that the stand-ins work on, Reel
// Keeper's registry value, KAP.dll freshly loaded by name for each test (so its module state,
// such as the channel alias list, starts anew), and the check that no host record or channel
// handle is left behind.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "hostlibs/chdb/chdb_control.h"
#include "hostlibs/rkdb/standin_control.h"
#include "tests/kap/kap_test_support.h"

namespace capsdub::kaptest {

// "ＮＨＫ総合"
inline const std::string kNhk = "\x82m\x82g\x82j\x91\x8d\x8d\x87";
// "不明なチャンネル"
inline const std::string kUnknownChannel =
    "\x95\x73\x96\xbe\x82\xc8\x83\x60\x83\x83\x83\x93\x83\x6c\x83\x8b";

inline hoststore::Channel MakeChannel(std::uint16_t number, std::string name,
                                      std::string alt_names = {}, std::uint16_t excluded = 0) {
  hoststore::Channel channel;
  channel.number = number;
  channel.second = static_cast<std::uint16_t>(number + 1000);
  channel.excluded = excluded;
  channel.name = std::move(name);
  channel.alt_names = std::move(alt_names);
  return channel;
}

inline TestCapsule MakeCapsule(int id, std::string title, int state_a = 0, int state_b = 0) {
  TestCapsule capsule;
  capsule.id = id;
  capsule.title = std::move(title);
  capsule.start = {2001, 4, 13, 23, 30};
  capsule.extras.state_a = state_a;
  capsule.extras.state_b = state_b;
  capsule.extras.channel = 1;
  capsule.extras.length_ms = 30 * 60000;
  capsule.channel_name = kNhk;
  return capsule;
}

// A local calendar minute `days` days from now at hh:mm.
inline KapTime DaysFromNow(int days, int hour, int minute) {
  std::time_t now = std::time(nullptr) + static_cast<std::time_t>(days) * 86400;
  std::tm local = *std::localtime(&now);
  return MakeTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, hour, minute);
}

class KapFixture : public ::testing::Test {
 protected:
  // The host every test starts from: four channels, three capsules, no reservations.
  static TestHost DefaultHost() {
    TestHost host;
    host.channels = {MakeChannel(1, kNhk, "NHK,G"), MakeChannel(4, "NTV"),
                     MakeChannel(6, "TBS", "", 1), MakeChannel(8, "CX", "Fuji,CX8")};
    host.capsules = {MakeCapsule(3, "Alpha"), MakeCapsule(7, "Bravo"), MakeCapsule(12, "Charlie")};
    host.media.free_bytes = 500'000'000'000ull;
    return host;
  }

  void SetUp() override {
    folder_ = std::make_unique<TempFolder>();
    host_ = folder_->sjis();
    WriteHost(DefaultHost());
    data_folder_.emplace(L"CAPSDUB_STANDIN_DATA", folder_->path());
    installed_.emplace(L"InstalledPath", ProgramFolderW());
    StandInReset();
    Load();
  }

  void TearDown() override {
    if (open_) Close();
    EXPECT_EQ(StandInOutstandingRecords(), 0) << "host records not released";
    EXPECT_EQ(StandInOpenChannelHandles(), 0) << "channel table handles not closed";
    kap_.reset();
  }

  void WriteHost(const TestHost& layout) { WriteTestHost(host_, layout); }

  // Loads KAP.dll anew; the previous instance is freed first.
  void Load() {
    kap_.reset();
    kap_ = std::make_unique<kapctl::KapLibrary>();
    std::wstring error;
    ASSERT_TRUE(kap_->Load(&error)) << Narrow(error);
  }

  void Open() {
    std::int32_t session = 0;
    ASSERT_EQ(kap_->Open(&session), kKapOk);
    ASSERT_EQ(session, 1);
    open_ = true;
  }

  void Close() {
    EXPECT_EQ(kap_->Close(1), kKapOk);
    open_ = false;
  }

  // Runs kapctl in a child process.
  ChildResult Kapctl(const std::wstring& arguments) { return RunProgram(L"kapctl.exe", arguments); }

  std::unique_ptr<TempFolder> folder_;
  std::string host_;  // Shift-JIS, with a trailing backslash
  std::optional<ScopedEnvironment> data_folder_;
  std::optional<ScopedHostValue> installed_;
  std::unique_ptr<kapctl::KapLibrary> kap_;
  bool open_ = false;
};

}  // namespace capsdub::kaptest
