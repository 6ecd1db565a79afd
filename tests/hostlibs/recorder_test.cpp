// The simulated recorder on a host folder written by the sample generator, checked through
// CapsDub's own catalogue reader: what the recorder changes is what CapsDub then reads.
#include "hostlibs/sim/recorder.h"

#include <gtest/gtest.h>

#include "hostlibs/store/store_writer.h"
#include "hostlibs/store/tape_record.h"
#include "platform/files.h"
#include "tests/hostlibs/standin_host.h"

namespace capsdub::hostsim {
namespace {

using standin_test::ListedNumbers;
using standin_test::LoadHostCatalogue;
using standin_test::RowOf;

std::vector<std::int32_t> AllTapes(Recorder& recorder) {
  std::vector<std::int32_t> ids;
  std::int32_t id = -1;
  EXPECT_EQ(recorder.FirstTape(&id), kOk);
  while (id != 0 && ids.size() < 100) {
    ids.push_back(id);
    EXPECT_EQ(recorder.NextTape(id, &id), kOk);
  }
  return ids;
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.WriteSample();
    hoststore::WriteChannelTable(host(), hoststore::SampleChannels());
  }
  const std::string& host() const { return temp_.host(); }
  std::string TapeBytes() const { return temp_.Read("RKDB\\RKDBTape.SVD"); }
  void SetMedia(const hoststore::MediaSettings& media) {
    hoststore::WriteMediaSettings(host(), media);
  }

  standin_test::TempHost temp_;
  Recorder recorder_{temp_.host()};
};

TEST_F(RecorderTest, ListsCapsulesInIdOrder) {
  EXPECT_EQ(AllTapes(recorder_), (std::vector<std::int32_t>{1, 2, 5}));
  std::int32_t id = -1;
  EXPECT_EQ(recorder_.NextTape(5, &id), kOk);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(recorder_.NextTape(3, &id), kOk);  // a current id that is gone still moves on
  EXPECT_EQ(id, 5);
}

TEST_F(RecorderTest, DescribesCapsulesFromTheirRecords) {
  TapeInfo tape;
  ASSERT_EQ(recorder_.GetTape(1, tape), kOk);
  EXPECT_EQ(tape.id, 1);
  EXPECT_EQ(tape.name, "Alpha");
  EXPECT_EQ(tape.channel_name, hoststore::SampleChannels()[0].name);
  EXPECT_EQ(tape.channel, 1);  // looked up in the channel table by name
  EXPECT_EQ(tape.start, (hoststore::Minute{2001, 4, 13, 23, 30}));
  EXPECT_EQ(tape.memo, "first memo");
  EXPECT_EQ(tape.mode, 0);
  EXPECT_EQ(tape.state_a, 0);
  EXPECT_EQ(tape.state_b, 0);
  EXPECT_EQ(tape.length_ms, hoststore::LengthForSize(hoststore::MediaSettings{}, 3000, 0));

  ASSERT_EQ(recorder_.GetTape(2, tape), kOk);
  EXPECT_EQ(tape.start, (hoststore::Minute{2001, 4, 14, 1, 30}));  // written as 25:30
  ASSERT_EQ(recorder_.GetTape(5, tape), kOk);
  EXPECT_EQ(tape.channel, 0);  // "Local" is not in the channel table
  EXPECT_EQ(tape.memo, "");

  for (std::int32_t missing : {0, 3, 4, 10000, -1}) {
    EXPECT_EQ(recorder_.GetTape(missing, tape), kNotFound) << missing;
  }
}

TEST_F(RecorderTest, NameAndMemoChangesAreWhatCapsDubReads) {
  const std::string ext_before = temp_.Read("RKDB\\TapeExt\\Tx0001.SVD");
  ASSERT_EQ(recorder_.SetTapeName(1, "\x90V\x82\xb5\x82\xa2\x96\xbc\x91O"), kOk);  // 新しい名前
  ASSERT_EQ(recorder_.SetTapeMemo(1, "new memo"), kOk);
  const Catalogue catalogue = LoadHostCatalogue(host());
  const CatalogueRow* row = RowOf(catalogue, "0001");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->Title, "\x90V\x82\xb5\x82\xa2\x96\xbc\x91O");
  EXPECT_EQ(row->Memo, "new memo");
  EXPECT_EQ(row->Channel, hoststore::SampleChannels()[0].name);  // the rest of the record kept
  EXPECT_EQ(hoststore::SegmentLinesOf(temp_.Read("RKDB\\TapeExt\\Tx0001.SVD")),
            hoststore::SegmentLinesOf(ext_before));

