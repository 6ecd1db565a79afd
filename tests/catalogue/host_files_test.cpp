// The readers of the media file, the tape and cabinet databases and the extension files.
#include "catalogue/host_files.h"

#include <gtest/gtest.h>

#include "platform/fault_injection.h"
#include "tests/catalogue/temp_host.h"

namespace capsdub {
namespace {

using test::TapeFields;
using test::TapeRecord;

class HostFilesTest : public ::testing::Test {
 protected:
  HostFilesTest() { catalogue.PathReelKeeper = host.host(); }
  ~HostFilesTest() override { platform::testing::ResetFaults(); }

  test::TempHost host;
  Catalogue catalogue;
  test::RecordingWindow window;
};

TEST_F(HostFilesTest, MediaListFollowsTheCountLine) {
  const struct {
    std::string file;
    std::vector<std::string> media;
  } cases[] = {
      {"CurrentNumMedia:2\r\nD\r\nE\r\nF\r\n", {"D", "E"}},
      {"D\r\nCurrentNumMedia:2\r\nE\r\n", {"D"}},  // a letter first ends with the count of 1
      {"x\r\nCurrentNumMedia:z\r\nE\r\nF\r\n", {"x"}},
      {"CurrentNumMedia:3\nDD\nD\n\nE\n", {"D", "E"}},
  };
  for (const auto& c : cases) {
    host.Write("RKDB\\RKDBMedia.SVD", c.file);
    ReadMediaList(catalogue, window);
    EXPECT_EQ(catalogue.MediaList, c.media) << c.file;
  }
}

TEST_F(HostFilesTest, MissingOrLockedMediaFileGivesDriveD) {
  catalogue.MediaList = {"X", "Y"};
  ReadMediaList(catalogue, window);
  EXPECT_EQ(catalogue.MediaList, std::vector<std::string>{"D"});

  host.Write("RKDB\\RKDBMedia.SVD", "CurrentNumMedia:1\r\nE\r\n");
  platform::testing::ActiveFaults().locked_path_part = "RKDBMedia";
  ReadMediaList(catalogue, window);
  EXPECT_EQ(catalogue.MediaList, std::vector<std::string>{"D"});

  // A read error part-way through: no half-read list, no error, just drive D.
  platform::testing::ResetFaults();
  host.Write("RKDB\\RKDBMedia.SVD", "CurrentNumMedia:2\r\nE\r\n" + std::string(40000, 'x'));
  platform::testing::ActiveFaults().read_error_path_part = "RKDBMedia";
  platform::testing::ActiveFaults().read_error_after = 100;
  EXPECT_NO_THROW(ReadMediaList(catalogue, window));
  EXPECT_EQ(catalogue.MediaList, std::vector<std::string>{"D"});
  EXPECT_TRUE(window.statuses.empty());
}

TEST_F(HostFilesTest, TapeRecordsBecomeRecordingRows) {
  TapeFields news;
  news.title = std::string("N\0ws\x81\x40 \x81\x40", 9);
  news.size = "1,234,567";
  news.cabinet = " 12";
  news.time = "253000";
  TapeFields empty_slot;
  empty_slot.number = "0000";
  TapeFields broken;
  broken.number = "0099";
  broken.title = "Line\none\ntwo";
  broken.status = 'x';
  broken.cabinet = "1a ";
  broken.size = "lots";
  std::string db =
      test::TapeDatabase({TapeRecord(news), TapeRecord(empty_slot), TapeRecord(broken)});
  db += "partial record";
  host.Write("RKDB\\RKDBTape.SVD", db);
  host.Write("RKDB\\TapeExt\\Tx0012.SVD",
             test::ExtensionFile({"D:\\Reel Keeper\\0012-001.ssg"}, "0010", "0123456789abcdef"));

  ReadTapeDatabase(catalogue, window);

  ASSERT_EQ(catalogue.Table2.rows().size(), 2u);
  const RecordingRow& a = catalogue.Table2.rows()[0];
  EXPECT_EQ(a.FileName, "0012");
  EXPECT_EQ(a.Title, "N ws");
  EXPECT_EQ(a.Channel, "NHK");
  EXPECT_DOUBLE_EQ(a.Size, 1234567);
  EXPECT_EQ(a.TapeLibID, 12);
  EXPECT_EQ(a.Status, 0);
  EXPECT_EQ(a.Memo, "0123456789");
  const CivilDateTime start = DecodeDateTime(a.StartDateTime);
  EXPECT_EQ(start.day, 16);
  EXPECT_EQ(start.hour, 1);
  EXPECT_EQ(start.minute, 30);
  const RecordingRow& b = catalogue.Table2.rows()[1];
  EXPECT_EQ(b.Title, "Lineonetwo");
  EXPECT_EQ(b.Status, 0);
  EXPECT_EQ(b.TapeLibID, 0);
  EXPECT_DOUBLE_EQ(b.Size, 0);
  EXPECT_EQ(b.Memo, "");
  EXPECT_EQ(catalogue.TapeHeaderTail.size(), 272u);
  EXPECT_EQ(catalogue.TapeHeaderTail.substr(0, 4), "TAIL");
}

// A double-byte character across the end of a field is cut where the field ends: the field
// keeps the lead byte as a cut-off character of one byte, the second byte stays outside, and
// trimming neither drops that byte nor takes it for a space.
TEST_F(HostFilesTest, FieldsCutASplitCharacterAfterItsLeadByte) {
  TapeFields split;
  split.channel = std::string(255, 'C') + "\x83";
  split.title = std::string(254, 'T') + " \x83";
  std::string record = TapeRecord(split);
  record[188 + 256] = '\x65';  // テ's second byte, past the channel field
  record[491 + 256] = '\x65';  // and past the title field
  host.Write("RKDB\\RKDBTape.SVD", test::TapeDatabase({record}));
  host.Write("RKDB\\TapeExt\\Tx0012.SVD", test::ExtensionFile({}, "0003", "ab\x83\x65"));
  std::string cabinet = test::CabinetLine("  7", std::string(254, 'K') + "\x83");
  cabinet[48 + 255] = '\x65';
  host.Write("RKDB\\RKDBTapelib.SVD", cabinet);

  ReadTapeDatabase(catalogue, window);
  ReadCabinetDatabase(catalogue, window);
  ASSERT_EQ(catalogue.Table2.rows().size(), 1u);
  const RecordingRow& row = catalogue.Table2.rows()[0];
  EXPECT_EQ(row.Channel, std::string(255, 'C') + "\x83");
  EXPECT_EQ(row.Title, std::string(254, 'T') + " \x83");
  EXPECT_EQ(row.Memo, "ab\x83");
  EXPECT_EQ(row.Status, 0);
  ASSERT_EQ(catalogue.Table3.rows().size(), 1u);
  EXPECT_EQ(catalogue.Table3.rows()[0].TapeLibName, std::string(254, 'K') + "\x83");
}

TEST_F(HostFilesTest, ShortTapeDatabaseKeepsTheEarlierHeaderTail) {
  catalogue.TapeHeaderTail = "earlier";
  catalogue.Table2.Append({});
  host.Write("RKDB\\RKDBTape.SVD", std::string(3 * 1024, ' '));
  ReadTapeDatabase(catalogue, window);
  EXPECT_EQ(catalogue.TapeHeaderTail, "earlier");
  EXPECT_TRUE(catalogue.Table2.rows().empty());
}

TEST_F(HostFilesTest, MemoLengthField) {
  const std::string area = "memo text" + std::string(2087, '\0');
  const struct {
    std::string length, memo;
  } cases[] = {
      {"0004", "memo"},
      {"   9", "memo text"},
      {"0000", ""},
      {"-005", ""},
      {std::string("\0\0\0\0", 4), "memo text" + std::string(2087, ' ')},
      {"abcd", "memo text" + std::string(2087, ' ')},
      {"9999", "memo text" + std::string(2087, ' ')},
  };
  for (const auto& c : cases) {
    host.Write("RKDB\\TapeExt\\Tx0001.SVD", test::ExtensionFile({}, c.length, area));
    EXPECT_EQ(ReadCapsuleMemo(CapsuleExtensionPath(host.host(), "0001")), c.memo);
  }
  host.Write("RKDB\\TapeExt\\Tx0001.SVD", test::ExtensionFile({}, "0004", area).substr(0, 6196));
  EXPECT_EQ(ReadCapsuleMemo(CapsuleExtensionPath(host.host(), "0001")), "");
}

TEST_F(HostFilesTest, MissingAndLockedDatabasesKeepTheTables) {
  RecordingRow kept;
  kept.FileName = "0001";
  catalogue.Table2.Append(kept);
  catalogue.Table3.Append({5, "kept"});
  ReadTapeDatabase(catalogue, window);
  ReadCabinetDatabase(catalogue, window);
  ASSERT_EQ(window.statuses.size(), 2u);
  EXPECT_EQ(window.statuses[0].first,
            "ReelKeeper DB\x83\x66\x81\x5b\x83\x5e\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc"
            "\x82\xb9\x82\xf1\x81\x42");
  EXPECT_EQ(window.statuses[0].second, kColourRed);
  EXPECT_EQ(window.statuses[1].first.substr(0, 18), "ReelKeeper TapeLib");
  EXPECT_EQ(catalogue.Table2.rows().size(), 1u);
  EXPECT_EQ(catalogue.Table3.rows().size(), 1u);

  // The cabinet database is read as text lines, so a writer elsewhere locks it out.
  host.Write("RKDB\\RKDBTapelib.SVD", test::CabinetLine("  1", "A"));
  platform::testing::ActiveFaults().locked_path_part = "RKDBTapelib";
  ReadCabinetDatabase(catalogue, window);
  ASSERT_EQ(window.statuses.size(), 3u);
  EXPECT_NE(window.statuses[2].first.find("TapeLib\x83\x66\x81\x5b\x83\x5e\x82\xaa\x8e\x67"),
            std::string::npos);
  EXPECT_EQ(catalogue.Table3.rows()[0].TapeLibName, "kept");
}

TEST_F(HostFilesTest, ReadErrorInsideTheTapeDatabaseRaisesAndKeepsRowsSoFar) {
  TapeFields a, b;
  b.number = "0013";
  host.Write("RKDB\\RKDBTape.SVD", test::TapeDatabase({TapeRecord(a), TapeRecord(b)}));
  platform::testing::ActiveFaults().read_error_path_part = "RKDBTape";
  platform::testing::ActiveFaults().read_error_after = 5 * 1024 + 100;
  EXPECT_THROW(ReadTapeDatabase(catalogue, window), platform::IoError);
  ASSERT_EQ(catalogue.Table2.rows().size(), 1u);
  EXPECT_EQ(catalogue.Table2.rows()[0].FileName, "0012");
}

TEST_F(HostFilesTest, CabinetLinesOfExactly305Characters) {
  std::string file = test::CabinetLine("  1", "Drama   \t") + test::CabinetLine("  0", "zero") +
                     test::CabinetLine("x2 ", "bad") +
                     test::CabinetLine("\t3\t", "\x83h\x83\x89\x83}");
  file += std::string(304, ' ') + "\r\n" + std::string(306, ' ') + "\r\n";
  std::string long_line = test::CabinetLine("  4", "long");
  long_line.insert(300, " ");
  file += long_line;
  host.Write("RKDB\\RKDBTapelib.SVD", file);
  ReadCabinetDatabase(catalogue, window);
  ASSERT_EQ(catalogue.Table3.rows().size(), 2u);
  EXPECT_EQ(catalogue.Table3.rows()[0].TapeLibID, 1);
  EXPECT_EQ(catalogue.Table3.rows()[0].TapeLibName, "Drama");
  EXPECT_EQ(catalogue.Table3.rows()[1].TapeLibID, 3);
  EXPECT_EQ(catalogue.Table3.rows()[1].TapeLibName, "\x83h\x83\x89\x83}");
}

TEST_F(HostFilesTest, SegmentListsByExtension) {
  host.Write(
      "RKDB\\TapeExt\\Tx0012.SVD",
      test::ExtensionFile({"D:\\RK\\0012-001.ssx", "D:\\RK\\0012-001.SSG", "D:\\RK\\0012-002.ssg",
                           "D:\\RK.ssg\\0012", "D:\\\x95\x5c.ssg", "D:\\RK\\0012-002.SSX"},
                          "0000", ""));
  std::vector<std::string> list = {"old"};
  ReadSegmentList(".SSG", "0012", list, catalogue, window);
  EXPECT_EQ(list, (std::vector<std::string>{"D:\\RK\\0012-001.SSG", "D:\\RK\\0012-002.ssg",
                                            "D:\\\x95\x5c.ssg"}));
  ReadSegmentList(".ssx", "0012", list, catalogue, window);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_GE(window.yields, 6);
  ReadSegmentList(".SSG", "0099", list, catalogue, window);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace capsdub
