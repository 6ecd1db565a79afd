// Deleting dubbed capsules through the library's entries, with a fake library that records its
// calls and, like the real one, refuses a second session while one is open.
#include "dubbing/kap_capsule_deleter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue/tables.h"
#include "dubbing/dubbing_job.h"
#include "tests/dubbing/test_support.h"
#include "tools/samplegen/sample_host.h"

namespace capsdub {
namespace {

using testing::FakeWindow;
using testing::Sjis;

// The fake library: its answers, and the calls it received as text.
struct FakeLibrary {
  std::int32_t open_result = kKapOk;
  std::int32_t delete_result = kKapOk;
  bool session_open = false;
  std::vector<std::string> calls;
};
FakeLibrary* fake = nullptr;

constexpr std::int32_t kSession = 7;  // the token the fake hands out

std::int32_t KAP_CALL FakeOpen(std::int32_t* session) {
  fake->calls.push_back("open");
  if (fake->open_result != kKapOk) return fake->open_result;
  if (fake->session_open) return kKapInUse;
  fake->session_open = true;
  *session = kSession;
  return kKapOk;
}

std::int32_t KAP_CALL FakeDeleteRecorded(std::int32_t session, std::int32_t id) {
  fake->calls.push_back("delete " + std::to_string(session) + " " + std::to_string(id));
  return fake->delete_result;
}

std::int32_t KAP_CALL FakeClose(std::int32_t session) {
  fake->calls.push_back("close " + std::to_string(session));
  fake->session_open = false;
  return kKapOk;
}

std::int32_t KAP_CALL UnexpectedCall(std::int32_t, std::int32_t) {
  fake->calls.push_back("unexpected");
  return kKapOk;
}

class KapCapsuleDeleterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = &library_;
    entries_.KapOpen = &FakeOpen;
    entries_.KapDeleteRecorded = &FakeDeleteRecorded;
    entries_.KapClose = &FakeClose;
    entries_.KapDeleteReservation = &UnexpectedCall;
  }
  void TearDown() override { fake = nullptr; }

  bool Delete(const std::string& number) {
    KapCapsuleDeleter deleter(&entries_);
    return deleter.DeleteDubbedCapsule(number, window_);
  }
  // The one message box shown, which must carry the error icon.
  std::string OnlyNotice() const {
    EXPECT_EQ(window_.notices.size(), 1u);
    if (window_.notices.empty()) return {};
    EXPECT_EQ(window_.notices[0].icon, MessageIcon::kError);
    return window_.notices[0].text;
  }

  FakeLibrary library_;
  KapEntries entries_;
  FakeWindow window_;
};

TEST_F(KapCapsuleDeleterTest, DeletesTheCapsuleInASessionOfItsOwn) {
  EXPECT_TRUE(Delete("0042"));
  EXPECT_EQ(library_.calls, (std::vector<std::string>{"open", "delete 7 42", "close 7"}));
  EXPECT_TRUE(window_.notices.empty());
  EXPECT_FALSE(library_.session_open);
}

TEST_F(KapCapsuleDeleterTest, SessionRefusedShowsTheStartErrorAndClosesNothing) {
  library_.open_result = kKapInUse;
  EXPECT_FALSE(Delete("0042"));
  EXPECT_EQ(library_.calls, (std::vector<std::string>{"open"}));
  EXPECT_EQ(OnlyNotice(), Sjis("Reel Keeper起動エラー / 他の誰かが使用中でAPIをOpenできない"));
}

TEST_F(KapCapsuleDeleterTest, RefusedDeletionShowsTheLibrarysTextAndStillCloses) {
  library_.delete_result = kKapNoSuchId;
  EXPECT_FALSE(Delete("9999"));
  EXPECT_EQ(library_.calls, (std::vector<std::string>{"open", "delete 7 9999", "close 7"}));
  EXPECT_EQ(OnlyNotice(), Sjis("ビデオカプセル削除エラー / 指定したIDの物は存在しない"));

  // A code without a text of its own still reads as a deletion error.
  window_.notices.clear();
  library_.delete_result = -3;
  EXPECT_FALSE(Delete("0001"));
  EXPECT_EQ(OnlyNotice(), Sjis("ビデオカプセル削除エラー / 不明"));
  EXPECT_FALSE(library_.session_open);
}

