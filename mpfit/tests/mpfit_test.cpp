// Behaviour of mpfit() beyond plain convergence: every refusal status, the
// limits, held parameters, derivative options and the reported errors.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "mpfit/mpfit.h"
#include "solver.h"

namespace {

// Straight line y = a + b x through ten points with slope 2 and some scatter.
struct Line {
  std::vector<double> x{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::vector<double> y{1.1, 2.9, 5.2, 6.8, 9.1, 11.0, 12.8, 15.2, 17.1, 18.9};
  std::function<int(int call, double* p, double** dvec)> hook;  // optional test probe
  int calls = 0;
  bool badDerivative = false;  // report an infinite user derivative
};

int LineResidual(int m, int, double* p, double* f, double** dvec, void* data) {
  Line& line = *static_cast<Line*>(data);
  const int rc = line.hook ? line.hook(line.calls, p, dvec) : 0;
  ++line.calls;
  if (rc != 0) return rc;
  for (int i = 0; i < m; ++i) f[i] = line.y[i] - (p[0] + p[1] * line.x[i]);
  if (dvec)
    for (int j = 0; j < 2; ++j)
      if (dvec[j])
        for (int i = 0; i < m; ++i) dvec[j][i] = j == 0 ? -1 : -line.x[i];
  if (dvec && dvec[0] && line.badDerivative) dvec[0][0] = INFINITY;
  return 0;
}

struct Call {
  mp_func function = LineResidual;
  int m = 10;
  int npar = 2;
  std::vector<double> x{0.5, 1.0};
  std::vector<mp_par> pars = std::vector<mp_par>(2);
  mp_config config{};
  Line line;
  mp_result result{};
  int Run(double* xall) {
    return mpfit(function, m, npar, xall, pars.data(), &config, &line, &result);
  }
  int Run() { return Run(x.data()); }
};

struct Refusal {
  const char* what;
  std::function<void(Call&)> setUp;
  int status;
};

TEST(MpfitTest, RefusesBadCallsWithTheirStatusAndLeavesParametersAlone) {
  const double nan = std::nan("");
  const std::vector<Refusal> cases = {
      {"no function", [](Call& c) { c.function = nullptr; }, MP_ERR_FUNC},
      {"no points", [](Call& c) { c.m = 0; }, MP_ERR_NPOINTS},
      {"negative parameter count", [](Call& c) { c.npar = -1; }, MP_ERR_INPUT},
      {"no parameters", [](Call& c) { c.npar = 0; }, MP_ERR_NFREE},
      {"all fixed", [](Call& c) { c.pars[0].fixed = c.pars[1].fixed = 1; }, MP_ERR_NFREE},
      {"negative ftol", [](Call& c) { c.config.ftol = -1; }, MP_ERR_PARAM},
      {"maxiter below MP_NO_ITER", [](Call& c) { c.config.maxiter = -2; }, MP_ERR_PARAM},
      {"unknown side", [](Call& c) { c.pars[1].side = 4; }, MP_ERR_PARAM},
      {"negative step", [](Call& c) { c.pars[0].step = -0.1; }, MP_ERR_PARAM},
      {"initial value not a number", [nan](Call& c) { c.x[1] = nan; }, MP_ERR_PARAM},
      {"lower limit above upper", [](Call& c) {
         c.pars[1] = mp_par{0, {1, 1}, {3, 2}, nullptr, 0, 0, 0, 0, 0, 0}; }, MP_ERR_BOUNDS},
      {"limit not a number", [nan](Call& c) {
         c.pars[0].limited[0] = 1; c.pars[0].limits[0] = nan; }, MP_ERR_BOUNDS},
      {"start below lower limit", [](Call& c) {
         c.pars[1].limited[0] = 1; c.pars[1].limits[0] = 1.5; }, MP_ERR_INITBOUNDS},
      {"start above upper limit", [](Call& c) {
         c.pars[0].limited[1] = 1; c.pars[0].limits[1] = 0.4; }, MP_ERR_INITBOUNDS},
      {"fewer points than free parameters", [](Call& c) { c.m = 1; }, MP_ERR_DOF},
      {"function fails at the start", [](Call& c) {
         c.line.hook = [](int, double*, double**) { return -3; }; }, -3},
      {"function fails in the Jacobian", [](Call& c) {
         c.line.hook = [](int call, double*, double**) { return call == 2 ? -5 : 0; }; }, -5},
      {"data not a number", [nan](Call& c) { c.line.y[4] = nan; }, MP_ERR_NAN},
      {"user derivative not finite", [](Call& c) {
         c.pars[0].side = 3;
         c.line.badDerivative = true; }, MP_ERR_NAN},
      {"no memory", [](Call&) { mpfit_internal::FailNextAllocationForTesting(); }, MP_ERR_MEMORY},
  };
  for (const Refusal& r : cases) {
    SCOPED_TRACE(r.what);
    Call c;
    r.setUp(c);
    const std::vector<double> before = c.x;
    EXPECT_EQ(c.Run(), r.status);
    EXPECT_EQ(c.result.status, r.status);
    for (size_t i = 0; i < before.size(); ++i)
      EXPECT_TRUE(c.x[i] == before[i] || std::isnan(before[i]));
  }
  Call c;  // a null parameter vector
  EXPECT_EQ(c.Run(nullptr), MP_ERR_INPUT);
}

TEST(MpfitTest, FixedParameterIsNotCheckedAgainstItsLimits) {
  Call c;
  c.pars[1] = mp_par{1, {1, 1}, {-1, 0}, nullptr, 0, 0, 9, 0, 0, 0};
  ASSERT_GT(c.Run(), 0);
  EXPECT_EQ(c.x[1], 1.0);
  EXPECT_EQ(c.result.nfree, 1);
}

// Least-squares line through the points, for reference.
void ExactLine(const Line& l, double& a, double& b) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double n = l.x.size();
  for (size_t i = 0; i < l.x.size(); ++i) {
    sx += l.x[i], sy += l.y[i], sxx += l.x[i] * l.x[i], sxy += l.x[i] * l.y[i];
  }
  b = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  a = (sy - b * sx) / n;
}

TEST(MpfitTest, FitsTheLineWithEveryDerivativeOption) {
  double a = 0, b = 0;
  ExactLine(Line{}, a, b);
  for (int side : {0, 1, -1, 2, 3}) {
    SCOPED_TRACE(side);
    Call c;
    c.pars[0].side = c.pars[1].side = side;
    std::vector<double> resid(10);
    c.result.resid = resid.data();
    ASSERT_GT(c.Run(), 0);
    EXPECT_NEAR(c.x[0], a, 1e-9);
    EXPECT_NEAR(c.x[1], b, 1e-9);
    double chi2 = 0;
    for (int i = 0; i < 10; ++i) {
      EXPECT_DOUBLE_EQ(resid[i], c.line.y[i] - (c.x[0] + c.x[1] * c.line.x[i]));
      chi2 += resid[i] * resid[i];
    }
    EXPECT_NEAR(c.result.bestnorm, chi2, 1e-12);
    EXPECT_GT(c.result.orignorm, c.result.bestnorm);
    EXPECT_EQ(c.result.nfree, 2);
    EXPECT_EQ(c.result.nfunc, 10);
    EXPECT_EQ(c.result.nfev, c.line.calls);
  }
}

TEST(MpfitTest, ErrorsAndCovarianceWithoutIterating) {
  Call c;
  c.config.maxiter = MP_NO_ITER;
  std::vector<double> covar(4), xerror(2);
  c.result.covar = covar.data();
  c.result.xerror = xerror.data();
  EXPECT_EQ(c.Run(), MP_MAXITER);
  EXPECT_EQ(c.x, (std::vector<double>{0.5, 1.0}));
  // (X^T X)^-1 for the design rows (1, x): n = 10, sum x = 45, sum x^2 = 285.
  const double det = 10 * 285 - 45 * 45;
  const double expected[4] = {285 / det, -45 / det, -45 / det, 10 / det};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(covar[k], expected[k], 1e-7) << k;
  EXPECT_NEAR(xerror[1], std::sqrt(10 / det), 1e-7);

  Call fixedSlope;  // a fixed parameter has no error and no covariance
  fixedSlope.pars[1].fixed = 1;
  fixedSlope.result.covar = covar.data();
  fixedSlope.result.xerror = xerror.data();
  ASSERT_GT(fixedSlope.Run(), 0);
  EXPECT_EQ(fixedSlope.x[1], 1.0);
  EXPECT_NEAR(covar[0], 0.1, 1e-7);
  EXPECT_EQ(covar[1], 0);
  EXPECT_EQ(covar[3], 0);
  EXPECT_EQ(xerror[1], 0);
}

TEST(MpfitTest, SlopeLimitedBelowItsBestValueIsPeggedExactly) {
  double a = 0, b = 0;
  ExactLine(Line{}, a, b);
  for (bool upper : {true, false}) {
    SCOPED_TRACE(upper);
    Call c;
    const double limit = upper ? 1.5 : 2.5;
    c.x = {0.5, upper ? 1.0 : 3.0};
    c.pars[1].limited[upper ? 1 : 0] = 1;
    c.pars[1].limits[upper ? 1 : 0] = limit;
    std::vector<double> xerror(2);
    c.result.xerror = xerror.data();
    c.line.hook = [&](int, double* p, double**) {
      EXPECT_TRUE(upper ? p[1] <= limit : p[1] >= limit) << p[1];
      return 0;
    };
    ASSERT_GT(c.Run(), 0);
    EXPECT_EQ(c.x[1], limit);
    EXPECT_EQ(c.result.npegged, 1);
    EXPECT_EQ(xerror[1], 0);
    EXPECT_GT(xerror[0], 0);
    double meanY = 0, meanX = 0;  // best intercept for the held slope
    for (int i = 0; i < 10; ++i) meanY += c.line.y[i] / 10, meanX += c.line.x[i] / 10;
    EXPECT_NEAR(c.x[0], meanY - limit * meanX, 1e-9);
  }
}

TEST(MpfitTest, ParameterStartingOnALimitLeavesItWhenTheFitPullsInwards) {
  double a = 0, b = 0;
  ExactLine(Line{}, a, b);
  Call c;
  c.x = {0.5, 0.0};
  c.pars[1].limited[0] = c.pars[1].limited[1] = 1;
  c.pars[1].limits[1] = b;  // the best slope lies exactly on the upper limit
  ASSERT_GT(c.Run(), 0);
  EXPECT_NEAR(c.x[1], b, 1e-12);
  EXPECT_LE(c.x[1], b);
  EXPECT_NEAR(c.x[0], a, 1e-9);
}

// exp(k) - e^2.9 in every residual: the first full step lands far beyond
// k = 3, where the function reports infinity.
int Wall(int m, int, double* p, double* f, double**, void*) {
  for (int i = 0; i < m; ++i) f[i] = p[0] > 3 ? INFINITY : std::exp(p[0]) - std::exp(2.9);
  return 0;
}

TEST(MpfitTest, StepIntoNonFiniteRegionIsRefusedNotFatal) {
  double k = 0;
  EXPECT_GT(mpfit(Wall, 3, 1, &k, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_NEAR(k, 2.9, 1e-9);
}

TEST(MpfitTest, IterationAndEvaluationLimitsStopWithMaxiter) {
  double k = -5;
  mp_config config{};
  config.maxiter = 1;
  mp_result result{};
  EXPECT_EQ(mpfit(Wall, 3, 1, &k, nullptr, &config, nullptr, &result), MP_MAXITER);
  EXPECT_EQ(result.niter, 1);
  k = -5;
  config = mp_config{};
  config.maxfev = 4;
  EXPECT_EQ(mpfit(Wall, 3, 1, &k, nullptr, &config, nullptr, &result), MP_MAXITER);
  EXPECT_LE(result.nfev, 5);
}

TEST(MpfitTest, DerivativesAreAskedOnlyForUserColumns) {
  Call c;
  c.pars[1].side = 3;
  int jacobianCalls = 0;
  c.line.hook = [&](int, double*, double** dvec) {
    if (dvec) {
      ++jacobianCalls;
      EXPECT_EQ(dvec[0], nullptr);
      EXPECT_NE(dvec[1], nullptr);
    }
    return 0;
  };
  ASSERT_GT(c.Run(), 0);
  EXPECT_GT(jacobianCalls, 0);
}

TEST(MpfitTest, DerivativeDebugPrintsOnlyDisagreements) {
  Call c;
  char name[] = "slope";
  c.pars[1] = mp_par{0, {0, 0}, {0, 0}, name, 0, 0, 3, 1, 1e-6, 1e-9};
  testing::internal::CaptureStdout();
  ASSERT_GT(c.Run(), 0);
  std::string agreeing = testing::internal::GetCapturedStdout();
  EXPECT_NE(agreeing.find("parameter 1 (slope)"), std::string::npos);
  EXPECT_EQ(agreeing.find("\n         0 "), std::string::npos);  // no residual listed

  Call all;  // zero tolerances list every residual
  all.pars[1] = mp_par{0, {0, 0}, {0, 0}, nullptr, 0, 0, 3, 1, 0, 0};
  all.config.maxiter = MP_NO_ITER;
  std::vector<double> xerror(2);
  all.result.xerror = xerror.data();
  testing::internal::CaptureStdout();
  all.Run();
  EXPECT_NE(testing::internal::GetCapturedStdout().find("\n         9 "), std::string::npos);
}

}  // namespace
