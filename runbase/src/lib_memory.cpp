// Lib memory-block primitives: move, fill, compare and scan on bytes and on
// 16- and 32-bit units.
#include <cstring>

#include "runbase/lib.h"

namespace Lib {

namespace {

// Units are read and written through memcpy, so blocks need no alignment.
template <class T>
T Load(const void* base, size_t index) {
  T v;
  std::memcpy(&v, static_cast<const unsigned char*>(base) + index * sizeof(T), sizeof(T));
  return v;
}

template <class T>
void FillUnits(void* block, size_t count, T value) {
  auto* bytes = static_cast<unsigned char*>(block);
  for (size_t i = 0; i < count; ++i) std::memcpy(bytes + i * sizeof(T), &value, sizeof(T));
}

template <class T>
size_t CompareUnits(const void* a, const void* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (Load<T>(a, i) != Load<T>(b, i)) return i;
  }
  return count;
}

// Scans towards higher (step +1) or lower (step -1) addresses from address
// itself; returns how many units come before the first one for which
// (unit == value) equals `equal`.
template <class T>
size_t ScanUnits(const void* address, size_t count, T value, bool equal, int step) {
  const auto* p = static_cast<const unsigned char*>(address);
  for (size_t i = 0; i < count; ++i) {
    T unit;
    std::memcpy(&unit, p, sizeof(T));
    if ((unit == value) == equal) return i;
    p += step * ptrdiff_t(sizeof(T));
  }
  return count;
}

}  // namespace

void Move(const void* source, void* destination, size_t bytes) {
  if (bytes) std::memmove(destination, source, bytes);
}
void WordMove(const void* source, void* destination, size_t words) {
  Move(source, destination, words * 2);
}
void LongWordMove(const void* source, void* destination, size_t longWords) {
  Move(source, destination, longWords * 4);
}

void Fill(void* block, size_t bytes, uint8_t value) {
  if (bytes) std::memset(block, value, bytes);
}
void WordFill(void* block, size_t words, uint16_t value) { FillUnits(block, words, value); }
void LongWordFill(void* block, size_t longWords, uint32_t value) {
  FillUnits(block, longWords, value);
}

size_t Compare(const void* a, const void* b, size_t bytes) {
  return CompareUnits<uint8_t>(a, b, bytes);
}
size_t WordCompare(const void* a, const void* b, size_t words) {
  return CompareUnits<uint16_t>(a, b, words);
}

size_t ScanR(const void* a, size_t n, uint8_t v) { return ScanUnits(a, n, v, true, 1); }
size_t ScanNeR(const void* a, size_t n, uint8_t v) { return ScanUnits(a, n, v, false, 1); }
size_t ScanL(const void* a, size_t n, uint8_t v) { return ScanUnits(a, n, v, true, -1); }
size_t ScanNeL(const void* a, size_t n, uint8_t v) { return ScanUnits(a, n, v, false, -1); }
size_t WordScanR(const void* a, size_t n, uint16_t v) { return ScanUnits(a, n, v, true, 1); }
size_t WordScanNeR(const void* a, size_t n, uint16_t v) { return ScanUnits(a, n, v, false, 1); }
size_t WordScanL(const void* a, size_t n, uint16_t v) { return ScanUnits(a, n, v, true, -1); }
size_t WordScanNeL(const void* a, size_t n, uint16_t v) { return ScanUnits(a, n, v, false, -1); }

}  // namespace Lib
