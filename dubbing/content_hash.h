// The 64-bit content hash that a verified dub compares: what the copy read from the segments
// against what the output files hold when read back. xxHash64 (seed 0), fed in pieces of any
// size; not cryptographic, only fast enough to run at the speed of the disk.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capsdub {

class ContentHasher {
 public:
  ContentHasher();

  void Update(const void* data, std::size_t size);
  // The hash of everything fed so far; feeding may go on afterwards.
  std::uint64_t Digest() const;
  std::uint64_t bytes() const { return total_; }  // bytes fed so far

 private:
  static constexpr std::size_t kStripe = 32;  // four 64-bit lanes
  std::uint64_t lanes_[4];
  unsigned char pending_[kStripe];  // the start of an unfinished stripe
  std::size_t pending_size_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace capsdub
