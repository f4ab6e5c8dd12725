// The checked form of one mpfit() call: settings with defaults applied and the
// constraints of the free parameters, gathered once before the fit starts.
#pragma once

#include <vector>

#include "mpfit/mpfit.h"

namespace mpfit_internal {

// Tolerances and limits of the fit, with zeros replaced by their defaults.
struct Settings {
  double ftol = 1e-10;       // relative chi-square change to stop at
  double xtol = 1e-10;       // relative trust-region size to stop at
  double gtol = 1e-10;       // orthogonality to stop at
  double epsfcn = 0;         // relative error of the residuals
  double stepFactor = 100;   // initial trust region, times the scaled |x|
  double covtol = 1e-14;     // rank tolerance of the covariance
  int maxIter = 200;         // iteration limit; MP_NO_ITER: errors only
  int maxFev = 0;            // evaluation limit; 0: none
  bool userScale = false;    // true: parameters keep unit scale
  bool finiteCheck = true;   // true: non-finite residuals stop the fit
};

// Values of mp_par::side.
constexpr int kSideBackward = -1;  // one-sided difference below the value
constexpr int kSideCentral = 2;    // central difference
constexpr int kSideUser = 3;       // derivatives from the user function

// How the derivative of one free parameter is taken.
struct DerivativeRule {
  int side = 0;              // as mp_par::side
  double step = 0;           // absolute step, 0 = automatic
  double relStep = 0;        // relative step, 0 = unused
  bool debug = false;        // print user versus numeric derivatives
  double debugRelTol = 0;    // relative tolerance of that comparison
  double debugAbsTol = 0;    // absolute tolerance of that comparison
  const char* name = nullptr;  // parameter name for the debug print (not owned)
};

// Everything the solver needs to know about the call.
struct Problem {
  mp_func function = nullptr;   // user residual function (not owned), or
  mp_part_func partFunction = nullptr;  // the residuals of one part of the rows
  std::vector<int> partFirst;   // first row of each part, then m
  int threads = 1;              // threads to run the parts on
  void* privateData = nullptr;  // passed through to the function
  int m = 0;                    // number of residuals
  int npar = 0;                 // number of parameters, free and fixed
  const double* initial = nullptr;  // caller's parameter vector (not owned)
  Settings settings;                // tolerances and limits, defaults applied
  std::vector<int> freeIndex;       // parameter index of each free parameter
  std::vector<bool> hasLower;       // per free parameter: lower limit applies
  std::vector<bool> hasUpper;       // per free parameter: upper limit applies
  std::vector<double> lower;        // per free parameter: lower limit
  std::vector<double> upper;        // per free parameter: upper limit
  std::vector<DerivativeRule> derivative;  // per free parameter
  bool anyUserDerivative = false;   // some free parameter has kSideUser
  bool anyLimit = false;            // some free parameter is limited

  int nfree() const { return static_cast<int>(freeIndex.size()); }
  int partCount() const { return static_cast<int>(partFirst.size()) - 1; }
  // Free parameter j at value x breaks none of its limits.
  bool InsideLimits(int j, double x) const {
    return !(hasLower[j] && x < lower[j]) && !(hasUpper[j] && x > upper[j]);
  }
};

// Checks the arguments of mpfit() and fills problem. Returns 1 when the fit
// can start, else the error status (MP_ERR_*).
int PrepareProblem(mp_func funct, int m, int npar, const double* xall,
                   const mp_par* pars, const mp_config* config,
                   void* privateData, Problem& problem);
// The same for mpfit_parts().
int PreparePartsProblem(const mp_parts* parts, int m, int npar, const double* xall,
                        const mp_par* pars, const mp_config* config, void* privateData,
                        Problem& problem);

}  // namespace mpfit_internal
