// RKDB.dll and chdb.dll through their exports, as KAP.dll calls them, on a host folder
// written by the sample generator: export names, initialisation, records handed out and
// freed, the test controls, the broadcast, channels, corrupt files, and CapsDub's view after a
// deletion.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "hostlibs/chdb/chdb_control.h"
#include "hostlibs/rkdb/standin_control.h"
#include "hostlibs/sim/data_folder.h"
#include "hostlibs/store/store_writer.h"
#include "hostlibs/store/tape_record.h"
#include "kap/host/chdb.h"
#include "kap/host/rkdb.h"
#include "platform/codepage.h"
#include "tests/hostlibs/standin_host.h"

namespace capsdub::standin_test {
namespace {

constexpr wchar_t kProperty[] = L"Reel Keeper 1.0";

// An environment variable set for the object's lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::optional<std::wstring>& value) : name_(name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    if (n > 0 && n < 4096) old_ = std::wstring(buffer, n);
    SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> old_;
};

std::wstring DataVariable() {
  return platform::SjisToWide(hostsim::kDataFolderVariable);
}

// A hidden window carrying the host's property, as KAP.dll makes them.
class PropertyWindow {
 public:
  explicit PropertyWindow(bool with_property = true) {
    // Message-only, so that no display is needed under Wine.
    window_ = CreateWindowExW(0, L"STATIC", L"standin", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (with_property) SetPropW(window_, kProperty, reinterpret_cast<HANDLE>(1));
  }
  ~PropertyWindow() {
    RemovePropW(window_, kProperty);
    DestroyWindow(window_);
  }
  PropertyWindow(const PropertyWindow&) = delete;
  PropertyWindow& operator=(const PropertyWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// What the broadcast window saw.
LPARAM g_raw_lparam = 0;
LPARAM g_event = -1;
std::int32_t g_eval_status = -1;

LRESULT CALLBACK BroadcastProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRvcrBroadcastMessage) {
    g_raw_lparam = lparam;
    WPARAM w = wparam;
    LPARAM event = lparam;
    UINT m = message;
    g_eval_status = RVCREvalBroadcastMessage(lparam, &w, &event, &m);
    g_event = event;
    return 1;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::string CallLog() {
  const std::int32_t length = StandInGetCallLog(nullptr, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  StandInGetCallLog(text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string LastError() {
  char buffer[1024];
  StandInGetLastError(buffer, sizeof buffer);
  return buffer;
}

class StandInDll : public ::testing::Test {
 protected:
  void SetUp() override {
    StandInReset();
    host_.WriteSample();
    hoststore::WriteChannelTable(host_.host(), hoststore::SampleChannels());
    hoststore::MediaSettings media;
    media.free_bytes = 5'000'000'000ull;
    hoststore::WriteMediaSettings(host_.host(), media);
    data_.emplace(DataVariable().c_str(), platform::SjisToWide(host_.native_host()));
    ASSERT_EQ(RVCRDBInitialize(ops_.get(), 5), 0) << LastError();
  }
  void TearDown() override {
    RVCRDBClose(ops_.get());
    EXPECT_EQ(StandInOutstandingRecords(), 0);
    EXPECT_EQ(StandInOpenChannelHandles(), 0);
    StandInReset();
  }
  HWND db() const { return ops_.get(); }
  std::vector<std::int32_t> Tapes() {
    std::vector<std::int32_t> ids;
    std::int32_t id = 0;
    if (RVCRFirstTape(db(), &id, 0) != 0) return {-1};
    while (id != 0 && ids.size() < 100) {
      ids.push_back(id);
      if (RVCRNextTape(db(), &id, id, 0) != 0) return {-1};
    }
    return ids;
  }

  TempHost host_;
  std::optional<ScopedVariable> data_;
  PropertyWindow ops_;
};

TEST(StandInExports, PlainNamesInTheExportTables) {
  const HMODULE rkdb = GetModuleHandleW(L"RKDB.dll");
  const HMODULE chdb = GetModuleHandleW(L"chdb.dll");
  ASSERT_NE(rkdb, nullptr);
  ASSERT_NE(chdb, nullptr);
  for (const char* name : {"RVCRDBInitialize",
                           "RVCRDBClose",
                           "RVCRFirstTape",
                           "RVCRNextTape",
                           "RVCRGetTapeInfo",
                           "RVCRFreeTape",
                           "RVCRCreateTape",
                           "RVCRSetTapeMemo",
                           "RVCRSetTapeName",
                           "RVCRGetTapeArea",
                           "RVCRDeleteTape",
                           "RVCRFirstReserve",
                           "RVCRNextReserve",
                           "RVCRGetReserveInfo",
                           "RVCRFreeReserve",
                           "RVCRCreateReserve",
                           "RVCRDeleteReserve",
                           "RVCRGetTotalMediaInfo",
                           "RVCRCalcDiskSpaceFromTime",
                           "RVCREvalBroadcastMessage",
                           "StandInFailNext",
                           "StandInOutstandingRecords",
                           "StandInSendBroadcast"}) {
    EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(rkdb, name)), nullptr) << name;
  }
  for (const char* name : {"CHDB_Open", "CHDB_GetFirstChannel", "CHDB_GetNextChannel", "CHDB_Close",
                           "StandInOpenChannelHandles"}) {
    EXPECT_NE(reinterpret_cast<void*>(GetProcAddress(chdb, name)), nullptr) << name;
  }
}

TEST(StandInExports, InitialisationChecksWindowModeAndFolder) {
  TempHost host;
  host.WriteSample();
  const ScopedVariable data(DataVariable().c_str(), platform::SjisToWide(host.native_host()));
  PropertyWindow window;
  PropertyWindow bare(false);
  EXPECT_EQ(RVCRDBInitialize(nullptr, 5), 6);
  EXPECT_EQ(RVCRDBInitialize(bare.get(), 5), 8);
  EXPECT_EQ(RVCRDBInitialize(window.get(), 3), 6);
  std::int32_t id = -1;
  EXPECT_EQ(RVCRFirstTape(window.get(), &id, 0), 2);  // not a database handle yet
  {
    const ScopedVariable missing(DataVariable().c_str(),
                                 platform::SjisToWide(host.native_host() + "nowhere\\"));
    EXPECT_EQ(RVCRDBInitialize(window.get(), 5), 7);
  }
  ASSERT_EQ(RVCRDBInitialize(window.get(), 5), 0);
  EXPECT_EQ(RVCRFirstTape(window.get(), &id, 0), 0);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(RVCRFirstTape(bare.get(), &id, 0), 2);  // another window is no handle
  EXPECT_EQ(RVCRDBClose(window.get()), 0);
  EXPECT_EQ(RVCRFirstTape(window.get(), &id, 0), 2);
  EXPECT_EQ(RVCRDBClose(window.get()), 2);
}

TEST(StandInExports, DataFolderFromTheRegistry) {
  TempHost host;
  host.WriteSample();
  const ScopedVariable no_variable(DataVariable().c_str(), std::nullopt);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, hostsim::kTessalyKey, 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::optional<std::vector<BYTE>> old;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, hostsim::kDataFolderValue, nullptr, &type, nullptr, &size) ==
      ERROR_SUCCESS) {
    old.emplace(size);
    RegQueryValueExW(key, hostsim::kDataFolderValue, nullptr, &type, old->data(), &size);
  }
  const std::wstring folder = platform::SjisToWide(host.native_host());
  ASSERT_EQ(RegSetValueExW(key, hostsim::kDataFolderValue, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  PropertyWindow window;
  EXPECT_EQ(RVCRDBInitialize(window.get(), 5), 0);
  std::int32_t id = 0;
  EXPECT_EQ(RVCRFirstTape(window.get(), &id, 0), 0);
  EXPECT_EQ(id, 1);
  RVCRDBClose(window.get());

  RegDeleteValueW(key, hostsim::kDataFolderValue);
  EXPECT_EQ(RVCRDBInitialize(window.get(), 5), 7);
  if (old) {
    RegSetValueExW(key, hostsim::kDataFolderValue, 0, type, old->data(),
                   static_cast<DWORD>(old->size()));
  }
  RegCloseKey(key);
}

TEST_F(StandInDll, CapsuleRecordsAreCountedUntilFreed) {
  EXPECT_EQ(Tapes(), (std::vector<std::int32_t>{1, 2, 5}));
  RvcrTapeInfo* alpha = nullptr;
  RvcrTapeInfo* gamma = nullptr;
  ASSERT_EQ(RVCRGetTapeInfo(db(), 1, &alpha), 0);
  ASSERT_EQ(RVCRGetTapeInfo(db(), 5, &gamma), 0);
  EXPECT_EQ(StandInOutstandingRecords(), 2);
  EXPECT_EQ(alpha->id, 1);
  EXPECT_STREQ(alpha->name, "Alpha");
  EXPECT_STREQ(alpha->channel_name, hoststore::SampleChannels()[0].name.c_str());
  EXPECT_EQ(alpha->channel, 1);
  EXPECT_STREQ(alpha->memo, "first memo");
  EXPECT_EQ(alpha->state_a, 0);
  EXPECT_EQ(alpha->state_b, 0);
  EXPECT_EQ(alpha->mode, 0);
  EXPECT_EQ(alpha->start.year, 2001);
  EXPECT_EQ(alpha->start.month, 4);
  EXPECT_EQ(alpha->start.day, 13);
  EXPECT_EQ(alpha->start.hour, 23);
  EXPECT_EQ(alpha->start.minute, 30);
  EXPECT_GT(alpha->length_ms, 0u);
  EXPECT_EQ(gamma->memo, nullptr);  // an empty text comes as a null pointer

  EXPECT_EQ(RVCRFreeTape(db(), alpha), 0);
  EXPECT_EQ(RVCRFreeTape(db(), alpha), 6);  // a second free is refused, not a crash
  EXPECT_EQ(RVCRFreeTape(db(), nullptr), 6);
  EXPECT_EQ(StandInOutstandingRecords(), 1);
  EXPECT_EQ(RVCRFreeTape(nullptr, gamma), 2);  // wrong handle: still outstanding
  EXPECT_EQ(RVCRFreeTape(db(), gamma), 0);

  RvcrTapeInfo* none = reinterpret_cast<RvcrTapeInfo*>(1);
  EXPECT_EQ(RVCRGetTapeInfo(db(), 3, &none), 3);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(RVCRGetTapeInfo(db(), 1, nullptr), 6);
  EXPECT_EQ(StandInOutstandingRecords(), 0);
}

TEST_F(StandInDll, ReservationThroughTheExports) {
  std::int32_t tape = 0;
  ASSERT_EQ(RVCRCreateTape(db(), &tape, "Reserved", 1, "Orvan Kap SDK", 0, 2), 0) << LastError();
  EXPECT_EQ(tape, 4);
  ASSERT_EQ(RVCRSetTapeMemo(db(), tape, "memo"), 0);
  ASSERT_EQ(RVCRGetTapeArea(db(), tape), 0);
  const RvcrDateTime start{2030, 5, 4, 9, 5, {0, 0}};
  const RvcrDateTime end{2030, 5, 4, 9, 35, {0, 0}};
  std::int32_t id = 0;
  ASSERT_EQ(RVCRCreateReserve(db(), &id, start, end, tape, 0, 0, 4, "NTV", 0), 0) << LastError();
  RvcrReserveInfo* info = nullptr;
  ASSERT_EQ(RVCRGetReserveInfo(db(), id, &info), 0);
  EXPECT_EQ(StandInOutstandingRecords(), 1);
  EXPECT_EQ(info->id, id);
  EXPECT_EQ(info->tape_id, tape);
  EXPECT_EQ(info->start.day, 4);
  EXPECT_EQ(info->end.minute, 35);
  EXPECT_NE(info->disk_area, 0);
  EXPECT_EQ(RVCRFreeReserve(db(), info), 0);
  EXPECT_EQ(RVCRFreeReserve(db(), info), 6);

  std::int32_t first = 0;
  ASSERT_EQ(RVCRFirstReserve(db(), &first, 0), 0);
  EXPECT_EQ(first, id);
  ASSERT_EQ(RVCRNextReserve(db(), &first, first), 0);
  EXPECT_EQ(first, 0);

  RvcrTapeInfo* capsule = nullptr;
  ASSERT_EQ(RVCRGetTapeInfo(db(), tape, &capsule), 0);
  EXPECT_EQ(capsule->state_a, 1);  // waits for its recording
  EXPECT_EQ(capsule->mode, 2);
  EXPECT_EQ(capsule->channel, 4);
  EXPECT_EQ(capsule->length_ms, 30u * 60000);
  EXPECT_STREQ(capsule->memo, "memo");
  RVCRFreeTape(db(), capsule);

  RvcrMediaInfo media{};
  std::uint32_t counts[3] = {};
  ASSERT_EQ(RVCRGetTotalMediaInfo(db(), &media, &counts[0], &counts[1], &counts[2]), 0);
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  ASSERT_EQ(RVCRCalcDiskSpaceFromTime(db(), 30 * 60000, 2, &a, &b), 0);
  EXPECT_EQ(a + b, 30ull * 60 * (500000 + 2000));
  EXPECT_EQ(media.free_bytes, 5'000'000'000ull - a - b);  // the reservation holds its space
  EXPECT_EQ(counts[1], 4u);
  EXPECT_EQ(counts[2], 1u);
  EXPECT_EQ(RVCRCalcDiskSpaceFromTime(db(), 60000, 3, &a, &b), 6);
  EXPECT_EQ(a + b, 0u);

  EXPECT_EQ(RVCRDeleteReserve(db(), id, 1), 0);
  EXPECT_EQ(RVCRDeleteReserve(db(), id, 1), 3);
  EXPECT_EQ(RVCRDeleteTape(db(), tape, 1), 0);
  EXPECT_NE(CallLog().find("RVCRDeleteReserve " + std::to_string(id) + " 1\nRVCRDeleteTape " +
                           std::to_string(tape) + " 1\n"),
            std::string::npos)
      << CallLog();
}

TEST_F(StandInDll, DeletedCapsuleLeavesCapsDubsList) {
  EXPECT_TRUE(ListedNumbers(LoadHostCatalogue(host_.host())).contains("0001"));
  ASSERT_EQ(RVCRSetTapeName(db(), 2, "Renamed"), 0);
  ASSERT_EQ(RVCRDeleteTape(db(), 1, 0), 0) << LastError();
  const Catalogue catalogue = LoadHostCatalogue(host_.host());
  EXPECT_EQ(ListedNumbers(catalogue), (std::set<std::string>{"0002", "0003", "0005"}));
  EXPECT_EQ(RowOf(catalogue, "0002")->Title, "Renamed");
  EXPECT_EQ(RVCRDeleteTape(db(), 1, 0), 3);
  EXPECT_EQ(RVCRSetTapeMemo(db(), 1, "x"), 3);
  EXPECT_NE(CallLog().find("RVCRDeleteTape 1 0\n"), std::string::npos);
}

TEST_F(StandInDll, SegmentFileInUseKeepsTheCapsule) {
  const std::wstring path = platform::SjisToWide(host_.Path("0002-001.ssx"));
  HANDLE open = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RVCRDeleteTape(db(), 2, 0), 5);
  EXPECT_NE(LastError().find("0002-001.ssx"), std::string::npos) << LastError();
  CloseHandle(open);
  EXPECT_TRUE(ListedNumbers(LoadHostCatalogue(host_.host())).contains("0002"));
  EXPECT_EQ(Tapes(), (std::vector<std::int32_t>{1, 2, 5}));
  EXPECT_EQ(RVCRDeleteTape(db(), 2, 0), 0);  // the retry finishes the deletion
  EXPECT_FALSE(ListedNumbers(LoadHostCatalogue(host_.host())).contains("0002"));
}

TEST_F(StandInDll, FailNextMakesExactlyOneCallFail) {
  struct Case {
    const char* function;
    std::int32_t status;
  };
  for (const Case& c :
       {Case{"RVCRCreateTape", 1004}, Case{"RVCRCreateTape", 1005}, Case{"RVCRCreateTape", 1}}) {
    ASSERT_EQ(StandInFailNext(c.function, c.status), 0);
    std::int32_t id = -7;
    EXPECT_EQ(RVCRCreateTape(db(), &id, "Made", 1, "Orvan Kap SDK", 0, 0), c.status);
    EXPECT_EQ(id, -7);
    EXPECT_EQ(Tapes(), (std::vector<std::int32_t>{1, 2, 5}));  // nothing was created
  }
  ASSERT_EQ(StandInFailNext("RVCRGetTapeInfo", 9), 0);
  RvcrTapeInfo* info = nullptr;
  EXPECT_EQ(RVCRGetTapeInfo(db(), 1, &info), 9);
  EXPECT_EQ(StandInOutstandingRecords(), 0);
  ASSERT_EQ(RVCRGetTapeInfo(db(), 1, &info), 0);  // the next call works again
  RVCRFreeTape(db(), info);

  ASSERT_EQ(StandInFailNext("CHDB_Open", 3), 0);
  std::int32_t handle = 0;
  EXPECT_EQ(CHDB_Open(&handle), 3);
  ASSERT_EQ(StandInFailNext("RVCRDeleteTape", 5), 0);
  ASSERT_EQ(StandInFailNext("RVCRDeleteTape", 0), 0);  // cancelled
  EXPECT_EQ(RVCRDeleteTape(db(), 5, 0), 0);
  EXPECT_EQ(StandInFailNext(nullptr, 1), 6);
}

TEST_F(StandInDll, BroadcastReachesTheModeZeroWindow) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = BroadcastProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"StandInBroadcastTest";
  RegisterClassExW(&wc);
  HWND notify = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
  ASSERT_NE(notify, nullptr);
  SetPropW(notify, kProperty, reinterpret_cast<HANDLE>(1));
  EXPECT_EQ(StandInSendBroadcast(24), 2);  // no window registered yet
  ASSERT_EQ(RVCRDBInitialize(notify, 0), 0);
  for (const LPARAM event : {kRvcrEventRecordingStarted, kRvcrEventRecordingEnded}) {
    g_event = -1;
    ASSERT_EQ(StandInSendBroadcast(static_cast<std::int32_t>(event)), 0);
    PumpMessages();
    EXPECT_EQ(g_eval_status, 0);
    EXPECT_EQ(g_event, event);
    EXPECT_NE(g_raw_lparam, event);  // only the decoder gives the event
  }
  WPARAM w = 0;
  LPARAM e = 24;
  UINT m = 0;
  EXPECT_EQ(RVCREvalBroadcastMessage(24, &w, &e, &m), 6);
  EXPECT_EQ(e, 0);  // an undecodable value yields no event, not itself
  EXPECT_EQ(RVCRDBClose(notify), 0);
  EXPECT_EQ(StandInSendBroadcast(24), 2);
  RemovePropW(notify, kProperty);
  DestroyWindow(notify);
}

TEST_F(StandInDll, ChannelTableRecordByRecord) {
  std::vector<hoststore::Channel> channels = hoststore::SampleChannels();
  channels[2].name = std::string(256, 'N');  // fills the field without a NUL
  for (int i = 0; i < 40; ++i) {
    channels.push_back({static_cast<std::uint16_t>(200 + i), 0, 0,
                        std::string("c").append(std::to_string(i)), ""});
  }
  hoststore::WriteChannelTable(host_.host(), channels);

  std::int32_t handle = 0;
  ASSERT_EQ(CHDB_Open(&handle), 0);
  EXPECT_EQ(StandInOpenChannelHandles(), 1);
  ChdbChannel record{};
  EXPECT_EQ(CHDB_GetFirstChannel(handle, &record), 6);  // version not 1
  std::vector<hoststore::Channel> read;
  record.version = 1;
  std::int32_t status = CHDB_GetFirstChannel(handle, &record);
  while (status == 0 && read.size() < 100) {
    read.push_back({record.number, record.number2, record.excluded,
                    std::string(record.name, strnlen(record.name, sizeof record.name)),
                    record.alt_names});
    record.version = 1;
    status = CHDB_GetNextChannel(handle, &record);
  }
  EXPECT_EQ(read, channels);
  EXPECT_NE(CHDB_GetNextChannel(handle, &record), 0);  // stays at the end
  EXPECT_EQ(CHDB_Close(handle), 0);
  EXPECT_EQ(CHDB_Close(handle), 2);
  EXPECT_EQ(CHDB_GetFirstChannel(handle, &record), 2);
  EXPECT_EQ(CHDB_Open(nullptr), 6);

  ASSERT_TRUE(DeleteFileW(platform::SjisToWide(host_.Path("RKDB\\StandIn\\channels.txt")).c_str()));
  EXPECT_EQ(CHDB_Open(&handle), 3);
}

// Files damaged in every way the generator can think of: each call answers with a status.
TEST_F(StandInDll, DamagedFilesNeverCrash) {
  const std::string files[] = {"RKDB\\RKDBTape.SVD",
                               "RKDB\\RKDBMedia.SVD",
                               "RKDB\\TapeExt\\Tx0001.SVD",
                               "RKDB\\StandIn\\channels.txt",
                               "RKDB\\StandIn\\reservations.txt",
                               "RKDB\\StandIn\\media.txt"};
  std::vector<std::string> originals;
  for (const std::string& f : files) originals.push_back(host_.Read(f));
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    for (std::size_t i = 0; i < std::size(files); ++i) {
      std::string bytes = originals[i];
      const int mode = static_cast<int>(random() % 4);
      if (mode == 0) bytes.resize(random() % (bytes.size() + 1));
      if (mode == 1) {
        for (int k = 0; k < 20 && !bytes.empty(); ++k) {
          bytes[random() % bytes.size()] = static_cast<char>(random());
        }
      }
      if (mode == 2) bytes = std::string(random() % 3000, static_cast<char>(random()));
      host_.Write(files[i], bytes);
    }
    std::int32_t id = 0;
    RVCRFirstTape(db(), &id, 0);
    for (std::int32_t tape : {1, 2, 5}) {
      RvcrTapeInfo* info = nullptr;
      if (RVCRGetTapeInfo(db(), tape, &info) == 0) RVCRFreeTape(db(), info);
    }
    RvcrReserveInfo* reserve = nullptr;
    if (RVCRFirstReserve(db(), &id, 0) == 0 && id != 0 &&
        RVCRGetReserveInfo(db(), id, &reserve) == 0) {
      RVCRFreeReserve(db(), reserve);
    }
    RVCRSetTapeMemo(db(), 1, "m");
    RVCRSetTapeName(db(), 2, "n");
    std::int32_t created = 0;
    RVCRCreateTape(db(), &created, "fuzz", 1, "Orvan Kap SDK", 0, 0);
    RvcrMediaInfo media{};
    RVCRGetTotalMediaInfo(db(), &media, nullptr, nullptr, nullptr);
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    RVCRCalcDiskSpaceFromTime(db(), 60000, 0, &a, &b);
    std::int32_t handle = 0;
    if (CHDB_Open(&handle) == 0) {
      ChdbChannel record{};
      record.version = 1;
      for (std::int32_t s = CHDB_GetFirstChannel(handle, &record); s == 0;
           s = CHDB_GetNextChannel(handle, &record)) {
        record.version = 1;
      }
      CHDB_Close(handle);
    }
    RVCRDeleteTape(db(), 5, 0);
  }
  // A tape database with a partial record refuses additions and says why.
  host_.Write("RKDB\\RKDBTape.SVD", originals[0] + "xx");
  std::int32_t id = 0;
  EXPECT_EQ(RVCRCreateTape(db(), &id, "more", 1, "Orvan Kap SDK", 0, 0), 4);
  EXPECT_NE(LastError().find("RKDBTape.SVD"), std::string::npos) << LastError();
}

}  // namespace
}  // namespace capsdub::standin_test
