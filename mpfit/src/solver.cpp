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

constexpr double kEpsilon = MP_MACHEP0;

bool AllFinite(const double* v, int n) {
  return std::all_of(v, v + n, [](double d) { return std::isfinite(d); });
}

// Tall Jacobians are reduced to a triangle before the pivoted factorisation.
// Below a thousand rows the factorisation of the whole matrix costs little,
// and keeping it leaves small fits exactly as plain MINPACK computes them.
bool ReduceRowsFirst(int m, int n) { return m >= 1000 && m >= 8 * n; }

}  // namespace

void FailNextAllocationForTesting() { g_failNextAllocation = true; }

Solver::Solver(const Problem& problem)
    : p_(problem), m_(problem.m), n_(problem.nfree()),
      ldr_(problem.m), reduceRows_(ReduceRowsFirst(problem.m, problem.nfree())) {}

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
    dvec_.assign(p_.anyUserDerivative ? p_.npar : 0, nullptr);
    bool anyDebug = false;
    for (int j = 0; j < n_; ++j) {
      if (p_.derivative[j].side == 3) dvec_[p_.freeIndex[j]] = &fjac_[size_t(j) * m];
      anyDebug = anyDebug || p_.derivative[j].debug;
    }
    if (anyDebug) debugUser_.resize(m * n);
    AllocateParts();
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void Solver::AllocateParts() {
  const int count = p_.partCount();
  const bool reduceParts = reduceRows_ && count > 1;
  parts_.resize(count);
  for (int k = 0; k < count; ++k) {
    Part& part = parts_[k];
    part.index = k;
    part.first = p_.partFirst[k];
    part.count = p_.partFirst[k + 1] - part.first;
    part.xall.resize(p_.npar);
    part.trial.resize(n_);
    part.dvec.resize(p_.npar);
    if (reduceParts) {
      part.reduction.Allocate(n_);
      part.r.resize(size_t(n_) * n_);
      part.qf.resize(n_);
    }
  }
  if (reduceParts) {
    stacked_.resize(size_t(count) * n_ * n_);
    stackedF_.resize(size_t(count) * n_);
  }
  workers_ = std::make_unique<CPartWorkers>(p_.threads);
}

int Solver::Run(double* xall, mp_result* result) {
  if (Init()) {
    if (p_.settings.maxIter == MP_NO_ITER)
      status_ = MP_MAXITER;
    else if (Iterate() && Refinable() && !reduceRows_)
      Refine();
  }
  Finish(xall, result);
  return status_;
}

bool Solver::Init() {
  for (int j = 0; j < n_; ++j) x_[j] = p_.initial[p_.freeIndex[j]];
  if (!CallFunction(x_.data(), fvec_.data(), nullptr)) return false;
  fnorm_ = enorm(m_, fvec_.data());
  orignorm_ = fnorm_ * fnorm_;
  return true;
}

bool Solver::Iterate() {
  for (;;) {
    if (!ComputeJacobian()) return false;
    HoldPeggedParameters();
    FactorizeJacobian();
    if (firstIteration_) InitializeScaling();
    if (GradientConverged()) return true;
    UpdateScaling();
    do {
      ComputeTrustRegionStep();
      if (!EvaluateCandidate()) return false;
      UpdateTrustRegion();
      if (StepAccepted()) HandleSuccessfulStep();
      if (Converged()) return true;
    } while (!StepAccepted());
  }
}

// Calls the user function at the free values xfree (fixed ones as given),
// all parts at once.
bool Solver::CallFunction(const double* xfree, double* fvec, double** dvec,
                          bool checkFinite) {
  ++nfev_;
  auto task = [&](int k) {
    Part& part = parts_[k];
    part.status = CallPart(part, xfree, fvec, dvec, checkFinite);
  };
  workers_->Run(p_.partCount(), task);
  return PartsSucceeded();
}

// The call for one part: fvec and dvec address all rows, the user sees the
// part's own.
int Solver::CallPart(Part& part, const double* xfree, double* fvec, double** dvec,
                     bool checkFinite) {
  ++part.calls;
  std::copy(p_.initial, p_.initial + p_.npar, part.xall.begin());
  for (int j = 0; j < n_; ++j) part.xall[p_.freeIndex[j]] = xfree[j];
  double* rows = fvec + part.first;
  double** columns = nullptr;
  if (dvec) {
    for (int i = 0; i < p_.npar; ++i) part.dvec[i] = dvec[i] ? dvec[i] + part.first : nullptr;
    columns = part.dvec.data();
  }
  const int rc = p_.partFunction
      ? p_.partFunction(part.index, part.count, p_.npar, part.xall.data(), rows, columns,
                        p_.privateData)
      : p_.function(m_, p_.npar, part.xall.data(), rows, columns, p_.privateData);
  if (rc < 0) return rc;
  if (checkFinite && p_.settings.finiteCheck && !AllFinite(rows, part.count))
    return MP_ERR_NAN;
  return 0;
}

