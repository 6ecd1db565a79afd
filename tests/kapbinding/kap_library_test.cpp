// The real KAP.dll bound from a generated installation folder (found through Reel Keeper's
// registry value) over the stand-in host libraries, and a dubbed capsule deleted through it.
// The binding holds once per process, so the steps run in order in one program.
#include "kapbinding/kap_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "dubbing/kap_capsule_deleter.h"
#include "platform/files.h"
#include "tests/dubbing/test_support.h"
#include "tests/kap/kap_fixture.h"

// windows.h maps SetCurrentDirectory to SetCurrentDirectoryW; the platform function keeps its name.
#undef SetCurrentDirectory

namespace capsdub {
namespace {

using kaptest::ReadCapsules;

std::vector<int> CapsuleIds(const std::string& host) {
  std::vector<int> ids;
  for (const auto& capsule : ReadCapsules(host)) ids.push_back(std::stoi(capsule.number));
  return ids;
}

// The installation folder holds KAP.dll and its companions; the program's own folder does
// not, so the library can only be found through the registry value.
class KapLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = platform::ProgramFolder() + "kaphost";
    ASSERT_TRUE(platform::FileExists(install_ + "\\KAP.dll")) << install_;
    ASSERT_FALSE(platform::FileExists(platform::ProgramFolder() + "KAP.dll"));
    host_ = folder_.sjis();
    kaptest::TestHost layout;
    layout.channels = {kaptest::MakeChannel(1, kaptest::kNhk)};
    layout.capsules = {kaptest::MakeCapsule(3, "Alpha"), kaptest::MakeCapsule(7, "Bravo")};
    layout.media.free_bytes = 500'000'000'000ull;
    kaptest::WriteTestHost(host_, layout);
    data_folder_.emplace(L"CAPSDUB_STANDIN_DATA", folder_.path());
    installed_.emplace(L"InstalledPath", kaptest::Widen(install_));
  }

  std::string install_;
  kaptest::TempFolder folder_;
  std::string host_;
  std::optional<kaptest::ScopedEnvironment> data_folder_;
  std::optional<kaptest::ScopedHostValue> installed_;
};

TEST_F(KapLibraryTest, BindsFromTheInstallFolderAndDeletesCapsules) {
  EXPECT_EQ(KapInstallFolder(), install_);
  EXPECT_EQ(KapLibraryEntries().KapOpen, nullptr);

  const std::string caller_directory = folder_.sjis();
  ASSERT_TRUE(platform::SetCurrentDirectory(caller_directory));
  ASSERT_TRUE(LoadKapLibrary(""));
  EXPECT_EQ(platform::CurrentDirectory() + "\\", caller_directory);
  const KapEntries& e = KapLibraryEntries();
  // Each entry is bound, to the export of its own name, not a neighbour's.
#define CAPSDUB_ENTRY(name)                      \
  std::pair {                                    \
    reinterpret_cast<const void*>(e.name), #name \
  }
  const std::pair<const void*, const char*> bound[] = {
      CAPSDUB_ENTRY(KapOpen),
      CAPSDUB_ENTRY(KapClose),
      CAPSDUB_ENTRY(KapGetFirstChannel),
      CAPSDUB_ENTRY(KapGetNextChannel),
      CAPSDUB_ENTRY(KapGetFirstReservation),
      CAPSDUB_ENTRY(KapGetNextReservation),
      CAPSDUB_ENTRY(KapSetReservation),
      CAPSDUB_ENTRY(KapSetReservationEx),
      CAPSDUB_ENTRY(KapDeleteReservation),
      CAPSDUB_ENTRY(KapGetFirstRecorded),
      CAPSDUB_ENTRY(KapGetNextRecorded),
      CAPSDUB_ENTRY(KapDeleteRecorded),
      CAPSDUB_ENTRY(KapSetMemoRecorded),
      CAPSDUB_ENTRY(KapSetNameRecorded),
      CAPSDUB_ENTRY(KapGetDiskSpaceLeft),
      CAPSDUB_ENTRY(KapGetDiskSpaceRequired),
  };
#undef CAPSDUB_ENTRY
  static_assert(std::size(bound) == 16);
  const HMODULE kap = GetModuleHandleW(L"KAP.DLL");
  ASSERT_NE(kap, nullptr);
  for (const auto& [entry, name] : bound) {
    EXPECT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry, reinterpret_cast<const void*>(GetProcAddress(kap, name))) << name;
  }

  // Loaded once: a second call succeeds at once, whatever folder it names.
  EXPECT_TRUE(LoadKapLibrary("Z:\\no such folder"));
  EXPECT_EQ(platform::CurrentDirectory() + "\\", caller_directory);

  testing::FakeWindow window;
  KapCapsuleDeleter deleter(&e);
  EXPECT_TRUE(deleter.DeleteDubbedCapsule("0007", window));
  EXPECT_TRUE(window.notices.empty());
  EXPECT_EQ(CapsuleIds(host_), std::vector<int>{3});

  // Gone already: the library's refusal, and the session is closed again.
  EXPECT_FALSE(deleter.DeleteDubbedCapsule("0007", window));
  ASSERT_EQ(window.notices.size(), 1u);
  EXPECT_EQ(window.notices[0].text,
            testing::Sjis("ビデオカプセル削除エラー / 指定したIDの物は存在しない"));

  // Another session holds the library: refused at once, nothing deleted.
  std::int32_t session = 0;
  ASSERT_EQ(e.KapOpen(&session), kKapOk);
  EXPECT_FALSE(deleter.DeleteDubbedCapsule("0003", window));
  ASSERT_EQ(window.notices.size(), 2u);
  EXPECT_EQ(window.notices[1].text,
            testing::Sjis("Reel Keeper起動エラー / 他の誰かが使用中でAPIをOpenできない"));
  EXPECT_EQ(e.KapClose(session), kKapOk);
  EXPECT_EQ(CapsuleIds(host_), std::vector<int>{3});

  // Once the session is free, the next deletion opens its own.
  EXPECT_TRUE(deleter.DeleteDubbedCapsule("0003", window));
  EXPECT_TRUE(CapsuleIds(host_).empty());
  platform::SetCurrentDirectory(platform::ProgramFolder());  // the temporary folder goes away
}

TEST(KapInstallFolder, OnlyAStringValueNamesTheFolder) {
  {
    kaptest::ScopedHostValue missing(L"InstalledPath", std::nullopt);
    EXPECT_EQ(KapInstallFolder(), "");
  }
  {
    kaptest::ScopedHostValue expandable(L"InstalledPath", std::wstring(L"C:\\RK"), REG_EXPAND_SZ);
    EXPECT_EQ(KapInstallFolder(), "");
  }
  {
    // "D:\録画", read through the W function and given in Shift-JIS.
    kaptest::ScopedHostValue japanese(L"InstalledPath", std::wstring(L"D:\\\x9332\x753b"));
    EXPECT_EQ(KapInstallFolder(), "D:\\\x98^\x89\xe6");
  }
  {
    // A Thai letter: Shift-JIS cannot name this folder.
    kaptest::ScopedHostValue thai(L"InstalledPath", std::wstring(L"D:\\\x0e01"));
    EXPECT_EQ(KapInstallFolder(), "");
  }
}

}  // namespace
}  // namespace capsdub
