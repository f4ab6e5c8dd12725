// A small seeded generator whose stream is the same on every machine: the
// splitmix64 sequence for uniform numbers, Box-Muller for normal ones.
#pragma once

#include <cstdint>

namespace ombrix_samples {

class CSampleRandom {
 public:
  explicit CSampleRandom(std::uint64_t seed) : state_(seed) {}

  std::uint64_t NextBits();
  // Uniform in (0, 1]: never 0, so its logarithm is finite.
  double Uniform();
  // Standard normal; the second value of each Box-Muller pair is kept for
  // the next call.
  double Normal();

 private:
  std::uint64_t state_;        // splitmix64 counter
  double spare_ = 0.0;         // second value of the last pair
  bool haveSpare_ = false;     // spare_ not yet handed out
};

}  // namespace ombrix_samples