TEST_F(KapCapsuleDeleterTest, NumbersThatAreNotCapsuleIdsCallNothing) {
  for (const std::string number :
       {"", "12a", "-1", "-5", "+5", " 12", "12 ", "0x1F", "2147483648", "99999999999999999999",
        "\x82\x4f\x82\x50"}) {  // the last: full-width "01"
    SCOPED_TRACE("number '" + number + "'");
    window_.notices.clear();
    EXPECT_FALSE(Delete(number));
    EXPECT_TRUE(library_.calls.empty());
    EXPECT_EQ(OnlyNotice(), Sjis("ビデオカプセルIDエラー(ID = ") + number + ")");
  }
}

TEST(CapsuleIdOf, ReadsDecimalDigitsUpToTheIdRange) {
  EXPECT_EQ(CapsuleIdOf("0042"), 42);
  EXPECT_EQ(CapsuleIdOf("0000"), 0);
  EXPECT_EQ(CapsuleIdOf("9999"), 9999);
  EXPECT_EQ(CapsuleIdOf("2147483647"), 2147483647);
  EXPECT_EQ(CapsuleIdOf("0000000000002147483647"), 2147483647);  // leading zeros never overflow
  EXPECT_EQ(CapsuleIdOf("2147483648"), std::nullopt);
  EXPECT_EQ(CapsuleIdOf("-1"), std::nullopt);
  EXPECT_EQ(CapsuleIdOf(""), std::nullopt);
}

TEST_F(KapCapsuleDeleterTest, WithoutABoundLibraryNothingIsCalled) {
  KapCapsuleDeleter unloaded(nullptr);
  EXPECT_FALSE(unloaded.DeleteDubbedCapsule("0042", window_));
  EXPECT_EQ(OnlyNotice(), Sjis("Reel Keeper起動エラー / APIをLoadLibrary()できなかった"));

  // Entries left unbound count as no library, whichever of the three is missing.
  const std::function<void(KapEntries&)> unbind[] = {
      [](KapEntries& e) { e.KapOpen = nullptr; },
      [](KapEntries& e) { e.KapDeleteRecorded = nullptr; },
      [](KapEntries& e) { e.KapClose = nullptr; },
  };
  for (const auto& missing : unbind) {
    window_.notices.clear();
    KapEntries partial = entries_;
    missing(partial);
    KapCapsuleDeleter deleter(&partial);
    EXPECT_FALSE(deleter.DeleteDubbedCapsule("0042", window_));
    EXPECT_EQ(OnlyNotice(), DeletionUnavailableMessage());
  }
  EXPECT_TRUE(library_.calls.empty());
}

// Two capsules dubbed in one job with "削除する" ticked: each deletion opens and closes its own
// session, so the second is not refused by the first.
TEST_F(KapCapsuleDeleterTest, EachDeletionOfAJobOpensItsOwnSession) {
  testing::ScratchFolder scratch;
  const std::string host = scratch.Folder("Reel Keeper\\");
  samplegen::HostLayout layout;
  layout.media = {scratch.drive()};
  for (const char* number : {"0003", "0012"}) {
    samplegen::CapsuleLayout c;
    c.number = number;
    c.title = std::string("T") + number;
    c.start = {2001, 3, 15, 21, 30, 0, 0};
    c.size_bytes = 4000;
    c.medium = scratch.drive();
    c.segments.push_back({".ssg", 4000, 0, 0, true});
    layout.capsules.push_back(c);
  }
  samplegen::WriteHost(host, layout);
  window_.table.PathReelKeeper = host;
  window_.table.Selection = {testing::AddRow(window_.table, "0003", "T0003", 1),
                             testing::AddRow(window_.table, "0012", "T0012", 1)};
  window_.save_folder = scratch.Folder("out\\");
  window_.check_delete = true;
  KapCapsuleDeleter deleter(&entries_);
  ActionExportExecute(window_, deleter);

  EXPECT_EQ(library_.calls, (std::vector<std::string>{"open", "delete 7 3", "close 7", "open",
                                                      "delete 7 12", "close 7"}));
  EXPECT_TRUE(window_.notices.empty());
}

}  // namespace
}  // namespace capsdub
