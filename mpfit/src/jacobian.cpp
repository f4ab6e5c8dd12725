// Jacobian of the residuals at the current free parameters: user-supplied
// columns for parameters with side 3, finite differences for the others.
// Every part computes its rows of all columns in one task.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "solver.h"

namespace mpfit_internal {

// The parts' calls count as many as the busiest part made: they run side by
// side, and a single part makes exactly those of plain mpfit().
int Solver::ComputeJacobian(TDifferences differences) {
  // Relative step: sqrt(epsfcn) balances truncation and rounding for one-sided
  // differences; central ones use its cube root instead.
  const double epsfcn = std::max(problem_.settings.epsfcn, MP_MACHEP0);
  const double eps =
      differences == TDifferences::central ? std::cbrt(epsfcn) : std::sqrt(epsfcn);
  auto task = [&](int k) {
    Part& part = parts_[k];
    part.calls = 0;
    part.status = PartJacobian(part, differences, eps);
  };
  workers_->Run(problem_.partCount(), task);
  int calls = 0;
  for (const Part& part : parts_) calls = std::max(calls, part.calls);
  nfev_ += calls;
  if (const int failure = PartsStatus()) return failure;
  // Debug: compare the user's columns with numeric ones, keep the user's.
  for (int j = 0; j < n_; ++j) {
    if (!problem_.derivative[j].debug) continue;
    double* column = JacobianColumn(j);
    const double* user = &checkedUserColumns_[size_t(j) * m_];
    PrintDerivativeCheck(j, user, column);
    std::copy(user, user + m_, column);
  }
  return 0;
}

int Solver::PartJacobian(Part& part, TDifferences differences, double eps) {
  if (problem_.anyUserDerivative)
    if (const int status = PartUserDerivatives(part)) return status;
  for (int j = 0; j < n_; ++j) {
    const DerivativeRule& rule = problem_.derivative[j];
    if (rule.side == kSideUser && !rule.debug) continue;
    if (rule.debug) {
      const double* user = JacobianColumn(j) + part.first;
      std::copy(user, user + part.count, &checkedUserColumns_[size_t(j) * m_ + part.first]);
    }
    if (const int status = DifferenceColumn(part, j, differences, eps)) return status;
  }
  return 0;
}

int Solver::PartUserDerivatives(Part& part) {
  if (const int status = CallPart(part, x_.data(), fscratch_.data(), dvec_.data(), true))
    return status;
  if (!problem_.settings.finiteCheck) return 0;
  for (int j = 0; j < n_; ++j) {
    if (problem_.derivative[j].side != kSideUser) continue;
    const double* column = JacobianColumn(j) + part.first;
    if (!std::all_of(column, column + part.count, [](double d) { return std::isfinite(d); }))
      return MP_ERR_NAN;
  }
  return 0;
}

// Signed difference step of free parameter j: automatic, absolute or
// relative size; backward for side -1; turned round when it would leave the
// limits.
double Solver::DifferenceStep(int j, double eps) const {
  const DerivativeRule& rule = problem_.derivative[j];
  const double x = x_[j];
  double h = eps * std::fabs(x);
  if (rule.step > 0) h = rule.step;
  if (rule.relStep > 0) h = std::fabs(rule.relStep * x);
  if (h == 0) h = eps;
  if (rule.side == kSideBackward) h = -h;
  if (!problem_.InsideLimits(j, x + h) && problem_.InsideLimits(j, x - h)) h = -h;
  return h;
}

// The part's rows of column j by a one-sided difference, or a central one
// (side 2, or central differences asked for) when both points lie inside the
// limits.
int Solver::DifferenceColumn(Part& part, int j, TDifferences differences, double eps) {
  double* column = JacobianColumn(j) + part.first;
  const double* base = fvec_.data() + part.first;
  const double* shifted = fscratch_.data() + part.first;
  const int count = part.count;
  const double x = x_[j];
  const double h = DifferenceStep(j, eps);
  const bool asked = problem_.derivative[j].side == kSideCentral ||
                     differences == TDifferences::central;
  const bool central =
      asked && problem_.InsideLimits(j, x + h) && problem_.InsideLimits(j, x - h);
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
  const DerivativeRule& rule = problem_.derivative[j];
  std::printf("derivative check of parameter %d (%s)\n", problem_.freeIndex[j],
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