  // A memo longer than the block: the library keeps it whole, CapsDub reads its block.
  const std::string long_memo(5000, 'm');
  ASSERT_EQ(recorder_.SetTapeMemo(1, long_memo), kOk);
  TapeInfo tape;
  ASSERT_EQ(recorder_.GetTape(1, tape), kOk);
  EXPECT_EQ(tape.memo, long_memo);
  EXPECT_EQ(RowOf(LoadHostCatalogue(host()), "0001")->Memo, long_memo.substr(0, 2096));

  EXPECT_EQ(recorder_.SetTapeMemo(3, "x"), kNotFound);
  EXPECT_EQ(recorder_.SetTapeName(9, "x"), kNotFound);
  EXPECT_FALSE(temp_.Exists("RKDB\\TapeExt\\Tx0003.SVD"));
}

TEST_F(RecorderTest, DeletedCapsuleLeavesTheCatalogue) {
  EXPECT_EQ(ListedNumbers(LoadHostCatalogue(host())),
            (std::set<std::string>{"0001", "0002", "0003", "0005"}));
  const std::string other_ext = temp_.Read("RKDB\\TapeExt\\Tx0002.SVD");
  const std::string tape_before = TapeBytes();

  ASSERT_EQ(recorder_.DeleteTape(1), kOk);
  const Catalogue after = LoadHostCatalogue(host());
  EXPECT_EQ(ListedNumbers(after), (std::set<std::string>{"0002", "0003", "0005"}));
  EXPECT_EQ(after.Table2.Find("0001"), nullptr);
  for (const char* gone :
       {"0001-001.ssg", "0001-002.ssg", "0001-001.ssx", "RKDB\\TapeExt\\Tx0001.SVD"}) {
    EXPECT_FALSE(temp_.Exists(gone)) << gone;
  }
  EXPECT_TRUE(temp_.Exists("0002-001.ssx"));
  EXPECT_EQ(temp_.Read("RKDB\\TapeExt\\Tx0002.SVD"), other_ext);
  // Only the slot of capsule 0001 changed, and it now reads as an empty slot.
  const std::string tape_after = TapeBytes();
  ASSERT_EQ(tape_after.size(), tape_before.size());
  const std::size_t slot = 4 * hoststore::kTapeRecordSize;
  EXPECT_EQ(tape_after.substr(0, slot), tape_before.substr(0, slot));
  EXPECT_TRUE(hoststore::IsEmptySlot(tape_after.substr(slot, 1024)));
  EXPECT_EQ(tape_after.substr(slot + 1024), tape_before.substr(slot + 1024));

  EXPECT_EQ(recorder_.DeleteTape(1), kNotFound);
  EXPECT_EQ(recorder_.DeleteTape(3), kNotFound);  // files but no record: not the library's
}

TEST_F(RecorderTest, DeleteTouchesOnlyTheCapsulesOwnFiles) {
  // An extension file that names another capsule's segment and a foreign file.
  const std::string foreign = "keep-me.txt";
  temp_.Write(foreign, "x");
  std::string listing = temp_.Path("0002-001.ssx") + "\r\n" + temp_.Path(foreign) + "\r\n" +
                        temp_.Path("0005-001.mpg") + "\r\n";
  temp_.Write("RKDB\\TapeExt\\Tx0005.SVD", *hoststore::ExtensionWithMemo(listing, ""));
  ASSERT_EQ(recorder_.DeleteTape(5), kOk);
  EXPECT_TRUE(temp_.Exists(foreign));
  EXPECT_TRUE(temp_.Exists("0002-001.ssx"));
  EXPECT_FALSE(temp_.Exists("0005-001.mpg"));
  EXPECT_FALSE(temp_.Exists("0005-001.ssx"));  // found on the medium though not listed
}

