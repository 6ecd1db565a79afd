// The capsule record file (.sdb): fixed header, the capsule's tape record with its status
// column set to "0", and the memo line, byte for byte.
#include <gtest/gtest.h>

#include "catalogue/host_files.h"
#include "dubbing/capsule_copy.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "tests/dubbing/test_support.h"

namespace capsdub {
namespace {

using testing::FakeWindow;
using testing::Sjis;

std::string Header(const std::string& tail) {
  return std::string(14, '#') + "\r\n" + std::string(70, '#') + "\r\n" + std::string(47, '#') +
         "\r\n" + "FileVersion: 02.00.00.990913\r\n" + std::string(1607, '#') + "\r\n" + tail;
}

// A 1024-byte tape record: number, filler with NUL bytes, status digit at offset 452, CR LF.
std::string TapeRecord(const std::string& number, char fill, char status) {
  std::string record(1022, fill);
  record.replace(0, number.size(), number);
  record[100] = '\0';
  record[600] = '\0';
  record[452] = status;
  return record + "\r\n";
}

class CapsuleRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::ResetFaults();
    host_ = scratch_.Folder("host\\");
    out_ = scratch_.Folder("out\\");
    platform::CreateFolders(host_ + "RKDB\\");
    std::string tape;
    for (int i = 0; i < 4; ++i) tape += std::string(1022, static_cast<char>('A' + i)) + "\r\n";
    record_0012_ = TapeRecord("0012", 'x', '5');
    tape += record_0012_;
    tape += "0042 short record\r\n";
    record_0077_ = TapeRecord("0077", 'y', '9').substr(0, 453);  // ends with the status
    tape += record_0077_ + "\r\n";
    tape += TapeRecord("0012", 'z', '7');  // a later duplicate
    testing::WriteFileBytes(TapeDatabasePath(host_), tape);

    window_.table.PathReelKeeper = host_;
    tail_ = std::string(270, 't') + "  ";
    window_.table.TapeHeaderTail = tail_;
    RecordingRow row;
    row.FileName = "0012";
    row.Memo = "abcdef";
    window_.table.Table2.Append(row);
    row.FileName = "0099";
    row.Memo = Sjis("メモ\r\n二行目");
    window_.table.Table2.Append(row);
  }
  void TearDown() override { platform::testing::ResetFaults(); }

  std::string Write(const std::string& number) {
    WriteCapsuleRecordFile(window_, out_ + "x.mpg", number);
    return testing::ReadFileBytes(out_ + "x.sdb");
  }

  testing::ScratchFolder scratch_;
  std::string host_;
  std::string out_;
  std::string record_0012_;
  std::string record_0077_;
  std::string tail_;
  FakeWindow window_;
};

TEST_F(CapsuleRecordTest, HeaderRecordAndMemoLineByteForByte) {
  const std::string blank_memo = std::string(5118, ' ') + "\r\n";
  const std::string memo_0012 = "0006:abcdef" + std::string(5107, ' ') + "\r\n";
  const std::string memo_0099_text = Sjis("メモ\r\n二行目");
  const std::string memo_0099 =
      "0012:" + memo_0099_text + std::string(5113 - memo_0099_text.size(), ' ') + "\r\n";
  std::string exported_0012 = record_0012_.substr(0, 1022);
  exported_0012[452] = '0';
  const struct {
    const char* number;
    std::string record_line;  // "" when no line matches
    std::string memo_line;
  } cases[] = {
      {"0012", exported_0012 + "\r\n", memo_0012},                  // the first match only
      {"0042", "0042 short record0\r\n", blank_memo},               // short: "0" appended
      {"0077", record_0077_.substr(0, 452) + "0\r\n", blank_memo},  // exactly 453
      {"0099", "", memo_0099},                                      // no tape line
      {"012", "", blank_memo},                                      // the first 4 must match
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    const std::string sdb = Write(c.number);
    const std::string header = Header(tail_);
    ASSERT_EQ(header.size(), 2048u);
    ASSERT_EQ(c.memo_line.size(), 5120u);
    EXPECT_EQ(sdb, header + c.record_line + c.memo_line);
  }
}

TEST_F(CapsuleRecordTest, MissingHeaderTailKeepsTheHeaderSize) {
  window_.table.TapeHeaderTail.clear();
  const std::string sdb = Write("0099");
  EXPECT_EQ(sdb.substr(0, 2048), Header(std::string(272, ' ')));
  EXPECT_EQ(sdb.size(), 2048u + 5120u);
}

TEST_F(CapsuleRecordTest, MissingOrBusyTapeDatabaseLeavesTheFileEmpty) {
  platform::testing::ActiveFaults().locked_path_part = "RKDBTape";
  EXPECT_EQ(Write("0012"), "");
  EXPECT_TRUE(testing::Exists(out_ + "x.sdb"));
  EXPECT_TRUE(window_.HasStatus(Sjis("ReelKeeperデータが使用されていて、見ることができません。"),
                                kColourRed));
  platform::testing::ResetFaults();

  platform::DeleteFileAt(TapeDatabasePath(host_));
  EXPECT_EQ(Write("0012"), "");
  EXPECT_TRUE(window_.HasStatus(Sjis("ReelKeeperデータが見つかりません。"), kColourRed));
}

}  // namespace
}  // namespace capsdub
