// Order-1 periodogram sums over all points, in the widest vector unit the
// processor offers (chosen once at run time): for one angular frequency, and
// for a run of equally spaced frequencies (the samples of the gridded scan,
// frequency_gridded.h).
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
// The widest unit this processor has.
TKernelUnit BestKernelUnit();

// The kernel of one unit, or null when this processor lacks the unit. Tests
// and benchmarks use it to check and time every path, not only the best.
TOrderOneKernel OrderOneKernelFor(TKernelUnit unit);
// The portable kernel with the standard library's sine and cosine.
void OrderOneSumsScalar(std::uint32_t n, double omega, const double* values, const double* times,
                        const double* weights, TOrderOneSums& sums);

// Periodogram value from the sums and the totals of w and w y.
double OrderOneValueFromSums(double w, double wy, const TOrderOneSums& sums);
// The same from sums whose wyc and wys hold w (y - wy / w) cos and sin, that
// is with the weighted mean taken off the values.
double OrderOneValueFromCentredSums(double w, double wy, const TOrderOneSums& sums);

// The sums at `count` equally spaced frequencies x_k = (first + k) step in
// half-turns per unit time (omega = pi x): sums[k] receives the sums of
// a1 cos, a1 sin, a2 cos and a2 sin of pi x_k t over the points, in the
// fields wc, ws, wyc and wys. stepCos and stepSin hold cos and sin of
// pi step t per point. The phasor of each point is carried from one
// frequency to the next by a complex multiplication and set exactly (sine
// and cosine) every kSampleRestart frequencies. The indices first + k and
// the significant bits of `step` must fit in 53 bits together, so that
// (first + k) step is exact (the gridded scan's step has 4 bits).
struct TSampleRun {
  std::uint32_t n = 0;
  const double* times = nullptr;
  const double* a1 = nullptr;
  const double* a2 = nullptr;
  const double* stepCos = nullptr;
  const double* stepSin = nullptr;
  std::int64_t first = 0;
  double step = 0.0;
  std::uint32_t count = 0;
  TOrderOneSums* sums = nullptr;  // count entries, overwritten
};
inline constexpr std::uint32_t kSampleRestart = 64;

using TSampleKernel = void (*)(const TSampleRun& run);

// The sample kernel of one unit, or null when this processor lacks the unit,
// and the portable one.
TSampleKernel SampleKernelFor(TKernelUnit unit);
void SampleSumsScalar(const TSampleRun& run);

// out[i] = c[0] + c[1] x[i] + ... + c[terms - 1] x[i]^(terms - 1) for i below
// count (Horner's scheme): the window of the gridded scan at all its taps.
using TPolynomialKernel = void (*)(std::uint32_t count, const double* x, const double* c, int terms,
                                   double* out);
TPolynomialKernel PolynomialKernelFor(TKernelUnit unit);
void PolynomialScalar(std::uint32_t count, const double* x, const double* c, int terms, double* out);

}  // namespace ombrix_analysis
