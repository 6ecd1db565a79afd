// The copy of one capsule into its output files: the media segments joined into the .mpg,
// the index segments into the .ssx, the capsule record file (.sdb) and an empty .scx, under
// a base name taken from the title or from the capsule number.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dubbing/dub_check.h"
#include "dubbing/dubbing_window.h"

namespace capsdub {

// One copy buffer of this many bytes serves a whole capsule; every read asks for all of it.
constexpr std::size_t kCopyBlockSize = 8'000'000;

// A buffer of kCopyBlockSize bytes; null, with the out-of-memory text on the status line in
// red, when it cannot be had.
std::unique_ptr<char[]> AllocateCopyBlock(DubbingWindow& window);

// Copies the capsule of the window's current row. `proposed_path` is the save folder plus
// TitleToFileName(Title) plus ".mpg"; `catalogue_size` the row's FileSize in KB (for the
// progress bar); `number` its capsule number. Returns the bytes copied, media and index
// together: 0 when the output name was taken and renumbering is off, or when no buffer was
// to be had. A stop (StopRequested) ends the copy at the next block and removes the .mpg and
// .ssx. An input/output error removes the output files this call created and then leaves
// as platform::IoError.
double DubCapsule(DubbingWindow& window, const std::vector<std::string>& media_segments,
                  const std::vector<std::string>& index_segments, const std::string& proposed_path,
                  double catalogue_size, const std::string& number);

// What one capsule copy did.
struct CapsuleCopy {
  double total = 0;   // bytes copied, media and index together: DubCapsule's result
  WrittenOutput mpg;  // the outputs as written (paths empty when the capsule was skipped)
  WrittenOutput ssx;
  bool hashed = false;  // the outputs' hashes were taken while copying
  // Segment files that did not reach the output whole: missing, not opened, or copied
  // shorter than their size when the copy began. Not filled after a stop.
  std::vector<SegmentShortfall> shortfalls;
};

// DubCapsule with its findings. With `hash_content` the copy hashes what it reads from the
// segments, for the read-back before a deletion; without it the copy costs what it always
// did. A missing or unopenable segment is reported in red on the status line and skipped,
// one that ends early is reported when its copy ends; the copy goes on in each case.
CapsuleCopy CopyCapsule(DubbingWindow& window, const std::vector<std::string>& media_segments,
                        const std::vector<std::string>& index_segments,
                        const std::string& proposed_path, double catalogue_size,
                        const std::string& number, bool hash_content);

// Whether a path is taken for the output naming.
using PathTaken = std::function<bool(const std::string&)>;

// The .mpg path a dub of capsule `number` with `proposed_path` writes, in the window's output
// form, when the paths for which `taken` holds are in use; renumbered while the window's
// NumberDuplicates is set, otherwise nullopt when the first choice is taken. Yields after
// each renumbering try.
std::optional<std::string> ChooseOutputPath(DubbingWindow& window, const std::string& proposed_path,
                                            const std::string& number, const PathTaken& taken);

// Writes the capsule record file: `mpg_path` with the extension ".sdb", from the tape
// database of the window's host folder and the memo of the recording table.
void WriteCapsuleRecordFile(DubbingWindow& window, const std::string& mpg_path,
                            const std::string& number);

// The progress bar position for `total` bytes copied of a capsule of `catalogue_size` KB:
// the nearest whole percentage (halves to even), at most 100. A size of 0 or less (or not a
// number) gives 0 before the first byte and 100 after it.
int ProgressPosition(double total, double catalogue_size);

}  // namespace capsdub
