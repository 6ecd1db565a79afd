// The random stream of the sample data and of the tests that draw from a seed: splitmix64,
// small, fast and the same on every platform and build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace capsdub::samplegen {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high].
  std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
    return low + Next() % (high - low + 1);
  }
  bool OneIn(std::uint64_t n) { return Next() % n == 0; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Next() % N];
  }

 private:
  std::uint64_t state_;
};

}  // namespace capsdub::samplegen
