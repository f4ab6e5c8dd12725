// Residuals of the light-curve model over one fit's points, computed faster
// than point by point: the sines and cosines of the harmonics are taken once,
// the geometry of each eclipse profile is recomputed only when the eclipse's
// centre or width changed, and its profile only when its shape changed too.
// A call whose parameters differ from those of the last full evaluation in a
// single parameter (a column of a numeric Jacobian) recomputes only the part
// of the model that parameter belongs to and adds it to the remembered model:
// those residuals agree with PhaseCurveResidual to rounding. Every other call
// evaluates in full. The profiles come from the vector kernel of the
// processor, which agrees with EclipseProfile to rounding; with the scalar
// kernel a full evaluation equals PhaseCurveResidual bit for bit.
#pragma once

#include <cstddef>
#include <vector>

#include "component_cache.h"
#include "eclipse_profiles.h"
#include "ombrix_analysis/phase_fit.h"
#include "ombrix_model/light_curve_model.h"

namespace ombrix_analysis {

class CPhaseCurveEvaluator {
 public:
  // `folded`: phases in [0, 1), errors not 0 (see FoldFitPoints).
  // `profiles`: the eclipse-profile kernel; the fastest one by default.
  CPhaseCurveEvaluator(const TFitPoint* folded, std::size_t count,
                       TEclipseProfileKernel profiles = BestEclipseProfileKernel());

  void Residuals(const double* x, double* fvec);

  // The mpfit user function; privateData is the evaluator.
  static int Residual(int m, int n, double* x, double* fvec, double** dvec, void* privateData);

 private:
  // Index of the one parameter in which x differs from the base, or -1.
  int SingleChange(const double* x) const;
  void FullResiduals(const double* x, double* fvec);
  void ChangedResiduals(int changed, const double* x, double* fvec);
  // The eclipse terms a * (1 + c u^2) * profile of the parameters x.
  void PrimaryTerms(const ombrix_model::TFitParameters& model, double* out);
  void SecondaryTerms(const ombrix_model::TFitParameters& model, double* out);

  TEclipseProfileKernel profiles_;
  std::size_t count_;
  std::vector<double> observed_;         // value + series offset
  std::vector<double> error_;
  std::vector<double> primaryDistance_;  // distance from phase 0, wrapped
  std::vector<double> phase_;
  std::vector<double> harmonic_[6];      // sin and cos of harmonic 1, 2, 3
  CComponentCache<1> primaryGeometry_;   // primary profile geometry, keyed by d
  CComponentCache<2> primary_;           // primary profile, keyed by d and g
  CComponentCache<2> secondaryGeometry_; // secondary geometry, keyed by phase and d
  CComponentCache<3> secondary_;         // secondary profile, keyed by phase, d and g

  // The last full evaluation, which single-parameter calls start from.
  bool hasBase_ = false;                 // base_ holds a finite evaluation
  double baseX_[ombrix_model::FitParameterCount] = {};  // its parameters
  std::vector<double> baseModel_;        // its model values
  std::vector<double> basePrimary_;      // its primary eclipse terms
  std::vector<double> baseSecondary_;    // its secondary eclipse terms
  std::vector<double> changedTerm_;      // scratch: a recomputed eclipse term
};

}  // namespace ombrix_analysis
