#include "fio_sys.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "fio_utf8.h"
#include "runbase/fixed_text.h"

namespace FIO::sys {
namespace {

struct TFault {
  bool armed = false;
  std::uint32_t skip = 0;   // calls still to pass before the fault hits
  int error = 0;
  bool persistent = false;  // stays armed once it hit
};

struct TShortWrite {
  bool armed = false;
  std::uint32_t skip = 0;
  std::uint32_t bytes = 0;  // most bytes the hit write transfers
};

std::mutex faultLock;
std::atomic<bool> anyArmed{false};
std::array<TFault, std::size_t(Fault::Op::Count)> faults;
TFault anyOpFault;             // counts the calls of every kind together
TShortWrite shortWrite;
std::atomic<std::uint32_t> fired{0};
std::atomic<std::uint32_t> firedAny{0};

void UpdateArmed() {
  bool any = shortWrite.armed || anyOpFault.armed;
  for (const TFault& f : faults) any = any || f.armed;
  anyArmed.store(any, std::memory_order_relaxed);
}

TFault MakeFault(int error, std::uint32_t skip, Fault::Mode mode) {
  // A persistent EINTR would be retried for ever.
  return {true, skip, error, mode == Fault::Mode::FromThenOn && error != EINTR};
}

// Counts one call against a countdown; true when this call is the one hit.
bool CountDown(TShortWrite& fault) {
  if (!fault.armed) return false;
  if (fault.skip > 0) {
    --fault.skip;
    return false;
  }
  fault.armed = false;
  return true;
}

bool CountDown(TFault& fault) {
  if (!fault.armed) return false;
  if (fault.skip > 0) {
    --fault.skip;
    return false;
  }
  fault.armed = fault.persistent;
  return true;
}

// The most bytes the next write may transfer (count itself when no short
// write is due).
std::size_t WriteLimit(std::size_t count) {
  if (!anyArmed.load(std::memory_order_relaxed)) return count;
  std::lock_guard<std::mutex> guard(faultLock);
  std::size_t limit = count;
  if (CountDown(shortWrite)) limit = std::min<std::size_t>(count, shortWrite.bytes);
  UpdateArmed();
  return limit;
}

std::mutex watchLock;
std::vector<std::pair<int, int>> watched;   // descriptor, error of its first failed write

void NoteWriteFailure(int fd, int error) {
  std::lock_guard<std::mutex> guard(watchLock);
  for (auto& w : watched)
    if (w.first == fd && w.second == 0) w.second = error != 0 ? error : EIO;
}

template <class Call>
bool Retry(Fault::Op op, Call call) {
  for (;;) {
    if (!Injected(op) && call()) return true;
    if (errno != EINTR) return false;
  }
}

constexpr std::uint64_t kEpochDifference = 11644473600ULL;   // seconds 1601 → 1970
constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

}  // namespace

bool ToNative(std::string_view name, TNativeName& out) {
  if (name.size() > MaxPathLength) {
    errno = ENAMETOOLONG;
    out.text[0] = 0;
    return false;
  }
  std::size_t i = 0;
  for (char c : name) out.text[i++] = (c == '\\') ? '/' : c;
  out.text[i] = 0;
  return true;
}

bool ToNative(std::uint32_t high, const char* name, TNativeName& out) {
  if (name == nullptr) {
    errno = EINVAL;
    out.text[0] = 0;
    return false;
  }
  return ToNative(FixedText::View(high, name), out);
}

bool ToNative(std::uint32_t high, const char16_t* name, TNativeName& out) {
  if (name == nullptr) {
    errno = EINVAL;
    out.text[0] = 0;
    return false;
  }
  std::size_t n = 0;
  while (n <= high && name[n] != 0) ++n;
  return ToNative(std::string_view(Utf16ToUtf8(name, n)), out);
}

bool Injected(Fault::Op op) {
  if (!anyArmed.load(std::memory_order_relaxed)) return false;
  std::lock_guard<std::mutex> guard(faultLock);
  // Both countdowns see every call, so each keeps its own count.
  TFault& fault = faults[std::size_t(op)];
  const bool hitOp = CountDown(fault);
  const bool hitAny = CountDown(anyOpFault);
  if (hitOp || hitAny) {
    errno = hitOp ? fault.error : anyOpFault.error;
    fired.fetch_add(1, std::memory_order_relaxed);
    if (hitAny) firedAny.fetch_add(1, std::memory_order_relaxed);
  }
  UpdateArmed();
  return hitOp || hitAny;
}

int Open(const char* name, int flags, Fault::Op op) {
  int fd = -1;
  Retry(op, [&] {
    fd = ::open(name, flags | O_CLOEXEC, 0666);
    return fd >= 0;
  });
  return fd;
}

void CloseFd(int fd) {
  // Linux releases the descriptor even when close reports EINTR: never retry.
  ::close(fd);
}

std::size_t ReadAll(int fd, void* buffer, std::size_t count) {
  auto* p = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = -1;
    if (!Injected(Fault::Op::Read)) n = ::read(fd, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) break;
    done += std::size_t(n);
  }
  return done;
}

