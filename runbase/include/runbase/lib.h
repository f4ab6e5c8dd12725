// Lib: memory-block primitives, local date and time, the process-wide
// pseudo-random generator and sorting through index callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace Lib {

// ---- Memory blocks ------------------------------------------------------------
// Source first, then destination. Moves are correct for overlapping blocks.

void Move(const void* source, void* destination, size_t bytes);
void WordMove(const void* source, void* destination, size_t words);       // 16-bit units
void LongWordMove(const void* source, void* destination, size_t longWords);  // 32-bit units

void Fill(void* block, size_t bytes, uint8_t value);
void WordFill(void* block, size_t words, uint16_t value);
void LongWordFill(void* block, size_t longWords, uint32_t value);

// Index of the first differing unit, or the count when the blocks are equal.
size_t Compare(const void* a, const void* b, size_t bytes);
size_t WordCompare(const void* a, const void* b, size_t words);

// Scans count units from address and returns how many units precede the
// first one that is equal (ScanR/ScanL) or not equal (ScanNeR/ScanNeL) to
// value; count when there is none. The R forms go towards higher addresses,
// the L forms towards lower ones, starting with the unit at address itself.
size_t ScanR(const void* address, size_t count, uint8_t value);
size_t ScanNeR(const void* address, size_t count, uint8_t value);
size_t ScanL(const void* address, size_t count, uint8_t value);
size_t ScanNeL(const void* address, size_t count, uint8_t value);
size_t WordScanR(const void* address, size_t count, uint16_t value);
size_t WordScanNeR(const void* address, size_t count, uint16_t value);
size_t WordScanL(const void* address, size_t count, uint16_t value);
size_t WordScanNeL(const void* address, size_t count, uint16_t value);

// ---- Local date and time ----------------------------------------------------------

// Today's local date; dayOfWeek 0 = Sunday.
void GetDate(uint32_t& year, uint32_t& month, uint32_t& day, uint32_t& dayOfWeek);
// The local time of day.
void GetTime(uint32_t& hour, uint32_t& minute, uint32_t& second, uint32_t& millisecond);
// (Setting the clock is not offered: nothing in the system does it.)

// ---- Random generator -----------------------------------------------------------
// One additive lagged-Fibonacci generator (55 words) shared by all threads,
// guarded by a spin lock. The library seeds it from the clock when loaded.

// Seeds from the current UTC time (milliseconds x seconds).
void RANDOMIZE();
// Seeds with s; the same seed gives the same sequence.
void SeedRandom(uint32_t s);
// Next word mod n, or the raw 32-bit word when n = 0.
uint32_t RANDOM(uint32_t n);
// A double in [0, 1] built from two 16-bit draws.
double RAND();

// ---- Sorting --------------------------------------------------------------------
// Items are known only through 1-based indices 1..count: greater(i, j) tells
// whether item i sorts after item j, swap(i, j) exchanges them. Not stable.

using GreaterFn = std::function<bool(uint32_t, uint32_t)>;
using SwapFn = std::function<void(uint32_t, uint32_t)>;

// Quicksort, first item of a range as pivot; stack depth is logarithmic.
void QSort(uint32_t count, const GreaterFn& greater, const SwapFn& swap);
// Heap sort.
void HSort(uint32_t count, const GreaterFn& greater, const SwapFn& swap);

}  // namespace Lib
