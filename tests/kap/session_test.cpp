// KAP.dll's frame through its exports: the export table, the session lock within and across
// processes, opening without Reel Keeper's registry value, the channel table and the recording
// broadcasts.
#include <algorithm>
#include <thread>

#include "tests/kap/kap_fixture.h"

namespace capsdub::kaptest {
namespace {

// KAP.dll's notification window of this process: a session of another program of the same Wine
// session (a window test running meanwhile) has one of the same class and title.
HWND OwnNotifyWindow() {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"quillon marsh", L"brackett")) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) return window;
  }
  return nullptr;
}

using SessionTest = KapFixture;

std::vector<std::string> ListChannelNames(kapctl::KapLibrary& kap, std::int32_t* last_result) {
  std::vector<std::string> names;
  KapChannelInfo channel = BlankChannel();
  std::int32_t cursor = 0;
  std::int32_t result = kap.GetFirstChannel(1, &cursor, &channel);
  for (; result == kKapOk; result = kap.GetNextChannel(1, &cursor, &channel)) {
    names.push_back(KAP_FIELD(channel, name));
  }
  *last_result = result;
  return names;
}

TEST_F(SessionTest, ExportsTheSeventeenFunctionsUnderUndecoratedNames) {
  HMODULE module = GetModuleHandleW(L"KAP.dll");
  ASSERT_NE(module, nullptr);
  std::vector<std::string> names = ExportNames(module);
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {"KapClose",
                                             "KapDeleteRecorded",
                                             "KapDeleteReservation",
                                             "KapGetDiskSpaceLeft",
                                             "KapGetDiskSpaceRequired",
                                             "KapGetFirstChannel",
                                             "KapGetFirstRecorded",
                                             "KapGetFirstReservation",
                                             "KapGetNextChannel",
                                             "KapGetNextRecorded",
                                             "KapGetNextReservation",
                                             "KapOpen",
                                             "KapPVRIsRecording",
                                             "KapSetMemoRecorded",
                                             "KapSetNameRecorded",
                                             "KapSetReservation",
                                             "KapSetReservationEx"};
  EXPECT_EQ(names, expected);
}

TEST_F(SessionTest, CloseWithoutOpenSucceeds) {
  EXPECT_EQ(kap_->Close(0), kKapOk);
  EXPECT_EQ(kap_->Close(0), kKapOk);
  Open();  // the lock was not disturbed
}

TEST_F(SessionTest, SecondOpenIsRefusedAndLeavesTheLockToOneClose) {
  Open();
  std::int32_t session = 77;
  EXPECT_EQ(kap_->Open(&session), kKapInUse);
  EXPECT_EQ(session, 77);
  EXPECT_EQ(kap_->Open(&session), kKapInUse);
  EXPECT_EQ(Kapctl(L"channels").exit_code, 20u);  // held across processes
  Close();  // one close undoes the refused recursive acquisitions too
  const ChildResult other = Kapctl(L"channels");
  EXPECT_EQ(other.exit_code, 0u) << other.output;
  Open();
}

TEST_F(SessionTest, AnotherThreadOfTheProcessIsRefused) {
  Open();
  std::int32_t result = 0;
  std::thread([&] {
    std::int32_t session = 0;
    result = kap_->Open(&session);
  }).join();
  EXPECT_EQ(result, kKapInUse);
  Close();
  std::thread([&] {
    std::int32_t session = 0;
    result = kap_->Open(&session);
    kap_->Close(session);
  }).join();
  EXPECT_EQ(result, kKapOk);
}

TEST_F(SessionTest, AnotherProcessHoldingTheSessionRefusesOpen) {
  // kapctl keeps its session while it works; "abandon" ends the process without KapClose.
  const ChildResult child = Kapctl(L"abandon");
  ASSERT_EQ(child.exit_code, 0u) << child.output;
  std::int32_t session = 0;
  EXPECT_EQ(kap_->Open(&session), kKapInUse);  // the lock was left behind, not handed over
  EXPECT_EQ(session, 0);
  Open();  // and is free again
  EXPECT_EQ(Kapctl(L"channels").exit_code, 20u);
}

TEST_F(SessionTest, NullSessionPointerIsRefusedWithoutTakingTheLock) {
  EXPECT_EQ(kap_->Open(nullptr), kKapInUse);
  EXPECT_EQ(Kapctl(L"channels").exit_code, 0u);
  Open();
}

