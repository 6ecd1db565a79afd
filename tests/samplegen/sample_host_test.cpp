// Tests of the sample host: the record layouts it writes, its determinism, and that the files
// on disk are what the description says.
#include "tools/samplegen/sample_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/posix_paths.h"

namespace capsdub::samplegen {
namespace {

using namespace std::string_literals;

CapsuleLayout SampleCapsule() {
  CapsuleLayout c;
  c.number = "0012";
  c.title = "\x8a\x43\x95\xd3\x82\xcc\x95\xa8\x8c\xea";  // 海辺の物語
  c.channel = "\x82m\x82g\x82j\x91\x8d\x8d\x87";         // ＮＨＫ総合
  c.start = CivilDateTime{2001, 3, 15, 21, 30, 0, 0};
  c.size_bytes = 1234567;
  c.status = 2;
  c.cabinet = 7;
  c.memo = "0123456789";
  c.medium = 'D';
  c.segments = {{".ssx", 100}, {".ssg", 200}, {".ssx", 300}, {".ssg", 400, 'E'}};
  return c;
}

TEST(TapeRecord, FieldsSitAtTheirOffsets) {
  CapsuleLayout c = SampleCapsule();
  const std::string r = FormatTapeRecord(c);
  ASSERT_EQ(r.size(), kTapeRecordSize);
  struct Field {
    std::size_t offset;
    std::string text;
  };
  const Field fields[] = {
      {0, "0012"},    {75, "  7"},           {90, "20010315"},
      {98, "213000"}, {144, "    1234567"},  {188, c.channel + '\0'},
      {452, "2"},     {491, c.title + '\0'}, {1022, "\r\n"},
  };
  for (const Field& f : fields) {
    EXPECT_EQ(r.substr(f.offset, f.text.size()), f.text) << "offset " << f.offset;
  }
  // The record is one text line: its only line break is its last two bytes.
  EXPECT_EQ(r.find('\n'), kTapeRecordSize - 1);
  EXPECT_EQ(r.find('\r'), kTapeRecordSize - 2);

  c.size_separators = true;
  c.number = "0000";
  EXPECT_EQ(FormatTapeRecord(c).substr(144, 11), "  1,234,567");
  EXPECT_EQ(FormatTapeRecord(c).substr(0, 4), "0000");
}

TEST(TapeRecord, LateNightStartsAreWrittenOnThePreviousDay) {
  CapsuleLayout c = SampleCapsule();
  c.start = CivilDateTime{2001, 3, 1, 1, 30, 15, 0};
  c.late_night_hours = true;
  const std::string r = FormatTapeRecord(c);
  EXPECT_EQ(r.substr(90, 14), "20010228253015");
  c.late_night_hours = false;
  EXPECT_EQ(FormatTapeRecord(c).substr(90, 14), "20010301013015");
}

TEST(TapeRecord, FieldsThatDoNotFitAreRefused) {
  CapsuleLayout c = SampleCapsule();
  c.title = std::string(256, 'T');
  EXPECT_EQ(FormatTapeRecord(c).substr(491, 256), c.title);
  EXPECT_EQ(FormatTapeRecord(c)[747], '\0');

  const auto refused = [](auto change) {
    CapsuleLayout bad = SampleCapsule();
    change(bad);
    EXPECT_THROW(FormatTapeRecord(bad), std::invalid_argument);
  };
  refused([](CapsuleLayout& b) { b.title = std::string(257, 'T'); });
  refused([](CapsuleLayout& b) { b.channel = std::string(257, 'C'); });
  refused([](CapsuleLayout& b) { b.status = 10; });
  refused([](CapsuleLayout& b) { b.cabinet = 1000; });
  refused([](CapsuleLayout& b) { b.size_bytes = 100000000000ull; });  // 12 digits
  refused([](CapsuleLayout& b) { b.number = "12"; });
}

TEST(TapeHeader, RecordThreeEndsInARecognisableTail) {
  const std::string r = FormatTapeHeaderRecord(3, 5);
  ASSERT_EQ(r.size(), kTapeRecordSize);
  const std::string tail = r.substr(kTapeHeaderTailOffset);
  EXPECT_EQ(tail.size(), 272u);
  EXPECT_EQ(tail.rfind("TAIL-BEGIN seed=5", 0), 0u);
  EXPECT_EQ(tail.substr(tail.size() - 10), "TAIL-END\r\n");
  EXPECT_NE(tail.find('\0'), std::string::npos);
  EXPECT_NE(FormatTapeHeaderRecord(3, 6), r);
  EXPECT_EQ(FormatTapeHeaderRecord(0, 5).find('\n'), kTapeRecordSize - 1);
}

TEST(CabinetDatabase, LinesAre305CharactersWithIdAndName) {
  const CabinetLayout cabinet{3, "\x83h\x83\x89\x83}"};  // ドラマ
  const std::string line = FormatCabinetLine(cabinet);
  ASSERT_EQ(line.size(), kCabinetLineLength);
  EXPECT_EQ(line.substr(0, 3), "  3");
  EXPECT_EQ(line.substr(48, cabinet.name.size()), cabinet.name);
  EXPECT_EQ(line.find_first_not_of(' ', 48 + cabinet.name.size()), std::string::npos);
  EXPECT_THROW(FormatCabinetLine({4, std::string(256, 'N')}), std::invalid_argument);

  const std::string file = FormatCabinetDatabase({{1, "A"}, {2, "B"}});
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < file.size();) {
    const std::size_t end = file.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    lines.push_back(file.substr(pos, end - pos));
    pos = end + 2;
  }
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].size(), kCabinetLineLength);  // a header line, not a cabinet
  EXPECT_EQ(lines[1], FormatCabinetLine({1, "A"}));
  EXPECT_EQ(lines[2], FormatCabinetLine({2, "B"}));
}

