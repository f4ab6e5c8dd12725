// Lib random generator: an additive lagged-Fibonacci generator of 55 words,
// shared by all threads and guarded by a spin lock.
#include <atomic>
#include <chrono>
#include <thread>

#include "runbase/lib.h"

namespace Lib {

namespace {

struct RandomState {
  uint32_t word[55] = {};
  uint32_t j = 0;
  uint32_t k = 0;
};

RandomState state;
std::atomic<uint32_t> lockWord{0};

// Holds the spin lock for its lifetime; a waiter yields the processor
// between attempts.
class SpinGuard {
 public:
  SpinGuard() {
    uint32_t expected = 0;
    while (!lockWord.compare_exchange_weak(expected, 1, std::memory_order_acquire)) {
      expected = 0;
      std::this_thread::yield();
    }
  }
  ~SpinGuard() { lockWord.exchange(0, std::memory_order_release); }
  SpinGuard(const SpinGuard&) = delete;
  SpinGuard& operator=(const SpinGuard&) = delete;
};

void SeedLocked(uint32_t s) {
  state.j = 54;
  state.k = 23;
  for (uint32_t& w : state.word) {
    s = s * 3141592621u + 17u;
    w = s >> 16;
  }
}

uint32_t Step(uint32_t i) { return i == 0 ? 54 : i - 1; }

// Seeds from the clock when the library is loaded.
const bool seededAtLoad = (RANDOMIZE(), true);

}  // namespace

void SeedRandom(uint32_t s) {
  SpinGuard guard;
  SeedLocked(s);
}

void RANDOMIZE() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  const auto ms = uint32_t(duration_cast<milliseconds>(now).count() % 1000);
  const auto sec = uint32_t(duration_cast<seconds>(now).count() % 60);
  SeedRandom(ms * sec);
}

uint32_t RANDOM(uint32_t n) {
  SpinGuard guard;
  if (state.j == 0 && state.k == 0) SeedLocked(12345);
  state.j = Step(state.j);
  state.k = Step(state.k);
  state.word[state.j] += state.word[state.k];
  const uint32_t w = state.word[state.j];
  return n == 0 ? w : w % n;
}

double RAND() {
  const double high = RANDOM(65535);
  const double low = RANDOM(65535);
  return (high * 65536.0 + low) / 4294967295.0;
}

}  // namespace Lib
