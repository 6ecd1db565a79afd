// The stand-in's file formats: channel, reservation and media files, tape records and the
// memo block of capsule extension files.
#include <gtest/gtest.h>

#include "hostlibs/store/standin_files.h"
#include "hostlibs/store/store_writer.h"
#include "hostlibs/store/tape_record.h"

namespace capsdub::hoststore {
namespace {

TEST(StandInFiles, SampleFilesReadBackUnchanged) {
  const std::vector<Channel> channels = SampleChannels();
  const auto parsed_channels = ParseChannels(FormatChannels(channels));
  ASSERT_TRUE(parsed_channels.ok()) << parsed_channels.error->what;
  EXPECT_EQ(parsed_channels.value, channels);

  const std::vector<Reservation> reservations = {
      {1, 12, {2001, 4, 13, 23, 30}, {2001, 4, 14, 0, 30}, 4, "\x93\xfa\x96{", true},  // 日本
      {7, 9999, {2030, 12, 31, 0, 0}, {2031, 1, 1, 0, 0}, 0, "", false}};
  const auto parsed_reservations = ParseReservations(FormatReservations(reservations));
  ASSERT_TRUE(parsed_reservations.ok()) << parsed_reservations.error->what;
  EXPECT_EQ(parsed_reservations.value, reservations);

  MediaSettings media;
  media.free_bytes = 123456789012345ull;
  media.video_rate[2] = 7;
  media.reservation_limit = 0;
  const auto parsed_media = ParseMediaSettings(FormatMediaSettings(media));
  ASSERT_TRUE(parsed_media.ok()) << parsed_media.error->what;
  EXPECT_EQ(parsed_media.value, media);
  EXPECT_FALSE(ParseMediaSettings(FormatMediaSettings(MediaSettings{})).value.free_bytes);
}

TEST(StandInFiles, HandWrittenChannelFile) {
  const auto parsed = ParseChannels(
      "# comment\n; another\n\n  [channel]  \nnumber=5\nname= spaced , name\n"
      "[channel]\r\nnumber = 6\r\nsecond=0\r\nexcluded=1\r\nname=\r\naliases=A,,B\r\n");
  ASSERT_TRUE(parsed.ok()) << parsed.error->what;
  ASSERT_EQ(parsed.value.size(), 2u);
  EXPECT_EQ(parsed.value[0].number, 5);
  EXPECT_EQ(parsed.value[0].second, 5);               // defaults to the channel number
  EXPECT_EQ(parsed.value[0].name, " spaced , name");  // values are kept byte for byte
  EXPECT_EQ(parsed.value[1].second, 0);
  EXPECT_EQ(parsed.value[1].excluded, 1);
  EXPECT_EQ(parsed.value[1].alt_names, "A,,B");
}

TEST(StandInFiles, ChannelTextLimits) {
  const std::string name256(256, 'n');
  const std::string aliases1023(1023, 'a');
  const auto ok =
      ParseChannels("[channel]\nnumber=1\nname=" + name256 + "\naliases=" + aliases1023);
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok.value[0].name, name256);
  EXPECT_FALSE(ParseChannels("[channel]\nnumber=1\nname=" + name256 + "n").ok());
  EXPECT_FALSE(ParseChannels("[channel]\nnumber=1\nname=x\naliases=" + aliases1023 + "a").ok());
  EXPECT_THROW(FormatChannels({{1, 1, 0, name256 + "n", ""}}), std::invalid_argument);
  EXPECT_THROW(FormatChannels({{1, 1, 0, "line\nbreak", ""}}), std::invalid_argument);
}

struct BadFile {
  const char* text;
  int line;  // where the error is reported
};

TEST(StandInFiles, CorruptChannelFilesNameTheLine) {
  const BadFile cases[] = {
      {"number=1\n", 1},                                           // key before any section
      {"[channel]\nnumber=1\nname=x\njunk\n", 4},                  // neither section nor key
      {"[channel]\nname=x\n", 1},                                  // number missing
      {"[channel]\nnumber=0\nname=x\n", 2},                        // 0 marks no channel
      {"[channel]\nnumber=65536\nname=x\n", 2},                    // beyond u16
      {"[channel]\nnumber=1x\nname=x\n", 2},                       // not a number
      {"[channel]\nnumber=-1\nname=x\n", 2},                       // no sign
      {"[channel]\nnumber=1\nname=x\nnmae=y\n", 4},                // misspelt key
      {"[channel]\nnumber=1\nnumber=2\nname=x\n", 3},              // duplicate key
      {"[channels]\nnumber=1\nname=x\n", 1},                       // wrong section
      {"[channel\nnumber=1\n", 1},                                 // unclosed header
      {"[channel]\nnumber=99999999999999999999999\nname=x\n", 2},  // overflow
  };
  for (const BadFile& c : cases) {
    const auto parsed = ParseChannels(c.text);
    ASSERT_FALSE(parsed.ok()) << c.text;
    EXPECT_EQ(parsed.error->line, c.line) << c.text << ": " << parsed.error->what;
    EXPECT_TRUE(parsed.value.empty());
  }
  const std::string with_nul = std::string("[channel]\nnumber=1\nname=a") + '\0' + "b\n";
  const auto parsed = ParseChannels(with_nul);
  ASSERT_FALSE(parsed.ok());
  EXPECT_EQ(parsed.error->line, 3);
}

TEST(StandInFiles, CorruptReservationAndMediaFiles) {
  const BadFile reservations[] = {
      {"[reservation]\nid=1\ncapsule=1\nstart=2001-04-13 23:30\n", 1},  // end missing
      {"[reservation]\nid=1\ncapsule=10000\nstart=2001-04-13 23:30\nend=2001-04-13 23:31\n", 3},
      {"[reservation]\nid=1\ncapsule=1\nstart=2001-02-29 10:00\nend=2001-03-01 10:00\n", 4},
      {"[reservation]\nid=1\ncapsule=1\nstart=2001-04-13 24:00\nend=2001-04-14 10:00\n", 4},
      {"[reservation]\nid=1\ncapsule=1\nstart=2001-4-13 10:00\nend=2001-04-14 10:00\n", 4},
      {"[reservation]\nid=1\ncapsule=1\nstart=2001-04-13 10:00\nend=2001-04-14 10:00\n"
       "disk_area=2\n",
       6},
      {"[reservation]\nid=3\ncapsule=1\nstart=2001-04-13 10:00\nend=2001-04-14 10:00\n"
       "[reservation]\nid=3\ncapsule=2\nstart=2001-04-13 10:00\nend=2001-04-14 10:00\n",
       6},  // duplicate id
  };
  for (const BadFile& c : reservations) {
    const auto parsed = ParseReservations(c.text);
    ASSERT_FALSE(parsed.ok()) << c.text;
    EXPECT_EQ(parsed.error->line, c.line) << c.text << ": " << parsed.error->what;
  }
  const BadFile media[] = {
      {"[media]\nfree_bytes=lots\n", 2},
      {"[media]\nrate_mode0=0\n", 2},
      {"[media]\n[media]\n", 2},
      {"[media]\nreservation_limit=10000\n", 2},
      {"[recorder]\n", 1},
  };
  for (const BadFile& c : media) {
    const auto parsed = ParseMediaSettings(c.text);
    ASSERT_FALSE(parsed.ok()) << c.text;
    EXPECT_EQ(parsed.error->line, c.line) << c.text << ": " << parsed.error->what;
    EXPECT_EQ(parsed.value, MediaSettings{});
  }
  EXPECT_TRUE(ParseMediaSettings("").ok());  // an empty file keeps the defaults
}

TEST(StandInFiles, MinutesCountAcrossMonthsAndLeapYears) {
  const Minute cases[] = {{1970, 1, 1, 0, 0},   {2000, 2, 29, 23, 59}, {2001, 4, 13, 23, 30},
                          {1899, 12, 30, 0, 0}, {2100, 3, 1, 0, 1},    {9999, 12, 31, 23, 59}};
  for (const Minute& m : cases) {
    EXPECT_EQ(MinuteFromEpoch(MinutesSinceEpoch(m)), m) << FormatMinute(m);
    EXPECT_EQ(ParseMinute(FormatMinute(m)), m);
  }
  EXPECT_EQ(MinutesSinceEpoch({1970, 1, 2, 0, 0}), 1440);
  EXPECT_EQ(MinuteFromEpoch(MinutesSinceEpoch({2001, 2, 28, 23, 30}) + 60),
            (Minute{2001, 3, 1, 0, 30}));
  EXPECT_EQ(MinuteFromEpoch(MinutesSinceEpoch({2004, 2, 28, 23, 30}) + 60),
            (Minute{2004, 2, 29, 0, 30}));
}

TEST(StandInFiles, DiskSpaceAndLengthAreInverse) {
  MediaSettings media;
  const DiskSpace hour = SpaceForLength(media, 3600000, 1);
  EXPECT_EQ(hour.video, 750000ull * 3600);
  EXPECT_EQ(hour.index, 2000ull * 3600);
  EXPECT_EQ(LengthForSize(media, hour.video + hour.index, 1), 3600000u);
  EXPECT_EQ(SpaceForLength(media, 1000, 3).video, 0u);  // no such mode
  media.video_rate[0] = 0xFFFFFFFFu;
  media.index_rate = 0xFFFFFFFFu;
  const DiskSpace most = SpaceForLength(media, 0xFFFFFFFFu, 0);  // no overflow
  EXPECT_EQ(most.video, 0xFFFFFFFFull * 0xFFFFFFFFull / 1000);
  EXPECT_EQ(LengthForSize(MediaSettings{}, ~0ull, 0), 0xFFFFFFFFu);  // saturates
}

TEST(TapeRecords, NewRecordReadsBack) {
  const TapeExtras extras{2, 103, 1, 0, 5400000};
  const std::string record = NewTapeRecord(42, "\x97\x5c\x96\xf1 1", {2001, 4, 13, 23, 30}, extras);
  ASSERT_EQ(record.size(), kTapeRecordSize);
  EXPECT_EQ(record.substr(1022), "\r\n");
  EXPECT_EQ(record.find('\n'), 1023u);  // one text line
  const TapeFields fields = ReadTapeRecord(record);
  EXPECT_EQ(fields.number, "0042");
  EXPECT_EQ(fields.title, "\x97\x5c\x96\xf1 1");  // 予約 1
  EXPECT_EQ(fields.start, (Minute{2001, 4, 13, 23, 30}));
  EXPECT_EQ(fields.size, 0u);
  EXPECT_EQ(fields.extras, extras);
  EXPECT_FALSE(IsEmptySlot(record));
  EXPECT_TRUE(IsEmptySlot(EmptySlotRecord()));
}

TEST(TapeRecords, FieldsAsReelKeeperWritesThem) {
  std::string record = EmptySlotRecord();
  record.replace(0, 4, "0012");
  record.replace(90, 14, "20010413253000");  // 25:30 on the 13th is 01:30 on the 14th
  record.replace(144, 11, "  1,234,567");
  record.replace(491, 10, "Ti\ntle\0 \x81\x40", 10);  // line feed, NUL, full-width space
  const TapeFields fields = ReadTapeRecord(record);
  EXPECT_EQ(fields.start, (Minute{2001, 4, 14, 1, 30}));
  EXPECT_EQ(fields.size, 1234567u);
  EXPECT_EQ(fields.title, "Title");
  EXPECT_FALSE(fields.extras);

  const struct {
    const char* date_time;
    Minute expected;
  } starts[] = {{"20011345000000", {1970, 1, 1, 0, 0}},
                {"2001041321    ", {1970, 1, 1, 0, 0}},
                {"200104132130  ", {2001, 4, 13, 21, 30}},
                {"20010413290000", {1970, 1, 1, 0, 0}},
                {"20011231240000", {2002, 1, 1, 0, 0}}};
  for (const auto& s : starts) {
    record.replace(90, 14, s.date_time);
    EXPECT_EQ(ReadTapeRecord(record).start, s.expected) << s.date_time;
  }
  // A damaged extras block counts as absent.
  SetExtras(record, {1, 4, 0, 0, 60000});
  EXPECT_TRUE(ReadTapeRecord(record).extras);
  record[775] = 'x';
  EXPECT_FALSE(ReadTapeRecord(record).extras);
}

TEST(TapeRecords, TitlesStayInsideTheirFieldAndLine) {
  std::string record = NewTapeRecord(1, "old", {}, {});
  const std::string before = record;
  SetTitle(record, "a\r\nb");
  EXPECT_EQ(ReadTapeRecord(record).title, "a  b");
  EXPECT_EQ(record.find('\n'), 1023u);
  // 255 ASCII bytes and then a double-byte character: the character does not fit.
  SetTitle(record, std::string(255, 'x') + "\x93\xfa");
  EXPECT_EQ(ReadTapeRecord(record).title, std::string(255, 'x'));
  EXPECT_EQ(record.substr(0, 491), before.substr(0, 491));
  EXPECT_EQ(record.substr(747), before.substr(747));
  EXPECT_EQ(CutToBytes("\x93\xfa\x96{", 3), "\x93\xfa");
  EXPECT_EQ(CapsuleIdOf("0012"), 12);
  EXPECT_FALSE(CapsuleIdOf("0000"));
  EXPECT_FALSE(CapsuleIdOf("A000"));
  EXPECT_FALSE(CapsuleIdOf("12"));
}

TEST(ExtensionFiles, MemoLengthField) {
  const std::string segments = "D:\\RK\\0012-001.ssg\r\nD:\\RK\\0012-001.ssx\r\n";
  std::string file = *ExtensionWithMemo(segments, "memo text");
  ASSERT_EQ(file.size(), kExtensionFileSize);
  EXPECT_EQ(file.substr(kMemoBlockOffset, 4), "0009");
  EXPECT_EQ(MemoOfExtension(file), "memo text");
  EXPECT_EQ(SegmentLinesOf(file),
            (std::vector<std::string>{"D:\\RK\\0012-001.ssg", "D:\\RK\\0012-001.ssx"}));

  const struct {
    const char* field;
    std::size_t length;
  } fields[] = {{"0004", 4}, {"   4", 4}, {"   0", 0}, {"-001", 0}, {"abcd", kMemoAreaSize}};
  for (const auto& f : fields) {
    file.replace(kMemoBlockOffset, 4, f.field);
    EXPECT_EQ(MemoOfExtension(file).size(), f.length) << f.field;
  }
  EXPECT_EQ(MemoOfExtension(file.substr(0, kExtensionFileSize - 1)), "");
}

TEST(ExtensionFiles, LongMemoContinuesPastTheBlock) {
  std::string memo;
  while (memo.size() < 5000) memo += "\x83\x81\x83\x82";  // メモ
  const std::string file = *ExtensionWithMemo("", memo);
  EXPECT_EQ(file.size(), kMemoTextOffset + 5000);
  EXPECT_EQ(file.substr(kMemoBlockOffset, 4), "5000");
  EXPECT_EQ(MemoOfExtension(file), memo);
  // Cut at the four-digit limit on a character boundary.
  const std::string longest =
      *ExtensionWithMemo("", std::string(1, 'x') + std::string(20000, '\x83'));
  EXPECT_LE(MemoOfExtension(longest).size(), kMemoMax);
  EXPECT_EQ(MemoOfExtension(*ExtensionWithMemo(longest, "")), "");
}

TEST(ExtensionFiles, SegmentLinesSurviveAMemoChange) {
  // No line break after the last segment line: one is added before the block.
  const std::string open = "D:\\RK\\0012-001.ssx";
  const auto updated = ExtensionWithMemo(open, "m");
  ASSERT_TRUE(updated);
  EXPECT_EQ(SegmentLinesOf(*updated), std::vector<std::string>{open});
  // Segment lines that run into the block would be overwritten: refused.
  std::string crowded;
  while (crowded.size() < kMemoBlockOffset + 10) crowded += "D:\\RK\\0012-001.ssg\r\n";
  EXPECT_FALSE(ExtensionWithMemo(crowded, "m"));
  // The byte after the length field is kept.
  std::string file = *ExtensionWithMemo("", "abc");
  file[kMemoBlockOffset + 4] = '#';
  EXPECT_EQ((*ExtensionWithMemo(file, "xyz"))[kMemoBlockOffset + 4], '#');
}

TEST(ExtensionFiles, SegmentFilesOfACapsule) {
  const struct {
    const char* path;
    bool belongs;
  } cases[] = {{"D:\\RK\\0012-001.ssg", true},  {"0012-002.SSX", true},
               {"E:\\x/0012-010.mpg", true},    {"D:\\RK\\0012-001.scx", true},
               {"D:\\RK\\0013-001.ssg", false}, {"D:\\RK\\0012-001.txt", false},
               {"D:\\RK\\0012_001.ssg", false}, {"D:\\RK\\0012-0001.ssg", false},
               {"C:\\Windows\\win.ini", false}, {"D:\\RK\\x0012-001.ssg", false}};
  for (const auto& c : cases) EXPECT_EQ(IsSegmentFileOf(c.path, "0012"), c.belongs) << c.path;
}

TEST(MediaFile, ReadAsCapsDubReadsIt) {
  EXPECT_EQ(ParseMediaList("Media\r\nCurrentNumMedia:2\r\nD\r\nE\r\nF\r\n"),
            (std::vector<char>{'D', 'E'}));
  EXPECT_EQ(ParseMediaList("X\nCurrentNumMedia:3\nD\n"), std::vector<char>{'X'});
  EXPECT_TRUE(ParseMediaList("").empty());
  EXPECT_EQ(MediaFolderOf("D:\\Reel Keeper", 'E'), "E:\\Reel Keeper\\");
  EXPECT_EQ(MediaFolderOf("\\\\server\\rk\\", 'E'), "\\\\server\\rk\\");
}

}  // namespace
}  // namespace capsdub::hoststore
