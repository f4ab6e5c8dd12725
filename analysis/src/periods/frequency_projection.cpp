// Multi-harmonic projection of a series on orthogonal trigonometric polynomials.
#include <cmath>

#include "ombrix_analysis/frequency_search.h"
#include "frequency_kernel.h"

namespace ombrix_analysis {

namespace {

// Weighted inner product sum w a conj(b) of two point arrays.
TComplex Inner(std::uint32_t n, const double* w, const TComplex* a, const TComplex* b) {
  TComplex sum = 0.0;
  for (std::uint32_t i = 0; i < n; ++i) sum += w[i] * a[i] * std::conj(b[i]);
  return sum;
}

}  // namespace

void MultiHarmonicProjection(std::uint32_t n, std::uint32_t order, double omega,
                             const TComplex* values, const double* times, const double* weights,
                             TComplex* coefficients, const TProjectionWork& work) {
  for (std::uint32_t i = 0; i < n; ++i) {
    work.z[i] = std::polar(1.0, omega * times[i]);
    work.psi[i] = std::conj(work.z[i]);     // 1 / z on the unit circle
    work.zPower[i] = std::conj(work.z[i]);  // z^(m - 1) for m = 0
  }
  TComplex alpha = 0.0;
  for (std::uint32_t m = 0; m <= order; ++m) {
    for (std::uint32_t i = 0; i < n; ++i)
      work.psi[i] = work.z[i] * work.psi[i] - alpha * work.zPower[i] * std::conj(work.psi[i]);
    // product = z psi for the numerator, then z^m psi for the denominator.
    for (std::uint32_t i = 0; i < n; ++i) work.product[i] = work.z[i] * work.psi[i];
    const TComplex numerator = Inner(n, weights, work.product, work.psi);
    for (std::uint32_t i = 0; i < n; ++i) {
      work.zPower[i] *= work.z[i];
      work.product[i] = work.zPower[i] * work.psi[i];
    }
    const TComplex denominator = Inner(n, weights, work.product, work.psi);
    alpha = numerator / denominator;
    const double norm = std::sqrt(Inner(n, weights, work.psi, work.psi).real());
    coefficients[m] = Inner(n, weights, values, work.psi) / norm;
  }
}

double TrialValue(TComplex c0, TComplex c1) {
  const double a = std::norm(c0);
  const double b = std::norm(c1);
  return (std::isnan(a) ? 0.0 : a) + (std::isnan(b) ? 0.0 : b);
}

double OrderOneValue(std::uint32_t n, double omega, const double* values, const double* times,
                     const double* weights) {
  double w = 0.0, wy = 0.0;
  for (std::uint32_t i = 0; i < n; ++i) {
    w += weights[i];
    wy += weights[i] * values[i];
  }
  TOrderOneSums sums;
  OrderOneSumsScalar(n, omega, values, times, weights, sums);
  return OrderOneValueFromSums(w, wy, sums);
}

}  // namespace ombrix_analysis