TEST(MediaFile, CountLineThenOneLetterPerLine) {
  EXPECT_EQ(FormatMediaFile({'D', 'E'}), "[ReelKeeper Media]\r\nCurrentNumMedia:2\r\nD\r\nE\r\n");
  EXPECT_THROW(FormatMediaFile({}), std::invalid_argument);
  EXPECT_THROW(FormatMediaFile(std::vector<char>(10, 'D')), std::invalid_argument);
}

TEST(ExtensionFile, SegmentLinesThenMemoBlockAt4096) {
  const CapsuleLayout c = SampleCapsule();
  const std::string file = FormatExtensionFile("D:\\Reel Keeper", c);
  ASSERT_EQ(file.size(), kExtensionFileSize);
  const std::string lines =
      "D:\\Reel Keeper\\0012-001.ssx\r\nD:\\Reel Keeper\\0012-001.ssg\r\n"
      "D:\\Reel Keeper\\0012-002.ssx\r\nE:\\Reel Keeper\\0012-002.ssg\r\n";
  EXPECT_EQ(file.substr(0, lines.size()), lines);
  EXPECT_EQ(file.find_first_not_of('\0', lines.size()), kMemoBlockOffset);
  EXPECT_EQ(file.substr(4096, 4), "  10");
  EXPECT_EQ(file[4100], '\0');
  EXPECT_EQ(file.substr(4101, 10), "0123456789");
  EXPECT_EQ(file.find_first_not_of('\0', 4111), std::string::npos);

  CapsuleLayout full = c;
  full.memo = std::string(kMemoAreaSize, 'm');
  EXPECT_EQ(FormatExtensionFile("D:\\Reel Keeper\\", full).substr(4096, 5), "2096"s + '\0');
  full.memo += 'm';
  EXPECT_THROW(FormatExtensionFile("D:\\Reel Keeper\\", full), std::invalid_argument);
  CapsuleLayout many = c;
  many.segments.assign(200, SegmentLayout{".ssg", 1});
  EXPECT_THROW(FormatExtensionFile("D:\\Reel Keeper\\", many), std::invalid_argument);
}

TEST(Paths, MediaFolderNeedsADriveLetter) {
  EXPECT_EQ(MediaFolderOf("D:\\Reel Keeper", 'E'), "E:\\Reel Keeper\\");
  EXPECT_THROW(MediaFolderOf("Reel Keeper", 'E'), std::invalid_argument);
}

TEST(SegmentContent, AnyBlockSizeGivesTheSameBytes) {
  const std::string whole = SegmentContent(7, "0012-001.ssg", 20000);
  for (std::size_t chunk : {1u, 3u, 7u, 8u, 13u, 4101u}) {
    SegmentContentStream stream(7, "0012-001.ssg");
    std::string pieces(whole.size(), '\0');
    for (std::size_t pos = 0; pos < pieces.size(); pos += chunk) {
      stream.Fill(pieces.data() + pos, std::min(chunk, pieces.size() - pos));
    }
    EXPECT_EQ(pieces, whole) << "chunk " << chunk;
  }
  EXPECT_EQ(SegmentContent(7, "0012-001.SSG", 100), whole.substr(0, 100));
  EXPECT_NE(SegmentContent(8, "0012-001.ssg", 100), whole.substr(0, 100));
  EXPECT_NE(SegmentContent(7, "0012-001.ssx", 100), whole.substr(0, 100));
}

