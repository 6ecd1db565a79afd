// The read-back of a dub: both outputs hashed from disk, with progress and stop.
#include "dubbing/dub_verification.h"

#include <memory>

#include "dubbing/content_hash.h"
#include "dubbing/messages.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace capsdub {

namespace {

// As in the copy: a 1 ms sleep after the 101st block of a file and every 100 blocks after.
constexpr std::uint64_t kFirstPauseBlock = 101;
constexpr std::uint64_t kPauseEvery = 100;

class ReadBack {
 public:
  ReadBack(DubbingWindow& window, char* buffer, double expected_total)
      : window_(window), buffer_(buffer), expected_total_(expected_total) {}

  double done() const { return done_; }

  // Verification of one output; kMatch when it reads back as written.
  Verification Check(const WrittenOutput& written) {
    platform::File file =
        platform::File::OpenForRead(written.path, platform::ShareMode::kReadWrite);
    if (!file.is_open()) return Verification::kMismatch;
    ContentHasher hasher;
    std::uint64_t blocks = 0;
    while (!window_.StopRequested) {
      const std::size_t got = file.Read(buffer_, kCopyBlockSize);
      if (got == 0) break;
      hasher.Update(buffer_, got);
      done_ += static_cast<double>(got);
      window_.SetProgressPosition(Percent());
      window_.ShowCopiedBytes(done_);
      window_.YieldToUi();
      ++blocks;
      if (blocks >= kFirstPauseBlock && (blocks - kFirstPauseBlock) % kPauseEvery == 0) {
        platform::SleepMs(1);
      }
      if (hasher.bytes() > written.bytes) break;  // longer than written: no need to go on
    }
    file.Close();
    if (window_.StopRequested) return Verification::kStopped;
    const bool same = hasher.bytes() == written.bytes && hasher.Digest() == written.hash;
    return same ? Verification::kMatch : Verification::kMismatch;
  }

 private:
  int Percent() const {
    if (!(expected_total_ > 0)) return 100;
    const double percent = done_ / expected_total_ * 100;
    return percent >= 100 ? 100 : static_cast<int>(percent);
  }

  DubbingWindow& window_;
  char* buffer_;
  double expected_total_;
  double done_ = 0;
};

}  // namespace

Verification VerifyDub(DubbingWindow& window, const CapsuleCopy& copy, const std::string& title) {
  if (!copy.hashed || copy.mpg.path.empty() || copy.ssx.path.empty()) {
    return Verification::kMismatch;  // nothing to compare with
  }
  window.SetStatus(title + messages::kVerifying, kColourWindowText);
  window.SetProgressRange(0, 100);
  window.SetProgressPosition(0);
  const std::unique_ptr<char[]> buffer = AllocateCopyBlock(window);
  if (!buffer) return Verification::kMismatch;
  ReadBack reader(window, buffer.get(),
                  static_cast<double>(copy.mpg.bytes) + static_cast<double>(copy.ssx.bytes));
  Verification result = reader.Check(copy.mpg);
  if (result == Verification::kMatch) result = reader.Check(copy.ssx);
  window.SetProgressPosition(0);
  switch (result) {
    case Verification::kMatch:
      window.SetStatus(title + messages::kVerified, kColourWindowText);
      break;
    case Verification::kStopped:
      window.SetStatus(title + messages::kVerifyStopped, kColourRed);
      break;
    default:
      break;  // the job shows the error box
  }
  return result;
}

}  // namespace capsdub
