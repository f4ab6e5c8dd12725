// mpfit_parts(): residuals in parts of the rows, on several threads. The fit
// must not depend on the number of threads, must equal mpfit() wherever the
// split cannot matter, and must report a part's failure as mpfit() would.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "mpfit/mpfit.h"

namespace {

// y = a exp(-b t) + c sin(d t) + e with noise, over `rows` points.
struct Decay {
  explicit Decay(int rows) : t(rows), y(rows) {
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 0.02);
    for (int i = 0; i < rows; ++i) {
      t[i] = 10.0 * i / rows;
      y[i] = 3.0 * std::exp(-0.4 * t[i]) + 0.5 * std::sin(2.1 * t[i]) + 1.0 + noise(random);
    }
  }
  std::vector<double> t, y;
  std::vector<int> first;                // the split of the parts calls
  std::atomic<int> busy[8] = {};         // a part's call in progress
  std::atomic<int> calls[8] = {};        // calls per part
  std::atomic<bool> overlapped{false};   // two calls of one part overlapped
  std::atomic<bool> wrongRows{false};    // a part was handed another row count
  int failingPart = -1;                  // this part fails ...
  int failAtCall = 0;                    // ... at its call of this number
  int failWith = 0;                      // ... returning this, or 1: a NaN residual
};

constexpr int kParameters = 5;

void Residuals(const Decay& d, int first, int m, const double* p, double* f, double** dvec) {
  for (int i = 0; i < m; ++i) {
    const double t = d.t[first + i];
    f[i] = d.y[first + i] - (p[0] * std::exp(-p[1] * t) + p[2] * std::sin(p[3] * t) + p[4]);
  }
  if (dvec && dvec[0])
    for (int i = 0; i < m; ++i) dvec[0][i] = -std::exp(-p[1] * d.t[first + i]);
  if (dvec && dvec[4])
    for (int i = 0; i < m; ++i) dvec[4][i] = -1.0;
}

int WholeResidual(int m, int, double* p, double* f, double** dvec, void* data) {
  Residuals(*static_cast<Decay*>(data), 0, m, p, f, dvec);
  return 0;
}

int PartResidual(int part, int m, int, double* p, double* f, double** dvec, void* data) {
  Decay& d = *static_cast<Decay*>(data);
  if (d.busy[part].exchange(1) != 0) d.overlapped = true;
  const int call = d.calls[part]++;
  if (m != d.first[part + 1] - d.first[part]) d.wrongRows = true;
  Residuals(d, d.first[part], m, p, f, dvec);
  int rc = 0;
  if (part == d.failingPart && call == d.failAtCall) {
    if (d.failWith == 1)
      f[m / 2] = std::nan("");
    else
      rc = d.failWith;
  }
  d.busy[part] = 0;
  return rc;
}

struct TOutcome {
  int status = 0;
  std::vector<double> x, xerror, resid;
  mp_result result{};
};

// The start and the arrays of the report, for a fit of `rows` rows.
void Prepare(TOutcome& o, std::size_t rows) {
  o.x = {2.0, 0.3, 0.4, 2.0, 0.8};
  o.xerror.resize(kParameters);
  o.resid.resize(rows);
  o.result.xerror = o.xerror.data();
  o.result.resid = o.resid.data();
}

TOutcome FitWhole(Decay& d, mp_par* pars = nullptr) {
  TOutcome o;
  Prepare(o, d.t.size());
  o.status = mpfit(WholeResidual, int(d.t.size()), kParameters, o.x.data(), pars, nullptr, &d,
                   &o.result);
  return o;
}

TOutcome FitParts(Decay& d, std::vector<int> first, int threads, mp_par* pars = nullptr) {
  d.first = std::move(first);
  TOutcome o;
  Prepare(o, d.t.size());
  const mp_parts parts{int(d.first.size()) - 1, d.first.data(), PartResidual, threads};
  o.status = mpfit_parts(&parts, int(d.t.size()), kParameters, o.x.data(), pars, nullptr, &d,
                         &o.result);
  return o;
}

void ExpectSameBits(const TOutcome& a, const TOutcome& b) {
  EXPECT_EQ(a.status, b.status);
  EXPECT_EQ(a.result.nfev, b.result.nfev);
  EXPECT_EQ(a.result.niter, b.result.niter);
  EXPECT_EQ(std::memcmp(&a.result.bestnorm, &b.result.bestnorm, sizeof(double)), 0);
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.xerror, b.xerror);
  EXPECT_EQ(a.resid, b.resid);
}

// Small problems factorise the whole Jacobian, which the parts fill row for
// row as mpfit() does: any split gives mpfit()'s fit bit for bit, also with
// derivatives from the user function. Tall ones with a single part too.
TEST(MpfitParts, EqualsMpfitWhereTheSplitCannotMatter) {
  Decay small(300);
  const TOutcome whole = FitWhole(small);
  ASSERT_GT(whole.status, 0);
  EXPECT_NEAR(whole.x[1], 0.4, 0.05);
  ExpectSameBits(FitParts(small, {0, 70, 71, 300}, 2), whole);

  std::vector<mp_par> pars(kParameters);
  pars[0].side = 3;
  pars[4].side = 3;
  Decay user(300);
  const TOutcome userWhole = FitWhole(user, pars.data());
  ExpectSameBits(FitParts(user, {0, 100, 200, 300}, 3, pars.data()), userWhole);

  Decay tall(5000);
  ExpectSameBits(FitParts(tall, {0, 5000}, 2), FitWhole(tall));
}