TEST_F(SessionTest, FreeingTheLibraryWithAnOpenSessionEndsIt) {
  Open();
  Load();  // frees KAP.dll with its windows and class, then loads it again
  open_ = false;
  Open();
  ASSERT_EQ(StandInSendBroadcast(24), 0);
  PumpMessages();
  EXPECT_EQ(kap_->IsRecording(1), 1);
}

struct HostValueCase {
  const char* what;
  std::optional<std::wstring> value;
  DWORD type;
  bool usable;
};

TEST_F(SessionTest, OpenWithoutAUsableInstalledPathStillSucceeds) {
  const HostValueCase cases[] = {
      {"missing", std::nullopt, REG_SZ, false},
      {"not a string", L"x", REG_BINARY, false},
      {"expandable string", L"C:\\Reel Keeper", REG_EXPAND_SZ, false},
      {"1992 characters, no room for \\KAP.dll", std::wstring(1992, L'a'), REG_SZ, false},
      {"1991 characters", std::wstring(1991, L'a'), REG_SZ, true},
      {"empty folder", L"", REG_SZ, true},
  };
  for (const HostValueCase& c : cases) {
    SCOPED_TRACE(c.what);
    Load();  // a first open of the process
    ScopedHostValue value(L"InstalledPath", c.value, c.type);
    std::int32_t session = 0;
    ASSERT_EQ(kap_->Open(&session), kKapOk);
    EXPECT_EQ(session, 1);
    std::int32_t last = 0;
    const auto names = ListChannelNames(*kap_, &last);
    EXPECT_EQ(last, kKapNoMoreEntries);
    EXPECT_EQ(names.size(), c.usable ? 4u : 0u);
    KapRecordInfo record = BlankRecord();
    std::int32_t cursor = 0;
    EXPECT_EQ(kap_->GetFirstRecorded(1, &cursor, &record), c.usable ? kKapOk : kKapNoMoreEntries);
    EXPECT_EQ(kap_->DeleteRecorded(1, 3), c.usable ? kKapOk : kKapNoSuchId);
    EXPECT_EQ(kap_->Close(1), kKapOk);
    WriteHost(DefaultHost());
  }
}

TEST_F(SessionTest, ReopenWithoutTheHostKeepsThePreviousChannelTable) {
  Open();
  Close();
  WriteHost([] {
    TestHost host = DefaultHost();
    host.channels = {MakeChannel(2, "Other")};
    return host;
  }());
  ScopedHostValue value(L"InstalledPath", std::nullopt);
  Open();
  std::int32_t last = 0;
  EXPECT_EQ(ListChannelNames(*kap_, &last), (std::vector<std::string>{kNhk, "NTV", "TBS", "CX"}));
}

TEST_F(SessionTest, ChannelLibraryFailuresLeaveAnEmptyTable) {
  for (const char* function : {"CHDB_Open", "CHDB_GetFirstChannel"}) {
    SCOPED_TRACE(function);
    Load();
    StandInFailNext(function, 3);
    Open();
    std::int32_t last = 0;
    EXPECT_TRUE(ListChannelNames(*kap_, &last).empty());
    EXPECT_EQ(last, kKapNoMoreEntries);
    Close();
    EXPECT_EQ(StandInOpenChannelHandles(), 0);
  }
}

TEST_F(SessionTest, ChannelTableHoldsTheFirst39ChannelsInOrder) {
  TestHost host = DefaultHost();
  host.channels.clear();
  for (int i = 1; i <= 45; ++i) host.channels.push_back(MakeChannel(i, Numbered("ch", i)));
  WriteHost(host);
  Open();
  KapChannelInfo channel = BlankChannel();
  std::int32_t cursor = -5;
  for (int i = 1; i <= 39; ++i) {
    const std::int32_t result = i == 1 ? kap_->GetFirstChannel(1, &cursor, &channel)
                                       : kap_->GetNextChannel(1, &cursor, &channel);
    ASSERT_EQ(result, kKapOk) << i;
    EXPECT_EQ(cursor, i);
    EXPECT_EQ(channel.version, 1);
    EXPECT_EQ(channel.number, i);
    EXPECT_EQ(channel.number2, i + 1000);
    EXPECT_EQ(KAP_FIELD(channel, name), Numbered("ch", i));
  }
  for (int again = 0; again < 3; ++again) {
    EXPECT_EQ(kap_->GetNextChannel(1, &cursor, &channel), kKapNoMoreEntries);
    EXPECT_EQ(cursor, 39);  // the cursor stays at the terminator
  }
}

