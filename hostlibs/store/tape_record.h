// Reel Keeper's tape database records and capsule extension files as the stand-in database
// library reads and changes them: the fields CapsDub reads at their fixed positions, the
// stand-in's own fields in bytes that CapsDub does not interpret, and the memo block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostlibs/store/standin_files.h"

namespace capsdub::hoststore {

inline constexpr std::size_t kTapeRecordSize = 1024;
inline constexpr std::size_t kTapeHeaderRecords = 4;  // records 0-3 of RKDBTape.SVD
inline constexpr std::string_view kEmptySlotNumber = "0000";
inline constexpr int kMaxCapsuleId = 9999;

struct FieldSpan {
  std::size_t offset;
  std::size_t width;
};
inline constexpr FieldSpan kNumberField{0, 4};
inline constexpr FieldSpan kCabinetField{75, 3};
inline constexpr FieldSpan kDateField{90, 8};  // YYYYMMDD
inline constexpr FieldSpan kTimeField{98, 6};  // HHMMSS, hours 24-28 for late-night starts
inline constexpr FieldSpan kSizeField{144, 11};
inline constexpr FieldSpan kChannelField{188, 256};
inline constexpr FieldSpan kStatusField{452, 1};
inline constexpr FieldSpan kTitleField{491, 256};
// The stand-in's own fields: "RKSI", mode (1 digit), channel number (5), state words A and B
// (1 digit each), length in milliseconds (10). Records without them get defaults.
inline constexpr FieldSpan kExtrasField{768, 22};

// What the stand-in keeps about a capsule beyond CapsDub's fields.
struct TapeExtras {
  int mode = 0;                 // recording mode 0-2
  std::uint16_t channel = 0;    // channel number
  int state_a = 0;              // 1: created for a reservation, not recorded yet
  int state_b = 0;              // free for other states (nonzero: not listed as recorded)
  std::uint32_t length_ms = 0;  // recorded length
  friend bool operator==(const TapeExtras&, const TapeExtras&) = default;
};

// The fields of one tape record.
struct TapeFields {
  std::string number;  // 4 characters as stored
  std::string title;   // trimmed, line feeds removed
  std::string channel_name;
  Minute start;  // recording start; 1970-01-01 00:00 when unreadable
  std::uint64_t size = 0;
  int status = 0;
  int cabinet = 0;
  std::optional<TapeExtras> extras;
};

// 12 for "0012"; nullopt for anything but four digits from 0001 to 9999.
std::optional<int> CapsuleIdOf(std::string_view number);
std::string CapsuleNumberOf(int id);  // "0012"

bool IsEmptySlot(std::string_view record);
TapeFields ReadTapeRecord(std::string_view record);

// A header record of a new tape database (index 0-3), and an empty slot.
std::string NewHeaderRecord(int index);
std::string EmptySlotRecord();
// A record for a capsule created by the database library: no files, size 0.
std::string NewTapeRecord(int id, std::string_view title, const Minute& start,
                          const TapeExtras& extras);

// In-place changes of one field; the other bytes of the record stay as they are. Texts are cut
// to the field on a character boundary and CR or LF become blanks, so the record stays one
// text line.
void SetTitle(std::string& record, std::string_view title);
void SetChannelName(std::string& record, std::string_view name);
void SetStart(std::string& record, const Minute& start);
void SetExtras(std::string& record, const TapeExtras& extras);

// At most `max` bytes of Shift-JIS text, never ending inside a double-byte character.
std::string CutToBytes(std::string_view text, std::size_t max);

// --- Capsule extension files (RKDB\TapeExt\Tx<number>.SVD) ---

inline constexpr std::size_t kMemoBlockOffset = 4096;
inline constexpr std::size_t kMemoTextOffset = 4101;
inline constexpr std::size_t kMemoAreaSize = 2096;
inline constexpr std::size_t kExtensionFileSize = 6197;
// The length field has four digits; a memo longer than the 2096-byte area continues past it,
// where CapsDub's reader (which reads one 6197-byte block) does not look.
inline constexpr std::size_t kMemoMax = 9999;

// The memo as the length field gives it: empty for a file shorter than one block.
std::string MemoOfExtension(std::string_view file);
// The file with its memo block replaced (memo cut to kMemoMax bytes); a shorter file is padded
// to the block. nullopt when text lines of the file run into the memo block, which the new
// memo would overwrite.
std::optional<std::string> ExtensionWithMemo(std::string_view file, std::string_view memo);
// The lines of the file that name segment files (extension .ss?, .scx or .mpg), unchanged.
std::vector<std::string> SegmentLinesOf(std::string_view file);
// True when the last component of `path` is a segment file of capsule `number`:
// <number>-<3 characters>.ss?, .scx or .mpg, letter case ignored.
bool IsSegmentFileOf(std::string_view path, std::string_view number);

// --- Paths and the media file ---

std::string TapeDatabasePathOf(std::string_view host);
std::string MediaFilePathOf(std::string_view host);
std::string ExtensionPathOf(std::string_view host, std::string_view number);
std::string StandInPathOf(std::string_view host, std::string_view relative);
// Drive letters of RKDBMedia.SVD read the way CapsDub reads them.
std::vector<char> ParseMediaList(std::string_view text);
// The host folder with its drive letter replaced by `medium`; the host folder itself when it
// does not begin with a drive letter.
std::string MediaFolderOf(std::string_view host, char medium);

}  // namespace capsdub::hoststore
