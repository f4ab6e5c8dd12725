#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <ombrix_model/angles.h>

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

}  // namespace
}  // namespace ombrix_analysis
