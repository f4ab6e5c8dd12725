#include "sample_random.h"

#include <cmath>
#include <numbers>

namespace ombrix_samples {

std::uint64_t CSampleRandom::NextBits() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double CSampleRandom::Uniform() {
  // 53 random bits, shifted by one step so that 0 cannot occur.
  return (static_cast<double>(NextBits() >> 11) + 1.0) * 0x1.0p-53;
}

double CSampleRandom::Normal() {
  if (haveSpare_) {
    haveSpare_ = false;
    return spare_;
  }
  const double radius = std::sqrt(-2.0 * std::log(Uniform()));
  const double angle = 2.0 * std::numbers::pi * Uniform();
  spare_ = radius * std::sin(angle);
  haveSpare_ = true;
  return radius * std::cos(angle);
}

}  // namespace ombrix_samples
