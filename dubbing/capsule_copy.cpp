// The capsule copy: output naming, the block copy of the segment lists with progress, stop
// and pause between blocks, and the removal of partial output.
#include "dubbing/capsule_copy.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#include "dubbing/capsule_record.h"
#include "dubbing/content_hash.h"
#include "dubbing/dub_utils.h"
#include "dubbing/messages.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/scope_guard.h"

namespace capsdub {

namespace {

// After the 101st block of a segment and after every 100 further blocks the copy sleeps
// 1 ms, handing time to other processes during long recordings.
constexpr std::uint64_t kFirstPauseBlock = 101;
constexpr std::uint64_t kPauseEvery = 100;

std::string CurrentTitle(DubbingWindow& window) {
  const Catalogue& catalogue = window.catalogue();
  if (!catalogue.CurrentRow) return {};
  const CatalogueRow* row = catalogue.Table1.FindById(*catalogue.CurrentRow);
  return row != nullptr ? row->Title : std::string();
}

std::string FourDigits(long long n) {
  char text[32];
  std::snprintf(text, sizeof text, "%4.4lld", n);
  return text;
}

// Joins segment files into one output, block by block, into the running total; notes the
// segments that do not reach the output whole, and hashes what it copies when asked.
class SegmentCopier {
 public:
  SegmentCopier(DubbingWindow& window, char* buffer, double catalogue_size,
                std::vector<SegmentShortfall>& shortfalls)
      : window_(window),
        buffer_(buffer),
        catalogue_size_(catalogue_size),
        shortfalls_(shortfalls) {}

  double total() const { return total_; }

  // `sizes_at_start`: each segment's size when the capsule's copy began (nullopt: missing).
  // Counts the bytes written into `written` and, with `hasher`, hashes them.
  void CopyInto(const std::vector<std::string>& segments,
                const std::vector<std::optional<std::uint64_t>>& sizes_at_start,
                platform::File& output, WrittenOutput& written, ContentHasher* hasher) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
      if (window_.StopRequested) break;
      const std::string& segment = segments[i];
      const std::uint64_t size_at_start = sizes_at_start[i].value_or(0);
      if (platform::FileExists(segment)) {
        platform::File input =
            // The host may be recording into the segment at this moment: let it go on writing.
            platform::File::OpenForRead(segment, platform::ShareMode::kReadWrite);
        if (input.is_open()) {
          const std::uint64_t copied = CopySegment(input, output, written, hasher);
          if (!window_.StopRequested && copied < size_at_start) {
            window_.SetStatus(segment + messages::kShortened, kColourRed);
            shortfalls_.push_back({segment, SegmentFault::kShortened, size_at_start, copied});
          }
        } else {
          window_.SetStatus(segment + messages::kCannotOpen, kColourRed);
          shortfalls_.push_back({segment, SegmentFault::kNotOpened, size_at_start, 0});
        }
      } else {
        window_.SetStatus(segment + messages::kNotFound, kColourRed);
        shortfalls_.push_back({segment, SegmentFault::kMissing, size_at_start, 0});
      }
      window_.YieldToUi();
    }
  }

 private:
  // Returns the bytes copied from `input`.
  std::uint64_t CopySegment(platform::File& input, platform::File& output, WrittenOutput& written,
                            ContentHasher* hasher) {
    std::uint64_t position = 0;
    std::uint64_t known_size = 0;  // the size last asked of the system
    std::uint64_t blocks = 0;
    // The copy ends where the file ends at that moment: a segment that grows while it is
    // copied is followed, and one of exactly one block is read once. The size is asked again
    // only when the copy has reached the size known so far.
    while (!window_.StopRequested) {
      if (position >= known_size) {
        known_size = input.Size();
        if (position >= known_size) break;
      }
      const std::size_t got = input.Read(buffer_, kCopyBlockSize);
      if (got == 0) break;  // the file shrank meanwhile
      output.Write(buffer_, got);
      if (hasher != nullptr) hasher->Update(buffer_, got);
      position += got;
      written.bytes += got;
      total_ += static_cast<double>(got);
      window_.SetProgressPosition(ProgressPosition(total_, catalogue_size_));
      window_.ShowCopiedBytes(total_);
      window_.YieldToUi();
      ++blocks;
      if (blocks >= kFirstPauseBlock && (blocks - kFirstPauseBlock) % kPauseEvery == 0) {
        platform::SleepMs(1);
      }
    }
    input.Close();
    return position;
  }

  DubbingWindow& window_;
  char* buffer_;
  double catalogue_size_;
  std::vector<SegmentShortfall>& shortfalls_;
  double total_ = 0;
};

std::vector<std::optional<std::uint64_t>> SizesOf(const std::vector<std::string>& segments) {
  std::vector<std::optional<std::uint64_t>> sizes;
  sizes.reserve(segments.size());
  for (const std::string& segment : segments) sizes.push_back(platform::FileSizeOf(segment));
  return sizes;
}

// The output files one call has created, so that a failed copy removes exactly those.
struct CreatedOutputs {
  std::vector<std::string> paths;

