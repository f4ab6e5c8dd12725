// Residuals of the minimum model over one window's points with the eclipse
// profile (its transcendental part) kept between calls: it is recomputed only
// when the time of minimum, the width or the shape changed. The residuals
// equal those of MinimumResidual bit for bit. One evaluator serves many fits
// (the bootstrap's resamples) without new memory.
#pragma once

#include <cstddef>

#include "component_cache.h"
#include "ombrix_analysis/minimum_fit.h"

namespace ombrix_analysis {

class CMinimumEvaluator {
 public:
  // The points of the next fit (normalised times, errors not 0); not copied.
  void Reset(const TFitPoint* points, std::size_t count);
  void Residuals(const double* x, double* fvec);

  // The mpfit user function; privateData is the evaluator.
  static int Residual(int m, int n, double* x, double* fvec, double** dvec, void* privateData);

 private:
  const TFitPoint* points_ = nullptr;
  std::size_t count_ = 0;
  CComponentCache<3> profile_;  // keyed by the time of minimum, D and G
};

}  // namespace ombrix_analysis