// The failure of the first part that failed, so that the status does not
// depend on which thread finished first.
bool Solver::PartsSucceeded() {
  for (const Part& part : parts_) {
    if (part.status != 0) {
      status_ = part.status;
      return false;
    }
  }
  return true;
}

bool Solver::AtLower(int j) const { return p_.hasLower[j] && x_[j] == p_.lower[j]; }
bool Solver::AtUpper(int j) const { return p_.hasUpper[j] && x_[j] == p_.upper[j]; }

int Solver::CountPegged() const {
  int count = 0;
  for (int j = 0; j < n_; ++j) count += AtLower(j) || AtUpper(j);
  return count;
}

// A parameter on a limit whose descent direction points out of the box is
// held: its Jacobian column is cleared, so the step leaves it where it is.
void Solver::HoldPeggedParameters() {
  if (!p_.anyLimit) return;
  for (int j = 0; j < n_; ++j) {
    const bool lower = AtLower(j), upper = AtUpper(j);
    if (!lower && !upper) continue;
    double* column = &fjac_[size_t(j) * m_];
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
  ldr_ = rows;
  qrfac(rows, n_, fjac_.data(), ldr_, 1, ipvt_.data(), n_, rdiag_.data(),
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
  const int count = p_.partCount();
  if (count == 1) {
    reduction_.Reduce(m_, n_, fjac_.data(), fvec_.data(), fjac_.data(), ftrial_.data());
    return;
  }
  auto task = [&](int k) {
    Part& part = parts_[k];
    part.reduction.Reduce(part.count, n_, fjac_.data() + part.first, m_,
                          fvec_.data() + part.first, part.r.data(), part.qf.data());
  };
  workers_->Run(count, task);
  const int rows = count * n_;
  for (int k = 0; k < count; ++k) {
    const Part& part = parts_[k];
    for (int j = 0; j < n_; ++j)
      std::copy_n(&part.r[size_t(j) * n_], n_, &stacked_[size_t(j) * rows + size_t(k) * n_]);
    std::copy_n(part.qf.begin(), n_, &stackedF_[size_t(k) * n_]);
  }
  reduction_.Reduce(rows, n_, stacked_.data(), stackedF_.data(), fjac_.data(), ftrial_.data());
}

double Solver::ScaledNorm(const std::vector<double>& v) {
  for (int j = 0; j < n_; ++j) work3_[j] = diag_[j] * v[j];
  return enorm(n_, work3_.data());
}

void Solver::InitializeScaling() {
  for (int j = 0; j < n_; ++j)
    diag_[j] = (p_.settings.userScale || acnorm_[j] == 0) ? 1.0 : acnorm_[j];
  xnorm_ = ScaledNorm(x_);
  delta_ = p_.settings.stepFactor * xnorm_;
  if (delta_ == 0) delta_ = p_.settings.stepFactor;
}

// Largest cosine between the residual vector and a Jacobian column.
bool Solver::GradientConverged() {
  gnorm_ = 0;
  if (fnorm_ != 0) {
    for (int j = 0; j < n_; ++j) {
      const int l = ipvt_[j] - 1;
      if (acnorm_[l] == 0) continue;
      const double* column = RColumn(j);
      double sum = 0;
      for (int i = 0; i <= j; ++i) sum += column[i] * (qtf_[i] / fnorm_);
      gnorm_ = std::max(gnorm_, std::fabs(sum / acnorm_[l]));
    }
  }
  if (gnorm_ > p_.settings.gtol) return false;
  status_ = MP_OK_DIR;
  return true;
}

void Solver::UpdateScaling() {
  if (p_.settings.userScale) return;
  for (int j = 0; j < n_; ++j) diag_[j] = std::max(diag_[j], acnorm_[j]);
}

void Solver::ComputeTrustRegionStep() {
  lmpar(n_, fjac_.data(), ldr_, ipvt_.data(), diag_.data(), qtf_.data(), delta_,
        &par_, step_.data(), work1_.data(), work2_.data(), work3_.data());
  for (double& s : step_) s = -s;  // lmpar solves for -step
  PlaceTrial();
  pnorm_ = ScaledNorm(step_);
  if (firstIteration_) delta_ = std::min(delta_, pnorm_);
}

// The candidate is x_ + step_, kept inside the limits.
void Solver::PlaceTrial() {
  alpha_ = 1;
  stepCut_ = false;
  if (p_.anyLimit) {
    KeepStepInsideLimits();
  } else {
    for (int j = 0; j < n_; ++j) trial_[j] = x_[j] + step_[j];
  }
}

// Drops step components that push a pegged parameter outwards, shortens the
// step so that it ends inside the box, and puts the parameter that stopped it
// exactly on its limit.
void Solver::KeepStepInsideLimits() {
  int stopper = -1;
  bool stopperAtUpper = false;
  for (int j = 0; j < n_; ++j) {
    double& s = step_[j];
    if ((AtLower(j) && s < 0) || (AtUpper(j) && s > 0)) {
      s = 0;
      stepCut_ = true;
    }
    if (s < 0 && p_.hasLower[j] && x_[j] + s < p_.lower[j]) {
      const double t = (p_.lower[j] - x_[j]) / s;
      if (t < alpha_) {
        alpha_ = t;
        stopper = j;
        stopperAtUpper = false;
      }
    }
    if (s > 0 && p_.hasUpper[j] && x_[j] + s > p_.upper[j]) {
      const double t = (p_.upper[j] - x_[j]) / s;
      if (t < alpha_) {
        alpha_ = t;
        stopper = j;
        stopperAtUpper = true;
      }
    }
  }
  if (stopper >= 0) stepCut_ = true;
  for (int j = 0; j < n_; ++j) {
    step_[j] *= alpha_;
    double value = x_[j] + step_[j];
    if (p_.hasLower[j]) value = std::max(value, p_.lower[j]);
    if (p_.hasUpper[j]) value = std::min(value, p_.upper[j]);
    trial_[j] = value;
  }
  if (stopper >= 0)
    trial_[stopper] = stopperAtUpper ? p_.upper[stopper] : p_.lower[stopper];
  for (int j = 0; j < n_; ++j) step_[j] = trial_[j] - x_[j];
}

// A candidate with non-finite residuals (a step into a region where the
// model overflows) counts as infinitely bad: the step is refused and the
// trust region shrinks, as for any step that does not reduce the norm.
bool Solver::EvaluateCandidate() {
  if (!CallFunction(trial_.data(), ftrial_.data(), nullptr, false)) return false;
  ftrialNorm_ = AllFinite(ftrial_.data(), m_) ? enorm(m_, ftrial_.data()) : HUGE_VAL;
  return true;
}

// Reductions of the squared norm, relative to |f|^2, that the linear model
// predicts for step_. For an uncut LM step the lmdif formula is used; a step
// cut by the limits is measured on the model directly.
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
    prered_ = t1 * t1 + t2 * t2 / 0.5;
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

void Solver::UpdateTrustRegion() {
  actred_ = -1;
  if (0.1 * ftrialNorm_ < fnorm_) {
    const double t = ftrialNorm_ / fnorm_;
    actred_ = 1 - t * t;
  }
  PredictReduction();
  ratio_ = prered_ != 0 ? actred_ / prered_ : 0;
  if (ratio_ <= 0.25) {
    double t = actred_ >= 0 ? 0.5 : 0.5 * dirder_ / (dirder_ + 0.5 * actred_);
    if (0.1 * ftrialNorm_ >= fnorm_ || t < 0.1 || !std::isfinite(t)) t = 0.1;
    delta_ = t * std::min(delta_, pnorm_ / 0.1);
    par_ /= t;
  } else if (par_ == 0 || ratio_ >= 0.75) {
    delta_ = pnorm_ / 0.5;
    par_ *= 0.5;
  }
}

bool Solver::Refinable() const {
  return status_ > 0 && status_ != MP_MAXITER && fnorm_ > 0;
}

// The tolerance tests stop as soon as the predicted gain is small, which
// leaves the parameters correct to only about half the digits the data
// allow. A few Gauss-Newton steps on central-difference Jacobians take them
// further, each halved until it helps. A step that lowers the norm by more
// than rounding is kept; near the minimum, where the norm no longer resolves
// the steps, one is kept when the gradient shrinks and the norm does not grow
// beyond rounding. Otherwise the previous point stays.
// Tall problems (those whose rows are reduced first) skip it: there the
// forward-difference solution already lies far inside the statistical
// errors of the parameters, and the central Jacobians would cost 2n
// evaluations of many points each.
void Solver::Refine() {
  constexpr int kMaxSteps = 4;
  const int status = status_;
  centralDifferences_ = true;
  double gradient = 0;
  if (HasBudget(2 * n_) && LinearizeAtCurrent(gradient)) {
    for (int k = 0; k < kMaxSteps && RefinementStep(gradient); ++k) {
    }
  }
  centralDifferences_ = false;
  status_ = status;
}

// One refinement step from x_; false when no step was kept.
bool Solver::RefinementStep(double& gradient) {
  constexpr int kHalvings = 4;
  constexpr double kNormRounding = 1e-13;
  double par = 0;
  lmpar(n_, fjac_.data(), ldr_, ipvt_.data(), diag_.data(), qtf_.data(), HUGE_VAL, &par,
        step_.data(), work1_.data(), work2_.data(), work3_.data());
  for (double& s : step_) s = -s;
  direction_ = step_;
  for (int h = 0; h < kHalvings; ++h) {
    if (!HasBudget(2 * n_ + 1)) return false;
    const double scale = std::ldexp(1.0, -h);
    for (int j = 0; j < n_; ++j) step_[j] = direction_[j] * scale;
    PlaceTrial();
    if (!EvaluateCandidate()) return false;
    const double rounding = fnorm_ * kNormRounding;
    if (!(ftrialNorm_ <= fnorm_ + rounding)) continue;
    const bool clearGain = ftrialNorm_ < fnorm_ - rounding;
    xBackup_ = x_;
    fBackup_ = fvec_;
    const double fnormBefore = fnorm_;
    HandleSuccessfulStep();
    double newGradient = 0;
    if (LinearizeAtCurrent(newGradient) && (clearGain || newGradient < gradient)) {
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
  return p_.settings.maxFev <= 0 || nfev_ + evaluations <= p_.settings.maxFev;
}

// Jacobian and its QR at x_; gradient receives |J^T f| = |R^T Q^T f|.
bool Solver::LinearizeAtCurrent(double& gradient) {
  if (!ComputeJacobian()) return false;
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

bool Solver::StepAccepted() const { return ratio_ >= 1e-4; }

void Solver::HandleSuccessfulStep() {
  x_.swap(trial_);
  fvec_.swap(ftrial_);
  xnorm_ = ScaledNorm(x_);
  fnorm_ = ftrialNorm_;
  ++niter_;
  firstIteration_ = false;
}

bool Solver::Converged() {
  const Settings& s = p_.settings;
  int status = 0;
  if (std::fabs(actred_) <= s.ftol && prered_ <= s.ftol && 0.5 * ratio_ <= 1)
    status = MP_OK_CHI;
  if (delta_ <= s.xtol * xnorm_) status += MP_OK_PAR;
  if (status == 0) {
    if ((s.maxFev > 0 && nfev_ >= s.maxFev) || niter_ >= s.maxIter)
      status = MP_MAXITER;
    else if (std::fabs(actred_) <= kEpsilon && prered_ <= kEpsilon && 0.5 * ratio_ <= 1)
      status = MP_FTOL;
    else if (delta_ <= kEpsilon * xnorm_)
      status = MP_XTOL;
    else if (gnorm_ <= kEpsilon)
      status = MP_GTOL;
  }
  status_ = status;
  return status != 0;
}

// Covariance of the free parameters from a central-difference Jacobian at
// the final values: (J^T J)^-1, with columns of rank below covtol left at zero.
void Solver::WriteCovariance(double* covar, double* xerror) {
  const int npar = p_.npar;
  if (covar) std::fill(covar, covar + size_t(npar) * npar, 0.0);
  if (xerror) std::fill(xerror, xerror + npar, 0.0);
  const int status = status_;
  centralDifferences_ = true;
  const bool ok = ComputeJacobian();
  centralDifferences_ = false;
  status_ = status;
  if (!ok) return;
  HoldPeggedParameters();
  FactorizeJacobian();
  ::covar(n_, fjac_.data(), ldr_, ipvt_.data(), p_.settings.covtol, work1_.data());
  for (int j = 0; j < n_; ++j) {
    const int pj = p_.freeIndex[j];
    for (int i = 0; i < n_; ++i) {
      const double c = RColumn(j)[i];
      if (covar) covar[size_t(p_.freeIndex[i]) * npar + pj] = c;
    }
    const double v = RColumn(j)[j];
    if (xerror && v >= 0) xerror[pj] = std::sqrt(v);
  }
}

void Solver::Finish(double* xall, mp_result* result) {
  const bool success = status_ > 0;
  if (success)
    for (int j = 0; j < n_; ++j) xall[p_.freeIndex[j]] = x_[j];
  if (result == nullptr) return;
  result->bestnorm = fnorm_ * fnorm_;
  result->orignorm = orignorm_;
  result->niter = niter_;
  result->status = status_;
  result->npar = p_.npar;
  result->nfree = n_;
  result->npegged = CountPegged();
  result->nfunc = m_;
  if (success && result->resid) std::copy(fvec_.begin(), fvec_.end(), result->resid);
  if (success && (result->covar || result->xerror))
    WriteCovariance(result->covar, result->xerror);
  result->nfev = nfev_;
}

}  // namespace mpfit_internal