TEST_F(SessionTest, ChannelEnumerationChecksVersionAndCursor) {
  Open();
  KapChannelInfo channel = BlankChannel();
  std::int32_t cursor = 2;
  channel.version = 2;
  EXPECT_EQ(kap_->GetFirstChannel(1, &cursor, &channel), kKapBadVersion);
  EXPECT_EQ(cursor, 2);  // untouched
  EXPECT_EQ(kap_->GetNextChannel(1, &cursor, &channel), kKapBadVersion);
  EXPECT_EQ(kap_->GetFirstChannel(1, &cursor, nullptr), kKapBadVersion);
  channel.version = 1;
  EXPECT_EQ(kap_->GetFirstChannel(1, nullptr, &channel), kKapNoMoreEntries);
  EXPECT_EQ(kap_->GetNextChannel(1, nullptr, &channel), kKapNoMoreEntries);
  for (std::int32_t outside : {-1, 40, 1000, INT32_MIN}) {
    cursor = outside;
    EXPECT_EQ(kap_->GetNextChannel(1, &cursor, &channel), kKapNoMoreEntries) << outside;
    EXPECT_EQ(cursor, outside);
  }
  cursor = 3;
  ASSERT_EQ(kap_->GetNextChannel(1, &cursor, &channel), kKapOk);
  EXPECT_EQ(KAP_FIELD(channel, name), "CX");
}

TEST_F(SessionTest, LongChannelNamesAreCutTo255Bytes) {
  TestHost host = DefaultHost();
  const std::string long_ascii(256, 'n');
  std::string long_kanji;  // 128 double-byte characters: 256 bytes
  for (int i = 0; i < 128; ++i) long_kanji += kNhk.substr(6, 2);
  host.channels = {MakeChannel(1, long_ascii), MakeChannel(2, long_kanji),
                   MakeChannel(3, std::string(255, 'x'))};
  WriteHost(host);
  Open();
  GuardedRecord<KapChannelInfo> channel;  // filled right up to its end
  *channel.get() = BlankChannel();
  std::int32_t cursor = 0;
  ASSERT_EQ(kap_->GetFirstChannel(1, &cursor, channel.get()), kKapOk);
  EXPECT_EQ(KAP_FIELD(*channel, name), long_ascii.substr(0, 255));
  ASSERT_EQ(kap_->GetNextChannel(1, &cursor, channel.get()), kKapOk);
  EXPECT_EQ(KAP_FIELD(*channel, name), long_kanji.substr(0, 255));
  ASSERT_EQ(kap_->GetNextChannel(1, &cursor, channel.get()), kKapOk);
  EXPECT_EQ(KAP_FIELD(*channel, name), std::string(255, 'x'));
}

TEST_F(SessionTest, RecordingBroadcastsSetTheFlagWhichOutlivesTheSession) {
  EXPECT_EQ(kap_->IsRecording(0), 0);
  Open();
  ASSERT_EQ(StandInSendBroadcast(24), 0);
  PumpMessages();
  EXPECT_EQ(kap_->IsRecording(0), 1);
  ASSERT_EQ(StandInSendBroadcast(30), 0);  // other events leave the flag
  PumpMessages();
  EXPECT_EQ(kap_->IsRecording(0), 1);
  Close();
  EXPECT_EQ(kap_->IsRecording(0), 1);
  EXPECT_EQ(StandInSendBroadcast(28), 2);  // no notification window without a session
  Open();
  EXPECT_EQ(kap_->IsRecording(0), 1);
  ASSERT_EQ(StandInSendBroadcast(28), 0);
  PumpMessages();
  EXPECT_EQ(kap_->IsRecording(0), 0);
}

TEST_F(SessionTest, UndecodableBroadcastIsIgnored) {
  Open();
  const HWND window = OwnNotifyWindow();
  ASSERT_NE(window, nullptr);
  // 0x0709 with a bare event number: the database library cannot decode it.
  EXPECT_EQ(SendMessageW(window, 0x0709, 0, 24), 1);
  EXPECT_EQ(kap_->IsRecording(0), 0);
  EXPECT_EQ(SendMessageW(window, 0x0709, 0, kStandInBroadcastTag | 24), 1);
  EXPECT_EQ(kap_->IsRecording(0), 1);
}

}  // namespace
}  // namespace capsdub::kaptest
