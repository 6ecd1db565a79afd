// The capsule record file: a fixed header, the tape database's header tail, the capsule's own
// tape record with its status column set to "0", and the memo line.
#include "dubbing/capsule_record.h"

#include <cstdio>

#include "catalogue/host_files.h"
#include "dubbing/capsule_copy.h"
#include "dubbing/dub_utils.h"
#include "dubbing/messages.h"

namespace capsdub {

namespace {

constexpr std::size_t kHeaderTailSize = 272;
constexpr std::size_t kStatusColumn = 452;  // offset of the status digit in a tape record
constexpr std::size_t kMemoFieldSize = 5113;

std::string HeaderLines(const std::string& header_tail) {
  std::string text;
  text += std::string(14, '#') + "\r\n";
  text += std::string(70, '#') + "\r\n";
  text += std::string(47, '#') + "\r\n";
  text += "FileVersion: 02.00.00.990913\r\n";
  text += std::string(1607, '#') + "\r\n";
  // The tail is kept by the tape reader with its NUL bytes made blanks; a tail that is not
  // there (a tape database without a fourth record) is filled the same way so that the header
  // keeps its size.
  std::string tail = header_tail.substr(0, kHeaderTailSize);
  tail.resize(kHeaderTailSize, ' ');
  text += tail;
  return text;
}

// The tape record with its status column set to "0"; a shorter line gets the "0" at its end.
std::string ExportedTapeRecord(const std::string& line) {
  std::string record = line.substr(0, kStatusColumn);
  record += '0';
  if (line.size() > kStatusColumn + 1) record.append(line, kStatusColumn + 1);
  return record + "\r\n";
}

std::string MemoLine(const RecordingRow* row) {
  if (row == nullptr) return std::string(kMemoLineSize - 2, ' ') + "\r\n";
  char length[16];
  std::snprintf(length, sizeof length, "%4.4d", static_cast<int>(row->Memo.size()));
  std::string memo = row->Memo.substr(0, kMemoFieldSize);
  memo.resize(kMemoFieldSize, ' ');
  return std::string(length) + ":" + memo + "\r\n";
}

}  // namespace

void WriteCapsuleRecord(DubbingWindow& window, platform::File& sdb, const std::string& number) {
  const Catalogue& catalogue = window.catalogue();
  const std::string tape_path = TapeDatabasePath(catalogue.PathReelKeeper);
  if (!platform::FileExists(tape_path)) {
    window.SetStatus(messages::kHostDataMissing, kColourRed);
    return;
  }
  platform::File tape = OpenForReading(tape_path, 0, window);
  if (!tape.is_open()) {
    window.SetStatus(messages::kHostDataBusy, kColourRed);
    return;
  }
  std::string text = HeaderLines(catalogue.TapeHeaderTail);
  LineReader reader(std::move(tape));
  while (!window.StopRequested) {
    const std::optional<std::string> line = reader.Next();
    if (!line) break;
    if (line->substr(0, 4) == number) {
      text += ExportedTapeRecord(*line);
      break;
    }
  }
  text += MemoLine(catalogue.Table2.Find(number));
  sdb.Write(text.data(), text.size());
}

void WriteCapsuleRecordFile(DubbingWindow& window, const std::string& mpg_path,
                            const std::string& number) {
  platform::File sdb =
      platform::File::Create(ChangeExtension(mpg_path, ".sdb"), platform::ShareMode::kReadWrite);
  WriteCapsuleRecord(window, sdb, number);
  sdb.Close();
}

}  // namespace capsdub
