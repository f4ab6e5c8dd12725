#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "mpfit/mpfit.h"
#include "row_reduction.h"
#include "runbase/machine.h"

namespace {

using machine::TVectorUnit;
using mpfit_internal::CRowReduction;

constexpr TVectorUnit kUnits[] = {TVectorUnit::scalar, TVectorUnit::avx2, TVectorUnit::avx512f};

// A = Q R with Q orthogonal means R^T R = A^T A and R^T (Q^T f) = A^T f.
// Columns of very different size reach the scaled sums; row counts below,
// at and above a block, and a zero column, reach the edges of the folding.
TEST(RowReduction, TriangleKeepsTheNormalEquations) {
  struct TCase {
    int m;
    double columnScale[4];
  };
  const TCase cases[] = {
      {3, {1, 2, 3, 4}},      {64, {1, 1, 1, 1}},          {201, {1, 1e-3, 1e3, 1}},
      {130, {1, 0, 1, 1}},    {500, {1e-150, 1, 1e150, 1}},
  };
  for (TVectorUnit unit : kUnits) {
   if (!machine::HasVectorUnit(unit)) continue;
   SCOPED_TRACE(machine::VectorUnitName(unit));
   std::mt19937 random(3);
   std::normal_distribution<double> normal;
   CRowReduction reduction(unit), scalar(TVectorUnit::scalar);
   for (const TCase& c : cases) {
    SCOPED_TRACE(c.m);
    const int n = 4;
    std::vector<double> a(size_t(c.m) * n), f(c.m), r(n * n, -1.0), qf(n);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < c.m; ++i) a[size_t(j) * c.m + i] = c.columnScale[j] * normal(random);
    for (double& v : f) v = normal(random);
    reduction.Reduce(c.m, n, a.data(), f.data(), r.data(), qf.data());
    std::vector<double> rScalar(n * n), qfScalar(n);
    scalar.Reduce(c.m, n, a.data(), f.data(), rScalar.data(), qfScalar.data());
    for (int j = 0; j < n; ++j)
      for (int i = 0; i <= j; ++i)
        EXPECT_NEAR(r[j * n + i], rScalar[j * n + i],
                    1e-12 * c.columnScale[j] * std::sqrt(double(c.m)));
    auto column = [&](const std::vector<double>& v, int ld, int j) { return &v[size_t(j) * ld]; };
    for (int j = 0; j < n; ++j) {
      for (int i = j + 1; i < n; ++i) EXPECT_EQ(column(r, n, j)[i], 0.0);
      for (int k = 0; k < n; ++k) {
        double ata = 0, rtr = 0;
        for (int i = 0; i < c.m; ++i) ata += column(a, c.m, j)[i] * column(a, c.m, k)[i];
        for (int i = 0; i < n; ++i) rtr += column(r, n, j)[i] * column(r, n, k)[i];
        const double size = c.columnScale[j] * c.columnScale[k] * c.m;
        EXPECT_LE(std::fabs(rtr - ata), 1e-12 * size) << j << " " << k;
      }
      double atf = 0, rtqf = 0;
      for (int i = 0; i < c.m; ++i) atf += column(a, c.m, j)[i] * f[i];
      for (int i = 0; i < n; ++i) rtqf += column(r, n, j)[i] * qf[i];
      EXPECT_LE(std::fabs(rtqf - atf), 1e-12 * c.columnScale[j] * c.m) << j;
    }
   }
  }
}

struct TLine {
  std::vector<double> x, y;
};

int LineResidual(int m, int, double* p, double* f, double**, void* data) {
  const auto& line = *static_cast<const TLine*>(data);
  for (int i = 0; i < m; ++i) f[i] = line.y[i] - (p[0] + p[1] * line.x[i] + p[2] * line.x[i] * line.x[i]);
  return 0;
}

// A tall fit (reduced before factorising) reaches the exact solution and
// gives the covariance of the least-squares line.
TEST(RowReduction, TallFitFindsTheExactParabola) {
  TLine line;
  for (int i = 0; i < 3000; ++i) {
    line.x.push_back(i / 1000.0);
    line.y.push_back(2.0 - 3.0 * line.x.back() + 0.5 * line.x.back() * line.x.back());
  }
  double p[3] = {0, 0, 0};
  double xerror[3] = {};
  mp_result result{};
  result.xerror = xerror;
  ASSERT_GT(mpfit(LineResidual, 3000, 3, p, nullptr, nullptr, &line, &result), 0);
  EXPECT_NEAR(p[0], 2.0, 1e-12);
  EXPECT_NEAR(p[1], -3.0, 1e-12);
  EXPECT_NEAR(p[2], 0.5, 1e-12);
  // Unit residual errors: the error of the level is about sqrt(9 / m).
  EXPECT_NEAR(xerror[0], std::sqrt(9.0 / 3000), 0.01);
}

}  // namespace
