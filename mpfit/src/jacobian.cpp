// Jacobian of the residuals at the current free parameters: user-supplied
// columns for parameters with side 3, finite differences for the others.
// Every part computes its rows of all columns in one task.
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
  // Relative step: sqrt(epsfcn) balances truncation and rounding for one-sided
  // differences; while refining, the central ones use its cube root instead.
  const double epsfcn = std::max(p_.settings.epsfcn, MP_MACHEP0);
  const double eps = centralDifferences_ ? std::cbrt(epsfcn) : std::sqrt(epsfcn);
  auto task = [&](int k) {
    Part& part = parts_[k];
    part.calls = 0;
    part.status = PartJacobian(part, eps);
  };
  workers_->Run(p_.partCount(), task);
  int calls = 0;
  for (const Part& part : parts_) calls = std::max(calls, part.calls);
  nfev_ += calls;
  if (!PartsSucceeded()) return false;
  // Debug: compare the user's columns with numeric ones, keep the user's.
  for (int j = 0; j < n_; ++j) {
    if (!p_.derivative[j].debug) continue;
    double* column = &fjac_[size_t(j) * m_];
    const double* user = &debugUser_[size_t(j) * m_];
    PrintDerivativeCheck(j, user, column);
    std::copy(user, user + m_, column);
  }
  return true;
}

int Solver::PartJacobian(Part& part, double eps) {
  if (p_.anyUserDerivative)
    if (const int status = PartUserDerivatives(part)) return status;
  for (int j = 0; j < n_; ++j) {
    const DerivativeRule& rule = p_.derivative[j];
    if (rule.side == 3 && !rule.debug) continue;
    if (rule.debug) {
      const double* user = &fjac_[size_t(j) * m_ + part.first];
      std::copy(user, user + part.count, &debugUser_[size_t(j) * m_ + part.first]);
    }
    if (const int status = DifferenceColumn(part, j, eps)) return status;
  }
  return 0;
}

int Solver::PartUserDerivatives(Part& part) {
  if (const int status = CallPart(part, x_.data(), fscratch_.data(), dvec_.data(), true))
    return status;
  if (!p_.settings.finiteCheck) return 0;
  for (int j = 0; j < n_; ++j) {
    if (p_.derivative[j].side != 3) continue;
    const double* column = &fjac_[size_t(j) * m_ + part.first];
    if (!std::all_of(column, column + part.count, [](double d) { return std::isfinite(d); }))
      return MP_ERR_NAN;
  }
  return 0;
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

// The part's rows of column j by a one-sided difference, or a central one
// (side 2, or while refining) when both points lie inside the limits.
int Solver::DifferenceColumn(Part& part, int j, double eps) {
  double* column = &fjac_[size_t(j) * m_ + part.first];
  const double* base = fvec_.data() + part.first;
  const double* shifted = fscratch_.data() + part.first;
  const int count = part.count;
  const double x = x_[j];
  const double h = DifferenceStep(j, eps);
  const bool central = (p_.derivative[j].side == 2 || centralDifferences_) &&
                       InsideLimits(j, x + h) &&
                       InsideLimits(j, x - h);
  std::copy(x_.begin(), x_.end(), part.trial.begin());
  part.trial[j] = x + h;
  if (const int status = CallPart(part, part.trial.data(), fscratch_.data(), nullptr, true))
    return status;
  if (!central) {
    for (int i = 0; i < count; ++i) column[i] = (shifted[i] - base[i]) / h;
    return 0;
  }
  std::copy(shifted, shifted + count, column);
  part.trial[j] = x - h;
  if (const int status = CallPart(part, part.trial.data(), fscratch_.data(), nullptr, true))
    return status;
  for (int i = 0; i < count; ++i) column[i] = (column[i] - shifted[i]) / (2 * h);
  return 0;
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
