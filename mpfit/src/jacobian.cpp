// Jacobian of the residuals at the current free parameters: user-supplied
// columns for parameters with side 3, finite differences for the others.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "solver.h"

namespace mpfit_internal {

bool Solver::InsideLimits(int j, double value) const {
  return !(p_.hasLower[j] && value < p_.lower[j]) &&
         !(p_.hasUpper[j] && value > p_.upper[j]);
}

bool Solver::ComputeJacobian() {
  if (p_.anyUserDerivative && !UserDerivatives()) return false;
  // Relative step: sqrt(epsfcn) balances truncation and rounding for one-sided
  // differences; while refining, the central ones use its cube root instead.
  const double epsfcn = std::max(p_.settings.epsfcn, MP_MACHEP0);
  const double eps = centralDifferences_ ? std::cbrt(epsfcn) : std::sqrt(epsfcn);
  for (int j = 0; j < n_; ++j) {
    const DerivativeRule& rule = p_.derivative[j];
    if (rule.side == 3 && !rule.debug) continue;
    if (rule.side != 3) {
      if (!DifferenceColumn(j, eps)) return false;
      continue;
    }
    // Debug: compare the user's column with a numeric one, keep the user's.
    double* column = &fjac_[size_t(j) * m_];
    std::vector<double> user(column, column + m_);
    if (!DifferenceColumn(j, eps)) return false;
    PrintDerivativeCheck(j, user.data(), column);
    std::copy(user.begin(), user.end(), column);
  }
  return true;
}

bool Solver::UserDerivatives() {
  std::fill(dvec_.begin(), dvec_.end(), nullptr);
  for (int j = 0; j < n_; ++j)
    if (p_.derivative[j].side == 3) dvec_[p_.freeIndex[j]] = &fjac_[size_t(j) * m_];
  if (!CallFunction(x_.data(), fscratch_.data(), dvec_.data())) return false;
  for (int j = 0; j < n_; ++j) {
    if (p_.derivative[j].side != 3 || !p_.settings.finiteCheck) continue;
    const double* column = &fjac_[size_t(j) * m_];
    if (!std::all_of(column, column + m_, [](double d) { return std::isfinite(d); })) {
      status_ = MP_ERR_NAN;
      return false;
    }
  }
  return true;
}

// Signed difference step of free parameter j: automatic, absolute or
// relative size; backward for side -1; turned round when it would leave the
// limits.
double Solver::DifferenceStep(int j, double eps) const {
  const DerivativeRule& rule = p_.derivative[j];
  const double x = x_[j];
  double h = eps * std::fabs(x);
  if (rule.step > 0) h = rule.step;
  if (rule.relStep > 0) h = std::fabs(rule.relStep * x);
  if (h == 0) h = eps;
  if (rule.side == -1) h = -h;
  if (!InsideLimits(j, x + h) && InsideLimits(j, x - h)) h = -h;
  return h;
}

// Column j by a one-sided difference, or a central one (side 2, or while
// refining) when both points lie inside the limits.
bool Solver::DifferenceColumn(int j, double eps) {
  double* column = &fjac_[size_t(j) * m_];
  const double x = x_[j];
  const double h = DifferenceStep(j, eps);
  const bool central = (p_.derivative[j].side == 2 || centralDifferences_) &&
                       InsideLimits(j, x + h) &&
                       InsideLimits(j, x - h);
  trial_ = x_;
  trial_[j] = x + h;
  if (!CallFunction(trial_.data(), fscratch_.data(), nullptr)) return false;
  if (!central) {
    for (int i = 0; i < m_; ++i) column[i] = (fscratch_[i] - fvec_[i]) / h;
    return true;
  }
  std::copy(fscratch_.begin(), fscratch_.end(), column);
  trial_[j] = x - h;
  if (!CallFunction(trial_.data(), fscratch_.data(), nullptr)) return false;
  for (int i = 0; i < m_; ++i) column[i] = (column[i] - fscratch_[i]) / (2 * h);
  return true;
}

void Solver::PrintDerivativeCheck(int j, const double* user,
                                  const double* numeric) const {
  const DerivativeRule& rule = p_.derivative[j];
  std::printf("derivative check of parameter %d (%s)\n", p_.freeIndex[j],
              rule.name ? rule.name : "");
  std::printf("%10s %23s %23s %23s\n", "residual", "user", "numeric", "user-numeric");
  const bool all = rule.debugRelTol == 0 && rule.debugAbsTol == 0;
  for (int i = 0; i < m_; ++i) {
    const double diff = user[i] - numeric[i];
    if (all || std::fabs(diff) > rule.debugAbsTol + rule.debugRelTol * std::fabs(user[i]))
      std::printf("%10d %23.16g %23.16g %23.16g\n", i, user[i], numeric[i], diff);
  }
  std::printf("end of derivative check\n");
}

}  // namespace mpfit_internal
