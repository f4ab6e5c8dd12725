// Order-1 periodogram sums over all points for one angular frequency, in the
// widest vector unit the processor offers (chosen once at run time).
#pragma once

#include <cstdint>

#include <runbase/machine.h>

namespace ombrix_analysis {

// Weighted sums of cos and sin of omega t: w cos, w sin, w y cos, w y sin.
struct TOrderOneSums {
  double wc = 0.0;
  double ws = 0.0;
  double wyc = 0.0;
  double wys = 0.0;
};

using TOrderOneKernel = void (*)(std::uint32_t n, double omega, const double* values,
                                 const double* times, const double* weights, TOrderOneSums& sums);

// The fastest kernel this processor runs, and its name ("avx512f", "avx2", "scalar").
TOrderOneKernel BestOrderOneKernel(const char** name = nullptr);

// Vector units a kernel can be built for.
using TKernelUnit = machine::TVectorUnit;
// Whether this processor has the unit (the scalar unit always).
bool IsKernelUnitAvailable(TKernelUnit unit);

// The kernel of one unit, or null when this processor lacks the unit. Tests
// and benchmarks use it to check and time every path, not only the best.
TOrderOneKernel OrderOneKernelFor(TKernelUnit unit);
// The portable kernel with the standard library's sine and cosine.
void OrderOneSumsScalar(std::uint32_t n, double omega, const double* values, const double* times,
                        const double* weights, TOrderOneSums& sums);

// Periodogram value from the sums and the totals of w and w y.
double OrderOneValueFromSums(double w, double wy, const TOrderOneSums& sums);

}  // namespace ombrix_analysis