// The derivative check compares whole columns, gathered from all parts: its
// printout is that of mpfit() line for line.
TEST(MpfitParts, DerivativeCheckPrintsTheWholeColumns) {
  std::vector<mp_par> pars(kParameters);
  pars[4] = mp_par{0, {0, 0}, {0, 0}, nullptr, 0, 0, 3, 1, 0, 0};
  Decay whole(90), parted(90);
  testing::internal::CaptureStdout();
  FitWhole(whole, pars.data());
  const std::string expected = testing::internal::GetCapturedStdout();
  testing::internal::CaptureStdout();
  FitParts(parted, {0, 30, 60, 90}, 3, pars.data());
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(expected.find("\n        89 "), std::string::npos);
  EXPECT_EQ(printed, expected);
}

// A tall problem in parts: the same bits on one, two and five threads, and
// the values of the single fit to rounding.
TEST(MpfitParts, TallFitDoesNotDependOnTheThreads) {
  Decay d(6000);
  const TOutcome whole = FitWhole(d);
  ASSERT_GT(whole.status, 0);
  const std::vector<int> split = {0, 1000, 2500, 2600, 6000};
  const TOutcome one = FitParts(d, split, 1);
  ASSERT_GT(one.status, 0);
  EXPECT_FALSE(d.overlapped);
  EXPECT_FALSE(d.wrongRows);
  for (int threads : {2, 5}) {
    SCOPED_TRACE(threads);
    ExpectSameBits(FitParts(d, split, threads), one);
    EXPECT_FALSE(d.overlapped);
  }
  for (int j = 0; j < kParameters; ++j) {
    EXPECT_NEAR(one.x[j], whole.x[j], 1e-6 * whole.xerror[j]) << j;
    EXPECT_NEAR(one.xerror[j], whole.xerror[j], 1e-8 * whole.xerror[j]) << j;
  }
  EXPECT_NEAR(one.result.bestnorm, whole.result.bestnorm, 1e-12 * whole.result.bestnorm);
}

// Every part sees the same sequence of calls, so a failure of one part in a
// Jacobian or a full evaluation ends the fit with its status, whichever
// thread ran it; the parameters stay as they were.
TEST(MpfitParts, PartFailureEndsTheFitWithItsStatus) {
  struct TCase {
    int part, call, with, status;
  };
  const TCase cases[] = {
      {2, 0, -30, -30},         // the first evaluation
      {1, 3, -17, -17},         // inside the first Jacobian
      {0, 3, 1, MP_ERR_NAN},    // a NaN in a Jacobian column
      {3, 0, 1, MP_ERR_NAN},    // a NaN at the start
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.status);
    Decay d(4000);
    d.failingPart = c.part;
    d.failAtCall = c.call;
    d.failWith = c.with;
    const TOutcome o = FitParts(d, {0, 1000, 2000, 3000, 4000}, 2);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.x, (std::vector<double>{2.0, 0.3, 0.4, 2.0, 0.8}));
  }
}

TEST(MpfitParts, RefusesASplitThatDoesNotCoverTheRows) {
  Decay d(100);
  double x[kParameters] = {2.0, 0.3, 0.4, 2.0, 0.8};
  const std::vector<std::vector<int>> splits = {
      {0, 50, 99}, {1, 50, 100}, {0, 50, 50, 100}, {0, 60, 40, 100}, {0}};
  for (const std::vector<int>& split : splits) {
    const mp_parts parts{int(split.size()) - 1, split.data(), PartResidual, 2};
    EXPECT_EQ(mpfit_parts(&parts, 100, kParameters, x, nullptr, nullptr, &d, nullptr),
              MP_ERR_INPUT);
  }
  const int good[] = {0, 100};
  const mp_parts noFunction{1, good, nullptr, 0};
  EXPECT_EQ(mpfit_parts(&noFunction, 100, kParameters, x, nullptr, nullptr, &d, nullptr),
            MP_ERR_FUNC);
  EXPECT_EQ(mpfit_parts(nullptr, 100, kParameters, x, nullptr, nullptr, &d, nullptr),
            MP_ERR_FUNC);
  const mp_parts negativeThreads{1, good, PartResidual, -1};
  EXPECT_EQ(mpfit_parts(&negativeThreads, 100, kParameters, x, nullptr, nullptr, &d, nullptr),
            MP_ERR_INPUT);
  const mp_parts fine{1, good, PartResidual, 0};
  EXPECT_EQ(mpfit_parts(&fine, 0, kParameters, x, nullptr, nullptr, &d, nullptr),
            MP_ERR_NPOINTS);
  EXPECT_EQ(x[0], 2.0);
}

}  // namespace
