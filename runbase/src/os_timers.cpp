// os timers and waits: uptime in milliseconds, the high-resolution counter,
// and a wait on descriptors that also wakes for pending GUI input.
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "runbase/os.h"

namespace os {

namespace {

struct UptimeState {
  std::mutex lock;          // guards the two counters below
  uint64_t counter = 0;     // milliseconds, extended from the 32-bit ticks
  uint32_t lastTick = 0;    // tick value of the previous call
  int64_t hiResHz = 1000;   // frequency of the high-resolution counter
  bool hiResExists = false;
};

UptimeState uptime;
std::atomic<int> initCalls{0};
std::atomic<QueueProbe> queueProbe{nullptr};

int64_t MonotonicNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

const bool initialisedAtLoad = (__INIT(), true);

bool InputPending() {
  const QueueProbe probe = queueProbe.load();
  return probe != nullptr && probe();
}

}  // namespace

void __INIT() {
  if (initCalls.fetch_add(1) != 0) return;
  std::lock_guard<std::mutex> guard(uptime.lock);
  uptime.counter = 0;
  uptime.lastTick = 0;
  timespec res{};
  uptime.hiResExists = clock_getres(CLOCK_MONOTONIC, &res) == 0;
  uptime.hiResHz = uptime.hiResExists ? 1000000000 : 1000;
}

uint32_t GetUptimeMS() { return uint32_t(MonotonicNanoseconds() / 1000000); }

uint64_t GetUptimeMS64() {
  std::lock_guard<std::mutex> guard(uptime.lock);
  const uint32_t now = GetUptimeMS();
  uptime.counter += uint32_t(now - uptime.lastTick);
  uptime.lastTick = now;
  return uptime.counter;
}

int64_t GetHiResTicks() {
  return uptime.hiResExists ? MonotonicNanoseconds() : int64_t(GetUptimeMS64());
}

int64_t GetHiResHz() { return uptime.hiResHz; }
bool HiResTimerExists() { return uptime.hiResExists; }

int64_t GetHiResDifference(int64_t* previous) {
  const int64_t now = GetHiResTicks();
  if (previous == nullptr) return 0;
  const int64_t difference = now - *previous;
  *previous = now;
  return difference;
}

int64_t HiResTicksToMS(int64_t ticks) {
  const int64_t hz = uptime.hiResHz;
  return ticks / hz * 1000 + ticks % hz * 1000 / hz;
}

double HiResTicksToLRMS(int64_t ticks) { return double(ticks) * 1000.0 / double(uptime.hiResHz); }
double HiResTicksToLRS(int64_t ticks) { return double(ticks) / double(uptime.hiResHz); }

void SetQueueProbe(QueueProbe probe) { queueProbe.store(probe); }

bool WindowsQueueEmpty() { return !InputPending(); }

uint32_t MsgWaitForMultipleObjectsEx(uint32_t count, const WaitHandle* handles,
                                     uint32_t milliseconds, uint32_t wakeMask, uint32_t flags) {
  if (count > 0 && handles == nullptr) return WAIT_FAILED;
  const bool waitAll = (flags & MWMO_WAITALL) != 0;
  // Input is checked between short polls, since the GUI queue has no descriptor here.
  constexpr int SliceMs = 10;
  const uint64_t start = GetUptimeMS64();
  std::vector<pollfd> fds(count);
  for (uint32_t i = 0; i < count; ++i) fds[i] = {handles[i], POLLIN, 0};
  for (;;) {
    if (wakeMask != 0 && InputPending()) return WAIT_OBJECT_0 + count;
    const uint64_t elapsed = GetUptimeMS64() - start;
    int slice = SliceMs;
    if (milliseconds != INFINITE)
      slice = int(std::min<uint64_t>(SliceMs, milliseconds > elapsed ? milliseconds - elapsed : 0));
    if (poll(fds.data(), fds.size(), slice) < 0) return WAIT_FAILED;
    uint32_t signalled = 0;
    uint32_t first = count;
    for (uint32_t i = 0; i < count; ++i) {
      if (fds[i].revents & POLLNVAL) return WAIT_FAILED;
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
        ++signalled;
        if (first == count) first = i;
      }
    }
    if (count > 0 && (waitAll ? signalled == count : signalled > 0))
      return WAIT_OBJECT_0 + (waitAll ? 0 : first);
    if (milliseconds != INFINITE && GetUptimeMS64() - start >= milliseconds) return WAIT_TIMEOUT;
  }
}

}  // namespace os