TEST_F(RecorderTest, CreatedCapsuleTakesAFreeNumberAndTheEmptySlot) {
  const std::string before = TapeBytes();
  std::int32_t id = 0;
  ASSERT_EQ(recorder_.CreateTape("Recording 1", 1, &id), kOk);
  EXPECT_EQ(id, 4);  // 3 has segment files on disk though no record
  const std::string after = TapeBytes();
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(6 * 1024, 4), "0004");  // the slot that was empty
  EXPECT_TRUE(temp_.Exists("RKDB\\TapeExt\\Tx0004.SVD"));

  TapeInfo tape;
  ASSERT_EQ(recorder_.GetTape(4, tape), kOk);
  EXPECT_EQ(tape.name, "Recording 1");
  EXPECT_EQ(tape.mode, 1);
  EXPECT_EQ(tape.state_a, 1);  // waits for its recording
  EXPECT_EQ(tape.memo, "");

  ASSERT_EQ(recorder_.CreateTape("Recording 2", 0, &id), kOk);
  EXPECT_EQ(id, 6);
  EXPECT_EQ(TapeBytes().size(), before.size() + 1024);  // appended
  const Catalogue catalogue = LoadHostCatalogue(host());
  EXPECT_EQ(ListedNumbers(catalogue), (std::set<std::string>{"0001", "0002", "0003", "0005"}));
  ASSERT_NE(catalogue.Table2.Find("0006"), nullptr);
  EXPECT_EQ(catalogue.Table2.Find("0006")->Title, "Recording 2");
}

TEST_F(RecorderTest, CreateRefusals) {
  std::int32_t id = 0;
  EXPECT_EQ(recorder_.CreateTape("Alpha", 0, &id), kNameExists);
  EXPECT_EQ(recorder_.CreateTape("  Alpha ", 0, &id), kNameExists);
  EXPECT_EQ(recorder_.CreateTape("x", 3, &id), kBadArgument);
  EXPECT_EQ(recorder_.CreateTape("x", -1, &id), kBadArgument);

  hoststore::MediaSettings media;
  media.reservation_limit = 1;
  SetMedia(media);
  EXPECT_EQ(recorder_.CreateTape("first", 0, &id), kOk);
  EXPECT_EQ(recorder_.CreateTape("second", 0, &id), kNoMoreReservations);

  std::string tape = TapeBytes() + "partial";
  temp_.Write("RKDB\\RKDBTape.SVD", tape);
  EXPECT_EQ(recorder_.CreateTape("third", 0, &id), kCorrupt);
  EXPECT_EQ(TapeBytes(), tape);
  EXPECT_NE(recorder_.last_error().find("RKDBTape.SVD"), std::string::npos);
  // Reading ignores the partial record, as CapsDub does.
  EXPECT_EQ(AllTapes(recorder_).size(), 4u);
}

TEST(RecorderNewHost, FirstCapsuleCreatesTheTapeDatabase) {
  standin_test::TempHost temp;
  ASSERT_TRUE(platform::CreateFolders(temp.host()));
  Recorder recorder(temp.host());
  std::int32_t id = -1;
  EXPECT_EQ(recorder.FirstTape(&id), kOk);
  EXPECT_EQ(id, 0);
  ASSERT_EQ(recorder.CreateTape("New", 2, &id), kOk);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(temp.Read("RKDB\\RKDBTape.SVD").size(), 5u * 1024);
  const Catalogue catalogue = LoadHostCatalogue(temp.host());
  ASSERT_NE(catalogue.Table2.Find("0001"), nullptr);
  EXPECT_EQ(catalogue.Table2.Find("0001")->Title, "New");
}

