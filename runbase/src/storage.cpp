// Storage: heap blocks through the owner's pointer variable, memory figures
// and pointer tests.
#include "runbase/storage.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runbase/diag.h"

namespace Storage {

std::uint8_t FillByte = 0xCD;

namespace {

std::atomic<bool> failArmed{false};
std::atomic<std::uint32_t> failSkip{0};

bool InjectedFailure() {
  if (!failArmed.load(std::memory_order_relaxed)) return false;
  if (failSkip.load() > 0) {
    failSkip.fetch_sub(1);
    return false;
  }
  failArmed.store(false);
  return true;
}

[[noreturn]] void OutOfMemory(std::size_t size, const char* file, int line) {
  if (file != nullptr) Diag::Printf("%s:%d: no memory for %zu bytes\n", file, line, size);
  Diag::ShowMessage("Critical Error", "Not enough memory");
  std::_Exit(-1);
}

void FillNew(void* block, std::size_t size) {
  if (FillByte == 0) return;
  std::memset(block, FillByte == 1 ? 0 : FillByte, size);
}

void NewBlock(void*& p, std::size_t size, const char* file, int line) {
  if (size == 0) {
    p = nullptr;
    return;
  }
  void* block = InjectedFailure() ? nullptr : std::malloc(size);
  if (block == nullptr) OutOfMemory(size, file, line);
  FillNew(block, size);
  p = block;
}

void ResizeBlock(void*& p, std::size_t size, const char* file, int line) {
  if (p == nullptr) {
    NewBlock(p, size, file, line);
    return;
  }
  if (size == 0) {
    std::free(p);
    p = nullptr;
    return;
  }
  void* block = InjectedFailure() ? nullptr : std::realloc(p, size);
  if (block == nullptr) OutOfMemory(size, file, line);
  p = block;
}

void ReleaseBlock(void*& p) {
  std::free(p);
  p = nullptr;
}

// Reads /proc/self/maps and checks that [begin, begin + size) is covered by
// mappings with the wanted permission.
bool RangeAccessible(std::uintptr_t begin, std::size_t size, bool write) {
  if (size == 0) return true;
  if (begin == 0 || begin + size < begin) return false;
  const std::uintptr_t end = begin + size;
  FILE* maps = std::fopen("/proc/self/maps", "re");
  if (maps == nullptr) return false;
  char* line = nullptr;
  std::size_t capacity = 0;
  std::uintptr_t covered = begin;
  bool ok = false;
  while (!ok && ::getline(&line, &capacity, maps) > 0) {
    unsigned long from = 0, to = 0;
    char perms[5] = {};
    if (std::sscanf(line, "%lx-%lx %4s", &from, &to, perms) != 3) continue;
    if (to <= covered) continue;
    if (from > covered) break;   // a gap in the range
    if (perms[0] != 'r' || (write && perms[1] != 'w')) break;
    covered = to;
    ok = covered >= end;
  }
  std::free(line);
  std::fclose(maps);
  return ok;
}

std::uint64_t MemInfoBytes(const char* key) {
  FILE* info = std::fopen("/proc/meminfo", "re");
  if (info == nullptr) return 0;
  char line[256];
  std::uint64_t kib = 0;
  const std::size_t keyLength = std::strlen(key);
  while (std::fgets(line, sizeof line, info) != nullptr) {
    if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
      kib = std::strtoull(line + keyLength + 1, nullptr, 10);
      break;
    }
  }
  std::fclose(info);
  return kib * 1024;
}

std::uint64_t ProcessVirtualBytes() {
  FILE* statm = std::fopen("/proc/self/statm", "re");
  if (statm == nullptr) return 0;
  unsigned long pages = 0;
  if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
  std::fclose(statm);
  return std::uint64_t(pages) * std::uint64_t(::sysconf(_SC_PAGESIZE));
}

}  // namespace

void Allocate(void*& p, std::size_t size) { NewBlock(p, size, nullptr, 0); }
void Reallocate(void*& p, std::size_t size) { ResizeBlock(p, size, nullptr, 0); }
void Free(void*& p) { ReleaseBlock(p); }
void Deallocate(void*& p, std::size_t) { ReleaseBlock(p); }

void _DbgAllocate(void*& p, std::size_t size, const char* file, int line) {
  NewBlock(p, size, file ? file : "?", line);
}
void _DbgReallocate(void*& p, std::size_t size, const char* file, int line) {
  ResizeBlock(p, size, file ? file : "?", line);
}
void _DbgFree(void*& p, const char*, int) { ReleaseBlock(p); }
void _DbgDeallocate(void*& p, std::size_t, const char*, int) { ReleaseBlock(p); }

void MemoryCopy(const void* source, void* destination, std::size_t size) {
  if (size > 0) std::memcpy(destination, source, size);
}
void MemoryMove(const void* source, void* destination, std::size_t size) {
  if (size > 0) std::memmove(destination, source, size);
}
void MemoryFill(void* destination, std::size_t size, std::uint8_t value) {
  if (size > 0) std::memset(destination, value, size);
}
void MemoryZero(void* destination, std::size_t size) { MemoryFill(destination, size, 0); }

std::size_t MemorySize(const void* p) {
  return p == nullptr ? 0 : ::malloc_usable_size(const_cast<void*>(p));
}

bool GetMemoryStatus(TMemoryStatus& status) {
  struct sysinfo info {};
  if (::sysinfo(&info) != 0) return false;
  const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  status.totalPhys = std::uint64_t(info.totalram) * unit;
  status.availPhys = MemInfoBytes("MemAvailable");
  if (status.availPhys == 0) status.availPhys = std::uint64_t(info.freeram + info.bufferram) * unit;
  status.memoryLoad = status.totalPhys == 0
                          ? 0
                          : std::uint32_t(100 - (status.availPhys * 100) / status.totalPhys);
  status.totalPageFile = status.totalPhys + std::uint64_t(info.totalswap) * unit;
  status.availPageFile = status.availPhys + std::uint64_t(info.freeswap) * unit;
  struct rlimit limit {};
  const std::uint64_t addressSpace = 1ULL << 47;   // user half of the x86-64 address space
  status.totalVirtual = (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
                            ? std::uint64_t(limit.rlim_cur)
                            : addressSpace;
  const std::uint64_t used = ProcessVirtualBytes();
  status.availVirtual = used < status.totalVirtual ? status.totalVirtual - used : 0;
  return true;
}

bool TestBadReadPtr(const void* p, std::size_t size) {
  return !RangeAccessible(reinterpret_cast<std::uintptr_t>(p), size, false);
}

bool TestBadWritePtr(void* p, std::size_t size) {
  return !RangeAccessible(reinterpret_cast<std::uintptr_t>(p), size, true);
}

bool TestBadStringPtr(const char* p, std::size_t max) {
  if (max == 0) return false;
  const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
  auto at = reinterpret_cast<std::uintptr_t>(p);
  std::size_t left = max;
  while (left > 0) {
    // Check one page, then look for the terminator in it.
    const std::size_t span = std::min<std::size_t>(left, page - (at % page));
    if (!RangeAccessible(at, span, false)) return true;
    if (std::memchr(reinterpret_cast<const void*>(at), 0, span) != nullptr) return false;
    at += span;
    left -= span;
  }
  return false;
}

void FailNextAllocation(std::uint32_t skip) {
  failSkip.store(skip);
  failArmed.store(true);
}

}  // namespace Storage
