#include "solver.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <new>

#include <cminpack.h>

namespace mpfit_internal {
namespace {

// Fits may run on several threads at once (the bootstrap does).
std::atomic<bool> g_failNextAllocation{false};

// Machine precision: the floor of the tolerances in the "too small" tests.
constexpr double kEpsilon = MP_MACHEP0;

// lmdif's constants (its p0001, p25, p75, p1 and p5), named by their role.
// A step is taken when ratio_, the actual reduction of the squared norm over
// the predicted one, reaches kAcceptRatio.
constexpr double kAcceptRatio = 1e-4;
// At or below kPoorRatio the model was poor: the trust region shrinks.
constexpr double kPoorRatio = 0.25;
// At or above kGoodRatio (or with an LM parameter of 0) it grows.
constexpr double kGoodRatio = 0.75;
// Shrink factor of the radius after a poor step that still lowered the norm.
constexpr double kDefaultShrink = 0.5;
// Least shrink factor of the radius after a poor step; the shrunk radius
// starts from at most pnorm_ / kLeastShrink (ten step lengths).
constexpr double kLeastShrink = 0.1;
// A trial norm of at least fnorm_ / kBlowUp (ten times the current) is a
// blow-up: actred_ is then -1 (its square might overflow) and the radius
// shrinks by kLeastShrink.
constexpr double kBlowUp = 0.1;
// After a good step the radius becomes kGrowFactor step lengths and the LM
// parameter is divided by it.
constexpr double kGrowFactor = 2;
// The ftol tests also ask that the actual reduction be at most this many
// times the predicted one (lmdif's p5 * ratio <= 1).
constexpr double kConvergedRatioLimit = 2;

// Tall Jacobians are reduced to a triangle before the pivoted factorisation.
// Below kTallRows rows the factorisation of the whole matrix costs little,
// and keeping it leaves small fits exactly as plain MINPACK computes them.
constexpr int kTallRows = 1000;
// Nor is it worth it with fewer rows than this per free parameter.
constexpr int kTallRowsPerParameter = 8;

// Refinement: at most kRefinementSteps Gauss-Newton steps, each halved at
// most kRefinementHalvings - 1 times until it helps.
constexpr int kRefinementSteps = 4;
constexpr int kRefinementHalvings = 4;
// Relative change of the norm that rounding alone can cause.
constexpr double kNormRounding = 1e-13;

bool AllFinite(const double* v, int n) {
  return std::all_of(v, v + n, [](double d) { return std::isfinite(d); });
}

bool ReduceRowsFirst(int m, int n) { return m >= kTallRows && m >= kTallRowsPerParameter * n; }

}  // namespace

void FailNextAllocationForTesting() { g_failNextAllocation = true; }

Solver::Solver(const Problem& problem)
    : problem_(problem), m_(problem.m), n_(problem.nfree()),
      reduceRows_(ReduceRowsFirst(problem.m, problem.nfree())), ldfjac_(problem.m) {}

bool Solver::Allocate() {
  if (g_failNextAllocation.exchange(false)) return false;
  const size_t m = m_, n = n_;
  try {
    for (auto* v : {&fvec_, &ftrial_, &fscratch_, &fBackup_}) v->resize(m);
    fjac_.resize(m * n);
    ipvt_.resize(n);
    if (reduceRows_) reduction_.Allocate(n_);
    for (auto* v : {&x_, &trial_, &rdiag_, &acnorm_, &qtf_, &diag_, &step_,
                    &rstep_, &xBackup_, &direction_, &work1_, &work2_, &work3_})
      v->resize(n);
    // The user fills the derivative columns of side 3 straight into fjac_.
    dvec_.assign(problem_.anyUserDerivative ? problem_.npar : 0, nullptr);
    bool anyDebug = false;
    for (int j = 0; j < n_; ++j) {
      if (problem_.derivative[j].side == kSideUser)
        dvec_[problem_.freeIndex[j]] = JacobianColumn(j);
      anyDebug = anyDebug || problem_.derivative[j].debug;
    }
    if (anyDebug) checkedUserColumns_.resize(m * n);
    AllocateParts();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void Solver::AllocateParts() {
  const int count = problem_.partCount();
  const bool reduceParts = reduceRows_ && count > 1;
  parts_.resize(count);
  for (int k = 0; k < count; ++k) {
    Part& part = parts_[k];
    part.index = k;
    part.first = problem_.partFirst[k];
    part.count = problem_.partFirst[k + 1] - part.first;
    part.xall.resize(problem_.npar);
    part.trial.resize(n_);
    part.dvec.resize(problem_.npar);
    if (reduceParts) {
      part.reduction.Allocate(n_);
      part.r.resize(size_t(n_) * n_);
      part.qtf.resize(n_);
    }
  }
  if (reduceParts) {
    stackedR_.resize(size_t(count) * n_ * n_);
    stackedQtf_.resize(size_t(count) * n_);
  }
  workers_ = std::make_unique<CPartWorkers>(problem_.threads);
}

int Solver::Run(double* xall, mp_result* result) {
  if (Init()) {
    if (problem_.settings.maxIter == MP_NO_ITER)
      status_ = MP_MAXITER;
    else if (Iterate() && Refinable())
      Refine();
  }
  Finish(xall, result);
  return status_;
}

bool Solver::Fail(int status) {
  status_ = status;
  return false;
}

bool Solver::Stop(int status) {
  status_ = status;
  return true;
}

bool Solver::Init() {
  for (int j = 0; j < n_; ++j) x_[j] = problem_.initial[problem_.freeIndex[j]];
  if (const int failure = CallFunction(x_.data(), fvec_.data(), nullptr)) return Fail(failure);
  fnorm_ = enorm(m_, fvec_.data());
  orignorm_ = fnorm_ * fnorm_;
  return true;
}

// One outer pass per Jacobian; the inner loop tries steps from x_, each on
// a smaller trust region, until one is taken.
bool Solver::Iterate() {
  for (;;) {
    if (!Linearize()) return false;
    if (firstIteration_) InitializeScaling();
    ComputeGradientNorm();
    if (GtolReached()) return Stop(MP_OK_DIR);
    UpdateScaling();
    do {
      ComputeTrustRegionStep();
      if (!EvaluateCandidate()) return false;
      UpdateTrustRegion();
      if (StepAccepted()) HandleSuccessfulStep();
      if (const int status = StopStatus()) return Stop(status);
    } while (!StepAccepted());
  }
}

bool Solver::Linearize() {
  if (const int failure = ComputeJacobian(TDifferences::forward)) return Fail(failure);
  HoldPeggedParameters();
  FactorizeJacobian();
  return true;
}

// Calls the user function at the free values xfree (fixed ones as given),
// all parts at once.
int Solver::CallFunction(const double* xfree, double* fvec, double** dvec, bool checkFinite) {
  ++nfev_;
  auto task = [&](int k) {
    Part& part = parts_[k];
    part.status = CallPart(part, xfree, fvec, dvec, checkFinite);
  };
  workers_->Run(problem_.partCount(), task);
  return PartsStatus();
}

// The call for one part: fvec and dvec address all rows, the user sees the
// part's own.
int Solver::CallPart(Part& part, const double* xfree, double* fvec, double** dvec,
                     bool checkFinite) {
  ++part.calls;
  std::copy(problem_.initial, problem_.initial + problem_.npar, part.xall.begin());
  for (int j = 0; j < n_; ++j) part.xall[problem_.freeIndex[j]] = xfree[j];
  double* rows = fvec + part.first;
  double** columns = nullptr;
  if (dvec) {
    for (int i = 0; i < problem_.npar; ++i)
      part.dvec[i] = dvec[i] ? dvec[i] + part.first : nullptr;
    columns = part.dvec.data();
  }
  const int rc = problem_.partFunction
      ? problem_.partFunction(part.index, part.count, problem_.npar, part.xall.data(), rows,
                              columns, problem_.privateData)
      : problem_.function(m_, problem_.npar, part.xall.data(), rows, columns,
                          problem_.privateData);
  if (rc < 0) return rc;
  if (checkFinite && problem_.settings.finiteCheck && !AllFinite(rows, part.count))
    return MP_ERR_NAN;
  return 0;
}

// The failure of the first part that failed, so that the status does not
// depend on which thread finished first; 0 when all succeeded.
int Solver::PartsStatus() const {
  for (const Part& part : parts_)
    if (part.status != 0) return part.status;
  return 0;
}

bool Solver::AtLower(int j) const {
  return problem_.hasLower[j] && x_[j] == problem_.lower[j];
}
bool Solver::AtUpper(int j) const {
  return problem_.hasUpper[j] && x_[j] == problem_.upper[j];
}

int Solver::CountPegged() const {
  int count = 0;
  for (int j = 0; j < n_; ++j) count += AtLower(j) || AtUpper(j);
  return count;
}

// A parameter on a limit whose descent direction points out of the box is
// held: its Jacobian column is cleared, so the step leaves it where it is.
void Solver::HoldPeggedParameters() {
  if (!problem_.anyLimit) return;
  for (int j = 0; j < n_; ++j) {
    const bool lower = AtLower(j), upper = AtUpper(j);
    if (!lower && !upper) continue;
    double* column = JacobianColumn(j);
    double gradient = 0;
    for (int i = 0; i < m_; ++i) gradient += fvec_[i] * column[i];
    if ((lower && gradient > 0) || (upper && gradient < 0))
      std::fill(column, column + m_, 0.0);
  }
}

// QR factorisation with column pivoting, then Q^T fvec into qtf_ and R's
// diagonal back into the upper triangle of fjac_. A tall Jacobian is first
// reduced to an n_ x n_ triangle (with Q^T fvec carried along), and the
// pivoted factorisation works on that: same R and Q^T fvec, far less work.
void Solver::FactorizeJacobian() {
  int rows = m_;
  if (reduceRows_) {
    ReduceRows();
    rows = n_;
  } else {
    std::copy(fvec_.begin(), fvec_.end(), ftrial_.begin());
  }
  ldfjac_ = rows;
  qrfac(rows, n_, fjac_.data(), ldfjac_, 1, ipvt_.data(), n_, rdiag_.data(),
        acnorm_.data(), work1_.data());
  for (int j = 0; j < n_; ++j) {
    double* column = RColumn(j);
    if (column[j] != 0) {
      double sum = 0;
      for (int i = j; i < rows; ++i) sum += column[i] * ftrial_[i];
      const double t = -sum / column[j];
      for (int i = j; i < rows; ++i) ftrial_[i] += column[i] * t;
    }
    column[j] = rdiag_[j];
    qtf_[j] = ftrial_[j];
  }
}

// The tall Jacobian with fvec_ reduced to an n_ x n_ triangle in fjac_ and
// Q^T fvec_ in ftrial_. Several parts reduce their own rows at once, then
// their triangles, stacked, are reduced in turn.
void Solver::ReduceRows() {
  const int count = problem_.partCount();
  if (count == 1) {
    reduction_.Reduce(m_, n_, fjac_.data(), fvec_.data(), fjac_.data(), ftrial_.data());
    return;
  }
  auto task = [&](int k) {
    Part& part = parts_[k];
    part.reduction.Reduce(part.count, n_, fjac_.data() + part.first, m_,
                          fvec_.data() + part.first, part.r.data(), part.qtf.data());
  };
  workers_->Run(count, task);
  const int rows = count * n_;
  for (int k = 0; k < count; ++k) {
    const Part& part = parts_[k];
    for (int j = 0; j < n_; ++j)
      std::copy_n(&part.r[size_t(j) * n_], n_, &stackedR_[size_t(j) * rows + size_t(k) * n_]);
    std::copy_n(part.qtf.begin(), n_, &stackedQtf_[size_t(k) * n_]);
  }
  reduction_.Reduce(rows, n_, stackedR_.data(), stackedQtf_.data(), fjac_.data(),
                    ftrial_.data());
}

double Solver::ScaledNorm(const std::vector<double>& v) {
  for (int j = 0; j < n_; ++j) work3_[j] = diag_[j] * v[j];
  return enorm(n_, work3_.data());
}

// Scale factors are the Jacobian's column norms (1 for a zero column, or all
// 1 when the caller scales); the radius starts at stepfactor |diag * x|, or
// at stepfactor when that is zero.
void Solver::InitializeScaling() {
  for (int j = 0; j < n_; ++j)
    diag_[j] = (problem_.settings.userScale || acnorm_[j] == 0) ? 1.0 : acnorm_[j];
  xnorm_ = ScaledNorm(x_);
  delta_ = problem_.settings.stepFactor * xnorm_;
  if (delta_ == 0) delta_ = problem_.settings.stepFactor;
}

// gnorm = max_j |(J^T f)_j| / (|f| |J_j|), over columns with a nonzero norm;
// 0 when f = 0. Formed from R and Q^T f, column j of R belonging to
// parameter ipvt[j].
void Solver::ComputeGradientNorm() {
  gnorm_ = 0;
  if (fnorm_ == 0) return;
  for (int j = 0; j < n_; ++j) {
    const int l = ipvt_[j] - 1;
    if (acnorm_[l] == 0) continue;
    const double* column = RColumn(j);
    double sum = 0;
    for (int i = 0; i <= j; ++i) sum += column[i] * (qtf_[i] / fnorm_);
    gnorm_ = std::max(gnorm_, std::fabs(sum / acnorm_[l]));
  }
}

void Solver::UpdateScaling() {
  if (problem_.settings.userScale) return;
  for (int j = 0; j < n_; ++j) diag_[j] = std::max(diag_[j], acnorm_[j]);
}

// The first trial also caps the radius at the length of its step.
void Solver::ComputeTrustRegionStep() {
  lmpar(n_, fjac_.data(), ldfjac_, ipvt_.data(), diag_.data(), qtf_.data(), delta_,
        &par_, step_.data(), work1_.data(), work2_.data(), work3_.data());
  for (double& s : step_) s = -s;  // lmpar solves for -step
  PlaceTrial();
  pnorm_ = ScaledNorm(step_);
  if (firstIteration_) delta_ = std::min(delta_, pnorm_);
}

void Solver::PlaceTrial() {
  stepCut_ = false;
  if (problem_.anyLimit) {
    KeepStepInsideLimits();
  } else {
    for (int j = 0; j < n_; ++j) trial_[j] = x_[j] + step_[j];
  }
}

// Drops step components that push a pegged parameter outwards, shortens the
// step so that it ends inside the box, and puts the parameter that stopped it
// exactly on its limit.
void Solver::KeepStepInsideLimits() {
  double fraction = 1;  // of the step that stays inside the limits
  int stopper = -1;
  bool stopperAtUpper = false;
  for (int j = 0; j < n_; ++j) {
    double& s = step_[j];
    if ((AtLower(j) && s < 0) || (AtUpper(j) && s > 0)) {
      s = 0;
      stepCut_ = true;
    }
    if (s < 0 && problem_.hasLower[j] && x_[j] + s < problem_.lower[j]) {
      const double t = (problem_.lower[j] - x_[j]) / s;
      if (t < fraction) {
        fraction = t;
        stopper = j;
        stopperAtUpper = false;
      }
    }
    if (s > 0 && problem_.hasUpper[j] && x_[j] + s > problem_.upper[j]) {
      const double t = (problem_.upper[j] - x_[j]) / s;
      if (t < fraction) {
        fraction = t;
        stopper = j;
        stopperAtUpper = true;
      }
    }
  }
  if (stopper >= 0) stepCut_ = true;
  for (int j = 0; j < n_; ++j) {
    step_[j] *= fraction;
    double value = x_[j] + step_[j];
    if (problem_.hasLower[j]) value = std::max(value, problem_.lower[j]);
    if (problem_.hasUpper[j]) value = std::min(value, problem_.upper[j]);
    trial_[j] = value;
  }
  if (stopper >= 0)
    trial_[stopper] = stopperAtUpper ? problem_.upper[stopper] : problem_.lower[stopper];
  for (int j = 0; j < n_; ++j) step_[j] = trial_[j] - x_[j];
}

bool Solver::EvaluateCandidate() {
  if (const int failure = EvaluateTrial()) return Fail(failure);
  return true;
}

// A trial with non-finite residuals (a step into a region where the model
// overflows) counts as infinitely bad: the step is refused and the trust
// region shrinks, as for any step that does not reduce the norm.
int Solver::EvaluateTrial() {
  if (const int failure = CallFunction(trial_.data(), ftrial_.data(), nullptr, false))
    return failure;
  ftrialNorm_ = AllFinite(ftrial_.data(), m_) ? enorm(m_, ftrial_.data()) : HUGE_VAL;
  return 0;
}

// Reductions of the squared norm, relative to |f|^2, that the linear model
// predicts for step_. For an uncut LM step lmdif's formulas are used:
//   prered = |R P^T p|^2 / |f|^2 + 2 par |D p|^2 / |f|^2,
//   dirder = -(|R P^T p|^2 / |f|^2 + par |D p|^2 / |f|^2).
// A step cut by the limits is measured on the model directly:
//   prered = -(2 f^T J p + |J p|^2) / |f|^2,  dirder = f^T J p / |f|^2.
void Solver::PredictReduction() {
  for (int j = 0; j < n_; ++j) {
    rstep_[j] = 0;
    const double s = step_[ipvt_[j] - 1];
    const double* column = RColumn(j);
    for (int i = 0; i <= j; ++i) rstep_[i] += column[i] * s;
  }
  if (!stepCut_) {
    const double t1 = enorm(n_, rstep_.data()) / fnorm_;
    const double t2 = std::sqrt(par_) * pnorm_ / fnorm_;
    prered_ = t1 * t1 + 2 * (t2 * t2);
    dirder_ = -(t1 * t1 + t2 * t2);
    return;
  }
  double dot = 0, rs2 = 0;
  for (int j = 0; j < n_; ++j) {
    dot += qtf_[j] / fnorm_ * (rstep_[j] / fnorm_);
    rs2 += (rstep_[j] / fnorm_) * (rstep_[j] / fnorm_);
  }
  prered_ = -(2 * dot + rs2);
  dirder_ = dot;
}

// actred = 1 - (|f_trial| / |f|)^2, or -1 after a blow-up;
// ratio = actred / prered (0 when nothing was predicted). A poor ratio
// shrinks the radius, a good one doubles it from the step length.
void Solver::UpdateTrustRegion() {
  actred_ = -1;
  if (kBlowUp * ftrialNorm_ < fnorm_) {
    const double t = ftrialNorm_ / fnorm_;
    actred_ = 1 - t * t;
  }
  PredictReduction();
  ratio_ = prered_ != 0 ? actred_ / prered_ : 0;
  if (ratio_ <= kPoorRatio)
    ShrinkTrustRegion();
  else if (par_ == 0 || ratio_ >= kGoodRatio)
    GrowTrustRegion();
}

// The shrink factor t is kDefaultShrink when the norm went down, else the
// minimum of the quadratic through the norms along the step,
//   t = (dirder / 2) / (dirder + actred / 2),
// but never below kLeastShrink; then delta = t min(delta, pnorm / kLeastShrink)
// and par = par / t.
void Solver::ShrinkTrustRegion() {
  double t = actred_ >= 0 ? kDefaultShrink : 0.5 * dirder_ / (dirder_ + 0.5 * actred_);
  if (kBlowUp * ftrialNorm_ >= fnorm_ || t < kLeastShrink || !std::isfinite(t))
    t = kLeastShrink;
  delta_ = t * std::min(delta_, pnorm_ / kLeastShrink);
  par_ /= t;
}

void Solver::GrowTrustRegion() {
  delta_ = kGrowFactor * pnorm_;
  par_ /= kGrowFactor;
}

bool Solver::StepAccepted() const { return ratio_ >= kAcceptRatio; }

void Solver::HandleSuccessfulStep() {
  x_.swap(trial_);
  fvec_.swap(ftrial_);
  xnorm_ = ScaledNorm(x_);
  fnorm_ = ftrialNorm_;
  ++niter_;
  firstIteration_ = false;
}

// gnorm <= gtol: the residuals are (nearly) orthogonal to every column of the
// Jacobian. gnorm_ is never NaN (std::max drops a NaN cosine).
bool Solver::GtolReached() const { return gnorm_ <= problem_.settings.gtol; }

// lmdif's order: the two tolerance tests (both may hold: MP_OK_BOTH = CHI +
// PAR), else the limits, else the tests that the tolerances cannot be met.
int Solver::StopStatus() const {
  int status = 0;
  if (FtolReached()) status = MP_OK_CHI;
  if (XtolReached()) status += MP_OK_PAR;
  if (status != 0) return status;
  if (IterationLimitReached()) return MP_MAXITER;
  if (FtolTooSmall()) return MP_FTOL;
  if (XtolTooSmall()) return MP_XTOL;
  if (GtolTooSmall()) return MP_GTOL;
  return 0;
}

// |actred| <= tol, prered <= tol and actred <= kConvergedRatioLimit prered.
bool Solver::ReductionsWithin(double tolerance) const {
  return std::fabs(actred_) <= tolerance && prered_ <= tolerance &&
         ratio_ <= kConvergedRatioLimit;
}

// Relative reductions of chi-square, actual and predicted, within ftol.
bool Solver::FtolReached() const { return ReductionsWithin(problem_.settings.ftol); }

// delta <= xtol |diag * x|: the trust region has shrunk to a relative xtol.
bool Solver::XtolReached() const { return delta_ <= problem_.settings.xtol * xnorm_; }

// nfev >= maxfev (when set) or niter >= maxiter.
bool Solver::IterationLimitReached() const {
  const Settings& s = problem_.settings;
  return (s.maxFev > 0 && nfev_ >= s.maxFev) || niter_ >= s.maxIter;
}

// The ftol test with machine precision: no further reduction is possible.
bool Solver::FtolTooSmall() const { return ReductionsWithin(kEpsilon); }

// delta <= eps |diag * x|: no further improvement of x is possible.
bool Solver::XtolTooSmall() const { return delta_ <= kEpsilon * xnorm_; }

// gnorm <= eps: f is orthogonal to the Jacobian to machine precision.
bool Solver::GtolTooSmall() const { return gnorm_ <= kEpsilon; }

// Tall problems (those whose rows are reduced first) skip the refinement:
// there the forward-difference solution already lies far inside the
// statistical errors of the parameters, and the central Jacobians would cost
// 2n evaluations of many points each.
bool Solver::Refinable() const {
  return status_ > 0 && status_ != MP_MAXITER && fnorm_ > 0 && !reduceRows_;
}

// The tolerance tests stop as soon as the predicted gain is small, which
// leaves the parameters correct to only about half the digits the data
// allow. A few Gauss-Newton steps on central-difference Jacobians take them
// further, each halved until it helps. A step that lowers the norm by more
// than rounding is kept; near the minimum, where the norm no longer resolves
// the steps, one is kept when the gradient shrinks and the norm does not grow
// beyond rounding. Otherwise the previous point stays.
// A central Jacobian costs 2 n_ calls, a trial one more.
void Solver::Refine() {
  double gradient = 0;
  if (!HasBudget(2 * n_) || !LinearizeCentral(gradient)) return;
  for (int k = 0; k < kRefinementSteps && RefinementStep(gradient); ++k) {
  }
}

bool Solver::RefinementStep(double& gradient) {
  // An unbounded radius makes lmpar's step the Gauss-Newton one.
  double par = 0;
  lmpar(n_, fjac_.data(), ldfjac_, ipvt_.data(), diag_.data(), qtf_.data(), HUGE_VAL, &par,
        step_.data(), work1_.data(), work2_.data(), work3_.data());
  for (double& s : step_) s = -s;
  direction_ = step_;
  for (int h = 0; h < kRefinementHalvings; ++h) {
    if (!HasBudget(2 * n_ + 1)) return false;
    const double scale = std::ldexp(1.0, -h);
    for (int j = 0; j < n_; ++j) step_[j] = direction_[j] * scale;
    PlaceTrial();
    if (EvaluateTrial() != 0) return false;
    const double rounding = fnorm_ * kNormRounding;
    if (!(ftrialNorm_ <= fnorm_ + rounding)) continue;
    const bool clearGain = ftrialNorm_ < fnorm_ - rounding;
    xBackup_ = x_;
    fBackup_ = fvec_;
    const double fnormBefore = fnorm_;
    HandleSuccessfulStep();
    double newGradient = 0;
    if (LinearizeCentral(newGradient) && (clearGain || newGradient < gradient)) {
      gradient = newGradient;
      return true;
    }
    x_.swap(xBackup_);
    fvec_.swap(fBackup_);
    fnorm_ = fnormBefore;
    xnorm_ = ScaledNorm(x_);
    --niter_;
    return false;
  }
  return false;
}

bool Solver::HasBudget(int evaluations) const {
  return problem_.settings.maxFev <= 0 || nfev_ + evaluations <= problem_.settings.maxFev;
}

// gradient = |J^T f| = |R^T Q^T f|.
bool Solver::LinearizeCentral(double& gradient) {
  if (ComputeJacobian(TDifferences::central) != 0) return false;
  HoldPeggedParameters();
  FactorizeJacobian();
  for (int j = 0; j < n_; ++j) {
    const double* column = RColumn(j);
    double sum = 0;
    for (int i = 0; i <= j; ++i) sum += column[i] * qtf_[i];
    work1_[j] = sum;
  }
  gradient = enorm(n_, work1_.data());
  return true;
}

// Covariance of the free parameters from a central-difference Jacobian at
// the final values: (J^T J)^-1, with columns of rank below covtol left at
// zero. A failing Jacobian leaves covar and xerror zero.
void Solver::WriteCovariance(double* covar, double* xerror) {
  const int npar = problem_.npar;
  if (covar) std::fill(covar, covar + size_t(npar) * npar, 0.0);
  if (xerror) std::fill(xerror, xerror + npar, 0.0);
  if (ComputeJacobian(TDifferences::central) != 0) return;
  HoldPeggedParameters();
  FactorizeJacobian();
  ::covar(n_, fjac_.data(), ldfjac_, ipvt_.data(), problem_.settings.covtol, work1_.data());
  for (int j = 0; j < n_; ++j) {
    const int pj = problem_.freeIndex[j];
    for (int i = 0; i < n_; ++i) {
      const double c = RColumn(j)[i];
      if (covar) covar[size_t(problem_.freeIndex[i]) * npar + pj] = c;
    }
    const double v = RColumn(j)[j];
    if (xerror && v >= 0) xerror[pj] = std::sqrt(v);
  }
}

void Solver::Finish(double* xall, mp_result* result) {
  const bool success = status_ > 0;
  if (success)
    for (int j = 0; j < n_; ++j) xall[problem_.freeIndex[j]] = x_[j];
  if (result == nullptr) return;
  result->bestnorm = fnorm_ * fnorm_;
  result->orignorm = orignorm_;
  result->niter = niter_;
  result->status = status_;
  result->npar = problem_.npar;
  result->nfree = n_;
  result->npegged = CountPegged();
  result->nfunc = m_;
  if (success && result->resid) std::copy(fvec_.begin(), fvec_.end(), result->resid);
  if (success && (result->covar || result->xerror))
    WriteCovariance(result->covar, result->xerror);
  result->nfev = nfev_;
}

}  // namespace mpfit_internal
