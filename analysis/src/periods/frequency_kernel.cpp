// Order-1 sums: the portable kernel, the run-time choice of the unit and the
// periodogram value from the sums. The vector kernels live in files of their
// own, compiled for their unit.
#include <sleef.h>

#include "frequency_kernel.h"

#include <cmath>
#include <initializer_list>

#include <runbase/machine.h>

#include "frequency_kernel_units.h"

namespace ombrix_analysis {

void AddOrderOneTail(std::uint32_t from, std::uint32_t n, double cyclesPerTime,
                     const double* values, const double* times, const double* weights,
                     TOrderOneSums& sums) {
  for (std::uint32_t i = from; i < n; ++i) {
    const Sleef_double_2 sc = Sleef_sincospid1_u35purec(cyclesPerTime * times[i]);
    const double w = weights[i];
    const double wy = w * values[i];
    sums.ws += w * sc.x;
    sums.wc += w * sc.y;
    sums.wys += wy * sc.x;
    sums.wyc += wy * sc.y;
  }
}

void OrderOneSumsScalar(std::uint32_t n, double omega, const double* values, const double* times,
                        const double* weights, TOrderOneSums& sums) {
  sums = {};
  for (std::uint32_t i = 0; i < n; ++i) {
    const double c = std::cos(omega * times[i]);
    const double s = std::sin(omega * times[i]);
    const double w = weights[i];
    const double wy = w * values[i];
    sums.wc += w * c;
    sums.ws += w * s;
    sums.wyc += wy * c;
    sums.wys += wy * s;
  }
}

void AddSampleTail(std::uint32_t from, const TSampleRun& r) {
  for (std::uint32_t i = from; i < r.n; ++i) {
    const double t = r.times[i], a1 = r.a1[i], a2 = r.a2[i];
    const double sr = r.stepCos[i], si = r.stepSin[i];
    double zr = 0.0, zi = 0.0;
    for (std::uint32_t k = 0; k < r.count; ++k) {
      if (k % kSampleRestart == 0) {
        const Sleef_double_2 sc = Sleef_sincospid1_u35purec(t * (static_cast<double>(r.first + k) * r.step));
        zr = sc.y;
        zi = sc.x;
      }
      TOrderOneSums& s = r.sums[k];
      s.wc += a1 * zr;
      s.ws += a1 * zi;
      s.wyc += a2 * zr;
      s.wys += a2 * zi;
      const double next = zr * sr - zi * si;
      zi = zr * si + zi * sr;
      zr = next;
    }
  }
}

void SampleSumsScalar(const TSampleRun& run) {
  for (std::uint32_t k = 0; k < run.count; ++k) run.sums[k] = {};
  AddSampleTail(0, run);
}

bool IsKernelUnitAvailable(TKernelUnit unit) { return machine::HasVectorUnit(unit); }

TOrderOneKernel OrderOneKernelFor(TKernelUnit unit) {
  if (!IsKernelUnitAvailable(unit)) return nullptr;
  switch (unit) {
    case TKernelUnit::avx512f:
      return OrderOneSumsAvx512;
    case TKernelUnit::avx2:
      return OrderOneSumsAvx2;
    case TKernelUnit::scalar:
      return OrderOneSumsScalar;
  }
  return nullptr;
}

TOrderOneKernel BestOrderOneKernel(const char** name) {
  static const struct TChoice {
    TOrderOneKernel kernel;
    const char* name;
  } choice = [] {
    for (const TChoice c : {TChoice{OrderOneKernelFor(TKernelUnit::avx512f), "avx512f"},
                            TChoice{OrderOneKernelFor(TKernelUnit::avx2), "avx2"}})
      if (c.kernel) return c;
    return TChoice{OrderOneSumsScalar, "scalar"};
  }();
  if (name) *name = choice.name;
  return choice.kernel;
}

TSampleKernel SampleKernelFor(TKernelUnit unit) {
  if (!IsKernelUnitAvailable(unit)) return nullptr;
  switch (unit) {
    case TKernelUnit::avx512f:
      return SampleSumsAvx512;
    case TKernelUnit::avx2:
      return SampleSumsAvx2;
    case TKernelUnit::scalar:
      return SampleSumsScalar;
  }
  return nullptr;
}

void PolynomialScalar(std::uint32_t count, const double* x, const double* c, int terms, double* out) {
  for (std::uint32_t i = 0; i < count; ++i) {
    double sum = c[terms - 1];
    for (int k = terms - 2; k >= 0; --k) sum = sum * x[i] + c[k];
    out[i] = sum;
  }
}

TPolynomialKernel PolynomialKernelFor(TKernelUnit unit) {
  if (!IsKernelUnitAvailable(unit)) return nullptr;
  switch (unit) {
    case TKernelUnit::avx512f:
      return PolynomialAvx512;
    case TKernelUnit::avx2:
      return PolynomialAvx2;
    case TKernelUnit::scalar:
      return PolynomialScalar;
  }
  return nullptr;
}

TKernelUnit BestKernelUnit() {
  static const TKernelUnit best = [] {
    for (TKernelUnit unit : {TKernelUnit::avx512f, TKernelUnit::avx2})
      if (IsKernelUnitAvailable(unit)) return unit;
    return TKernelUnit::scalar;
  }();
  return best;
}

double OrderOneValueFromSums(double w, double wy, const TOrderOneSums& s) {
  // With alpha = Sz / W the order-1 polynomial is z - alpha, so
  // c1 = (Syz - conj(alpha) Sy) / sqrt(W - |Sz|^2 / W).
  const double c0 = wy / std::sqrt(w);
  const double re = s.wyc - s.wc / w * wy;
  const double im = -s.wys + s.ws / w * wy;
  const double norm = w - (s.wc * s.wc + s.ws * s.ws) / w;
  const double a = c0 * c0;
  // A negative norm is rounding of a vanishing one: the square root would be NaN.
  const double b = norm < 0.0 ? NAN : (re * re + im * im) / norm;
  return (std::isnan(a) ? 0.0 : a) + (std::isnan(b) ? 0.0 : b);
}

double OrderOneValueFromCentredSums(double w, double wy, const TOrderOneSums& s) {
  // With the mean off the values, c1 = (S(y - mean) z) / sqrt(W - |Sz|^2 / W).
  const double c0 = wy / std::sqrt(w);
  const double norm = w - (s.wc * s.wc + s.ws * s.ws) / w;
  const double a = c0 * c0;
  const double b = norm < 0.0 ? NAN : (s.wyc * s.wyc + s.wys * s.wys) / norm;
  return (std::isnan(a) ? 0.0 : a) + (std::isnan(b) ? 0.0 : b);
}

}  // namespace ombrix_analysis
