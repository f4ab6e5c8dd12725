// Every vector unit of the eclipse-profile kernel against EclipseProfile.
#include "fit/eclipse_profiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "ombrix_model/light_curve_model.h"

namespace ombrix_analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class EclipseProfileKernel : public ::testing::TestWithParam<TKernelUnit> {};

// Distances across the whole eclipse, both sides of the cutoff, the exact
// centre and non-finite ones; 37 of them, so every unit also runs its tail.
std::vector<double> Distances() {
  std::vector<double> u;
  for (int k = -15; k <= 15; ++k) u.push_back(0.031 * k);
  for (double v : {0.0, -0.0, 1e-9, kNaN, kInf, -kInf}) u.push_back(v);
  return u;
}

TEST_P(EclipseProfileKernel, AgreesWithTheScalarProfileToRounding) {
  const TEclipseProfileKernel kernel = EclipseProfileKernelFor(GetParam());
  if (!kernel) GTEST_SKIP() << "unit not available";
  const bool exact = GetParam() == TKernelUnit::scalar;
  const std::vector<double> u = Distances();
  std::vector<double> out(u.size()), geometry(u.size());
  // Shapes: ordinary, 1, 0 and -0 (pow gives exactly 1), negative (infinite
  // at the centre) and NaN; widths ordinary and 0 (infinite inverse width).
  for (double shape : {1.3, 1.0, 0.0, -0.0, -0.7, kNaN}) {
    for (double inverseWidth : {1.0 / 0.07, kInf}) {
      for (double centre : {0.0, 0.48}) {
        kernel.Profiles(u.data(), centre, inverseWidth, shape, u.size(), geometry.data(),
                        out.data());
        for (std::size_t i = 0; i < u.size(); ++i) {
          const double z = (u[i] - centre) * inverseWidth;
          const double expected = ombrix_model::EclipseProfile(z, shape);
          SCOPED_TRACE(::testing::Message() << "z " << z << " shape " << shape);
          if (!std::isfinite(expected) || std::fabs(z) > ombrix_model::kEclipseCutoff) {
            // Non-finite values alike in kind, zeros beyond the cutoff exact.
            if (std::isnan(expected)) EXPECT_TRUE(std::isnan(out[i]));
            else EXPECT_EQ(expected, out[i]);
          } else if (exact) {
            EXPECT_EQ(expected, out[i]);
          } else {
            EXPECT_NEAR(expected, out[i], 1e-14 * std::max(1.0, std::fabs(expected)));
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Units, EclipseProfileKernel,
                         ::testing::Values(TKernelUnit::avx512f, TKernelUnit::avx2,
                                           TKernelUnit::scalar));

}  // namespace
}  // namespace ombrix_analysis