TEST(RandomHost, SameSeedSameHostOtherSeedOtherHost) {
  RandomOptions options;
  options.media = {'D', 'E'};
  const auto describe = [](const HostLayout& layout) {
    std::string all = FormatTapeDatabase(layout) + FormatCabinetDatabase(layout.cabinets);
    for (const CapsuleLayout& c : layout.capsules) {
      all += FormatExtensionFile("D:\\RK\\", c);
      for (const SegmentLayout& s : c.segments) all += std::to_string(s.size) + s.extension;
    }
    return all;
  };
  EXPECT_EQ(describe(RandomHost(1, 40, options)), describe(RandomHost(1, 40, options)));
  EXPECT_NE(describe(RandomHost(1, 40, options)), describe(RandomHost(2, 40, options)));
}

TEST(RandomHost, HoldsTheAwkwardCapsules) {
  RandomOptions options;
  options.media = {'D', 'E'};
  const HostLayout layout = RandomHost(3, 12, options);
  int empty_slots = 0, status9_zero = 0, status0_zero = 0, without_record = 0, mpg = 0;
  bool above_block = false, at_block = false, below_block = false, split = false;
  std::set<std::string> numbers;
  for (const CapsuleLayout& c : layout.capsules) {
    if (c.number == "0000") {
      ++empty_slots;
      continue;
    }
    EXPECT_TRUE(numbers.insert(c.number).second) << c.number;
    const bool on_disk = !c.segments.empty() && c.segments.front().on_disk;
    if (c.has_tape_record && c.size_bytes == 0 && c.status == 9 && on_disk) ++status9_zero;
    if (c.has_tape_record && c.size_bytes == 0 && c.status == 0 && on_disk) ++status0_zero;
    if (!c.has_tape_record) ++without_record;
    std::set<char> media;
    for (const SegmentLayout& s : c.segments) {
      media.insert(s.medium ? s.medium : c.medium);
      if (s.extension == ".mpg") ++mpg;
      if (s.extension == ".ssg") {
        above_block |= s.size > 8000000;
        at_block |= s.size == 8000000;
        below_block |= s.size < 8000000;
      }
    }
    split |= media.size() == 2;
  }
  EXPECT_EQ(numbers.size(), 12u);
  EXPECT_GE(empty_slots, 1);
  EXPECT_EQ(status9_zero, 1);
  EXPECT_EQ(status0_zero, 1);
  EXPECT_EQ(without_record, 1);
  EXPECT_GE(mpg, 1);
  EXPECT_TRUE(above_block && at_block && below_block);
  EXPECT_TRUE(split);
}

TEST(RandomHost, AHundredThousandCapsulesHaveDistinctFourCharacterNumbers) {
  RandomOptions options;
  options.scale = SizeScale::kTiny;
  const HostLayout layout = RandomHost(1, 100000, options);
  std::set<std::string> numbers;
  for (const CapsuleLayout& c : layout.capsules) {
    ASSERT_EQ(c.number.size(), 4u);
    if (c.number != "0000") {
      EXPECT_TRUE(numbers.insert(c.number).second) << c.number;
    }
  }
  EXPECT_EQ(numbers.size(), 100000u);
}

// A host written into a fresh temporary folder, removed afterwards. On POSIX the drive
// letters D and E stand for two folders; on Windows the host lives on the temporary
// folder's own drive, the only medium.
class WrittenHost : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::filesystem::temp_directory_path() / ("capsdub-samplegen-" + std::to_string(stamp));
    std::filesystem::create_directories(root_);
#ifdef _WIN32
    host_ = platform::WideToSjis(root_.wstring()) + "\\Reel Keeper\\";
    media_ = {host_[0]};
#else
    host_ = "D:\\Reel Keeper\\";
    media_ = {'D', 'E'};
#endif
  }
  void TearDown() override {
    platform::ClearDriveTable();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  // Maps the drives to the folders of one copy of the host (POSIX only).
  void UseCopy(const std::string& name) {
    for (char letter : {'D', 'E'}) {
      const auto folder = root_ / name / std::string(1, letter);
      std::filesystem::create_directories(folder);
      platform::SetDriveFolder(letter, folder.string());
    }
  }
  static std::string ReadAll(const std::string& path) {
    platform::File file = platform::File::OpenForRead(path, platform::ShareMode::kReadWrite);
    EXPECT_TRUE(file.is_open()) << path;
    std::string data;
    if (!file.is_open()) return data;
    char buffer[65536];
    for (std::size_t n; (n = file.Read(buffer, sizeof buffer)) > 0;) data.append(buffer, n);
    return data;
  }
  // Every file of the host: path -> contents.
  std::map<std::string, std::string> Snapshot(const HostLayout& layout) {
    std::map<std::string, std::string> files;
    std::vector<std::string> folders = {host_ + "RKDB\\", host_ + "RKDB\\TapeExt\\"};
    for (char m : layout.media) folders.push_back(MediaFolderOf(host_, m));
    for (const std::string& folder : folders) {
      for (const platform::DirEntry& e : platform::ListFiles(folder, "*")) {
        files[folder + e.name] = ReadAll(folder + e.name);
      }
    }
    return files;
  }

  std::filesystem::path root_;
  std::string host_;
  std::vector<char> media_;
};

