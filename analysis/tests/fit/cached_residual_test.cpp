// The cached residuals of both fits against the plain residual functions
// over the call sequences a numeric Jacobian makes.
#include "fit/minimum_evaluator.h"
#include "fit/phase_curve_evaluator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace ombrix_analysis {
namespace {

using ombrix_model::FitParameterCount;

std::vector<TFitPoint> FoldedCurve(std::size_t count) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> phase(0.0, 1.0), noise(-0.01, 0.01);
  std::vector<TFitPoint> points;
  for (std::size_t i = 0; i < count; ++i)
    points.push_back({phase(random), 10.0 + noise(random), 0.01 + 0.1 * std::abs(noise(random)),
                      i % 3 == 0 ? 0.25 : 0.0, 0, nullptr});
  points.push_back({0.5, 10.2, 0.01, 0.0, 0, nullptr});  // the primary's wrap point
  points.push_back({0.0, 10.8, 0.01, 0.0, 0, nullptr});
  return points;
}

// Bit for bit when tolerance is 0, else within tolerance; non-finite values
// must match in kind (a NaN's sign and payload depend on the instructions the
// compiler chose).
void ExpectSameValues(const std::vector<double>& expected, const std::vector<double>& actual,
                      int call, double tolerance) {
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (std::isnan(expected[i]) && std::isnan(actual[i])) continue;
    if (tolerance == 0 || !std::isfinite(expected[i])) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(expected[i]), std::bit_cast<std::uint64_t>(actual[i]))
          << "call " << call << " point " << i << ": " << expected[i] << " vs " << actual[i];
    } else {
      ASSERT_NEAR(expected[i], actual[i], tolerance) << "call " << call << " point " << i;
    }
  }
}

using TUserFunction = int (*)(int, int, double*, double*, double**, void*);

// Every call through the cached function gives the plain function's values.
void ExpectSameResiduals(TUserFunction plain, void* points, TUserFunction cached, void* evaluator,
                         int m, std::vector<std::vector<double>>& calls, double tolerance = 0) {
  std::vector<double> expected(m), actual(m);
  for (std::size_t c = 0; c < calls.size(); ++c) {
    const int n = static_cast<int>(calls[c].size());
    plain(m, n, calls[c].data(), expected.data(), nullptr, points);
    cached(m, n, calls[c].data(), actual.data(), nullptr, evaluator);
    ExpectSameValues(expected, actual, static_cast<int>(c), tolerance);
  }
}

// The base point, then forward and central differences of every parameter
// around it and back to it (slots are reused and evicted).
std::vector<std::vector<double>> JacobianSweep(const std::vector<double>& x) {
  std::vector<std::vector<double>> calls{x};
  for (std::size_t j = 0; j < x.size(); ++j) {
    for (double h : {1e-7, -1e-7}) {
      calls.push_back(x);
      calls.back()[j] += h;
    }
  }
  calls.push_back(x);
  return calls;
}

TEST(MinimumEvaluator, EqualsThePlainResidualBitForBitAcrossResamples) {
  std::mt19937 random(4);
  std::uniform_real_distribution<double> time(0.0, 1.0), noise(-0.005, 0.005);
  std::vector<double> start = {12.0, 0.5, 0.1, 0.5, 0.08, 1.0, 0.0};
  CMinimumEvaluator evaluator;
  // Two different point sets through the same evaluator: Reset must forget
  // the profiles of the first.
  for (std::size_t count : {120u, 60u}) {
    std::vector<TFitPoint> points;
    for (std::size_t i = 0; i < count; ++i)
      points.push_back({time(random), 12.0 + noise(random), 0.005, 0.0, 0, nullptr});
    evaluator.Reset(points.data(), points.size());
    std::vector<std::vector<double>> calls = JacobianSweep(start);
    for (double d : {0.0, std::numeric_limits<double>::quiet_NaN()}) {
      calls.push_back(start);
      calls.back()[mmD] = d;
    }
    ExpectSameResiduals(MinimumResidual, points.data(), CMinimumEvaluator::Residual, &evaluator,
                        static_cast<int>(count), calls);
  }
}

// With every unit of the profile kernel: the scalar one keeps full
// evaluations bit for bit, the vector ones agree to rounding.
class PhaseCurveEvaluator : public ::testing::TestWithParam<TKernelUnit> {};

TEST_P(PhaseCurveEvaluator, EqualsThePlainResidualOverJacobianSweeps) {
  const TEclipseProfileKernel profiles = EclipseProfileKernelFor(GetParam());
  if (!profiles) GTEST_SKIP() << "unit not available";
  std::vector<TFitPoint> points = FoldedCurve(500);
  const int m = static_cast<int>(points.size());
  CPhaseCurveEvaluator evaluator(points.data(), points.size(), profiles);

  const double base[FitParameterCount] = {10.0, 0.48, 0.8, 0.06, 1.2, 0.1, 0.3, 0.07,
                                          1.1,  0.05, 0.01, 0.0, 0.0, 0.003, 0.0, 0.002};
  std::vector<std::vector<double>> calls;
  for (double shift : {0.0, 1e-3}) {
    std::vector<double> x(base, base + FitParameterCount);
    for (double& v : x) v += shift;
    for (auto& call : JacobianSweep(x)) calls.push_back(call);
  }
  // Keys that differ only in the sign of zero or are NaN, a width of 0
  // (infinities in the model), and zero harmonics switching on and off.
  std::vector<double> special(base, base + FitParameterCount);
  special[ombrix_model::fpGSec] = 0.0;
  calls.push_back(special);
  special[ombrix_model::fpGSec] = -0.0;
  calls.push_back(special);
  special[ombrix_model::fpDPri] = 0.0;
  calls.push_back(special);
  special[ombrix_model::fpDSec] = std::numeric_limits<double>::quiet_NaN();
  calls.push_back(special);
  special[ombrix_model::fpACos1] = 0.02;
  special[ombrix_model::fpASin1] = 0.0;
  calls.push_back(special);
  calls.push_back(std::vector<double>(base, base + FitParameterCount));

  // Calls one parameter away from the last full evaluation are built from its
  // parts: right to rounding of the model's size over the smallest error.
  double scale = 0;
  for (const TFitPoint& p : points) scale = std::max(scale, (std::fabs(p.value) + 1.0) / p.error);
  ExpectSameResiduals(PhaseCurveResidual, points.data(), CPhaseCurveEvaluator::Residual, &evaluator,
                      m, calls, 1e-13 * scale);
  // A full evaluation (a fresh evaluator has nothing to start from) keeps
  // every bit with the scalar profiles.
  const double fullTolerance = GetParam() == TKernelUnit::scalar ? 0.0 : 1e-13 * scale;
  for (std::size_t c = 0; c < calls.size(); ++c) {
    std::vector<std::vector<double>> one{calls[c]};
    CPhaseCurveEvaluator fresh(points.data(), points.size(), profiles);
    ExpectSameResiduals(PhaseCurveResidual, points.data(), CPhaseCurveEvaluator::Residual, &fresh, m,
                        one, fullTolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(Units, PhaseCurveEvaluator,
                         ::testing::Values(TKernelUnit::avx512f, TKernelUnit::avx2,
                                           TKernelUnit::scalar));

}  // namespace
}  // namespace ombrix_analysis
