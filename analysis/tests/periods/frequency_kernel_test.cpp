#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <ombrix_model/angles.h>

#include <sleef.h>

#include "periods/frequency_gridded.h"
#include "periods/frequency_kernel.h"
#include "ombrix_analysis/frequency_analysis.h"

namespace ombrix_analysis {
namespace {

struct TKernelCase {
  TKernelUnit unit;
  const char* name;
};

class FrequencyKernel : public testing::TestWithParam<TKernelCase> {};

// Every kernel (each vector unit the processor has, and the scalar one) must
// give the periodogram value of the direct projection to 1e-9 relative, for
// every length (vector tails), for frequencies up to the fastest the program
// scans, and for time spans from weeks to decades of observations.
TEST_P(FrequencyKernel, EqualsTheDirectProjection) {
  const TOrderOneKernel kernel = OrderOneKernelFor(GetParam().unit);
  if (kernel == nullptr) GTEST_SKIP() << "this processor lacks " << GetParam().name;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  for (double halfSpan : {40.0, 6000.0}) {
    for (std::uint32_t n : {3u, 4u, 7u, 8u, 9u, 15u, 16u, 17u, 333u, 1000u}) {
      std::vector<double> t(n), y(n), w(n);
      std::vector<TComplex> yc(n), z(n), psi(n), zp(n), pr(n);
      for (std::uint32_t i = 0; i < n; ++i) {
        t[i] = halfSpan * (2.0 * uniform(random) - 1.0);
        y[i] = 12.0 + 0.3 * std::sin(t[i] * 2.553) + 0.01 * uniform(random);
        w[i] = 1.0 / (0.005 + 0.02 * uniform(random));
        yc[i] = y[i];
      }
      double sw = 0, swy = 0;
      for (std::uint32_t i = 0; i < n; ++i) sw += w[i], swy += w[i] * y[i];
      const TProjectionWork work{z.data(), psi.data(), zp.data(), pr.data()};
      for (double period : {0.05, 0.1234, 0.9, 2.4611357, 30.0}) {
        const double omega = ombrix_model::kTwoPi / period;
        TComplex c[2];
        MultiHarmonicProjection(n, 1, omega, yc.data(), t.data(), w.data(), c, work);
        const double direct = TrialValue(c[0], c[1]);
        TOrderOneSums sums;
        kernel(n, omega, y.data(), t.data(), w.data(), sums);
        const double fast = OrderOneValueFromSums(sw, swy, sums);
        EXPECT_NEAR(fast, direct, 1e-9 * std::abs(direct)) << "span " << 2 * halfSpan << " n=" << n << " P=" << period;
      }
    }
  }
}

// The sample kernel against sums formed point by point: across tiles and
// vector tails, past the exact restarts, at negative frequencies too.
TEST_P(FrequencyKernel, SampleRunsEqualTheSumsPointByPoint) {
  const TSampleKernel kernel = SampleKernelFor(GetParam().unit);
  if (kernel == nullptr) GTEST_SKIP() << "this processor lacks " << GetParam().name;
  std::mt19937 random(5);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (std::uint32_t n : {3u, 9u, 517u, 1100u}) {
    std::vector<double> t(n), a1(n), a2(n), stepCos(n), stepSin(n);
    constexpr double kStep = 3.0 / 2048.0;
    double scale = 0.0;
    for (std::uint32_t i = 0; i < n; ++i) {
      t[i] = 180.0 * uniform(random);
      a1[i] = 2.0 + uniform(random);
      a2[i] = uniform(random);
      const Sleef_double_2 sc = Sleef_sincospid1_u05purec(kStep * t[i]);
      stepCos[i] = sc.y;
      stepSin[i] = sc.x;
      scale += a1[i] + std::fabs(a2[i]);
    }
    std::vector<TOrderOneSums> sums(150);
    TSampleRun run;
    run.n = n;
    run.times = t.data();
    run.a1 = a1.data();
    run.a2 = a2.data();
    run.stepCos = stepCos.data();
    run.stepSin = stepSin.data();
    run.first = -20;
    run.step = kStep;
    run.count = 150;
    run.sums = sums.data();
    kernel(run);
    for (std::uint32_t k = 0; k < run.count; k += 7) {
      TOrderOneSums expected;
      for (std::uint32_t i = 0; i < n; ++i) {
        const Sleef_double_2 sc = Sleef_sincospid1_u05purec(t[i] * ((run.first + k) * kStep));
        expected.wc += a1[i] * sc.y;
        expected.ws += a1[i] * sc.x;
        expected.wyc += a2[i] * sc.y;
        expected.wys += a2[i] * sc.x;
      }
      const double tolerance = 1e-13 * scale;
      EXPECT_NEAR(sums[k].wc, expected.wc, tolerance) << "n=" << n << " k=" << k;
      EXPECT_NEAR(sums[k].ws, expected.ws, tolerance) << "n=" << n << " k=" << k;
      EXPECT_NEAR(sums[k].wyc, expected.wyc, tolerance) << "n=" << n << " k=" << k;
      EXPECT_NEAR(sums[k].wys, expected.wys, tolerance) << "n=" << n << " k=" << k;
    }
  }
}

// Points of a sine of period 0.1234 d with noise over `span` days, the
// values about 0 so that a trial's value is the projection on the sine
// alone (the mean's share would hide errors in it).
struct TCentredSeries {
  std::vector<double> values, times, weights;
};
TCentredSeries CentredSeries(std::uint32_t n, double span, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  TCentredSeries s;
  for (std::uint32_t i = 0; i < n; ++i) {
    const double t = span * (uniform(random) - 0.4);
    s.times.push_back(t);
    s.values.push_back(0.3 * std::sin(ombrix_model::kTwoPi * t / 0.1234) + 0.1 * (uniform(random) - 0.5));
    s.weights.push_back(1.0 / (0.005 + 0.02 * uniform(random)));
  }
  return s;
}

// Trials scored through samples agree with the direct projection to 1e-7
// relative over 80 days, a year and 30 years, at both ends of the default
// grid, with every unit's kernels. Over decades at short periods, where the
// scan would not take this path, the bound sends the trials with the
// smallest projections to the direct kernel.
TEST_P(FrequencyKernel, GriddedTrialsEqualTheDirectProjection) {
  if (!IsKernelUnitAvailable(GetParam().unit)) GTEST_SKIP() << "this processor lacks " << GetParam().name;
  constexpr std::uint32_t kTrials = 100;
  constexpr double kStep = 1e-5;
  for (double span : {80.0, 365.25, 30 * 365.25}) {
    const std::uint32_t n = 517;
    const TCentredSeries s = CentredSeries(n, span, 17);
    CGriddedTrials gridded(n, s.values.data(), s.times.data(), s.weights.data(), GetParam().unit);
    std::vector<TComplex> yc(s.values.begin(), s.values.end()), z(n), psi(n), zp(n), pr(n);
    const TProjectionWork work{z.data(), psi.data(), zp.data(), pr.data()};
    for (double start : {0.1, 2.0 - (kTrials - 1) * kStep}) {
      double periods[kTrials], values[kTrials];
      for (std::uint32_t j = 0; j < kTrials; ++j) periods[j] = start + j * kStep;
      gridded.Score(kTrials, periods, values);
      EXPECT_LE(gridded.DirectTrials(), span < 1000.0 ? 2u : kTrials / 4) << "span " << span << " from " << start;
      for (std::uint32_t j = 0; j < kTrials; ++j) {
        TComplex c[2];
        MultiHarmonicProjection(n, 1, ombrix_model::kTwoPi / periods[j], yc.data(), s.times.data(),
                                s.weights.data(), c, work);
        const double direct = TrialValue(c[0], c[1]);
        ASSERT_NEAR(values[j], direct, 1e-7 * direct) << "span " << span << " P=" << periods[j];
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryUnit, FrequencyKernel,
                         testing::Values(TKernelCase{TKernelUnit::avx512f, "avx512f"},
                                         TKernelCase{TKernelUnit::avx2, "avx2"},
                                         TKernelCase{TKernelUnit::scalar, "scalar"}),
                         [](const testing::TestParamInfo<TKernelCase>& info) {
                           return std::string(info.param.name);
                         });

// The run-time choice is the widest unit present.
TEST(FrequencyKernelChoice, BestIsTheWidestUnitPresent) {
  const char* name = nullptr;
  const TOrderOneKernel best = BestOrderOneKernel(&name);
  for (TKernelUnit unit : {TKernelUnit::avx512f, TKernelUnit::avx2, TKernelUnit::scalar}) {
    if (OrderOneKernelFor(unit) == nullptr) continue;
    EXPECT_EQ(best, OrderOneKernelFor(unit)) << name;
    break;
  }
}

// The window is I0 of its argument, and the transform the gridded sums
// divide by is the window's Fourier transform.
TEST(FrequencyWindow, IsKaiserBesselWithItsTransform) {
  constexpr double kHalf = CGriddedTrials::kTaps / 2.0;
  const double beta = 0.745 * ombrix_model::kPi * CGriddedTrials::kTaps;
  for (double d : {0.0, 0.3, 2.5, 6.9, 7.0}) {
    const double expected = std::cyl_bessel_i(0.0, beta * std::sqrt(1.0 - (d / kHalf) * (d / kHalf)));
    EXPECT_NEAR(CGriddedTrials::Window(d), expected, 1e-14 * expected) << d;
    EXPECT_EQ(CGriddedTrials::Window(-d), CGriddedTrials::Window(d));
  }
  EXPECT_EQ(CGriddedTrials::Window(7.01), 0.0);
  // Integral of window(x) cos(xi x) with x = kHalf sin(theta), which makes
  // the integrand smooth up to the window's edges.
  for (double xi : {0.0, 0.7, ombrix_model::kPi / 2}) {
    constexpr int kNodes = 4000;
    double integral = 0.0;
    for (int k = 0; k < kNodes; ++k) {
      const double theta = ombrix_model::kPi * ((k + 0.5) / kNodes - 0.5);
      const double x = kHalf * std::sin(theta);
      integral += CGriddedTrials::Window(x) * std::cos(xi * x) * kHalf * std::cos(theta);
    }
    integral *= ombrix_model::kPi / kNodes;
    EXPECT_NEAR(CGriddedTrials::WindowTransform(xi), integral, 1e-12 * integral) << xi;
  }
}

// The bound the gridded scan rests on: within the band sampled at twice the
// Nyquist rate (|xi| <= pi / 2), the aliases of the transform add up to less
// than 1.2e-12 of it.
TEST(FrequencyWindow, AliasesStayBelowTheBound) {
  double worst = 0.0;
  for (int i = 0; i <= 100; ++i) {
    const double xi = ombrix_model::kPi / 2 * i / 100.0;
    double aliases = 0.0;
    for (int k = 1; k <= 2000; ++k)
      aliases += std::fabs(CGriddedTrials::WindowTransform(xi + ombrix_model::kTwoPi * k)) +
                 std::fabs(CGriddedTrials::WindowTransform(xi - ombrix_model::kTwoPi * k));
    worst = std::max(worst, aliases / CGriddedTrials::WindowTransform(xi));
  }
  EXPECT_LT(worst, 1.2e-12);
  EXPECT_GT(worst, 1e-14);  // the bound is not idle
}

// Which chunks go through samples: dense trials over a short span do, the
// short periods of 30 years and a handful of points do not, nor points the
// samples cannot take.
TEST(FrequencyGridded, ChunksGoThroughSamplesWhereThatPays) {
  const auto chunk = [](double start) {
    std::vector<double> periods(512);
    for (std::size_t j = 0; j < periods.size(); ++j) periods[j] = start + j * 1e-5;
    return periods;
  };
  const TCentredSeries year = CentredSeries(2000, 365.25, 3), decades = CentredSeries(2000, 30 * 365.25, 3);
  const CGriddedTrials overYear(2000, year.values.data(), year.times.data(), year.weights.data());
  const CGriddedTrials overDecades(2000, decades.values.data(), decades.times.data(), decades.weights.data());
  EXPECT_TRUE(overYear.Pays(512, chunk(0.1).data()));
  EXPECT_TRUE(overYear.Pays(512, chunk(1.9).data()));
  EXPECT_FALSE(overDecades.Pays(512, chunk(0.1).data()));
  EXPECT_TRUE(overDecades.Pays(512, chunk(1.9).data()));
  EXPECT_FALSE(overYear.Pays(overYear.ChunkLength() + 1, chunk(1.0).data()));

  const CGriddedTrials few(4, year.values.data(), year.times.data(), year.weights.data());
  EXPECT_FALSE(few.Pays(512, chunk(1.0).data()));
  TCentredSeries odd = year;
  odd.weights[7] = INFINITY;  // a point with an error of 0
  const CGriddedTrials infinite(2000, odd.values.data(), odd.times.data(), odd.weights.data());
  EXPECT_FALSE(infinite.Pays(512, chunk(1.0).data()));
}

// A trial period far beyond the span leaves the samples too little to tell
// it from a constant; with the data's weighted mean at 0 nothing else makes
// up the value, and such trials are scored directly.
TEST(FrequencyGridded, TrialsBeyondTheBoundAreScoredDirectly) {
  TCentredSeries night = CentredSeries(400, 1.0, 9);
  double w = 0.0, wy = 0.0;
  for (std::size_t i = 0; i < night.values.size(); ++i) w += night.weights[i], wy += night.weights[i] * night.values[i];
  for (double& y : night.values) y -= wy / w;
  CGriddedTrials gridded(400, night.values.data(), night.times.data(), night.weights.data());
  double periods[64], values[64];
  for (int j = 0; j < 64; ++j) periods[j] = 900.0 + j;
  gridded.Score(64, periods, values);
  EXPECT_EQ(gridded.DirectTrials(), 64u);
  for (int j = 0; j < 64; ++j) EXPECT_EQ(values[j], gridded.DirectValue(periods[j]));
  for (int j = 0; j < 64; ++j) periods[j] = 0.3 + j * 1e-4;
  gridded.Score(64, periods, values);
  EXPECT_EQ(gridded.DirectTrials(), 0u);
}

}  // namespace
}  // namespace ombrix_analysis