std::size_t WriteAll(int fd, const void* buffer, std::size_t count) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = -1;
    if (!Injected(Fault::Op::Write)) n = ::write(fd, p + done, WriteLimit(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (n == 0) {
      errno = ENOSPC;
      break;
    }
    done += std::size_t(n);
  }
  if (done < count) NoteWriteFailure(fd, errno);
  return done;
}

bool Sync(int fd) {
  return Retry(Fault::Op::Sync, [&] { return ::fsync(fd) == 0; });
}

bool SeekTo(int fd, std::uint64_t position) {
  if (position > std::uint64_t(INT64_MAX)) {
    errno = EINVAL;
    return false;
  }
  return Retry(Fault::Op::Seek, [&] { return ::lseek(fd, off_t(position), SEEK_SET) >= 0; });
}

bool Rename(const char* from, const char* to) {
  return Retry(Fault::Op::Rename, [&] { return ::rename(from, to) == 0; });
}

bool Unlink(const char* name) {
  return Retry(Fault::Op::Delete, [&] { return ::unlink(name) == 0; });
}

bool Link(const char* from, const char* to) {
  return Retry(Fault::Op::Rename, [&] { return ::link(from, to) == 0; });
}

bool MakeDir(const char* name) {
  return Retry(Fault::Op::MkDir, [&] { return ::mkdir(name, 0777) == 0; });
}

bool RemoveDir(const char* name) {
  return Retry(Fault::Op::Delete, [&] { return ::rmdir(name) == 0; });
}

void Watch(int fd) {
  std::lock_guard<std::mutex> guard(watchLock);
  watched.emplace_back(fd, 0);
}

int Unwatch(int fd) {
  std::lock_guard<std::mutex> guard(watchLock);
  int error = 0;
  auto it = std::find_if(watched.begin(), watched.end(), [fd](const auto& w) { return w.first == fd; });
  if (it != watched.end()) {
    error = it->second;
    watched.erase(it);
  }
  return error;
}

int WriteError(int fd) {
  std::lock_guard<std::mutex> guard(watchLock);
  for (const auto& w : watched)
    if (w.first == fd) return w.second;
  return 0;
}

FileTime ToFileTime(const struct timespec& t) {
  const std::int64_t seconds = std::int64_t(t.tv_sec) + std::int64_t(kEpochDifference);
  if (seconds < 0) return 0;
  return std::uint64_t(seconds) * kTicksPerSecond + std::uint64_t(t.tv_nsec) / 100;
}

struct timespec ToTimespec(FileTime t) {
  struct timespec ts {};
  ts.tv_sec = time_t(std::int64_t(t / kTicksPerSecond) - std::int64_t(kEpochDifference));
  ts.tv_nsec = long((t % kTicksPerSecond) * 100);
  return ts;
}

}  // namespace FIO::sys

namespace FIO::Fault {

void FailNext(Op op, int error, std::uint32_t skip, Mode mode) {
  if (op >= Op::Count) return;
  std::lock_guard<std::mutex> guard(sys::faultLock);
  sys::faults[std::size_t(op)] = sys::MakeFault(error, skip, mode);
  sys::UpdateArmed();
}

void FailNextAny(int error, std::uint32_t skip, Mode mode) {
  std::lock_guard<std::mutex> guard(sys::faultLock);
  sys::anyOpFault = sys::MakeFault(error, skip, mode);
  sys::UpdateArmed();
}

void ShortNextWrite(std::uint32_t bytes, std::uint32_t skip) {
  std::lock_guard<std::mutex> guard(sys::faultLock);
  sys::shortWrite = {true, skip, bytes};
  sys::UpdateArmed();
}

void Reset() {
  std::lock_guard<std::mutex> guard(sys::faultLock);
  sys::faults = {};
  sys::anyOpFault = {};
  sys::shortWrite = {};
  sys::fired.store(0, std::memory_order_relaxed);
  sys::firedAny.store(0, std::memory_order_relaxed);
  sys::UpdateArmed();
}

bool Armed() { return sys::anyArmed.load(std::memory_order_relaxed); }

std::uint32_t Fired() { return sys::fired.load(std::memory_order_relaxed); }

std::uint32_t FiredAny() { return sys::firedAny.load(std::memory_order_relaxed); }

}  // namespace FIO::Fault
