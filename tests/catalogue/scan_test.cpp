// The capsule scan over one or two media, and a full load that leaves the host untouched.
#include "catalogue/scan.h"

#include <gtest/gtest.h>

#include "catalogue/host_files.h"
#include "platform/files.h"
#include "tests/catalogue/temp_host.h"

namespace capsdub {
namespace {

using test::TapeFields;
using test::TapeRecord;

class ScanTest : public ::testing::Test {
 protected:
  ScanTest() { catalogue.PathReelKeeper = host.host(); }

  void Segment(const std::string& name, std::size_t size = 10, char medium = 0) {
    host.WriteOnMedium(medium ? medium : host.first_medium(), name, std::string(size, 'x'));
  }
  void Media(const std::string& letters) {
    std::string file = "CurrentNumMedia:" + std::to_string(letters.size()) + "\r\n";
    for (char c : letters) file += std::string(1, c) + "\r\n";
    host.Write("RKDB\\RKDBMedia.SVD", file);
  }
  const CatalogueRow* Row(const std::string& number) const {
    for (const auto& row : catalogue.Table1.rows()) {
      if (row.FileName == number) return &row;
    }
    return nullptr;
  }

  test::TempHost host;
  Catalogue catalogue;
  test::RecordingWindow window;
};

TEST_F(ScanTest, OneRowPerCapsuleJoinedWithItsRecord) {
  Media(std::string(1, host.first_medium()));
  std::vector<std::string> records;
  const struct {
    const char* number;
    const char* size;
    char status;
  } capsules[] = {
      {"0012", "1536", '0'}, {"0013", "2560", '0'}, {"0014", "1535", '0'},
      {"0015", "0", '9'},    {"0016", "0", '0'},
  };
  for (const auto& c : capsules) {
    TapeFields f;
    f.number = c.number;
    f.size = c.size;
    f.status = c.status;
    f.cabinet = "  3";
    f.date = "20020305";
    records.push_back(TapeRecord(f));
    Segment(std::string(c.number) + "-001.ssx");
  }
  Segment("0012-002.ssx");
  Segment("0012-001.ssg");
  Segment("0012-01.ssx");  // not a segment name
  host.Write("RKDB\\RKDBTape.SVD", test::TapeDatabase(records));
  host.Write("RKDB\\RKDBTapelib.SVD", test::CabinetLine("  2", "Two"));
  host.Write("RKDB\\TapeExt\\Tx0012.SVD", test::ExtensionFile({}, "0002", "hi"));

  const auto before = host.Snapshot();
  LoadCatalogue(catalogue, window);
  EXPECT_EQ(host.Snapshot(), before);

  ASSERT_EQ(catalogue.Table1.size(), 4u);
  EXPECT_EQ(Row("0012")->FileSize, 2);
  EXPECT_EQ(Row("0013")->FileSize, 2);  // 2.5 rounds to even
  EXPECT_EQ(Row("0014")->FileSize, 1);
  EXPECT_NE(Row("0015"), nullptr);  // status 9 stays with size 0
  EXPECT_EQ(Row("0016"), nullptr);
  EXPECT_EQ(Row("0012")->Memo, "hi");
  EXPECT_EQ(Row("0012")->TapeLibID, 3);
  EXPECT_EQ(Row("0012")->TapeLibName, "");
  EXPECT_EQ(DecodeDateTime(Row("0012")->FileDateTime).year, 2002);
  // Equal dates, newest first: reverse scan order; the first row is current, none selected.
  EXPECT_EQ(catalogue.Table1.rows().front().FileName, "0015");
  EXPECT_EQ(catalogue.CurrentRow, catalogue.Table1.rows().front().id);
  EXPECT_TRUE(catalogue.Selection.empty());
}

TEST_F(ScanTest, CapsuleWithoutRecordIsSizedFromItsFiles) {
  Media(std::string(1, host.first_medium()));
  host.Write("RKDB\\RKDBTape.SVD", test::TapeDatabase({}));
  Segment("0031-001.ssx", 1024);
  Segment("0031-001.ssg", 2048);
  Segment("0032-001.ssx", 0);
  Segment("0032-001.mpg", 3 * 1024);
  Segment("0032-002.MPG", 1024);
  LoadCatalogue(catalogue, window);
  ASSERT_EQ(catalogue.Table1.size(), 2u);
  EXPECT_EQ(Row("0031")->FileSize, 3);
  EXPECT_EQ(Row("0032")->FileSize, 4);
  EXPECT_EQ(Row("0031")->Title, "");
  EXPECT_EQ(Row("0031")->Status, 0);
}

TEST_F(ScanTest, FirstMediumWinsForTheSameCapsule) {
  if (!host.second_medium()) GTEST_SKIP() << "needs a second drive";
  const char d = host.first_medium(), e = host.second_medium();
  Media(std::string{d, e});
  host.Write("RKDB\\RKDBTape.SVD", test::TapeDatabase({}));
  Segment("0040-001.ssx", 1024, d);
  Segment("0040-002.ssx", 1024, e);  // a capsule on two media: sized over both
  Segment("0041-001.ssx", 2048, e);
  LoadCatalogue(catalogue, window);
  ASSERT_EQ(catalogue.Table1.size(), 2u);
  EXPECT_EQ(Row("0040")->FileSize, 2);
  EXPECT_EQ(Row("0041")->FileSize, 2);
  EXPECT_EQ(MediaFolder(host.host(), "E")[0], 'E');
}

TEST(MediaFolder, ReplacesTheDriveLetterOfTheAbsoluteHostFolder) {
  EXPECT_EQ(MediaFolder("D:\\Reel Keeper", "E"), "E:\\Reel Keeper\\");
  EXPECT_EQ(MediaFolder("\\\\server\\rk\\", "E"), "\\\\server\\rk\\");  // no drive letter
  const std::string current = platform::CurrentDirectory();
  if (current.size() >= 2 && current[1] == ':') {
    // From the root of the current drive, and relative to the current folder.
    EXPECT_EQ(MediaFolder("\\Reel Keeper", "E"), "E:\\Reel Keeper\\");
    const std::string relative = MediaFolder("Reel Keeper", "E");
    EXPECT_EQ(relative.substr(0, 2), "E:");
    EXPECT_EQ(relative.substr(2, current.size() - 2), current.substr(2));
    EXPECT_EQ(relative.substr(relative.size() - 12), "Reel Keeper\\");
  }
}

TEST_F(ScanTest, StopEndsTheScanWithTheRowsFoundSoFar) {
  Media(std::string(1, host.first_medium()));
  std::vector<std::string> records;
  for (int i = 0; i < 20; ++i) {
    TapeFields f;
    f.number = "01" + std::to_string(10 + i);
    records.push_back(TapeRecord(f));
    Segment(f.number + "-001.ssx");
  }
  host.Write("RKDB\\RKDBTape.SVD", test::TapeDatabase(records));
  ReadMediaList(catalogue, window);
  ReadTapeDatabase(catalogue, window);
  window.stop_after_yields = window.yields + 5;
  BuildCatalogue(catalogue, window);
  EXPECT_EQ(catalogue.Table1.size(), 5u);
}

TEST_F(ScanTest, SegmentListsFallBackToMpg) {
  host.Write(
      "RKDB\\TapeExt\\Tx0050.SVD",
      test::ExtensionFile({"X:\\0050-001.ssx", "X:\\0050-001.mpg", "X:\\0050-002.mpg"}, "0", ""));
  std::vector<std::string> media, index;
  GetSegmentLists("0050", media, index, catalogue, window);
  EXPECT_EQ(media, (std::vector<std::string>{"X:\\0050-001.mpg", "X:\\0050-002.mpg"}));
  EXPECT_EQ(index, std::vector<std::string>{"X:\\0050-001.ssx"});
}

}  // namespace
}  // namespace capsdub