TEST_F(RecorderTest, ReservationsAndTheirCapsules) {
  hoststore::MediaSettings media;
  media.free_bytes = std::uint64_t{1} << 40;
  SetMedia(media);
  std::int32_t tape_id = 0;
  ASSERT_EQ(recorder_.CreateTape("Reserved", 1, &tape_id), kOk);
  const hoststore::Minute start{2030, 5, 4, 9, 5};
  const hoststore::Minute end{2030, 5, 4, 10, 35};
  std::int32_t id = 0;
  ASSERT_EQ(recorder_.CreateReserve(start, end, tape_id, 4, "Four", &id), kOk);
  EXPECT_EQ(id, 1);
  hoststore::Reservation r;
  ASSERT_EQ(recorder_.GetReserve(1, r), kOk);
  EXPECT_EQ(r.capsule, tape_id);
  EXPECT_EQ(r.start, start);
  EXPECT_EQ(r.end, end);
  EXPECT_EQ(r.channel, 4);
  EXPECT_EQ(r.channel_name, "Four");
  EXPECT_TRUE(r.disk_area);

  TapeInfo tape;  // the capsule describes the recording it waits for
  ASSERT_EQ(recorder_.GetTape(tape_id, tape), kOk);
  EXPECT_EQ(tape.start, start);
  EXPECT_EQ(tape.channel, 4);
  EXPECT_EQ(tape.channel_name, "Four");
  EXPECT_EQ(tape.length_ms, 90u * 60000);
  EXPECT_EQ(tape.mode, 1);

  // The held space counts against the free bytes; a reservation that does not fit gets none.
  MediaTotals totals;
  ASSERT_EQ(recorder_.GetMediaTotals(totals), kOk);
  const hoststore::DiskSpace held = hoststore::SpaceForLength(media, 90 * 60000, 1);
  EXPECT_EQ(totals.free_bytes, media.free_bytes.value() - held.video - held.index);
  EXPECT_EQ(totals.capsule_count, 4u);
  EXPECT_EQ(totals.reservation_count, 1u);
  EXPECT_EQ(totals.media_count, 1u);
  media.free_bytes = held.video + held.index + 10;
  SetMedia(media);
  std::int32_t second_tape = 0;
  ASSERT_EQ(recorder_.CreateTape("Too long", 1, &second_tape), kOk);
  ASSERT_EQ(recorder_.CreateReserve(start, end, second_tape, 4, "", &id), kOk);
  EXPECT_EQ(id, 2);
  ASSERT_EQ(recorder_.GetReserve(2, r), kOk);
  EXPECT_FALSE(r.disk_area);

  std::int32_t next = -1;
  ASSERT_EQ(recorder_.FirstReserve(&next), kOk);
  EXPECT_EQ(next, 1);
  ASSERT_EQ(recorder_.NextReserve(1, &next), kOk);
  EXPECT_EQ(next, 2);
  ASSERT_EQ(recorder_.NextReserve(2, &next), kOk);
  EXPECT_EQ(next, 0);

  ASSERT_EQ(recorder_.DeleteReserve(1), kOk);
  EXPECT_EQ(recorder_.GetReserve(1, r), kNotFound);
  EXPECT_EQ(recorder_.DeleteReserve(1), kNotFound);
  // Deleting a capsule takes its reservations with it.
  ASSERT_EQ(recorder_.DeleteTape(second_tape), kOk);
  ASSERT_EQ(recorder_.FirstReserve(&next), kOk);
  EXPECT_EQ(next, 0);
}

TEST_F(RecorderTest, ReservationIntoARecordedCapsuleKeepsItsState) {
  std::int32_t id = 0;
  ASSERT_EQ(recorder_.CreateReserve({2030, 1, 2, 3, 4}, {2030, 1, 2, 4, 4}, 1, 6, "Six", &id), kOk);
  TapeInfo tape;
  ASSERT_EQ(recorder_.GetTape(1, tape), kOk);
  EXPECT_EQ(tape.state_a, 0);
  EXPECT_EQ(tape.mode, 0);
  EXPECT_EQ(tape.start, (hoststore::Minute{2030, 1, 2, 3, 4}));
  EXPECT_EQ(tape.channel, 6);
  EXPECT_EQ(tape.memo, "first memo");
}

TEST_F(RecorderTest, ReservationRefusals) {
  std::int32_t id = 0;
  const hoststore::Minute start{2030, 5, 4, 9, 5};
  EXPECT_EQ(recorder_.CreateReserve(start, start, 1, 0, "", &id), kBadArgument);
  EXPECT_EQ(recorder_.CreateReserve(start, {2030, 2, 30, 0, 0}, 1, 0, "", &id), kBadArgument);
  EXPECT_EQ(recorder_.CreateReserve(start, {2030, 5, 4, 9, 6}, 77, 0, "", &id), kNotFound);
  EXPECT_FALSE(temp_.Exists("RKDB\\StandIn\\reservations.txt"));
}

