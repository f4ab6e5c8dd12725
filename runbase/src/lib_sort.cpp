// Lib sorting through index callbacks (1-based indices).
#include "runbase/lib.h"

namespace Lib {

namespace {

// Partitions [lo, hi] around the item at lo and returns the pivot's final
// index. Equal items stop both scans, which keeps runs of equal keys balanced.
uint32_t Partition(uint32_t lo, uint32_t hi, const GreaterFn& greater, const SwapFn& swap) {
  uint32_t i = lo;
  uint32_t j = hi + 1;
  for (;;) {
    do ++i; while (i <= hi && greater(lo, i));
    do --j; while (greater(j, lo));
    if (i >= j) break;
    swap(i, j);
  }
  if (j != lo) swap(lo, j);
  return j;
}

void QuickSort(uint32_t lo, uint32_t hi, const GreaterFn& greater, const SwapFn& swap) {
  while (lo < hi) {
    const uint32_t p = Partition(lo, hi, greater, swap);
    // Recurse into the smaller part, loop over the larger one.
    if (p - lo < hi - p) {
      if (p > lo) QuickSort(lo, p - 1, greater, swap);
      lo = p + 1;
    } else {
      QuickSort(p + 1, hi, greater, swap);
      if (p == lo) return;
      hi = p - 1;
    }
  }
}

void SiftDown(uint32_t root, uint32_t end, const GreaterFn& greater, const SwapFn& swap) {
  for (;;) {
    uint32_t child = 2 * root;
    if (child > end) return;
    if (child < end && greater(child + 1, child)) ++child;
    if (!greater(child, root)) return;
    swap(root, child);
    root = child;
  }
}

}  // namespace

void QSort(uint32_t count, const GreaterFn& greater, const SwapFn& swap) {
  if (count > 1) QuickSort(1, count, greater, swap);
}

void HSort(uint32_t count, const GreaterFn& greater, const SwapFn& swap) {
  if (count < 2) return;
  for (uint32_t root = count / 2; root >= 1; --root) SiftDown(root, count, greater, swap);
  for (uint32_t end = count; end > 1; --end) {
    swap(1, end);
    SiftDown(1, end - 1, greater, swap);
  }
}

}  // namespace Lib
