// Residuals of the light-curve model over one fit's points, computed faster
// than point by point: the sines and cosines of the harmonics are taken once,
// and the profile of each eclipse (its transcendental part) is recomputed only
// when its centre, width or shape changed.
// The residuals equal those of PhaseCurveResidual bit for bit.
#pragma once

#include <cstddef>
#include <vector>

#include "component_cache.h"
#include "ombrix_analysis/phase_fit.h"

namespace ombrix_analysis {

class CPhaseCurveEvaluator {
 public:
  // `folded`: phases in [0, 1), errors not 0 (see FoldFitPoints).
  CPhaseCurveEvaluator(const TFitPoint* folded, std::size_t count);

  void Residuals(const double* x, double* fvec);

  // The mpfit user function; privateData is the evaluator.
  static int Residual(int m, int n, double* x, double* fvec, double** dvec, void* privateData);

 private:
  std::size_t count_;
  std::vector<double> observed_;         // value + series offset
  std::vector<double> error_;
  std::vector<double> primaryDistance_;  // distance from phase 0, wrapped
  std::vector<double> phase_;
  std::vector<double> harmonic_[6];      // sin and cos of harmonic 1, 2, 3
  CComponentCache<2> primary_;           // primary profile, keyed by d and g
  CComponentCache<3> secondary_;         // secondary profile, keyed by phase, d and g
};

}  // namespace ombrix_analysis