TEST_F(WrittenHost, FilesOnDiskAreTheFormattedRecordsAndSegments) {
#ifndef _WIN32
  UseCopy("one");
#endif
  RandomOptions options;
  options.media = media_;
  options.scale = SizeScale::kSmall;
  const HostLayout layout = RandomHost(11, 12, options);
  WriteHost(host_, layout);

  const std::string tape = ReadAll(host_ + "RKDB\\RKDBTape.SVD");
  EXPECT_EQ(tape, FormatTapeDatabase(layout));
  std::size_t records = 0;
  for (const CapsuleLayout& c : layout.capsules) records += c.has_tape_record;
  EXPECT_EQ(tape.size(), (4 + records) * kTapeRecordSize);
  EXPECT_EQ(ReadAll(host_ + "RKDB\\RKDBMedia.SVD"), FormatMediaFile(layout.media));
  EXPECT_EQ(ReadAll(host_ + "RKDB\\RKDBTapelib.SVD"), FormatCabinetDatabase(layout.cabinets));

  std::size_t expected_files = 3;
  std::size_t segment_files = 0;
  for (const CapsuleLayout& c : layout.capsules) {
    if (c.number == "0000") continue;
    if (c.has_extension_file) {
      ++expected_files;
      EXPECT_EQ(ReadAll(host_ + "RKDB\\TapeExt\\Tx" + c.number + ".SVD"),
                FormatExtensionFile(host_, c));
    }
    for (std::size_t i = 0; i < c.segments.size(); ++i) {
      const std::string path = SegmentPath(host_, c, i);
      if (!c.segments[i].on_disk) {
        EXPECT_FALSE(platform::FileExists(path)) << path;
        continue;
      }
      ++expected_files;
      ++segment_files;
      const std::string data = ReadAll(path);
      EXPECT_EQ(data.size(), c.segments[i].size) << path;
      EXPECT_EQ(data, SegmentContent(layout.seed, SegmentFileName(c, i), c.segments[i].size))
          << path;
    }
    // The joined hash is the hash of the segments read back in the capsule's order.
    ContentHash joined;
    for (std::size_t i = 0; i < c.segments.size(); ++i) {
      const std::string& ext = c.segments[i].extension;
      if (c.segments[i].on_disk && (ext == ".ssg" || ext == ".SSG")) {
        joined.Update(ReadAll(SegmentPath(host_, c, i)));
      }
    }
    EXPECT_EQ(joined.value(), JoinedSegmentsHash(layout.seed, c, ".SSG")) << c.number;
  }
  // Nothing else: no files for empty slots, none for segments that are not on disk.
  EXPECT_EQ(Snapshot(layout).size(), expected_files);

  // Segment files carry the end of their recording as last-write time.
  std::map<std::string, DateTime> end_of;
  for (const CapsuleLayout& c : layout.capsules) end_of[c.number] = MakeDateTime(RecordingEnd(c));
  std::size_t timed = 0;
  for (char m : layout.media) {
    for (const platform::DirEntry& e : platform::ListFiles(MediaFolderOf(host_, m), "*")) {
      EXPECT_EQ(e.last_write, end_of.at(e.name.substr(0, 4))) << e.name;
      ++timed;
    }
  }
  EXPECT_EQ(timed, segment_files);
}

#ifndef _WIN32
TEST_F(WrittenHost, TwoWritesOfOneSeedAreByteForByteEqual) {
  RandomOptions options;
  options.media = media_;
  options.scale = SizeScale::kSmall;
  UseCopy("one");
  WriteHost(host_, RandomHost(5, 15, options));
  const auto first = Snapshot(RandomHost(5, 15, options));
  UseCopy("two");
  WriteHost(host_, RandomHost(5, 15, options));
  const auto second = Snapshot(RandomHost(5, 15, options));
  EXPECT_GT(first.size(), 30u);
  EXPECT_TRUE(first == second);
  bool on_e = false;
  for (const auto& [path, data] : first) on_e |= path.rfind("E:\\", 0) == 0;
  EXPECT_TRUE(on_e) << "some segments are on the second medium";
}
#endif

}  // namespace
}  // namespace capsdub::samplegen
