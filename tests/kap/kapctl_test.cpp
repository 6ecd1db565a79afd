// kapctl, the console client, run as a child process on the test host; and a capsule deleted
// through KAP.dll disappearing from capsdub-cli's list.
#include <cstring>

#include "platform/files.h"
#include "tests/kap/kap_fixture.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub::kaptest {
namespace {

using KapctlTest = KapFixture;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(KapctlTest, ListsChannelsCapsulesAndReservations) {
  ChildResult channels = Kapctl(L"channels");
  EXPECT_EQ(channels.exit_code, 0u) << channels.output;
  EXPECT_TRUE(Contains(channels.output, "4\t1004\tNTV")) << channels.output;
  EXPECT_TRUE(Contains(channels.output, "4 channels")) << channels.output;

  ChildResult recorded = Kapctl(L"recorded");
  EXPECT_EQ(recorded.exit_code, 0u) << recorded.output;
  EXPECT_TRUE(Contains(recorded.output, "Bravo")) << recorded.output;
  EXPECT_TRUE(Contains(recorded.output, "3 capsules")) << recorded.output;

  ChildResult reservations = Kapctl(L"reservations");
  EXPECT_EQ(reservations.exit_code, 0u) << reservations.output;
  EXPECT_TRUE(Contains(reservations.output, "0 reservations")) << reservations.output;
}

TEST_F(KapctlTest, ChangesRecordedCapsules) {
  EXPECT_EQ(Kapctl(L"rename 12 \"New title\"").exit_code, 0u);
  EXPECT_EQ(Kapctl(L"memo 12 \"New memo\"").exit_code, 0u);
  EXPECT_EQ(Kapctl(L"delete 3").exit_code, 0u);
  const ChildResult missing = Kapctl(L"delete 3");
  EXPECT_EQ(missing.exit_code, 9u);
  EXPECT_TRUE(Contains(missing.output, "result -9")) << missing.output;

  const auto capsules = ReadCapsules(host_);
  ASSERT_EQ(capsules.size(), 2u);
  EXPECT_EQ(capsules[1].title, "New title");
  EXPECT_EQ(hoststore::MemoOfExtension(ReadFileBytes(hoststore::ExtensionPathOf(host_, "0012"))),
            "New memo");
}

TEST_F(KapctlTest, ReservesByChannelNumberOrNameAndDeletes) {
  auto when = [](int days, int hour) {
    const KapTime t = DaysFromNow(days, hour, 0);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02uT%02u:00", t.year, t.month, t.day, t.hour);
    return std::wstring(text);
  };
  const ChildResult by_number =
      Kapctl(L"reserve 8 " + when(2, 20) + L" " + when(2, 21) + L" 3 Lima \"a memo\"");
  EXPECT_EQ(by_number.exit_code, 0u) << by_number.output;
  const ChildResult by_name = Kapctl(L"reserve fuji " + when(3, 20) + L" " + when(3, 21));
  EXPECT_EQ(by_name.exit_code, 0u) << by_name.output;
  const ChildResult too_short = Kapctl(L"reserve 8 " + when(4, 20) + L" " + when(4, 20));
  EXPECT_EQ(too_short.exit_code, 8u) << too_short.output;

  const auto reservations = ReadReservations(host_);
  ASSERT_EQ(reservations.size(), 2u);
  EXPECT_EQ(reservations[0].channel, 8);
  EXPECT_EQ(reservations[1].channel, 8);
  const ChildResult listed = Kapctl(L"reservations");
  EXPECT_TRUE(Contains(listed.output, "Lima")) << listed.output;
  EXPECT_TRUE(Contains(listed.output, "mode 3")) << listed.output;

  EXPECT_EQ(Kapctl(L"unreserve " + std::to_wstring(reservations[0].id)).exit_code, 0u);
  EXPECT_EQ(ReadReservations(host_).size(), 1u);
}

TEST_F(KapctlTest, ReportsWrongUsageAndTheBusySession) {
  EXPECT_EQ(Kapctl(L"").exit_code, 255u);
  EXPECT_EQ(Kapctl(L"frobnicate").exit_code, 255u);
  EXPECT_EQ(Kapctl(L"delete x").exit_code, 255u);
  EXPECT_EQ(Kapctl(L"reserve 8 tomorrow later").exit_code, 255u);
  Open();
  const ChildResult busy = Kapctl(L"recorded");
  EXPECT_EQ(busy.exit_code, 20u);
  EXPECT_TRUE(Contains(busy.output, "result -20")) << busy.output;
}

TEST_F(KapctlTest, DeletedCapsuleLeavesCapsdubsList) {
#ifndef CAPSDUB_CLI_PATH
  GTEST_SKIP() << "capsdub-cli is not part of this build";
#else
  // The build's path of capsdub-cli.exe, as Wine sees it (Z: is the root folder).
  const std::wstring cli = L"Z:" + Widen(CAPSDUB_CLI_PATH);
  if (GetFileAttributesW(cli.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "capsdub-cli is not built";
  }
  samplegen::RandomOptions options;
  options.media = {host_[0]};
  options.scale = samplegen::SizeScale::kTiny;
  options.special_cases = false;
  const samplegen::HostLayout layout = samplegen::RandomHost(7, 4, options);
  samplegen::WriteHost(host_, layout);
  const std::string number = layout.capsules.at(1).number;
  // The folder ends in a backslash, doubled so that it does not escape the closing quote.
  const std::wstring list = L"list --tsv --host \"" + folder_->path() + L"\\\"";
  const ChildResult before = RunProgram(cli, list);
  ASSERT_EQ(before.exit_code, 0u) << before.output;
  ASSERT_TRUE(Contains(before.output, number + "\t")) << before.output;

  Open();
  ASSERT_EQ(kap_->DeleteRecorded(1, std::stoi(number)), kKapOk);
  Close();
  const ChildResult after = RunProgram(cli, list);
  ASSERT_EQ(after.exit_code, 0u) << after.output;
  EXPECT_FALSE(Contains(after.output, number + "\t")) << after.output;
  EXPECT_TRUE(Contains(after.output, layout.capsules.at(0).number + "\t")) << after.output;
#endif
}

}  // namespace
}  // namespace capsdub::kaptest
