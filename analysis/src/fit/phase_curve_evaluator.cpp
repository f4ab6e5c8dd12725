#include "phase_curve_evaluator.h"

#include <cmath>

namespace ombrix_analysis {

using namespace ombrix_model;

CPhaseCurveEvaluator::CPhaseCurveEvaluator(const TFitPoint* folded, std::size_t count)
    : count_(count) {
  for (std::size_t i = 0; i < count; ++i) {
    const TFitPoint& p = folded[i];
    observed_.push_back(p.value + p.seriesOffset);
    error_.push_back(p.error);
    primaryDistance_.push_back(PrimaryDistance(p.phase));
    phase_.push_back(p.phase);
    for (int k = 1; k <= 3; ++k) {
      const double angle = HarmonicAngle(k, p.phase);
      harmonic_[2 * (k - 1)].push_back(std::sin(angle));
      harmonic_[2 * (k - 1) + 1].push_back(std::cos(angle));
    }
  }
}

void CPhaseCurveEvaluator::Residuals(const double* x, double* fvec) {
  TFitParameters model;
  std::copy(x, x + FitParameterCount, model.value);
  PrepareLightCurveModel(model);
  const std::size_t n = count_;
  const double* primary = primary_.Get({x[fpDPri], x[fpGPri]}, n, [&](double* out) {
    for (std::size_t i = 0; i < n; ++i)
      out[i] = EclipseProfile(primaryDistance_[i] * model.priInverseWidth, model[fpGPri]);
  });
  const double* secondary = secondary_.Get({x[fpSecPhase], x[fpDSec], x[fpGSec]}, n, [&](double* out) {
    for (std::size_t i = 0; i < n; ++i)
      out[i] = EclipseProfile((phase_[i] - model[fpSecPhase]) * model.secInverseWidth, model[fpGSec]);
  });
  // LightCurveEclipse of both eclipses from their profiles.
  const double level = model[fpMag0];
  const double aPri = model[fpAPri], cPri = model.priCurvature;
  const double aSec = model[fpASec], cSec = model.secCurvature, secPhase = model[fpSecPhase];
  for (std::size_t i = 0; i < n; ++i) {
    const double u = primaryDistance_[i];
    const double y = phase_[i] - secPhase;
    fvec[i] = (aSec * (1.0 + cSec * y * y) * secondary[i] + level) + aPri * (1.0 + cPri * u * u) * primary[i];
  }
  // The same sums in the same order as EvaluateLightCurveModel, harmonics
  // with zero coefficients left out as there.
  for (int k = 0; k < 3; ++k) {
    const double aSin = model.value[fpASin1 + 2 * k];
    const double aCos = model.value[fpACos1 + 2 * k];
    const double* sine = harmonic_[2 * k].data();
    const double* cosine = harmonic_[2 * k + 1].data();
    if (aSin != 0.0 && aCos != 0.0) {
      for (std::size_t i = 0; i < n; ++i) fvec[i] = (fvec[i] + aSin * sine[i]) + aCos * cosine[i];
    } else if (aSin != 0.0) {
      for (std::size_t i = 0; i < n; ++i) fvec[i] += aSin * sine[i];
    } else if (aCos != 0.0) {
      for (std::size_t i = 0; i < n; ++i) fvec[i] += aCos * cosine[i];
    }
  }
  for (std::size_t i = 0; i < n; ++i) fvec[i] = (observed_[i] - fvec[i]) / error_[i];
}

int CPhaseCurveEvaluator::Residual(int /*m*/, int /*n*/, double* x, double* fvec, double** /*dvec*/,
                                   void* privateData) {
  static_cast<CPhaseCurveEvaluator*>(privateData)->Residuals(x, fvec);
  return 0;
}

}  // namespace ombrix_analysis
