// Readers of Reel Keeper's database files under RKDB: the media list, the tape database
// (with each capsule's memo), the cabinet database and the capsule extension files, plus
// the small parsing and file utilities they share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tables.h"
#include "catalogue/window_port.h"
#include "platform/datetime.h"
#include "platform/files.h"

namespace capsdub {

constexpr std::size_t kTapeRecordSize = 1024;
constexpr std::size_t kTapeHeaderTailOffset = 752;
constexpr std::size_t kMemoBlockSize = 6197;

// Host folder + "RKDB\RKDBTape.SVD" and the other host files.
std::string MediaFilePath(std::string_view host);
std::string TapeDatabasePath(std::string_view host);
std::string CabinetDatabasePath(std::string_view host);
std::string CapsuleExtensionPath(std::string_view host, std::string_view number);

// Reads a whole file as text lines: a line ends at LF, a CR before the LF is dropped, a last
// line without LF counts. Lines keep NUL bytes.
class LineReader {
 public:
  explicit LineReader(platform::File file) : file_(std::move(file)) {}
  // Next line, or nullopt at the end. Throws platform::IoError on a read error.
  std::optional<std::string> Next();

 private:
  platform::File file_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

// Opens an existing file for reading, up to retries + 1 attempts, waiting one minute between
// attempts. An empty File when all attempts failed.
platform::File OpenForReading(std::string_view path, int retries, WindowPort& window,
                              platform::ShareMode share = platform::ShareMode::kRead);
// Waits, keeping the window responsive.
void WaitMinutes(double minutes, WindowPort& window);

// A decimal integer with leading blanks and a sign allowed and nothing after its digits;
// nullopt for anything else.
std::optional<int> ParseIntegerText(std::string_view text);
DateTime ParseDateText(std::string_view text);
// Time of day as a fraction of a day; may exceed one day for hours 24 to 28.
double ParseTimeText(std::string_view text);
double ParseNumberText(std::string_view text, double fallback);

void ReadMediaList(Catalogue& catalogue, WindowPort& window);
void ReadTapeDatabase(Catalogue& catalogue, WindowPort& window);
void ReadCabinetDatabase(Catalogue& catalogue, WindowPort& window);
// Replaces `list` with the lines of the capsule's extension file whose file-name extension
// equals `kind` (such as ".SSG"), compared without regard to letter case.
void ReadSegmentList(std::string_view kind, std::string_view number, std::vector<std::string>& list,
                     const Catalogue& catalogue, WindowPort& window);
// The memo of a capsule extension file (empty when missing, short or unreadable).
std::string ReadCapsuleMemo(std::string_view path);

}  // namespace capsdub
