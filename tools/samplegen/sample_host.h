// The sample Reel Keeper host: a description of a data folder (media, tape records, cabinets,
// capsule extension files and segment files), a deterministic random description from a seed,
// and the writer that puts it on disk in Reel Keeper's own file layouts.
//
// Everything written is a function of the description alone, and RandomHost is a function of
// its seed and options alone, so tests and benchmarks can check copied output by hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"

namespace capsdub::samplegen {

// Sizes of the fixed layouts.
constexpr std::size_t kTapeRecordSize = 1024;
constexpr std::size_t kTapeHeaderRecords = 4;
constexpr std::size_t kTapeHeaderTailOffset = 752;  // the last 272 bytes of header record 3
constexpr std::size_t kCabinetLineLength = 305;     // without the line break
constexpr std::size_t kMemoBlockOffset = 4096;      // the memo block in an extension file
constexpr std::size_t kMemoAreaSize = 2096;
constexpr std::size_t kExtensionFileSize = 6197;  // segment lines + memo block
constexpr std::size_t kTitleFieldWidth = 256;
constexpr std::size_t kChannelFieldWidth = 256;
constexpr std::size_t kCabinetNameWidth = 255;

// One segment file of a capsule: <number>-<index, 3 digits><extension>.
struct SegmentLayout {
  std::string extension;   // ".ssx", ".ssg" or ".mpg"; written as given (letter case kept)
  std::uint64_t size = 0;  // bytes
  char medium = 0;         // drive letter of the medium holding it; 0: the capsule's medium
  int index = 0;           // segment number; 0: the n-th segment of this extension gets n
  bool on_disk = true;     // false: named in the extension file but not written
};

// One capsule, or an empty tape slot when `number` is "0000" (its record is written with
// whatever stale fields it has, and nothing else).
struct CapsuleLayout {
  std::string number;   // 4 characters
  std::string title;    // Shift-JIS, at most 256 bytes
  std::string channel;  // Shift-JIS, at most 256 bytes
  CivilDateTime start;  // recording start (seconds used, milliseconds ignored)
  // Written as the previous day with hours 24-28 when the start is before 05:00, the way
  // late-night broadcasts are dated.
  bool late_night_hours = false;
  std::uint64_t size_bytes = 0;         // the tape record's size: the media segments' total
  bool size_separators = false;         // write the size with "," thousands separators
  int status = 0;                       // one digit
  int cabinet = 0;                      // 0..999; 0: no cabinet
  std::string memo;                     // Shift-JIS, at most 2096 bytes
  char medium = 'D';                    // where its segments are unless a segment says otherwise
  std::vector<SegmentLayout> segments;  // in the capsule's order
  bool has_tape_record = true;
  bool has_extension_file = true;
};

struct CabinetLayout {
  int id = 0;        // 1..999
  std::string name;  // Shift-JIS, at most 255 bytes
};

struct HostLayout {
  std::vector<char> media = {'D'};      // drive letters, in the media file's order (1..9)
  std::vector<CapsuleLayout> capsules;  // tape records in this order ("0000": empty slot)
  std::vector<CabinetLayout> cabinets;
  std::uint32_t seed = 0;  // keys the segment contents and the header records
};

enum class SizeScale {
  kTiny,    // a few hundred bytes per segment: catalogue benchmarks with many capsules
  kSmall,   // sizes divided by 1000 (media segments around 8,000 bytes): quick tests
  kNormal,  // media segments on both sides of 8,000,000 bytes
  kLarge,   // media segments of tens of megabytes: copy benchmarks
};

struct RandomOptions {
  std::vector<char> media = {'D'};
  SizeScale scale = SizeScale::kNormal;
  int cabinet_count = 6;
  // Empty slots, a status-9 capsule of size 0, a size-0 capsule of status 0, a capsule
  // without a tape record, a record without files, a capsule split over two media. Off
  // gives only ordinary capsules.
  bool special_cases = true;
};

// A realistic host of `capsule_count` capsules (not counting empty slots), the same for the
// same seed and options. Capsule numbers run 0001..9999 with a few gaps; beyond 9999 they go
// on as A000, A001, ... (the catalogue treats numbers as text).
HostLayout RandomHost(std::uint32_t seed, int capsule_count, const RandomOptions& options = {});

// Writes the whole host under `host_folder` (Windows form with a drive letter, such as
// "D:\Reel Keeper\"; on POSIX mapped through the drive table). The media folders are the host
// folder with its drive letter replaced by each medium's letter. Throws platform::IoError
// when a file cannot be written and std::invalid_argument when a field does not fit.
void WriteHost(const std::string& host_folder, const HostLayout& layout);

// The parts of WriteHost, for writers that add files of their own to a host.
void WriteDatabaseFiles(const std::string& host_folder, const HostLayout& layout);
void WriteSegmentFiles(const std::string& host_folder, const HostLayout& layout);

// When the recording ended: in the tape record after the start, and the last-write time
// (local) of every segment file of the capsule, which the catalogue shows for a capsule
// without a tape record.
CivilDateTime RecordingEnd(const CapsuleLayout& capsule);

// --- Single files and records, for tests that build odd files by hand ---

// A medium's folder: the host folder (with a trailing backslash) on drive `medium`.
std::string MediaFolderOf(std::string_view host_folder, char medium);
// "0012-001.ssg" for the segment at `position` of the capsule.
std::string SegmentFileName(const CapsuleLayout& capsule, std::size_t position);
// The full Windows path of that segment, as the extension file names it.
std::string SegmentPath(std::string_view host_folder, const CapsuleLayout& capsule,
                        std::size_t position);

// The media file: a header line, "CurrentNumMedia:<n>", then one line per letter; CR LF.
std::string FormatMediaFile(const std::vector<char>& media);
// Tape header record `index` (0..3); record 3 ends in a recognisable tail with NUL bytes.
std::string FormatTapeHeaderRecord(int index, std::uint32_t seed);
// One 1024-byte tape record; its last two bytes are CR LF.
std::string FormatTapeRecord(const CapsuleLayout& capsule);
// The tape database of a host: four header records, then one record per capsule that has
// one.
std::string FormatTapeDatabase(const HostLayout& layout);
// One cabinet line of exactly 305 characters, without its line break.
std::string FormatCabinetLine(const CabinetLayout& cabinet);
// The cabinet database: a header line, then the cabinet lines; CR LF.
std::string FormatCabinetDatabase(const std::vector<CabinetLayout>& cabinets);
// The 6197-byte extension file: the segment paths as CR LF lines, NUL padding to 4096, then
// the memo block (length in 4 characters, one unused byte, the 2096-byte memo area).
std::string FormatExtensionFile(std::string_view host_folder, const CapsuleLayout& capsule);
// The memo block alone (2101 bytes) with a given length field.
std::string FormatMemoBlock(std::string_view memo, std::string_view length_field);

// --- Segment contents ---

// The deterministic byte stream of one segment file, keyed by the seed and the file name
// (letter case ignored). Successive Fill calls continue the stream, so any block size gives
// the same bytes.
class SegmentContentStream {
 public:
  SegmentContentStream(std::uint32_t seed, std::string_view file_name);
  void Fill(char* out, std::size_t size);

 private:
  std::uint64_t state_;
  std::uint64_t word_ = 0;  // the current 8 bytes
  unsigned word_used_ = 8;  // bytes of word_ already handed out
};

std::string SegmentContent(std::uint32_t seed, std::string_view file_name, std::uint64_t size);

// FNV-1a, 64 bits: the hash used to compare generated and copied data.
class ContentHash {
 public:
  void Update(const void* data, std::size_t size);
  void Update(std::string_view data) { Update(data.data(), data.size()); }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

// The hash of the capsule's segments with `extension` (letter case ignored) that are on
// disk, joined in the capsule's order: what a copy that joins those segments must produce.
std::uint64_t JoinedSegmentsHash(std::uint32_t seed, const CapsuleLayout& capsule,
                                 std::string_view extension);
// Total size of those segments.
std::uint64_t JoinedSegmentsSize(const CapsuleLayout& capsule, std::string_view extension);

}  // namespace capsdub::samplegen