TEST_F(RecorderTest, CorruptFilesGiveAStatus) {
  std::int32_t id = 0;
  TapeInfo tape;
  hoststore::DiskSpace space;
  std::vector<hoststore::Channel> channels;
  MediaTotals totals;

  temp_.Write("RKDB\\StandIn\\reservations.txt", "[reservation]\nid=x\n");
  EXPECT_EQ(recorder_.FirstReserve(&id), kCorrupt);
  EXPECT_NE(recorder_.last_error().find("line 2"), std::string::npos) << recorder_.last_error();
  EXPECT_EQ(recorder_.GetMediaTotals(totals), kCorrupt);
  EXPECT_EQ(recorder_.CreateReserve({2030, 1, 1, 0, 0}, {2030, 1, 1, 1, 0}, 1, 0, "", &id),
            kCorrupt);

  temp_.Write("RKDB\\StandIn\\media.txt", std::string("\xff\xfe\0garbage", 10));
  EXPECT_EQ(recorder_.CalcDiskSpace(60000, 0, space), kCorrupt);
  EXPECT_EQ(recorder_.GetTape(1, tape), kCorrupt);  // its length comes from the media rates

  temp_.Write("RKDB\\StandIn\\channels.txt", "[channel]\nnumber=1\n");
  EXPECT_EQ(recorder_.GetChannels(channels), kCorrupt);
  ASSERT_TRUE(platform::DeleteFileAt(temp_.Path("RKDB\\StandIn\\channels.txt")));
  EXPECT_EQ(recorder_.GetChannels(channels), kNotFound);
}

TEST_F(RecorderTest, DiskSpaceFollowsTheMediaRates) {
  hoststore::DiskSpace space;
  ASSERT_EQ(recorder_.CalcDiskSpace(60000, 2, space), kOk);
  EXPECT_EQ(space.video, 500000u * 60);
  EXPECT_EQ(space.index, 2000u * 60);
  EXPECT_EQ(recorder_.CalcDiskSpace(60000, 3, space), kBadArgument);
  EXPECT_EQ(space.video + space.index, 0u);
  std::vector<hoststore::Channel> channels;
  ASSERT_EQ(recorder_.GetChannels(channels), kOk);
  EXPECT_EQ(channels, hoststore::SampleChannels());
}

}  // namespace
}  // namespace capsdub::hostsim

namespace capsdub::hostsim {
namespace {

TEST(SampleStandIn, ReservationsGoIntoCapsulesOfTheirOwn) {
  standin_test::TempHost temp;
  temp.WriteSample();
  const std::set<std::string> listed = ListedNumbers(LoadHostCatalogue(temp.host()));
  hoststore::WriteSampleStandIn(temp.host(), {2030, 12, 31, 22, 0});

  Recorder recorder(temp.host());
  std::vector<hoststore::Channel> channels;
  ASSERT_EQ(recorder.GetChannels(channels), kOk);
  EXPECT_EQ(channels, hoststore::SampleChannels());
  std::int32_t id = 0;
  ASSERT_EQ(recorder.FirstReserve(&id), kOk);
  std::set<std::int32_t> capsules;
  while (id != 0) {
    hoststore::Reservation r;
    ASSERT_EQ(recorder.GetReserve(id, r), kOk);
    EXPECT_LT(hoststore::MinutesSinceEpoch({2030, 12, 31, 22, 0}),
              hoststore::MinutesSinceEpoch(r.start));
    EXPECT_TRUE(r.disk_area);
    TapeInfo tape;
    ASSERT_EQ(recorder.GetTape(r.capsule, tape), kOk);
    EXPECT_EQ(tape.state_a, 1);
    EXPECT_EQ(tape.start, r.start);
    capsules.insert(r.capsule);
    ASSERT_EQ(recorder.NextReserve(id, &id), kOk);
  }
  // Numbers in use, the orphan capsule 0003 included, are avoided.
  EXPECT_EQ(capsules, (std::set<std::int32_t>{4, 6, 7}));
  EXPECT_EQ(ListedNumbers(LoadHostCatalogue(temp.host())), listed);
  hoststore::MediaSettings media;
  media.free_bytes = std::uint64_t{120} * 1000 * 1000 * 1000;
  EXPECT_EQ(hoststore::ParseMediaSettings(temp.Read("RKDB\\StandIn\\media.txt")).value, media);
}

}  // namespace
}  // namespace capsdub::hostsim
