// RandomHost: a realistic sample host drawn from a seed, with the awkward capsules a real
// Reel Keeper folder collects (empty slots, zero sizes, orphan files, capsules split over
// media) at fixed places, so tests can count on them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <stdexcept>

#include "tools/samplegen/random.h"
#include "tools/samplegen/sample_host.h"
#include "tools/samplegen/sample_words.h"
#include "ui/text/sjis_literals.h"

namespace capsdub::samplegen {
namespace {

// Positions of the special capsules among the capsules (not counting empty slots).
constexpr int kBlockBoundaryCapsule = 0;  // media segments above, at and below 8,000,000 bytes
constexpr int kStatus9ZeroSize = 1;       // status 9, size 0: listed
constexpr int kLongMemo = 2;              // a memo that nearly fills its area; late-night hours
constexpr int kStatus0ZeroSize = 3;       // status 0, size 0: not listed
constexpr int kOrphanFiles = 4;           // segment files without tape record or extension file
constexpr int kNoFiles = 5;               // tape record and extension file, no segment files
constexpr int kTwoMedia = 6;              // segments alternate between the first two media
constexpr int kMpgCapsule = 7;            // .mpg media segments instead of .ssg
constexpr int kUpperCase = 8;             // ".SSX" / ".SSG" file names
constexpr int kMissingCabinet = 9;        // a cabinet number that the cabinet table lacks
constexpr int kSeparatedSize = 10;        // size written with thousands separators

constexpr std::uint64_t kBlock = 8000000;  // the copy engine's block size

// The capsule number of the ordinal-th capsule: 0001 to 9999, then A000 to Z999, then AA00 to
// ZZ99 (103,599 capsules in all).
std::string NumberOf(int ordinal) {
  char buffer[16];
  if (ordinal <= 9999) {
    std::snprintf(buffer, sizeof buffer, "%04d", ordinal);
  } else if (const int beyond = ordinal - 10000; beyond < 26 * 1000) {
    std::snprintf(buffer, sizeof buffer, "%c%03d", 'A' + beyond / 1000, beyond % 1000);
  } else {
    const int pair = beyond - 26 * 1000;
    if (pair >= 26 * 26 * 100) throw std::invalid_argument("sample host: too many capsules");
    std::snprintf(buffer, sizeof buffer, "%c%c%02d", 'A' + pair / 2600, 'A' + pair / 100 % 26,
                  pair % 100);
  }
  return buffer;
}

std::uint64_t MediaSegmentSize(Random& random, SizeScale scale) {
  switch (scale) {
    case SizeScale::kTiny:
      return random.Between(200, 900);
    case SizeScale::kSmall:
      return random.Between(2000, 14000);
    case SizeScale::kNormal:
      return random.Between(2000000, 14000000);
    case SizeScale::kLarge:
      return random.Between(20000000, 60000000);
  }
  return 0;
}

// Index segments are small beside their media segments but large enough that a capsule's
// copied total, in whole K bytes, exceeds its recorded size in K bytes.
std::uint64_t IndexSegmentSize(Random& random, SizeScale scale, std::uint64_t media_size) {
  switch (scale) {
    case SizeScale::kTiny:
      return random.Between(64, 200);
    case SizeScale::kSmall:
      return std::max<std::uint64_t>(2048, media_size / 50);
    case SizeScale::kNormal:
    case SizeScale::kLarge:
      return std::max<std::uint64_t>(4096, media_size / 50);
  }
  return 0;
}

std::string Title(Random& random) {
  std::string title = random.Pick(words::kSeries);
  if (random.OneIn(2)) {
    title += "\x81\x40";  // full-width blank
    title += random.Pick(words::kEpisodes);
  }
  if (random.OneIn(3)) {
    title += "「";
    title += random.Pick(words::kSubtitles);
    title += "」";
  }
  return title;
}

std::string LongMemo(Random& random) {
  std::string memo;
  for (;;) {
    std::string line = random.Pick(words::kMemos);
    line += "\r\n";
    if (memo.size() + line.size() > kMemoAreaSize - 50) break;
    memo += line;
  }
  return memo;
}

}  // namespace

HostLayout RandomHost(std::uint32_t seed, int capsule_count, const RandomOptions& options) {
  if (capsule_count < 0) throw std::invalid_argument("sample host: negative capsule count");
  if (options.media.empty() || options.media.size() > 9) {
    throw std::invalid_argument("sample host: a host has 1 to 9 media");
  }
  Random random(seed);
  HostLayout layout;
  layout.seed = seed;
  layout.media = options.media;

  const int name_count = static_cast<int>(std::size(words::kCabinetNames));
  for (int id = 1; id <= options.cabinet_count; ++id) {
    CabinetLayout cabinet{id, words::kCabinetNames[(id - 1) % name_count]};
    if (id > name_count) cabinet.name += std::to_string((id - 1) / name_count + 1);
    layout.cabinets.push_back(cabinet);
  }

  const bool special = options.special_cases;
  // Gaps in the numbering (deleted capsules) only while the numbers stay within 4 digits.
  const bool room_for_gaps = capsule_count < 9000;
  int ordinal = 0;
  DateTime when = MakeDateTime(CivilDateTime{2001, 3, 1, 19, 0, 0, 0});

  for (int i = 0; i < capsule_count; ++i) {
    ++ordinal;
    if (special && room_for_gaps && random.OneIn(12)) ++ordinal;
    when.days += static_cast<double>(random.Between(2, 96)) * 15.0 / (24.0 * 60.0);

    CapsuleLayout capsule;
    capsule.number = NumberOf(ordinal);
    capsule.title = Title(random);
    capsule.channel = random.Pick(words::kChannels);
    capsule.start = DecodeDateTime(when);
    capsule.start.millisecond = 0;
    capsule.late_night_hours = capsule.start.hour < 5 && random.OneIn(2);
    capsule.status = random.OneIn(10) ? static_cast<int>(random.Between(1, 3)) : 0;
    capsule.cabinet = options.cabinet_count > 0 && !random.OneIn(5)
                          ? static_cast<int>(random.Between(1, options.cabinet_count))
                          : 0;
    if (!random.OneIn(3)) capsule.memo = random.Pick(words::kMemos);
    capsule.medium = options.media[random.Next() % options.media.size()];

    const bool mpg = (random.OneIn(8) && !(special && i == kBlockBoundaryCapsule)) ||
                     (special && i == kMpgCapsule);
    const bool upper = special && i == kUpperCase;
    const std::string index_ext = upper ? ".SSX" : ".ssx";
    const std::string media_ext = mpg ? ".mpg" : (upper ? ".SSG" : ".ssg");
    std::vector<std::uint64_t> media_sizes;
    int segment_count = options.scale == SizeScale::kTiny ? 1 + static_cast<int>(random.OneIn(4))
                                                          : static_cast<int>(random.Between(1, 4));
    if (special && i == kTwoMedia) segment_count = std::max(segment_count, 2);
    for (int s = 0; s < segment_count; ++s) {
      media_sizes.push_back(MediaSegmentSize(random, options.scale));
    }
    if (special && i == kBlockBoundaryCapsule && options.scale != SizeScale::kTiny) {
      const std::uint64_t block = options.scale == SizeScale::kSmall ? kBlock / 1000 : kBlock;
      media_sizes = {block + 1 + random.Between(0, block / 4), block,
                     random.Between(block / 8, block - 1)};
    }
    for (std::size_t s = 0; s < media_sizes.size(); ++s) {
      capsule.segments.push_back(
          {index_ext, IndexSegmentSize(random, options.scale, media_sizes[s])});
      capsule.segments.push_back({media_ext, media_sizes[s]});
    }
    for (std::uint64_t size : media_sizes) capsule.size_bytes += size;
    capsule.size_separators = capsule.size_bytes < 100000000 && random.OneIn(6);

    if (special) {
      switch (i) {
        case kStatus9ZeroSize:
          capsule.status = 9;
          capsule.size_bytes = 0;
          break;
        case kLongMemo:
          capsule.memo = LongMemo(random);
          capsule.start.hour = 1;
          capsule.start.minute = 30;
          capsule.late_night_hours = true;
          break;
        case kStatus0ZeroSize:
          capsule.status = 0;
          capsule.size_bytes = 0;
          break;
        case kOrphanFiles:
          capsule.has_tape_record = false;
          capsule.has_extension_file = false;
          break;
        case kNoFiles:
          for (SegmentLayout& segment : capsule.segments) segment.on_disk = false;
          break;
        case kTwoMedia:
          if (options.media.size() >= 2) {
            capsule.medium = options.media[0];
            for (std::size_t s = 0; s < capsule.segments.size(); ++s) {
              // Segment pairs (index and media) alternate between the first two media.
              capsule.segments[s].medium = options.media[(s / 2) % 2];
            }
          }
          break;
        case kMissingCabinet:
          capsule.cabinet = options.cabinet_count + 90;
          break;
        case kSeparatedSize:
          capsule.size_separators = capsule.size_bytes < 100000000;
          break;
        default:
          break;
      }
    }

    // Empty slots: one before the third capsule, then now and then. A deleted capsule's
    // slot keeps its stale fields behind the number "0000".
    if (special && (i == 2 || random.OneIn(25))) {
      CapsuleLayout slot = capsule;
      slot.number = "0000";
      slot.title = Title(random);
      slot.segments.clear();
      slot.has_extension_file = false;
      layout.capsules.push_back(slot);
    }
    layout.capsules.push_back(capsule);
  }
  return layout;
}

}  // namespace capsdub::samplegen
