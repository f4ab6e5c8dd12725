// The order-1 kernels of the vector units. Each is defined in a file compiled
// for its unit (frequency_kernel_avx2.cpp, frequency_kernel_avx512.cpp), so
// that its vector arguments are passed in vector registers whatever the
// compiler; it must run only where IsKernelUnitAvailable says so.
#pragma once

#include <cstdint>

#include "frequency_kernel.h"

namespace ombrix_analysis {

void OrderOneSumsAvx2(std::uint32_t n, double omega, const double* values, const double* times,
                      const double* weights, TOrderOneSums& sums);
void OrderOneSumsAvx512(std::uint32_t n, double omega, const double* values, const double* times,
                        const double* weights, TOrderOneSums& sums);

void SampleSumsAvx2(const TSampleRun& run);
void SampleSumsAvx512(const TSampleRun& run);
void PolynomialAvx2(std::uint32_t count, const double* x, const double* c, int terms, double* out);
void PolynomialAvx512(std::uint32_t count, const double* x, const double* c, int terms, double* out);

// Points per tile of the vector sample kernels: their phasors stay in the
// first-level cache while the tile runs through the frequencies.
inline constexpr std::uint32_t kSampleTile = 512;

// Adds points from ... n - 1 with the portable sincospi: the points left
// over after the last full vector. Built for any x86-64.
void AddOrderOneTail(std::uint32_t from, std::uint32_t n, double cyclesPerTime,
                     const double* values, const double* times, const double* weights,
                     TOrderOneSums& sums);
// Adds the points from ... n - 1 of a sample run to its sums with the
// portable sincospi. Built for any x86-64.
void AddSampleTail(std::uint32_t from, const TSampleRun& run);

}  // namespace ombrix_analysis
