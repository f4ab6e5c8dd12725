#include "problem.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace mpfit_internal {
namespace {

bool IsNonNegativeFinite(double v) { return std::isfinite(v) && v >= 0; }

// A zero field keeps the default already in target.
void TakeOrKeep(double given, double& target) {
  if (given != 0) target = given;
}

bool ReadSettings(const mp_config* config, Settings& s) {
  s.epsfcn = MP_MACHEP0;
  if (config == nullptr) return true;
  const double reals[] = {config->ftol, config->xtol, config->gtol,
                          config->epsfcn, config->stepfactor, config->covtol};
  for (double v : reals)
    if (!IsNonNegativeFinite(v)) return false;
  if (config->maxiter < MP_NO_ITER || config->maxfev < 0) return false;
  TakeOrKeep(config->ftol, s.ftol);
  TakeOrKeep(config->xtol, s.xtol);
  TakeOrKeep(config->gtol, s.gtol);
  TakeOrKeep(config->epsfcn, s.epsfcn);
  TakeOrKeep(config->stepfactor, s.stepFactor);
  TakeOrKeep(config->covtol, s.covtol);
  if (config->maxiter != 0) s.maxIter = config->maxiter;
  s.maxFev = config->maxfev;
  s.userScale = config->douserscale != 0;
  s.finiteCheck = config->nofinitecheck == 0;
  return true;
}

bool ValidDerivativeSettings(const mp_par& p) {
  return p.side >= kSideBackward && p.side <= kSideUser && IsNonNegativeFinite(p.step) &&
         IsNonNegativeFinite(p.relstep) && IsNonNegativeFinite(p.deriv_reltol) &&
         IsNonNegativeFinite(p.deriv_abstol);
}

void AddFreeParameter(int index, const mp_par* par, Problem& problem) {
  problem.freeIndex.push_back(index);
  const bool lo = par && par->limited[0];
  const bool hi = par && par->limited[1];
  problem.hasLower.push_back(lo);
  problem.hasUpper.push_back(hi);
  problem.lower.push_back(lo ? par->limits[0] : 0);
  problem.upper.push_back(hi ? par->limits[1] : 0);
  problem.anyLimit = problem.anyLimit || lo || hi;
  DerivativeRule rule;
  if (par) {
    rule.side = par->side;
    rule.step = par->step;
    rule.relStep = par->relstep;
    rule.debug = par->deriv_debug != 0 && par->side == kSideUser;
    rule.debugRelTol = par->deriv_reltol;
    rule.debugAbsTol = par->deriv_abstol;
    rule.name = par->parname;
  }
  problem.anyUserDerivative = problem.anyUserDerivative || rule.side == kSideUser;
  problem.derivative.push_back(rule);
}

// Limits are inconsistent when a set limit is not a number or the lower one
// is not below the upper one.
bool LimitsConsistent(const Problem& p, int j) {
  if (p.hasLower[j] && std::isnan(p.lower[j])) return false;
  if (p.hasUpper[j] && std::isnan(p.upper[j])) return false;
  return !(p.hasLower[j] && p.hasUpper[j] && p.lower[j] >= p.upper[j]);
}

// Everything but the residual function, which the caller has checked.
int PrepareRowsAndParameters(int m, int npar, const double* xall, const mp_par* pars,
                             const mp_config* config, void* privateData, Problem& problem) {
  if (m <= 0) return MP_ERR_NPOINTS;
  if (xall == nullptr || npar < 0) return MP_ERR_INPUT;
  if (npar == 0) return MP_ERR_NFREE;
  problem.privateData = privateData;
  problem.m = m;
  problem.npar = npar;
  problem.initial = xall;
  problem.partFirst = {0, m};
  if (!ReadSettings(config, problem.settings)) return MP_ERR_PARAM;

  for (int i = 0; i < npar; ++i) {
    const mp_par* par = pars ? &pars[i] : nullptr;
    if (par && par->fixed) continue;
    if (par && !ValidDerivativeSettings(*par)) return MP_ERR_PARAM;
    if (!std::isfinite(xall[i])) return MP_ERR_PARAM;
    AddFreeParameter(i, par, problem);
  }
  const int nfree = problem.nfree();
  if (nfree == 0) return MP_ERR_NFREE;
  for (int j = 0; j < nfree; ++j)
    if (!LimitsConsistent(problem, j)) return MP_ERR_BOUNDS;
  for (int j = 0; j < nfree; ++j)
    if (!problem.InsideLimits(j, xall[problem.freeIndex[j]])) return MP_ERR_INITBOUNDS;
  if (m < nfree) return MP_ERR_DOF;
  return 1;
}

bool SplitCoversRows(const mp_parts& parts, int m) {
  if (parts.count < 1 || parts.first == nullptr) return false;
  if (parts.first[0] != 0 || parts.first[parts.count] != m) return false;
  for (int k = 0; k < parts.count; ++k)
    if (parts.first[k] >= parts.first[k + 1]) return false;
  return true;
}

}  // namespace

int PrepareProblem(mp_func funct, int m, int npar, const double* xall,
                   const mp_par* pars, const mp_config* config,
                   void* privateData, Problem& problem) {
  if (funct == nullptr) return MP_ERR_FUNC;
  problem.function = funct;
  return PrepareRowsAndParameters(m, npar, xall, pars, config, privateData, problem);
}

int PreparePartsProblem(const mp_parts* parts, int m, int npar, const double* xall,
                        const mp_par* pars, const mp_config* config, void* privateData,
                        Problem& problem) {
  if (parts == nullptr || parts->funct == nullptr) return MP_ERR_FUNC;
  problem.partFunction = parts->funct;
  const int status = PrepareRowsAndParameters(m, npar, xall, pars, config, privateData, problem);
  if (status != 1) return status;
  if (!SplitCoversRows(*parts, m) || parts->threads < 0) return MP_ERR_INPUT;
  problem.partFirst.assign(parts->first, parts->first + parts->count + 1);
  const int processors = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  problem.threads = std::min(parts->count, parts->threads > 0 ? parts->threads : processors);
  return 1;
}

}  // namespace mpfit_internal
