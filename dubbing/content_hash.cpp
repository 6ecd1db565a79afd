// xxHash64: four lanes over 32-byte stripes, then the tail and the final avalanche.
#include "dubbing/content_hash.h"

#include <algorithm>
#include <cstring>

namespace capsdub {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

constexpr std::uint64_t Rotl(std::uint64_t x, int r) {
  return (x << r) | (x >> (64 - r));
}

// Little-endian loads, whatever the alignment (the targets are all little-endian).
inline std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline std::uint32_t Load32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline std::uint64_t Round(std::uint64_t lane, std::uint64_t input) {
  lane += input * kPrime2;
  lane = Rotl(lane, 31);
  return lane * kPrime1;
}

inline std::uint64_t MergeRound(std::uint64_t acc, std::uint64_t lane) {
  acc ^= Round(0, lane);
  return acc * kPrime1 + kPrime4;
}

// Feeds whole stripes from `p`; returns the bytes taken (a multiple of 32).
inline std::size_t Stripes(std::uint64_t (&lanes)[4], const unsigned char* p, std::size_t size) {
  std::uint64_t v1 = lanes[0], v2 = lanes[1], v3 = lanes[2], v4 = lanes[3];
  const unsigned char* const start = p;
  const unsigned char* const limit = p + size / 32 * 32;
  while (p < limit) {
    v1 = Round(v1, Load64(p));
    v2 = Round(v2, Load64(p + 8));
    v3 = Round(v3, Load64(p + 16));
    v4 = Round(v4, Load64(p + 24));
    p += 32;
  }
  lanes[0] = v1, lanes[1] = v2, lanes[2] = v3, lanes[3] = v4;
  return static_cast<std::size_t>(p - start);
}

}  // namespace

ContentHasher::ContentHasher() : lanes_{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1}, pending_{} {}

void ContentHasher::Update(const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  total_ += size;
  if (pending_size_ > 0) {
    const std::size_t take = std::min(size, kStripe - pending_size_);
    std::memcpy(pending_ + pending_size_, p, take);
    pending_size_ += take;
    p += take;
    size -= take;
    if (pending_size_ < kStripe) return;
    Stripes(lanes_, pending_, kStripe);
    pending_size_ = 0;
  }
  const std::size_t taken = Stripes(lanes_, p, size);
  p += taken;
  size -= taken;
  std::memcpy(pending_, p, size);
  pending_size_ = size;
}

std::uint64_t ContentHasher::Digest() const {
  std::uint64_t h;
  if (total_ >= kStripe) {
    h = Rotl(lanes_[0], 1) + Rotl(lanes_[1], 7) + Rotl(lanes_[2], 12) + Rotl(lanes_[3], 18);
    for (const std::uint64_t lane : lanes_) h = MergeRound(h, lane);
  } else {
    h = lanes_[2] + kPrime5;  // the third lane still holds the seed
  }
  h += total_;
  const unsigned char* p = pending_;
  std::size_t left = pending_size_;
  for (; left >= 8; p += 8, left -= 8) {
    h ^= Round(0, Load64(p));
    h = Rotl(h, 27) * kPrime1 + kPrime4;
  }
  if (left >= 4) {
    h ^= static_cast<std::uint64_t>(Load32(p)) * kPrime1;
    h = Rotl(h, 23) * kPrime2 + kPrime3;
    p += 4;
    left -= 4;
  }
  for (; left > 0; ++p, --left) {
    h ^= *p * kPrime5;
    h = Rotl(h, 11) * kPrime1;
  }
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  h ^= h >> 32;
  return h;
}

}  // namespace capsdub