  platform::File Create(const std::string& path) {
    platform::File file = platform::File::Create(path, platform::ShareMode::kReadWrite);
    paths.push_back(path);
    return file;
  }
  void RemoveAll() const {
    for (const std::string& path : paths) platform::DeleteFileAt(path);
  }
};

}  // namespace

std::optional<std::string> ChooseOutputPath(DubbingWindow& window, const std::string& proposed,
                                            const std::string& number, const PathTaken& taken) {
  const std::string folder = FolderOf(proposed);
  const bool cabinet_form = window.ExportTo() == OutputForm::kExternalCabinet;
  std::string path = cabinet_form ? folder + number + ".mpg" : proposed;
  if (!taken(path)) return path;
  if (!window.NumberDuplicates) return std::nullopt;
  const std::string stem = folder + FileNameOf(ChangeExtension(proposed, ""));
  for (long long n = 1; taken(path); ++n) {
    path =
        cabinet_form ? folder + FourDigits(n) + ".mpg" : stem + "(" + std::to_string(n) + ").mpg";
    window.YieldToUi();
  }
  return path;
}

int ProgressPosition(double total, double catalogue_size) {
  if (!(catalogue_size > 0)) return total > 0 ? 100 : 0;
  const double percent = total / 1024 / catalogue_size * 100;
  if (!(percent < 100)) return 100;
  if (!(percent > 0)) return 0;
  return static_cast<int>(std::nearbyint(percent));  // the default rounding: halves to even
}

double DubCapsule(DubbingWindow& window, const std::vector<std::string>& media_segments,
                  const std::vector<std::string>& index_segments, const std::string& proposed_path,
                  double catalogue_size, const std::string& number) {
  return CopyCapsule(window, media_segments, index_segments, proposed_path, catalogue_size, number,
                     false)
      .total;
}

std::unique_ptr<char[]> AllocateCopyBlock(DubbingWindow& window) {
  try {
    return std::make_unique_for_overwrite<char[]>(kCopyBlockSize);
  } catch (const std::bad_alloc&) {
    window.SetStatus(messages::kOutOfMemory, kColourRed);
    return nullptr;
  }
}

CapsuleCopy CopyCapsule(DubbingWindow& window, const std::vector<std::string>& media_segments,
                        const std::vector<std::string>& index_segments,
                        const std::string& proposed_path, double catalogue_size,
                        const std::string& number, bool hash_content) {
  CapsuleCopy result;
  const std::string title = CurrentTitle(window);
  window.SetStatus(title + messages::kDubbing, kColourWindowText);
  window.StopRequested = false;
  window.SetProgressRange(0, 100);
  window.SetProgressPosition(0);

  std::unique_ptr<char[]> buffer = AllocateCopyBlock(window);
  if (!buffer) return result;

  const std::optional<std::string> chosen =
      ChooseOutputPath(window, proposed_path, number,
                       [](const std::string& path) { return platform::FileExists(path); });
  if (!chosen) {
    window.SetStatus(title + messages::kAlreadyDubbed, kColourRed);
    return result;
  }
  const std::string& mpg_path = *chosen;
  const std::string ssx_path = ChangeExtension(mpg_path, ".ssx");

  // What "whole" means for each segment: its size as the copy begins.
  const auto media_sizes = SizesOf(media_segments);
  const auto index_sizes = SizesOf(index_segments);
  SegmentCopier copier(window, buffer.get(), catalogue_size, result.shortfalls);
  ContentHasher media_hash;
  ContentHasher index_hash;
  result.hashed = hash_content;
  CreatedOutputs created;
  {
    // A copy cut short by an error must not stay under its final name: a later run would take
    // it for a finished dub and skip the capsule. The files are closed by then.
    const ScopeFailGuard remove_unfinished([&] { created.RemoveAll(); });
    {
      platform::File mpg = created.Create(mpg_path);
      result.mpg.path = mpg_path;
      copier.CopyInto(media_segments, media_sizes, mpg, result.mpg,
                      hash_content ? &media_hash : nullptr);
      mpg.Close();
    }
    {
      // Made even after a stop during the media copy; it then stays empty until removed.
      platform::File ssx = created.Create(ssx_path);
      result.ssx.path = ssx_path;
      copier.CopyInto(index_segments, index_sizes, ssx, result.ssx,
                      hash_content ? &index_hash : nullptr);
      ssx.Close();
    }
    if (window.StopRequested) {
      window.SetStatus(title + messages::kDubStopped, kColourRed);
    } else {
      {
        platform::File sdb = created.Create(ChangeExtension(mpg_path, ".sdb"));
        WriteCapsuleRecord(window, sdb, number);
        sdb.Close();
      }
      platform::File scx = created.Create(ChangeExtension(mpg_path, ".scx"));
      scx.Close();
      window.SetStatus(title + messages::kDubFinished, kColourWindowText);
    }
    window.RepaintStatusBar();
    window.SetProgressPosition(0);
  }
  buffer.reset();
  if (window.StopRequested) {
    platform::DeleteFileAt(mpg_path);
    platform::DeleteFileAt(ssx_path);
    result.shortfalls.clear();  // a stopped copy is incomplete anyway
  }
  result.total = copier.total();
  result.mpg.hash = media_hash.Digest();
  result.ssx.hash = index_hash.Digest();
  return result;
}

}  // namespace capsdub
