// Recorded capsules and disk space through KAP.dll's exports: which capsules are listed, how a
// capsule is described, deletion, memo and name, and the disk-space figures.
#include <cstring>

#include "platform/files.h"
#include "tests/kap/kap_fixture.h"

namespace capsdub::kaptest {
namespace {

using RecordedTest = KapFixture;

struct Listing {
  std::vector<std::int32_t> ids;
  std::int32_t last = 0;
};

Listing ListRecorded(kapctl::KapLibrary& kap) {
  Listing listing;
  KapRecordInfo record = BlankRecord();
  std::int32_t cursor = 0;
  std::int32_t result = kap.GetFirstRecorded(1, &cursor, &record);
  for (; result == kKapOk; result = kap.GetNextRecorded(1, &cursor, &record)) {
    EXPECT_EQ(cursor, record.id);
    listing.ids.push_back(record.id);
  }
  listing.last = result;
  return listing;
}

TEST_F(RecordedTest, ListsOnlyCapsulesWhoseStateWordsAreBothZero) {
  struct Case {
    const char* what;
    std::vector<TestCapsule> capsules;
    std::vector<std::int32_t> listed;
  };
  const Case cases[] = {
      {"no capsules", {}, {}},
      {"none listable", {MakeCapsule(2, "a", 1), MakeCapsule(5, "b", 0, 1)}, {}},
      {"mixed, first unlisted",
       {MakeCapsule(2, "a", 1), MakeCapsule(3, "b"), MakeCapsule(5, "c", 0, 2),
        MakeCapsule(9, "d", 1, 1), MakeCapsule(11, "e"), MakeCapsule(14, "f", 1)},
       {3, 11}},
      {"all listable", {MakeCapsule(1, "a"), MakeCapsule(4, "b")}, {1, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestHost host = DefaultHost();
    host.capsules = c.capsules;
    WriteHost(host);
    Load();
    Open();
    const Listing listing = ListRecorded(*kap_);
    EXPECT_EQ(listing.ids, c.listed);
    EXPECT_EQ(listing.last, kKapNoMoreEntries);
    if (c.listed.empty()) {
      KapRecordInfo record = BlankRecord();
      std::int32_t cursor = 0;
      EXPECT_EQ(kap_->GetNextRecorded(1, &cursor, &record), kKapNoMoreEntries);
    }
    Close();
  }
}

TEST_F(RecordedTest, DescribesTheCapsule) {
  TestHost host = DefaultHost();
  TestCapsule capsule = MakeCapsule(42, "Long night");
  capsule.start = {2001, 4, 13, 23, 30};
  capsule.extras.length_ms = 90'059'999;  // 25 h 0 min 59.999 s
  capsule.extras.mode = 1;
  capsule.extras.channel = 8;
  capsule.channel_name = "CX";
  capsule.memo = "first line\r\nsecond line";
  host.capsules = {capsule};
  WriteHost(host);
  Open();
  GuardedRecord<KapRecordInfo> record;
  *record.get() = BlankRecord();
  std::memset(record->title, 'x', sizeof(record->title));  // stale text must go
  std::int32_t cursor = 0;
  ASSERT_EQ(kap_->GetFirstRecorded(1, &cursor, record.get()), kKapOk);
  EXPECT_EQ(cursor, 42);
  EXPECT_EQ(record->id, 42);
  EXPECT_EQ(TimeText(record->start), "v1 2001-04-13 23:30");
  EXPECT_EQ(TimeText(record->end), "v1 2001-04-15 00:30");
  EXPECT_EQ(record->mode, 2);
  EXPECT_EQ(record->channel.version, 1);
  EXPECT_EQ(record->channel.number, 8);
  EXPECT_EQ(record->channel.number2, 8);
  EXPECT_EQ(KAP_FIELD(*record, channel.name), "CX");
  EXPECT_EQ(KAP_FIELD(*record, title), "Long night");
  EXPECT_EQ(KAP_FIELD(*record, memo), "first line\r\nsecond line");
  EXPECT_EQ(kap_->GetNextRecorded(1, &cursor, record.get()), kKapNoMoreEntries);
}

TEST_F(RecordedTest, MemoComesBackAsAtMost3839Bytes) {
  const std::size_t lengths[] = {0, 3839, 3840, 5000};
  TestHost host = DefaultHost();
  host.capsules.clear();
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    TestCapsule capsule = MakeCapsule(static_cast<int>(i) + 1, Numbered("c", i));
    capsule.memo = std::string(lengths[i], static_cast<char>('a' + i));
    host.capsules.push_back(capsule);
  }
  WriteHost(host);
  Open();
  // The memo ends the record, and the record ends at a guard page: a write past the field's
  // end faults.
  GuardedRecord<KapRecordInfo> record;
  *record = BlankRecord();
  std::memset(record->memo, 'z', sizeof(record->memo));
  std::int32_t cursor = 0;
  std::int32_t result = kap_->GetFirstRecorded(1, &cursor, record.get());
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    ASSERT_EQ(result, kKapOk);
    const std::size_t expected = std::min<std::size_t>(lengths[i], 3839);
    EXPECT_EQ(KAP_FIELD(*record, memo), std::string(expected, static_cast<char>('a' + i)));
    EXPECT_EQ(record->memo[sizeof(record->memo) - 1], '\0');  // zero-padded
    result = kap_->GetNextRecorded(1, &cursor, record.get());
  }
}

TEST_F(RecordedTest, VersionWordsOtherThanOneAreRefused) {
  const std::pair<const char*, std::size_t> words[] = {
      {"record", 0}, {"start", 8}, {"end", 16}, {"channel", 26}};
  TestHost host = DefaultHost();
  host.capsules = {MakeCapsule(2, "a", 1), MakeCapsule(3, "b"), MakeCapsule(12, "c")};
  WriteHost(host);
  Open();
  for (const auto& [what, offset] : words) {
    SCOPED_TRACE(what);
    for (std::uint16_t version : {0, 2, 0xFFFF}) {
      KapRecordInfo record = BlankRecord();
      std::memcpy(reinterpret_cast<char*>(&record) + offset, &version, sizeof(version));
      std::int32_t cursor = 0;
      EXPECT_EQ(kap_->GetFirstRecorded(1, &cursor, &record), kKapBadVersion);
      EXPECT_EQ(cursor, 3);  // moved on to the listable capsule all the same
      EXPECT_EQ(kap_->GetNextRecorded(1, &cursor, &record), kKapBadVersion);
      EXPECT_EQ(cursor, 12);
    }
  }
  std::int32_t cursor = 0;
  EXPECT_EQ(kap_->GetFirstRecorded(1, &cursor, nullptr), kKapBadVersion);
  KapRecordInfo record = BlankRecord();
  EXPECT_EQ(kap_->GetFirstRecorded(1, nullptr, &record), kKapNoMoreEntries);
  EXPECT_EQ(kap_->GetNextRecorded(1, nullptr, &record), kKapNoMoreEntries);
}

TEST_F(RecordedTest, HostFailuresEndOrSkipTheListing) {
  Open();
  struct Case {
    const char* fail;
    std::vector<std::int32_t> listed;
    std::int32_t last;
  };
  // Capsules 3, 7 and 12; the first and second listing call each read one capsule record
  // before the fill reads it again.
  const Case cases[] = {
      {"RVCRFirstTape", {}, kKapNoMoreEntries},
      {"RVCRGetTapeInfo", {}, kKapNoMoreEntries},  // the first capsule cannot be read
      {"RVCRNextTape", {3}, kKapNoMoreEntries},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fail);
    StandInFailNext(c.fail, 3);
    const Listing listing = ListRecorded(*kap_);
    EXPECT_EQ(listing.ids, c.listed);
    EXPECT_EQ(listing.last, c.last);
    StandInReset();
  }
  // A capsule that cannot be read while moving on is skipped.
  KapRecordInfo record = BlankRecord();
  std::int32_t cursor = 0;
  ASSERT_EQ(kap_->GetFirstRecorded(1, &cursor, &record), kKapOk);
  StandInFailNext("RVCRGetTapeInfo", 3);
  ASSERT_EQ(kap_->GetNextRecorded(1, &cursor, &record), kKapOk);
  EXPECT_EQ(record.id, 12);
}

TEST_F(RecordedTest, DeleteRenameAndMemo) {
  Open();
  EXPECT_EQ(kap_->DeleteRecorded(1, 7), kKapOk);
  EXPECT_EQ(ListRecorded(*kap_).ids, (std::vector<std::int32_t>{3, 12}));
  EXPECT_EQ(ReadCapsules(host_).size(), 2u);
  EXPECT_EQ(platform::FileExists(hoststore::ExtensionPathOf(host_, "0007")), false);
  EXPECT_EQ(kap_->DeleteRecorded(1, 7), kKapNoSuchId);
  EXPECT_EQ(kap_->DeleteRecorded(1, 99), kKapNoSuchId);

  EXPECT_EQ(kap_->SetNameRecorded(1, 12, "Renamed"), kKapOk);
  const std::string long_memo(5000, 'm');
  EXPECT_EQ(kap_->SetMemoRecorded(1, 12, long_memo.c_str()), kKapOk);
  GuardedRecord<KapRecordInfo> record;
  *record = BlankRecord();
  std::int32_t cursor = 0;
  ASSERT_EQ(kap_->GetFirstRecorded(1, &cursor, record.get()), kKapOk);
  ASSERT_EQ(kap_->GetNextRecorded(1, &cursor, record.get()), kKapOk);
  EXPECT_EQ(KAP_FIELD(*record, title), "Renamed");
  EXPECT_EQ(KAP_FIELD(*record, memo), long_memo.substr(0, 3839));

  EXPECT_EQ(kap_->SetNameRecorded(1, 99, "x"), kKapNoSuchId);
  EXPECT_EQ(kap_->SetMemoRecorded(1, 99, "x"), kKapNoSuchId);
  EXPECT_EQ(kap_->SetNameRecorded(1, 12, nullptr), kKapNoSuchId);
  EXPECT_EQ(kap_->SetMemoRecorded(1, 12, nullptr), kKapNoSuchId);
  StandInFailNext("RVCRDeleteTape", 5);
  EXPECT_EQ(kap_->DeleteRecorded(1, 3), kKapNoSuchId);
  EXPECT_EQ(ListRecorded(*kap_).ids, (std::vector<std::int32_t>{3, 12}));
}

TEST_F(RecordedTest, DiskSpaceLeftIsTheMediaFreeBytes) {
  Open();
  std::uint64_t bytes = 1;
  EXPECT_EQ(kap_->GetDiskSpaceLeft(1, &bytes), kKapOk);
  EXPECT_EQ(bytes, 500'000'000'000ull);
  StandInFailNext("RVCRGetTotalMediaInfo", 5);
  EXPECT_EQ(kap_->GetDiskSpaceLeft(1, &bytes), kKapOk);
  EXPECT_EQ(bytes, 0u);  // nothing supplied: nothing free
  EXPECT_EQ(kap_->GetDiskSpaceLeft(1, nullptr), kKapNoMoreEntries);
}

TEST_F(RecordedTest, DiskSpaceRequired) {
  Open();
  const hoststore::MediaSettings media = DefaultHost().media;
  auto space = [&](std::uint32_t ms, int host_mode) {
    const hoststore::DiskSpace s = hoststore::SpaceForLength(media, ms, host_mode);
    return s.video + s.index;
  };
  constexpr std::uint32_t kSpan = 71582;  // the most minutes whose milliseconds fit 32 bits
  constexpr std::uint64_t kUntouched = 0xDEADBEEFull;
  struct Case {
    std::int32_t mode;
    std::uint32_t minutes;
    std::int32_t result;
    std::uint64_t bytes;  // kUntouched: nothing written
  };
  const Case cases[] = {
      {7, 0, kKapOk, 0},
      {7, 30, kKapBadMode, kUntouched},
      {0, 30, kKapBadMode, kUntouched},
      {4, 30, kKapBadMode, kUntouched},
      {1, 30, kKapOk, space(1'800'000, 0)},
      {3, 30, kKapOk, space(1'800'000, 2)},
      // Milliseconds beyond 32 bits are asked for in parts, not wrapped round.
      {1, 100'000, kKapOk, space(kSpan * 60000, 0) + space((100'000 - kSpan) * 60000, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << ", " << c.minutes << " minutes");
    std::uint64_t bytes = kUntouched;
    EXPECT_EQ(kap_->GetDiskSpaceRequired(1, c.mode, c.minutes, &bytes), c.result);
    EXPECT_EQ(bytes, c.bytes);
  }
  EXPECT_EQ(kap_->GetDiskSpaceRequired(1, 1, 30, nullptr), kKapNoMoreEntries);
}

}  // namespace
}  // namespace capsdub::kaptest
